// The start-up and the end of a hosted method, written once for every front
// end: the settings directory (the per-user one, seen over the installed
// bundle, or the one given, used as it is), the kits pointed at it through
// a temporary directory (SettingsView.h) when it is not named as the method
// expects, the module found and loaded, the
// method's notices relayed, its help page found, and at the end the unload
// that makes the method save, with whether its user dictionary file was
// written. What a front end does with keys is its own (MethodHost.h).
//
// Threads: every call on the front end's thread, except that Load() may
// run the load on a second thread while the front end waits (below).
#ifndef HOSTED_METHOD_H
#define HOSTED_METHOD_H

#include <functional>
#include <string>
#include <thread>

#include "FileStamp.h"
#include "MethodHost.h"

class ApplicationModel;
class Transcript;

class HostedMethod {
public:
	// How a step went; the values are the exit statuses of the programs.
	enum Status {
		OK = 0,
		FAILED = 1,			// the environment's fault: nothing to load,
							// a directory that cannot be made
		BAD_SETTINGS = 2	// the user's: no home for the settings, or a
							// settings directory that does not exist
	};

	// Why there is no settings directory when none is given.
	static const char* const	kNoHome;

	// `application` receives what the method sends, `transcript` (may be
	// NULL) records it (MethodHost.h); both must outlive this object.
								HostedMethod(ApplicationModel& application,
									Transcript* transcript);
	// Unloads the method if it is loaded, and removes the temporary link.
								~HostedMethod();

	// Start-up

	// Resolves the settings directory (`settings`, or the per-user one,
	// created and seeded from the bundle, when it is empty), points the
	// kits at it and finds the method module. A reason in `error` unless
	// OK.
			Status				Prepare(const std::string& settings,
									std::string& error);
	// Loads the module that Prepare() found. Without `wait` the load runs
	// on this thread. With it, the load runs on a second thread, and
	// `wait` is called on this one until the load is over: it waits a
	// little (for a key, a signal) and returns. A front end that ends the
	// process from inside `wait` calls Abandon() first. False with a
	// reason when the module cannot be loaded.
			bool				Load(std::string& error,
									const std::function<void()>& wait
										= std::function<void()>());
	// Sends each notice the method shows about its settings files (UTF-8)
	// to `handler`, on this thread (MethodHost::SetNoticeHandler()).
			void				SetNoticeHandler(
									std::function<void(const std::string&)>
										handler);

	// While loaded

			MethodHost&			Host() { return fHost; }
	// The settings directory in use, absolute; empty before Prepare().
			const std::string&	SettingsDirectory() const
									{ return fSettings; }
	// The user dictionary file of that directory.
			std::string			DictionaryPath() const;
	// Chooses the method's Help item and puts the page it opened, with the
	// temporary link resolved, into `page`; an empty page and a reason in
	// `reason` when it shows no Help item or opened no page. False, with
	// what was busy in `reason`, when the method did not settle.
			bool				HelpPage(std::string& page,
									std::string& reason);

	// The end

	// Deletes the method, which saves the user dictionary, and removes the
	// temporary link. True when that last save replaced the user dictionary
	// file (an early save that succeeded does not count). Safe to call twice
	// (then false).
			bool				Unload();
	// For a process that ends without unloading (a method still loading or
	// no longer responding): removes the temporary directory, leaving the
	// kits as they are. A load still running on its thread is left to
	// run: the process is about to end under it.
			void				Abandon();

private:
	// Removes the temporary link, if any, and restores the kits' default
	// settings directory.
			void				_RemoveLink();

			MethodHost			fHost;
			bool				fLoaded;
			std::string			fSettings;
			std::string			fTemporary;
			std::string			fModule;
			std::thread			fLoader;
};

#endif	// HOSTED_METHOD_H
