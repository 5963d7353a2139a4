#include "TerminalKeys.h"

#include <algorithm>

#include <cstdlib>

#include <InterfaceDefs.h>


namespace {

const unsigned char kEscape = 0x1B;
// Bracketed paste: the terminal sends pasted text between these.
const std::string kPasteStart = "\x1B[200~";
const std::string kPasteEnd = "\x1B[201~";
// An unfinished escape sequence longer than this is noise, not a key.
const size_t kMaxSequence = 64;

// Key codes of the platform's keyboard.
const int32_t kEnterKey = 0x47;
const int32_t kKeypadEnterKey = 0x5B;
const int32_t kBackspaceKey = 0x1E;
const int32_t kTabKey = 0x26;
const int32_t kEscapeKey = 0x01;
const int32_t kSpaceKey = 0x5E;
const int32_t kFirstFunctionKey = 0x02;	// F1; F12 is 0x0D

// A key that has no character of its own: its byte and key code.
struct NamedKey {
	const char*	name;
	char		byte;
	int32_t		key;
};

const NamedKey kUp = {"up", B_UP_ARROW, 0x57};
const NamedKey kDown = {"down", B_DOWN_ARROW, 0x62};
const NamedKey kRight = {"right", B_RIGHT_ARROW, 0x63};
const NamedKey kLeft = {"left", B_LEFT_ARROW, 0x61};
const NamedKey kHome = {"home", B_HOME, 0x20};
const NamedKey kEnd = {"end", B_END, 0x35};
const NamedKey kInsert = {"ins", B_INSERT, 0x1F};
const NamedKey kDelete = {"del", B_DELETE, 0x34};
const NamedKey kPageUp = {"pgup", B_PAGE_UP, 0x21};
const NamedKey kPageDown = {"pgdn", B_PAGE_DOWN, 0x36};
const NamedKey kKeypadEnter = {"kp-enter", '\n', kKeypadEnterKey};


KeyStep
MakeStep(const std::string& token, const std::string& bytes, int32_t key,
	int32_t modifiers)
{
	KeyStep step;
	step.token = token;
	step.bytes = bytes;
	step.key = key;
	step.modifiers = modifiers;
	return step;
}


// The step of a key with no character of its own, with the modifiers that
// xterm's parameter `parameter` (1 + a bit set) gives it.
KeyStep
NamedStep(const NamedKey& named, int parameter = 1)
{
	int32_t modifiers = 0;
	std::string prefix;
	const int bits = parameter > 1 ? parameter - 1 : 0;
	if ((bits & 1) != 0) {
		modifiers |= B_SHIFT_KEY;
		prefix += "S-";
	}
	if ((bits & 4) != 0) {
		modifiers |= B_CONTROL_KEY;
		prefix += "C-";
	}
	// Alt and Meta both play the platform's Command key.
	if ((bits & (2 | 8)) != 0) {
		modifiers |= B_COMMAND_KEY;
		prefix += "cmd-";
	}
	return MakeStep("<" + prefix + named.name + ">",
		std::string(1, named.byte), named.key, modifiers);
}


KeyStep FunctionStep(int number, int parameter = 1);


// The step of a key by its script name without brackets ("up", "f5",
// "S-tab"); an empty token for a name the decoder does not know.
KeyStep
StepNamed(const std::string& name)
{
	static const NamedKey* const kNamed[] = {&kUp, &kDown, &kRight, &kLeft,
		&kHome, &kEnd, &kInsert, &kDelete, &kPageUp, &kPageDown,
		&kKeypadEnter};
	for (const NamedKey* named : kNamed) {
		if (name == named->name)
			return NamedStep(*named);
	}
	if (name == "S-tab") {
		KeyStep step = MakeStep("<S-tab>", "\t", kTabKey, B_SHIFT_KEY);
		return step;
	}
	if (name.size() >= 2 && name.size() <= 3 && name[0] == 'f') {
		const int number = atoi(name.c_str() + 1);
		if (number >= 1 && number <= 12)
			return FunctionStep(number);
	}
	return KeyStep();
}


KeyStep
FunctionStep(int number, int parameter)
{
	const std::string name = "f" + std::to_string(number);
	const NamedKey named = {name.c_str(), B_FUNCTION_KEY,
		kFirstFunctionKey + number - 1};
	return NamedStep(named, parameter);
}


// The step of the ASCII byte `c` (not ESC) typed on its own.
KeyStep
AsciiStep(unsigned char c)
{
	switch (c) {
		case '\r':
			return MakeStep("<enter>", "\n", kEnterKey, 0);
		case '\n':
			return MakeStep("<C-j>", "\n", 0x42, B_CONTROL_KEY);
		case 0x7F:
		case '\b':
			return MakeStep("<bs>", "\b", kBackspaceKey, 0);
		case '\t':
			return MakeStep("<tab>", "\t", kTabKey, 0);
		case 0x00:
			return MakeStep("<C-space>", std::string(1, '\0'), kSpaceKey,
				B_CONTROL_KEY);
		case ' ':
			return MakeStep("<space>", " ", kSpaceKey, 0);
		case '<':
			return MakeStep("<lt>", "<", 0x53, B_SHIFT_KEY);
		default:
			break;
	}

	const std::string bytes(1, static_cast<char>(c));
	int32_t key = 0;
	bool shifted = false;
	if (c >= 0x01 && c <= 0x1A) {
		// Control and a letter: the letter's key.
		const char letter = static_cast<char>('a' + c - 1);
		KeyScript::UsKey(letter, key, shifted);
		return MakeStep(std::string("<C-") + letter + ">", bytes, key,
			B_CONTROL_KEY);
	}
	if (c >= 0x1C && c <= 0x1F) {
		static const char kKeys[] = "\\]6-";
		const char symbol = "\\]^_"[c - 0x1C];
		KeyScript::UsKey(kKeys[c - 0x1C], key, shifted);
		return MakeStep(std::string("<C-") + symbol + ">", bytes, key,
			B_CONTROL_KEY);
	}
	KeyScript::UsKey(static_cast<char>(c), key, shifted);
	return MakeStep(bytes, bytes, key, shifted ? B_SHIFT_KEY : 0);
}


// The length of the UTF-8 sequence that starts at `s[at]` when it is well
// formed and complete; 0 when more bytes could complete it; -1 when it is
// not UTF-8 (its first byte is then dropped).
int
Utf8Length(const std::string& s, size_t at)
{
	const unsigned char lead = s[at];
	int length;
	unsigned char low = 0x80;	// the range of the second byte
	unsigned char high = 0xBF;
	if (lead >= 0xC2 && lead <= 0xDF)
		length = 2;
	else if (lead >= 0xE0 && lead <= 0xEF) {
		length = 3;
		if (lead == 0xE0)
			low = 0xA0;		// no overlong forms
		else if (lead == 0xED)
			high = 0x9F;	// no surrogates
	} else if (lead >= 0xF0 && lead <= 0xF4) {
		length = 4;
		if (lead == 0xF0)
			low = 0x90;
		else if (lead == 0xF4)
			high = 0x8F;	// nothing above U+10FFFF
	} else
		return -1;

	for (int k = 1; k < length; k++) {
		if (at + k >= s.size())
			return 0;
		const unsigned char c = s[at + k];
		if (k == 1 ? (c < low || c > high) : (c & 0xC0) != 0x80)
			return -1;
	}
	return length;
}


// Decodes the key whose bytes start at `s[at]` (not ESC): returns the bytes
// used and fills `step`, whose token stays empty when the bytes are no key;
// 0 when more bytes are needed.
size_t
DecodeCharacter(const std::string& s, size_t at, KeyStep& step)
{
	const unsigned char c = s[at];
	if (c < 0x80) {
		step = AsciiStep(c);
		return 1;
	}
	const int length = Utf8Length(s, at);
	if (length == 0)
		return 0;
	if (length < 0) {
		step = KeyStep();
		return 1;
	}
	const std::string character = s.substr(at, length);
	step = MakeStep(character, character, 0, 0);
	return length;
}


// The numbers of a CSI sequence's parameters ("1;5" gives 1 and 5); an
// empty parameter is 0. Sub-parameters after ':' are ignored.
std::vector<int>
Parameters(const std::string& s, size_t from, size_t to)
{
	std::vector<int> numbers(1, 0);
	bool inSubParameter = false;
	for (size_t i = from; i < to; i++) {
		const char c = s[i];
		if (c == ';') {
			numbers.push_back(0);
			inSubParameter = false;
		} else if (c == ':')
			inSubParameter = true;
		else if (c >= '0' && c <= '9' && !inSubParameter
			&& numbers.back() < 100000)
			numbers.back() = numbers.back() * 10 + (c - '0');
	}
	return numbers;
}


// The key of a complete CSI sequence with final byte `final`; an empty
// token for sequences that are no key.
KeyStep
CsiStep(const std::vector<int>& parameters, char final)
{
	const int first = parameters[0];
	const int modifier = parameters.size() > 1 ? parameters[1] : 1;
	switch (final) {
		case 'A':
			return NamedStep(kUp, modifier);
		case 'B':
			return NamedStep(kDown, modifier);
		case 'C':
			return NamedStep(kRight, modifier);
		case 'D':
			return NamedStep(kLeft, modifier);
		case 'H':
			return NamedStep(kHome, modifier);
		case 'F':
			return NamedStep(kEnd, modifier);
		case 'P':
		case 'Q':
		case 'R':
		case 'S':
			return FunctionStep(final - 'P' + 1, modifier);
		case 'Z':
		{
			// Shift-Tab.
			KeyStep step = AsciiStep('\t');
			step.token = "<S-tab>";
			step.modifiers = B_SHIFT_KEY;
			return step;
		}
		case '~':
			break;
		default:
			return KeyStep();
	}

	switch (first) {
		case 1:
		case 7:
			return NamedStep(kHome, modifier);
		case 2:
			return NamedStep(kInsert, modifier);
		case 3:
			return NamedStep(kDelete, modifier);
		case 4:
		case 8:
			return NamedStep(kEnd, modifier);
		case 5:
			return NamedStep(kPageUp, modifier);
		case 6:
			return NamedStep(kPageDown, modifier);
		default:
			break;
	}
	// F1-F5 are 11-15, F6-F10 17-21, F11 and F12 23 and 24.
	static const int kFunctionCodes[] = {11, 12, 13, 14, 15, 17, 18, 19, 20,
		21, 23, 24};
	for (int i = 0; i < 12; i++) {
		if (kFunctionCodes[i] == first)
			return FunctionStep(i + 1, modifier);
	}
	return KeyStep();
}


// The key of SS3 (ESC O) followed by `final`.
KeyStep
Ss3Step(unsigned char final)
{
	switch (final) {
		case 'A':
			return NamedStep(kUp);
		case 'B':
			return NamedStep(kDown);
		case 'C':
			return NamedStep(kRight);
		case 'D':
			return NamedStep(kLeft);
		case 'H':
			return NamedStep(kHome);
		case 'F':
			return NamedStep(kEnd);
		case 'M':
			return NamedStep(kKeypadEnter);
		case 'P':
		case 'Q':
		case 'R':
		case 'S':
			return FunctionStep(final - 'P' + 1);
		default:
			break;
	}
	// The keypad in application mode: ESC O j to ESC O y are * + , - . / and
	// the digits.
	if (final >= 'j' && final <= 'y')
		return AsciiStep(final - 0x40);
	return KeyStep();
}


// Adds the Command modifier to `step`, the key typed with Alt.
void
AddCommand(KeyStep& step)
{
	step.modifiers |= B_COMMAND_KEY;
	std::string name = step.token;
	if (name.size() > 2 && name.front() == '<' && name.back() == '>')
		name = name.substr(1, name.size() - 2);
	step.token = "<cmd-" + name + ">";
}

}	// namespace


const char* const TerminalKeys::kPasteToken = "<paste>";


TerminalKeys::TerminalKeys()
	:
	fInPaste(false),
	fPasteCut(false),
	fPasteLength(0)
{
}


void
TerminalKeys::AddSequence(const std::string& bytes, const std::string& name)
{
	if (bytes.size() < 2 || static_cast<unsigned char>(bytes[0]) != kEscape)
		return;
	const KeyStep step = StepNamed(name);
	if (!step.token.empty())
		fSequences.push_back(std::make_pair(bytes, step));
}


bool
TerminalKeys::IsPaste(const KeyStep& step)
{
	return step.kind == KeyStep::KEY && step.key == 0
		&& step.token == kPasteToken;
}


void
TerminalKeys::Feed(const char* bytes, size_t length,
	std::vector<KeyStep>& keys)
{
	fPending.append(bytes, length);
	size_t at = 0;
	while (at < fPending.size()) {
		if (fInPaste) {
			at = _TakePaste(at, keys);
			if (fInPaste)
				break;
			continue;
		}
		if (fPending.compare(at, kPasteStart.size(), kPasteStart) == 0) {
			fInPaste = true;
			fPasteLength = 0;
			at += kPasteStart.size();
			continue;
		}
		KeyStep step;
		const size_t used = _DecodeOne(at, false, step);
		if (used == 0)
			break;
		if (!step.token.empty())
			keys.push_back(step);
		at += used;
	}
	fPending.erase(0, at);
}


void
TerminalKeys::Flush(std::vector<KeyStep>& keys)
{
	if (fInPaste) {
		// A paste that pauses is inserted as far as it came; the rest
		// follows as another paste. What may begin the end marker waits.
		_EmitPaste(keys);
		return;
	}
	size_t at = 0;
	while (at < fPending.size()) {
		KeyStep step;
		at += _DecodeOne(at, true, step);
		if (!step.token.empty())
			keys.push_back(step);
	}
	fPending.clear();
}


size_t
TerminalKeys::_TakePaste(size_t at, std::vector<KeyStep>& keys)
{
	const size_t end = fPending.find(kPasteEnd, at);
	if (end != std::string::npos) {
		fPaste.append(fPending, at, end - at);
		fInPaste = false;
		_EmitPaste(keys);
		return end + kPasteEnd.size();
	}
	// Keep back the bytes that could begin the end marker.
	size_t keep = std::min(kPasteEnd.size() - 1, fPending.size() - at);
	while (keep > 0 && fPending.compare(fPending.size() - keep, keep,
			kPasteEnd, 0, keep) != 0)
		keep--;
	const size_t take = fPending.size() - at - keep;
	fPaste.append(fPending, at, take);
	fPasteLength += take;
	if (fPasteLength >= kMaxPasteBytes) {
		fPasteCut = true;
		EndPaste(keys);
	}
	return at + take;
}


void
TerminalKeys::EndPaste(std::vector<KeyStep>& keys)
{
	fInPaste = false;
	_EmitPaste(keys);
}


bool
TerminalKeys::TakePasteCut()
{
	const bool cut = fPasteCut;
	fPasteCut = false;
	return cut;
}


void
TerminalKeys::_EmitPaste(std::vector<KeyStep>& keys)
{
	if (fPaste.empty())
		return;
	keys.push_back(MakeStep(kPasteToken, fPaste, 0, 0));
	fPaste.clear();
}


size_t
TerminalKeys::_DecodeOne(size_t at, bool final, KeyStep& step) const
{
	const std::string& s = fPending;
	const size_t available = s.size() - at;
	step = KeyStep();

	if (static_cast<unsigned char>(s[at]) == kEscape && !fSequences.empty()) {
		// The terminal's own sequences first, the longest that matches;
		// wait while one could still be completed.
		size_t matched = 0;
		bool partial = false;
		for (const auto& sequence : fSequences) {
			const std::string& bytes = sequence.first;
			if (bytes.size() <= available) {
				if (bytes.size() > matched
					&& s.compare(at, bytes.size(), bytes) == 0) {
					matched = bytes.size();
					step = sequence.second;
				}
			} else if (s.compare(at, available, bytes, 0, available) == 0)
				partial = true;
		}
		if (partial && !final)
			return 0;
		if (matched > 0)
			return matched;
		step = KeyStep();
	}

	if (static_cast<unsigned char>(s[at]) != kEscape) {
		const size_t used = DecodeCharacter(s, at, step);
		// A character cut short by the pause is dropped.
		return used == 0 && final ? available : used;
	}

	if (available == 1) {
		if (!final)
			return 0;
		step = MakeStep("<esc>", "\x1B", kEscapeKey, 0);
		return 1;
	}

	const unsigned char next = s[at + 1];
	if (next == kEscape) {
		// Two Escape keys: the first stands alone.
		step = MakeStep("<esc>", "\x1B", kEscapeKey, 0);
		return 1;
	}

	if (next == 'O') {
		if (available == 2) {
			if (!final)
				return 0;
			step = AsciiStep('O');
			AddCommand(step);
			return 2;
		}
		step = Ss3Step(s[at + 2]);
		return 3;
	}

	if (next == '[') {
		size_t end = at + 2;
		if (end < s.size() && s[end] == '[') {
			// The Linux console's F1-F5: ESC [ [ A to ESC [ [ E.
			if (end + 1 >= s.size())
				return final ? available : 0;
			const char letter = s[end + 1];
			if (letter >= 'A' && letter <= 'E')
				step = FunctionStep(letter - 'A' + 1);
			return 4;
		}
		while (end < s.size() && s[end] >= 0x30 && s[end] <= 0x3F)
			end++;
		const size_t parametersEnd = end;
		while (end < s.size() && s[end] >= 0x20 && s[end] <= 0x2F)
			end++;
		if (end >= s.size()) {
			if (!final && available <= kMaxSequence)
				return 0;
			if (available == 2) {
				step = AsciiStep('[');
				AddCommand(step);
				return 2;
			}
			return available;
		}
		const unsigned char last = s[end];
		if (last < 0x40 || last > 0x7E) {
			// Not a sequence after all: drop what was read of it, and let
			// the stray byte be decoded on its own.
			return end - at;
		}
		if (parametersEnd == end)
			step = CsiStep(Parameters(s, at + 2, parametersEnd), last);
		return end - at + 1;
	}

	// Alt and a key.
	const size_t used = DecodeCharacter(s, at + 1, step);
	if (used == 0)
		return final ? available : 0;
	if (!step.token.empty())
		AddCommand(step);
	return used + 1;
}
