#include "NuvLexiconText.h"

#include <algorithm>
#include <iconv.h>

#include "NuvUtils.h"


size_t
NuvLexiconText::CharLength(const unsigned char* p, size_t left)
{
	size_t length = 1;
	if (p[0] == 0x8F)
		length = 3;		// JIS X 0212
	else if (p[0] >= 0x80)
		length = 2;
	return std::min(length, left);
}


bool
NuvLexiconText::IsHiragana(const unsigned char* p, size_t length)
{
	return length == 2 && p[0] == 0xA4 && p[1] >= 0xA1 && p[1] <= 0xF3;
}


bool
NuvLexiconText::IsKanji(const unsigned char* p, size_t length)
{
	if (length == 3)
		return true;
	return length == 2 && ((p[0] >= 0xB0 && p[0] <= 0xF4)
		|| (p[0] == 0xA1 && p[1] == 0xB9));
}


bool
NuvLexiconText::IsKatakana(const unsigned char* p, size_t length)
{
	return length == 2 && (p[0] == 0xA5 || (p[0] == 0xA1
		&& (p[1] == 0xBC || p[1] == 0xA6)));
}


bool
NuvLexiconText::Holds(const std::string& text,
	bool (*isWanted)(const unsigned char*, size_t))
{
	const unsigned char* p = reinterpret_cast<const unsigned char*>(
		text.data());
	for (size_t i = 0; i < text.size(); ) {
		size_t length = CharLength(p + i, text.size() - i);
		if (isWanted(p + i, length))
			return true;
		i += length;
	}
	return false;
}


bool
NuvLexiconText::IsAll(const std::string& text,
	bool (*isWanted)(const unsigned char*, size_t))
{
	const unsigned char* p = reinterpret_cast<const unsigned char*>(
		text.data());
	for (size_t i = 0; i < text.size(); ) {
		size_t length = CharLength(p + i, text.size() - i);
		if (!isWanted(p + i, length))
			return false;
		i += length;
	}
	return !text.empty();
}


size_t
NuvLexiconText::StemLength(const std::string& text)
{
	const unsigned char* p = reinterpret_cast<const unsigned char*>(
		text.data());
	size_t stemLength = 0;
	for (size_t i = 0; i < text.size(); ) {
		size_t length = CharLength(p + i, text.size() - i);
		i += length;
		if (!IsHiragana(p + i - length, length))
			stemLength = i;
	}
	return stemLength;
}


bool
NuvLexiconText::ReadingToKey(const std::string& reading, std::string& key)
{
	key = NuvUtils::ConvertEucKatakanaToHirakana(reading);
	const unsigned char* p = reinterpret_cast<const unsigned char*>(
		key.data());
	for (size_t i = 0; i < key.size(); i += 2) {
		if (i + 1 >= key.size())
			return false;
		bool mark = p[i] == 0xA1 && (p[i + 1] == 0xBC || p[i + 1] == 0xAB);
		if (!mark && !IsHiragana(p + i, 2))
			return false;
	}
	return !key.empty();
}


void
NuvLexiconText::SplitFields(const std::string& row,
	std::vector<std::string>& fields)
{
	fields.clear();
	size_t start = 0;
	while (true) {
		size_t comma = row.find(',', start);
		if (comma == std::string::npos) {
			fields.emplace_back(row, start);
			return;
		}
		fields.emplace_back(row, start, comma - start);
		start = comma + 1;
	}
}


bool
NuvLexiconText::Utf8ToEuc(const std::string& utf8, std::string& euc)
{
	static iconv_t converter = iconv_open("EUC-JP", "UTF-8");
	euc.clear();
	if (converter == reinterpret_cast<iconv_t>(-1))
		return false;
	iconv(converter, nullptr, nullptr, nullptr, nullptr);
	std::string out(utf8.size() * 2 + 8, '\0');
	char* in = const_cast<char*>(utf8.data());
	size_t inLeft = utf8.size();
	char* next = &out[0];
	size_t outLeft = out.size();
	if (iconv(converter, &in, &inLeft, &next, &outLeft) == static_cast<size_t>(-1))
		return false;
	out.resize(out.size() - outLeft);
	euc.swap(out);
	return true;
}
