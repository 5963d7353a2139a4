#include "HostPaths.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <filesystem>
#include <system_error>
#include <vector>

#include <dlfcn.h>
#include <link.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <FindDirectory.h>
#include <HeadlessDisplay.h>

#include "SettingsView.h"


namespace fs = std::filesystem;


namespace {

const char* const kModuleName = "nuvIM";
const char* const kSettingsName = "nuvim_settings";
// How many directories above the library an installed prefix may lie:
// bin/, libexec/ and lib/<arch>/<framework>/ all stand below theirs.
const int kPrefixLevels = 3;

bool
IsFile(const std::string& path)
{
	std::error_code error;
	return fs::is_regular_file(path, error);
}


bool
IsDirectory(const char* path)
{
	struct stat status;
	return path != NULL && path[0] == '/' && stat(path, &status) == 0
		&& S_ISDIR(status.st_mode);
}


// The account's home directory from the password database; empty when the
// account has none, or none that is a directory it owns.
std::string
AccountHome()
{
	long size = sysconf(_SC_GETPW_R_SIZE_MAX);
	std::vector<char> buffer(size > 0 ? static_cast<size_t>(size) : 16384);
	struct passwd entry;
	struct passwd* found = NULL;
	int result;
	while ((result = getpwuid_r(getuid(), &entry, buffer.data(),
			buffer.size(), &found)) == ERANGE && buffer.size() < (1u << 20))
		buffer.resize(buffer.size() * 2);
	if (result != 0 || found == NULL || !IsDirectory(found->pw_dir))
		return std::string();
	struct stat status;
	if (stat(found->pw_dir, &status) != 0 || status.st_uid != getuid())
		return std::string();
	return found->pw_dir;
}


// Creates `directory` and the parents it lacks, each with mode 0700.
bool
MakePrivateDirectories(const fs::path& directory)
{
	std::error_code code;
	if (fs::is_directory(directory, code))
		return true;
	if (directory.has_parent_path() && directory.parent_path() != directory
		&& !MakePrivateDirectories(directory.parent_path()))
		return false;
	return mkdir(directory.c_str(), 0700) == 0 || errno == EEXIST;
}


// `relative` below the library's directory or one of the kPrefixLevels
// directories above it, nearest first, where `found` holds; empty when
// none does.
std::string
FindAbove(const std::string& directory, const std::string& relative,
	bool (*found)(const std::string&))
{
	std::string prefix = directory;
	for (int level = 0; level <= kPrefixLevels && !directory.empty();
			level++) {
		const std::string candidate = prefix + relative;
		if (found(candidate))
			return candidate;
		prefix += "../";
	}
	return std::string();
}


bool
HoldsSettings(const std::string& directory)
{
	return IsFile(directory + "/roman_kana.table");
}

}	// namespace


std::string
HostPaths::LibraryDirectory()
{
	// The object that holds this very function: the program when the
	// library is linked into it, else the shared object it is part of.
	Dl_info info;
	struct link_map* map = NULL;
	std::string path;
	if (dladdr1(reinterpret_cast<void*>(&HostPaths::LibraryDirectory), &info,
			reinterpret_cast<void**>(&map), RTLD_DL_LINKMAP) != 0
		&& map != NULL && map->l_name != NULL && map->l_name[0] != '\0')
		path = map->l_name;
	else {
		// The program itself has no name in the link map.
		char program[PATH_MAX];
		const ssize_t length = readlink("/proc/self/exe", program,
			sizeof(program) - 1);
		if (length > 0)
			path.assign(program, static_cast<size_t>(length));
	}
	char resolved[PATH_MAX];
	if (path.empty() || realpath(path.c_str(), resolved) == NULL)
		return std::string();
	path = resolved;
	return path.substr(0, path.rfind('/') + 1);
}


std::string
HostPaths::FindMethodModule()
{
	const std::string directory = LibraryDirectory();
	if (directory.empty())
		return std::string();
	if (IsFile(directory + kModuleName))
		return directory + kModuleName;
	return FindAbove(directory, NUVIM_MODULE_SUBDIR "/" + std::string(kModuleName),
		IsFile);
}


std::string
HostPaths::FindSettingsBundle()
{
	const std::string installed = FindAbove(LibraryDirectory(),
		NUVIM_SETTINGS_SUBDIR, HoldsSettings);
	if (!installed.empty())
		return installed;
	if (HoldsSettings(NUVIM_SOURCE_SETTINGS_DIR))
		return NUVIM_SOURCE_SETTINGS_DIR;
	return std::string();
}


std::string
HostPaths::DefaultSettingsDirectory()
{
	const char* config = getenv("XDG_CONFIG_HOME");
	if (config != NULL && config[0] == '/')
		return std::string(config) + "/nuvim";
	// A shared directory such as /tmp would let another user read what
	// was typed, or plant a link where the dictionary is written.
	const char* home = getenv("HOME");
	if (IsDirectory(home))
		return std::string(home) + "/.config/nuvim";
	const std::string account = AccountHome();
	if (account.empty())
		return std::string();
	return account + "/.config/nuvim";
}


bool
HostPaths::SeedSettings(const std::string& directory,
	const std::string& bundle, std::string& error)
{
	std::error_code code;
	MakePrivateDirectories(fs::absolute(directory, code).lexically_normal());
	if (!fs::is_directory(directory, code)) {
		error = "cannot create the settings directory " + directory;
		return false;
	}
	// The bundle's files are read where they are installed (SettingsView):
	// copies that earlier versions seeded go, the user's own files stay.
	SettingsView::RemoveSeededCopies(directory, bundle);
	return true;
}


bool
HostPaths::PointSettingsDirectory(const std::string& directory,
	std::string& temporary, std::string& resolved, std::string& error,
	const std::string& bundle)
{
	temporary.clear();
	resolved.clear();
	std::error_code code;
	fs::path path = fs::absolute(directory, code).lexically_normal();
	if (path.has_parent_path() && path.filename().empty())
		path = path.parent_path();
	if (code || !fs::is_directory(path, code)) {
		error = "settings directory " + directory + " does not exist";
		return false;
	}
	resolved = path.string();

	if (!bundle.empty()) {
		if (!SettingsView::Make(resolved, bundle, temporary, error))
			return false;
		HeadlessDisplay::SetDirectory(B_USER_SETTINGS_DIRECTORY,
			temporary.c_str());
		return true;
	}
	if (path.filename() == kSettingsName) {
		HeadlessDisplay::SetDirectory(B_USER_SETTINGS_DIRECTORY,
			path.parent_path().c_str());
		return true;
	}

	const std::string pattern = SettingsView::TemporaryDirectory(error);
	if (pattern.empty())
		return false;
	const std::string link = pattern + "/" + kSettingsName;
	if (symlink(path.c_str(), link.c_str()) != 0) {
		rmdir(pattern.c_str());
		error = "cannot link " + link + " to " + path.string();
		return false;
	}
	temporary = pattern;
	HeadlessDisplay::SetDirectory(B_USER_SETTINGS_DIRECTORY, pattern.c_str());
	return true;
}


void
HostPaths::RemoveSettingsLink(const std::string& temporary)
{
	HeadlessDisplay::SetDirectory(B_USER_SETTINGS_DIRECTORY, NULL);
	RemoveTemporary(temporary);
}


void
HostPaths::RemoveTemporary(const std::string& temporary)
{
	SettingsView::Remove(temporary);
}
