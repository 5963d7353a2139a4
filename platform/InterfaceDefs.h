// Key bytes, modifier bits, border styles, alignment and system colours of
// the interface kit.
#ifndef _INTERFACE_DEFS_H
#define _INTERFACE_DEFS_H

#include <GraphicsDefs.h>
#include <Rect.h>

// The "byte" of keys that produce control characters.
enum {
	B_BACKSPACE = 0x08,
	B_RETURN = 0x0A,
	B_ENTER = 0x0A,
	B_SPACE = 0x20,
	B_TAB = 0x09,
	B_ESCAPE = 0x1B,
	B_SUBSTITUTE = 0x1A,

	B_LEFT_ARROW = 0x1C,
	B_RIGHT_ARROW = 0x1D,
	B_UP_ARROW = 0x1E,
	B_DOWN_ARROW = 0x1F,

	B_INSERT = 0x05,
	B_DELETE = 0x7F,
	B_HOME = 0x01,
	B_END = 0x04,
	B_PAGE_UP = 0x0B,
	B_PAGE_DOWN = 0x0C,

	B_FUNCTION_KEY = 0x10
};

// The "modifiers" field of key messages.
enum {
	B_SHIFT_KEY = 0x00000001,
	B_COMMAND_KEY = 0x00000002,
	B_CONTROL_KEY = 0x00000004,
	B_CAPS_LOCK = 0x00000008,
	B_SCROLL_LOCK = 0x00000010,
	B_NUM_LOCK = 0x00000020,
	B_OPTION_KEY = 0x00000040,
	B_MENU_KEY = 0x00000080,
	B_LEFT_SHIFT_KEY = 0x00000100,
	B_RIGHT_SHIFT_KEY = 0x00000200,
	B_LEFT_COMMAND_KEY = 0x00000400,
	B_RIGHT_COMMAND_KEY = 0x00000800,
	B_LEFT_CONTROL_KEY = 0x00001000,
	B_RIGHT_CONTROL_KEY = 0x00002000,
	B_LEFT_OPTION_KEY = 0x00004000,
	B_RIGHT_OPTION_KEY = 0x00008000
};

enum border_style {
	B_PLAIN_BORDER = 0,
	B_FANCY_BORDER = 1,
	B_NO_BORDER = 2
};

enum orientation {
	B_HORIZONTAL = 0,
	B_VERTICAL = 1
};

enum alignment {
	B_ALIGN_LEFT = 0,
	B_ALIGN_RIGHT = 1,
	B_ALIGN_CENTER = 2
};

enum color_which {
	B_PANEL_BACKGROUND_COLOR = 1,
	B_MENU_BACKGROUND_COLOR = 2,
	B_WINDOW_TAB_COLOR = 3,
	B_KEYBOARD_NAVIGATION_COLOR = 4,
	B_DESKTOP_COLOR = 5,
	B_MENU_SELECTION_BACKGROUND_COLOR = 6,
	B_MENU_ITEM_TEXT_COLOR = 7,
	B_MENU_SELECTED_ITEM_TEXT_COLOR = 8,
	B_PANEL_TEXT_COLOR = 10,
	B_DOCUMENT_BACKGROUND_COLOR = 11,
	B_DOCUMENT_TEXT_COLOR = 12,
	B_CONTROL_BACKGROUND_COLOR = 13,
	B_CONTROL_TEXT_COLOR = 14
};

// The system colour for a user-interface element; black for an unknown one.
// B_PANEL_BACKGROUND_COLOR is (216, 216, 216, 255). Any thread.
rgb_color ui_color(color_which which);

#endif	// _INTERFACE_DEFS_H
