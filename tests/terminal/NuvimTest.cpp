// The nuvim program, run as a user runs it: key scripts in, the document or
// the transcript out, the user dictionary left in the settings directory.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "NuvimProcess.h"
#include "Scratch.h"


namespace fs = std::filesystem;

using nlohmann::json;
using testing::ElementsAre;
using testing::HasSubstr;
using testing::MatchesRegex;


namespace {

std::vector<json>
Transcript(NuvimProcess& run)
{
	std::vector<json> records;
	std::istringstream lines(run.Out());
	std::string line;
	while (std::getline(lines, line))
		records.push_back(json::parse(line));
	return records;
}


// One short word per transcript record, enough to compare sequences.
std::string
Summary(const json& record)
{
	for (const char* kind : {"key", "text"}) {
		if (record.contains(kind))
			return kind + (" " + record[kind].get<std::string>());
	}
	if (record.value("im", "") == "changed") {
		return "changed " + record["string"].get<std::string>()
			+ (record["confirmed"].get<bool>() ? " confirmed" : "");
	}
	if (record.contains("im"))
		return record["im"];
	if (record.contains("location_reply"))
		return "reply " + std::to_string(
			record["location_reply"]["points"].size());
	if (record.contains("passed"))
		return "passed " + std::to_string(record["passed"]["key"].get<int>());
	if (record.contains("menu") && record["menu"].is_null())
		return "menu null";
	for (const char* kind : {"screen", "menu", "launch", "unloaded"}) {
		if (record.contains(kind))
			return kind;
	}
	return record.dump();
}


std::vector<std::string>
Summaries(NuvimProcess& run)
{
	std::vector<std::string> summaries;
	for (const json& record : Transcript(run))
		summaries.push_back(Summary(record));
	return summaries;
}


}	// namespace


// K a n j i, space, Enter over the default settings: the reading grows
// under "▽", space converts to "▼" and the first candidate, Enter confirms
// it, and the Enter itself then reaches the application. The mode palette
// stands in the corner of the screen size given.
TEST(Nuvim, TypicalConversionTranscript)
{
	ScratchDirectory scratch;
	const std::string settings = scratch.Settings("settings", kDefaultSettings);
	NuvimProcess run({"--settings", settings, "--screen",
		"1280x1024", "--json", "--keys", "Kanji <enter>"});
	ASSERT_EQ(0, run.Wait()) << run.Err();
	EXPECT_EQ("", run.Err());

	// The word is whichever the bundled dictionary offers first.
	const std::vector<json> records = Transcript(run);
	ASSERT_GT(records.size(), 31u);
	const std::string word = records[31].value("string", "▼?").substr(3);
	const size_t characters = std::count_if(word.begin(), word.end(),
		[](char c) { return (c & 0xC0) != 0x80; });

	EXPECT_THAT(Summaries(run), ElementsAre(
		"menu",
		"key K", "started", "changed ▽", "location_request", "reply 1",
			"changed ▽k", "location_request", "reply 2", "screen",
		"key a", "changed ▽か", "location_request", "reply 2", "screen",
		"key n", "changed ▽かn", "location_request", "reply 3", "screen",
		"key j", "changed ▽かんj", "location_request", "reply 4", "screen",
		"key i", "changed ▽かんじ", "location_request", "reply 4", "screen",
		"key  ", "changed ▼" + word, "location_request",
			"reply " + std::to_string(characters + 1), "screen",
		"key <enter>", "changed " + word + " confirmed", "stopped",
			"passed 71", "screen",
		"text " + word + "\n",
		"unloaded"));

	EXPECT_EQ(json::parse("{\"im\":\"changed\",\"string\":\"▽k\","
		"\"confirmed\":false,\"clause_start\":0,\"clause_end\":4,"
		"\"selection\":[4,4]}"), records[6]);
	EXPECT_EQ(json::parse("{\"location_reply\":{\"points\":[[20,20],[34,20]],"
		"\"heights\":[15,15]}}"), records[8]);
	const json& screen = records[records.size() - 3]["screen"]["windows"];
	ASSERT_EQ(4u, screen.size());
	EXPECT_EQ("NUV Mode Palette", screen[0]["title"]);
	EXPECT_TRUE(screen[0]["visible"].get<bool>());
	EXPECT_EQ(json::array({"かな"}), screen[0]["lines"]);
	EXPECT_EQ(1259, screen[0]["frame"][2]);
	EXPECT_EQ(1003, screen[0]["frame"][3]);
	EXPECT_EQ("NUV Candidates Palette", screen[1]["title"]);
	EXPECT_EQ("NUV Registration Palette", screen[2]["title"]);
	EXPECT_EQ("NUV Purge Palette", screen[3]["title"]);
	EXPECT_EQ(json::parse("{\"passed\":{\"bytes\":\"\\n\",\"key\":71,"
		"\"modifiers\":0}}"), records[records.size() - 4]);
}


// Bad command lines and scripts: exit status 2, one line naming the token
// and where it is, nothing on standard output and nothing loaded (the
// empty settings directory would receive a .nuv-jisyo).
//
// Fault: TERM=dumb and a C locale were ignored, and cursor addressing and
// UTF-8 boxes were sent anyway. The session is now refused there; the batch
// mode, which draws nothing, still works.
TEST(Nuvim, BadCommandLinesAreRefusedWithOneLineBeforeLoading)
{
	ScratchDirectory scratch;
	const std::string settings = scratch.Settings("empty", "");
	const std::string badScript = scratch.Path() + "/bad.keys";
	std::ofstream(badScript) << "Ka\n<C-1>\n";

	struct Case {
		std::vector<std::string>	arguments;
		std::vector<std::string>	message;
		// env(1) arguments of a run on a terminal; none: no terminal.
		std::vector<std::string>	terminal = {};
	};
	const Case cases[] = {
		{{"--keys", "Kanji <entr>"}, {"<entr>", "position 7"}},
		{{"--script", badScript}, {"<C-1>", "line 2, column 1"}},
		{{"--script", scratch.Path() + "/none.keys"}, {"none.keys"}},
		// A directory given as the script used to end nuvim with an
		// uncaught stream exception instead of a usage error.
		{{"--script", scratch.Path()}, {"cannot read the key script"}},
		{{"--bogus", "--keys", "a"}, {"--bogus", "argument 3"}},
		{{"--keys", "a", "extra"}, {"extra", "argument 5"}},
		{{"--screen", "wide", "--keys", "a"}, {"--screen wide",
			"argument 3"}},
		{{"--screen", "0x768", "--keys", "a"}, {"0x768"}},
		{{"--keys", "a", "--script", badScript}, {"--keys", "--script"}},
		{{"--keys"}, {"--keys"}},
		{{"--json"}, {"--json"}},
		{{}, {"needs a terminal"}},
		{{}, {}, {"TERM=dumb"}},
		{{}, {}, {"-u", "TERM"}},
		{{}, {}, {"TERM=no-such-terminal"}},
		{{}, {}, {"LANG=C", "LC_ALL=C"}},
	};
	for (const Case& test : cases) {
		std::vector<std::string> arguments = {"--settings", settings};
		arguments.insert(arguments.end(), test.arguments.begin(),
			test.arguments.end());
		NuvimProcess run(arguments, NuvimOptions(test.terminal,
			!test.terminal.empty()));
		SCOPED_TRACE(testing::PrintToString(test.arguments)
			+ testing::PrintToString(test.terminal));
		EXPECT_EQ(2, run.Wait());
		EXPECT_EQ("", run.Out());
		EXPECT_THAT(run.Err(), MatchesRegex("nuvim: [^\n]*\n"));
		for (const std::string& part : test.message)
			EXPECT_THAT(run.Err(), HasSubstr(part));
	}

	NuvimProcess missing({"--settings", scratch.Path() + "/missing",
		"--keys", "a"});
	EXPECT_EQ(2, missing.Wait());
	EXPECT_THAT(missing.Err(), HasSubstr("missing"));
	EXPECT_FALSE(fs::exists(settings + "/.nuv-jisyo"));

	// With no settings at all the method still starts; keys it cannot
	// convert reach the document as typed, four-byte characters included.
	NuvimProcess run({"--settings", settings, "--keys", "ab😀<bs>c<enter>"},
		NuvimOptions({"TERM=dumb", "LANG=C", "LC_ALL=C"}));
	ASSERT_EQ(0, run.Wait()) << run.Err();
	EXPECT_EQ("abc\n\n", run.Out());
}


// A script read from standard input, its line breaks (one inside Kanji)
// ignored, and what each action makes the method send, from one {"key"}
// record to the next. Fault: a TMPDIR naming a missing directory made nuvim
// refuse to start with the status of a bad command line.
TEST(Nuvim, ScriptsFromStandardInputAndActionsReachTheMethod)
{
	ScratchDirectory scratch;
	NuvimOptions options({"TMPDIR=" + scratch.File("missing")});
	options.input = ReadFile(NUV_TEST_DATA_DIR "/host/kanji.keys")
		+ "Ka<deactivate><activate>Ka<stop>";
	NuvimProcess run({"--settings", scratch.Settings("settings",
		kTestSettings), "--json", "--script", "-"}, options);
	ASSERT_EQ(0, run.Wait()) << run.Err();
	EXPECT_EQ("", run.Err());

	std::map<std::string, std::vector<std::string>> after;
	std::string key;
	for (const std::string& summary : Summaries(run)) {
		if (summary.rfind("key ", 0) == 0)
			key = summary.substr(4);
		else if (summary != "screen")
			after[key].push_back(summary);
	}
	EXPECT_THAT(after["<deactivate>"], ElementsAre("menu null",
		"changed  confirmed", "stopped"));
	EXPECT_THAT(after["<activate>"], ElementsAre("menu"));
	EXPECT_THAT(after["<stop>"], ElementsAre("changed  confirmed", "stopped",
		"text 漢字を\n感じ\n", "unloaded"));
}


// A run that ended with text composed printed none of it. The composition
// now goes into the document as shown, without the method's markers; a *
// or a | that the user typed stays.
TEST(Nuvim, ComposedTextGoesIntoTheDocumentWithoutItsMarkers)
{
	ScratchDirectory scratch;
	const std::string settings = scratch.Settings("settings", kDefaultSettings);
	const std::pair<std::string, std::string> cases[] = {
		{"Zuzuzu niHon", "にほn"},			// ★に▽ほn|
		{"Zuzuzu niHon ", "に本"},		// ★に▼本|
		{"Zuzuzu ab<left>", "あ"},			// ★|あ
		{"/a*b|c", "a*b|c"},				// ▽a*b|c, an abbreviation
	};
	for (const auto& [keys, document] : cases) {
		NuvimProcess run({"--settings", settings, "--keys", keys});
		EXPECT_EQ(0, run.Wait()) << keys << run.Err();
		EXPECT_EQ(document + "\n", run.Out()) << keys;
	}
}
