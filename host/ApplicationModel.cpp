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
	fStarted(false)
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
		fDocument += text;
		fComposing.clear();
	} else
		fComposing = text;
}


void
ApplicationModel::KeyPassed(const std::string& bytes)
{
	if (bytes.size() == 1) {
		switch (bytes[0]) {
			case '\n':
			case '\t':
				fDocument += bytes;
				return;
			case '\b':
				// Remove one whole UTF-8 character.
				while (!fDocument.empty()
					&& IsContinuationByte(fDocument.back()))
					fDocument.pop_back();
				if (!fDocument.empty())
					fDocument.pop_back();
				return;
			default:
				break;
		}
	}
	if (bytes.empty())
		return;
	const unsigned char first = bytes[0];
	if (first < 0x20 || first == 0x7F)
		return;
	fDocument += bytes;
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
	size_t lineStart = fDocument.rfind('\n');
	lineStart = lineStart == std::string::npos ? 0 : lineStart + 1;
	size_t lines = 0;
	for (char c : fDocument)
		lines += c == '\n';

	const std::string line = fDocument.substr(lineStart);
	const float top = fTop + lines * fLineHeight;

	std::vector<TextLocation> locations;
	for (size_t i = 0; i < fComposing.size(); i++) {
		if (IsContinuationByte(fComposing[i]))
			continue;
		TextLocation location;
		location.x = fLeft + fWidth(line + fComposing.substr(0, i));
		location.y = top;
		location.height = fLineHeight;
		locations.push_back(location);
	}
	return locations;
}
