// The method's shared resources: the three romaji automata and the two
// dictionaries, read once from the settings directory and written back (the
// user dictionary only) when the method goes away.
//
// Settings directory: find_directory(B_USER_SETTINGS_DIRECTORY) followed by
// "/nuvim_settings/", fixed when the object is constructed.
//
// Threads and locks. The constructor starts the loader thread "nuv resource
// initiarizing.", which shows the notice "nuv wake up!", reads the files in
// a fixed order and closes the notice. The load is guarded by a latch (a
// mutex, a condition and a flag) rather than by a recursive lock taken for
// the loader, because the constructing thread must itself wait at its first
// accessor call, and a recursive lock would let it straight through. The
// latch is set before the constructor returns, so every accessor, and the
// destructor, waits for the load from that moment on. The loader takes no
// other lock besides the notice window's; callers take the looper's lock
// before they reach an accessor, never the other way round. After the load
// the objects are used without locking: the looper's lock serialises their
// users.
//
// Write-back never loses the user's words: the dictionary is written to a
// temporary file in the settings directory, flushed to the disk, and only a
// complete copy is renamed over ".nuv-jisyo". If ".nuv-jisyo" existed but
// could not be read at load, it is left untouched at write-back: what was
// learned in this session would otherwise replace every word it holds.
#ifndef BE_NUV_RESOURCES_H
#define BE_NUV_RESOURCES_H

#include <condition_variable>
#include <mutex>
#include <string>

#include <OS.h>
#include <SupportDefs.h>

#include "NuvAutomaton.h"
#include "NuvDynamicDictionary.h"
#include "NuvStaticDictionary.h"
#include "NuvTypes.h"

class BeNuvResources {
public:
	// Starts the load on the loader thread and returns at once; the
	// accessors wait for it. If no thread can be started, the load runs
	// here, before the constructor returns.
								BeNuvResources();
	// Waits for a load still under way, then writes the user dictionary
	// back to ".nuv-jisyo".
								~BeNuvResources();

	// The loader thread's entry: Init() on the BeNuvResources at `data`.
	static	int32				DoInit(void* data);
	// Reads the settings files (called once, by the loader).
			void				Init();
	// Returns once the load has finished; at once if it has.
			void				Wait();

	// Accessors. Each waits for the load. The objects belong to this
	// object and live as long as it does; callers serialise their use.

	// The kana automaton for MODE_HIRAKANA and MODE_KATAKANA, the
	// full-width automaton for MODE_ZENEI, the control-key automaton for
	// every other value.
			NuvAutomaton*		Converter(nuv_mode mode);
	// The large read-only dictionary.
			NuvStaticDictionary* Dictionary();
	// The learning user dictionary.
			NuvDynamicDictionary* UserDictionary();

	// The settings directory, ending in "/". Never waits.
			const std::string&	Directory() const { return fDirectory; }

private:
			void				_Read(const char* name,
									NuvAutomaton& automaton);
			void				_ReadUserDictionary();
			bool				_WriteUserDictionary();

			std::mutex			fLoadLock;
			std::condition_variable fLoadDone;
			bool				fLoading;
			NuvAutomaton		fKanaAutomaton;
			NuvAutomaton		fControlAutomaton;
			NuvAutomaton		fZeneiAutomaton;
			NuvStaticDictionary	fDictionary;
			NuvDynamicDictionary fUserDictionary;
			std::string			fDirectory;
			// ".nuv-jisyo" existed but could not be read: keep it.
			bool				fKeepUserFile;
			thread_id			fLoader;
};

#endif	// BE_NUV_RESOURCES_H
