// Text conversion between UTF-8 and the other encodings the kits know.
//
// Both functions convert as much of the source as fits and report how far
// they got:
//   *srcLen   in: bytes available; out: bytes consumed.
//   *dstLen   in: room in dst; out: bytes written (no terminating NUL; never
//             part of a character: conversion stops before a character that
//             does not fit).
//   *state    for stateful encodings (B_JIS_CONVERSION): set it to 0 before
//             the first call and pass it back untouched on the next.
//   substitute  written once, as one character, for each character the
//             target cannot hold and for each shortest run of invalid bytes.
//
// A character cut off by the end of the source is not consumed: the call
// stops before it, so that the caller can hand it over again together with
// the bytes that complete it. A call that can consume nothing (the source is
// only such a partial character) returns B_OK with *srcLen and *dstLen 0.
//
// Returns B_OK, also when input remains; B_ERROR for an unknown encoding;
// B_BAD_VALUE for a NULL argument. Any thread may call them.
#ifndef _UTF8_H
#define _UTF8_H

#include <InterfaceDefs.h>
#include <SupportDefs.h>

// Encodings, numbered as the kits number them.
enum {
	B_ISO1_CONVERSION = 0,
	B_ISO2_CONVERSION,
	B_ISO3_CONVERSION,
	B_ISO4_CONVERSION,
	B_ISO5_CONVERSION,
	B_ISO6_CONVERSION,
	B_ISO7_CONVERSION,
	B_ISO8_CONVERSION,
	B_ISO9_CONVERSION,
	B_ISO10_CONVERSION,
	B_MAC_ROMAN_CONVERSION,		// 10
	B_SJIS_CONVERSION,			// 11
	B_EUC_CONVERSION,			// 12: EUC-JP
	B_JIS_CONVERSION,			// 13: ISO-2022-JP
	B_MS_WINDOWS_CONVERSION,	// 14
	B_UNICODE_CONVERSION,		// 15: UCS-2, big-endian
	B_KOI8R_CONVERSION,			// 16
	B_MS_WINDOWS_1251_CONVERSION,
	B_MS_DOS_866_CONVERSION,
	B_MS_DOS_CONVERSION,		// 19
	B_EUC_KR_CONVERSION,		// 20
	B_ISO13_CONVERSION,
	B_ISO14_CONVERSION,
	B_ISO15_CONVERSION			// 23
};

status_t convert_to_utf8(uint32 srcEncoding, const char* src, int32* srcLen,
	char* dst, int32* dstLen, int32* state, char substitute = B_SUBSTITUTE);

status_t convert_from_utf8(uint32 dstEncoding, const char* src,
	int32* srcLen, char* dst, int32* dstLen, int32* state,
	char substitute = B_SUBSTITUTE);

#endif	// _UTF8_H
