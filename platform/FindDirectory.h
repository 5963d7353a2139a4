// Where the system keeps things. A host may point any directory elsewhere
// (HeadlessDisplay::SetDirectory); by default:
//   B_USER_DIRECTORY           /boot/home
//   B_USER_CONFIG_DIRECTORY    /boot/home/config
//   B_USER_SETTINGS_DIRECTORY  /boot/home/config/settings
// and the other user directories below /boot/home/config.
#ifndef _FIND_DIRECTORY_H
#define _FIND_DIRECTORY_H

#include <SupportDefs.h>

enum directory_which {
	B_USER_DIRECTORY = 3000,
	B_USER_CONFIG_DIRECTORY = 3001,
	B_USER_ADDONS_DIRECTORY = 3002,
	B_USER_BOOT_DIRECTORY = 3003,
	B_USER_FONTS_DIRECTORY = 3004,
	B_USER_LIB_DIRECTORY = 3005,
	B_USER_SETTINGS_DIRECTORY = 3006,
	B_USER_DESKBAR_DIRECTORY = 3007
};

// Copies the path of `which` (NUL-terminated) into path. With createIt, the
// directory and its parents are created when missing. B_BAD_VALUE for an
// unknown directory or a NULL path, B_BUFFER_OVERFLOW when length is too
// small, B_IO_ERROR when creating failed. Any thread.
status_t find_directory(directory_which which, dev_t volume, bool createIt,
	char* path, int32 length);

#endif	// _FIND_DIRECTORY_H
