#include "HostPaths.h"

#include <climits>
#include <cstdlib>
#include <filesystem>
#include <system_error>

#include <unistd.h>

#include <FindDirectory.h>
#include <HeadlessDisplay.h>


namespace fs = std::filesystem;


namespace {

const char* const kModuleName = "nuvIM";
const char* const kSettingsName = "nuvim_settings";

// The files of the bundle that make a settings directory.
const char* const kBundleFiles[] = {
	"roman_kana.table",
	"roman_zennei.table",
	"control_key.table",
	"NUV-JISYO.L",
	"help/index.html",
};


bool
IsFile(const std::string& path)
{
	std::error_code error;
	return fs::is_regular_file(path, error);
}

}	// namespace


std::string
HostPaths::ProgramDirectory()
{
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
	const char* home = getenv("HOME");
	if (home == NULL || home[0] == '\0')
		home = "/tmp";
	return std::string(home) + "/.config/nuvim";
}


bool
HostPaths::SeedSettings(const std::string& directory,
	const std::string& bundle, std::string& error)
{
	std::error_code code;
	fs::create_directories(directory, code);
	if (!fs::is_directory(directory, code)) {
		error = "cannot create the settings directory " + directory;
		return false;
	}
	if (bundle.empty())
		return true;

	for (const char* name : kBundleFiles) {
		const fs::path source = fs::path(bundle) / name;
		const fs::path target = fs::path(directory) / name;
		if (!fs::is_regular_file(source, code) || fs::exists(target, code))
			continue;
		fs::create_directories(target.parent_path(), code);
		// A copy that fails leaves the method with its built-in defaults
		// for that file; it still starts.
		fs::copy_file(source, target, fs::copy_options::skip_existing, code);
	}
	return true;
}


bool
HostPaths::PointSettingsDirectory(const std::string& directory,
	std::string& temporary, std::string& resolved, std::string& error)
{
	temporary.clear();
	std::error_code code;
	fs::path path = fs::absolute(directory, code).lexically_normal();
	if (path.has_parent_path() && path.filename().empty())
		path = path.parent_path();
	if (code || !fs::is_directory(path, code)) {
		error = "settings directory " + directory + " does not exist";
		return false;
	}
	resolved = path.string();

	if (path.filename() == kSettingsName) {
		HeadlessDisplay::SetDirectory(B_USER_SETTINGS_DIRECTORY,
			path.parent_path().c_str());
		return true;
	}

	const char* base = getenv("TMPDIR");
	std::string pattern = std::string(base != NULL && base[0] == '/'
		? base : "/tmp") + "/nuvim-XXXXXX";
	if (mkdtemp(&pattern[0]) == NULL) {
		error = "cannot create a temporary directory in " + pattern;
		return false;
	}
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
	if (temporary.empty())
		return;
	unlink((temporary + "/" + kSettingsName).c_str());
	rmdir(temporary.c_str());
}
