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
// Encodings. Tables and NUV-JISYO.L are EUC-JP. A file that is not valid
// EUC-JP but is valid UTF-8 (saved by an editor in the wrong encoding) is
// converted to EUC-JP as it is read; a file that is neither is read as it
// stands. Either way _ShowWarning() names it once. The files themselves
// are never rewritten.
//
// Warnings are notice windows that close by themselves after
// kWarningDuration, or at once when the resources are destroyed, so they
// never delay unloading: a closer thread, "nuv notice closer", started with
// the first warning, waits for the earliest deadline or for the
// destructor's signal. The notice lock guards only the list of open
// warnings; nothing else is taken while it is held.
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
#include <vector>

#include <OS.h>
#include <SupportDefs.h>

#include "NuvAutomaton.h"
#include "NuvDynamicDictionary.h"
#include "NuvStaticDictionary.h"
#include "NuvTypes.h"

class BeNuvNoticeWindow;

class BeNuvResources {
public:
	// How long a warning stays on the screen.
	static	const bigtime_t		kWarningDuration;

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
	// Shows `text` (EUC-JP or ASCII) in a notice window for
	// kWarningDuration, unless the resources are being destroyed. Any
	// thread.
			void				_ShowWarning(const std::string& text);
	// The closer thread's entry and loop.
	static	int32				_CloseNoticesEntry(void* data);
			void				_CloseNotices();
	// Closes every open warning now and ends the closer thread.
			void				_StopNotices();
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

			// An open warning and when it is to close.
			struct notice {
				BeNuvNoticeWindow*	window;
				bigtime_t			closeAt;
			};
			std::mutex			fNoticeLock;
			std::condition_variable fNoticeChanged;
			std::vector<notice>	fNotices;
			bool				fNoticesStopped;
			thread_id			fNoticeCloser;
};

#endif	// BE_NUV_RESOURCES_H
