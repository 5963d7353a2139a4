#include "TerminalLayout.h"

#include <algorithm>

#include "TerminalBoxes.h"


namespace {

const int kTabWidth = 8;
// The bytes of the document's end kept to find where it changed: more than
// any one key removes.
const size_t kKeptTail = 256;


// The columns that the character `code` takes where the layout draws it.
int
GlyphWidth(uint32_t code)
{
	if (code < 0x20 || code == 0x7F)
		return 2;	// caret notation
	const int width = TerminalCanvas::CharacterWidth(code);
	return width < 0 ? 1 : width;
}

}	// namespace


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
	return TerminalBoxes(*this).Place(windows);
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
