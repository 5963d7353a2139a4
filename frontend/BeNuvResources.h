// The method's shared resources: the three romaji automata and the two
// dictionaries, read once from the settings directory; the user dictionary
// is also saved while the method runs and when it goes away.
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
// Saving the user dictionary while the method runs is the saver's job
// (BeNuvDictionarySaver.h): MessageHandled() and SaveSoon() hand the
// changes over to it, and the destructor has it save a last time.
//
// Encodings. Tables and NUV-JISYO.L are EUC-JP. A file that is not valid
// EUC-JP but is valid UTF-8 (saved by an editor in the wrong encoding) is
// converted to EUC-JP as it is read; a file that is neither is read as it
// stands. Either way a warning (BeNuvNotices.h) names it once. The files
// themselves are never rewritten.
#ifndef BE_NUV_RESOURCES_H
#define BE_NUV_RESOURCES_H

#include <condition_variable>
#include <mutex>
#include <string>

#include <OS.h>
#include <SupportDefs.h>

#include "BeNuvDictionarySaver.h"
#include "BeNuvNotices.h"
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
	// Waits for a load still under way and for a save under way, then
	// merges what remains of the session's changes into ".nuv-jisyo" and
	// closes the warnings still shown.
								~BeNuvResources();

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

	// Saving. Call these with the looper locked; they never wait for the
	// disk.

	// Hands the user dictionary's new changes to the saver
	// (BeNuvDictionarySaver::HandOver()). Waits for the load.
			void				MessageHandled();
	// As MessageHandled(), then has the saver save at once.
			void				SaveSoon();

private:
	// Returns once the load has finished; at once if it has.
			void				_Wait();
	// The loader thread's entry and the load (once, by the loader).
	static	int32				_LoaderEntry(void* data);
			void				_Load();
	// Reads the settings file `name` into `bytes`, in EUC-JP (see
	// Encodings above). `rereadable` (may be NULL) is set when the file is
	// a regular file whose bytes were taken as they are, so that opening
	// it again gives the same text. False, with `bytes` empty, when it
	// cannot be opened.
			bool				_ReadSettingsFile(const char* name,
									std::string& bytes,
									bool* rereadable = NULL);
			void				_Read(const char* name,
									NuvAutomaton& automaton);

			std::mutex			fLoadLock;
			std::condition_variable fLoadDone;
			bool				fLoading;
			NuvAutomaton		fKanaAutomaton;
			NuvAutomaton		fControlAutomaton;
			NuvAutomaton		fZeneiAutomaton;
			NuvStaticDictionary	fDictionary;
			NuvDynamicDictionary fUserDictionary;
			std::string			fDirectory;
			thread_id			fLoader;
			BeNuvNotices		fNotices;
			BeNuvDictionarySaver fSaver;
};

#endif	// BE_NUV_RESOURCES_H
