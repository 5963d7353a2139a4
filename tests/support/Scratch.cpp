#include "Scratch.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>


namespace fs = std::filesystem;


namespace {

// Tests take permissions away; gives them back so that everything goes.
void
MakeRemovable(const fs::path& path)
{
	std::error_code error;
	if (!fs::is_directory(fs::symlink_status(path, error)))
		return;
	fs::permissions(path, fs::perms::owner_all, fs::perm_options::add,
		error);
	for (const fs::directory_entry& entry : fs::directory_iterator(path,
			error))
		MakeRemovable(entry.path());
}

}	// namespace


std::string
ReadFile(const std::string& path)
{
	std::ifstream in(path, std::ios::binary);
	return std::string(std::istreambuf_iterator<char>(in),
		std::istreambuf_iterator<char>());
}


void
WriteFile(const std::string& path, const std::string& bytes)
{
	std::error_code error;
	fs::create_directories(fs::path(path).parent_path(), error);
	std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}


std::string
Quote(const std::string& argument)
{
	std::string quoted = "'";
	for (char c : argument) {
		if (c == '\'')
			quoted += "'\\''";
		else
			quoted += c;
	}
	return quoted + "'";
}


ScratchDirectory::ScratchDirectory()
{
	char pattern[] = "/tmp/nuv-test-XXXXXX";
	if (mkdtemp(pattern) == NULL)
		abort();
	fPath = pattern;
}


ScratchDirectory::~ScratchDirectory()
{
	MakeRemovable(fPath);
	std::error_code error;
	fs::remove_all(fPath, error);
}


std::string
ScratchDirectory::Settings(const std::string& name,
	const std::string& source) const
{
	const std::string directory = File(name);
	std::error_code error;
	fs::create_directories(directory, error);
	if (!source.empty()) {
		for (const fs::directory_entry& entry : fs::directory_iterator(source))
			fs::copy(entry.path(), directory + "/"
				+ entry.path().filename().string(),
				fs::copy_options::recursive, error);
	}
	return directory;
}
