// Runs the input method in the test process, as nuvim does, over a private
// copy of a settings directory, and records what the application receives.
#ifndef METHOD_FIXTURE_H
#define METHOD_FIXTURE_H

#include <memory>
#include <string>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <HeadlessDisplay.h>

#include "ApplicationModel.h"
#include "MethodHost.h"
#include "NuvTypes.h"
#include "Scratch.h"

class BeNuvLooper;
class BMessage;

// A scratch directory holding "nuvim_settings/", with the kits' user
// settings directory pointed at it; removed again on destruction.
class SettingsDirectory {
public:
	// Copies every file of `source` (may be empty: no files).
								SettingsDirectory(const std::string& source);
								~SettingsDirectory();

	// The path of `name` in the settings directory.
			std::string			File(const std::string& name) const
									{ return fPath + name; }

private:
			ScratchDirectory	fScratch;
			std::string			fPath;
};

// `utf8` in EUC-JP.
std::string Euc(const std::string& utf8);
// A record of `reading` (UTF-8), `word` (UTF-8) and okuri letter `okuri`.
nuv_candidate Candidate(const std::string& reading, const std::string& word,
	const std::string& okuri = std::string());

// The window titled `title`, which must be on the display.
headless_window_info Window(const char* title);

class MethodFixture : public testing::Test {
protected:
								MethodFixture();

	virtual	void				SetUp();

	// Loads the method (linked into the test) and activates it.
			void				Load();

	// Plays `script` (KeyScript syntax), settling after each step.
			void				Type(const std::string& script);
	// What the application received since the last call, once the method
	// has settled, one description per message.
			std::vector<std::string> Received();

			BeNuvLooper*		Looper() const;

			SettingsDirectory	fSettings;
			ApplicationModel	fApplication;
			std::unique_ptr<MethodHost> fHost;
};

#endif	// METHOD_FIXTURE_H
