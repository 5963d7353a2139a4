// How often the large dictionary offers the word a person means: types real
// Japanese text, word by word, through the engine in the reading-first style
// and counts where the intended word comes.
//
//	nuv_bench_accuracy [TEXT] [--dictionary FILE] [--settings DIR]
//		[--analyser ipadic|unidic] [--hepburn] [--misses N]
//
// TEXT is UTF-8 text, one sentence a line; by default the held-out part
// that tools/corpus/extract writes (build/corpus/heldout.txt). MeCab splits
// it into words and reads them, with the Debian IPADIC (the analyser the
// word counts come from) or, with --analyser unidic, UniDic, whose readings
// are better (値 あたい where IPADIC says ね) and owe nothing to the
// counts. Each word that holds a kanji or a katakana is typed as
// ReadingFirstTyping describes
// (the reading with an upper-case first letter, and an upper-case letter at
// the okurigana of an inflected word), converted with space, stepped with
// space until the intended word is shown (a selection key on a palette
// page) and confirmed, which learns it. Words in hiragana need no
// conversion and are only counted.
//
// The engine is the real one: a controller over the tables of DIR (default
// settings/) and the large dictionary FILE (default settings/NUV-JISYO.L),
// with a user dictionary kept in memory (nothing is read from or written to
// a user's files). Two passes: cold, where the user dictionary learns
// nothing, so every word meets the large dictionary's own order; and
// learning, where the whole text is typed in order by one user whose
// dictionary learns every confirmed word and who registers each word the
// dictionary does not offer (entered directly, not keyed).
//
// Printed for each pass: the share of converted words whose intended word
// comes first, among the first four (shown inline before the palette
// opens) and anywhere (reachable); the same counting as reachable the
// katakana words that the reading and q (confirm in katakana) type when
// conversion does not offer them; the words whose key has no candidate at
// all (registration would open); the mean space presses after the first
// candidate is shown, over reachable words. Then the best-fixed-order
// ceiling: the share that would come first if each key's candidates stood
// in the one order best for this text (its most frequent word first).
// Every percentage is of the converted words (of the group named). The
// look-up and what is shown and confirmed are checked against what the
// word means to type; "typing faults" counts disagreements and must be 0.
// --hepburn types shi, chi, tsu, fu, ji where the table allows both;
// --misses N lists the N most frequent words not first in the cold pass.
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <iterator>
#include <map>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include <iconv.h>
#include <mecab.h>

#include "NuvAutomaton.h"
#include "NuvControler.h"
#include "NuvDynamicDictionary.h"
#include "NuvEntry.h"
#include "NuvLexiconConverter.h"
#include "NuvStaticDictionary.h"
#include "ReadingFirstTyping.h"


namespace {

// The analysers: MeCab's dictionary, and where its features keep the
// inflection type and the reading of the word as written.
struct Analyser {
	const char*	name;
	const char*	dictionary;
	size_t		inflectionField;
	size_t		readingField;
	size_t		baseField;		// the base form as written
};
const Analyser kAnalysers[] = {
	{"ipadic", "/var/lib/mecab/dic/ipadic-utf8", 4, 7, 6},
	{"unidic", "/var/lib/mecab/dic/unidic", 4, 20, 10},
};
const char kDefaultText[] = NUV_SOURCE_DIR "/build/corpus/heldout-manual.txt";
const char kDefaultCorpus[] = NUV_SOURCE_DIR "/build/corpus";
const char kConversionMarker[] = "\xA2\xA7";	// ▼
const char kSelectionKeys[] = "asdfjkl";
const char kConfirmKey = 0x0a;					// C-j
const int kInline = 4;
const int kPage = 7;


std::string
ReadFile(const std::string& path)
{
	std::ifstream in(path, std::ios::binary);
	return std::string(std::istreambuf_iterator<char>(in),
		std::istreambuf_iterator<char>());
}


// `text` from one encoding to another; empty when a character cannot be
// converted.
std::string
Convert(const std::string& text, const char* to, const char* from)
{
	iconv_t converter = iconv_open(to, from);
	if (converter == reinterpret_cast<iconv_t>(-1))
		return std::string();
	std::string out(text.size() * 4 + 4, '\0');
	char* in = const_cast<char*>(text.data());
	size_t inLeft = text.size();
	char* outPointer = &out[0];
	size_t outLeft = out.size();
	const size_t result = iconv(converter, &in, &inLeft, &outPointer,
		&outLeft);
	iconv_close(converter);
	if (result == static_cast<size_t>(-1))
		return std::string();
	out.resize(out.size() - outLeft);
	return out;
}


// The comma-separated fields of a MeCab feature string; a field in double
// quotes may hold commas.
std::vector<std::string>
Fields(const char* feature)
{
	std::vector<std::string> fields(1);
	bool quoted = false;
	for (const char* c = feature; *c != '\0'; c++) {
		if (*c == '"')
			quoted = !quoted;
		else if (*c == ',' && !quoted)
			fields.emplace_back();
		else
			fields.back() += *c;
	}
	return fields;
}


std::string
ToEuc(const std::string& utf8)
{
	return Convert(utf8, "EUC-JP", "UTF-8");
}


std::string
ToUtf8(const std::string& euc)
{
	return Convert(euc, "UTF-8", "EUC-JP");
}


// The automata and the large dictionary, filled as the method fills them.
struct Tables {
	NuvAutomaton		kana;
	NuvAutomaton		zenei;
	NuvAutomaton		control;
	NuvStaticDictionary	dictionary;
	bool				complete;

	Tables(const std::string& settings, std::istream& dictionaryText)
		:
		complete(true)
	{
		Read(kana, settings + "/roman_kana.table");
		Read(kana, settings + "/control_key.table");
		Read(zenei, settings + "/roman_zennei.table");
		Read(zenei, settings + "/control_key.table");
		Read(control, settings + "/control_key.table");
		complete = complete && dictionaryText.good();
		dictionary.Read(dictionaryText);
	}

	void Read(NuvAutomaton& automaton, const std::string& path)
	{
		std::ifstream in(path, std::ios::binary);
		complete = complete && in.good();
		automaton.Read(in);
	}
};


// A controller that keeps what its hooks are given: the last look-up and
// the palette page shown. Look-ups merge the user dictionary and the large
// one as the front end does; the user dictionary learns only while
// `learning` is set.
class AccuracyControler : public NuvControler {
public:
	AccuracyControler(Tables& tables)
		:
		learning(false),
		shownFirst(nullptr),
		shownLast(nullptr),
		fTables(tables)
	{
		State();
	}

	virtual ~AccuracyControler()
	{
		ClearState(0);
	}

	virtual void SetMode(nuv_mode) {}
	virtual void ShowCandidates(const nuv_candidate* first,
		const nuv_candidate* last, int)
	{
		shownFirst = first;
		shownLast = last;
	}
	virtual void HideCandidates() { shownFirst = shownLast = nullptr; }
	virtual void ShowRegisters(const nuv_candidate*, const nuv_candidate*) {}
	virtual void HideRegisters() {}
	virtual void ShowPurge(const nuv_candidate&) {}
	virtual void HidePurge() {}

	virtual NuvInteractiveConverter* Converter(nuv_mode mode)
	{
		switch (mode) {
			case MODE_HIRAKANA:
			case MODE_KATAKANA:
				return &fTables.kana;
			case MODE_ZENEI:
				return &fTables.zenei;
			default:
				return &fTables.control;
		}
	}

	virtual void FindCandidates(const nuv_candidate& query,
		NuvCandidateList& out)
	{
		NuvEntry merged;
		merged.Merge(user.FindEntry(query));
		merged.Merge(fTables.dictionary.FindEntry(query));
		merged.Fill(query, out);
		lookedUp = true;
		lastQuery = query;
		found = out.Items();
	}

	virtual void InsertCandidate(const nuv_candidate& candidate)
	{
		if (learning)
			user.InsertCandidate(candidate);
	}

	virtual void RemoveCandidate(const nuv_candidate& candidate)
		{ user.RemoveCandidate(candidate); }

	// One key as the front end hands it over: again while INPUT_AGAIN.
	void Press(char key)
	{
		for (int round = 0; round < 16; round++) {
			if (Input(nuv_input(key)) != INPUT_AGAIN)
				break;
		}
	}

	NuvDynamicDictionary		user;
	bool						learning;
	bool						lookedUp = false;
	nuv_candidate				lastQuery;
	std::vector<nuv_candidate>	found;
	const nuv_candidate*		shownFirst;
	const nuv_candidate*		shownLast;

private:
	Tables&						fTables;
};


// A converted word as the benchmark needs it: the engine's texts in EUC-JP.
struct Typed {
	const ReadingFirstTyping::Word* word;
	std::string		candidate;		// EUC-JP; empty if EUC-JP lacks it
	std::string		reading;		// EUC-JP
	std::string		okurigana;		// EUC-JP
	bool			dictionaryForm;	// an inflected word in its base form
};


// Counts of one group of words.
struct Shares {
	long			words = 0;
	long			first = 0;
	long			inline_ = 0;
	long			reachable = 0;
	long			missing = 0;
	long			otherKana = 0;	// not reachable, but typed with q
};


struct Tally {
	Shares			all;
	Shares			okuri;			// typed with okurigana
	Shares			katakana;		// written in katakana only
	Shares			plain;			// dictionary forms typed without okuri
	long			steps = 0;
	long			mismatches = 0;
	// (key, intended, shown first) → count, for words not first
	std::map<std::tuple<std::string, std::string, std::string>, long> misses;
};


// Types one word through `controler`, confirms the intended candidate if
// the engine offers it, and counts the result into `tally`.
void
TypeWord(AccuracyControler& controler, const Typed& typed, Tally& tally)
{
	const ReadingFirstTyping::Word& word = *typed.word;
	if (typed.dictionaryForm && !word.okuri.empty()) {
		// 良い typed Yoi: the whole reading, no okuri, looked up as such
		nuv_candidate plain;
		plain.reading = typed.reading + typed.okurigana;
		NuvCandidateList found;
		controler.FindCandidates(plain, found);
		const std::string whole = typed.candidate + typed.okurigana;
		size_t index = 0;
		while (index < found.CountItems() && found.WordAt(index) != whole)
			index++;
		tally.plain.words++;
		tally.plain.missing += found.IsEmpty();
		if (index < found.CountItems()) {
			tally.plain.reachable++;
			tally.plain.first += index == 0;
			tally.plain.inline_ += index < kInline;
		}
	}
	controler.Clear();
	// Clear() leaves confirmed text; what a word confirms is checked alone.
	controler.Confirmed();
	controler.lookedUp = false;
	controler.found.clear();
	for (char key : word.keys)
		controler.Press(key);
	if (word.okuri.empty())
		controler.Press(' ');

	std::vector<Shares*> groups = {&tally.all};
	if (!word.okuri.empty())
		groups.push_back(&tally.okuri);
	if (word.katakana)
		groups.push_back(&tally.katakana);
	for (Shares* group : groups)
		group->words++;
	// The look-up must be the one this word means to make; anything else
	// is a fault of the typing, not a miss of the dictionary.
	if (!controler.lookedUp || controler.lastQuery.reading != typed.reading
		|| controler.lastQuery.okuri != word.okuri
		|| controler.lastQuery.okurigana != typed.okurigana) {
		tally.mismatches++;
		controler.Clear();
		return;
	}
	const std::vector<nuv_candidate> found = controler.found;
	const std::string key = word.reading + word.okuri;
	size_t index = 0;
	while (index < found.size() && found[index].candidate != typed.candidate)
		index++;
	if (found.empty() || index != 0) {
		tally.misses[std::make_tuple(key, word.candidate, found.empty()
			? std::string() : ToUtf8(found[0].candidate))]++;
	}
	if (found.empty() || index == found.size() || typed.candidate.empty()) {
		for (Shares* group : groups)
			group->missing += found.empty();
		// Past the last candidate (or at once, for a key without any)
		// registration opens, and a person writing on registers the word,
		// which the user dictionary then offers first like any confirmed
		// word. Its keying is left out: only the learning it leaves counts.
		if (!typed.candidate.empty()) {
			nuv_candidate registered = controler.lastQuery;
			registered.candidate = typed.candidate;
			controler.InsertCandidate(registered);
		}
		// A katakana word the dictionary does not offer is typed the other
		// way the method has: its reading, then q for katakana.
		controler.Clear();
		if (word.katakana && word.okuri.empty()) {
			for (char key : word.keys)
				controler.Press(key);
			controler.Press('q');
			if (controler.Confirmed() == typed.candidate) {
				for (Shares* group : groups)
					group->otherKana++;
			}
			controler.Clear();
		}
		return;
	}

	// Step to it as a person would, and confirm it.
	const int spaces = index < kInline ? index
		: kInline + (index - kInline) / kPage;
	for (int i = 0; i < spaces; i++)
		controler.Press(' ');
	bool shown;
	if (index < kInline) {
		shown = controler.Pending()
			== kConversionMarker + typed.candidate + typed.okurigana;
		controler.Press(kConfirmKey);
	} else {
		controler.Pending();
		const size_t onPage = (index - kInline) % kPage;
		shown = controler.shownFirst != nullptr
			&& controler.shownFirst + onPage < controler.shownLast
			&& controler.shownFirst[onPage].candidate == typed.candidate;
		controler.Press(kSelectionKeys[onPage]);
	}
	const std::string confirmed = controler.Confirmed();
	if (!shown || confirmed != typed.candidate + typed.okurigana) {
		tally.mismatches++;
		controler.Clear();
		return;
	}
	for (Shares* group : groups) {
		group->reachable++;
		group->first += index == 0;
		group->inline_ += index < kInline;
	}
	tally.steps += spaces;
}


double
Percent(long part, long whole)
{
	return whole == 0 ? 0.0 : 100.0 * part / whole;
}


void
Usage()
{
	std::cerr << "usage: nuv_bench_accuracy [TEXT] [--dictionary FILE] "
		"[--settings DIR] [--analyser ipadic|unidic] [--hepburn] "
		"[--misses N]\n       nuv_bench_accuracy --kinds [DIR] "
		"[--counts DIR] [--set prior=N,power=P,okuri=S,common=C] "
		"[--analyser ...] "
		"[--misses N]\n";
	std::exit(2);
}


// The words of a text, read by MeCab and split as the typist types them.
struct Text {
	std::vector<ReadingFirstTyping::Word>	words;
	std::vector<bool>						dictionaryForm;	// by word
	long									lines = 0;
};


bool
Analyse(const std::string& path, const Analyser& analyser,
	const ReadingFirstTyping& typing, Text& text)
{
	std::ifstream in(path, std::ios::binary);
	if (!in)
		return false;
	const std::string arguments = std::string("-d ") + analyser.dictionary;
	mecab_t* mecab = mecab_new2(arguments.c_str());
	if (mecab == nullptr) {
		std::cerr << "nuv_bench_accuracy: cannot start MeCab with "
			<< analyser.dictionary << ": " << mecab_strerror(nullptr)
			<< "\n";
		std::exit(1);
	}
	std::string line;
	while (std::getline(in, line)) {
		text.lines++;
		std::vector<ReadingFirstTyping::Token> tokens;
		std::vector<bool> base;
		for (const mecab_node_t* node = mecab_sparse_tonode(mecab,
				line.c_str()); node != nullptr; node = node->next) {
			if (node->stat == MECAB_BOS_NODE || node->stat == MECAB_EOS_NODE)
				continue;
			ReadingFirstTyping::Token token;
			token.surface.assign(node->surface, node->length);
			const std::vector<std::string> fields = Fields(node->feature);
			const size_t inflection = analyser.inflectionField;
			const size_t reading = analyser.readingField;
			token.inflected = fields.size() > inflection
				&& !fields[inflection].empty() && fields[inflection] != "*";
			if (fields.size() > reading && fields[reading] != "*")
				token.reading = fields[reading];
			base.push_back(token.inflected
				&& fields.size() > analyser.baseField
				&& fields[analyser.baseField] == token.surface);
			tokens.push_back(token);
		}
		std::vector<ReadingFirstTyping::Word> split = typing.Split(tokens);
		text.words.insert(text.words.end(), split.begin(), split.end());
		if (split.size() == base.size()) {
			text.dictionaryForm.insert(text.dictionaryForm.end(),
				base.begin(), base.end());
		} else
			text.dictionaryForm.resize(text.words.size(), false);
	}
	mecab_destroy(mecab);
	return true;
}


// The converted words of a text, with the texts the engine uses.
struct Prepared {
	std::vector<Typed>		typed;
	long					direct = 0;
	long					unreadable = 0;
	double					ceiling = 0;		// best fixed order, first
	size_t					keys = 0;
};


Prepared
Prepare(const Text& text)
{
	Prepared prepared;
	// key → intended word → count, for the ceiling
	std::map<std::string, std::map<std::string, long>> uses;
	for (size_t i = 0; i < text.words.size(); i++) {
		const ReadingFirstTyping::Word& word = text.words[i];
		if (word.kind == ReadingFirstTyping::kDirect) {
			prepared.direct++;
			continue;
		}
		if (word.kind == ReadingFirstTyping::kUnreadable) {
			prepared.unreadable++;
			continue;
		}
		prepared.typed.push_back(Typed{&word, ToEuc(word.candidate),
			ToEuc(word.reading), ToEuc(word.okurigana),
			text.dictionaryForm[i]});
		uses[word.reading + word.okuri][word.candidate]++;
	}
	long ceiling = 0;
	for (const auto& key : uses) {
		long most = 0;
		for (const auto& use : key.second)
			most = std::max(most, use.second);
		ceiling += most;
	}
	prepared.ceiling = Percent(ceiling, prepared.typed.size());
	prepared.keys = uses.size();
	return prepared;
}


// Types the words twice, cold and learning.
void
TypeAll(Tables& tables, const Prepared& prepared, Tally (&tallies)[2])
{
	for (int pass = 0; pass < 2; pass++) {
		AccuracyControler controler(tables);
		controler.learning = pass == 1;
		for (const Typed& word : prepared.typed)
			TypeWord(controler, word, tallies[pass]);
	}
}


void
PrintMisses(const Tally& cold, long shown)
{
	std::vector<std::pair<long, std::tuple<std::string, std::string,
		std::string>>> misses;
	for (const auto& miss : cold.misses)
		misses.emplace_back(miss.second, miss.first);
	std::sort(misses.begin(), misses.end(), [](const auto& a,
			const auto& b) {
		return a.first != b.first ? a.first > b.first : a.second < b.second;
	});
	std::printf("\nmost frequent words not first (cold): count, key, "
		"intended, first offered\n");
	for (long i = 0; i < shown && i < long(misses.size()); i++) {
		std::printf("%6ld  %s  %s  %s\n", misses[i].first,
			std::get<0>(misses[i].second).c_str(),
			std::get<1>(misses[i].second).c_str(),
			std::get<2>(misses[i].second).empty() ? "(none)"
				: std::get<2>(misses[i].second).c_str());
	}
}


const char* const kKinds[] = {"manual", "interface", "help", "narrative"};


// The ranking's weights for a trial: "prior=N,power=P,okuri=S,common=C".
struct Weights {
	double		prior = NuvLexiconConverter::kPriorCount;
	double		power = NuvUsageCounts::kDefaultKindPower;
	double		okuri = NuvLexiconConverter::kOkuriShare;
	double		common = NuvLexiconConverter::kCommonCredit;
};


bool
ParseWeights(const std::string& text, Weights& weights)
{
	size_t start = 0;
	while (start < text.size()) {
		size_t comma = text.find(',', start);
		const std::string item = text.substr(start, comma - start);
		size_t equals = item.find('=');
		if (equals == std::string::npos)
			return false;
		const std::string name = item.substr(0, equals);
		const double value = std::atof(item.c_str() + equals + 1);
		if (name == "prior")
			weights.prior = value;
		else if (name == "power" && value > 0)
			weights.power = value;
		else if (name == "okuri")
			weights.okuri = value;
		else if (name == "common")
			weights.common = value;
		else
			return false;
		start = comma == std::string::npos ? text.size() : comma + 1;
	}
	return true;
}


// The large dictionary as nuv-mkdict makes it from the committed sources,
// with the count tables of `leftOut` not read.
std::string
Generate(const std::string& countsDir, const char* leftOut,
	const Weights& weights)
{
	std::vector<NuvLexiconConverter::counts_file> counts;
	for (const char* kind : kKinds) {
		if (leftOut != nullptr && std::string(kind) == leftOut)
			continue;
		for (const char* analyser : {"ipadic", "unidic"}) {
			counts.push_back({kind, countsDir + "/" + kind + "." + analyser
				+ ".tsv"});
		}
	}
	NuvLexiconConverter converter;
	converter.SetPriorCount(weights.prior);
	converter.SetKindPower(weights.power);
	converter.SetOkuriShare(weights.okuri);
	converter.SetCommonCredit(std::lround(weights.common));
	std::string missing;
	if (!converter.AddSources(NUV_LEXICON_DIR, counts, NUV_EDICT_FILE,
			NUV_SOURCE_DIR "/tools/data/abbreviations.tsv", missing)) {
		std::cerr << "nuv_bench_accuracy: cannot read " << missing << "\n";
		std::exit(1);
	}
	std::ostringstream out;
	converter.Write(out);
	return out.str();
}


// Per kind of text: the held-out text typed over the dictionary of every
// kind's counts (in kind) and over the one without that kind's (left out).
int
CompareKinds(const std::string& corpus, const std::string& countsDir,
	const std::string& settings, const Analyser& analyser,
	const ReadingFirstTyping& typing, const Weights& weights, long missesShown)
{
	const auto start = std::chrono::steady_clock::now();
	std::printf("held-out text of %s, read by MeCab with %s; counts of "
		"%s\nweights: prior=%g,power=%g,okuri=%g,common=%g\n\n",
		corpus.c_str(), analyser.name, countsDir.c_str(), weights.prior,
		weights.power, weights.okuri, weights.common);
	std::istringstream all(Generate(countsDir, nullptr, weights));
	Tables inKind(settings, all);
	std::printf("%-10s %7s | %-22s | %-30s | %s\n", "", "",
		"in kind (held out)", "kind left out", "dictionary forms");
	std::printf("%-10s %7s | %6s %7s %7s | %6s %7s %7s %7s | %6s %6s\n",
		"kind", "words", "first", "learn", "reach", "first", "learn", "reach",
		"or by q", "first", "four");
	Tally total[2][2];
	for (const char* kind : kKinds) {
		Text text;
		if (!Analyse(corpus + "/heldout-" + kind + ".txt", analyser, typing,
				text)) {
			std::cerr << "nuv_bench_accuracy: no " << corpus << "/heldout-"
				<< kind << ".txt (run tools/corpus/extract first)\n";
			return 1;
		}
		const Prepared prepared = Prepare(text);
		Tally in[2], out[2];
		TypeAll(inKind, prepared, in);
		std::istringstream without(Generate(countsDir, kind, weights));
		Tables leftOut(settings, without);
		TypeAll(leftOut, prepared, out);
		std::printf("%-10s %7zu | %5.1f%% %6.1f%% %6.1f%% | %5.1f%% %6.1f%% "
			"%6.1f%% %6.1f%% | %5.1f%% %5.1f%%\n", kind,
			prepared.typed.size(),
			Percent(in[0].all.first, in[0].all.words),
			Percent(in[1].all.first, in[1].all.words),
			Percent(in[0].all.reachable, in[0].all.words),
			Percent(out[0].all.first, out[0].all.words),
			Percent(out[1].all.first, out[1].all.words),
			Percent(out[0].all.reachable, out[0].all.words),
			Percent(out[0].all.reachable + out[0].all.otherKana,
				out[0].all.words),
			Percent(out[0].plain.first, out[0].plain.words),
			Percent(out[0].plain.inline_, out[0].plain.words));
		for (int pass = 0; pass < 2; pass++) {
			for (auto [sum, part] : {std::make_pair(&total[0][pass], &in[pass]),
					std::make_pair(&total[1][pass], &out[pass])}) {
				sum->all.words += part->all.words;
				sum->all.first += part->all.first;
				sum->all.reachable += part->all.reachable;
				sum->all.otherKana += part->all.otherKana;
				sum->mismatches += part->mismatches;
			}
		}
		if (missesShown > 0) {
			std::printf("  left out, ");
			PrintMisses(out[0], missesShown);
			std::printf("\n");
		}
	}
	std::printf("%-10s %7ld | %5.1f%% %6.1f%% %6.1f%% | %5.1f%% %6.1f%% "
		"%6.1f%% %6.1f%% |\n", "all", total[0][0].all.words,
		Percent(total[0][0].all.first, total[0][0].all.words),
		Percent(total[0][1].all.first, total[0][1].all.words),
		Percent(total[0][0].all.reachable, total[0][0].all.words),
		Percent(total[1][0].all.first, total[1][0].all.words),
		Percent(total[1][1].all.first, total[1][1].all.words),
		Percent(total[1][0].all.reachable, total[1][0].all.words),
		Percent(total[1][0].all.reachable + total[1][0].all.otherKana,
			total[1][0].all.words));
	std::printf("typing faults (should be 0): %ld\ntime: %.1f s\n",
		total[0][0].mismatches + total[0][1].mismatches
			+ total[1][0].mismatches + total[1][1].mismatches,
		std::chrono::duration<double>(std::chrono::steady_clock::now()
			- start).count());
	return 0;
}

}	// namespace


int
main(int argc, char** argv)
{
	std::string textPath;
	std::string settings = NUV_SETTINGS_SOURCE_DIR;
	std::string dictionaryPath;
	std::string corpus;
	std::string countsDir = NUV_SOURCE_DIR "/tools/data/counts";
	bool hepburn = false;
	bool kinds = false;
	long missesShown = 0;
	Weights weights;
	const Analyser* analyser = &kAnalysers[0];
	for (int i = 1; i < argc; i++) {
		const std::string argument = argv[i];
		if (argument == "--dictionary" && i + 1 < argc)
			dictionaryPath = argv[++i];
		else if (argument == "--settings" && i + 1 < argc)
			settings = argv[++i];
		else if (argument == "--misses" && i + 1 < argc)
			missesShown = std::atol(argv[++i]);
		else if (argument == "--counts" && i + 1 < argc)
			countsDir = argv[++i];
		else if (argument == "--set" && i + 1 < argc) {
			if (!ParseWeights(argv[++i], weights))
				Usage();
		} else if (argument == "--kinds")
			kinds = true;
		else if (argument == "--analyser" && i + 1 < argc) {
			const std::string name = argv[++i];
			analyser = nullptr;
			for (const Analyser& known : kAnalysers) {
				if (name == known.name)
					analyser = &known;
			}
			if (analyser == nullptr)
				Usage();
		} else if (argument == "--hepburn")
			hepburn = true;
		else if (argument.empty() || argument[0] == '-')
			Usage();
		else
			textPath = argument;
	}
	const ReadingFirstTyping typing(
		ToUtf8(ReadFile(settings + "/roman_kana.table")), hepburn);
	if (kinds) {
		return CompareKinds(textPath.empty() ? kDefaultCorpus : textPath,
			countsDir, settings, *analyser, typing, weights, missesShown);
	}
	if (textPath.empty())
		textPath = kDefaultText;
	if (dictionaryPath.empty())
		dictionaryPath = settings + "/NUV-JISYO.L";

	const auto start = std::chrono::steady_clock::now();
	std::ifstream dictionaryText(dictionaryPath, std::ios::binary);
	Tables tables(settings, dictionaryText);
	if (!tables.complete) {
		std::cerr << "nuv_bench_accuracy: cannot read the tables of "
			<< settings << " or " << dictionaryPath << "\n";
		return 1;
	}
	// Analyse the whole text first: both passes type the same words.
	Text text;
	if (!Analyse(textPath, *analyser, typing, text)) {
		std::cerr << "nuv_bench_accuracy: cannot read " << textPath
			<< " (run tools/corpus/extract first)\n";
		return 1;
	}
	const Prepared prepared = Prepare(text);
	Tally tallies[2];
	TypeAll(tables, prepared, tallies);
	const double seconds = std::chrono::duration<double>(
		std::chrono::steady_clock::now() - start).count();

	const Tally& cold = tallies[0];
	const Tally& learned = tallies[1];
	std::printf("text:        %s (%ld lines)\n", textPath.c_str(), text.lines);
	std::printf("dictionary:  %s\n", dictionaryPath.c_str());
	std::printf("analyser:    MeCab, %s\n", analyser->dictionary);
	std::printf("romaji:      %s\n", hepburn ? "Hepburn" : "Kunrei");
	std::printf("words:       %zu typed and converted (%ld with okurigana, "
		"%ld in katakana),\n             %ld typed directly (hiragana, "
		"Latin, signs), %ld needing conversion\n             but unread by "
		"MeCab or not typable (left out)\n", prepared.typed.size(),
		cold.okuri.words, cold.katakana.words, prepared.direct,
		prepared.unreadable);
	std::printf("\n%-34s %8s %8s\n", "", "cold", "learning");
	auto row = [](const char* name, long coldPart, long coldWhole,
			long learnedPart, long learnedWhole) {
		std::printf("%-34s %7.1f%% %7.1f%%\n", name,
			Percent(coldPart, coldWhole), Percent(learnedPart, learnedWhole));
	};
	const struct {
		const char*		prefix;
		Shares Tally::*	group;
	} groups[] = {
		{"", &Tally::all},
		{"okurigana words: ", &Tally::okuri},
		{"katakana words: ", &Tally::katakana},
	};
	for (const auto& group : groups) {
		const Shares& c = cold.*group.group;
		const Shares& l = learned.*group.group;
		const std::string prefix = group.prefix;
		row((prefix + "first").c_str(), c.first, c.words, l.first, l.words);
		if (prefix.empty()) {
			row("among the first four (inline)", c.inline_, c.words,
				l.inline_, l.words);
		}
		row((prefix + "reachable").c_str(), c.reachable, c.words,
			l.reachable, l.words);
		if (group.group != &Tally::okuri) {
			row((prefix + "reachable or by q").c_str(),
				c.reachable + c.otherKana, c.words,
				l.reachable + l.otherKana, l.words);
		}
		row((prefix + (prefix.empty() ? "key missing (registration)"
				: "key missing")).c_str(),
			c.missing, c.words, l.missing, l.words);
		if (prefix.empty()) {
			std::printf("%-34s %8.2f %8.2f\n",
				"mean space presses (reachable)",
				c.reachable ? double(cold.steps) / c.reachable : 0.0,
				l.reachable ? double(learned.steps) / l.reachable : 0.0);
		}
	}
	row("dictionary forms, no okuri: first", cold.plain.first,
		cold.plain.words, learned.plain.first, learned.plain.words);
	row("dictionary forms, no okuri: four", cold.plain.inline_,
		cold.plain.words, learned.plain.inline_, learned.plain.words);
	std::printf("%-34s %8ld %8ld\n", "typing faults (should be 0)",
		cold.mismatches, learned.mismatches);
	std::printf("\nbest fixed order, first: %.1f%% (%zu keys)\n",
		prepared.ceiling, prepared.keys);
	std::printf("time: %.1f s\n", seconds);
	if (missesShown > 0)
		PrintMisses(cold, missesShown);
	return 0;
}
