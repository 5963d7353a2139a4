#include "NuvLexiconConverter.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <utility>

#include "NuvAbbreviations.h"
#include "NuvEdictWords.h"
#include "NuvEntry.h"
#include "NuvLexiconText.h"
#include "NuvOkuriKeys.h"


namespace {

const size_t kFieldCount = 13;
enum {
	kSurfaceField = 0,
	kLeftIdField = 1,
	kRightIdField = 2,
	kCostField = 3,
	kPartOfSpeechField = 4,
	kPartOfSpeechSubKindField = 6,
	kConjugationTypeField = 8,
	kConjugationFormField = 9,
	kBaseFormField = 10,
	kReadingField = 11
};

// Part-of-speech and form names, in EUC-JP.
const std::string kVerb = "\xC6\xB0\xBB\xEC";				// 動詞
const std::string kAdjective = "\xB7\xC1\xCD\xC6\xBB\xEC";	// 形容詞
const std::string kIrrealis = "\xCC\xA4\xC1\xB3\xB7\xC1";	// 未然形
const std::string kContinuative = "\xCF\xA2\xCD\xD1\xB7\xC1";	// 連用形
const std::string kGaruStem = "\xA5\xAC\xA5\xEB\xC0\xDC\xC2\xB3";	// ガル接続
const std::string kNoun = "\xCC\xBE\xBB\xEC";				// 名詞
const std::string kParticle = "\xBD\xF5\xBB\xEC";			// 助詞
const std::string kProperNoun = "\xB8\xC7\xCD\xAD\xCC\xBE\xBB\xEC";	// 固有名詞
const std::string kGeneral = "\xB0\xEC\xC8\xCC";			// 一般
const std::string kSuffix = "\xC0\xDC\xC8\xF8";			// 接尾
const std::string kPrefix = "\xC0\xDC\xC6\xAC\xBB\xEC";	// 接頭詞
const std::string kBaseForm = "\xB4\xF0\xCB\xDC\xB7\xC1";	// 基本形
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

bool
IsKanjiOrKana(const unsigned char* p, size_t length)
{
	return NuvLexiconText::IsKanji(p, length)
		|| NuvLexiconText::IsHiragana(p, length)
		|| (length == 2 && p[0] == 0xA5)
		|| (length == 2 && p[0] == 0xA1 && p[1] == 0xBC);	// ー
}


bool
IsKanjiOrKatakana(const unsigned char* p, size_t length)
{
	return NuvLexiconText::IsKanji(p, length)
		|| (length == 2 && p[0] == 0xA5);
}


// Connection costs larger than any in the lexicon, for the search of the
// cheapest one.
const long kNoConnection = 1L << 30;

const char* const kFileComment = ";; NUV-JISYO.L: made by nuv-mkdict from the"
	" IPADIC lexicon, usage counts and EDICT; their licences are in"
	" NUV-JISYO.L.COPYING.\n";
const char* const kOkuriAriHeader = ";; okuri-ari entries.\n";
const char* const kOkuriNasiHeader = ";; okuri-nasi entries.\n";

}	// namespace


const double NuvLexiconConverter::kDefaultProductivityWeight = 600;
const long NuvLexiconConverter::kOkuriPenalty = 500;
// Where the counts show neither of two homophones, the lexicon's costs
// pick a rare word as often as not (瀏 before 竜, 蜉蝣 before 浮遊): EDICT's
// common mark is better evidence. On the accuracy benchmark's left-out
// figures, first cold / learning on the narrative text: 84.4 / 90.7 % at
// 0, 84.6 / 90.8 % at 500, 84.9 / 90.9 % at 1500, 2500, 4000 and 8000 (the
// other kinds the same or 0.1 point better); 2500, the middle of that
// plateau, is five prior scales: a common word goes first unless the
// lexicon prices it much higher.
const long NuvLexiconConverter::kCommonCredit = 2500;
// The counts are rates per million tokens of each kind of writing: the
// best prior weighs like a tenth of a sighting per million. Chosen on the
// accuracy benchmark's left-out figures (each kind of text typed over a
// dictionary without that kind's counts): first over the four kinds, 92.0,
// 92.8, 93.2, 93.4 and 93.5 % at 30, 10, 3, 1 and 0.3, and 93.5 % at 0.1
// and 0.03 too, where the narrative text's is best (84.4 % against 83.8 %
// at 1): a word that only one other kind writes, and rarely (話 under
// はなし in manuals), is better evidence than the lexicon's costs (噺).
const double NuvLexiconConverter::kPriorCount = 0.1;
// On the benchmark's left-out figures 0, 0.05 and 0.25 give the same
// first share over the four kinds (93.4 %), and the dictionary forms typed
// without okuri come first for 38, 54 and 59 % of the narrative text's;
// but 0.25 puts the text's many 感じ before 漢字 under かんじ.
const double NuvLexiconConverter::kOkuriShare = 0.05;
const double NuvLexiconConverter::kPriorScale = 500;
// The analyser that made the counts reads some words one way only (値 as
// ね, never あたい): a spelling it counts often under other readings is a
// common spelling all the same, so its prior grows with half that count.
const double NuvLexiconConverter::kElsewhereShare = 0.5;
// Twice, so that one stray cut of the analyser adds no word.
const long NuvLexiconConverter::kCountedWordMinimum = 2;
const long NuvLexiconConverter::kCountedWordCost = 9000;


const std::vector<std::string>&
NuvLexiconConverter::LexiconFiles()
{
	static const std::vector<std::string> kFiles = {
		"Noun.csv", "Noun.adjv.csv", "Noun.adverbal.csv", "Noun.demonst.csv",
		"Noun.nai.csv", "Noun.name.csv", "Noun.number.csv", "Noun.org.csv",
		"Noun.others.csv", "Noun.place.csv", "Noun.proper.csv",
		"Noun.verbal.csv", "Postp-col.csv", "Verb.csv", "Adj.csv", "Adverb.csv",
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
		NuvLexiconText::SplitFields(row, fields);
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
	std::vector<int> connections(rights * lefts, 0);
	long right, left, cost;
	while (matrix >> right >> left >> cost) {
		if (right < 0 || right >= rights || left < 0 || left >= lefts)
			return false;
		connections[right * lefts + left] = static_cast<int>(cost);
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
	fConnections.swap(connections);
	fLefts = lefts;
	return true;
}


bool
NuvLexiconConverter::AddRow(const std::string& row)
{
	std::vector<std::string> fields;
	NuvLexiconText::SplitFields(row, fields);
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
	if (surface.empty()
		|| !NuvLexiconText::ReadingToKey(fields[kReadingField], reading))
		return false;

	bool added = false;
	const std::string& partOfSpeech = fields[kPartOfSpeechField];
	// a verb or adjective only where the form ends in its kanji (見 of
	// 見ます, 高 of 高さ): the okurigana that follows is a word of its own
	bool inflected = partOfSpeech == kVerb || partOfSpeech == kAdjective;
	const std::string& form = fields[kConjugationFormField];
	bool stemForm = NuvLexiconText::StemLength(surface) == surface.size()
		&& (form == kIrrealis || form == kContinuative || form == kGaruStem);
	long left = std::strtol(fields[kLeftIdField].c_str(), nullptr, 10);
	long right = std::strtol(fields[kRightIdField].c_str(), nullptr, 10);
	const std::string& kind = fields[kPartOfSpeechKindField];
	if (partOfSpeech == kNoun && kind == kGeneral && fNounLeft < 0) {
		fNounLeft = left;
		fNounRight = right;
	}
	if ((!inflected || stemForm)
		&& NuvLexiconText::Holds(surface, IsKanjiOrKatakana)) {
		// An affix is priced in its place, after or before a noun, not as
		// a noun phrase of its own, which it never is.
		long before = _Lookup(fStartCosts, left);
		long after = _Lookup(fParticleCosts, right);
		if (kind == kSuffix && fNounRight >= 0)
			before = _Connection(fNounRight, left);
		else if (partOfSpeech == kPrefix && fNounLeft >= 0)
			after = _Connection(right, fNounLeft);
		_Add(fOkuriNasi, reading, surface, before + cost + after, reading,
			surface);
		added = true;
	} else if (inflected && form == kBaseForm
		&& _EndsAlike(surface, reading)
		&& NuvLexiconText::Holds(surface, NuvLexiconText::IsKanji)) {
		// The dictionary form under the plain reading, for those who type
		// 良い as Yoi and not YoI: a sentence of its own, start to end.
		_Add(fOkuriNasi, reading, surface, _Lookup(fStartCosts, left) + cost
			+ _Connection(right, 0), reading, surface);
		added = true;
	}

	NuvOkuriKeys::key_list keys;
	NuvOkuriKeys::Derive(surface, reading, partOfSpeech,
		fields[kPartOfSpeechKindField], fields[kConjugationTypeField],
		fields[kConjugationFormField], keys);
	for (const auto& [key, stem] : keys)
		_Add(fOkuriAri, key, stem, cost, reading, surface);
	return added || !keys.empty();
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


size_t
NuvLexiconConverter::AddCountedWords()
{
	// collected first: AddWord changes the maps the checks read
	std::vector<std::pair<std::string, std::string>> words;
	fCounts.ForEach([&](const std::string& reading,
		const std::string& surface, long count) {
		const unsigned char* first = reinterpret_cast<const unsigned char*>(
			surface.data());
		if (count < kCountedWordMinimum
			|| NuvLexiconText::CharLength(first, surface.size())
				== surface.size()
			|| !NuvLexiconText::IsAll(surface, IsKanjiOrKana)
			|| !NuvLexiconText::Holds(surface, IsKanjiOrKatakana))
			return;
		std::string key;
		if (!NuvLexiconText::ReadingToKey(reading, key) || key != reading)
			return;
		NuvOkuriKeys::key_list keys;
		NuvOkuriKeys::Derive(surface, reading, kNoun, "", "", "", keys);
		for (const auto& [okuriKey, stem] : keys) {
			auto found = fOkuriAri.find(okuriKey);
			if (found != fOkuriAri.end() && found->second.count(stem) != 0)
				return;
		}
		words.emplace_back(reading, surface);
	});
	// the counts are a hash map: sorted, the result does not depend on it
	std::sort(words.begin(), words.end());
	size_t added = 0;
	for (const auto& [reading, surface] : words)
		added += AddWord(reading, surface, kCountedWordCost) ? 1 : 0;
	return added;
}


NuvLexiconConverter::counts_file
NuvLexiconConverter::CountsFile(const std::string& path)
{
	size_t slash = path.rfind('/');
	size_t start = slash == std::string::npos ? 0 : slash + 1;
	size_t dot = path.find('.', start);
	return {path.substr(start, dot == std::string::npos ? std::string::npos
		: dot - start), path};
}


bool
NuvLexiconConverter::AddSources(const std::string& lexicon,
	const std::vector<counts_file>& counts, const std::string& edict,
	const std::string& abbreviationsPath, std::string& missing)
{
	if (!AddDirectory(lexicon, missing)) {
		missing = lexicon + "/" + missing;
		return false;
	}
	for (const counts_file& file : counts) {
		std::ifstream in(file.path, std::ios::binary);
		if (!in) {
			missing = file.path;
			return false;
		}
		ReadUsageCounts(in, file.kind);
	}
	AddCountedWords();
	NuvAbbreviations abbreviations;
	NuvEdictWords words;
	for (const std::string* path : {&edict, &abbreviationsPath}) {
		if (path->empty())
			continue;
		std::ifstream in(*path, std::ios::binary);
		if (!in) {
			missing = *path;
			return false;
		}
		if (path == &edict) {
			words.Read(in);
			in.clear();
			in.seekg(0);
			abbreviations.ReadEdict(in);
		} else
			abbreviations.ReadTable(in);
	}
	for (const NuvEdictWords::word& word : words.Words()) {
		if (!AddWord(word.reading, word.surface, word.cost)
			&& word.cost == NuvEdictWords::kCommonCost)
			MarkCommon(word.reading, word.surface);
	}
	for (const NuvAbbreviations::entry& word : abbreviations.Entries())
		AddAbbreviation(word.key, word.candidate, word.reading, word.cost);
	return true;
}


bool
NuvLexiconConverter::AddWord(const std::string& reading,
	const std::string& surface, long cost)
{
	auto known = fOkuriNasi.find(reading);
	if (known != fOkuriNasi.end() && known->second.count(surface) != 0)
		return false;
	NuvOkuriKeys::key_list keys;
	NuvOkuriKeys::Derive(surface, reading, kNoun, "", "", "", keys);
	for (const auto& [key, stem] : keys) {
		auto found = fOkuriAri.find(key);
		if (found == fOkuriAri.end() || found->second.count(stem) == 0)
			_Add(fOkuriAri, key, stem, cost, reading, surface);
	}
	_Add(fOkuriNasi, reading, surface, cost, reading, surface);
	return true;
}


void
NuvLexiconConverter::MarkCommon(const std::string& reading,
	const std::string& surface)
{
	auto key = fOkuriNasi.find(reading);
	if (key == fOkuriNasi.end())
		return;
	auto candidate = key->second.find(surface);
	if (candidate != key->second.end())
		candidate->second.common = true;
}


void
NuvLexiconConverter::AddAbbreviation(const std::string& key,
	const std::string& candidate, const std::string& reading, long cost)
{
	if (key.empty() || candidate.empty())
		return;
	for (char c : key) {
		// the key ends at the blank; a high byte would make it kana
		if (c <= ' ' || c > '~')
			return;
	}
	_Add(fOkuriNasi, key, candidate, cost, reading, candidate);
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
	const std::string& candidate, long cost, const std::string& formReading,
	const std::string& formSurface)
{
	auto [found, added] = keys[key].emplace(candidate, word_info{cost, {}});
	word_info& info = found->second;
	if (!added && cost < info.cost)
		info.cost = cost;
	std::string form = formReading + '\t' + formSurface;
	if (std::find(info.forms.begin(), info.forms.end(), form)
			== info.forms.end())
		info.forms.push_back(form);
}


bool
NuvLexiconConverter::_EndsAlike(const std::string& surface,
	const std::string& reading)
{
	size_t stem = NuvLexiconText::StemLength(surface);
	size_t ending = surface.size() - stem;
	return stem > 0 && ending > 0 && reading.size() > ending
		&& reading.compare(reading.size() - ending, ending, surface, stem,
			ending) == 0;
}


long
NuvLexiconConverter::_Connection(long right, long left) const
{
	if (right < 0 || left < 0 || left >= fLefts
		|| static_cast<size_t>(right * fLefts + left) >= fConnections.size())
		return 0;
	return fConnections[right * fLefts + left];
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
	size_t stemLength = NuvLexiconText::StemLength(candidate);
	size_t endingLength = candidate.size() - stemLength;
	if (stemLength == 0 || endingLength == 0 || key.size() <= endingLength
		|| key.compare(key.size() - endingLength, endingLength, candidate,
			stemLength, endingLength) != 0)
		return false;
	const char* letters = NuvOkuriKeys::LettersOf(
		reinterpret_cast<const unsigned char*>(candidate.data())
			+ stemLength);
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
				end += NuvLexiconText::CharLength(p + end, word.size() - end);
				if (end - start == word.size())
					break;	// a word is not another word containing itself
				auto counted = counts.find(std::string_view(word).substr(
					start, end - start));
				if (counted != counts.end())
					found.push_back(&counted->second);
			}
			start += NuvLexiconText::CharLength(p + start, word.size() - start);
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


NuvUsageCounts::by_kind
NuvLexiconConverter::_CountOf(const word_info& info,
	NuvUsageCounts::by_kind* elsewhereOut) const
{
	NuvUsageCounts::by_kind count(fCounts.CountKinds(), 0);
	NuvUsageCounts::by_kind elsewhere(fCounts.CountKinds(), 0);
	for (const std::string& form : info.forms) {
		size_t tab = form.find('\t');
		std::string surface = form.substr(tab + 1);
		NuvUsageCounts::by_kind here = fCounts.Count(form.substr(0, tab),
			surface);
		NuvUsageCounts::by_kind any = fCounts.CountAnyReading(surface);
		for (size_t kind = 0; kind < count.size(); kind++) {
			count[kind] += here[kind];
			elsewhere[kind] += any[kind] - here[kind];
		}
	}
	if (elsewhereOut != nullptr)
		*elsewhereOut = elsewhere;
	return count;
}


void
NuvLexiconConverter::_WriteSection(std::ostream& out, const char* header,
	const key_map& keys, const credit_map* credits) const
{
	struct ranked {
		bool		late;		// a katakana spelling the text rarely uses
		double		count;		// how often the text writes it, as ranked
		double		written;	// the same before an okuri share
		double		elsewhere;	// and under other readings
		double		weight;		// count plus the prior's pseudo-count
		long		score;		// the prior: cost, credits, penalty
		const std::string* candidate;
	};
	out << header;
	std::vector<ranked> order;
	std::vector<std::string> stems;
	for (const auto& [key, candidates] : keys) {
		order.clear();
		long best = 0;
		double kanjiCount = 0;
		// the stems of the candidates typed with okuri (晴 of 晴れ): the
		// same word written without its okurigana, as rarely meant here
		stems.clear();
		if (credits != nullptr) {
			for (const auto& [candidate, info] : candidates) {
				if (_IsTypedWithOkuri(key, candidate)) {
					stems.push_back(candidate.substr(0,
						NuvLexiconText::StemLength(candidate)));
				}
			}
		}
		for (const auto& [candidate, info] : candidates) {
			long score = info.cost;
			bool typedWithOkuri = false;
			if (credits != nullptr) {
				auto credit = credits->find(candidate);
				if (credit != credits->end())
					score -= credit->second;
				if (info.common)
					score -= fCommonCredit;
				typedWithOkuri = _IsTypedWithOkuri(key, candidate);
				if (typedWithOkuri || std::find(stems.begin(), stems.end(),
						candidate) != stems.end())
					score += kOkuriPenalty;
			}
			NuvUsageCounts::by_kind elsewhereByKind;
			double count = fCounts.Sightings(_CountOf(info,
				&elsewhereByKind));
			double elsewhere = fCounts.Sightings(elsewhereByKind);
			// The text's 感じ are typed かんj: their count ranks that key,
			// and here in full it would put them before 漢字 under かんじ.
			// A spelling common under another reading (良い read よい, when
			// typed いい) keeps the same share of that evidence.
			const double written = count;
			if (typedWithOkuri) {
				count = (count + kElsewhereShare * elsewhere) * fOkuriShare;
				elsewhere = 0;
			}
			bool katakana = NuvLexiconText::IsAll(candidate,
				NuvLexiconText::IsKatakana);
			if (!katakana)
				kanjiCount = std::max(kanjiCount, count);
			best = order.empty() ? score : std::min(best, score);
			order.push_back({katakana, count, written, elsewhere, 0, score,
				&candidate});
		}
		for (ranked& item : order) {
			// the best prior weighs like kPriorCount sightings, a worse one
			// less by e for each kPriorScale of score
			item.weight = item.count + (fPriorCount
				+ kElsewhereShare * item.elsewhere)
				* std::exp(static_cast<double>(best - item.score)
					/ kPriorScale);
			item.late = item.late && item.count <= kanjiCount;
		}
		// the map gives byte order; a stable sort keeps it for equal ranks
		std::stable_sort(order.begin(), order.end(),
			[](const ranked& a, const ranked& b) {
				if (a.late != b.late)
					return b.late;
				if (a.weight != b.weight)
					return a.weight > b.weight;
				return a.score < b.score;
			});

		// A stem written alone (晴) is that word without its okurigana:
		// it goes after the word as written (晴れ) when the text writes
		// that more often (not 値 after 値い).
		for (const std::string& stem : stems) {
			auto alone = std::find_if(order.begin(), order.end(),
				[&](const ranked& item) { return *item.candidate == stem; });
			auto written = std::find_if(alone, order.end(),
				[&](const ranked& item) {
					return item.candidate->size() > stem.size()
						&& NuvLexiconText::StemLength(*item.candidate)
							== stem.size()
						&& item.candidate->compare(0, stem.size(), stem) == 0;
				});
			if (alone != order.end() && written != order.end()
				&& written->written > alone->written)
				std::rotate(alone, alone + 1, written + 1);
		}
		NuvEntry entry;
		for (const ranked& item : order)
			entry.stems.push_back(*item.candidate);
		out << key << ' ' << entry << '\n';
	}
}
