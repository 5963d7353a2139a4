#include "NuvEdictWords.h"

#include "NuvLexiconText.h"
#include "NuvUtils.h"


namespace {

bool
IsKana(const unsigned char* p, size_t length)
{
	return NuvLexiconText::IsHiragana(p, length)
		|| (NuvLexiconText::IsKatakana(p, length)
			&& !(p[0] == 0xA1 && p[1] == 0xA6));	// not the middle dot
}


bool
IsKanjiOrKana(const unsigned char* p, size_t length)
{
	return NuvLexiconText::IsKanji(p, length) || IsKana(p, length);
}

}	// namespace


const long NuvEdictWords::kCommonCost = 9000;
const long NuvEdictWords::kRareCost = 11000;


size_t
NuvEdictWords::Read(std::istream& in)
{
	size_t added = 0;
	std::string line;
	while (std::getline(in, line))
		added += AddLine(line) ? 1 : 0;
	return added;
}


bool
NuvEdictWords::AddLine(const std::string& line)
{
	size_t slash = line.find(" /");
	if (slash == std::string::npos || slash == 0)
		return false;
	std::string head(line, 0, slash);
	std::string reading;
	size_t bracket = head.find(" [");
	if (bracket != std::string::npos) {
		if (head.back() != ']')
			return false;
		reading = head.substr(bracket + 2, head.size() - bracket - 3);
		head.erase(bracket);
	}
	bool common = line.find("/(P)/", slash) != std::string::npos;

	if (reading.empty() && NuvLexiconText::IsAll(head, IsKana)
		&& NuvLexiconText::Holds(head, NuvLexiconText::IsKatakana)
		&& !NuvLexiconText::Holds(head, NuvLexiconText::IsHiragana))
		reading = head;
	else if (!common || !NuvLexiconText::IsAll(head, IsKanjiOrKana)
			|| !NuvLexiconText::Holds(head, NuvLexiconText::IsKanji))
		return false;
	std::string key;
	if (!NuvLexiconText::ReadingToKey(reading, key))
		return false;
	fWords.push_back({key, head, common ? kCommonCost : kRareCost});
	return true;
}
