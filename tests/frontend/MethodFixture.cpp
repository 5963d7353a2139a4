#include "MethodFixture.h"

#include <cstdio>

#include <AppDefs.h>
#include <FindDirectory.h>
#include <Font.h>
#include <HeadlessDisplay.h>
#include <Input.h>
#include <Message.h>

#include "BeNuvMethod.h"
#include "BeNuvUtils.h"
#include "KeyScript.h"


SettingsDirectory::SettingsDirectory(const std::string& source)
	:
	fPath(fScratch.Settings("nuvim_settings", source) + "/")
{
	HeadlessDisplay::SetDirectory(B_USER_SETTINGS_DIRECTORY,
		fScratch.Path().c_str());
}


SettingsDirectory::~SettingsDirectory()
{
	HeadlessDisplay::SetDirectory(B_USER_SETTINGS_DIRECTORY, NULL);
}


std::string
Euc(const std::string& utf8)
{
	return BeNuvUtils::ConvertUtf8ToEuc(utf8);
}


nuv_candidate
Candidate(const std::string& reading, const std::string& word,
	const std::string& okuri)
{
	nuv_candidate candidate;
	candidate.reading = Euc(reading);
	candidate.okuri = okuri;
	candidate.candidate = Euc(word);
	return candidate;
}


headless_window_info
Window(const char* title)
{
	headless_window_info info;
	EXPECT_TRUE(HeadlessDisplay::FindWindow(title, &info)) << title;
	return info;
}


namespace {

// One line per message the application received, in order:
// STARTED, STOPPED, LOCATION_REQUEST, CHANGED(text,true|false) and
// PASSED(bytes, key code, modifiers) for a key message; control bytes are
// written \xNN.
std::string
DescribeDelivered(const BMessage& message)
{
	std::string string;
	if (message.what == B_INPUT_METHOD_EVENT) {
		const int32 opcode = message.FindInt32("be:opcode");
		switch (opcode) {
			case B_INPUT_METHOD_STARTED:
				return "STARTED";
			case B_INPUT_METHOD_STOPPED:
				return "STOPPED";
			case B_INPUT_METHOD_LOCATION_REQUEST:
				return "LOCATION_REQUEST";
			case B_INPUT_METHOD_CHANGED:
				message.FindString("be:string", &string);
				return "CHANGED(" + string + (message.FindBool("be:confirmed")
					? ",true)" : ",false)");
			default:
				return "IMEV(" + std::to_string(opcode) + ")";
		}
	}
	if (message.what == B_KEY_DOWN || message.what == B_KEY_UP) {
		message.FindString("bytes", &string);
		std::string bytes;
		for (char c : string) {
			if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) {
				char hex[8];
				snprintf(hex, sizeof(hex), "\\x%02X", c);
				bytes += hex;
			} else
				bytes += c;
		}
		char tail[32];
		snprintf(tail, sizeof(tail), ",0x%02X,0x%X)",
			message.FindInt32("key"), message.FindInt32("modifiers"));
		return std::string(message.what == B_KEY_UP ? "KEY_UP(" : "PASSED(")
			+ bytes + tail;
	}
	return "WHAT(" + std::to_string(message.what) + ")";
}

}	// namespace


MethodFixture::MethodFixture()
	:
	fSettings(kTestSettings),
	fApplication(20, 20, 15, [](const std::string& text) {
		return be_plain_font->StringWidth(text.c_str());
	})
{
}


void
MethodFixture::SetUp()
{
	HeadlessDisplay::SetScreenSize(1024, 768);
	fHost.reset(new MethodHost(fApplication, NULL));
	fHost->RecordDelivered(true);
	Load();
}


void
MethodFixture::Load()
{
	ASSERT_TRUE(fHost->Instantiate(instantiate_input_method));
	fHost->Activate(true);
	ASSERT_TRUE(fHost->Settle());
	fHost->ClearDelivered();
}


void
MethodFixture::Type(const std::string& script)
{
	std::vector<KeyStep> steps;
	KeyScriptError error;
	ASSERT_TRUE(KeyScript::Parse(script, steps, error))
		<< error.Describe(false);
	for (const KeyStep& step : steps) {
		std::string report;
		ASSERT_TRUE(fHost->Perform(step, &report)) << report;
	}
}


std::vector<std::string>
MethodFixture::Received()
{
	EXPECT_TRUE(fHost->Settle());
	std::vector<std::string> received;
	for (const BMessage& message : fHost->Delivered())
		received.push_back(DescribeDelivered(message));
	fHost->ClearDelivered();
	return received;
}


BeNuvLooper*
MethodFixture::Looper() const
{
	return static_cast<BeNuvMethod*>(fHost->Method())->Looper();
}
