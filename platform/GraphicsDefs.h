// Colours, colour spaces and screen ids.
#ifndef _GRAPHICS_DEFS_H
#define _GRAPHICS_DEFS_H

#include <SupportDefs.h>

struct rgb_color {
	uint8	red;
	uint8	green;
	uint8	blue;
	uint8	alpha;

	rgb_color& set_to(uint8 r, uint8 g, uint8 b, uint8 a = 255)
		{ red = r; green = g; blue = b; alpha = a; return *this; }
	bool operator==(const rgb_color& other) const
		{ return red == other.red && green == other.green
			&& blue == other.blue && alpha == other.alpha; }
	bool operator!=(const rgb_color& other) const
		{ return !(*this == other); }
};

inline rgb_color
make_color(uint8 red, uint8 green, uint8 blue, uint8 alpha = 255)
{
	rgb_color color = {red, green, blue, alpha};
	return color;
}

const rgb_color B_TRANSPARENT_COLOR = {0x77, 0x74, 0x77, 0x00};
const rgb_color B_TRANSPARENT_32_BIT = {0x77, 0x74, 0x77, 0x00};
const uint8 B_TRANSPARENT_MAGIC_CMAP8 = 0xFF;
const uint8 B_TRANSPARENT_8_BIT = 0xFF;

enum color_space {
	B_NO_COLOR_SPACE = 0x0000,
	B_GRAY1 = 0x0001,
	B_CMAP8 = 0x0004,
	B_RGB32 = 0x0008,
	B_RGB16 = 0x0005,
	B_RGB15 = 0x0010,
	B_RGBA32 = 0x2008,
	B_GRAY8 = 0x0002
};

struct screen_id {
	int32	id;
};

const screen_id B_MAIN_SCREEN_ID = {0};

#endif	// _GRAPHICS_DEFS_H
