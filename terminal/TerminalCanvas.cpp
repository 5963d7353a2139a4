#include "TerminalCanvas.h"

#include "Utf8.h"

#include <clocale>
#include <cstring>
#include <cwchar>

#include <langinfo.h>
#include <locale.h>


namespace {

const char* const kBlank = " ";
const char* const kReplacement = "\xEF\xBF\xBD";	// U+FFFD

// Box-drawing lines: ─ │ ┌ ┐ └ ┘
const char* const kHorizontal = "\xE2\x94\x80";
const char* const kVertical = "\xE2\x94\x82";
const char* const kTopLeft = "\xE2\x94\x8C";
const char* const kTopRight = "\xE2\x94\x90";
const char* const kBottomLeft = "\xE2\x94\x94";
const char* const kBottomRight = "\xE2\x94\x98";


// The C library's widths: those of the environment's locale when its
// characters are UTF-8 (the session insists on one), else those of C.UTF-8,
// whatever the process's own locale is.
locale_t
Utf8Locale()
{
	static const locale_t locale = []() {
		locale_t chosen = newlocale(LC_CTYPE_MASK, "",
			static_cast<locale_t>(0));
		if (chosen != static_cast<locale_t>(0)) {
			const char* codeset = nl_langinfo_l(CODESET, chosen);
			if (codeset != NULL && strcmp(codeset, "UTF-8") == 0)
				return chosen;
			freelocale(chosen);
		}
		return newlocale(LC_CTYPE_MASK, "C.UTF-8", static_cast<locale_t>(0));
	}();
	return locale;
}


void
AppendStyle(uint8_t style, const TerminalCapabilities& terminal,
	std::string& out)
{
	out += terminal.Plain();
	if ((style & TerminalCanvas::kBold) != 0)
		out += terminal.Bold();
	if ((style & TerminalCanvas::kUnderline) != 0)
		out += terminal.Underline();
	if ((style & TerminalCanvas::kReverse) != 0)
		out += terminal.Reverse();
}

}	// namespace


TerminalCanvas::TerminalCanvas(int rows, int columns)
	:
	fRows(0),
	fColumns(0)
{
	Resize(rows, columns);
}


void
TerminalCanvas::Resize(int rows, int columns)
{
	fRows = rows > 0 ? rows : 0;
	fColumns = columns > 0 ? columns : 0;
	fCells.assign(static_cast<size_t>(fRows) * fColumns, Cell());
	Clear();
}


void
TerminalCanvas::Clear()
{
	for (Cell& cell : fCells) {
		cell.text = kBlank;
		cell.style = kPlain;
		cell.wideTail = false;
	}
}


// #pragma mark - Drawing


int
TerminalCanvas::Put(int row, int column, const std::string& text,
	uint8_t style, int limit)
{
	if (limit < 0 || limit > fColumns)
		limit = fColumns;
	if (row < 0 || row >= fRows)
		return column;

	Cell* last = NULL;
	size_t at = 0;
	while (at < text.size()) {
		uint32_t code;
		const size_t length = DecodeCharacter(text, at, code);
		std::string glyph = text.substr(at, length);
		at += length;

		int width = CharacterWidth(code);
		if (code < 0x20 || code == 0x7F) {
			// Caret notation: ^A for 0x01, ^? for DEL.
			if (column + 2 > limit)
				break;
			const char shown = code == 0x7F ? '?' : static_cast<char>(code + 0x40);
			column = Put(row, column, std::string("^") + shown, style, limit);
			last = NULL;
			continue;
		}
		if (width == 0) {
			// A combining mark stays with the character before it.
			if (last != NULL)
				last->text += glyph;
			continue;
		}
		if (width < 0 || code == 0xFFFD) {
			// Unprintable, or bytes that are not UTF-8.
			glyph = kReplacement;
			width = 1;
		}
		if (column + width > limit)
			break;
		if (column >= 0) {
			for (int k = 0; k < width; k++)
				_BreakWide(row, column + k);
			Cell* cell = _At(row, column);
			cell->text = glyph;
			cell->style = style;
			cell->wideTail = false;
			if (width == 2) {
				Cell* tail = _At(row, column + 1);
				tail->text.clear();
				tail->style = style;
				tail->wideTail = true;
			}
			last = cell;
		} else
			last = NULL;
		column += width;
	}
	return column;
}


void
TerminalCanvas::Fill(int row, int column, int count, uint8_t style)
{
	for (int k = 0; k < count; k++) {
		if (_At(row, column + k) == NULL)
			continue;
		_BreakWide(row, column + k);
		Cell* cell = _At(row, column + k);
		cell->text = kBlank;
		cell->style = style;
	}
}


void
TerminalCanvas::Frame(int top, int left, int bottom, int right,
	uint8_t style)
{
	if (bottom < top || right < left)
		return;
	for (int row = top; row <= bottom; row++) {
		Fill(row, left, right - left + 1, style);
		const bool edge = row == top || row == bottom;
		for (int column = left; column <= right; column++) {
			const char* line = NULL;
			if (column == left)
				line = row == top ? kTopLeft : row == bottom ? kBottomLeft
					: kVertical;
			else if (column == right)
				line = row == top ? kTopRight : row == bottom ? kBottomRight
					: kVertical;
			else if (edge)
				line = kHorizontal;
			Cell* cell = _At(row, column);
			if (line != NULL && cell != NULL)
				cell->text = line;
		}
	}
}


// #pragma mark - Reading


std::string
TerminalCanvas::RowText(int row) const
{
	std::string text;
	for (int column = 0; column < fColumns; column++) {
		const Cell* cell = _At(row, column);
		if (cell == NULL)
			break;
		if (!cell->wideTail)
			text += cell->text;
	}
	return text;
}


uint8_t
TerminalCanvas::StyleAt(int row, int column) const
{
	const Cell* cell = _At(row, column);
	return cell != NULL ? cell->style : static_cast<uint8_t>(kPlain);
}


// #pragma mark - Output


std::string
TerminalCanvas::Render(const TerminalCanvas* previous,
	const TerminalCapabilities& terminal) const
{
	const bool whole = previous == NULL || previous->fRows != fRows
		|| previous->fColumns != fColumns;
	std::string out = terminal.Plain();
	if (whole)
		out += terminal.ClearScreen();
	for (int row = 0; row < fRows; row++) {
		if (!whole && _RowEquals(*previous, row))
			continue;
		out += terminal.MoveTo(row, 0);
		_RenderRow(row, terminal, out);
	}
	out += terminal.Plain();
	return out;
}


// #pragma mark - Widths


int
TerminalCanvas::CharacterWidth(uint32_t code)
{
	if (code < 0x20 || (code >= 0x7F && code < 0xA0))
		return -1;
	if (code < 0x7F)
		return 1;
	const locale_t locale = Utf8Locale();
	const locale_t previous = locale != static_cast<locale_t>(0)
		? uselocale(locale) : static_cast<locale_t>(0);
	const int width = wcwidth(static_cast<wchar_t>(code));
	if (previous != static_cast<locale_t>(0))
		uselocale(previous);
	// Without any UTF-8 locale every character is unknown: one cell each,
	// as most terminals then draw them.
	return width < 0 && locale == static_cast<locale_t>(0) ? 1 : width;
}


int
TerminalCanvas::TextWidth(const std::string& text)
{
	int width = 0;
	size_t at = 0;
	while (at < text.size()) {
		uint32_t code;
		at += DecodeCharacter(text, at, code);
		if (code < 0x20 || code == 0x7F)
			width += 2;
		else {
			const int columns = CharacterWidth(code);
			width += columns < 0 ? 1 : columns;
		}
	}
	return width;
}


size_t
TerminalCanvas::DecodeCharacter(const std::string& text, size_t at,
	uint32_t& code)
{
	const size_t length = Utf8::Decode(text, at, code);
	if (length > 0)
		return length;
	code = 0xFFFD;
	return 1;
}


// #pragma mark - private


TerminalCanvas::Cell*
TerminalCanvas::_At(int row, int column)
{
	if (row < 0 || row >= fRows || column < 0 || column >= fColumns)
		return NULL;
	return &fCells[static_cast<size_t>(row) * fColumns + column];
}


const TerminalCanvas::Cell*
TerminalCanvas::_At(int row, int column) const
{
	if (row < 0 || row >= fRows || column < 0 || column >= fColumns)
		return NULL;
	return &fCells[static_cast<size_t>(row) * fColumns + column];
}


void
TerminalCanvas::_BreakWide(int row, int column)
{
	Cell* cell = _At(row, column);
	if (cell == NULL)
		return;
	if (cell->wideTail) {
		Cell* head = _At(row, column - 1);
		if (head != NULL)
			head->text = kBlank;
		cell->wideTail = false;
		cell->text = kBlank;
		return;
	}
	Cell* tail = _At(row, column + 1);
	if (tail != NULL && tail->wideTail) {
		tail->wideTail = false;
		tail->text = kBlank;
	}
}


bool
TerminalCanvas::_RowEquals(const TerminalCanvas& other, int row) const
{
	for (int column = 0; column < fColumns; column++) {
		if (!(*_At(row, column) == *other._At(row, column)))
			return false;
	}
	return true;
}


void
TerminalCanvas::_RenderRow(int row, const TerminalCapabilities& terminal,
	std::string& out) const
{
	// Trailing plain blanks are erased rather than written.
	int end = fColumns;
	while (end > 0) {
		const Cell* cell = _At(row, end - 1);
		if (cell->wideTail || cell->style != kPlain || cell->text != kBlank)
			break;
		end--;
	}

	uint8_t style = kPlain;
	for (int column = 0; column < end; column++) {
		const Cell* cell = _At(row, column);
		if (cell->wideTail)
			continue;
		if (cell->style != style) {
			style = cell->style;
			AppendStyle(style, terminal, out);
		}
		out += cell->text;
	}
	if (style != kPlain)
		out += terminal.Plain();
	// Erasing from the last column would erase the character there, which
	// the terminal holds back its cursor on.
	if (end < fColumns)
		out += terminal.ClearToEnd();
}
