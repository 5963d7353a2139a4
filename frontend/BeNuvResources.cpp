#include "BeNuvResources.h"

#include <cerrno>
#include <climits>
#include <fstream>
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


BeNuvResources::BeNuvResources()
	:
	fLoading(true),
	fDirectory(SettingsDirectory()),
	fLoader(-1),
	fSaver(fDirectory, fNotices)
{
	// fLoading is already true: an accessor called from here on waits,
	// even before the loader has been scheduled.
	fLoader = spawn_thread(&BeNuvResources::_LoaderEntry, kLoaderName,
		B_NORMAL_PRIORITY, this);
	if (fLoader < 0 || resume_thread(fLoader) != B_OK) {
		// Without a thread the method must still start: load right here.
		fLoader = -1;
		_Load();
	}
}


BeNuvResources::~BeNuvResources()
{
	// The user dictionary is never written before it has been read.
	_Wait();
	if (fLoader >= 0) {
		status_t result;
		wait_for_thread(fLoader, &result);
	}
	fSaver.Finish(fUserDictionary);
	fNotices.Stop();
}


NuvAutomaton*
BeNuvResources::Converter(nuv_mode mode)
{
	_Wait();
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
	_Wait();
	return &fDictionary;
}


NuvDynamicDictionary*
BeNuvResources::UserDictionary()
{
	_Wait();
	return &fUserDictionary;
}


void
BeNuvResources::MessageHandled()
{
	_Wait();
	fSaver.HandOver(fUserDictionary, false);
}


void
BeNuvResources::SaveSoon()
{
	_Wait();
	fSaver.HandOver(fUserDictionary, true);
}


// #pragma mark - private


void
BeNuvResources::_Wait()
{
	std::unique_lock<std::mutex> lock(fLoadLock);
	fLoadDone.wait(lock, [this] { return !fLoading; });
}


int32
BeNuvResources::_LoaderEntry(void* data)
{
	static_cast<BeNuvResources*>(data)->_Load();
	return 0;
}


void
BeNuvResources::_Load()
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
	fSaver.Load(fUserDictionary);

	if (notice->Lock())
		notice->Quit();

	std::lock_guard<std::mutex> lock(fLoadLock);
	fLoading = false;
	fLoadDone.notify_all();
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
		fNotices.Show(std::string(kConvertedWarning) + name);
	} else
		fNotices.Show(std::string(kUnknownEncodingWarning) + name);
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
