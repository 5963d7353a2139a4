// The terminal picture: widths, wide characters on a grid, frames, and the
// bytes that draw it.
#include "TerminalCanvas.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>


TEST(TerminalCanvas, WidthsAreTheTerminalsAmbiguousMarkersNarrow)
{
	// a 漢 あ Ａ ｱ, a combining acute, and the method's markers ▽ ▼ ★:
	// ambiguous, one column as terminals show them.
	const std::pair<uint32_t, int> kWidths[] = {{'a', 1}, {0x6F22, 2},
		{0x3042, 2}, {0xFF21, 2}, {0xFF71, 1}, {0x0301, 0}, {0x25BD, 1},
		{0x25BC, 1}, {0x2605, 1}};
	for (const auto& [code, width] : kWidths)
		EXPECT_EQ(width, TerminalCanvas::CharacterWidth(code)) << code;

	// A candidate line: A:漢字, two blanks, [残り 12].
	EXPECT_EQ(17, TerminalCanvas::TextWidth("A:漢字  [残り 12]"));
	// Control characters in caret notation, bad bytes as one U+FFFD.
	EXPECT_EQ(2, TerminalCanvas::TextWidth("\x01"));
	EXPECT_EQ(1, TerminalCanvas::TextWidth("\xFF"));
	EXPECT_EQ(2, TerminalCanvas::TextWidth("e\xCC\x81" "a"));
}


TEST(TerminalCanvas, PutLaysCharactersOutAndStopsBeforeTheLimit)
{
	TerminalCanvas canvas(2, 8);
	EXPECT_EQ(4, canvas.Put(0, 0, "a漢b", TerminalCanvas::kPlain));
	EXPECT_EQ("a漢b    ", canvas.RowText(0));

	// 字 needs columns 6 and 7 but the limit is 7: nothing is written.
	EXPECT_EQ(6, canvas.Put(0, 4, "xy字", TerminalCanvas::kBold, 7));
	EXPECT_EQ("a漢bxy  ", canvas.RowText(0));
	EXPECT_EQ(TerminalCanvas::kBold, canvas.StyleAt(0, 5));
	EXPECT_EQ(TerminalCanvas::kPlain, canvas.StyleAt(0, 6));

	// Off the canvas nothing happens; a combining mark stays with its
	// character; controls and bad bytes become visible.
	canvas.Put(5, 0, "zzz", TerminalCanvas::kPlain);
	canvas.Put(1, 0, "e\xCC\x81\x01\xFF", TerminalCanvas::kPlain);
	EXPECT_EQ("e\xCC\x81^A\xEF\xBF\xBD    ", canvas.RowText(1));

	// Overwriting half a wide character blanks the other half.
	canvas.Put(1, 0, "漢字", TerminalCanvas::kPlain);
	canvas.Put(1, 1, "x", TerminalCanvas::kPlain);		// right half of 漢
	EXPECT_EQ(" x字    ", canvas.RowText(1));
	canvas.Put(1, 2, "y", TerminalCanvas::kPlain);		// left half of 字
	EXPECT_EQ(" xy     ", canvas.RowText(1));
	canvas.Put(1, 0, "漢字", TerminalCanvas::kPlain);
	canvas.Fill(1, 3, 1, TerminalCanvas::kReverse);
	EXPECT_EQ("漢      ", canvas.RowText(1));
}


TEST(TerminalCanvas, FrameDrawsItsEdgesAndClearsItsInside)
{
	TerminalCanvas canvas(4, 6);
	canvas.Put(1, 0, "abcdef", TerminalCanvas::kPlain);
	canvas.Frame(0, 1, 2, 4, TerminalCanvas::kPlain);
	EXPECT_EQ(" ┌──┐ ", canvas.RowText(0));
	EXPECT_EQ("a│  │f", canvas.RowText(1));
	EXPECT_EQ(" └──┘ ", canvas.RowText(2));

	// A frame partly off the canvas draws what is on it.
	canvas.Frame(2, 4, 9, 9, TerminalCanvas::kPlain);
	EXPECT_EQ(" └──┌─", canvas.RowText(2));
	EXPECT_EQ("    │ ", canvas.RowText(3));
}


// The bytes are xterm's, as its terminfo entry gives them.
TEST(TerminalCanvas, RenderWritesTheRowsThatChangedInTheTerminalsOwnBytes)
{
	TerminalCapabilities xterm;
	std::string error;
	ASSERT_TRUE(xterm.Load("xterm", -1, error)) << error;
	const std::string plain = "\x1B(B\x1B[m";

	TerminalCanvas first(2, 4);
	first.Put(0, 0, "ab", TerminalCanvas::kUnderline);
	first.Put(0, 2, "c", TerminalCanvas::kPlain);
	EXPECT_EQ(plain + "\x1B[H\x1B[2J"
		"\x1B[1;1H" + plain + "\x1B[4mab" + plain + "c\x1B[K"
		"\x1B[2;1H\x1B[K" + plain, first.Render(NULL, xterm));

	// Only row 2 differs; it is full, so nothing is erased after it (an
	// erase from the last column would take its character).
	TerminalCanvas second = first;
	second.Put(1, 0, "漢字", TerminalCanvas::kReverse | TerminalCanvas::kBold);
	EXPECT_EQ(plain + "\x1B[2;1H" + plain + "\x1B[1m\x1B[7m漢字" + plain
		+ plain, second.Render(&first, xterm));

	// Nothing changed: nothing but the resets.
	EXPECT_EQ(plain + plain, second.Render(&second, xterm));

	// Another size: everything again.
	TerminalCanvas wider(2, 5);
	EXPECT_EQ(0u, wider.Render(&second, xterm).find(plain + "\x1B[H\x1B[2J"));
}
