#include "BeNuvResources.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <climits>
#include <fstream>
#include <iterator>
#include <sstream>

#include <sys/stat.h>

#include <FindDirectory.h>
#include <Font.h>
#include <Window.h>

#include "BeNuvNoticeWindow.h"
#include "BeNuvUtils.h"
#include "NuvUtils.h"


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
const char* const kNoticeCloserName = "nuv notice closer";
const char* const kConvertedWarning = "converted from UTF-8: ";
const char* const kUnknownEncodingWarning = "neither EUC-JP nor UTF-8: ";


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


const std::chrono::milliseconds BeNuvResources::kSaveDelay(5000);
const bigtime_t BeNuvResources::kWarningDuration = 5000000;


BeNuvResources::BeNuvResources()
	:
	fLoading(true),
	fDirectory(SettingsDirectory()),
	fLoader(-1),
	fUserFile(fDirectory),
	fSaveNow(false),
	fQuitting(false),
	fSaver(-1),
	fNoticesStopped(false),
	fNoticeCloser(-1)
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
	_StopNotices();
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

	// The control-key table goes into every automaton: it is read, and
	// its encoding checked and named, once.
	_Read(kKanaTable, fKanaAutomaton);
	std::string control;
	const bool haveControl = _ReadSettingsFile(kControlTable, control);
	if (haveControl)
		fKanaAutomaton.Read(control.data(), control.size());
	_Read(kZeneiTable, fZeneiAutomaton);
	if (haveControl) {
		fZeneiAutomaton.Read(control.data(), control.size());
		fControlAutomaton.Read(control.data(), control.size());
	}
	// swapped, not assigned: assigning an empty string keeps the capacity
	std::string().swap(control);
	{
		std::string bytes;
		bool rereadable = false;
		if (_ReadSettingsFile(kDictionaryFile, bytes, &rereadable)) {
			// The loader keeps the file in one buffer of its own: give it
			// the file itself when reading it again gives the same bytes,
			// so that the large dictionary is held once at a time. A
			// converted file, or a pipe, is read from memory.
			if (rereadable) {
				std::string().swap(bytes);
				std::ifstream in(fDirectory + kDictionaryFile,
					std::ios::binary);
				fDictionary.Read(in);
			} else {
				std::istringstream in(bytes);
				std::string().swap(bytes);
				fDictionary.Read(in);
			}
		}
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


bool
BeNuvResources::_ReadSettingsFile(const char* name, std::string& bytes,
	bool* rereadable)
{
	if (rereadable != NULL)
		*rereadable = false;
	bytes.clear();
	std::ifstream in(fDirectory + name, std::ios::binary);
	if (!in.is_open())
		return false;
	// One allocation of the file's size, not a doubling string that holds
	// the text nearly twice over while it grows.
	struct stat status;
	const bool regular = stat((fDirectory + name).c_str(), &status) == 0
		&& S_ISREG(status.st_mode);
	if (regular)
		bytes.reserve(static_cast<size_t>(status.st_size));
	// A directory opens and then fails its first read: it reads as empty.
	char chunk[65536];
	while (in.read(chunk, sizeof(chunk)) || in.gcount() > 0)
		bytes.append(chunk, static_cast<size_t>(in.gcount()));

	if (NuvUtils::IsValidEuc(bytes)) {
		if (rereadable != NULL)
			*rereadable = regular;
		return true;
	}
	if (NuvUtils::IsValidUtf8(bytes)) {
		bytes = BeNuvUtils::ConvertUtf8ToEuc(bytes);
		_ShowWarning(std::string(kConvertedWarning) + name);
	} else
		_ShowWarning(std::string(kUnknownEncodingWarning) + name);
	return true;
}


void
BeNuvResources::_Read(const char* name, NuvAutomaton& automaton)
{
	// A missing file adds nothing.
	std::string bytes;
	if (_ReadSettingsFile(name, bytes))
		automaton.Read(bytes.data(), bytes.size());
}


void
BeNuvResources::_ShowWarning(const std::string& text)
{
	std::lock_guard<std::mutex> lock(fNoticeLock);
	if (fNoticesStopped)
		return;
	if (fNoticeCloser < 0) {
		fNoticeCloser = spawn_thread(&BeNuvResources::_CloseNoticesEntry,
			kNoticeCloserName, B_NORMAL_PRIORITY, this);
		if (fNoticeCloser >= 0 && resume_thread(fNoticeCloser) != B_OK)
			fNoticeCloser = -1;
		// Without a closer a warning would never go away: show none.
		if (fNoticeCloser < 0)
			return;
	}
	BeNuvNoticeWindow* window = new BeNuvNoticeWindow(
		BeNuvUtils::ConvertEucToUtf8(text).c_str(), be_bold_font);
	window->Show();
	fNotices.push_back(notice{window, system_time() + kWarningDuration});
	fNoticeChanged.notify_all();
}


int32
BeNuvResources::_CloseNoticesEntry(void* data)
{
	static_cast<BeNuvResources*>(data)->_CloseNotices();
	return 0;
}


void
BeNuvResources::_CloseNotices()
{
	std::unique_lock<std::mutex> lock(fNoticeLock);
	while (true) {
		const bigtime_t now = system_time();
		bigtime_t next = 0;
		for (size_t i = 0; i < fNotices.size(); ) {
			if (fNoticesStopped || fNotices[i].closeAt <= now) {
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
		if (fNoticesStopped)
			return;
		if (next == 0)
			fNoticeChanged.wait(lock);
		else {
			fNoticeChanged.wait_for(lock,
				std::chrono::microseconds(next - now));
		}
	}
}


void
BeNuvResources::_StopNotices()
{
	thread_id closer;
	{
		std::lock_guard<std::mutex> lock(fNoticeLock);
		fNoticesStopped = true;
		closer = fNoticeCloser;
		fNoticeChanged.notify_all();
	}
	if (closer >= 0) {
		status_t result;
		wait_for_thread(closer, &result);
	}
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
	if (!hadPending && !fPending.empty())
		fFirstPending = Clock::now();

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
