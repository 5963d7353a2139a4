// Where things stand on the terminal of an interactive session, and how the
// method's pixels map to its cells.
//
// The terminal's rows, less the last one (the status line), are the screen
// that the method sees. One cell is as wide as a narrow character and as
// high as a line of the plain font in the kits' font metric (7 x 15 pixels),
// so the screen is columns x 7 by rows x 15 pixels, and a cell's left-top
// corner is at (column x 7, row x 15).
//
// The document fills the screen from the top, wrapped at the right edge,
// with the composed text inline after its end; when it is longer than the
// screen, its last rows are shown, so that the caret stays in view. The
// composed characters' pixel positions are what the application answers
// to the method's location requests, so the method places its palettes
// against the characters as they really stand.
//
// The method's windows are drawn as boxes (TerminalBoxes.h).
//
// A layout is a plain value, used by one thread at a time.
#ifndef TERMINAL_LAYOUT_H
#define TERMINAL_LAYOUT_H

#include <string>
#include <vector>

#include "ApplicationModel.h"
#include "TerminalCanvas.h"
#include "Transcript.h"

// One window as a box of cells, edges included.
struct TerminalBox {
	std::string					title;
	int							top = 0;
	int							left = 0;
	int							bottom = 0;
	int							right = 0;
	std::vector<std::string>	lines;
	// Without a frame the lines fill the box, drawn in reverse.
	bool						framed = true;
};

// A cell position on the terminal.
struct TerminalCell {
	int		row = 0;
	int		column = 0;
};

class TerminalLayout {
public:
	// A terminal of `rows` x `columns` (each at least 1); cells of
	// `cellWidth` x `cellHeight` pixels.
								TerminalLayout(int rows, int columns,
									float cellWidth, float cellHeight);

	// Geometry
			int					Rows() const { return fRows; }
			int					Columns() const { return fColumns; }
	// The rows of the screen the method sees: all but the status line.
			int					ScreenRows() const { return fScreenRows; }
			float				ScreenWidth() const
									{ return fColumns * fCellWidth; }
			float				ScreenHeight() const
									{ return fScreenRows * fCellHeight; }
			float				CellWidth() const { return fCellWidth; }
			float				CellHeight() const { return fCellHeight; }

	// The document

	// Lays out `document` with `composing` inline after it. The layout
	// keeps where the document's rows start and follows its changes from
	// the last call on, so that the work does not grow with the document
	// or its line. It expects the changes at the document's end, as an
	// application with the caret at its end makes them, fewer than 256
	// bytes removed between two calls (else the rows before may be stale).
			void				SetText(const std::string& document,
									const std::string& composing);
	// The cell of each composed character, in order (a row above the
	// screen is negative).
			const std::vector<TerminalCell>& ComposedCells() const
									{ return fComposedCells; }
	// The same as screen pixels: each cell's left-top corner and the line
	// height.
			std::vector<TextLocation> ComposedLocations() const;
	// Where the terminal's cursor goes: after the composed text.
			TerminalCell		Caret() const { return fCaret; }

	// The windows

	// The boxes of the visible windows (TerminalBoxes::Place()) against the
	// composed text of the last SetText().
			std::vector<TerminalBox> PlaceWindows(
									const std::vector<WindowRecord>& windows)
									const;

	// Drawing

	// Draws the document, the boxes and the status line (left part,
	// middle part cut to fit, right part) on `canvas`, resized to the
	// terminal.
			void				Draw(TerminalCanvas& canvas,
									const std::vector<TerminalBox>& boxes,
									const std::string& statusLeft,
									const std::string& statusMiddle,
									const std::string& statusRight) const;

private:
	// One character of the laid-out text.
	struct Glyph {
		int				row;	// on the screen; negative above it
		int				column;
		std::string		text;
		bool			composed;
	};

	// Whether a character `width` columns wide begins a new row at
	// `column`.
			bool				_Wraps(int width, int column) const;
	// Moves (row, column) past the character `code`; true when the
	// character itself begins the new row it leads to.
			bool				_Advance(uint32_t code, int& row,
									int& column) const;
	// Brings fRowStarts up to date with `document`.
			void				_FollowDocument(const std::string& document);

			int					fRows;
			int					fColumns;
			int					fScreenRows;
			float				fCellWidth;
			float				fCellHeight;
			// Where each of the document's rows starts, in bytes; the
			// document's length and last bytes when they were laid out.
			std::vector<size_t>	fRowStarts;
			size_t				fDocumentLength;
			std::string			fDocumentTail;
			std::vector<Glyph>	fGlyphs;
			std::vector<TerminalCell> fComposedCells;
			TerminalCell		fCaret;
};

#endif	// TERMINAL_LAYOUT_H
