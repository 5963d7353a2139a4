// Where a host finds the method module and the settings. The host library
// may live inside another program (a plug-in that a desktop framework
// loads), so its own files are found from where the library itself lies,
// not from the running executable. Nothing here changes process-wide state
// (signals, the working directory, the environment); the kits' settings
// directory is the only thing PointSettingsDirectory() sets.
#ifndef HOST_PATHS_H
#define HOST_PATHS_H

#include <string>

class HostPaths {
public:
	// The directory holding the object this library is linked into (the
	// program, or the shared object that a framework loaded), ending in
	// "/"; empty if it cannot be told.
	static	std::string			LibraryDirectory();

	// The method module "nuvIM": next to the library (the build tree puts
	// every program there), else in the library directory of the installed
	// prefix that holds it (up to three levels above it, so that a program
	// in bin/ or libexec/ and a plug-in in lib/<arch>/<framework>/ find the
	// same module). Empty when none exists.
	static	std::string			FindMethodModule();

	// The bundled settings (tables, the large dictionary, the help page):
	// the data directory of the installed prefix that holds the library,
	// found as FindMethodModule() finds the module, else the source tree's
	// settings/ that this library was built from. Empty when neither
	// exists.
	static	std::string			FindSettingsBundle();

	// The per-user settings directory: $XDG_CONFIG_HOME/nuvim, or
	// HOME/.config/nuvim when XDG_CONFIG_HOME is unset or relative. HOME is
	// $HOME when that names a directory, else the account's home in the
	// password database, when it is a directory the account owns. Never a
	// shared directory: with no home at all, returns an empty string.
	static	std::string			DefaultSettingsDirectory();

	// Creates `directory` (and the parents it lacks, each with mode 0700:
	// the directory will hold what the user typed) if needed, and removes
	// from it the copies of `bundle`'s files that earlier versions seeded
	// and the user never changed (SettingsView). Copies nothing: the
	// bundle is read where it is installed. Returns false with a reason
	// when the directory cannot be made.
	static	bool				SeedSettings(const std::string& directory,
									const std::string& bundle,
									std::string& error);

	// Makes `directory` the method's settings directory. The method reads
	// find_directory(B_USER_SETTINGS_DIRECTORY) + "/nuvim_settings/". With
	// a `bundle`, a temporary directory holding a view of `directory` over
	// the bundle (SettingsView) stands in; without, `directory` is used as
	// it is: when it is not itself named nuvim_settings, a temporary
	// directory holding a link of that name to it stands in. `temporary`
	// receives the temporary directory's path (else it is emptied), and
	// `resolved` the absolute path of `directory`. False with a reason
	// when `directory` does not exist (then `resolved` is empty), or no
	// temporary directory can be made.
	static	bool				PointSettingsDirectory(
									const std::string& directory,
									std::string& temporary,
									std::string& resolved,
									std::string& error,
									const std::string& bundle
										= std::string());
	// Removes what PointSettingsDirectory() created and restores the kits'
	// default directory.
	static	void				RemoveSettingsLink(
									const std::string& temporary);
	// Removes the temporary directory only, leaving the kits' directory as
	// it is: for a process that ends while a method may still be loading
	// from it.
	static	void				RemoveTemporary(const std::string& temporary);
};

#endif	// HOST_PATHS_H
