// The method's warnings on the screen: notice windows that close by
// themselves after kDuration, or at once when Stop() is called (the
// resources going away), so they never delay unloading.
//
// Threads. Show() may be called on any thread (the loader's, the saver's).
// A closer thread, "nuv notice closer", started with the first warning,
// waits for the earliest deadline or for Stop(). The lock guards only the
// list of open warnings; nothing else is taken while it is held, and a
// window's lock is taken under it only to close the window.
#ifndef BE_NUV_NOTICES_H
#define BE_NUV_NOTICES_H

#include <condition_variable>
#include <mutex>
#include <string>
#include <vector>

#include <OS.h>

class BeNuvNoticeWindow;

class BeNuvNotices {
public:
	// How long a warning stays on the screen.
	static	const bigtime_t		kDuration;

								BeNuvNotices();
	// Stop().
								~BeNuvNotices();

	// Shows `text` (EUC-JP or ASCII) for kDuration, unless stopped. When no
	// closer thread can be started, shows nothing: the window would never
	// go away.
			void				Show(const std::string& text);
	// Closes every open warning now, ends the closer thread and shows no
	// warning from then on.
			void				Stop();

private:
	static	int32				_CloserEntry(void* data);
			void				_CloseDue();

			// An open warning and when it is to close.
			struct notice {
				BeNuvNoticeWindow*	window;
				bigtime_t			closeAt;
			};
			std::mutex			fLock;
			std::condition_variable fChanged;
			std::vector<notice>	fNotices;
			bool				fStopped;
			thread_id			fCloser;
};

#endif	// BE_NUV_NOTICES_H
