#include "BeNuvResources.h"

#include <climits>
#include <fstream>
#include <iterator>

#include <FindDirectory.h>
#include <Font.h>
#include <Window.h>

#include "BeNuvNoticeWindow.h"


namespace {

const char* const kSettingsSubdirectory = "/nuvim_settings/";
const char* const kFallbackSettingsDirectory = "/boot/home/config/settings";
const char* const kKanaTable = "roman_kana.table";
const char* const kZeneiTable = "roman_zennei.table";
const char* const kControlTable = "control_key.table";
const char* const kDictionaryFile = "NUV-JISYO.L";
const char* const kLoaderName = "nuv resource initiarizing.";
const char* const kNoticeText = "nuv wake up!";
const char* const kSaverName = "nuv user dictionary saver";


std::string
SettingsDirectory()
{
	char path[PATH_MAX];
	if (find_directory(B_USER_SETTINGS_DIRECTORY, 0, false, path,
			sizeof(path)) != B_OK)
		return std::string(kFallbackSettingsDirectory) + kSettingsSubdirectory;
	return std::string(path) + kSettingsSubdirectory;
}


}	// namespace


const std::chrono::milliseconds BeNuvResources::kSavePause(3000);
const std::chrono::milliseconds BeNuvResources::kSaveInterval(60000);
const std::chrono::milliseconds BeNuvResources::kNoticeTime(5000);


BeNuvResources::BeNuvResources()
	:
	fLoading(true),
	fDirectory(SettingsDirectory()),
	fLoader(-1),
	fUserFile(fDirectory),
	fSaveNow(false),
	fQuitting(false),
	fSaver(-1)
{
	// The saver touches the file only once the looper has handed it
	// changes, which comes after the load.
	fSaver = spawn_thread(&BeNuvResources::DoSave, kSaverName,
		B_NORMAL_PRIORITY, this);
	if (fSaver >= 0 && resume_thread(fSaver) != B_OK)
		fSaver = -1;

	// fLoading is already true: an accessor called from here on waits,
	// even before the loader has been scheduled.
	fLoader = spawn_thread(&BeNuvResources::DoInit, kLoaderName,
		B_NORMAL_PRIORITY, this);
	if (fLoader < 0 || resume_thread(fLoader) != B_OK) {
		// Without a thread the method must still start: load right here.
		fLoader = -1;
		Init();
	}
}


BeNuvResources::~BeNuvResources()
{
	// The user dictionary is never written before it has been read.
	Wait();
	if (fLoader >= 0) {
		status_t result;
		wait_for_thread(fLoader, &result);
	}
	if (fSaver >= 0) {
		{
			std::lock_guard<std::mutex> lock(fSaveLock);
			fQuitting = true;
			fSaveWake.notify_all();
		}
		status_t result;
		wait_for_thread(fSaver, &result);
	}

	// The last save runs whether or not anything changed, so that the file
	// takes in what others saved and stays in its canonical form.
	fUserDictionary.TakeChanges(fPending);
	std::unique_ptr<NuvDynamicDictionary> merged;
	_Save(fPending, merged);
	_CloseNotices(true);
}


int32
BeNuvResources::DoInit(void* data)
{
	static_cast<BeNuvResources*>(data)->Init();
	return 0;
}


int32
BeNuvResources::DoSave(void* data)
{
	static_cast<BeNuvResources*>(data)->_SaveLoop();
	return 0;
}


void
BeNuvResources::Init()
{
	BeNuvNoticeWindow* notice = new BeNuvNoticeWindow(kNoticeText,
		be_bold_font);
	notice->Show();

	_Read(kKanaTable, fKanaAutomaton);
	_Read(kControlTable, fKanaAutomaton);
	_Read(kZeneiTable, fZeneiAutomaton);
	_Read(kControlTable, fZeneiAutomaton);
	_Read(kControlTable, fControlAutomaton);
	{
		std::ifstream in(fDirectory + kDictionaryFile, std::ios::binary);
		fDictionary.Read(in);
	}
	_ReadUserDictionary();

	if (notice->Lock())
		notice->Quit();

	std::lock_guard<std::mutex> lock(fLoadLock);
	fLoading = false;
	fLoadDone.notify_all();
}


void
BeNuvResources::Wait()
{
	std::unique_lock<std::mutex> lock(fLoadLock);
	fLoadDone.wait(lock, [this] { return !fLoading; });
}


NuvAutomaton*
BeNuvResources::Converter(nuv_mode mode)
{
	Wait();
	switch (mode) {
		case MODE_HIRAKANA:
		case MODE_KATAKANA:
			return &fKanaAutomaton;
		case MODE_ZENEI:
			return &fZeneiAutomaton;
		default:
			return &fControlAutomaton;
	}
}


NuvStaticDictionary*
BeNuvResources::Dictionary()
{
	Wait();
	return &fDictionary;
}


NuvDynamicDictionary*
BeNuvResources::UserDictionary()
{
	Wait();
	return &fUserDictionary;
}


void
BeNuvResources::_Read(const char* name, NuvAutomaton& automaton)
{
	// A missing file gives a failed stream, which the reader ignores.
	std::ifstream in(fDirectory + name, std::ios::binary);
	automaton.Read(in);
}


void
BeNuvResources::MessageHandled()
{
	_HandOver(false);
}


void
BeNuvResources::SaveSoon()
{
	_HandOver(true);
}


void
BeNuvResources::_ReadUserDictionary()
{
	std::vector<std::string> notices;
	fUserFile.Load(fUserDictionary, notices);
	fUserDictionary.RecordChanges(true);
	for (const std::string& notice : notices)
		_ShowWarning(notice);
}


void
BeNuvResources::_HandOver(bool now)
{
	Wait();
	std::lock_guard<std::mutex> lock(fSaveLock);
	const bool hadPending = !fPending.empty();
	fUserDictionary.TakeChanges(fPending);
	const Clock::time_point moment = Clock::now();
	if (!hadPending && !fPending.empty())
		fFirstPending = moment;
	fLastMessage = moment;

	bool wake = now || (!hadPending && !fPending.empty());
	if (fSaved) {
		// The file as the save left it, with what was changed since on top;
		// the former map is freed on the saver thread.
		fUserDictionary.SwapContent(*fSaved);
		for (const NuvDynamicDictionary::Change& change : fPending)
			fUserDictionary.Apply(change);
		fReplaced = std::move(fSaved);
		wake = true;
	}
	if (now)
		fSaveNow = true;
	if (wake)
		fSaveWake.notify_all();
}


void
BeNuvResources::_SaveLoop()
{
	std::unique_lock<std::mutex> lock(fSaveLock);
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
				: std::min(fLastMessage + kSavePause,
					fFirstPending + kSaveInterval);
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
					fRetryAfter = fFirstPending + kSaveInterval;
				}
				continue;
			}
			wake = due;
		}

		if (!fNotices.empty()) {
			lock.unlock();
			_CloseNotices(false);
			lock.lock();
			for (const auto& notice : fNotices)
				wake = std::min(wake, notice.second);
		}
		if (fQuitting)
			break;
		if (wake == Clock::time_point::max())
			fSaveWake.wait(lock);
		else
			fSaveWake.wait_until(lock, wake);
	}
}


bool
BeNuvResources::_Save(NuvDynamicDictionary::ChangeList& changes,
	std::unique_ptr<NuvDynamicDictionary>& merged)
{
	merged.reset(new NuvDynamicDictionary);
	std::vector<std::string> notices;
	const bool saved = fUserFile.Save(changes, *merged, notices);
	for (const std::string& notice : notices)
		_ShowWarning(notice);
	return saved;
}


void
BeNuvResources::_ShowWarning(const std::string& text)
{
	BeNuvNoticeWindow* notice = new BeNuvNoticeWindow(text.c_str(),
		be_plain_font);
	notice->Show();
	std::lock_guard<std::mutex> lock(fSaveLock);
	fNotices.push_back(std::make_pair(notice, Clock::now() + kNoticeTime));
	fSaveWake.notify_all();
}


void
BeNuvResources::_CloseNotices(bool all)
{
	std::vector<BWindow*> expired;
	{
		std::lock_guard<std::mutex> lock(fSaveLock);
		const Clock::time_point now = Clock::now();
		for (auto it = fNotices.begin(); it != fNotices.end(); ) {
			if (all || it->second <= now) {
				expired.push_back(it->first);
				it = fNotices.erase(it);
			} else
				++it;
		}
	}
	for (BWindow* window : expired) {
		if (window->Lock())
			window->Quit();
	}
}
