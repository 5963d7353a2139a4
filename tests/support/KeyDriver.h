// Feeds keys to a controller the way the front end does: Input(), and again
// while the answer is INPUT_AGAIN, taking Confirmed() and Pending() after
// every round; the key reaches the application when the last answer is
// INPUT_IGNORED and the controller is empty.
//
// Keys are bytes of a std::string: "\n" is control-J, "\r" Enter, "\b"
// Backspace, "\a" control-G, "\x11" control-Q, " " space. Other inputs
// (multi-byte characters, key codes) go through Press(nuv_input).
#ifndef NUV_KEY_DRIVER_H
#define NUV_KEY_DRIVER_H

#include <cstdint>
#include <string>

#include "NuvControler.h"

namespace nuv_test {

// What one key (or a typed sequence) did; texts in UTF-8.
struct KeyStep {
	int32_t			result = INPUT_CONSUMED;	// the last Input() answer
	std::string		confirmed;		// everything confirmed, in order
	std::string		preedit;		// Pending() after the last round
	bool			passed = false;	// the key would reach the application
	int32_t			rounds = 0;		// Input() calls made
};

class KeyDriver {
public:
	// Drives `controler` (not owned; it must outlive the driver).
	explicit					KeyDriver(NuvControler& controler)
									: fControler(controler) {}

	// One key, repeated while INPUT_AGAIN (at most kMaxRounds times; going
	// past that fails the test).
			KeyStep				Press(nuv_input input);
	// One ASCII or control key, key code 0.
			KeyStep				Press(char key)
									{ return Press(nuv_input(
										static_cast<unsigned char>(key), 0)); }
	// Each byte of `keys` as one key. `confirmed` gathers the text of all
	// keys, `preedit`, `result` and `passed` are those of the last key.
			KeyStep				Type(const std::string& keys);

	// Far more rounds than any chain of states needs for one key.
	static constexpr int32_t	kMaxRounds = 16;

private:
			NuvControler&		fControler;
};

}	// namespace nuv_test

#endif	// NUV_KEY_DRIVER_H
