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

}	// namespace


std::string
HostPaths::ProgramDirectory()
{
	// The object that holds this code: a library loaded into another
	// program (an input framework's daemon) is installed apart from that
	// program, so the running executable says nothing of where nuvIM is.
	// The main program's own entry has no name: /proc/self/exe tells it.
	Dl_info info;
	struct link_map* map = NULL;
	if (dladdr1(reinterpret_cast<void*>(&HostPaths::ProgramDirectory), &info,
			reinterpret_cast<void**>(&map), RTLD_DL_LINKMAP) != 0
		&& map != NULL && map->l_name != NULL && map->l_name[0] == '/') {
		// Through links to the real folder, where the other files are.
		char resolved[PATH_MAX];
		if (realpath(map->l_name, resolved) != NULL) {
			const std::string library(resolved);
			return library.substr(0, library.rfind('/') + 1);
		}
	}

	char path[PATH_MAX];
	const ssize_t length = readlink("/proc/self/exe", path, sizeof(path) - 1);
	if (length <= 0)
		return std::string();
	std::string program(path, static_cast<size_t>(length));
	return program.substr(0, program.rfind('/') + 1);
}


std::string
HostPaths::FindMethodModule()
{
	const std::string directory = ProgramDirectory();
	if (directory.empty())
		return std::string();

	const std::string candidates[] = {
		directory + kModuleName,
		directory + NUVIM_INSTALLED_MODULE_DIR "/" + kModuleName,
		directory + NUVIM_SIBLING_MODULE_DIR "/" + kModuleName,
	};
	for (const std::string& candidate : candidates) {
		if (IsFile(candidate))
			return candidate;
	}
	return std::string();
}


std::string
HostPaths::FindSettingsBundle()
{
	const std::string directory = ProgramDirectory();
	std::string candidates[] = {
		directory.empty() ? std::string()
			: directory + NUVIM_INSTALLED_SETTINGS_DIR,
		directory.empty() ? std::string()
			: directory + NUVIM_SIBLING_SETTINGS_DIR,
		NUVIM_SOURCE_SETTINGS_DIR,
	};
	for (const std::string& candidate : candidates) {
		if (!candidate.empty() && IsFile(candidate + "/roman_kana.table"))
			return candidate;
	}
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
