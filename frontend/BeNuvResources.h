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
// Saving the user dictionary (BeNuvUserDictionaryFile.h for the file). The
// dictionary records its changes; the looper hands them over after every
// message it handles (MessageHandled(), with the looper locked, which costs
// a move of the list), and the saver thread "nuv user dictionary saver"
// merges them into the file: kSaveDelay after the first unsaved change,
// whether keys pause or not, at once on SaveSoon() (deactivation), and a
// last time in the destructor (the method's unloading), which waits for it.
// The looper never waits for the disk: the saver takes its lock only, not
// the looper's. What a save read (other sessions' and an editor's words,
// merged with this session's changes) is swapped into the dictionary by the
// next MessageHandled(), which replays the changes made meanwhile on top. A
// save that fails keeps its changes and is tried again kSaveDelay later.
//
// Lock order: the looper's lock before fSaveLock; the saver holds fSaveLock
// only while it moves lists, never across the disk.
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
#ifndef BE_NUV_RESOURCES_H
#define BE_NUV_RESOURCES_H

#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include <OS.h>
#include <SupportDefs.h>

#include "BeNuvUserDictionaryFile.h"
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
	// Waits for a load still under way and for a save under way, then
	// merges what remains of the session's changes into ".nuv-jisyo".
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

	// Saving. Call these with the looper locked; they never wait for the
	// disk.

	// Hands the user dictionary's new changes to the saver (the first
	// unsaved one starts the countdown to a save) and installs what a
	// finished save read. Waits for the load.
			void				MessageHandled();
	// As MessageHandled(), then has the saver save at once.
			void				SaveSoon();

	// The saver thread's entry: _SaveLoop() on the BeNuvResources at
	// `data`.
	static	int32				DoSave(void* data);

	// The longest a change waits for its save.
	static	const std::chrono::milliseconds kSaveDelay;

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
			void				_SaveLoop();
			bool				_Save(
									NuvDynamicDictionary::ChangeList& changes,
									std::unique_ptr<NuvDynamicDictionary>&
										merged);
			void				_HandOver(bool now);

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
			BeNuvUserDictionaryFile fUserFile;

			typedef std::chrono::steady_clock Clock;
			// Guarded by fSaveLock.
			std::mutex			fSaveLock;
			std::condition_variable fSaveWake;
			NuvDynamicDictionary::ChangeList fPending;
			Clock::time_point	fFirstPending;
			Clock::time_point	fRetryAfter;
			bool				fSaveNow;
			bool				fQuitting;
			std::unique_ptr<NuvDynamicDictionary> fSaved;
			std::unique_ptr<NuvDynamicDictionary> fReplaced;
			thread_id			fSaver;

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
