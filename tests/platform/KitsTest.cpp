// Fonts, menus, the roster, directories, the input-server seam,
// and the misuses the kits trap.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include <Box.h>
#include <FindDirectory.h>
#include <Font.h>
#include <HeadlessDisplay.h>
#include <InputServerMethod.h>
#include <Looper.h>
#include <Menu.h>
#include <MenuItem.h>
#include <Message.h>
#include <Roster.h>
#include <StringView.h>
#include <Window.h>

#include "Scratch.h"


TEST(FontMetrics, FontsAndStringViewsFollowTheMetricOrTheHostsOverride)
{
	// "あい" wide (E3 81 82, E3 81 84), "ｱ" half-width narrow.
	EXPECT_EQ(28, be_plain_font->StringWidth("\xE3\x81\x82\xE3\x81\x84"));
	EXPECT_EQ(7, be_plain_font->StringWidth("\xEF\xBD\xB1"));
	EXPECT_EQ(18, be_bold_font->StringWidth("a\xE3\x81\x82") - 9);
	// Each byte of broken UTF-8 counts as one narrow character.
	EXPECT_EQ(21, be_plain_font->StringWidth("\xE3\x81z"));
	EXPECT_EQ(0, be_plain_font->StringWidth(""));

	// A string view's preferred size uses its font (line heights 15 plain,
	// 18 bold) or the host's override.
	BStringView view(BRect(2, 2, 0, 0), NULL, "NUV");
	auto preferred = [&view] {
		BRect size;
		view.GetPreferredSize(&size.right, &size.bottom);
		return size;
	};
	EXPECT_EQ(BRect(0, 0, 21, 15), preferred());

	view.SetFont(be_bold_font, B_FONT_ALL);
	view.ResizeToPreferred();
	EXPECT_EQ(BRect(2, 2, 29, 20), view.Frame());

	// Only the size is copied: the face stays bold, 3 x 15 by 22 + 6 + 1.
	BFont big;
	big.SetSize(20);
	view.SetFont(&big, B_FONT_SIZE);
	EXPECT_EQ(BRect(0, 0, 45, 29), preferred());

	HeadlessDisplay::SetTextSize("NUV", 40, 12);
	EXPECT_EQ(BRect(0, 0, 40, 12), preferred());
	HeadlessDisplay::ClearTextSizes();
	EXPECT_EQ(BRect(0, 0, 45, 29), preferred());
}


TEST(Roster, LaunchesAreRecordedForTheHost)
{
	HeadlessDisplay::ClearLaunches();
	const char* arguments[] = {"a", "b"};
	team_id team = -1;
	EXPECT_EQ(B_OK, be_roster->Launch("application/x-other", 2, arguments,
		&team));
	EXPECT_EQ(B_BAD_VALUE, be_roster->Launch(NULL, 0,
		static_cast<char**>(NULL)));

	std::vector<headless_launch_info> launches = HeadlessDisplay::Launches();
	ASSERT_EQ(1u, launches.size());
	EXPECT_EQ(std::vector<std::string>({"a", "b"}), launches[0].arguments);
	EXPECT_EQ(team, launches[0].team);
}


TEST(Directories, SettingsDirectoryDefaultsAndCanBeMoved)
{
	char path[256];
	auto find = [&path](bool create, size_t size) {
		return find_directory(B_USER_SETTINGS_DIRECTORY, -1, create, path,
			size);
	};
	ASSERT_EQ(B_OK, find(false, sizeof(path)));
	EXPECT_STREQ("/boot/home/config/settings", path);
	EXPECT_EQ(B_BUFFER_OVERFLOW, find(false, 10));
	EXPECT_EQ(B_BAD_VALUE, find_directory((directory_which)1, -1, false,
		path, sizeof(path)));

	ScratchDirectory scratch;
	std::string moved = scratch.File("a/b");
	HeadlessDisplay::SetDirectory(B_USER_SETTINGS_DIRECTORY, moved.c_str());
	ASSERT_EQ(B_OK, find(true, sizeof(path)));
	EXPECT_EQ(moved, path);
	EXPECT_TRUE(std::filesystem::is_directory(moved));
	HeadlessDisplay::SetDirectory(B_USER_SETTINGS_DIRECTORY, NULL);
	ASSERT_EQ(B_OK, find(false, sizeof(path)));
	EXPECT_STREQ("/boot/home/config/settings", path);
}


namespace {

class RecordingServer : public HeadlessInputServer {
public:
	virtual void MethodNamed(BInputServerMethod* method, const char* name,
		const uchar* icon)
	{
		named = method;
		this->name = name;
		iconByte = icon != NULL ? icon[17] : -1;
	}

	virtual void MethodDeleted(BInputServerMethod* method)
	{
		deleted = method;
	}

	virtual status_t EnqueueMessage(BInputServerMethod*, BMessage* message)
	{
		delete message;
		return B_OK;
	}

	virtual status_t SetMenu(BInputServerMethod*, const BMenu* menu,
		const BMessenger&)
	{
		menuLabels.clear();
		for (int32 i = 0; menu != NULL && i < menu->CountItems(); i++)
			menuLabels.push_back(menu->ItemAt(i)->Label());
		return B_OK;
	}

	BInputServerMethod*			named = NULL;
	BInputServerMethod*			deleted = NULL;
	std::string					name;
	int							iconByte = 0;
	std::vector<std::string>	menuLabels;
};

}	// namespace


TEST(InputServer, MethodCallsReachTheInstalledServer)
{
	uchar icon[256] = {};
	icon[17] = 63;

	// Without a server, an enqueued message is still taken (and freed).
	BInputServerMethod* lonely = new BInputServerMethod("lonely", NULL);
	EXPECT_EQ(B_NO_INIT, lonely->EnqueueMessage(new BMessage(1)));
	delete lonely;

	RecordingServer server;
	HeadlessDisplay::SetInputServer(&server);
	BInputServerMethod* method = new BInputServerMethod("NUV IM", icon);
	EXPECT_EQ(method, server.named);
	EXPECT_EQ("NUV IM", server.name);
	EXPECT_EQ(63, server.iconByte);

	// The menu owns its items, each once, in the order asked for. (What the
	// method enqueues and its menu's target are checked through the host.)
	BMenu menu("nuvIM menu");
	BMenuItem* help = new BMenuItem("Help", new BMessage(0));
	EXPECT_TRUE(menu.AddItem(help));
	EXPECT_FALSE(menu.AddItem(help));
	EXPECT_TRUE(menu.AddItem(new BMenuItem("Other", new BMessage(5)), 0));
	EXPECT_EQ(help, menu.FindItem("Help"));
	method->SetMenu(&menu, BMessenger());
	EXPECT_EQ(std::vector<std::string>({"Other", "Help"}), server.menuLabels);
	method->SetMenu(NULL, BMessenger());
	EXPECT_TRUE(server.menuLabels.empty());

	delete method;
	EXPECT_EQ(method, server.deleted);
	HeadlessDisplay::SetInputServer(NULL);
}


// The misuses that the real kits trap with the debugger abort here too.
TEST(KitMisuseDeathTest, MisusesAbort)
{
	GTEST_FLAG_SET(death_test_style, "threadsafe");
	const struct {
		const char*				message;
		std::function<void()>	misuse;
	} kMisuses[] = {
		{"does not hold the lock", [] {
			BLooper* looper = new BLooper("misused");
			looper->Run();
			looper->Unlock();
		}},
		{"running BLooper was deleted", [] {
			BLooper* looper = new BLooper("misused");
			looper->Run();
			delete looper;
		}},
		{"called twice", [] {
			BLooper* looper = new BLooper("misused");
			looper->Run();
			looper->Lock();
			looper->Run();
		}},
		{"without its window's lock", [] {
			BWindow* window = new BWindow(BRect(0, 0, 1, 1), "misused",
				B_TITLED_WINDOW_LOOK, B_NORMAL_WINDOW_FEEL, 0);
			BStringView* view = new BStringView(BRect(), NULL, "x");
			window->AddChild(view);
			window->Run();
			view->SetText("y");
		}},
		{"attached BView was deleted", [] {
			BBox box(BRect(0, 0, 1, 1));
			BView* child = new BView(BRect(), NULL, 0, 0);
			box.AddChild(child);
			delete child;
		}},
	};
	for (const auto& misuse : kMisuses)
		EXPECT_DEATH(misuse.misuse(), misuse.message);
}
