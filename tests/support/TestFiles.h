// Small file and shell helpers for tests that run programs.
#ifndef NUV_TEST_FILES_H
#define NUV_TEST_FILES_H

#include <fstream>
#include <iterator>
#include <string>

// The whole content of the file at `path`; empty when it cannot be read.
inline std::string
ReadFile(const std::string& path)
{
	std::ifstream in(path, std::ios::binary);
	return std::string(std::istreambuf_iterator<char>(in),
		std::istreambuf_iterator<char>());
}


// `argument` as one word for the POSIX shell, in single quotes.
inline std::string
Quote(const std::string& argument)
{
	std::string quoted = "'";
	for (char c : argument) {
		if (c == '\'')
			quoted += "'\\''";
		else
			quoted += c;
	}
	return quoted + "'";
}

#endif	// NUV_TEST_FILES_H
