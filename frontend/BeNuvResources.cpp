#include "BeNuvResources.h"

#include <cerrno>
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


BeNuvResources::BeNuvResources()
	:
	fLoading(true),
	fDirectory(SettingsDirectory()),
	fKeepUserFile(false),
	fLoader(-1)
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
