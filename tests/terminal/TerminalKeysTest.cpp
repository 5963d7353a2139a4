// Terminal bytes to key steps, checked against the key scripts' own
// spelling of the same keys wherever a script can name them.
#include "TerminalKeys.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "KeyScript.h"
#include "TerminalCapabilities.h"
#include "TerminalSession.h"


namespace {

// The keys of `bytes`, the pause after them included.
std::vector<KeyStep>
Decode(const std::string& bytes)
{
	TerminalKeys keys;
	std::vector<KeyStep> steps;
	keys.Feed(bytes.data(), bytes.size(), steps);
	keys.Flush(steps);
	return steps;
}


// The keys a script token names.
std::vector<KeyStep>
Scripted(const std::string& token)
{
	std::vector<KeyStep> steps;
	KeyScriptError error;
	EXPECT_TRUE(KeyScript::Parse(token, steps, error)) << token;
	return steps;
}


// The fields that make the key messages, one key after the other; the
// token is only a name.
std::string
Fields(const std::vector<KeyStep>& steps)
{
	std::string text;
	for (const KeyStep& step : steps) {
		text += text.empty() ? "bytes" : "; bytes";
		for (unsigned char c : step.bytes)
			text += " " + std::to_string(c);
		text += " key " + std::to_string(step.key) + " modifiers "
			+ std::to_string(step.modifiers);
	}
	return text;
}


// The steps' tokens, one blank between them.
std::string
Tokens(const std::vector<KeyStep>& steps)
{
	std::string text;
	for (const KeyStep& step : steps)
		text += (text.empty() ? "" : " ") + step.token;
	return text;
}

}	// namespace


// Enter and control-J produce the same byte; only the key code and the
// Control bit let the method tell "confirm" from "newline". Control-H, -I
// and -M are the bytes of Backspace, Tab and Enter. Keys a script cannot
// name give the platform's bytes, key code and modifiers.
TEST(TerminalKeys, KeysGiveTheirScriptSpellingOrThePlatformBytes)
{
	for (int c = 0x20; c <= 0x7E; c++) {
		const std::string bytes(1, static_cast<char>(c));
		const std::string token = c == '<' ? "<lt>" : bytes;
		EXPECT_EQ(Fields(Scripted(token)), Fields(Decode(bytes))) << c;
	}
	for (char letter = 'a'; letter <= 'z'; letter++) {
		if (letter == 'h' || letter == 'i' || letter == 'm')
			continue;
		const std::string bytes(1, static_cast<char>(letter & 0x1F));
		EXPECT_EQ(Fields(Scripted(std::string("<C-") + letter + ">")),
			Fields(Decode(bytes))) << letter;
	}

	// ESC [ begins a sequence; cut short by the pause it is Alt+[.
	const struct {
		const char*	bytes;
		const char*	token;
	} kNamed[] = {
		{"\r", "<enter>"}, {"\n", "<C-j>"},
		{"\x7F", "<bs>"}, {"\b", "<bs>"}, {"\t", "<tab>"},
		{"\x1B[A", "<up>"}, {"\x1B[B", "<down>"}, {"\x1B[C", "<right>"},
		{"\x1B[D", "<left>"}, {"\x1BOA", "<up>"}, {"\x1BOD", "<left>"},
		{"\x1B[3~", "<del>"}, {"\x1BOM", "<kp-enter>"},
		{"\x1Bx", "<cmd-x>"}, {"\x1B[", "<cmd-[>"}, {"あ", "あ"},
		{"\x1B", "<esc>"},
	};
	for (const auto& named : kNamed)
		EXPECT_EQ(Fields(Scripted(named.token)), Fields(Decode(named.bytes)))
			<< named.token;
	EXPECT_NE(Fields(Decode("\r")), Fields(Decode("\n")));

	const struct {
		std::string	bytes;
		const char*	fields;
	} kPlatform[] = {
		// F-keys are B_FUNCTION_KEY on key codes 0x02 to 0x0D, whichever
		// spelling the terminal uses.
		{"\x1BOP", "bytes 16 key 2 modifiers 0"},
		{"\x1B[11~", "bytes 16 key 2 modifiers 0"},
		{"\x1B[[A", "bytes 16 key 2 modifiers 0"},
		{"\x1B[24~", "bytes 16 key 13 modifiers 0"},
		// xterm's modifier parameter: 5 is Control, 3 Alt (Command), 2 Shift.
		{"\x1B[1;5C", "bytes 29 key 99 modifiers 4"},
		{"\x1B[1;3A", "bytes 30 key 87 modifiers 2"},
		{"\x1B[Z", "bytes 9 key 38 modifiers 1"},
		{std::string(1, '\0'), "bytes 0 key 94 modifiers 4"},
		// Alt adds Command to what the key gives; a key keeps its Shift, as
		// a keyboard would send it. ESC O cut short is Alt+O.
		{"\x1BX", "bytes 88 key 77 modifiers 3"},
		{"\x1BO", "bytes 79 key 47 modifiers 3"},
		{"\x1B\x7F", "bytes 8 key 30 modifiers 2"},
		{"\x1B\xE3\x81\x82", "bytes 227 129 130 key 0 modifiers 2"},
		// Four-byte characters keep all their bytes.
		{"\xF0\x9F\x98\x80", "bytes 240 159 152 128 key 0 modifiers 0"},
	};
	for (const auto& key : kPlatform)
		EXPECT_EQ(key.fields, Fields(Decode(key.bytes))) << key.fields;
	EXPECT_EQ(Fields(Decode("\x1B[H")), Fields(Decode("\x1B[1~")));
}


// A lone Escape waits for the pause; what cannot be a key is dropped whole
// and the next key still arrives.
TEST(TerminalKeys, IncompleteInputWaitsAndWhatIsNoKeyIsDropped)
{
	TerminalKeys keys;
	std::vector<KeyStep> steps;
	keys.Feed("\x1B", 1, steps);
	EXPECT_TRUE(steps.empty() && keys.HasPending());
	keys.Flush(steps);
	EXPECT_FALSE(keys.HasPending());
	// Sequences without end are dropped before the next byte comes.
	const std::string noise = "\x1B[" + std::string(200, '1');
	keys.Feed(noise.data(), noise.size(), steps);
	EXPECT_FALSE(keys.HasPending());
	keys.Feed("a", 1, steps);
	EXPECT_EQ("<esc> a", Tokens(steps));

	// Two Escapes are two Escape keys, not Alt+Escape. A stray continuation
	// byte, a surrogate, a byte that never begins UTF-8, unknown sequences,
	// a character cut short by the pause; a control byte inside a sequence
	// ends it and is a key again.
	const std::pair<std::string, const char*> kDecoded[] = {
		{"\x1B\x1B", "<esc> <esc>"}, {"\x80" "a", "a"},
		{"\xED\xA0\x80" "a", "a"}, {"\xFF" "a", "a"}, {"\x1B[?25ha", "a"},
		{"\x1BOza", "a"}, {"\xE3\x81", ""}, {"\x1B[200~", ""},
		{"\x1B[1;\x01", "<C-a>"}};
	for (const auto& [bytes, tokens] : kDecoded)
		EXPECT_EQ(tokens, Tokens(Decode(bytes))) << bytes;
}


// However a terminal's bytes are split into reads, the keys are the same.
TEST(TerminalKeys, SplittingTheBytesChangesNoKey)
{
	const std::string stream = "Kanji \r\n\x1B[A\x1BOP\x1B[1;5D\x1Bxあ\x7F"
		"\xF0\x9F\x98\x80\x1B[3~\t\x03" "abc\x1B[24~\x1B[200~今日\x03\r\x1B[A"
		"\x1B[201~b";
	const std::vector<KeyStep> whole = Decode(stream);
	ASSERT_EQ(24u, whole.size());

	std::mt19937 random(7);
	for (int round = 0; round < 200; round++) {
		TerminalKeys keys;
		std::vector<KeyStep> steps;
		size_t at = 0;
		while (at < stream.size()) {
			const size_t length = std::min(stream.size() - at,
				static_cast<size_t>(random() % 4 + 1));
			keys.Feed(stream.data() + at, length, steps);
			at += length;
		}
		keys.Flush(steps);
		ASSERT_EQ(Tokens(whole) + Fields(whole),
			Tokens(steps) + Fields(steps)) << "round " << round;
	}
}


// The session's own keys are ones the method binds to nothing, and no
// other key the terminal can send is taken for them.
TEST(TerminalKeys, OnlyControlCQuitsAndOnlyF1OrControlTAsksForHelp)
{
	for (int c = 0; c < 0x80; c++) {
		for (const KeyStep& step : Decode(std::string(1,
				static_cast<char>(c)))) {
			EXPECT_EQ(c == 0x03, TerminalSession::IsQuitKey(step)) << c;
			EXPECT_EQ(c == 0x14, TerminalSession::IsHelpKey(step)) << c;
		}
	}
	EXPECT_TRUE(TerminalSession::IsHelpKey(Decode("\x1BOP").front()));
	EXPECT_FALSE(TerminalSession::IsHelpKey(Decode("\x1BOQ").front()));
	// With Alt the keys are the application's Command keys.
	EXPECT_FALSE(TerminalSession::IsQuitKey(Decode("\x1B\x03").front()));
	EXPECT_FALSE(TerminalSession::IsHelpKey(Decode("\x1B\x14").front()));
}


// Fault: pasted text was typed through the method, and a pasted 0x03 ended
// the session. A bracketed paste is one step holding the text as pasted
// (SplittingTheBytesChangesNoKey splits one).
TEST(TerminalKeys, BracketedPasteIsOneStepWithTheTextAsPasted)
{
	const std::string text = "今日はTokyoで会議。\x03\r\n\x1B[A";
	const std::vector<KeyStep> pasted = Decode("a\x1B[200~" + text
		+ "\x1B[201~b");
	ASSERT_EQ(3u, pasted.size());
	EXPECT_EQ("a b", pasted[0].token + " " + pasted[2].token);
	EXPECT_TRUE(TerminalKeys::IsPaste(pasted[1]));
	EXPECT_EQ(text, pasted[1].bytes);
	EXPECT_FALSE(TerminalSession::IsQuitKey(pasted[1]));

	// A paste that pauses is handed out as far as it came; the rest, and
	// the keys after its end, follow. So is a paste of 0x03 alone.
	TerminalKeys keys;
	std::vector<KeyStep> steps;
	const std::string start = "\x1B[200~\x03x\x1B[20";
	keys.Feed(start.data(), start.size(), steps);
	ASSERT_TRUE(keys.HasPending());
	keys.Flush(steps);
	keys.Feed("1~y", 3, steps);
	ASSERT_EQ(2u, steps.size());
	EXPECT_EQ("\x03x", steps[0].bytes);
	EXPECT_FALSE(TerminalSession::IsQuitKey(steps[0]));
	EXPECT_FALSE(TerminalKeys::IsPaste(steps[1]));
	EXPECT_EQ("y", steps[1].token);

	// A paste that passes the size no paste reaches has lost its end: it
	// ends there, and a control-C after it quits again.
	steps.clear();
	const std::string huge = "\x1B[200~"
		+ std::string(TerminalKeys::kMaxPasteBytes, 'x');
	keys.Feed(huge.data(), huge.size(), steps);
	EXPECT_TRUE(keys.TakePasteCut());
	EXPECT_FALSE(keys.TakePasteCut());
	keys.Feed("\x03", 1, steps);
	ASSERT_EQ(2u, steps.size());
	EXPECT_EQ(TerminalKeys::kMaxPasteBytes, steps[0].bytes.size());
	EXPECT_TRUE(TerminalSession::IsQuitKey(steps[1]));
}


// The keys a terminal describes in terminfo are decoded as those keys (the
// VT52's Up is ESC A, which would otherwise be Alt+A); the common sequences
// still work beside them. A terminal that cannot address the cursor, or
// that terminfo does not know, is refused with its name.
TEST(TerminalKeys, TerminfoNamesTheKeysAndRefusesTerminalsWithoutCursorAddressing)
{
	TerminalCapabilities vt52;
	std::string error;
	ASSERT_TRUE(vt52.Load("vt52", -1, error)) << error;
	EXPECT_EQ("\x1BY\x22\x25", vt52.MoveTo(2, 5));
	TerminalKeys keys;
	for (const TerminalCapabilities::KeySequence& key : vt52.KeySequences())
		keys.AddSequence(key.first, key.second);
	std::vector<KeyStep> steps;
	const std::string bytes = "\x1B" "A\x1B[B\x1B";
	keys.Feed(bytes.data(), bytes.size(), steps);
	EXPECT_TRUE(steps.size() == 2 && keys.HasPending());
	keys.Flush(steps);
	ASSERT_EQ("<up> <down> <esc>", Tokens(steps));
	EXPECT_EQ(Fields(Scripted("<up>")), Fields({steps[0]}));

	for (const char* name : {"dumb", "no-such-terminal"}) {
		TerminalCapabilities terminal;
		error.clear();
		EXPECT_FALSE(terminal.Load(name, -1, error));
		EXPECT_NE(std::string::npos, error.find(name)) << error;
	}
}
