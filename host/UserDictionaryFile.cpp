#include "UserDictionaryFile.h"


UserDictionaryFile::UserDictionaryFile(const std::string& settings)
	:
	path(settings + "/.nuv-jisyo")
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
UserDictionaryFile::ReplacedSince(const UserDictionaryFile& before) const
{
	return exists && (!before.exists || device != before.device
		|| inode != before.inode || changed.tv_sec != before.changed.tv_sec
		|| changed.tv_nsec != before.changed.tv_nsec);
}
