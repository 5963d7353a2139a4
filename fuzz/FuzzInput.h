// Splits a fuzz input into a leading text and a script of operations after
// a marker, and reads the script: single bytes and length-prefixed fields,
// so that every byte value can appear in a field. Past the end, bytes read
// as 0 and fields as empty, so any input is a complete script.
#ifndef NUV_FUZZ_INPUT_H
#define NUV_FUZZ_INPUT_H

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>

namespace nuv_fuzz {

class ByteReader {
public:
								ByteReader(const uint8_t* data, size_t size)
									: fData(data), fSize(size), fPosition(0) {}

	// The text before the first `marker` (all of the input without one);
	// the reader then holds what follows the marker.
			std::string			SplitAt(const std::string& marker)
								{
									const std::string all(fData, fData + fSize);
									const size_t found = all.find(marker);
									fPosition = found == std::string::npos
										? fSize : found + marker.size();
									return all.substr(0, found);
								}

			bool				AtEnd() const { return fPosition >= fSize; }

	// The next byte, or 0 at the end.
			uint8_t				Byte()
									{ return AtEnd() ? 0 : fData[fPosition++]; }

	// A field: one length byte (taken modulo `maxLength` + 1), then that
	// many bytes, fewer at the end of the input.
			std::string			Field(size_t maxLength = 63)
								{
									size_t length = Byte() % (maxLength + 1);
									length = std::min(length, fSize - fPosition);
									std::string field(fData + fPosition,
										fData + fPosition + length);
									fPosition += length;
									return field;
								}

private:
			const uint8_t*		fData;
			size_t				fSize;
			size_t				fPosition;
};

}	// namespace nuv_fuzz

#endif	// NUV_FUZZ_INPUT_H
