#include "BeNuvUserDictionaryFile.h"

#include <cerrno>
#include <chrono>
#include <climits>
#include <cstdlib>
#include <cstdio>
#include <cstring>
#include <sstream>
#include <thread>

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include "BeNuvUtils.h"
#include "NuvUtils.h"


namespace {

const mode_t kNewFileMode = 0600;
// A temporary this much older than now belongs to a save that was cut off:
// a save holds the lock while its temporary exists, and takes well under a
// second, but a version of nuvIM that did not lock may still be writing a
// younger one.
const time_t kStaleAge = 60;
// How long a save waits for another session's save before it goes on
// without the lock (the rename still keeps the file whole).
const auto kLockPatience = std::chrono::seconds(5);
const int kMaxLinks = 40;
const size_t kReadChunk = 1 << 16;
// A temporary is the file's name, kTemporaryInfix, six letters or digits
// (mkstemp()'s) and kTemporaryEnd: a name no person gives a file, so that
// the clean-up never takes a file of the user's (".nuv-jisyo.backup").
const char* const kTemporaryInfix = ".nuvim-saving-";
const char* const kTemporaryEnd = ".tmp";
const int kTemporaryRandom = 6;


std::string
DirectoryOf(const std::string& path)
{
	const size_t slash = path.rfind('/');
	return slash == std::string::npos ? std::string("./")
		: path.substr(0, slash + 1);
}


// The file that writing `path` would create or replace: symbolic links are
// followed to their end, which may not exist yet. A circle of links ends on
// a link, which no one can open.
std::string
FollowLinks(const std::string& path)
{
	std::string current = path;
	char target[PATH_MAX];
	for (int i = 0; i < kMaxLinks; i++) {
		const ssize_t length = readlink(current.c_str(), target,
			sizeof(target) - 1);
		if (length < 0)
			break;
		std::string next(target, static_cast<size_t>(length));
		if (next.empty())
			break;
		current = next[0] == '/' ? next : DirectoryOf(current) + next;
	}
	return current;
}


// An exclusive flock() on a lock file, held while the object lives. Where
// the lock file cannot be made or the lock does not come in time, the save
// goes on without it: the rename keeps the file whole all the same.
class FileLock {
public:
	explicit FileLock(const std::string& path)
		:
		fFd(open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW,
			kNewFileMode))
	{
		if (fFd < 0)
			fFd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
		if (fFd < 0)
			return;
		const auto deadline = std::chrono::steady_clock::now()
			+ kLockPatience;
		while (flock(fFd, LOCK_EX | LOCK_NB) != 0) {
			if ((errno != EWOULDBLOCK && errno != EINTR)
				|| std::chrono::steady_clock::now() >= deadline) {
				close(fFd);
				fFd = -1;
				return;
			}
			std::this_thread::sleep_for(std::chrono::milliseconds(10));
		}
	}

	~FileLock()
	{
		if (fFd >= 0)
			close(fFd);
	}

private:
	int		fFd;
};


// Removes the temporaries of `target` (named as kTemporaryInfix says) that
// are regular files older than kStaleAge. Nothing else is ever removed.
// Call with the lock held.
void
RemoveStaleTemporaries(const std::string& target)
{
	const std::string directory = DirectoryOf(target);
	const std::string prefix = target.substr(directory.size())
		+ kTemporaryInfix;
	const std::string end = kTemporaryEnd;
	DIR* listing = opendir(directory.c_str());
	if (listing == NULL)
		return;
	const time_t now = time(NULL);
	while (struct dirent* entry = readdir(listing)) {
		const std::string name = entry->d_name;
		if (name.size() != prefix.size() + kTemporaryRandom + end.size()
			|| name.compare(0, prefix.size(), prefix) != 0
			|| name.compare(name.size() - end.size(), end.size(), end) != 0)
			continue;
		bool pattern = true;
		for (size_t i = prefix.size(); i < prefix.size() + kTemporaryRandom;
				i++) {
			const char c = name[i];
			pattern = pattern && ((c >= 'a' && c <= 'z')
				|| (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'));
		}
		struct stat status;
		const std::string path = directory + name;
		if (pattern && lstat(path.c_str(), &status) == 0
			&& S_ISREG(status.st_mode) && status.st_mtime + kStaleAge < now)
			unlink(path.c_str());
	}
	closedir(listing);
}


bool
WriteAll(int fd, const std::string& bytes)
{
	size_t done = 0;
	while (done < bytes.size()) {
		const ssize_t written = write(fd, bytes.data() + done,
			bytes.size() - done);
		if (written < 0) {
			if (errno == EINTR)
				continue;
			return false;
		}
		done += static_cast<size_t>(written);
	}
	return true;
}


// Rewrites the existing regular file `target` in place with `bytes`: the
// space is taken first, so that a full disk or a size limit fails before a
// byte of it changes; then one write, the length, and a flush. Only the
// machine dying during that write can damage the file.
bool
RewriteInPlace(const std::string& target, const std::string& bytes)
{
	const int fd = open(target.c_str(), O_WRONLY | O_CLOEXEC | O_NOFOLLOW);
	if (fd < 0)
		return false;
	struct stat status;
	bool written = fstat(fd, &status) == 0 && S_ISREG(status.st_mode);
	if (written && static_cast<off_t>(bytes.size()) > status.st_size) {
		const int error = posix_fallocate(fd, 0,
			static_cast<off_t>(bytes.size()));
		// a file system that cannot reserve space says so; go on there
		if (error != 0 && error != EOPNOTSUPP && error != EINVAL) {
			errno = error;
			written = false;
		}
	}
	written = written && WriteAll(fd, bytes)
		&& ftruncate(fd, static_cast<off_t>(bytes.size())) == 0
		&& fsync(fd) == 0;
	const int error = errno;
	if (!written) {
		close(fd);
		errno = error;
		return false;
	}
	return close(fd) == 0;
}


// Replaces `target` with `bytes` in one step: a temporary beside it (mode
// `mode`), flushed, renamed over it, and the rename flushed too. Where the
// directory takes no new file but `target` may be written, it is rewritten
// in place (RewriteInPlace), and `inPlace` is set.
bool
ReplaceFile(const std::string& target, const std::string& bytes, mode_t mode,
	bool& inPlace)
{
	inPlace = false;
	std::string temporary = target + kTemporaryInfix
		+ std::string(kTemporaryRandom, 'X') + kTemporaryEnd;
	const int fd = mkostemps(&temporary[0],
		static_cast<int>(strlen(kTemporaryEnd)), O_CLOEXEC);
	if (fd < 0) {
		if (errno != EACCES && errno != EPERM)
			return false;
		const int refused = errno;
		if (access(target.c_str(), F_OK) != 0) {
			errno = refused;
			return false;
		}
		inPlace = true;
		return RewriteInPlace(target, bytes);
	}
	bool written = fchmod(fd, mode) == 0 && WriteAll(fd, bytes)
		&& fsync(fd) == 0;
	written = close(fd) == 0 && written;
	if (!written || rename(temporary.c_str(), target.c_str()) != 0) {
		const int error = errno;
		unlink(temporary.c_str());
		errno = error;
		return false;
	}
	const int directory = open(DirectoryOf(target).c_str(),
		O_RDONLY | O_DIRECTORY | O_CLOEXEC);
	if (directory >= 0) {
		fsync(directory);
		close(directory);
	}
	return true;
}


// Whether the user has protected the existing file `path` (of mode `mode`)
// against writing: no one may write it (which root would otherwise
// ignore), or this process may not. A read-only file system is no such
// choice: the save then fails and says so.
bool
IsProtected(const std::string& path, mode_t mode)
{
	return (mode & 0222) == 0
		|| (access(path.c_str(), W_OK) != 0 && errno == EACCES);
}


std::string
ProtectedWhy(mode_t mode)
{
	char octal[8];
	snprintf(octal, sizeof(octal), "%04o", static_cast<unsigned>(mode));
	return std::string("does not allow writing (mode ") + octal + ")";
}


std::string
InPlaceNotice(const char* name)
{
	return std::string("The settings directory takes no new file, so ")
		+ name + " is rewritten in place";
}


// Notices name the files, not their directory: a host may reach the
// directory through a link of its own.
std::string
KeptNotice(const std::string& why)
{
	return std::string("The user dictionary ")
		+ BeNuvUserDictionaryFile::kFileName + " " + why + "; it is left as"
		" it is, and new words are saved in "
		+ BeNuvUserDictionaryFile::kBesideName;
}


std::string
Written(NuvDynamicDictionary& dictionary)
{
	std::ostringstream out;
	dictionary.Write(out);
	return out.str();
}

}	// namespace


const char* const BeNuvUserDictionaryFile::kFileName = ".nuv-jisyo";
const char* const BeNuvUserDictionaryFile::kBesideName = ".nuv-jisyo.new";
const char* const BeNuvUserDictionaryFile::kLockSuffix = ".lock";


BeNuvUserDictionaryFile::BeNuvUserDictionaryFile(const std::string& directory)
	:
	fDirectory(directory),
	fPath(directory + kFileName),
	fBesidePath(directory + kBesideName),
	fToldConverted(false),
	fToldKept(false),
	fToldBeside(false),
	fToldLeftOut(false),
	fToldFailed(false),
	fToldInPlace(false)
{
}


void
BeNuvUserDictionaryFile::Load(NuvDynamicDictionary& dictionary,
	std::vector<std::string>& notices)
{
	bool unknown = false;
	std::string why;
	mode_t mode = 0;
	const std::string target = FollowLinks(fPath);
	const read_result result = _Read(target, dictionary, unknown, why,
		&mode);
	if (result == READ_OK && !unknown && IsProtected(target, mode)) {
		unknown = true;
		why = ProtectedWhy(mode);
	}
	if (result == READ_REFUSED || unknown) {
		_Tell(notices, fToldKept, KeptNotice(why));
	} else if (result == READ_OK
		&& access(DirectoryOf(target).c_str(), W_OK) != 0 && errno == EACCES) {
		// said now: a save at the unload has no one to tell
		_Tell(notices, fToldInPlace, InPlaceNotice(kFileName));
	}
	if (why == "converted") {
		_Tell(notices, fToldConverted, std::string("The user dictionary ")
			+ kFileName + " was read as UTF-8 and will be saved in EUC-JP");
	}

	NuvDynamicDictionary beside;
	bool besideUnknown = false;
	if (_Read(fBesidePath, beside, besideUnknown, why) == READ_OK) {
		std::istringstream in(Written(beside));
		dictionary.Read(in);
		if (result == READ_OK && !unknown) {
			_Tell(notices, fToldBeside, std::string("Words saved in ")
				+ kBesideName + " are offered too; merge them into "
				+ kFileName + " to keep them there");
		}
	}
}


bool
BeNuvUserDictionaryFile::Save(const NuvDynamicDictionary::ChangeList& changes,
	NuvDynamicDictionary& merged, std::vector<std::string>& notices)
{
	const std::string target = FollowLinks(fPath);
	FileLock lock(target + kLockSuffix);
	RemoveStaleTemporaries(target);

	bool unknown = false;
	std::string why;
	mode_t mode = kNewFileMode;
	const read_result result = _Read(target, merged, unknown, why, &mode);
	if (result == READ_OK && !unknown && IsProtected(target, mode)) {
		unknown = true;
		why = ProtectedWhy(mode);
	}
	if (result == READ_REFUSED || unknown) {
		_Tell(notices, fToldKept, KeptNotice(why));
		return _SaveBeside(changes, merged, notices);
	}
	if (why == "converted") {
		_Tell(notices, fToldConverted, std::string("The user dictionary ")
			+ kFileName + " was read as UTF-8 and is saved in EUC-JP");
	}

	for (const NuvDynamicDictionary::Change& change : changes)
		merged.Apply(change);
	const std::string bytes = Written(merged);
	if (!_Replace(target, kFileName, bytes,
			result == READ_OK ? mode : kNewFileMode, notices))
		return false;

	// What the session offers besides: the words saved beside the file.
	NuvDynamicDictionary beside;
	if (_Read(fBesidePath, beside, unknown, why) == READ_OK) {
		std::istringstream in(Written(beside));
		merged.Read(in);
	}
	_Offer(changes, merged, notices);
	return true;
}


BeNuvUserDictionaryFile::read_result
BeNuvUserDictionaryFile::_Read(const std::string& path,
	NuvDynamicDictionary& into, bool& unknown, std::string& why, mode_t* mode)
{
	unknown = false;
	why.clear();
	// O_NONBLOCK: opening a FIFO for reading would wait for a writer.
	const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
	if (fd < 0) {
		if (errno == ENOENT)
			return READ_MISSING;
		why = std::string("cannot be read (") + strerror(errno) + ")";
		return READ_REFUSED;
	}
	struct stat status;
	if (fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) {
		close(fd);
		why = "is not a regular file";
		return READ_REFUSED;
	}
	if (mode != NULL)
		*mode = status.st_mode & 07777;

	std::string bytes;
	char chunk[kReadChunk];
	ssize_t length;
	while ((length = read(fd, chunk, sizeof(chunk))) != 0) {
		if (length < 0) {
			if (errno == EINTR)
				continue;
			why = std::string("cannot be read (") + strerror(errno) + ")";
			close(fd);
			return READ_REFUSED;
		}
		bytes.append(chunk, static_cast<size_t>(length));
	}
	close(fd);

	if (!NuvUtils::IsValidEuc(bytes)) {
		if (NuvUtils::IsValidUtf8(bytes)) {
			bytes = BeNuvUtils::ConvertUtf8ToEuc(bytes);
			why = "converted";
		} else {
			// Its words are offered as they are, but a rewrite could make
			// the damage worse.
			unknown = true;
			why = "is neither EUC-JP nor UTF-8";
		}
	}
	std::istringstream in(bytes);
	into.Read(in);
	return READ_OK;
}


bool
BeNuvUserDictionaryFile::_SaveBeside(
	const NuvDynamicDictionary::ChangeList& changes,
	NuvDynamicDictionary& merged, std::vector<std::string>& notices)
{
	NuvDynamicDictionary beside;
	bool unknown = false;
	std::string why;
	mode_t mode = kNewFileMode;
	const read_result result = _Read(fBesidePath, beside, unknown, why,
		&mode);
	if (changes.empty()) {
		// nothing to keep: no file beside is made
		std::istringstream in(Written(beside));
		merged.Read(in);
		_Offer(changes, merged, notices);
		return true;
	}
	if (result == READ_REFUSED || unknown) {
		_Tell(notices, fToldFailed, std::string("The user dictionary could not"
			" be saved: ") + kBesideName + " " + why);
		return false;
	}
	for (const NuvDynamicDictionary::Change& change : changes)
		beside.Apply(change);
	const std::string bytes = Written(beside);
	if (!_Replace(fBesidePath, kBesideName, bytes,
			result == READ_OK ? mode : kNewFileMode, notices))
		return false;

	// What the session offers: the kept file's words, those saved beside
	// it, and this session's changes first.
	std::istringstream in(bytes);
	merged.Read(in);
	_Offer(changes, merged, notices);
	return true;
}


bool
BeNuvUserDictionaryFile::_Replace(const std::string& path, const char* name,
	const std::string& bytes, mode_t mode, std::vector<std::string>& notices)
{
	bool inPlace = false;
	if (!ReplaceFile(path, bytes, mode, inPlace)) {
		_Tell(notices, fToldFailed, std::string("The user dictionary could not"
			" be saved to ") + name + ": " + strerror(errno));
		return false;
	}
	if (inPlace) {
		_Tell(notices, fToldInPlace, InPlaceNotice(name));
	}
	return true;
}


void
BeNuvUserDictionaryFile::_Offer(
	const NuvDynamicDictionary::ChangeList& changes,
	NuvDynamicDictionary& merged, std::vector<std::string>& notices)
{
	for (const NuvDynamicDictionary::Change& change : fUnwritable)
		merged.Apply(change);
	for (const NuvDynamicDictionary::Change& change : changes) {
		merged.Apply(change);
		if (!NuvDynamicDictionary::IsWritable(NuvKey(change.candidate)))
			fUnwritable.push_back(change);
	}
	if (!fUnwritable.empty()) {
		_Tell(notices, fToldLeftOut, "Some readings cannot be written to a"
			" dictionary line: their words are offered until the method is"
			" unloaded, but not saved");
	}
}


void
BeNuvUserDictionaryFile::_Tell(std::vector<std::string>& notices, bool& told,
	const std::string& text)
{
	if (told)
		return;
	told = true;
	notices.push_back(text);
}
