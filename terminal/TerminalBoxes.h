// The method's windows as boxes of cells on the terminal of an interactive
// session (TerminalLayout.h has the cells and the text).
//
// Each visible window is drawn as a framed box whose left-top corner is the
// cell of its frame's left-top corner, one row per line of text. A box is a
// row taller and two columns wider than its window, so the caret palettes
// (candidates, registration, purge), which stand a few pixels from the caret
// line or from each other, are moved away by whole rows until they cover
// neither the composed text nor each other: downwards when the method placed
// them below the caret, upwards when above (or the other way when the screen
// has no room). The mode palette and the notice stay where they are mapped.
// Every box is kept on the screen.
//
// A box whose lines do not fit the screen (beside the caret line, for a
// caret palette) is wrapped between its pieces (the runs of its lines
// between two or more blanks, such as the candidates box's entries), its
// pieces moved closer and then shortened with an ellipsis, keeping their
// first characters (a candidate's label) and last word (the remaining
// count); where even that needs more rows, it loses its frame and is drawn
// in reverse. So every label of the candidates box shows on a 20 x 5
// terminal.
#ifndef TERMINAL_BOXES_H
#define TERMINAL_BOXES_H

#include <string>
#include <vector>

#include "TerminalLayout.h"

class TerminalBoxes {
public:
	// The windows drawn as caret palettes; the rest stand where mapped.
	static	const char* const	kCaretPaletteTitles[];

	// Boxes on the terminal of `layout`, against its composed text and
	// caret as they are now; `layout` must outlive this object.
	explicit					TerminalBoxes(const TerminalLayout& layout);

	// The boxes of the visible windows, in drawing order: the windows that
	// stand where mapped first, then the caret palettes, each in the order
	// given.
			std::vector<TerminalBox> Place(
									const std::vector<WindowRecord>& windows)
									const;

private:
	// The rows free above or below the composed text, the larger.
			int					_RowsBesideCaret() const;
	// Sets the box's lines (and frame) so that it fits the terminal's
	// width and `rows` rows.
			void				_Fit(const std::vector<std::string>& lines,
									int rows, TerminalBox& box) const;
	// Whether a box's rows [top, bottom] and columns overlap what is
	// placed already or the composed text.
			bool				_Collides(const TerminalBox& box,
									const std::vector<TerminalBox>& placed)
									const;
	// Moves `box` down (or up) past whatever it collides with; false when
	// it leaves the screen on the way.
			bool				_Slide(TerminalBox& box, bool down,
									const std::vector<TerminalBox>& placed)
									const;
			void				_KeepOnScreen(TerminalBox& box) const;

			int					fColumns;
			int					fScreenRows;
			float				fCellWidth;
			float				fCellHeight;
			const std::vector<TerminalCell>& fComposedCells;
			TerminalCell		fCaret;
};

#endif	// TERMINAL_BOXES_H
