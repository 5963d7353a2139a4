// The session's layout: the text on the cells, the positions the method is
// told, and the method's windows as boxes off the caret line.
#include "TerminalLayout.h"
#include "NuvContract.h"

#include <gtest/gtest.h>

#include <random>
#include <sstream>
#include <string>
#include <vector>


namespace {

// The plain font's narrow character and line, as the kits measure them.
const float kCellWidth = 7;
const float kCellHeight = 15;


WindowRecord
Window(const std::string& title, float left, float top,
	std::vector<std::string> lines)
{
	// A text palette: 2 pixels above the first line, 2 after each.
	const float bottom = top + 2 + 17 * lines.size();
	return {title, true, {left, top, left + 100, bottom}, lines};
}


// What `layout` shows without boxes: its rows, each ended by "|", then the
// caret, the rows of the composed cells and the places (x,y,height) the
// method is told for them.
std::string
Picture(const TerminalLayout& layout)
{
	TerminalCanvas canvas;
	layout.Draw(canvas, std::vector<TerminalBox>(), "", "", "");
	std::ostringstream text;
	for (int row = 0; row < canvas.Rows(); row++)
		text << canvas.RowText(row) << "|";
	text << " caret " << layout.Caret().row << "," << layout.Caret().column;
	for (const TerminalCell& cell : layout.ComposedCells())
		text << " " << cell.row;
	for (const TextLocation& at : layout.ComposedLocations())
		text << " " << at.x << "," << at.y << "," << at.height;
	return text.str();
}


std::string
Describe(const TerminalBox& box)
{
	return "rows " + std::to_string(box.top) + "-" + std::to_string(box.bottom)
		+ " columns " + std::to_string(box.left) + "-"
		+ std::to_string(box.right);
}

}	// namespace


// The composed characters are answered where they are drawn; wide
// characters wrap whole and the caret stays in view.
TEST(TerminalLayout, TextIsAnsweredWhereDrawnAndTheCaretStaysInView)
{
	TerminalLayout composing(3, 16, kCellWidth, kCellHeight);
	composing.SetText("ab漢\n\tx", "▼漢字");
	// Row 1: the tab reaches column 8, x is there, the composition follows.
	EXPECT_EQ("ab漢            |        x▼漢字  |                | caret 1,14"
		" 1 1 1 63,15,15 70,15,15 84,15,15", Picture(composing));
	TerminalCanvas canvas;
	composing.Draw(canvas, std::vector<TerminalBox>(), "", "", "");
	EXPECT_EQ(TerminalCanvas::kPlain, canvas.StyleAt(1, 8));
	EXPECT_EQ(TerminalCanvas::kUnderline, canvas.StyleAt(1, 9));
	EXPECT_EQ(TerminalCanvas::kUnderline, canvas.StyleAt(1, 13));

	TerminalLayout layout(4, 5, kCellWidth, kCellHeight);	// 3 rows of text
	layout.SetText("abcd漢", "");
	EXPECT_EQ("abcd |漢   |     |     | caret 1,2", Picture(layout));

	// Five lines and a full last row: the last lines are shown, the caret
	// goes to the start of the next row.
	layout.SetText("1\n2\n3\n4\nabcde", "");
	EXPECT_EQ("4    |abcde|     |     | caret 2,0", Picture(layout));

	// A composition longer than the screen: its first characters are
	// above it, at negative rows.
	layout.SetText("", "▽あいうえおかきくけこ");
	EXPECT_EQ(-2, layout.ComposedCells().front().row);
	EXPECT_EQ(-2 * kCellHeight, layout.ComposedLocations().front().y);
}


// The method puts a palette 8 pixels below the caret line; its box, taller
// than the window, must still leave the caret line free.
TEST(TerminalLayout, PalettesKeepOffTheCaretLineAndOffEachOther)
{
	TerminalLayout layout(24, 80, kCellWidth, kCellHeight);
	layout.SetText("\n\n\n\n\n" + std::string(10, 'x'), "▼漢字");
	const float caretLeft = 10 * kCellWidth;
	const float caretBottom = 6 * kCellHeight;

	// Below the caret: the candidates, then registration below them.
	const WindowRecord candidates = Window("NUV Candidates Palette",
		caretLeft, caretBottom + 8, {"A:漢字  [残り 0]"});
	const WindowRecord registration = Window("NUV Registration Palette",
		caretLeft, candidates.frame[3] + 8, {"registering \"かんじ\""});
	std::vector<TerminalBox> boxes = layout.PlaceWindows({candidates,
		registration});
	ASSERT_EQ(2u, boxes.size());
	EXPECT_EQ("rows 6-8 columns 10-27", Describe(boxes[0]));
	EXPECT_EQ("rows 9-11 columns 10-31", Describe(boxes[1]));

	// Above the caret (no room below): lifted off the caret row.
	const WindowRecord above = Window("NUV Purge Palette", caretLeft,
		5 * kCellHeight - 8 - 19, {"Really purge \"かんじ /漢字/\"? (y/n)"});
	boxes = layout.PlaceWindows({above});
	ASSERT_EQ(1u, boxes.size());
	EXPECT_EQ("rows 2-4 columns 10-46", Describe(boxes[0]));

	// Drawn: the caret row keeps its text, the box is framed below it.
	TerminalCanvas canvas;
	layout.Draw(canvas, layout.PlaceWindows({candidates}), "", "", "");
	EXPECT_EQ(0u, canvas.RowText(5).find("xxxxxxxxxx▼漢字 "));
	EXPECT_EQ(0u, canvas.RowText(6).find("          ┌────────────────┐"));
	EXPECT_EQ(0u, canvas.RowText(7).find("          │A:漢字  [残り 0]│"));
}


TEST(TerminalLayout, OtherWindowsStandWhereMappedButOnScreen)
{
	TerminalLayout layout(10, 30, kCellWidth, kCellHeight);
	layout.SetText("", "");
	// The mode palette at the bottom-right corner, 20 pixels inside; its
	// box reaches past the screen and is pulled back onto it.
	WindowRecord mode = Window(NuvContract::kModePaletteTitle,
		210 - 20 - 39, 135 - 20 - 21, {"かな"});
	WindowRecord hidden = Window("NUV Candidates Palette", 0, 0, {"A:x"});
	hidden.visible = false;
	WindowRecord notice = Window("nuv wake up!", 41, 56, {"nuv wake up!"});
	const std::vector<TerminalBox> boxes = layout.PlaceWindows({mode, hidden,
		notice});
	ASSERT_EQ(2u, boxes.size());
	EXPECT_EQ("rows 6-8 columns 21-26", Describe(boxes[0]));
	EXPECT_EQ("rows 3-5 columns 5-18", Describe(boxes[1]));
	EXPECT_EQ("nuv wake up!", boxes[1].title);

	EXPECT_EQ("rows 0-2 columns 25-29", Describe(layout.PlaceWindows({Window(
		"NUV Candidates Palette", 500, 0, {"abc"})}).front()));
}


// The method's screen is the terminal above the status line, which keeps
// the keys whole and cuts the middle.
TEST(TerminalLayout, StatusLineIsTheLastRowAndKeepsTheKeysWhole)
{
	TerminalLayout layout(3, 30, kCellWidth, kCellHeight);
	EXPECT_EQ(2, layout.ScreenRows());
	EXPECT_EQ(210, layout.ScreenWidth());
	EXPECT_EQ(30, layout.ScreenHeight());
	// No room for a status line: the one row is the screen.
	TerminalLayout tiny(1, 1, kCellWidth, kCellHeight);
	EXPECT_EQ(1, tiny.ScreenRows());
	EXPECT_EQ(kCellHeight, tiny.ScreenHeight());

	layout.SetText("", "");
	TerminalCanvas canvas;
	layout.Draw(canvas, std::vector<TerminalBox>(), "かな",
		"/a/very/long/settings/directory", "F1 help  C-c quit");
	EXPECT_EQ(" かな  /a/  F1 help  C-c quit ", canvas.RowText(2));
	EXPECT_EQ(TerminalCanvas::kReverse, canvas.StyleAt(2, 0));
	EXPECT_EQ(TerminalCanvas::kReverse, canvas.StyleAt(2, 29));
}


// The layout follows the document as it changes at its end, keeping only
// where its rows start: after every change it must draw and answer what a
// layout made afresh for the same text does, long lines, tabs, wide
// characters and combining marks included.
TEST(TerminalLayout, FollowingTheDocumentDrawsWhatAFreshLayoutDraws)
{
	const std::vector<std::string> pieces = {"a", "漢", "\n", "\t", "e\xCC\x81",
		"xyzzy", "かな漢字", std::string(23, 'w'), "\xCC\x81"};
	std::mt19937 random(11);
	TerminalLayout following(7, 10, kCellWidth, kCellHeight);
	std::string document;
	for (int step = 0; step < 3000; step++) {
		if (random() % 3 == 0 && !document.empty()) {
			// Backspace: one character.
			size_t end = document.size() - 1;
			while (end > 0 && (document[end] & 0xC0) == 0x80)
				end--;
			document.resize(end);
		} else
			document += pieces[random() % pieces.size()];
		const std::string composing = step % 5 == 0 ? "▽か" : "";
		following.SetText(document, composing);

		TerminalLayout fresh(7, 10, kCellWidth, kCellHeight);
		fresh.SetText(document, composing);
		ASSERT_EQ(Picture(fresh), Picture(following)) << step;
	}
}


// Fault: on a 20 x 5 terminal the candidates box was cut, its last labels
// and the remaining count off the screen. It is wrapped, its entries
// shortened, and at this size drawn without a frame, off the caret line.
TEST(TerminalLayout, TheCandidatesBoxShowsEveryLabelOnASmallTerminal)
{
	const std::string line = "A:漢字  S:感じ  D:幹事  F:監事  J:寛治  "
		"K:完治  L:莞爾の長い候補  [残り 12]";
	const char* const labels[] = {"A:", "S:", "D:", "F:", "J:", "K:", "L:",
		"12]"};
	// On five rows every label shows; on fewer the box shows what fits,
	// and on any size it starts on the screen.
	const int kSizes[][2] = {{5, 20}, {5, 80}, {1, 1}, {2, 2}, {3, 3}, {6, 6}};
	for (const auto& [rows, columns] : kSizes) {
		SCOPED_TRACE(std::to_string(rows) + "x" + std::to_string(columns));
		TerminalLayout layout(rows, columns, kCellWidth, kCellHeight);
		layout.SetText("", "▼");
		const std::vector<TerminalBox> boxes = layout.PlaceWindows(
			{Window("NUV Candidates Palette", 0, 23, {line})});
		ASSERT_EQ(1u, boxes.size());
		EXPECT_TRUE(boxes[0].left == 0 && boxes[0].top >= 0);
		TerminalCanvas canvas;
		layout.Draw(canvas, boxes, "", "", "");
		EXPECT_EQ(rows, canvas.Rows());
		if (rows != 5)
			continue;
		EXPECT_EQ(1, boxes[0].top);
		EXPECT_EQ(3, boxes[0].bottom);
		EXPECT_EQ(columns == 80, boxes[0].framed);
		std::string shown;
		for (int row = 1; row <= 3; row++)
			shown += canvas.RowText(row) + "\n";
		for (const char* label : labels)
			EXPECT_NE(std::string::npos, shown.find(label)) << label << shown;
		EXPECT_EQ("▼", canvas.RowText(0).substr(0, 3));
	}
}
