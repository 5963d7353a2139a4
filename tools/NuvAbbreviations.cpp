#include "NuvAbbreviations.h"

#include <cctype>
#include <cstring>

#include "NuvLexiconText.h"
#include "NuvOkuriKeys.h"
#include "NuvUtils.h"


namespace {

const size_t kLongestAcronym = 8;

// The English spellings that begin with the sound of a kana whose okuri
// letters are `letters` (NuvOkuriKeys::LettersOf): キ k → key, code, quick,
// chrome; ビ b → video; ル r → link.
const struct {
	char		letter;
	const char*	starts[6];
} kSoundStarts[] = {
	{'k', {"k", "c", "q", "ch", "x", nullptr}},
	{'g', {"g", nullptr}},
	{'s', {"s", "c", "ps", "sc", "sh", "x"}},
	{'z', {"z", "s", "x", nullptr}},
	{'j', {"j", "g", "z", nullptr}},
	{'t', {"t", "th", nullptr}},
	{'c', {"ch", "c", "t", nullptr}},
	{'d', {"d", "th", nullptr}},
	{'n', {"n", "kn", "gn", "pn", nullptr}},
	{'h', {"h", "wh", nullptr}},
	{'f', {"f", "ph", "h", nullptr}},
	{'b', {"b", "v", nullptr}},
	{'p', {"p", nullptr}},
	{'m', {"m", nullptr}},
	{'y', {"y", "u", "eu", "j", nullptr}},
	{'r', {"r", "l", "wr", nullptr}},
	{'w', {"w", "wh", "o", nullptr}},
	// a vowel kana: any vowel, or a silent or gliding first letter
	{'a', {"a", "e", "i", "o", "u", "h"}},
	{'i', {"a", "e", "i", "y", "h", nullptr}},
	{'u', {"a", "e", "i", "o", "u", "w"}},
	{'e', {"a", "e", "i", "o", "u", "h"}},
	{'o', {"a", "e", "i", "o", "u", "h"}},
};


// The katakana names of the Latin letters, some with two spellings.
const char* const kLetterNames[26][2] = {
	{"エー", "エイ"}, {"ビー", nullptr}, {"シー", nullptr}, {"ディー", "デー"},
	{"イー", nullptr}, {"エフ", nullptr}, {"ジー", nullptr},
	{"エイチ", "エッチ"}, {"アイ", nullptr}, {"ジェー", "ジェイ"},
	{"ケー", "ケイ"}, {"エル", nullptr}, {"エム", nullptr}, {"エヌ", nullptr},
	{"オー", nullptr}, {"ピー", nullptr}, {"キュー", nullptr},
	{"アール", nullptr}, {"エス", nullptr}, {"ティー", "テー"},
	{"ユー", nullptr}, {"ブイ", "ヴィー"}, {"ダブリュー", nullptr},
	{"エックス", nullptr}, {"ワイ", nullptr}, {"ゼット", "ズィー"},
};


// Whether the katakana `word` (EUC-JP) spells out the capitals and digits
// of `acronym` from `from` on by the letters' names (シーピーユー for CPU);
// digits are skipped, as their readings vary.
bool
SpellsOut(const std::string& word, size_t at, const std::string& acronym,
	size_t from)
{
	static const std::vector<std::string> names = [] {
		std::vector<std::string> euc;
		std::string converted;
		for (const auto& spellings : kLetterNames) {
			for (const char* name : spellings) {
				if (name != nullptr)
					NuvLexiconText::Utf8ToEuc(name, converted);
				else
					converted.clear();
				euc.push_back(converted);
			}
		}
		return euc;
	}();
	if (from == acronym.size())
		return at == word.size();
	unsigned char letter = acronym[from];
	if (!std::isupper(letter))
		return SpellsOut(word, at, acronym, from + 1);
	for (size_t i = 0; i < 2; i++) {
		const std::string& name = names[(letter - 'A') * 2 + i];
		if (!name.empty() && word.compare(at, name.size(), name) == 0
			&& SpellsOut(word, at + name.size(), acronym, from + 1))
			return true;
	}
	return false;
}


bool
IsOneWord(const std::string& gloss)
{
	if (gloss.size() < 2 || !std::isalpha(static_cast<unsigned char>(
			gloss[0])))
		return false;
	for (size_t i = 1; i < gloss.size(); i++) {
		unsigned char c = gloss[i];
		if (!std::islower(c) && c != '-')
			return false;
	}
	return gloss.back() != '-';
}


bool
IsAcronym(const std::string& gloss)
{
	if (gloss.size() < 2 || gloss.size() > kLongestAcronym)
		return false;
	size_t letters = 0;
	for (unsigned char c : gloss) {
		if (std::isupper(c))
			letters++;
		else if (!std::isdigit(c))
			return false;
	}
	return letters >= 2;
}


// The glosses of an EDICT entry text ("/(n) (1) computer/(2) ...(P)/"),
// without their leading tags "(n) (1) (comp) "; `common` when the entry is
// marked "(P)", `foreign` when a tag names a source language.
std::vector<std::string>
Glosses(const std::string& text, bool& common, bool& foreign)
{
	std::vector<std::string> glosses;
	common = false;
	foreign = false;
	size_t start = 0;
	while (start < text.size()) {
		size_t slash = text.find('/', start);
		if (slash == std::string::npos)
			slash = text.size();
		std::string gloss(text, start, slash - start);
		start = slash + 1;
		if (gloss == "(P)") {
			common = true;
			continue;
		}
		while (gloss.size() > 1 && gloss[0] == '(') {
			size_t close = gloss.find(')');
			if (close == std::string::npos)
				break;
			if (gloss.find(':') < close)
				foreign = true;
			size_t next = gloss.find_first_not_of(' ', close + 1);
			gloss.erase(0, next == std::string::npos ? gloss.size() : next);
		}
		// "key (lock, keyboard, ...)": the word before the explanation
		size_t open = gloss.find(" (");
		if (open != std::string::npos && gloss.back() == ')')
			gloss.erase(open);
		if (!gloss.empty())
			glosses.push_back(gloss);
	}
	return glosses;
}

}	// namespace


const long NuvAbbreviations::kCommonCost = 0;
const long NuvAbbreviations::kRareCost = 1000;


bool
NuvAbbreviations::SoundsAlike(const std::string& word,
	const std::string& english)
{
	if (word.size() < 2 || english.empty())
		return false;
	std::string first = NuvUtils::ConvertEucKatakanaToHirakana(
		word.substr(0, 2));
	const unsigned char* kana = reinterpret_cast<const unsigned char*>(
		first.data());
	const char* letters = NuvOkuriKeys::LettersOf(kana);
	// ヴ becomes う゛: a v
	if (word.compare(0, 2, "\xA5\xF4") == 0)
		letters = "b";
	for (; *letters != '\0'; letters++) {
		for (const auto& sound : kSoundStarts) {
			if (sound.letter != *letters)
				continue;
			for (const char* start : sound.starts) {
				if (start != nullptr && english.compare(0, std::strlen(start),
						start) == 0)
					return true;
			}
		}
	}
	return false;
}


size_t
NuvAbbreviations::ReadEdict(std::istream& in)
{
	size_t added = 0;
	std::string line;
	while (std::getline(in, line))
		added += AddEdictLine(line);
	return added;
}


size_t
NuvAbbreviations::AddEdictLine(const std::string& line)
{
	size_t slash = line.find(" /");
	if (slash == std::string::npos || slash == 0)
		return 0;
	std::string head(line, 0, slash);
	std::string reading;
	size_t bracket = head.find(" [");
	if (bracket != std::string::npos) {
		if (head.back() != ']')
			return 0;
		reading = NuvUtils::ConvertEucKatakanaToHirakana(
			head.substr(bracket + 2, head.size() - bracket - 3));
		head.erase(bracket);
	}
	bool common, foreign;
	std::vector<std::string> glosses = Glosses(line.substr(slash + 2),
		common, foreign);
	long cost = common ? kCommonCost : kRareCost;
	bool katakana = NuvLexiconText::IsAll(head, NuvLexiconText::IsKatakana);
	if (katakana && reading.empty())
		reading = NuvUtils::ConvertEucKatakanaToHirakana(head);
	// a headword in Latin letters is what the key gives already
	if (head.empty() || static_cast<unsigned char>(head[0]) == 0xA3
		|| !NuvLexiconText::ReadingToKey(reading, reading))
		reading.clear();

	size_t added = 0;
	std::vector<std::string> keys;
	for (const std::string& gloss : glosses) {
		keys.clear();
		// an acronym spelled out in katakana letter names (シーピーユー)
		// is not what text writes
		if (IsAcronym(gloss) && !(katakana && SpellsOut(head, 0, gloss, 0))
			&& !NuvLexiconText::Holds(head,
				[](const unsigned char* p, size_t) { return p[0] == 0xA3
					|| p[0] < 0x80; })) {
			keys.push_back(gloss);
			std::string lower(gloss);
			for (char& c : lower)
				c = static_cast<char>(std::tolower(
					static_cast<unsigned char>(c)));
			keys.push_back(lower);
		} else if (katakana && !foreign && IsOneWord(gloss)) {
			std::string lower(gloss);
			lower[0] = static_cast<char>(std::tolower(
				static_cast<unsigned char>(lower[0])));
			if (SoundsAlike(head, lower))
				keys.push_back(lower);
		}
		for (const std::string& key : keys) {
			// two senses with the same gloss give the key once
			bool seen = false;
			for (size_t i = fEntries.size() - added; i < fEntries.size(); i++)
				seen = seen || fEntries[i].key == key;
			if (seen)
				continue;
			fEntries.push_back({key, head, reading, cost});
			added++;
		}
	}
	return added;
}


size_t
NuvAbbreviations::ReadTable(std::istream& in)
{
	size_t added = 0;
	std::string line, word;
	while (std::getline(in, line)) {
		if (!line.empty() && line.back() == '\r')
			line.pop_back();
		if (line.empty() || line[0] == '#')
			continue;
		size_t tab = line.find('\t');
		if (tab == 0 || tab == std::string::npos)
			continue;
		std::string key(line, 0, tab);
		long position = 0;
		while (tab != std::string::npos) {
			size_t next = line.find('\t', tab + 1);
			std::string utf8(line, tab + 1, next == std::string::npos
				? std::string::npos : next - tab - 1);
			tab = next;
			if (utf8.empty() || !NuvLexiconText::Utf8ToEuc(utf8, word))
				continue;
			fEntries.push_back({key, word, "", position++});
			added++;
		}
	}
	return added;
}
