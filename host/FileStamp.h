// A file as found on the disk at one moment: whether it is a regular file,
// and which one (device, inode, last change of the inode). The method saves
// its user dictionary by renaming a new, complete file over the old one and
// reports nothing to its host, so a host tells a save by comparing two
// stamps. Another session's save may free the former file's inode for this
// one's to reuse, so the time of the last change to the inode counts too.
#ifndef FILE_STAMP_H
#define FILE_STAMP_H

#include <string>

#include <sys/stat.h>

struct FileStamp {
	// Looks at `path` now; only a regular file counts.
	explicit					FileStamp(const std::string& path);

	// True when this look finds a file that `before` did not: a file that
	// is there now and was absent before, or another file than before.
			bool				ReplacedSince(const FileStamp& before) const;

			std::string			path;
			bool				exists = false;
			dev_t				device = 0;
			ino_t				inode = 0;
			struct timespec		changed = {};
};

#endif	// FILE_STAMP_H
