// Saves the user dictionary while the method runs, off the key path
// (NuvUserDictionaryFile.h for the file itself).
//
// Policy. The dictionary records its changes; the looper hands them over
// after every message it handles (HandOver(), which costs a move of the
// list), and the saver thread "nuv user dictionary saver" merges them into
// the file: kSaveDelay after the first unsaved change, whether keys pause or
// not, at once when asked (the method deactivated), and a last time in
// Finish() (the method unloading), which waits for it. What a save read
// (other sessions' and an editor's words, merged with this session's
// changes) is swapped into the dictionary by the next HandOver(), which
// replays the changes made meanwhile on top. A save that fails keeps its
// changes and is tried again kSaveDelay later.
//
// Threads and locks. HandOver() is called with the looper locked and never
// waits for the disk: the saver thread takes fLock only, and holds it only
// while it moves lists, never across the disk. Lock order: the looper's lock
// before fLock. Load() and Finish() run on the thread that loads or destroys
// the resources, while the saver thread has nothing to do or has ended.
#ifndef BE_NUV_DICTIONARY_SAVER_H
#define BE_NUV_DICTIONARY_SAVER_H

#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>

#include <OS.h>

#include "NuvDynamicDictionary.h"
#include "NuvUserDictionaryFile.h"

class BeNuvNotices;

class BeNuvDictionarySaver {
public:
	// The longest a change waits for its save.
	static	const std::chrono::milliseconds kSaveDelay;

	// Saves into the settings directory `directory` (ending in "/"); what
	// the user should hear about goes to `notices`, which must outlive this
	// object. Starts the saver thread.
								BeNuvDictionarySaver(
									const std::string& directory,
									BeNuvNotices& notices);
	// Finish() must have been called: the thread has ended.
								~BeNuvDictionarySaver();

	// Reads the file into `dictionary` and has it record its changes from
	// then on.
			void				Load(NuvDynamicDictionary& dictionary);
	// Takes the changes `dictionary` recorded (the first unsaved one starts
	// the countdown to a save) and installs what a finished save read. With
	// `now`, the saver saves at once.
			void				HandOver(NuvDynamicDictionary& dictionary,
									bool now);
	// Ends the saver thread, waiting for a save under way, then merges what
	// remains of the changes into the file, whether or not anything changed,
	// so that the file takes in what others saved and stays in its
	// canonical form.
			void				Finish(NuvDynamicDictionary& dictionary);

private:
	static	int32				_SaverEntry(void* data);
			void				_SaveLoop();
			bool				_Save(
									NuvDynamicDictionary::ChangeList& changes,
									std::unique_ptr<NuvDynamicDictionary>&
										merged);

			typedef std::chrono::steady_clock Clock;

			NuvUserDictionaryFile fFile;
			BeNuvNotices&		fNotices;
			thread_id			fThread;
			// Guarded by fLock.
			std::mutex			fLock;
			std::condition_variable fWake;
			NuvDynamicDictionary::ChangeList fPending;
			Clock::time_point	fFirstPending;
			Clock::time_point	fRetryAfter;
			bool				fSaveNow;
			bool				fQuitting;
			std::unique_ptr<NuvDynamicDictionary> fSaved;
			std::unique_ptr<NuvDynamicDictionary> fReplaced;
};

#endif	// BE_NUV_DICTIONARY_SAVER_H
