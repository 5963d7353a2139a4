#include "BeNuvDictionarySaver.h"

#include <iterator>
#include <vector>

#include "BeNuvNotices.h"
#include "BeNuvUtils.h"


namespace {

const char* const kSaverName = "nuv user dictionary saver";

}	// namespace


const std::chrono::milliseconds BeNuvDictionarySaver::kSaveDelay(5000);


BeNuvDictionarySaver::BeNuvDictionarySaver(const std::string& directory,
	BeNuvNotices& notices)
	:
	fFile(directory, BeNuvUtils::ConvertUtf8ToEuc),
	fNotices(notices),
	fThread(-1),
	fSaveNow(false),
	fQuitting(false)
{
	// The thread touches the file only once it has been handed changes,
	// which comes after the load.
	fThread = spawn_thread(&BeNuvDictionarySaver::_SaverEntry, kSaverName,
		B_NORMAL_PRIORITY, this);
	if (fThread >= 0 && resume_thread(fThread) != B_OK)
		fThread = -1;
}


BeNuvDictionarySaver::~BeNuvDictionarySaver()
{
}


void
BeNuvDictionarySaver::Load(NuvDynamicDictionary& dictionary)
{
	std::vector<std::string> notices;
	fFile.Load(dictionary, notices);
	dictionary.RecordChanges(true);
	for (const std::string& notice : notices)
		fNotices.Show(notice);
}


void
BeNuvDictionarySaver::HandOver(NuvDynamicDictionary& dictionary, bool now)
{
	std::lock_guard<std::mutex> lock(fLock);
	const bool hadPending = !fPending.empty();
	dictionary.TakeChanges(fPending);
	if (!hadPending && !fPending.empty())
		fFirstPending = Clock::now();

	bool wake = now || (!hadPending && !fPending.empty());
	if (fSaved) {
		// The file as the save left it, with what was changed since on top;
		// the former map is freed on the saver thread.
		dictionary.SwapContent(*fSaved);
		for (const NuvDynamicDictionary::Change& change : fPending)
			dictionary.Apply(change);
		fReplaced = std::move(fSaved);
		wake = true;
	}
	if (now)
		fSaveNow = true;
	if (wake)
		fWake.notify_all();
}


void
BeNuvDictionarySaver::Finish(NuvDynamicDictionary& dictionary)
{
	if (fThread >= 0) {
		{
			std::lock_guard<std::mutex> lock(fLock);
			fQuitting = true;
			fWake.notify_all();
		}
		status_t result;
		wait_for_thread(fThread, &result);
		fThread = -1;
	}
	dictionary.TakeChanges(fPending);
	std::unique_ptr<NuvDynamicDictionary> merged;
	_Save(fPending, merged);
}


// #pragma mark - private


int32
BeNuvDictionarySaver::_SaverEntry(void* data)
{
	static_cast<BeNuvDictionarySaver*>(data)->_SaveLoop();
	return 0;
}


void
BeNuvDictionarySaver::_SaveLoop()
{
	std::unique_lock<std::mutex> lock(fLock);
	while (!fQuitting) {
		if (fReplaced) {
			std::unique_ptr<NuvDynamicDictionary> replaced
				= std::move(fReplaced);
			lock.unlock();
			replaced.reset();
			lock.lock();
			continue;
		}

		const Clock::time_point now = Clock::now();
		Clock::time_point wake = Clock::time_point::max();
		// A save waits until the one before it has been installed, so that
		// the changes replayed then are exactly those it did not take.
		if (!fPending.empty() && !fSaved) {
			Clock::time_point due = fSaveNow ? now
				: fFirstPending + kSaveDelay;
			due = std::max(due, fRetryAfter);
			if (due <= now) {
				NuvDynamicDictionary::ChangeList changes;
				changes.swap(fPending);
				fSaveNow = false;
				lock.unlock();
				std::unique_ptr<NuvDynamicDictionary> merged;
				const bool saved = _Save(changes, merged);
				lock.lock();
				if (saved)
					fSaved = std::move(merged);
				else {
					// kept, oldest first, for a later attempt
					changes.insert(changes.end(),
						std::make_move_iterator(fPending.begin()),
						std::make_move_iterator(fPending.end()));
					fPending.swap(changes);
					fFirstPending = Clock::now();
					fRetryAfter = fFirstPending + kSaveDelay;
				}
				continue;
			}
			wake = due;
		}

		if (fQuitting)
			break;
		if (wake == Clock::time_point::max())
			fWake.wait(lock);
		else
			fWake.wait_until(lock, wake);
	}
}


bool
BeNuvDictionarySaver::_Save(NuvDynamicDictionary::ChangeList& changes,
	std::unique_ptr<NuvDynamicDictionary>& merged)
{
	merged.reset(new NuvDynamicDictionary);
	std::vector<std::string> notices;
	const bool saved = fFile.Save(changes, *merged, notices);
	for (const std::string& notice : notices)
		fNotices.Show(notice);
	return saved;
}
