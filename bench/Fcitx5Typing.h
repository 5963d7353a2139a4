// The typing of the fcitx5 benchmarks: the same cycle as the IBus round
// trip's (a conversion confirmed by the next letter, kana confirmed as they
// are typed, a character rubbed out, a conversion cancelled), every key the
// method's, as X keysyms and modifier states.
#ifndef FCITX5_TYPING_H
#define FCITX5_TYPING_H

#include <cstdint>
#include <string>
#include <vector>

#include "BenchFigures.h"

struct TypedKey {
	uint32_t	keysym;
	uint32_t	state;
};


inline std::vector<TypedKey>
TypingCycle()
{
	std::vector<TypedKey> keys;
	for (char c : std::string("Kanji akakiNihongo")) {
		keys.push_back({static_cast<uint32_t>(c),
			c >= 'A' && c <= 'Z' ? 1u : 0u});
	}
	keys.push_back({0xFF08, 0});	// BackSpace
	keys.push_back({' ', 0});
	keys.push_back({0xFF1B, 0});	// Escape
	keys.push_back({0xFF1B, 0});
	return keys;
}


#endif	// FCITX5_TYPING_H
