#include "KeyScript.h"

#include <gtest/gtest.h>

#include <iterator>
#include <string>
#include <tuple>
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
	EXPECT_EQ(std::make_tuple(KeyStep::KEY, bytes, key, modifiers),
		std::make_tuple(step.kind, step.bytes, step.key, step.modifiers))
		<< step.token;
}

}	// namespace


// A model of the US keyboard: each row of unshifted characters, its shifted
// twin, and the key code of the row's first key; each row typed at once.
TEST(KeyScript, PrintableAsciiFollowsTheUsKeyboard)
{
	const struct {
		const char*	plain;
		const char*	shifted;
		int32_t		firstKey;
	} kRows[] = {
		{"`1234567890-=", "~!@#$%^&*()_+", 0x11},
		{"qwertyuiop[]\\", "QWERTYUIOP{}|", 0x27},
		{"asdfghjkl;'", "ASDFGHJKL:\"", 0x3C},
		{"zxcvbnm,./", "ZXCVBNM<>?", 0x4C},
	};
	for (const auto& row : kRows) {
		for (int32_t shift : {0, 1}) {
			const std::string keys = shift ? row.shifted : row.plain;
			std::string script;
			for (char c : keys)
				script += c == '<' ? std::string("<lt>") : std::string(1, c);
			const std::vector<KeyStep> steps = ParseOk(script);
			ASSERT_EQ(keys.size(), steps.size());
			for (size_t i = 0; i < keys.size(); i++) {
				ExpectKey(steps[i], keys.substr(i, 1), row.firstKey + i, shift);
				EXPECT_EQ(keys[i] == '<' ? "<lt>" : keys.substr(i, 1),
					steps[i].token);
			}
		}
	}
}


// Named keys, control, Command and Option keys and characters beyond ASCII
// (their UTF-8 bytes, key code 0), each step with the token that made it;
// then the actions, line breaks between them ignored.
TEST(KeyScript, NamedModifiedAndNonAsciiKeysAndActions)
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
		{"<C-g>", "\x07", 0x40, 0x04}, {"<C-j>", "\x0A", 0x42, 0x04},
		{"<C-q>", "\x11", 0x27, 0x04}, {"<cmd-a>", "a", 0x3C, 0x02},
		{"<opt-Z>", "Z", 0x4C, 0x40}, {"<cmd->>", ">", 0x54, 0x02},
		{"<opt-<>", "<", 0x53, 0x40},
		{"\xE3\x81\x82", "\xE3\x81\x82", 0, 0},			// あ
		{"\xC3\xA9", "\xC3\xA9", 0, 0},					// é
		{"\xF0\xA0\x80\x8B", "\xF0\xA0\x80\x8B", 0, 0},	// four bytes
	};
	const KeyStep::Kind kActions[] = {KeyStep::DEACTIVATE, KeyStep::ACTIVATE,
		KeyStep::STOP, KeyStep::HELP, KeyStep::WAIT};
	std::string script;
	for (const auto& key : kKeys)
		script += key.token;
	const std::vector<KeyStep> steps = ParseOk(script
		+ "\r\n<deactivate>\n<activate><stop>\n\n<help><wait>\n");
	ASSERT_EQ(std::size(kKeys) + std::size(kActions), steps.size());
	for (size_t i = 0; i < std::size(kKeys); i++) {
		ExpectKey(steps[i], kKeys[i].bytes, kKeys[i].key, kKeys[i].modifiers);
		EXPECT_EQ(kKeys[i].token, steps[i].token);
	}
	for (size_t i = 0; i < std::size(kActions); i++)
		EXPECT_EQ(kActions[i], steps[std::size(kKeys) + i].kind) << i;
	EXPECT_EQ("<help>", steps[steps.size() - 2].token);
}


// Each error names its token (bytes in hex) and where it starts, counted
// in characters.
TEST(KeyScript, ErrorsNameTheTokenAndItsPosition)
{
	const struct {
		std::string	script;
		const char*	described;
	} kErrors[] = {
		{"ab<foo>c", "unknown key name <foo> at position 3"},
		{"\xE3\x81\x82\xE3\x81\x84<Enter>",
			"unknown key name <Enter> at position 3"},
		{"Kanji <enter", "unclosed key name <enter at position 7"},
		// A "<" inside a name closes nothing: the first one is unclosed.
		{"<ent<enter>", "unclosed key name <ent at position 1"},
		{"<cmd-", "unclosed key name <cmd- at position 1"},
		{"ab\xFF", "invalid UTF-8 byte \\xFF at position 3"},
		// Truncated, overlong and surrogate sequences.
		{"\xE3\x81", "invalid UTF-8 byte \\xE3 at position 1"},
		{"\xC0\xAF", "invalid UTF-8 byte \\xC0 at position 1"},
		{"\xED\xA0\x80", "invalid UTF-8 byte \\xED at position 1"},
		{"x\x01", "control character \\x01 at position 2"},
		{"\x7F", "control character \\x7F at position 1"},
	};
	for (const auto& error : kErrors)
		EXPECT_EQ(error.described, ParseError(error.script).Describe(false));

	KeyScriptError error = ParseError("a\nbc\n  <C-1>");
	EXPECT_EQ("unknown key name <C-1> at line 3, column 3",
		error.Describe(true));
	EXPECT_EQ(8u, error.position);

	// Names that look close to valid ones.
	for (const char* script : {"<>", "<C-A>", "<C-ab>", "<cmd-ab>", "<cmd->",
			"<cmd-\xC3\xA9>", "<SPACE>", "< space>"})
		EXPECT_EQ(1u, ParseError(script).position) << script;

	// A long unclosed name is cut in the message.
	EXPECT_LT(ParseError("<" + std::string(200, 'a')).Describe(false).size(),
		100u);
}
