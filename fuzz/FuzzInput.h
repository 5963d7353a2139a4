// Reads the structured part of a fuzz input: single bytes and
// length-prefixed fields, so that every byte value can appear in a field.
// Past the end, bytes read as 0 and fields as empty, so any input is a
// complete script.
#ifndef NUV_FUZZ_INPUT_H
#define NUV_FUZZ_INPUT_H

#include <cstddef>
#include <cstdint>
#include <string>

namespace nuv_fuzz {

class ByteReader {
public:
								ByteReader(const uint8_t* data, size_t size)
									: fData(data), fSize(size), fPosition(0) {}

			bool				AtEnd() const { return fPosition >= fSize; }

	// The next byte, or 0 at the end.
			uint8_t				Byte()
									{ return AtEnd() ? 0 : fData[fPosition++]; }

	// A field: one length byte (taken modulo `maxLength` + 1), then that
	// many bytes, fewer at the end of the input.
			std::string			Field(size_t maxLength = 63)
								{
									size_t length = Byte() % (maxLength + 1);
									if (length > fSize - fPosition)
										length = fSize - fPosition;
									std::string field(reinterpret_cast<
										const char*>(fData + fPosition),
										length);
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
