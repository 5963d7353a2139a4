#include "KeyScript.h"

#include <cstdio>
#include <cstring>

#include "Utf8.h"


namespace {

// Modifier bits and key codes of the platform's keyboard, repeated here so
// that the parser stays free of the kits (it is fuzzed on its own).
const int32_t kShiftKey = 0x01;
const int32_t kCommandKey = 0x02;
const int32_t kControlKey = 0x04;
const int32_t kOptionKey = 0x40;
const int32_t kTabKey = 0x26;

struct NamedKey {
	const char*	name;
	char		byte;
	int32_t		key;
	int32_t		modifiers;
};

const NamedKey kNamedKeys[] = {
	{"space", 0x20, 0x5E, 0},
	{"enter", 0x0A, 0x47, 0},
	{"kp-enter", 0x0A, 0x5B, 0},
	{"bs", 0x08, 0x1E, 0},
	{"del", 0x7F, 0x34, 0},
	{"tab", 0x09, 0x26, 0},
	{"esc", 0x1B, 0x01, 0},
	{"left", 0x1C, 0x61, 0},
	{"right", 0x1D, 0x63, 0},
	{"up", 0x1E, 0x57, 0},
	{"down", 0x1F, 0x62, 0},
	{"lt", 0x3C, 0x53, kShiftKey},
};

struct NamedAction {
	const char*		name;
	KeyStep::Kind	kind;
};

const NamedAction kNamedActions[] = {
	{"activate", KeyStep::ACTIVATE},
	{"deactivate", KeyStep::DEACTIVATE},
	{"stop", KeyStep::STOP},
	{"help", KeyStep::HELP},
	{"wait", KeyStep::WAIT},
};

// US key codes of the letters a-z.
const int32_t kLetterKeys[26] = {
	0x3C, 0x50, 0x4E, 0x3E, 0x29, 0x3F, 0x40, 0x41, 0x2E,	// a b c d e f g h i
	0x42, 0x43, 0x44, 0x52, 0x51, 0x2F, 0x30, 0x27, 0x2A,	// j k l m n o p q r
	0x3D, 0x2B, 0x2D, 0x4F, 0x28, 0x4D, 0x2C, 0x4C		// s t u v w x y z
};

// The printable characters other than letters and digits: the unshifted
// and the shifted character of each US key.
struct SymbolKey {
	char	plain;
	char	shifted;
	int32_t	key;
};

const SymbolKey kSymbolKeys[] = {
	{'`', '~', 0x11}, {'-', '_', 0x1C}, {'=', '+', 0x1D}, {'[', '{', 0x31},
	{']', '}', 0x32}, {'\\', '|', 0x33}, {';', ':', 0x45}, {'\'', '"', 0x46},
	{',', '<', 0x53}, {'.', '>', 0x54}, {'/', '?', 0x55},
};

// Shifted digits 1 2 3 4 5 6 7 8 9 0.
const char kShiftedDigits[] = "!@#$%^&*()";


// The length of the UTF-8 character that starts at `s[i]`, or 0 when the
// bytes there are not a well-formed, shortest-form character.
size_t
Utf8Length(const std::string& s, size_t i)
{
	uint32_t code;
	return Utf8::Decode(s, i, code);
}


// Tracks the character position, line and column of a byte offset.
class Cursor {
public:
	Cursor() : fPosition(1), fLine(1), fColumn(1) {}

	void Advance(const std::string& text)
	{
		for (size_t i = 0; i < text.size(); i++) {
			const unsigned char c = text[i];
			if ((c & 0xC0) == 0x80)
				continue;
			fPosition++;
			if (c == '\n') {
				fLine++;
				fColumn = 1;
			} else
				fColumn++;
		}
	}

	void Fill(KeyScriptError& error) const
	{
		error.position = fPosition;
		error.line = fLine;
		error.column = fColumn;
	}

private:
	size_t	fPosition;
	size_t	fLine;
	size_t	fColumn;
};


// `text` with control characters and bytes that are not well-formed UTF-8
// written as \xNN, cut to a length that fits an error line.
std::string
Printable(const std::string& text)
{
	const size_t kMaxLength = 40;
	std::string result;
	size_t i = 0;
	while (i < text.size() && result.size() < kMaxLength) {
		const unsigned char c = text[i];
		const size_t length = Utf8Length(text, i);
		if (length == 0 || c < 0x20 || c == 0x7F) {
			char hex[8];
			snprintf(hex, sizeof(hex), "\\x%02X", c);
			result += hex;
			i++;
		} else {
			result.append(text, i, length);
			i += length;
		}
	}
	if (i < text.size())
		result += "...";
	return result;
}


bool
Fail(KeyScriptError& error, const Cursor& at, const char* reason,
	const std::string& token)
{
	error.reason = reason;
	error.token = Printable(token);
	at.Fill(error);
	return false;
}


// The key step for the printable ASCII character `c`.
KeyStep
AsciiStep(char c, const std::string& token)
{
	KeyStep step;
	step.token = token;
	step.bytes.assign(1, c);
	bool shifted = false;
	KeyScript::UsKey(c, step.key, shifted);
	step.modifiers = shifted ? kShiftKey : 0;
	return step;
}


// Parses the name between `<` and `>` into `step`; false when unknown.
bool
ParseName(const std::string& name, KeyStep& step)
{
	for (const NamedKey& named : kNamedKeys) {
		if (name == named.name) {
			step.bytes.assign(1, named.byte);
			step.key = named.key;
			step.modifiers = named.modifiers;
			return true;
		}
	}
	for (const NamedAction& action : kNamedActions) {
		if (name == action.name) {
			step.kind = action.kind;
			return true;
		}
	}

	if (name.size() == 3 && name.compare(0, 2, "C-") == 0
		&& name[2] >= 'a' && name[2] <= 'z') {
		step.bytes.assign(1, static_cast<char>(name[2] & 0x1F));
		step.key = kLetterKeys[name[2] - 'a'];
		step.modifiers = kControlKey;
		return true;
	}

	if (name.size() == 5 && (name.compare(0, 4, "cmd-") == 0
			|| name.compare(0, 4, "opt-") == 0)
		&& name[4] >= 0x20 && name[4] <= 0x7E) {
		bool shifted;
		step.bytes.assign(1, name[4]);
		KeyScript::UsKey(name[4], step.key, shifted);
		step.modifiers = name[0] == 'c' ? kCommandKey : kOptionKey;
		return true;
	}
	return false;
}

}	// namespace


std::string
KeyScriptError::Describe(bool withLine) const
{
	std::string text = reason;
	if (!token.empty())
		text += " " + token;
	if (withLine) {
		text += " at line " + std::to_string(line) + ", column "
			+ std::to_string(column);
	} else
		text += " at position " + std::to_string(position);
	return text;
}


bool
KeyScript::UsKey(char c, int32_t& key, bool& shifted)
{
	key = 0;
	shifted = false;
	if (c >= 'a' && c <= 'z') {
		key = kLetterKeys[c - 'a'];
		return true;
	}
	if (c >= 'A' && c <= 'Z') {
		key = kLetterKeys[c - 'A'];
		shifted = true;
		return true;
	}
	if (c >= '1' && c <= '9') {
		key = 0x12 + (c - '1');
		return true;
	}
	if (c == '0') {
		key = 0x1B;
		return true;
	}
	if (c == ' ') {
		key = 0x5E;
		return true;
	}
	if (c != '\0') {
		const char* digit = strchr(kShiftedDigits, c);
		if (digit != NULL) {
			key = 0x12 + static_cast<int32_t>(digit - kShiftedDigits);
			shifted = true;
			return true;
		}
	}
	for (const SymbolKey& symbol : kSymbolKeys) {
		if (c == symbol.plain || c == symbol.shifted) {
			key = symbol.key;
			shifted = c == symbol.shifted;
			return true;
		}
	}
	return false;
}


bool
KeyScript::Parse(const std::string& script, std::vector<KeyStep>& steps,
	KeyScriptError& error)
{
	steps.clear();
	const bool parsed = ParseEach(script,
		[&steps](const KeyStep& step) { steps.push_back(step); }, error);
	if (!parsed)
		steps.clear();
	return parsed;
}


bool
KeyScript::ParseEach(const std::string& script,
	const std::function<void(const KeyStep&)>& each, KeyScriptError& error)
{
	error = KeyScriptError();

	Cursor cursor;
	size_t i = 0;
	while (i < script.size()) {
		const char c = script[i];

		if (c == '\n' || c == '\r') {
			cursor.Advance(script.substr(i, 1));
			i++;
			continue;
		}

		if (c == '<') {
			size_t end;
			if ((script.compare(i, 5, "<cmd-") == 0
					|| script.compare(i, 5, "<opt-") == 0)
				&& i + 6 < script.size() && script[i + 6] == '>') {
				// The character after "cmd-" or "opt-" is taken as it is,
				// so that <cmd->> names Command-">".
				end = i + 6;
			} else {
				end = i + 1;
				while (end < script.size() && script[end] != '>'
					&& script[end] != '<' && script[end] != '\n')
					end++;
			}
			if (end >= script.size() || script[end] != '>') {
				return Fail(error, cursor, "unclosed key name",
					script.substr(i, end - i));
			}
			const std::string token = script.substr(i, end + 1 - i);
			KeyStep step;
			step.token = token;
			if (!ParseName(token.substr(1, token.size() - 2), step)) {
				return Fail(error, cursor, "unknown key name", token);
			}
			each(step);
			cursor.Advance(token);
			i = end + 1;
			continue;
		}

		const size_t length = Utf8Length(script, i);
		if (length == 0) {
			return Fail(error, cursor, "invalid UTF-8 byte",
				script.substr(i, 1));
		}
		const std::string character = script.substr(i, length);

		if (c == '\t') {
			KeyStep step;
			step.token = character;
			step.bytes = character;
			step.key = kTabKey;
			each(step);
		} else if (length == 1 && (c < 0x20 || c == 0x7F)) {
			return Fail(error, cursor, "control character",
				script.substr(i, 1));
		} else if (length == 1)
			each(AsciiStep(c, character));
		else {
			KeyStep step;
			step.token = character;
			step.bytes = character;
			each(step);
		}
		cursor.Advance(character);
		i += length;
	}
	return true;
}
