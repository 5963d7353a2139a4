// Caret palettes, the mode palette and the notice window: parameters,
// layout and placement on a 1024 x 768 screen (usable area 20 pixels in).
#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include <Autolock.h>
#include <Font.h>
#include <HeadlessDisplay.h>
#include <InterfaceDefs.h>

#include "BeNuvModePalette.h"
#include "BeNuvNoticeWindow.h"
#include "BeNuvTextPalette.h"


namespace {

class PaletteTest : public testing::Test {
protected:
	void SetUp() override
	{
		HeadlessDisplay::SetScreenSize(1024, 768);
		HeadlessDisplay::ClearTextSizes();
	}

	// Runs the palette as its owner does and returns it.
	template<typename Palette>
	Palette* Running(Palette* palette)
	{
		palette->Run();
		return palette;
	}

	static void Close(BWindow* window)
	{
		if (window->Lock())
			window->Quit();
	}

	// The window's state once every queued hook has run.
	static headless_window_info Settled(const char* title)
	{
		EXPECT_EQ(B_OK, HeadlessDisplay::WaitForIdle());
		headless_window_info info;
		EXPECT_TRUE(HeadlessDisplay::FindWindow(title, &info)) << title;
		return info;
	}
};

const char* kCandidates = "NUV Candidates Palette";
const char* kModePalette = "NUV Mode Palette";

}	// namespace


TEST_F(PaletteTest, TextPaletteStacksItsLinesInAHiddenFloatingWindow)
{
	HeadlessDisplay::SetTextSize("first", 40, 12);
	HeadlessDisplay::SetTextSize("second", 30, 14);
	BeNuvTextPalette* palette = Running(new BeNuvTextPalette(kCandidates));
	headless_window_info info = Settled(kCandidates);
	EXPECT_EQ(B_FLOATING_ALL_WINDOW_FEEL, info.feel);
	EXPECT_EQ(0x60E3u, info.flags);
	EXPECT_EQ(B_ALL_WORKSPACES, info.workspaces);
	EXPECT_TRUE(info.hidden);
	EXPECT_TRUE(info.views.empty());

	// Placed below the initial target, (0, 0, 0, 0), with the padding of 8.
	palette->SetText({"first", "second"});
	info = Settled(kCandidates);
	EXPECT_EQ(BRect(0, 8, 43, 40), info.frame);
	ASSERT_EQ(2u, info.views.size());
	EXPECT_EQ(BRect(2, 2, 42, 14), info.views[0].frame);
	EXPECT_EQ(BRect(2, 16, 32, 30), info.views[1].frame);
	EXPECT_EQ(10, info.views[0].fontSize);
	EXPECT_FALSE(info.views[0].boldFont);

	// A second SetText leaves only its own lines, shown as UTF-8 with
	// control bytes visible; the default metric is 7 pixels a narrow
	// character, line height 15.
	palette->SetText({"a\x01" "b", "\xA4\xAB\xA4\xCA"});
	info = Settled(kCandidates);
	EXPECT_EQ(std::vector<std::string>({"a^Ab",
		"\xE3\x81\x8B\xE3\x81\xAA"}), info.texts);
	EXPECT_EQ(2 + 15 + 2 + 15 + 2, info.frame.Height());

	palette->SetText({});
	info = Settled(kCandidates);
	EXPECT_TRUE(info.views.empty());
	EXPECT_EQ(BRect(0, 8, 3, 10), info.frame);
	Close(palette);
}


TEST_F(PaletteTest, CaretPaletteStandsBelowTheTargetOrAboveItNearTheBottom)
{
	// Each palette is 43 x 16: one line of 40 x 12.
	HeadlessDisplay::SetTextSize("line", 40, 12);
	struct Case {
		BRect	target;
		BRect	expected;
	} cases[] = {
		// Below, left-aligned, 8 pixels down.
		{BRect(100, 200, 100, 215), BRect(100, 223, 143, 239)},
		// The bottom margin (747) would be crossed: above, 8 pixels up.
		{BRect(100, 740, 100, 755), BRect(100, 716, 143, 732)},
		// A negative left is held at the screen edge, not at the margin.
		{BRect(-30, 200, -30, 215), BRect(0, 223, 43, 239)},
		// The right margin (1003) pulls it left.
		{BRect(1000, 200, 1000, 215), BRect(960, 223, 1003, 239)},
		// Both at once: the bottom-right corner, above the target.
		{BRect(990, 735, 1010, 750), BRect(960, 711, 1003, 727)},
	};

	BeNuvTextPalette* palette = Running(new BeNuvTextPalette(kCandidates));
	palette->SetText({"line"});
	for (const Case& test : cases) {
		palette->SetTargetFrame(test.target);
		// SetTargetFrame has moved the window when it returns.
		EXPECT_EQ(test.expected, palette->Frame());
		EXPECT_EQ(test.expected, Settled(kCandidates).frame);
	}

	palette->SetPadding(0);
	EXPECT_EQ(BRect(960, 735 - 16, 1003, 735), palette->Frame());

	// New content and a new screen place it again.
	HeadlessDisplay::SetTextSize("narrow", 10, 12);
	HeadlessDisplay::SetTextSize("wide", 200, 12);
	palette->SetText({"narrow"});
	palette->SetTargetFrame(BRect(900, 100, 900, 115));
	EXPECT_EQ(900, palette->Frame().left);

	// The resize reaches FrameResized on the palette's thread, which
	// places it again with its new width.
	palette->SetText({"wide"});
	EXPECT_EQ(1003, Settled(kCandidates).frame.right);

	HeadlessDisplay::SetScreenSize(800, 600);
	EXPECT_EQ(779, Settled(kCandidates).frame.right);

	// Fault: a palette wider than the screen got a negative left edge, and
	// one put above a target near the top of the screen went above its top
	// (the padding is still 0).
	HeadlessDisplay::SetScreenSize(200, 100);	// usable 20..179, 20..79
	HeadlessDisplay::SetTextSize("tall", 40, 50);
	palette->SetText({"wide"});
	palette->SetTargetFrame(BRect(50, 10, 50, 25));
	EXPECT_EQ(BRect(0, 25, 203, 41), palette->Frame());
	// 54 high: neither below (to 99) nor above (from -24) fits.
	palette->SetText({"tall"});
	palette->SetTargetFrame(BRect(50, 30, 50, 45));
	EXPECT_EQ(BRect(50, 0, 93, 54), Settled(kCandidates).frame);
	Close(palette);
}


TEST_F(PaletteTest, ModePaletteShowsEachModesLabelInTheCorner)
{
	BeNuvModePalette* palette = Running(new BeNuvModePalette);
	headless_window_info info = Settled(kModePalette);
	EXPECT_EQ(B_FLOATING_ALL_WINDOW_FEEL, info.feel);
	EXPECT_EQ(0x60E2u, info.flags);
	EXPECT_EQ(B_ALL_WORKSPACES, info.workspaces);
	EXPECT_TRUE(info.hidden);
	EXPECT_EQ(BRect(10000, 10000, 10000, 10000), info.frame);
	ASSERT_EQ(1u, info.views.size());
	EXPECT_TRUE(info.views[0].boldFont);
	EXPECT_EQ(std::vector<std::string>({""}), info.texts);

	const struct {
		int32		mode;
		const char*	label;
	} labels[] = {
		{MODE_HIRAKANA, "\xE3\x81\x8B\xE3\x81\xAA"},	// かな
		{MODE_ABBREV, "a\xE3\x81\x82"},					// aあ
		{MODE_TUT, "TUT"},
		{MODE_NONE, ""},
		{9, ""},
		{-1, ""},
	};
	for (const auto& expected : labels) {
		palette->SetMode((nuv_mode)expected.mode);
		info = Settled(kModePalette);
		EXPECT_EQ(std::vector<std::string>({expected.label}), info.texts)
			<< "mode " << expected.mode;
	}

	// An empty label: the label view's preferred size (0 x 18 in the bold
	// font) plus 3 each way.
	EXPECT_EQ(3, info.frame.Width());
	EXPECT_EQ(21, info.frame.Height());
	Close(palette);

	// A new one goes to the bottom right corner and stays inside the screen.
	palette = Running(new BeNuvModePalette);
	// "NUV" in the bold font is 27 x 18; the window 30 x 21.
	palette->SetMode(MODE_ASCII);
	EXPECT_EQ(BRect(973, 726, 1003, 747), palette->Frame());
	EXPECT_EQ(BRect(2, 2, 29, 20), Settled(kModePalette).views[0].frame);

	// Dragged partly off the left edge: back to 20 pixels from it.
	palette->MoveTo(-50, 300);
	palette->SetMode(MODE_ASCII);
	EXPECT_EQ(BRect(20, 300, 50, 321), palette->Frame());

	// A new screen size moves it on its own thread.
	palette->MoveTo(973, 726);
	HeadlessDisplay::SetScreenSize(800, 600);
	EXPECT_EQ(BRect(749, 558, 779, 579), Settled(kModePalette).frame);

	// Larger than the usable area: the right and bottom tests win.
	HeadlessDisplay::SetScreenSize(60, 50);
	EXPECT_EQ(BRect(9, 8, 39, 29), Settled(kModePalette).frame);

	// Fault: after a shrink and a grow the palette stayed near the top
	// left, inside the larger screen; it goes back to the corner.
	HeadlessDisplay::SetScreenSize(700, 435);
	EXPECT_EQ(BRect(649, 393, 679, 414), Settled(kModePalette).frame);
	// One dragged away from the corner stays where it was put.
	palette->MoveTo(100, 100);
	HeadlessDisplay::SetScreenSize(800, 600);
	EXPECT_EQ(BRect(100, 100, 130, 121), Settled(kModePalette).frame);
	Close(palette);
}


TEST_F(PaletteTest, NoticeWindowCentresItsTextAndALoaderThreadCanRunIt)
{
	HeadlessDisplay::SetTextSize("nuv wake up!", 100, 20);
	BeNuvNoticeWindow* notice = new BeNuvNoticeWindow("nuv wake up!",
		be_bold_font);
	EXPECT_EQ(BRect(0, 0, 120, 40), notice->Bounds());
	notice->Show();
	// (1023 - 120) / 2 and (767 - 40) / 2: the halves are kept.
	EXPECT_EQ(BRect(451.5f, 363.5f, 571.5f, 403.5f), notice->Frame());

	headless_window_info info = Settled("nuv wake up!");
	EXPECT_FALSE(info.hidden);
	EXPECT_EQ(B_FLOATING_ALL_WINDOW_FEEL, info.feel);
	EXPECT_EQ(0x60E3u, info.flags);
	ASSERT_EQ(1u, info.views.size());
	const headless_view_info& box = info.views[0];
	EXPECT_EQ(BRect(0, 0, 120, 40), box.frame);
	ASSERT_EQ(1u, box.children.size());
	const headless_view_info& text = box.children[0];
	EXPECT_EQ(BRect(10, 10, 110, 30), text.frame);
	EXPECT_EQ("nuv wake up!", text.text);
	EXPECT_TRUE(text.boldFont);
	Close(notice);

	// As the resources' loader does: create and show on one thread, close
	// there later, while other threads look at the screen. Without a font
	// the plain one is kept: 7 x 15 a character, plus 10 on each side.
	std::thread loader([] {
		BeNuvNoticeWindow* notice = new BeNuvNoticeWindow("loading", NULL);
		EXPECT_EQ(BRect(0, 0, 69, 35), notice->Bounds());
		notice->Show();
		snooze(5000);
		notice->Lock();
		notice->Quit();
	});
	for (int i = 0; i < 20; i++)
		HeadlessDisplay::Windows();
	loader.join();
	EXPECT_FALSE(HeadlessDisplay::FindWindow("loading", NULL));
}
