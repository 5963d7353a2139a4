// Message codes of the application and interface kits (four characters,
// big-endian, written in hex so that no multi-character literal is needed).
#ifndef _APP_DEFS_H
#define _APP_DEFS_H

enum {
	B_KEY_DOWN = 0x5F4B5944,				// '_KYD'
	B_KEY_UP = 0x5F4B5955,					// '_KYU'
	B_UNMAPPED_KEY_DOWN = 0x5F554B44,		// '_UKD'
	B_UNMAPPED_KEY_UP = 0x5F554B55,			// '_UKU'
	B_MODIFIERS_CHANGED = 0x5F4D4348,		// '_MCH'
	B_MOUSE_DOWN = 0x5F4D444E,				// '_MDN'
	B_MOUSE_UP = 0x5F4D5550,				// '_MUP'
	B_MOUSE_MOVED = 0x5F4D4D56,				// '_MMV'
	B_INPUT_METHOD_EVENT = 0x494D4556,		// 'IMEV'
	B_WINDOW_RESIZED = 0x5F575253,			// '_WRS'
	B_WINDOW_MOVED = 0x5F574D56,			// '_WMV'
	B_SCREEN_CHANGED = 0x5F534348,			// '_SCH'
	B_WORKSPACES_CHANGED = 0x5F574347,		// '_WCG'
	B_QUIT_REQUESTED = 0x5F515251,			// '_QRQ'
	B_NO_REPLY = 0x5F4E5250,				// '_NRP'
	B_MESSAGE_NOT_UNDERSTOOD = 0x5F4E554E	// '_NUN'
};

#endif	// _APP_DEFS_H
