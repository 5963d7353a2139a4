#include "TerminalBoxes.h"

#include <algorithm>
#include <cmath>

#include "NuvContract.h"


namespace {

// A piece of a box's line is never shortened below this: a candidate's
// label, its colon and the ellipsis.
const int kShortestPiece = 3;
const char* const kEllipsis = "\xE2\x80\xA6";	// …


// The cell index that pixel coordinate `value` falls in.
int
CellOf(float value, float cellSize)
{
	if (!std::isfinite(value) || cellSize <= 0)
		return 0;
	const float cell = std::floor(value / cellSize);
	// Frames far off the screen still give a sane index.
	return static_cast<int>(std::max(-100000.0f, std::min(100000.0f, cell)));
}


// The pieces of a line of a box: the runs between two or more blanks (the
// candidates box separates its entries so).
std::vector<std::string>
Pieces(const std::string& line)
{
	std::vector<std::string> pieces;
	size_t at = 0;
	while (at < line.size()) {
		while (at < line.size() && line[at] == ' ')
			at++;
		if (at >= line.size())
			break;
		size_t end = line.find("  ", at);
		if (end == std::string::npos)
			end = line.size();
		size_t last = end;
		while (last > at && line[last - 1] == ' ')
			last--;
		pieces.push_back(line.substr(at, last - at));
		at = end;
	}
	return pieces;
}


// The characters of `text` from its start that fit in `columns`.
std::string
Head(const std::string& text, int columns)
{
	size_t at = 0;
	int width = 0;
	while (at < text.size()) {
		uint32_t code;
		const size_t length = TerminalCanvas::DecodeCharacter(text, at, code);
		const int next = TerminalCanvas::TextWidth(text.substr(at, length));
		if (width + next > columns)
			break;
		width += next;
		at += length;
	}
	return text.substr(0, at);
}


// `piece` in `columns` (at least 2): its head, an ellipsis and its last
// word, which is never shortened (the remaining count stays readable), so
// the piece may keep more columns than asked.
std::string
Shortened(const std::string& piece, int columns)
{
	if (TerminalCanvas::TextWidth(piece) <= columns)
		return piece;
	const size_t blank = piece.rfind(' ');
	const std::string tail = blank == std::string::npos ? std::string()
		: piece.substr(blank + 1);
	const int tailWidth = TerminalCanvas::TextWidth(tail);
	const int head = std::max(1, columns - 1 - tailWidth);
	return Head(piece, head) + kEllipsis + tail;
}


// The pieces of each line laid out in rows of at most `width` columns,
// `gap` blanks apart, each shortened to `cap` columns.
std::vector<std::string>
Wrapped(const std::vector<std::vector<std::string> >& lines, int width,
	int gap, int cap)
{
	std::vector<std::string> rows;
	for (const std::vector<std::string>& pieces : lines) {
		std::string row;
		int used = 0;
		bool empty = true;
		for (const std::string& whole : pieces) {
			const std::string piece = Shortened(whole, cap);
			const int pieceWidth = TerminalCanvas::TextWidth(piece);
			if (!empty && used + gap + pieceWidth > width) {
				rows.push_back(row);
				row.clear();
				used = 0;
				empty = true;
			}
			if (!empty) {
				row.append(gap, ' ');
				used += gap;
			}
			row += piece;
			used += pieceWidth;
			empty = false;
		}
		rows.push_back(row);
	}
	return rows;
}

}	// namespace


const char* const TerminalBoxes::kCaretPaletteTitles[] = {
	NuvContract::kCandidatesPaletteTitle,
	NuvContract::kRegistrationPaletteTitle,
	NuvContract::kPurgePaletteTitle,
	NULL
};


TerminalBoxes::TerminalBoxes(const TerminalLayout& layout)
	:
	fColumns(layout.Columns()),
	fScreenRows(layout.ScreenRows()),
	fCellWidth(layout.CellWidth()),
	fCellHeight(layout.CellHeight()),
	fComposedCells(layout.ComposedCells()),
	fCaret(layout.Caret())
{
}


std::vector<TerminalBox>
TerminalBoxes::Place(const std::vector<WindowRecord>& windows) const
{
	std::vector<TerminalBox> standing;
	std::vector<TerminalBox> palettes;
	// Where each palette stood in pixels, to tell above from below.
	std::vector<float> paletteTops;
	std::vector<float> paletteBottoms;

	for (const WindowRecord& window : windows) {
		if (!window.visible)
			continue;
		TerminalBox box;
		box.title = window.title;
		bool caretPalette = false;
		for (int i = 0; kCaretPaletteTitles[i] != NULL; i++)
			caretPalette = caretPalette || window.title == kCaretPaletteTitles[i];
		_Fit(window.lines, caretPalette ? _RowsBesideCaret() : fScreenRows,
			box);
		int width = 0;
		for (const std::string& line : box.lines)
			width = std::max(width, TerminalCanvas::TextWidth(line));
		const int frame = box.framed ? 1 : 0;
		box.left = CellOf(window.frame[0], fCellWidth);
		box.top = CellOf(window.frame[1], fCellHeight);
		box.right = box.left + width - 1 + 2 * frame;
		box.bottom = box.top + static_cast<int>(box.lines.size()) - 1
			+ 2 * frame;
		if (caretPalette) {
			palettes.push_back(box);
			paletteTops.push_back(window.frame[1]);
			paletteBottoms.push_back(window.frame[3]);
		} else {
			_KeepOnScreen(box);
			standing.push_back(box);
		}
	}

	// The composed text's first row, in pixels: palettes whose frame
	// starts at or below it were put below the caret.
	float caretTop = 0;
	if (!fComposedCells.empty())
		caretTop = fComposedCells.front().row * fCellHeight;

	// Place those below the caret from the caret down, those above it from
	// the caret up, as the method stacks them.
	std::vector<size_t> order;
	for (size_t i = 0; i < palettes.size(); i++)
		order.push_back(i);
	std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) {
		const bool belowA = paletteTops[a] >= caretTop;
		const bool belowB = paletteTops[b] >= caretTop;
		if (belowA != belowB)
			return belowA;
		return belowA ? paletteTops[a] < paletteTops[b]
			: paletteBottoms[a] > paletteBottoms[b];
	});

	std::vector<TerminalBox> placed;
	std::vector<TerminalBox> result(palettes.size());
	for (size_t index : order) {
		const bool down = paletteTops[index] >= caretTop;
		TerminalBox box = palettes[index];
		_KeepOnScreen(box);
		TerminalBox trial = box;
		if (!_Slide(trial, down, placed)) {
			trial = box;
			if (!_Slide(trial, !down, placed))
				trial = box;
		}
		placed.push_back(trial);
		result[index] = trial;
	}

	standing.insert(standing.end(), result.begin(), result.end());
	return standing;
}


// #pragma mark - private


int
TerminalBoxes::_RowsBesideCaret() const
{
	if (fComposedCells.empty())
		return fScreenRows;
	int first = fCaret.row;
	int last = fCaret.row;
	for (const TerminalCell& cell : fComposedCells) {
		first = std::min(first, cell.row);
		last = std::max(last, cell.row);
	}
	first = std::max(0, first);
	last = std::min(fScreenRows - 1, last);
	return std::max(first, fScreenRows - 1 - last);
}


void
TerminalBoxes::_Fit(const std::vector<std::string>& lines, int rows,
	TerminalBox& box) const
{
	box.lines = lines;
	box.framed = true;
	int widest = 0;
	for (const std::string& line : lines)
		widest = std::max(widest, TerminalCanvas::TextWidth(line));
	if (widest + 2 <= fColumns && static_cast<int>(lines.size()) + 2 <= rows)
		return;

	std::vector<std::vector<std::string> > pieces;
	int widestPiece = 0;
	for (const std::string& line : lines) {
		pieces.push_back(Pieces(line));
		for (const std::string& piece : pieces.back())
			widestPiece = std::max(widestPiece, TerminalCanvas::TextWidth(piece));
	}
	// Wrapped at the pieces first, then closer together, then with the
	// widest pieces shortened bit by bit; without a frame rather than
	// shortened more.
	for (int cap = widestPiece; cap >= kShortestPiece; cap--) {
		for (const bool framed : {true, false}) {
			const int width = framed ? fColumns - 2 : fColumns;
			const int height = framed ? rows - 2 : rows;
			if (width < 1 || height < 1)
				continue;
			for (int gap = cap == widestPiece ? 2 : 1; gap >= 1; gap--) {
				const std::vector<std::string> wrapped = Wrapped(pieces, width,
					gap, std::min(cap, width));
				if (static_cast<int>(wrapped.size()) <= height) {
					box.lines = wrapped;
					box.framed = framed;
					return;
				}
			}
		}
	}
	// Nothing fits: the most the screen can show.
	box.lines = Wrapped(pieces, fColumns, 1, std::min(kShortestPiece, fColumns));
	box.framed = false;
}


bool
TerminalBoxes::_Collides(const TerminalBox& box,
	const std::vector<TerminalBox>& placed) const
{
	for (const TerminalCell& cell : fComposedCells) {
		if (cell.row >= box.top && cell.row <= box.bottom)
			return true;
	}
	if (!fComposedCells.empty() && fCaret.row >= box.top
		&& fCaret.row <= box.bottom)
		return true;
	for (const TerminalBox& other : placed) {
		if (box.top <= other.bottom && other.top <= box.bottom
			&& box.left <= other.right && other.left <= box.right)
			return true;
	}
	return false;
}


bool
TerminalBoxes::_Slide(TerminalBox& box, bool down,
	const std::vector<TerminalBox>& placed) const
{
	const int height = box.bottom - box.top;
	// Each step moves past one obstacle, never back: the composed text
	// and each placed box can be passed once at most.
	for (size_t step = 0; step <= placed.size() + 1; step++) {
		if (!_Collides(box, placed))
			return box.top >= 0 && box.bottom < fScreenRows;

		// The nearest edge to move past, in the direction of travel.
		int edge = down ? box.top : box.bottom;
		const auto pass = [&](int top, int bottom) {
			if (bottom < box.top || top > box.bottom)
				return;
			edge = down ? std::max(edge, bottom + 1) : std::min(edge, top - 1);
		};
		for (const TerminalCell& cell : fComposedCells)
			pass(cell.row, cell.row);
		if (!fComposedCells.empty())
			pass(fCaret.row, fCaret.row);
		for (const TerminalBox& other : placed) {
			if (box.left <= other.right && other.left <= box.right)
				pass(other.top, other.bottom);
		}
		if (down) {
			box.top = edge;
			box.bottom = edge + height;
		} else {
			box.bottom = edge;
			box.top = edge - height;
		}
		if (box.top < 0 || box.bottom >= fScreenRows)
			return false;
	}
	return !_Collides(box, placed);
}


void
TerminalBoxes::_KeepOnScreen(TerminalBox& box) const
{
	if (box.right >= fColumns) {
		box.left -= box.right - (fColumns - 1);
		box.right = fColumns - 1;
	}
	if (box.left < 0) {
		box.right -= box.left;
		box.left = 0;
	}
	if (box.bottom >= fScreenRows) {
		box.top -= box.bottom - (fScreenRows - 1);
		box.bottom = fScreenRows - 1;
	}
	if (box.top < 0) {
		box.bottom -= box.top;
		box.top = 0;
	}
}
