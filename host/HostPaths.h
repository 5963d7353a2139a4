// Where `nuvim` finds the method module and the settings.
#ifndef HOST_PATHS_H
#define HOST_PATHS_H

#include <string>

class HostPaths {
public:
	// The directory holding the program or library that this code is part
	// of (links resolved), ending in "/": the running program's when the
	// code is linked into it. Empty if it cannot be told.
	static	std::string			ProgramDirectory();

	// The method module "nuvIM": next to the program (the build tree puts
	// it there), else in the installed prefix's library directory, seen
	// from bin/ or libexec/, or from a library folder beside lib/nuvim (a
	// framework's plug-in folder). Empty when none exists.
	static	std::string			FindMethodModule();

	// The bundled settings (tables, the large dictionary, the help page):
	// the installed prefix's data directory (seen as for the module), else
	// the source tree's settings/ that this program was built from. Empty
	// when none exists.
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
