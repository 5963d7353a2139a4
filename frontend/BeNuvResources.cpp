#include "BeNuvResources.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <climits>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <FindDirectory.h>
#include <Font.h>

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
const char* const kUserDictionaryFile = ".nuv-jisyo";
const char* const kLoaderName = "nuv resource initiarizing.";
const char* const kNoticeText = "nuv wake up!";
const char* const kNoticeCloserName = "nuv notice closer";
const char* const kConvertedWarning = "converted from UTF-8: ";
const char* const kUnknownEncodingWarning = "neither EUC-JP nor UTF-8: ";
const mode_t kNewFileMode = 0664;


std::string
SettingsDirectory()
{
	char path[PATH_MAX];
	if (find_directory(B_USER_SETTINGS_DIRECTORY, 0, false, path,
			sizeof(path)) != B_OK)
		return std::string(kFallbackSettingsDirectory) + kSettingsSubdirectory;
	return std::string(path) + kSettingsSubdirectory;
}


// Writes all of `bytes` to `fd`; false on any error.
bool
WriteAll(int fd, const std::string& bytes)
{
	size_t done = 0;
	while (done < bytes.size()) {
		const ssize_t written = write(fd, bytes.data() + done,
			bytes.size() - done);
		if (written < 0) {
			if (errno == EINTR)
				continue;
			return false;
		}
		done += static_cast<size_t>(written);
	}
	return true;
}

}	// namespace


const bigtime_t BeNuvResources::kWarningDuration = 5000000;


BeNuvResources::BeNuvResources()
	:
	fLoading(true),
	fDirectory(SettingsDirectory()),
	fKeepUserFile(false),
	fLoader(-1),
	fNoticesStopped(false),
	fNoticeCloser(-1)
{
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
	_WriteUserDictionary();
	_StopNotices();
}


int32
BeNuvResources::DoInit(void* data)
{
	static_cast<BeNuvResources*>(data)->Init();
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
BeNuvResources::_ReadUserDictionary()
{
	const std::string path = fDirectory + kUserDictionaryFile;
	struct stat status;
	const bool exists = lstat(path.c_str(), &status) == 0;

	std::ifstream in(path, std::ios::binary);
	if (exists && !in.is_open()) {
		fKeepUserFile = true;
		return;
	}
	fUserDictionary.Read(in);
	// A read error (not the end of the file) means words were not loaded.
	if (exists && in.bad())
		fKeepUserFile = true;
}


bool
BeNuvResources::_WriteUserDictionary()
{
	if (fKeepUserFile)
		return false;

	std::ostringstream text;
	fUserDictionary.Write(text);
	const std::string bytes = text.str();

	// Replace the file a symbolic link points to, not the link.
	std::string path = fDirectory + kUserDictionaryFile;
	char resolved[PATH_MAX];
	if (realpath(path.c_str(), resolved) != NULL)
		path = resolved;

	mode_t mode = kNewFileMode;
	struct stat status;
	if (stat(path.c_str(), &status) == 0)
		mode = status.st_mode & 07777;

	// The temporary file lies beside the target so that the rename below
	// replaces it in one step.
	std::string temporary = path + ".XXXXXX";
	const int fd = mkstemp(&temporary[0]);
	if (fd < 0)
		return false;

	bool written = fchmod(fd, mode) == 0 && WriteAll(fd, bytes)
		&& fsync(fd) == 0;
	written = close(fd) == 0 && written;
	if (!written || rename(temporary.c_str(), path.c_str()) != 0) {
		unlink(temporary.c_str());
		return false;
	}

	// Make the rename itself durable.
	const std::string directory = path.substr(0, path.rfind('/') + 1);
	const int directoryFd = open(directory.c_str(), O_RDONLY | O_DIRECTORY);
	if (directoryFd >= 0) {
		fsync(directoryFd);
		close(directoryFd);
	}
	return true;
}
