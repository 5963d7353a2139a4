// Fonts, with the deterministic metrics described in HeadlessDisplay.h:
// width and height depend only on the size, the bold face and the text.
#ifndef _FONT_H
#define _FONT_H

#include <SupportDefs.h>

#define B_FONT_FAMILY_LENGTH	63
#define B_FONT_STYLE_LENGTH		63
typedef char font_family[B_FONT_FAMILY_LENGTH + 1];
typedef char font_style[B_FONT_STYLE_LENGTH + 1];

// Which attributes SetFont copies.
enum {
	B_FONT_FAMILY_AND_STYLE = 0x00000001,
	B_FONT_SIZE = 0x00000002,
	B_FONT_SHEAR = 0x00000004,
	B_FONT_ROTATION = 0x00000008,
	B_FONT_SPACING = 0x00000010,
	B_FONT_ENCODING = 0x00000020,
	B_FONT_FACE = 0x00000040,
	B_FONT_FLAGS = 0x00000080,
	B_FONT_ALL = 0x000000FF
};

enum {
	B_ITALIC_FACE = 0x0001,
	B_UNDERSCORE_FACE = 0x0002,
	B_NEGATIVE_FACE = 0x0004,
	B_OUTLINED_FACE = 0x0008,
	B_STRIKEOUT_FACE = 0x0010,
	B_BOLD_FACE = 0x0020,
	B_REGULAR_FACE = 0x0040
};

struct font_height {
	float	ascent;
	float	descent;
	float	leading;
};

class BFont {
public:
	// A copy of be_plain_font.
	BFont();
	BFont(const BFont& font);
	BFont(const BFont* font);

	BFont& operator=(const BFont& font);
	bool operator==(const BFont& font) const;
	bool operator!=(const BFont& font) const { return !(*this == font); }

	// A style whose name contains "Bold" sets the bold face.
	status_t SetFamilyAndStyle(const char* family, const char* style);
	void GetFamilyAndStyle(font_family* family, font_style* style) const;
	void SetSize(float size);
	float Size() const;
	void SetFace(uint16 face);
	uint16 Face() const;
	void SetShear(float shear);
	float Shear() const;
	void SetRotation(float rotation);
	float Rotation() const;
	void SetSpacing(uint8 spacing);
	uint8 Spacing() const;
	void SetEncoding(uint8 encoding);
	uint8 Encoding() const;
	void SetFlags(uint32 flags);
	uint32 Flags() const;

	// Copies the attributes of font selected by mask (B_FONT_*).
	void CopyAttributes(const BFont& font, uint32 mask);

	// Metrics of UTF-8 text.
	float StringWidth(const char* string) const;
	float StringWidth(const char* string, int32 length) const;
	void GetHeight(font_height* height) const;

private:
	font_family		fFamily;
	font_style		fStyle;
	float			fSize;
	float			fShear;
	float			fRotation;
	uint16			fFace;
	uint8			fSpacing;
	uint8			fEncoding;
	uint32			fFlags;
};

extern const BFont* be_plain_font;
extern const BFont* be_bold_font;
extern const BFont* be_fixed_font;

#endif	// _FONT_H
