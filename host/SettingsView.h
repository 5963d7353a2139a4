// The settings directory the method sees: the user's own files combined with
// the installed bundle, so that a newer table, dictionary or help page in an
// upgraded installation reaches every user who has not replaced that file.
//
// The method reads fixed names from one directory. The view is a private
// temporary directory holding "nuvim_settings/", a real directory of
// symbolic links: each file of the bundle links to the user's file of that
// name when the user has one of their own, else to the bundle's; the user
// dictionary's files link into the user's directory (dangling until the
// first save creates them: the method follows links when it writes, so the
// lock, temporaries and saves land beside the user's files).
//
// Copies of the bundle that earlier versions put into every user's
// directory, which the user never changed, are not the user's own: they
// are recognised by the checksums recorded in the bundle's "seeded-copies"
// (one line per version ever shipped: SHA-256 in hex, size, name) and
// removed.
#ifndef SETTINGS_VIEW_H
#define SETTINGS_VIEW_H

#include <string>
#include <vector>

class SettingsView {
public:
	// The files of the bundle that make a settings directory, relative to
	// it ("help/index.html" included).
	static	const std::vector<std::string>& BundleFiles();
	// The files the method itself writes in the settings directory.
	static	const std::vector<std::string>& UserFiles();

	// Makes a view of the user's settings `directory` (absolute) over
	// `bundle` (may be empty: then every link goes to the user's
	// directory) in a new TemporaryDirectory(). `temporary` receives its path;
	// the method's directory is `temporary` + "/nuvim_settings". False with
	// a reason when nothing could be made (then nothing is left behind).
	static	bool				Make(const std::string& directory,
									const std::string& bundle,
									std::string& temporary,
									std::string& error);

	// A new private directory under $TMPDIR, or /tmp when that is unset,
	// relative or unusable; empty with a reason when none can be made.
	static	std::string			TemporaryDirectory(std::string& error);

	// Removes a view made by Make() or a temporary directory holding a
	// single link "nuvim_settings". Uses only unlink() and rmdir() on
	// known names, so that a process may call it on its way out.
	static	void				Remove(const std::string& temporary);

	// The file a path inside a view stands for: the link's target when
	// `path` is a link, else `path` with `viewPrefix` replaced by
	// `userPrefix` (both ending in "/"); `path` itself when it lies
	// outside the view.
	static	std::string			FileBehind(const std::string& path,
									const std::string& viewPrefix,
									const std::string& userPrefix);

	// Whether `directory`/`name` is a copy of the bundle's file of that
	// name as some version seeded it, never changed since: its size and
	// SHA-256 are on the bundle's list. A link is never such a copy.
	static	bool				IsSeededCopy(const std::string& directory,
									const std::string& name,
									const std::string& bundle);

	// Removes from `directory` every seeded copy (above), and the help
	// directory when that leaves it empty. Returns the names removed.
	static	std::vector<std::string> RemoveSeededCopies(
									const std::string& directory,
									const std::string& bundle);

	// The SHA-256 of `bytes` in lower-case hex.
	static	std::string			Sha256(const std::string& bytes);
};

#endif	// SETTINGS_VIEW_H
