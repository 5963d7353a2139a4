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
// dictionary learns every confirmed word.
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
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <iterator>
#include <map>
#include <string>
#include <tuple>
#include <vector>

#include <iconv.h>
#include <mecab.h>

#include "NuvAutomaton.h"
#include "NuvControler.h"
#include "NuvDynamicDictionary.h"
#include "NuvEntry.h"
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
};
const Analyser kAnalysers[] = {
	{"ipadic", "/var/lib/mecab/dic/ipadic-utf8", 4, 7},
	{"unidic", "/var/lib/mecab/dic/unidic", 4, 20},
};
const char kDefaultText[] = NUV_SOURCE_DIR "/build/corpus/heldout.txt";
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

	Tables(const std::string& settings, const std::string& dictionaryPath)
		:
		complete(true)
	{
		Read(kana, settings + "/roman_kana.table");
		Read(kana, settings + "/control_key.table");
		Read(zenei, settings + "/roman_zennei.table");
		Read(zenei, settings + "/control_key.table");
		Read(control, settings + "/control_key.table");
		std::ifstream in(dictionaryPath, std::ios::binary);
		complete = complete && in.good();
		dictionary.Read(in);
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
		"[--misses N]\n";
	std::exit(2);
}

}	// namespace


int
main(int argc, char** argv)
{
	std::string textPath = kDefaultText;
	std::string settings = NUV_SETTINGS_SOURCE_DIR;
	std::string dictionaryPath;
	bool hepburn = false;
	long missesShown = 0;
	const Analyser* analyser = &kAnalysers[0];
	for (int i = 1; i < argc; i++) {
		const std::string argument = argv[i];
		if (argument == "--dictionary" && i + 1 < argc)
			dictionaryPath = argv[++i];
		else if (argument == "--settings" && i + 1 < argc)
			settings = argv[++i];
		else if (argument == "--misses" && i + 1 < argc)
			missesShown = std::atol(argv[++i]);
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
	if (dictionaryPath.empty())
		dictionaryPath = settings + "/NUV-JISYO.L";

	const auto start = std::chrono::steady_clock::now();
	std::ifstream text(textPath, std::ios::binary);
	if (!text) {
		std::cerr << "nuv_bench_accuracy: cannot read " << textPath
			<< " (run tools/corpus/extract first)\n";
		return 1;
	}
	Tables tables(settings, dictionaryPath);
	if (!tables.complete) {
		std::cerr << "nuv_bench_accuracy: cannot read the tables of "
			<< settings << " or " << dictionaryPath << "\n";
		return 1;
	}
	const std::string arguments = std::string("-d ") + analyser->dictionary;
	mecab_t* mecab = mecab_new2(arguments.c_str());
	if (mecab == nullptr) {
		std::cerr << "nuv_bench_accuracy: cannot start MeCab with "
			<< analyser->dictionary << ": " << mecab_strerror(nullptr)
			<< "\n";
		return 1;
	}
	const ReadingFirstTyping typing(
		ToUtf8(ReadFile(settings + "/roman_kana.table")), hepburn);

	// Analyse the whole text first: both passes type the same words.
	std::vector<ReadingFirstTyping::Word> words;
	long lines = 0;
	std::string line;
	while (std::getline(text, line)) {
		lines++;
		std::vector<ReadingFirstTyping::Token> tokens;
		for (const mecab_node_t* node = mecab_sparse_tonode(mecab,
				line.c_str()); node != nullptr; node = node->next) {
			if (node->stat == MECAB_BOS_NODE || node->stat == MECAB_EOS_NODE)
				continue;
			ReadingFirstTyping::Token token;
			token.surface.assign(node->surface, node->length);
			const std::vector<std::string> fields = Fields(node->feature);
			const size_t inflection = analyser->inflectionField;
			const size_t reading = analyser->readingField;
			token.inflected = fields.size() > inflection
				&& !fields[inflection].empty() && fields[inflection] != "*";
			if (fields.size() > reading && fields[reading] != "*")
				token.reading = fields[reading];
			tokens.push_back(token);
		}
		std::vector<ReadingFirstTyping::Word> split = typing.Split(tokens);
		words.insert(words.end(), split.begin(), split.end());
	}
	mecab_destroy(mecab);

	std::vector<Typed> typed;
	long direct = 0;
	long unreadable = 0;
	// key → intended word → count, for the ceiling
	std::map<std::string, std::map<std::string, long>> uses;
	for (const ReadingFirstTyping::Word& word : words) {
		if (word.kind == ReadingFirstTyping::kDirect) {
			direct++;
			continue;
		}
		if (word.kind == ReadingFirstTyping::kUnreadable) {
			unreadable++;
			continue;
		}
		typed.push_back(Typed{&word, ToEuc(word.candidate),
			ToEuc(word.reading), ToEuc(word.okurigana)});
		uses[word.reading + word.okuri][word.candidate]++;
	}
	long ceiling = 0;
	for (const auto& key : uses) {
		long most = 0;
		for (const auto& use : key.second)
			most = std::max(most, use.second);
		ceiling += most;
	}

	Tally tallies[2];
	for (int pass = 0; pass < 2; pass++) {
		AccuracyControler controler(tables);
		controler.learning = pass == 1;
		for (const Typed& word : typed)
			TypeWord(controler, word, tallies[pass]);
	}
	const double seconds = std::chrono::duration<double>(
		std::chrono::steady_clock::now() - start).count();

	const Tally& cold = tallies[0];
	const Tally& learned = tallies[1];
	std::printf("text:        %s (%ld lines)\n", textPath.c_str(), lines);
	std::printf("dictionary:  %s\n", dictionaryPath.c_str());
	std::printf("analyser:    MeCab, %s\n", analyser->dictionary);
	std::printf("romaji:      %s\n", hepburn ? "Hepburn" : "Kunrei");
	std::printf("words:       %zu typed and converted (%ld with okurigana, "
		"%ld in katakana),\n             %ld typed directly (hiragana, "
		"Latin, signs), %ld needing conversion\n             but unread by "
		"MeCab or not typable (left out)\n", typed.size(),
		cold.okuri.words, cold.katakana.words, direct, unreadable);
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
	std::printf("%-34s %8ld %8ld\n", "typing faults (should be 0)",
		cold.mismatches, learned.mismatches);
	std::printf("\nbest fixed order, first: %.1f%% (%zu keys)\n",
		Percent(ceiling, static_cast<long>(typed.size())), uses.size());
	std::printf("time: %.1f s\n", seconds);

	if (missesShown > 0) {
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
		for (long i = 0; i < missesShown && i < long(misses.size()); i++) {
			std::printf("%6ld  %s  %s  %s\n", misses[i].first,
				std::get<0>(misses[i].second).c_str(),
				std::get<1>(misses[i].second).c_str(),
				std::get<2>(misses[i].second).empty() ? "(none)"
					: std::get<2>(misses[i].second).c_str());
		}
	}
	return 0;
}
