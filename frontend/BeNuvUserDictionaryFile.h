// The user dictionary's file ".nuv-jisyo" in the settings directory: read at
// load, and merged into at every save, so that sessions running side by
// side, an editor and a file-sync tool never lose each other's words.
//
// A save takes an exclusive flock() on the lock file kLockSuffix beside the
// file (the file a symbolic link points to, a dangling link's target
// included), removes what interrupted saves left (its own temporaries,
// "<name>.nuvim-saving-XXXXXX.tmp", older than a minute: nothing else is
// ever removed), reads the file as it is now, applies the session's changes
// on top, and replaces the file with a complete copy: a temporary file
// beside it, flushed to the disk, renamed over it, the directory flushed.
// Where the directory takes no new file but the file may be written, the
// file is rewritten in place instead (its space reserved first, then one
// write and a flush), and a notice says so once. A new file, the lock file
// and every temporary get mode 0600 whatever the umask; an existing file
// keeps its mode.
//
// Kept files. A file that is valid UTF-8 and not valid EUC-JP is read as
// UTF-8 and written back in EUC-JP. A file that is neither, one that exists
// but cannot be read, one the user protected against writing (mode 0444,
// or not writable by this process), and anything that is not a regular
// file are never replaced: the session's words go to kBesideName in the
// settings directory instead (a user dictionary file of its own, merged
// into the same way), whose words are offered at every load.
//
// What the session offers after a save: the file's words, those of
// kBesideName, and the session's words under readings no line can hold,
// which stay offered (not saved) until the object goes away.
//
// Notices: what the user should hear about (a conversion, a file kept, words
// left out) is appended to a list of one-line texts, each kind once per
// object.
//
// Threads: one thread at a time; Save() may block on the lock and the disk.
#ifndef BE_NUV_USER_DICTIONARY_FILE_H
#define BE_NUV_USER_DICTIONARY_FILE_H

#include <string>
#include <vector>

#include <sys/types.h>

#include "NuvDynamicDictionary.h"

class BeNuvUserDictionaryFile {
public:
	static	const char* const	kFileName;		// ".nuv-jisyo"
	static	const char* const	kBesideName;	// ".nuv-jisyo.new"
	static	const char* const	kLockSuffix;	// ".lock"

	// `directory` is the settings directory, ending in "/".
	explicit					BeNuvUserDictionaryFile(
									const std::string& directory);

	// Reads the file and, when it exists, kBesideName into `dictionary`.
	// Never blocks: a FIFO in their place is not opened for reading.
			void				Load(NuvDynamicDictionary& dictionary,
									std::vector<std::string>& notices);

	// Merges `changes` into the file as it is now (or into kBesideName when
	// the file is kept). True when they reached the disk; `merged` (empty
	// on entry) then holds what the session should offer from now on (see
	// above), the changes applied last. False leaves the files as they
	// were.
			bool				Save(
									const NuvDynamicDictionary::ChangeList&
										changes,
									NuvDynamicDictionary& merged,
									std::vector<std::string>& notices);

			const std::string&	Path() const { return fPath; }

private:
	enum read_result {
		READ_OK,			// read; `unknown` says whether it may be rewritten
		READ_MISSING,		// no such file (a dangling link included)
		READ_REFUSED		// exists but cannot be read, or is no file
	};

			read_result			_Read(const std::string& path,
									NuvDynamicDictionary& into,
									bool& unknown, std::string& why,
									mode_t* mode = NULL);
			bool				_SaveBeside(
									const NuvDynamicDictionary::ChangeList&
										changes,
									NuvDynamicDictionary& merged,
									std::vector<std::string>& notices);
	// Replaces `path` (named `name` in notices) with `bytes`; says why
	// when it cannot, and once that the directory forced a rewrite in
	// place.
			bool				_Replace(const std::string& path,
									const char* name,
									const std::string& bytes, mode_t mode,
									std::vector<std::string>& notices);
	// Adds to `merged`, after a save, what the session offers beyond the
	// files: the words under readings no line can hold (kept in
	// fUnwritable from save to save), then `changes`.
			void				_Offer(
									const NuvDynamicDictionary::ChangeList&
										changes,
									NuvDynamicDictionary& merged,
									std::vector<std::string>& notices);
			void				_Tell(std::vector<std::string>& notices,
									bool& told, const std::string& text);

			std::string			fDirectory;
			std::string			fPath;
			std::string			fBesidePath;
			bool				fToldConverted;
			bool				fToldKept;
			bool				fToldBeside;
			bool				fToldLeftOut;
			bool				fToldFailed;
			bool				fToldInPlace;
			// This session's changes under readings that no dictionary line
			// can hold (NuvDynamicDictionary::IsWritable), oldest first.
			NuvDynamicDictionary::ChangeList fUnwritable;
};

#endif	// BE_NUV_USER_DICTIONARY_FILE_H
