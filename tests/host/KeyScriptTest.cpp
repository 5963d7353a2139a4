#include "KeyScript.h"

#include <gtest/gtest.h>

#include <iterator>
#include <string>
#include <vector>


namespace {

std::vector<KeyStep>
ParseOk(const std::string& script)
{
	std::vector<KeyStep> steps;
	KeyScriptError error;
	EXPECT_TRUE(KeyScript::Parse(script, steps, error))
		<< error.Describe(false);
	return steps;
}


KeyScriptError
ParseError(const std::string& script)
{
	std::vector<KeyStep> steps;
	KeyScriptError error;
	EXPECT_FALSE(KeyScript::Parse(script, steps, error));
	EXPECT_TRUE(steps.empty());
	return error;
}


void
ExpectKey(const KeyStep& step, const std::string& bytes, int32_t key,
	int32_t modifiers)
{
	EXPECT_EQ(KeyStep::KEY, step.kind) << step.token;
	EXPECT_EQ(bytes, step.bytes) << step.token;
	EXPECT_EQ(key, step.key) << step.token;
	EXPECT_EQ(modifiers, step.modifiers) << step.token;
}

}	// namespace


// A model of the US keyboard: each row of unshifted characters, its shifted
// twin, and the key code of the row's first key.
TEST(KeyScript, PrintableAsciiFollowsTheUsKeyboard)
{
	struct Row {
		const char* plain;
		const char* shifted;
		int32_t firstKey;
	};
	const Row rows[] = {
		{"`1234567890-=", "~!@#$%^&*()_+", 0x11},
		{"qwertyuiop[]\\", "QWERTYUIOP{}|", 0x27},
		{"asdfghjkl;'", "ASDFGHJKL:\"", 0x3C},
		{"zxcvbnm,./", "ZXCVBNM<>?", 0x4C},
	};

	int checked = 0;
	for (const Row& row : rows) {
		for (size_t i = 0; row.plain[i] != '\0'; i++) {
			const std::string plain(1, row.plain[i]);
			const std::string shifted(1, row.shifted[i]);
			const int32_t key = row.firstKey + static_cast<int32_t>(i);
			if (plain != "<") {
				std::vector<KeyStep> steps = ParseOk(plain);
				ASSERT_EQ(1u, steps.size());
				ExpectKey(steps[0], plain, key, 0);
				EXPECT_EQ(plain, steps[0].token);
				checked++;
			}
			if (shifted != "<") {
				std::vector<KeyStep> steps = ParseOk(shifted);
				ASSERT_EQ(1u, steps.size());
				ExpectKey(steps[0], shifted, key, 0x01);
				checked++;
			}
		}
	}
	// Every printable character but the blank and "<".
	EXPECT_EQ(93, checked);
}


// Named keys, control, Command and Option keys and characters beyond ASCII
// (their UTF-8 bytes, key code 0), each step with the token that made it.
TEST(KeyScript, NamedModifiedAndNonAsciiKeys)
{
	const struct {
		const char*	token;
		const char*	bytes;
		int32_t		key;
		int32_t		modifiers;
	} kKeys[] = {
		{"<space>", " ", 0x5E, 0}, {" ", " ", 0x5E, 0},
		{"<enter>", "\n", 0x47, 0}, {"<kp-enter>", "\n", 0x5B, 0},
		{"<bs>", "\x08", 0x1E, 0}, {"<del>", "\x7F", 0x34, 0},
		{"<tab>", "\t", 0x26, 0}, {"<esc>", "\x1B", 0x01, 0},
		{"<left>", "\x1C", 0x61, 0}, {"<right>", "\x1D", 0x63, 0},
		{"<up>", "\x1E", 0x57, 0}, {"<down>", "\x1F", 0x62, 0},
		{"<lt>", "<", 0x53, 0x01},
		{"<C-g>", "\x07", 0x40, 0x04}, {"<C-j>", "\x0A", 0x42, 0x04},
		{"<C-q>", "\x11", 0x27, 0x04}, {"<cmd-a>", "a", 0x3C, 0x02},
		{"<opt-Z>", "Z", 0x4C, 0x40}, {"<cmd->>", ">", 0x54, 0x02},
		{"<opt-<>", "<", 0x53, 0x40},
		{"\xE3\x81\x82", "\xE3\x81\x82", 0, 0},			// あ
		{"\xC3\xA9", "\xC3\xA9", 0, 0},					// é
		{"\xF0\xA0\x80\x8B", "\xF0\xA0\x80\x8B", 0, 0},	// four bytes
	};
	std::string script;
	for (const auto& key : kKeys)
		script += key.token;
	const std::vector<KeyStep> steps = ParseOk(script);
	ASSERT_EQ(std::size(kKeys), steps.size());
	for (size_t i = 0; i < steps.size(); i++) {
		ExpectKey(steps[i], kKeys[i].bytes, kKeys[i].key, kKeys[i].modifiers);
		EXPECT_EQ(kKeys[i].token, steps[i].token);
	}
}


TEST(KeyScript, ActionsAndIgnoredLineBreaks)
{
	std::vector<KeyStep> steps = ParseOk(
		"<deactivate>\r\n<activate>\n<stop><help><wait>a\n");
	ASSERT_EQ(6u, steps.size());
	EXPECT_EQ(KeyStep::DEACTIVATE, steps[0].kind);
	EXPECT_EQ(KeyStep::ACTIVATE, steps[1].kind);
	EXPECT_EQ(KeyStep::STOP, steps[2].kind);
	EXPECT_EQ(KeyStep::HELP, steps[3].kind);
	EXPECT_EQ("<help>", steps[3].token);
	EXPECT_EQ(KeyStep::WAIT, steps[4].kind);
	ExpectKey(steps[5], "a", 0x3C, 0);

	EXPECT_TRUE(ParseOk("").empty());
	EXPECT_TRUE(ParseOk("\n\n").empty());
}


TEST(KeyScript, ErrorsNameTheTokenAndItsPosition)
{
	KeyScriptError error = ParseError("ab<foo>c");
	EXPECT_EQ("unknown key name <foo> at position 3", error.Describe(false));

	// Positions count characters, not bytes.
	error = ParseError("\xE3\x81\x82\xE3\x81\x84<Enter>");
	EXPECT_EQ("<Enter>", error.token);
	EXPECT_EQ(3u, error.position);

	error = ParseError("Kanji <enter");
	EXPECT_EQ("unclosed key name <enter at position 7", error.Describe(false));

	// A "<" inside a name closes nothing: the first one is unclosed.
	error = ParseError("<ent<enter>");
	EXPECT_EQ("<ent", error.token);
	EXPECT_EQ(1u, error.position);

	error = ParseError("a\nbc\n  <C-1>");
	EXPECT_EQ("unknown key name <C-1> at line 3, column 3",
		error.Describe(true));
	EXPECT_EQ(8u, error.position);

	// Names that look close to valid ones.
	for (const char* script : {"<>", "<C-A>", "<C-ab>", "<cmd-ab>", "<cmd->",
			"<cmd-\xC3\xA9>", "<SPACE>", "< space>"}) {
		error = ParseError(script);
		EXPECT_EQ(1u, error.position) << script;
	}
	EXPECT_EQ("unclosed key name <cmd- at position 1",
		ParseError("<cmd-").Describe(false));
}


TEST(KeyScript, BadBytesAreErrorsShownInHex)
{
	KeyScriptError error = ParseError("ab\xFF");
	EXPECT_EQ("invalid UTF-8 byte \\xFF at position 3", error.Describe(false));

	// Truncated, overlong and surrogate sequences.
	EXPECT_EQ("\\xE3", ParseError("\xE3\x81").token);
	EXPECT_EQ("\\xC0", ParseError("\xC0\xAF").token);
	EXPECT_EQ("\\xED", ParseError("\xED\xA0\x80").token);

	error = ParseError("x\x01");
	EXPECT_EQ("control character \\x01 at position 2", error.Describe(false));
	EXPECT_EQ("\\x7F", ParseError("\x7F").token);

	// A long unclosed name is cut in the message.
	error = ParseError("<" + std::string(200, 'a'));
	EXPECT_LT(error.Describe(false).size(), 100u);
}
