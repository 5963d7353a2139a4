// Random byte strings for the text tests, weighted towards the bytes that
// the codecs and the dictionary line format treat specially.
#ifndef RANDOM_TEXT_H
#define RANDOM_TEXT_H

#include <random>
#include <string>

inline std::string
RandomText(std::mt19937& random, size_t maxLength)
{
	static const std::string kPieces[] = { "\\", "\"", "/", "[", "]", "0",
		"7", "8", "x", "a", std::string(1, '\0'), "\n", "\r", "\x7F", "\x1B",
		")", "(concat ", "\xA4", "\xA4\xA2", "\xFF", " " };
	const size_t pieceCount = sizeof(kPieces) / sizeof(kPieces[0]);
	std::string text;
	const size_t length = random() % (maxLength + 1);
	while (text.size() < length) {
		if (random() % 4 == 0)
			text += static_cast<char>(random() % 256);
		else
			text += kPieces[random() % pieceCount];
	}
	return text;
}

#endif	// RANDOM_TEXT_H
