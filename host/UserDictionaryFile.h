// The user dictionary file of a settings directory, as found on the disk
// at one moment. The method saves by renaming a new, complete file over
// ".nuv-jisyo" and reports nothing to its host, so a host tells a save by
// comparing two looks: a file that is there now and was absent before, or
// is another file than before. Another session's save may free the former
// file's inode for this one's to reuse, so the time of the last change to
// the inode counts too.
#ifndef USER_DICTIONARY_FILE_H
#define USER_DICTIONARY_FILE_H

#include <string>

#include <sys/stat.h>

struct UserDictionaryFile {
	// Looks at `settings`/.nuv-jisyo now; only a regular file counts.
	explicit					UserDictionaryFile(const std::string& settings);

	// True when this look finds a file that `before` did not: the method
	// saved in between.
			bool				ReplacedSince(
									const UserDictionaryFile& before) const;

			std::string			path;
			bool				exists = false;
			dev_t				device = 0;
			ino_t				inode = 0;
			struct timespec		changed = {};
};

#endif	// USER_DICTIONARY_FILE_H
