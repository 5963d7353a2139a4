#include "BeNuvNotices.h"

#include <chrono>

#include <Font.h>
#include <Window.h>

#include "BeNuvNoticeWindow.h"
#include "BeNuvUtils.h"


namespace {

const char* const kCloserName = "nuv notice closer";

}	// namespace


const bigtime_t BeNuvNotices::kDuration = 5000000;


BeNuvNotices::BeNuvNotices()
	:
	fStopped(false),
	fCloser(-1)
{
}


BeNuvNotices::~BeNuvNotices()
{
	Stop();
}


void
BeNuvNotices::Show(const std::string& text)
{
	std::lock_guard<std::mutex> lock(fLock);
	if (fStopped)
		return;
	if (fCloser < 0) {
		fCloser = spawn_thread(&BeNuvNotices::_CloserEntry, kCloserName,
			B_NORMAL_PRIORITY, this);
		if (fCloser >= 0 && resume_thread(fCloser) != B_OK)
			fCloser = -1;
		if (fCloser < 0)
			return;
	}
	BeNuvNoticeWindow* window = new BeNuvNoticeWindow(
		BeNuvUtils::ConvertEucToUtf8(text).c_str(), be_bold_font);
	window->Show();
	fNotices.push_back(notice{window, system_time() + kDuration});
	fChanged.notify_all();
}


void
BeNuvNotices::Stop()
{
	thread_id closer;
	{
		std::lock_guard<std::mutex> lock(fLock);
		fStopped = true;
		closer = fCloser;
		fCloser = -1;
		fChanged.notify_all();
	}
	if (closer >= 0) {
		status_t result;
		wait_for_thread(closer, &result);
	}
}


// #pragma mark - private


int32
BeNuvNotices::_CloserEntry(void* data)
{
	static_cast<BeNuvNotices*>(data)->_CloseDue();
	return 0;
}


void
BeNuvNotices::_CloseDue()
{
	std::unique_lock<std::mutex> lock(fLock);
	while (true) {
		const bigtime_t now = system_time();
		bigtime_t next = 0;
		for (size_t i = 0; i < fNotices.size(); ) {
			if (fStopped || fNotices[i].closeAt <= now) {
				BeNuvNoticeWindow* window = fNotices[i].window;
				if (window->Lock())
					window->Quit();
				fNotices.erase(fNotices.begin() + i);
				continue;
			}
			if (next == 0 || fNotices[i].closeAt < next)
				next = fNotices[i].closeAt;
			i++;
		}
		if (fStopped)
			return;
		if (next == 0)
			fChanged.wait(lock);
		else
			fChanged.wait_for(lock, std::chrono::microseconds(next - now));
	}
}
