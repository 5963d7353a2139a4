#include "NuvAutomaton.h"

#include "NuvUtils.h"


namespace {


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


NuvAutomaton::node::~node()
{
	// Keys are at most kMaxKeyLength bytes long, so the recursion is shallow.
	for (auto& child : children)
		delete child.second;
}


NuvAutomaton::NuvAutomaton()
	:
	root(nullptr),
	current(nullptr),
	fNodeCount(0)
{
	Init();
}


NuvAutomaton::~NuvAutomaton()
{
	delete root;
}


// #pragma mark - Converter


bool
NuvAutomaton::IsEmpty()
{
	return current == root;
}


int32_t
NuvAutomaton::Input(nuv_input input)
{
	const char key = static_cast<char>(input.character & 0xFF);

	// The queue is either the typed byte or the unread tail of one leaf's
	// `rest`: a leaf replaces the whole queue, so pointing into the trie is
	// enough and nothing is copied.
	const char* queue = &key;
	size_t queueLength = 1;
	node* at = current;
	std::string output;
	size_t fired = 0;

	while (queueLength > 0) {
		auto found = at->children.find(*queue);
		if (found == at->children.end()) {
			if (at == root)
				return INPUT_IGNORED;
			// The pending letters end here: produce their output and look
			// the same byte up again from the root.
			output += at->output;
			at = root;
			continue;
		}

		node* child = found->second;
		queue++;
		queueLength--;
		if (!child->children.empty()) {
			at = child;
			continue;
		}

		// A leaf always restarts at the root with its own `rest`, so firing
		// the same leaf twice in one call repeats a state and would go on for
		// ever. Firing more entries than the trie has leaves proves that.
		if (++fired > fNodeCount)
			return INPUT_IGNORED;
		output += child->output;
		queue = child->rest.data();
		queueLength = child->rest.size();
		at = root;
	}

	current = at;
	if (!output.empty())
		Confirm(output);
	return INPUT_CONSUMED;
}


int32_t
NuvAutomaton::Undo()
{
	if (current == root)
		return INPUT_IGNORED;
	current = current->parent;
	return INPUT_CONSUMED;
}


int32_t
NuvAutomaton::Cancel()
{
	if (current == root)
		return INPUT_IGNORED;
	Clear();
	return INPUT_CONSUMED;
}


void
NuvAutomaton::Clear()
{
	current = root;
}


std::string
NuvAutomaton::Pending()
{
	return current->path;
}


void
NuvAutomaton::ForceConfirm()
{
	if (!current->output.empty())
		Confirm(current->output);
	current = root;
}


// #pragma mark - Table


void
NuvAutomaton::Init()
{
	delete root;
	root = new node;
	root->parent = root;
	current = root;
	fNodeCount = 0;
}


void
NuvAutomaton::Read(std::istream& in)
{
	if (!in)
		return;

	std::string token;
	bool tokenTooLong = false;
	std::string key;
	bool keyTooLong = false;
	bool haveKey = false;

	// Tokens are cut by hand rather than with operator>>, whose idea of
	// white space follows the stream's locale: EUC-JP bytes must never
	// split a token.
	auto takeToken = [&]() {
		if (!haveKey) {
			key.swap(token);
			keyTooLong = tokenTooLong;
			haveKey = true;
		} else {
			if (!keyTooLong && !tokenTooLong)
				_Enter(NuvUtils::DecodeCString(key),
					NuvUtils::DecodeCString(token));
			haveKey = false;
		}
		token.clear();
		tokenTooLong = false;
	};

	char chunk[16384];
	bool inToken = false;
	while (in.read(chunk, sizeof(chunk)) || in.gcount() > 0) {
		const std::streamsize length = in.gcount();
		for (std::streamsize i = 0; i < length; i++) {
			const char c = chunk[i];
			if (IsTableSpace(c)) {
				if (inToken)
					takeToken();
				inToken = false;
				continue;
			}
			inToken = true;
			if (token.size() < kMaxTokenLength)
				token += c;
			else
				tokenTooLong = true;
		}
	}
	if (inToken)
		takeToken();
}


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

	node* at = root;
	for (size_t i = 0; i < key.size(); i++) {
		node*& child = at->children[key[i]];
		if (child == nullptr) {
			child = new node;
			child->path.assign(key, 0, i + 1);
			child->parent = at;
			fNodeCount++;
		}
		at = child;
	}
	at->output.swap(output);
	at->rest.swap(rest);
}
