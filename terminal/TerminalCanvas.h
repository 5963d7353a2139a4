// A picture of a terminal screen: a grid of cells, each holding one
// character (a wide character takes two cells) with a style, and the bytes
// that draw it on a terminal (TerminalCapabilities.h), only the rows that
// changed since the last picture.
//
// Widths are the C library's (wcwidth) in the environment's locale when it
// is UTF-8, else in C.UTF-8: 2 for East Asian wide and full-width
// characters, 0 for combining marks (kept with the character before them),
// 1 for the rest, the ambiguous ones such as ▽ and ★ included. Control characters are shown in
// caret notation (^A) and bytes that are not UTF-8 as U+FFFD.
//
// A canvas is a plain value, used by one thread at a time.
#ifndef TERMINAL_CANVAS_H
#define TERMINAL_CANVAS_H

#include <cstdint>
#include <string>
#include <vector>

#include "TerminalCapabilities.h"

class TerminalCanvas {
public:
	// Styles, combined with |.
	enum {
		kPlain = 0,
		kBold = 1,
		kUnderline = 2,
		kReverse = 4
	};

								TerminalCanvas(int rows = 0, int columns = 0);

	// Size
			int					Rows() const { return fRows; }
			int					Columns() const { return fColumns; }
	// Resizes to rows x columns (each at least 0) and clears.
			void				Resize(int rows, int columns);
	// Every cell blank and plain.
			void				Clear();

	// Drawing. Cells outside the canvas are never touched.

	// Writes the UTF-8 `text` on `row` from `column` on, one character
	// after the other, stopping before the first that would reach `limit`
	// (the canvas's width when negative). Returns the column after the
	// last character written. Writing over one half of a wide character
	// blanks its other half.
			int					Put(int row, int column,
									const std::string& text, uint8_t style,
									int limit = -1);
	// Sets `count` cells of `row` from `column` on to blanks in `style`.
			void				Fill(int row, int column, int count,
									uint8_t style);
	// A frame of box-drawing lines on the rectangle's edges (inclusive),
	// its inside blanked; rows and columns off the canvas are left out.
			void				Frame(int top, int left, int bottom, int right,
									uint8_t style);

	// Reading, for tests and for the caller's own checks

	// The characters of `row`, a wide character once; trailing blanks
	// kept. Empty for a row off the canvas.
			std::string			RowText(int row) const;
	// The style of a cell; kPlain off the canvas.
			uint8_t				StyleAt(int row, int column) const;

	// Output

	// The bytes that change `terminal` showing `previous` into this
	// picture: the rows that differ, or all of them when `previous` is NULL
	// or of another size (then the screen is cleared first). Ends with the
	// style reset; leaves the cursor where the last row written ends.
			std::string			Render(const TerminalCanvas* previous,
									const TerminalCapabilities& terminal)
									const;

	// Widths

	// The columns a terminal gives the character `code`; 0 for a combining
	// mark, -1 for a control character.
	static	int					CharacterWidth(uint32_t code);
	// The columns of UTF-8 text as Put() lays it out on one row.
	static	int					TextWidth(const std::string& text);
	// Decodes the character at `text[at]`: its code (U+FFFD for a byte
	// that does not begin well-formed UTF-8) and the bytes it takes (at
	// least 1).
	static	size_t				DecodeCharacter(const std::string& text,
									size_t at, uint32_t& code);

private:
	struct Cell {
		std::string		text;		// the character and its combining marks
		uint8_t			style = kPlain;
		bool			wideTail = false;	// right half of a wide character

		bool operator==(const Cell& other) const
			{ return text == other.text && style == other.style
				&& wideTail == other.wideTail; }
	};

			Cell*				_At(int row, int column);
			const Cell*			_At(int row, int column) const;
	// Blanks the cells of the wide character that `column` belongs to.
			void				_BreakWide(int row, int column);
			bool				_RowEquals(const TerminalCanvas& other,
									int row) const;
			void				_RenderRow(int row,
									const TerminalCapabilities& terminal,
									std::string& out) const;

			int					fRows;
			int					fColumns;
			std::vector<Cell>	fCells;
};

#endif	// TERMINAL_CANVAS_H
