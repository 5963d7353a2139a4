#include "TerminalLayout.h"

#include <algorithm>
#include <cmath>


namespace {

const int kTabWidth = 8;
// The bytes of the document's end kept to find where it changed: more than
// any one key removes.
const size_t kKeptTail = 256;
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


// The columns that the character `code` takes where the layout draws it.
int
GlyphWidth(uint32_t code)
{
	if (code < 0x20 || code == 0x7F)
		return 2;	// caret notation
	const int width = TerminalCanvas::CharacterWidth(code);
	return width < 0 ? 1 : width;
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


const char* const TerminalLayout::kCaretPaletteTitles[] = {
	"NUV Candidates Palette",
	"NUV Registration Palette",
	"NUV Purge Palette",
	NULL
};
const char* const TerminalLayout::kModePaletteTitle = "NUV Mode Palette";


TerminalLayout::TerminalLayout(int rows, int columns, float cellWidth,
	float cellHeight)
	:
	fRows(std::max(rows, 1)),
	fColumns(std::max(columns, 1)),
	fScreenRows(fRows > 1 ? fRows - 1 : 1),
	fCellWidth(cellWidth > 0 ? cellWidth : 1),
	fCellHeight(cellHeight > 0 ? cellHeight : 1),
	fDocumentLength(0)
{
}


// #pragma mark - The document


void
TerminalLayout::SetText(const std::string& document,
	const std::string& composing)
{
	_FollowDocument(document);

	fGlyphs.clear();
	fComposedCells.clear();

	// Every row takes a row of the screen, so only the document's last
	// ScreenRows() rows can reach it, whatever comes after them: lay out
	// those alone, however long the document or its line.
	const size_t firstRow = fRowStarts.size() > static_cast<size_t>(fScreenRows)
		? fRowStarts.size() - fScreenRows : 0;
	int row = static_cast<int>(firstRow);
	int column = 0;
	const auto place = [&](const std::string& text, uint32_t code,
		bool composed) {
		const int width = GlyphWidth(code);
		if (width == 0) {
			// A combining mark joins the character before it.
			if (!fGlyphs.empty())
				fGlyphs.back().text += text;
			if (composed) {
				TerminalCell cell;
				cell.row = fGlyphs.empty() ? row : fGlyphs.back().row;
				cell.column = fGlyphs.empty() ? column : fGlyphs.back().column;
				fComposedCells.push_back(cell);
			}
			return;
		}
		if (_Wraps(width, column)) {
			row++;
			column = 0;
		}
		Glyph glyph;
		glyph.row = row;
		glyph.column = column;
		glyph.text = text;
		glyph.composed = composed;
		fGlyphs.push_back(glyph);
		if (composed) {
			TerminalCell cell;
			cell.row = row;
			cell.column = column;
			fComposedCells.push_back(cell);
		}
		column += width;
	};

	size_t at = fRowStarts[firstRow];
	while (at < document.size()) {
		uint32_t code;
		const size_t length = TerminalCanvas::DecodeCharacter(document, at,
			code);
		if (code == '\n' || code == '\t')
			_Advance(code, row, column);
		else
			place(document.substr(at, length), code, false);
		at += length;
	}
	at = 0;
	while (at < composing.size()) {
		uint32_t code;
		const size_t length = TerminalCanvas::DecodeCharacter(composing, at,
			code);
		place(composing.substr(at, length), code, true);
		at += length;
	}

	if (column >= fColumns) {
		row++;
		column = 0;
	}
	// Show the last rows when the text is longer than the screen.
	const int top = std::max(0, row - (fScreenRows - 1));
	fCaret.row = row - top;
	fCaret.column = column;
	for (TerminalCell& cell : fComposedCells)
		cell.row -= top;
	size_t kept = 0;
	for (Glyph& glyph : fGlyphs) {
		glyph.row -= top;
		if (glyph.row >= 0)
			fGlyphs[kept++] = glyph;
	}
	fGlyphs.resize(kept);
}


std::vector<TextLocation>
TerminalLayout::ComposedLocations() const
{
	std::vector<TextLocation> locations;
	locations.reserve(fComposedCells.size());
	for (const TerminalCell& cell : fComposedCells) {
		TextLocation location;
		location.x = cell.column * fCellWidth;
		location.y = cell.row * fCellHeight;
		location.height = fCellHeight;
		locations.push_back(location);
	}
	return locations;
}


// #pragma mark - The windows


std::vector<TerminalBox>
TerminalLayout::PlaceWindows(const std::vector<WindowRecord>& windows) const
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


// #pragma mark - Drawing


void
TerminalLayout::Draw(TerminalCanvas& canvas,
	const std::vector<TerminalBox>& boxes, const std::string& statusLeft,
	const std::string& statusMiddle, const std::string& statusRight) const
{
	if (canvas.Rows() != fRows || canvas.Columns() != fColumns)
		canvas.Resize(fRows, fColumns);
	else
		canvas.Clear();

	for (const Glyph& glyph : fGlyphs) {
		canvas.Put(glyph.row, glyph.column, glyph.text,
			glyph.composed ? TerminalCanvas::kUnderline : TerminalCanvas::kPlain);
	}

	for (const TerminalBox& box : boxes) {
		// A box without a frame stands out from the document in reverse.
		const int frame = box.framed ? 1 : 0;
		const uint8_t style = box.framed ? TerminalCanvas::kPlain
			: TerminalCanvas::kReverse;
		if (box.framed) {
			canvas.Frame(box.top, box.left, box.bottom, box.right,
				TerminalCanvas::kPlain);
		} else {
			for (int row = box.top; row <= box.bottom; row++)
				canvas.Fill(row, box.left, box.right - box.left + 1, style);
		}
		for (size_t i = 0; i < box.lines.size(); i++) {
			const int row = box.top + frame + static_cast<int>(i);
			if (row > box.bottom - frame)
				break;
			canvas.Put(row, box.left + frame, box.lines[i], style,
				std::min(box.right + 1 - frame, fColumns));
		}
	}

	if (fRows == fScreenRows)
		return;
	// The status line: the right part (the keys) stays whole as long as
	// it fits; the left part comes next, the middle takes what is left.
	const int row = fRows - 1;
	const uint8_t style = TerminalCanvas::kReverse;
	canvas.Fill(row, 0, fColumns, style);
	const int rightWidth = TerminalCanvas::TextWidth(statusRight);
	const int rightStart = std::max(1, fColumns - 1 - rightWidth);
	const int leftEnd = canvas.Put(row, 1, statusLeft, style,
		std::max(1, rightStart - 1));
	canvas.Put(row, leftEnd + 2, statusMiddle, style, rightStart - 2);
	canvas.Put(row, rightStart, statusRight, style);
}


// #pragma mark - private


int
TerminalLayout::_RowsBesideCaret() const
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
TerminalLayout::_Fit(const std::vector<std::string>& lines, int rows,
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
TerminalLayout::_Wraps(int width, int column) const
{
	return column + width > fColumns && column > 0;
}


bool
TerminalLayout::_Advance(uint32_t code, int& row, int& column) const
{
	if (code == '\n') {
		row++;
		column = 0;
		return false;
	}
	if (code == '\t') {
		const bool wraps = column >= fColumns;
		if (wraps) {
			row++;
			column = 0;
		}
		column = std::min((column / kTabWidth + 1) * kTabWidth, fColumns);
		return wraps;
	}
	const int width = GlyphWidth(code);
	const bool wraps = width > 0 && _Wraps(width, column);
	if (wraps) {
		row++;
		column = 0;
	}
	column += width;
	return wraps;
}


void
TerminalLayout::_FollowDocument(const std::string& document)
{
	// The document changes at its end only (the caret is there): find the
	// first byte that differs from what was laid out, comparing the kept
	// tail alone.
	size_t changed = 0;
	if (!fRowStarts.empty()) {
		const size_t tailStart = fDocumentLength - fDocumentTail.size();
		changed = std::min(fDocumentLength, document.size());
		if (document.size() > tailStart) {
			const size_t common = std::min(document.size(), fDocumentLength)
				- tailStart;
			for (size_t i = 0; i < common; i++) {
				if (document[tailStart + i] != fDocumentTail[i]) {
					changed = tailStart + i;
					break;
				}
			}
		}
		if (changed == fDocumentLength && changed == document.size())
			return;
	}

	// Lay out again from the row before the one the change falls in: a
	// row's start depends on nothing before it, and the row before may
	// hold the character a combining mark joins.
	size_t row = std::upper_bound(fRowStarts.begin(), fRowStarts.end(),
		changed) - fRowStarts.begin();
	row = row >= 2 ? row - 2 : 0;
	fRowStarts.resize(row + 1);
	fRowStarts[0] = 0;

	int rowNumber = static_cast<int>(row);
	int column = 0;
	size_t at = fRowStarts[row];
	while (at < document.size()) {
		uint32_t code;
		const size_t length = TerminalCanvas::DecodeCharacter(document, at,
			code);
		const int before = rowNumber;
		const bool wrapped = _Advance(code, rowNumber, column);
		if (rowNumber != before)
			fRowStarts.push_back(wrapped ? at : at + length);
		at += length;
	}

	fDocumentLength = document.size();
	const size_t tail = std::min(document.size(), kKeptTail);
	fDocumentTail.assign(document, document.size() - tail, tail);
}


bool
TerminalLayout::_Collides(const TerminalBox& box,
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
TerminalLayout::_Slide(TerminalBox& box, bool down,
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
TerminalLayout::_KeepOnScreen(TerminalBox& box) const
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
