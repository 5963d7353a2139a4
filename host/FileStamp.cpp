#include "FileStamp.h"


FileStamp::FileStamp(const std::string& path)
	:
	path(path)
{
	struct stat status;
	if (stat(path.c_str(), &status) == 0 && S_ISREG(status.st_mode)) {
		exists = true;
		device = status.st_dev;
		inode = status.st_ino;
		changed = status.st_ctim;
	}
}


bool
FileStamp::ReplacedSince(const FileStamp& before) const
{
	return exists && (!before.exists || device != before.device
		|| inode != before.inode || changed.tv_sec != before.changed.tv_sec
		|| changed.tv_nsec != before.changed.tv_nsec);
}
