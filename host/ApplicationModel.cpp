#include "ApplicationModel.h"

#include <utility>


namespace {

bool
IsContinuationByte(char c)
{
	return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}

}	// namespace


ApplicationModel::ApplicationModel(float left, float top, float lineHeight,
	WidthFunction width)
	:
	fLeft(left),
	fTop(top),
	fLineHeight(lineHeight),
	fWidth(std::move(width)),
	fKeepDocument(true),
	fStarted(false),
	fLineCount(0),
	fLineStart(0),
	fLineWidth(0)
{
}


void
ApplicationModel::Started()
{
	fStarted = true;
	fComposing.clear();
}


void
ApplicationModel::Stopped()
{
	fStarted = false;
	fComposing.clear();
}


void
ApplicationModel::Changed(const std::string& text, bool confirmed)
{
	if (confirmed) {
		_Append(text);
		fComposing.clear();
	} else
		fComposing = text;
}


void
ApplicationModel::KeepDocument(bool keep)
{
	fKeepDocument = keep;
	if (!keep)
		std::string().swap(fDocument);
}


void
ApplicationModel::KeyPassed(const std::string& bytes)
{
	if (bytes.size() == 1) {
		switch (bytes[0]) {
			case '\n':
			case '\t':
				_Append(bytes);
				return;
			case '\b':
			{
				// Remove one whole UTF-8 character.
				size_t start = fDocument.size();
				while (start > 0 && IsContinuationByte(fDocument[start - 1]))
					start--;
				if (start > 0)
					start--;
				if (start == fDocument.size())
					return;
				if (fDocument[start] == '\n') {
					// Back onto the line before: the only edit that
					// measures more than its own text.
					fDocument.erase(start);
					fLineCount--;
					const size_t feed = fDocument.rfind('\n');
					fLineStart = feed == std::string::npos ? 0 : feed + 1;
					fLineWidth = fWidth(fDocument.substr(fLineStart));
					return;
				}
				fLineWidth -= fWidth(fDocument.substr(start));
				fDocument.erase(start);
				return;
			}
			default:
				break;
		}
	}
	if (bytes.empty())
		return;
	const unsigned char first = bytes[0];
	if (first < 0x20 || first == 0x7F)
		return;
	_Append(bytes);
}


void
ApplicationModel::InsertText(const std::string& utf8)
{
	// Through KeyPassed, run by run, so that the document changes as it
	// does for keys.
	std::string run;
	for (size_t i = 0; i < utf8.size(); i++) {
		const unsigned char c = utf8[i];
		if (c >= 0x20 && c != 0x7F) {
			run += static_cast<char>(c);
			continue;
		}
		if (!run.empty()) {
			KeyPassed(run);
			run.clear();
		}
		if (c == '\r') {
			KeyPassed("\n");
			if (i + 1 < utf8.size() && utf8[i + 1] == '\n')
				i++;
		} else if (c == '\n' || c == '\t')
			KeyPassed(std::string(1, static_cast<char>(c)));
	}
	if (!run.empty())
		KeyPassed(run);
}


std::vector<TextLocation>
ApplicationModel::ComposedLocations() const
{
	const float top = fTop + fLineCount * fLineHeight;
	float x = fLeft + fLineWidth;

	std::vector<TextLocation> locations;
	size_t start = 0;
	for (size_t i = 0; i <= fComposing.size(); i++) {
		if (i < fComposing.size() && IsContinuationByte(fComposing[i]))
			continue;
		if (i > start) {
			// the character just passed moves the next one on
			x += fWidth(fComposing.substr(start, i - start));
			start = i;
		}
		if (i == fComposing.size())
			break;
		TextLocation location;
		location.x = x;
		location.y = top;
		location.height = fLineHeight;
		locations.push_back(location);
	}
	return locations;
}


void
ApplicationModel::_Append(const std::string& text)
{
	const size_t feed = text.rfind('\n');
	if (feed == std::string::npos) {
		fLineWidth += fWidth(text);
	} else {
		for (char c : text)
			fLineCount += c == '\n';
		fLineStart = fDocument.size() + feed + 1;
		fLineWidth = fWidth(text.substr(feed + 1));
	}
	if (fKeepDocument)
		fDocument += text;
}
