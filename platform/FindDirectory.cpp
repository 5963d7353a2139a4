#include "FindDirectory.h"

#include <cerrno>
#include <cstring>
#include <string>
#include <sys/stat.h>

#include "KitPrivate.h"

namespace {

// mkdir -p: true when the directory exists afterwards.
bool
CreateDirectories(const std::string& path)
{
	for (size_t slash = path.find('/', 1); ; slash = path.find('/', slash + 1)) {
		std::string prefix = path.substr(0, slash);
		if (!prefix.empty() && mkdir(prefix.c_str(), 0755) != 0
			&& errno != EEXIST)
			return false;
		if (slash == std::string::npos)
			break;
	}
	struct stat info;
	return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

}	// namespace


status_t
find_directory(directory_which which, dev_t, bool createIt, char* path,
	int32 length)
{
	if (path == NULL || length <= 0)
		return B_BAD_VALUE;
	bool known;
	std::string directory = BPrivate::DirectoryPath(which, &known);
	if (!known)
		return B_BAD_VALUE;
	if (directory.size() + 1 > (size_t)length)
		return B_BUFFER_OVERFLOW;
	if (createIt && !CreateDirectories(directory))
		return B_IO_ERROR;
	memcpy(path, directory.c_str(), directory.size() + 1);
	return B_OK;
}
