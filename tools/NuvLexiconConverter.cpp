#include "NuvLexiconConverter.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <utility>

#include "NuvEntry.h"
#include "NuvUtils.h"


namespace {

const size_t kFieldCount = 13;
enum {
	kSurfaceField = 0,
	kLeftIdField = 1,
	kRightIdField = 2,
	kCostField = 3,
	kPartOfSpeechField = 4,
	kPartOfSpeechSubKindField = 6,
	kConjugationFormField = 9,
	kBaseFormField = 10,
	kReadingField = 11
};

// Part-of-speech and form names, in EUC-JP.
const std::string kVerb = "\xC6\xB0\xBB\xEC";				// 動詞
const std::string kAdjective = "\xB7\xC1\xCD\xC6\xBB\xEC";	// 形容詞
const std::string kBaseForm = "\xB4\xF0\xCB\xDC\xB7\xC1";	// 基本形
const std::string kParticle = "\xBD\xF5\xBB\xEC";			// 助詞
const std::string kProperNoun = "\xB8\xC7\xCD\xAD\xCC\xBE\xBB\xEC";	// 固有名詞
// The particles that follow a noun phrase: を, が, に, の, は, as case,
// binding and adnominal particles (not に making an adverb, say).
const char* const kCaseParticles[] = {
	"\xA4\xF2", "\xA4\xAC", "\xA4\xCB", "\xA4\xCE", "\xA4\xCF"
};
const char* const kCaseParticleKinds[] = {
	"\xB3\xCA\xBD\xF5\xBB\xEC",	// 格助詞
	"\xB7\xB8\xBD\xF5\xBB\xEC",	// 係助詞
	"\xCF\xA2\xC2\xCE\xB2\xBD"	// 連体化
};
const size_t kPartOfSpeechKindField = 5;

// Connection costs larger than any in the lexicon, for the search of the
// cheapest one.
const long kNoConnection = 1L << 30;

const char* const kFileComment = ";; NUV-JISYO.L: made by nuv-mkdict from the"
	" IPADIC lexicon; its licence is in NUV-JISYO.L.COPYING.\n";
const char* const kOkuriAriHeader = ";; okuri-ari entries.\n";
const char* const kOkuriNasiHeader = ";; okuri-nasi entries.\n";

// The first letter typed for each hiragana ぁ (A4A1) to ん (A4F3) with the
// romaji table roman_kana.table, every spelling's letter where there are
// several (shi and si, chi and ti, tsu and tu, fu and hu, ji and zi). The
// reading buffer looks up whatever letter began the okurigana, so each gets
// its own key. Small kana never begin an okurigana and have none. The
// table's rare alternatives (ca, cu, co, ci and ce, yi, wu, xn) get no keys
// of their own: c is ち's letter, and c keys for か, く, こ, し and せ would
// add over a thousand lines for spellings hardly anyone types.
const char* const kOkuriLetters[] = {
	"",		// ぁ
	"a",	// あ
	"",		// ぃ
	"i",	// い
	"",		// ぅ
	"u",	// う
	"",		// ぇ
	"e",	// え
	"",		// ぉ
	"o",	// お
	"k",	// か
	"g",	// が
	"k",	// き
	"g",	// ぎ
	"k",	// く
	"g",	// ぐ
	"k",	// け
	"g",	// げ
	"k",	// こ
	"g",	// ご
	"s",	// さ
	"z",	// ざ
	"s",	// し
	"jz",	// じ
	"s",	// す
	"z",	// ず
	"s",	// せ
	"z",	// ぜ
	"s",	// そ
	"z",	// ぞ
	"t",	// た
	"d",	// だ
	"ct",	// ち
	"d",	// ぢ
	"",		// っ
	"t",	// つ
	"d",	// づ
	"t",	// て
	"d",	// で
	"t",	// と
	"d",	// ど
	"n",	// な
	"n",	// に
	"n",	// ぬ
	"n",	// ね
	"n",	// の
	"h",	// は
	"b",	// ば
	"p",	// ぱ
	"h",	// ひ
	"b",	// び
	"p",	// ぴ
	"fh",	// ふ
	"b",	// ぶ
	"p",	// ぷ
	"h",	// へ
	"b",	// べ
	"p",	// ぺ
	"h",	// ほ
	"b",	// ぼ
	"p",	// ぽ
	"m",	// ま
	"m",	// み
	"m",	// む
	"m",	// め
	"m",	// も
	"",		// ゃ
	"y",	// や
	"",		// ゅ
	"y",	// ゆ
	"",		// ょ
	"y",	// よ
	"r",	// ら
	"r",	// り
	"r",	// る
	"r",	// れ
	"r",	// ろ
	"",		// ゎ
	"w",	// わ
	"w",	// ゐ
	"w",	// ゑ
	"w",	// を
	"n",	// ん
};
static_assert(sizeof(kOkuriLetters) / sizeof(kOkuriLetters[0])
	== 0xF3 - 0xA1 + 1, "one entry for each hiragana");


// The length of the EUC-JP character at `p`, within `left` bytes.
size_t
CharLength(const unsigned char* p, size_t left)
{
	size_t length = 1;
	if (p[0] == 0x8F)
		length = 3;		// JIS X 0212
	else if (p[0] >= 0x80)
		length = 2;
	return std::min(length, left);
}


bool
IsHiragana(const unsigned char* p, size_t length)
{
	return length == 2 && p[0] == 0xA4 && p[1] >= 0xA1 && p[1] <= 0xF3;
}


// Kanji (JIS levels 1 and 2, and JIS X 0212) and 々.
bool
IsKanji(const unsigned char* p, size_t length)
{
	if (length == 3)
		return true;
	return length == 2 && ((p[0] >= 0xB0 && p[0] <= 0xF4)
		|| (p[0] == 0xA1 && p[1] == 0xB9));
}


bool
IsKanjiOrKatakana(const unsigned char* p, size_t length)
{
	return IsKanji(p, length) || (length == 2 && p[0] == 0xA5);
}


bool
Holds(const std::string& text, bool (*isWanted)(const unsigned char*, size_t))
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


// The hiragana key for a katakana reading; false when the reading holds
// anything but kana that the romaji table types: hiragana, ー, and ヴ (which
// becomes う゛).
bool
ReadingToKey(const std::string& reading, std::string& key)
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
SplitFields(const std::string& row, std::vector<std::string>& fields)
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

}	// namespace


const double NuvLexiconConverter::kDefaultProductivityWeight = 600;
const long NuvLexiconConverter::kOkuriPenalty = 500;


const std::vector<std::string>&
NuvLexiconConverter::LexiconFiles()
{
	static const std::vector<std::string> kFiles = {
		"Noun.csv", "Noun.adjv.csv", "Noun.adverbal.csv", "Noun.demonst.csv",
		"Noun.nai.csv", "Noun.name.csv", "Noun.number.csv", "Noun.org.csv",
		"Noun.others.csv", "Noun.place.csv", "Noun.proper.csv",
		"Noun.verbal.csv", "Verb.csv", "Adj.csv", "Adverb.csv",
		"Adnominal.csv", "Conjunction.csv", "Interjection.csv", "Prefix.csv",
		"Suffix.csv"
	};
	return kFiles;
}


bool
NuvLexiconConverter::ReadConnections(std::istream& matrix,
	std::istream& particles)
{
	std::vector<long> particleIds;
	std::vector<std::string> fields;
	std::string row;
	while (std::getline(particles, row)) {
		SplitFields(row, fields);
		if (fields.size() < kFieldCount || fields[kPartOfSpeechField]
				!= kParticle
			|| std::find(std::begin(kCaseParticleKinds),
				std::end(kCaseParticleKinds), fields[kPartOfSpeechKindField])
					== std::end(kCaseParticleKinds))
			continue;
		for (const char* particle : kCaseParticles) {
			if (fields[kSurfaceField] == particle) {
				particleIds.push_back(std::strtol(
					fields[kLeftIdField].c_str(), nullptr, 10));
			}
		}
	}

	long rights, lefts;
	if (!(matrix >> rights >> lefts) || rights <= 0 || lefts <= 0
		|| rights > 100000 || lefts > 100000)
		return false;
	std::vector<bool> isParticle(lefts, false);
	for (long id : particleIds) {
		if (id >= 0 && id < lefts)
			isParticle[id] = true;
	}
	std::vector<long> startCosts(lefts, 0);
	std::vector<long> particleCosts(rights, kNoConnection);
	long right, left, cost;
	while (matrix >> right >> left >> cost) {
		if (right < 0 || right >= rights || left < 0 || left >= lefts)
			return false;
		if (right == 0)		// 0 is the start (and end) of a sentence
			startCosts[left] = cost;
		if (isParticle[left])
			particleCosts[right] = std::min(particleCosts[right], cost);
	}
	if (!matrix.eof())
		return false;
	for (long& cost : particleCosts) {
		if (cost == kNoConnection)
			cost = 0;
	}
	fStartCosts.swap(startCosts);
	fParticleCosts.swap(particleCosts);
	return true;
}


bool
NuvLexiconConverter::AddRow(const std::string& row)
{
	std::vector<std::string> fields;
	SplitFields(row, fields);
	if (fields.size() < kFieldCount)
		return false;

	const std::string& surface = fields[kSurfaceField];
	// A word counts once, by its base form, not once for each inflected
	// form. Proper nouns are left out: pieces of names of people, places
	// and firms (垣内, 精機) recur across thousands of them without being
	// common words.
	const std::string& word = fields[kBaseFormField] == "*"
		? surface : fields[kBaseFormField];
	if (!word.empty() && fields[kPartOfSpeechKindField] != kProperNoun)
		fWords.insert(word);
	long cost = std::strtol(fields[kCostField].c_str(), nullptr, 10);
	std::string reading;
	if (surface.empty() || !ReadingToKey(fields[kReadingField], reading))
		return false;

	const std::string& partOfSpeech = fields[kPartOfSpeechField];
	if (partOfSpeech != kVerb && partOfSpeech != kAdjective) {
		if (!Holds(surface, IsKanjiOrKatakana))
			return false;
		long left = std::strtol(fields[kLeftIdField].c_str(), nullptr, 10);
		long right = std::strtol(fields[kRightIdField].c_str(), nullptr, 10);
		_Add(fOkuriNasi, reading, surface, cost + _Lookup(fStartCosts, left)
			+ _Lookup(fParticleCosts, right));
		return true;
	}

	// Inflected words: only the base form, split into stem and ending.
	if (fields[kConjugationFormField] != kBaseForm)
		return false;
	const unsigned char* p = reinterpret_cast<const unsigned char*>(
		surface.data());
	size_t stemLength = 0;
	for (size_t i = 0; i < surface.size(); ) {
		size_t length = CharLength(p + i, surface.size() - i);
		i += length;
		if (!IsHiragana(p + i - length, length))
			stemLength = i;
	}
	std::string stem(surface, 0, stemLength);
	std::string ending(surface, stemLength);
	if (ending.empty() || !Holds(stem, IsKanji)
		|| reading.size() <= ending.size()
		|| reading.compare(reading.size() - ending.size(), ending.size(),
			ending) != 0)
		return false;

	std::string stemReading(reading, 0, reading.size() - ending.size());
	const char* letters = kOkuriLetters[
		static_cast<unsigned char>(ending[1]) - 0xA1];
	if (*letters == '\0')
		return false;
	for (; *letters != '\0'; letters++)
		_Add(fOkuriAri, stemReading + *letters, stem, cost);
	return true;
}


void
NuvLexiconConverter::AddFile(std::istream& in)
{
	std::string row;
	while (std::getline(in, row)) {
		if (!row.empty() && row.back() == '\r')
			row.pop_back();
		AddRow(row);
	}
}


bool
NuvLexiconConverter::AddDirectory(const std::string& directory,
	std::string& missing)
{
	missing.clear();
	std::ifstream matrix(directory + "/matrix.def", std::ios::binary);
	std::ifstream particles(directory + "/Postp.csv", std::ios::binary);
	if (!particles)
		missing = "Postp.csv";
	if (!matrix || !ReadConnections(matrix, particles))
		missing = "matrix.def";
	if (!missing.empty())
		return false;

	for (const std::string& name : LexiconFiles()) {
		std::ifstream in(directory + "/" + name, std::ios::binary);
		if (!in) {
			missing = name;
			return false;
		}
		AddFile(in);
	}
	return true;
}


void
NuvLexiconConverter::Write(std::ostream& out) const
{
	out << kFileComment;
	_WriteSection(out, kOkuriAriHeader, fOkuriAri, nullptr);
	credit_map credits = _ProductivityCredits();
	_WriteSection(out, kOkuriNasiHeader, fOkuriNasi, &credits);
}


// #pragma mark - private


void
NuvLexiconConverter::_Add(key_map& keys, const std::string& key,
	const std::string& candidate, long cost)
{
	auto [found, added] = keys[key].emplace(candidate, cost);
	if (!added && cost < found->second)
		found->second = cost;
}


long
NuvLexiconConverter::_Lookup(const std::vector<long>& costs, long id)
{
	if (id < 0 || static_cast<size_t>(id) >= costs.size())
		return 0;
	return costs[id];
}


bool
NuvLexiconConverter::_IsTypedWithOkuri(const std::string& key,
	const std::string& candidate) const
{
	const unsigned char* p = reinterpret_cast<const unsigned char*>(
		candidate.data());
	size_t stemLength = 0;
	for (size_t i = 0; i < candidate.size(); ) {
		size_t length = CharLength(p + i, candidate.size() - i);
		i += length;
		if (!IsHiragana(p + i - length, length))
			stemLength = i;
	}
	size_t endingLength = candidate.size() - stemLength;
	if (stemLength == 0 || endingLength == 0 || key.size() <= endingLength
		|| key.compare(key.size() - endingLength, endingLength, candidate,
			stemLength, endingLength) != 0)
		return false;
	const char* letters = kOkuriLetters[p[stemLength + 1] - 0xA1];
	std::string okuriKey(key, 0, key.size() - endingLength);
	okuriKey += ' ';
	for (; *letters != '\0'; letters++) {
		okuriKey.back() = *letters;
		auto found = fOkuriAri.find(okuriKey);
		if (found != fOkuriAri.end() && found->second.count(
				candidate.substr(0, stemLength)) != 0)
			return true;
	}
	return false;
}


NuvLexiconConverter::credit_map
NuvLexiconConverter::_ProductivityCredits() const
{
	// Count, for each candidate, the other words that contain it: each
	// word's substrings no longer than the longest candidate are looked up,
	// which is linear in the lexicon rather than quadratic.
	credit_map credits;
	if (fProductivityWeight == 0)
		return credits;
	std::unordered_map<std::string_view, long> counts;
	size_t longest = 0;
	for (const auto& [key, candidates] : fOkuriNasi) {
		for (const auto& [candidate, cost] : candidates) {
			counts.emplace(candidate, 0);
			longest = std::max(longest, candidate.size());
		}
	}

	std::vector<long*> found;
	for (const std::string& word : fWords) {
		const unsigned char* p = reinterpret_cast<const unsigned char*>(
			word.data());
		found.clear();
		for (size_t start = 0; start < word.size(); ) {
			size_t end = start;
			while (end < word.size() && end - start < longest) {
				end += CharLength(p + end, word.size() - end);
				if (end - start == word.size())
					break;	// a word is not another word containing itself
				auto counted = counts.find(std::string_view(word).substr(
					start, end - start));
				if (counted != counts.end())
					found.push_back(&counted->second);
			}
			start += CharLength(p + start, word.size() - start);
		}
		// a word that holds a candidate twice counts once
		std::sort(found.begin(), found.end());
		found.erase(std::unique(found.begin(), found.end()), found.end());
		for (long* count : found)
			(*count)++;
	}

	for (const auto& [surface, count] : counts) {
		long credit = std::lround(fProductivityWeight
			* std::log1p(static_cast<double>(count)));
		if (credit != 0)
			credits.emplace(surface, credit);
	}
	return credits;
}


void
NuvLexiconConverter::_WriteSection(std::ostream& out, const char* header,
	const key_map& keys, const credit_map* credits) const
{
	out << header;
	std::vector<std::pair<long, const std::string*>> order;
	for (const auto& [key, candidates] : keys) {
		order.clear();
		for (const auto& [candidate, cost] : candidates) {
			long score = cost;
			if (credits != nullptr) {
				auto credit = credits->find(candidate);
				if (credit != credits->end())
					score -= credit->second;
				if (_IsTypedWithOkuri(key, candidate))
					score += kOkuriPenalty;
			}
			order.emplace_back(score, &candidate);
		}
		// the map gives byte order; a stable sort keeps it for equal costs
		std::stable_sort(order.begin(), order.end(),
			[](const auto& a, const auto& b) { return a.first < b.first; });

		NuvEntry entry;
		for (const auto& [cost, candidate] : order)
			entry.stems.push_back(*candidate);
		out << key << ' ' << entry << '\n';
	}
}
