#include "HostedMethod.h"

#include <atomic>
#include <thread>
#include <utility>
#include <vector>

#include <HeadlessDisplay.h>

#include "HostPaths.h"


const char* const HostedMethod::kNoHome = "no home directory for the"
	" settings (HOME is not a directory and the account has none); give"
	" --settings DIR";


namespace {

const char* const kDictionaryName = "/.nuv-jisyo";
// What the method's settings directory is called through the kits.
const char* const kSettingsLinkName = "/nuvim_settings/";

}	// namespace


HostedMethod::HostedMethod(ApplicationModel& application,
	Transcript* transcript)
	:
	fHost(application, transcript),
	fLoaded(false)
{
}


HostedMethod::~HostedMethod()
{
	// Only a `wait` that threw leaves the loader running here.
	if (fLoader.joinable())
		fLoader.join();
	Unload();
	_RemoveLink();
}


// #pragma mark - Start-up


HostedMethod::Status
HostedMethod::Prepare(const std::string& settingsOption, std::string& error)
{
	// The default directory is seen over the installed bundle; one given
	// with --settings is used as it is.
	std::string settings = settingsOption;
	std::string bundle;
	if (settings.empty()) {
		settings = HostPaths::DefaultSettingsDirectory();
		if (settings.empty()) {
			error = kNoHome;
			return BAD_SETTINGS;
		}
		bundle = HostPaths::FindSettingsBundle();
		if (!HostPaths::SeedSettings(settings, bundle, error))
			return FAILED;
	}

	std::string resolved;
	if (!HostPaths::PointSettingsDirectory(settings, fTemporary, resolved,
			error, bundle)) {
		// A settings directory that does not exist is the user's fault; a
		// temporary directory that cannot be made is not.
		return resolved.empty() ? BAD_SETTINGS : FAILED;
	}
	fSettings = resolved;
	if (!fTemporary.empty())
		fHost.SetPathAlias(fTemporary + kSettingsLinkName, fSettings + "/");

	fModule = HostPaths::FindMethodModule();
	if (fModule.empty()) {
		error = "cannot find the method module nuvIM next to "
			+ HostPaths::LibraryDirectory();
		_RemoveLink();
		return FAILED;
	}
	return OK;
}


bool
HostedMethod::Load(std::string& error, const std::function<void()>& wait)
{
	if (!wait)
		fLoaded = fHost.Load(fModule, error);
	else {
		// The method's constructor waits for its dictionaries, which can
		// take seconds: the front end keeps drawing and listening meanwhile.
		std::atomic<bool> done(false);
		bool loaded = false;
		fLoader = std::thread([&]() {
			loaded = fHost.Load(fModule, error);
			done = true;
		});
		while (!done)
			wait();
		fLoader.join();
		fLoaded = loaded;
	}
	if (!fLoaded)
		_RemoveLink();
	return fLoaded;
}


void
HostedMethod::SetNoticeHandler(
	std::function<void(const std::string&)> handler)
{
	fHost.SetNoticeHandler(std::move(handler));
}


// #pragma mark - While loaded


std::string
HostedMethod::DictionaryPath() const
{
	return fSettings + kDictionaryName;
}


bool
HostedMethod::HelpPage(std::string& page, std::string& reason)
{
	page.clear();
	const size_t before = HeadlessDisplay::Launches().size();
	if (!fHost.ChooseMenuItem("Help")) {
		reason = "the method shows no Help item";
		return true;
	}
	if (!fHost.Settle(&reason))
		return false;
	const std::vector<headless_launch_info> launches
		= HeadlessDisplay::Launches();
	if (launches.size() <= before || launches.back().arguments.empty()) {
		reason = "the method opened no help page";
		return true;
	}
	page = fHost.UnaliasedPath(launches.back().arguments.front());
	return true;
}


// #pragma mark - The end


bool
HostedMethod::Unload()
{
	if (!fLoaded)
		return false;
	// Only the last save counts: an early one may have succeeded before the
	// one at the unload failed.
	const FileStamp before(DictionaryPath());
	fHost.Unload();
	fLoaded = false;
	_RemoveLink();
	return FileStamp(DictionaryPath()).ReplacedSince(before);
}


void
HostedMethod::Abandon()
{
	if (fLoader.joinable())
		fLoader.detach();
	HostPaths::RemoveTemporary(fTemporary);
	fTemporary.clear();
}


// #pragma mark - private


void
HostedMethod::_RemoveLink()
{
	HostPaths::RemoveSettingsLink(fTemporary);
	fTemporary.clear();
}
