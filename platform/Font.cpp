#include "Font.h"

#include <cmath>
#include <cstring>

#include "KitPrivate.h"

namespace {

BFont
MakeFont(const char* family, const char* style, float size)
{
	BFont font(static_cast<const BFont*>(NULL));
	font.SetFamilyAndStyle(family, style);
	font.SetSize(size);
	return font;
}

const BFont sPlainFont = MakeFont("Sans", "Regular", 10);
const BFont sBoldFont = MakeFont("Sans", "Bold", 12);
const BFont sFixedFont = MakeFont("Mono", "Regular", 12);

void
CopyName(char* destination, const char* source, size_t capacity)
{
	strncpy(destination, source != NULL ? source : "", capacity - 1);
	destination[capacity - 1] = '\0';
}

}	// namespace

const BFont* be_plain_font = &sPlainFont;
const BFont* be_bold_font = &sBoldFont;
const BFont* be_fixed_font = &sFixedFont;


BFont::BFont()
{
	*this = sPlainFont;
}


BFont::BFont(const BFont& font)
{
	*this = font;
}


BFont::BFont(const BFont* font)
	: fSize(10), fShear(90), fRotation(0), fFace(B_REGULAR_FACE),
	  fSpacing(0), fEncoding(0), fFlags(0)
{
	// NULL builds the plain font itself, before the globals exist.
	if (font != NULL) {
		*this = *font;
		return;
	}
	CopyName(fFamily, "Sans", sizeof(fFamily));
	CopyName(fStyle, "Regular", sizeof(fStyle));
}


BFont&
BFont::operator=(const BFont& font)
{
	memcpy(fFamily, font.fFamily, sizeof(fFamily));
	memcpy(fStyle, font.fStyle, sizeof(fStyle));
	fSize = font.fSize;
	fShear = font.fShear;
	fRotation = font.fRotation;
	fFace = font.fFace;
	fSpacing = font.fSpacing;
	fEncoding = font.fEncoding;
	fFlags = font.fFlags;
	return *this;
}


bool
BFont::operator==(const BFont& font) const
{
	return strcmp(fFamily, font.fFamily) == 0
		&& strcmp(fStyle, font.fStyle) == 0 && fSize == font.fSize
		&& fShear == font.fShear && fRotation == font.fRotation
		&& fFace == font.fFace && fSpacing == font.fSpacing
		&& fEncoding == font.fEncoding && fFlags == font.fFlags;
}


status_t
BFont::SetFamilyAndStyle(const char* family, const char* style)
{
	if (family != NULL)
		CopyName(fFamily, family, sizeof(fFamily));
	if (style != NULL) {
		CopyName(fStyle, style, sizeof(fStyle));
		fFace = strstr(style, "Bold") != NULL ? B_BOLD_FACE : B_REGULAR_FACE;
	}
	return B_OK;
}


void
BFont::GetFamilyAndStyle(font_family* family, font_style* style) const
{
	if (family != NULL)
		memcpy(*family, fFamily, sizeof(fFamily));
	if (style != NULL)
		memcpy(*style, fStyle, sizeof(fStyle));
}


void
BFont::SetSize(float size)
{
	fSize = size;
}


float
BFont::Size() const
{
	return fSize;
}


void
BFont::SetFace(uint16 face)
{
	fFace = face;
}


uint16
BFont::Face() const
{
	return fFace;
}


void
BFont::SetShear(float shear)
{
	fShear = shear;
}


float
BFont::Shear() const
{
	return fShear;
}


void
BFont::SetRotation(float rotation)
{
	fRotation = rotation;
}


float
BFont::Rotation() const
{
	return fRotation;
}


void
BFont::SetSpacing(uint8 spacing)
{
	fSpacing = spacing;
}


uint8
BFont::Spacing() const
{
	return fSpacing;
}


void
BFont::SetEncoding(uint8 encoding)
{
	fEncoding = encoding;
}


uint8
BFont::Encoding() const
{
	return fEncoding;
}


void
BFont::SetFlags(uint32 flags)
{
	fFlags = flags;
}


uint32
BFont::Flags() const
{
	return fFlags;
}


void
BFont::CopyAttributes(const BFont& font, uint32 mask)
{
	if ((mask & B_FONT_FAMILY_AND_STYLE) != 0) {
		memcpy(fFamily, font.fFamily, sizeof(fFamily));
		memcpy(fStyle, font.fStyle, sizeof(fStyle));
		fFace = font.fFace;
	}
	if ((mask & B_FONT_SIZE) != 0)
		fSize = font.fSize;
	if ((mask & B_FONT_SHEAR) != 0)
		fShear = font.fShear;
	if ((mask & B_FONT_ROTATION) != 0)
		fRotation = font.fRotation;
	if ((mask & B_FONT_SPACING) != 0)
		fSpacing = font.fSpacing;
	if ((mask & B_FONT_ENCODING) != 0)
		fEncoding = font.fEncoding;
	if ((mask & B_FONT_FACE) != 0)
		fFace = font.fFace;
	if ((mask & B_FONT_FLAGS) != 0)
		fFlags = font.fFlags;
}


float
BFont::StringWidth(const char* string) const
{
	if (string == NULL)
		return 0;
	return StringWidth(string, (int32)strlen(string));
}


float
BFont::StringWidth(const char* string, int32 length) const
{
	if (string == NULL || length <= 0)
		return 0;
	float width;
	if ((size_t)length == strlen(string)
		&& BPrivate::TextSizeOverride(string, &width, NULL))
		return width;
	return BPrivate::TextWidth(fSize, (fFace & B_BOLD_FACE) != 0, string,
		(size_t)length);
}


void
BFont::GetHeight(font_height* height) const
{
	if (height == NULL)
		return;
	height->ascent = std::round(fSize * 1.1f);
	height->descent = std::round(fSize * 0.3f);
	height->leading = 1;
}
