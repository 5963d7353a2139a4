#include "NuvAutomaton.h"

#include <algorithm>

#include "NuvUtils.h"


namespace {

// Slots of the smallest hash table; it doubles whenever it is half full.
const size_t kInitialSlots = 256;

// A text pool and node numbers of 32 bits: a table that would need more is
// cut short there (it would be some 4 GB of text).
const size_t kMaxTextSize = UINT32_MAX;
const size_t kMaxNodes = UINT32_MAX - 1;


inline bool
IsTableSpace(char c)
{
	return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v'
		|| c == '\f';
}


inline bool
IsAsciiLetter(char c)
{
	return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

}	// namespace


// Cuts table text into tokens, in as many pieces as it comes, and hands
// each key-value pair to the automaton. Tokens are cut by hand rather than
// with operator>>, whose idea of white space follows the stream's locale:
// EUC-JP bytes must never split a token.
class NuvAutomaton::_Tokenizer {
public:
	explicit _Tokenizer(NuvAutomaton& automaton)
		:
		fAutomaton(automaton),
		fTokenTooLong(false),
		fKeyTooLong(false),
		fHaveKey(false),
		fInToken(false)
	{
	}

	void Feed(const char* text, size_t length)
	{
		for (size_t i = 0; i < length; i++) {
			const char c = text[i];
			if (IsTableSpace(c)) {
				if (fInToken)
					_TakeToken();
				fInToken = false;
				continue;
			}
			fInToken = true;
			if (fToken.size() < kMaxTokenLength)
				fToken += c;
			else
				fTokenTooLong = true;
		}
	}

	void Finish()
	{
		if (fInToken)
			_TakeToken();
		fInToken = false;
	}

private:
	void _TakeToken()
	{
		if (!fHaveKey) {
			fKey.swap(fToken);
			fKeyTooLong = fTokenTooLong;
			fHaveKey = true;
		} else {
			if (!fKeyTooLong && !fTokenTooLong)
				fAutomaton._Enter(NuvUtils::DecodeCString(fKey),
					NuvUtils::DecodeCString(fToken));
			fHaveKey = false;
		}
		fToken.clear();
		fTokenTooLong = false;
	}

	NuvAutomaton&	fAutomaton;
	std::string		fToken;
	bool			fTokenTooLong;
	std::string		fKey;
	bool			fKeyTooLong;
	bool			fHaveKey;
	bool			fInToken;
};


NuvAutomaton::NuvAutomaton()
	:
	fCurrent(kRoot)
{
	Init();
}


NuvAutomaton::~NuvAutomaton()
{
}


// #pragma mark - Converter


bool
NuvAutomaton::IsEmpty()
{
	return fCurrent == kRoot;
}


int32_t
NuvAutomaton::Input(nuv_input input)
{
	const char key = static_cast<char>(input.character & 0xFF);

	// The queue is either the typed byte or the unread tail of one leaf's
	// `rest`: a leaf replaces the whole queue, so pointing into the text
	// pool is enough and nothing is copied.
	const char* queue = &key;
	size_t queueLength = 1;
	uint32_t at = fCurrent;
	std::string output;
	size_t fired = 0;

	while (queueLength > 0) {
		const uint32_t child = _Child(at, *queue);
		if (child == kNoNode) {
			if (at == kRoot)
				return INPUT_IGNORED;
			// The pending letters end here: produce their output and look
			// the same byte up again from the root.
			output.append(fText, fNodes[at].text, fNodes[at].outputLength);
			at = kRoot;
			continue;
		}

		queue++;
		queueLength--;
		const node& reached = fNodes[child];
		if (reached.hasChildren) {
			at = child;
			continue;
		}

		// A leaf always restarts at the root with its own `rest`, so firing
		// the same leaf twice in one call repeats a state and would go on for
		// ever. Firing more entries than the trie has leaves proves that.
		if (++fired > CountNodes())
			return INPUT_IGNORED;
		output.append(fText, reached.text, reached.outputLength);
		queue = fText.data() + reached.text + reached.outputLength;
		queueLength = reached.restLength;
		at = kRoot;
	}

	fCurrent = at;
	if (!output.empty())
		Confirm(output);
	return INPUT_CONSUMED;
}


int32_t
NuvAutomaton::Undo()
{
	if (fCurrent == kRoot)
		return INPUT_IGNORED;
	fCurrent = fNodes[fCurrent].parent;
	return INPUT_CONSUMED;
}


int32_t
NuvAutomaton::Cancel()
{
	if (fCurrent == kRoot)
		return INPUT_IGNORED;
	Clear();
	return INPUT_CONSUMED;
}


void
NuvAutomaton::Clear()
{
	fCurrent = kRoot;
}


std::string
NuvAutomaton::Pending()
{
	std::string path;
	for (uint32_t at = fCurrent; at != kRoot; at = fNodes[at].parent)
		path += fNodes[at].byte;
	std::reverse(path.begin(), path.end());
	return path;
}


void
NuvAutomaton::ForceConfirm()
{
	const node& pending = fNodes[fCurrent];
	if (pending.outputLength > 0)
		Confirm(fText.substr(pending.text, pending.outputLength));
	fCurrent = kRoot;
}


// #pragma mark - Table


void
NuvAutomaton::Init()
{
	fNodes.clear();
	fNodes.shrink_to_fit();
	fNodes.push_back(node{kRoot, 0, 0, 0, '\0', false});
	fSlots.assign(kInitialSlots, slot{kNoNode, kNoNode});
	fSlots.shrink_to_fit();
	fText.clear();
	fText.shrink_to_fit();
	fCurrent = kRoot;
}


void
NuvAutomaton::Read(std::istream& in)
{
	if (!in)
		return;

	_Tokenizer tokenizer(*this);
	char chunk[16384];
	while (in.read(chunk, sizeof(chunk)) || in.gcount() > 0)
		tokenizer.Feed(chunk, static_cast<size_t>(in.gcount()));
	tokenizer.Finish();
	_Trim();
}


void
NuvAutomaton::Read(const char* text, size_t length)
{
	_Tokenizer tokenizer(*this);
	tokenizer.Feed(text, length);
	tokenizer.Finish();
	_Trim();
}


size_t
NuvAutomaton::MemoryUsed() const
{
	return fNodes.capacity() * sizeof(node)
		+ fSlots.capacity() * sizeof(slot) + fText.capacity();
}


// #pragma mark - private


void
NuvAutomaton::_Enter(const std::string& key, const std::string& value)
{
	// The empty key would make the root itself produce text, out of
	// nothing, on every ForceConfirm().
	if (key.empty() || key.size() > kMaxKeyLength)
		return;

	std::string rest;
	std::string output;
	for (char c : value) {
		if (IsAsciiLetter(c))
			rest += c;
		else
			output += c;
	}
	if (fText.size() + value.size() > kMaxTextSize
		|| fNodes.size() + key.size() > kMaxNodes)
		return;

	uint32_t at = kRoot;
	for (char byte : key) {
		uint32_t child = _Child(at, byte);
		if (child == kNoNode)
			child = _AddChild(at, byte);
		at = child;
	}

	// A key defined again keeps its node; its earlier text stays unused in
	// the pool, which the table's own size bounds.
	node& entry = fNodes[at];
	if (output.size() + rest.size() == 0) {
		entry.text = 0;
	} else {
		entry.text = static_cast<uint32_t>(fText.size());
		fText += output;
		fText += rest;
	}
	entry.outputLength = static_cast<uint16_t>(output.size());
	entry.restLength = static_cast<uint16_t>(rest.size());
}


size_t
NuvAutomaton::_Slot(uint32_t parent, char byte) const
{
	// Sibling nodes have neighbouring numbers and bytes: mix every bit
	// into the low ones that index the table (the finaliser of MurmurHash3),
	// or the probes run along long clusters.
	uint64_t key = (uint64_t(parent) << 8) | static_cast<uint8_t>(byte);
	key ^= key >> 33;
	key *= 0xFF51AFD7ED558CCDULL;
	key ^= key >> 33;
	key *= 0xC4CEB9FE1A85EC53ULL;
	key ^= key >> 33;
	return static_cast<size_t>(key) & (fSlots.size() - 1);
}


uint32_t
NuvAutomaton::_Child(uint32_t parent, char byte) const
{
	const size_t mask = fSlots.size() - 1;
	for (size_t i = _Slot(parent, byte); ; i = (i + 1) & mask) {
		const slot& at = fSlots[i];
		if (at.child == kNoNode)
			return kNoNode;
		if (at.parent == parent && fNodes[at.child].byte == byte)
			return at.child;
	}
}


uint32_t
NuvAutomaton::_AddChild(uint32_t parent, char byte)
{
	if ((fNodes.size() + 1) * 2 > fSlots.size())
		_Grow();
	const uint32_t child = static_cast<uint32_t>(fNodes.size());
	fNodes.push_back(node{parent, 0, 0, 0, byte, false});
	fNodes[parent].hasChildren = true;

	const size_t mask = fSlots.size() - 1;
	size_t i = _Slot(parent, byte);
	while (fSlots[i].child != kNoNode)
		i = (i + 1) & mask;
	fSlots[i] = slot{parent, child};
	return child;
}


void
NuvAutomaton::_Grow()
{
	fSlots.assign(fSlots.size() * 2, slot{kNoNode, kNoNode});
	const size_t mask = fSlots.size() - 1;
	for (uint32_t child = 1; child < fNodes.size(); child++) {
		const uint32_t parent = fNodes[child].parent;
		size_t i = _Slot(parent, fNodes[child].byte);
		while (fSlots[i].child != kNoNode)
			i = (i + 1) & mask;
		fSlots[i] = slot{parent, child};
	}
}


void
NuvAutomaton::_Trim()
{
	fNodes.shrink_to_fit();
	fText.shrink_to_fit();
}
