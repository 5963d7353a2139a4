// The romaji automaton: a trie filled from table files that turns typed key
// bytes into kana (or, with another table, into full-width letters).
//
// Table file format. A table is a sequence of tokens separated by white
// space (blank, tab, line feed, carriage return, vertical tab, form feed);
// line breaks mean nothing and there are no comments. Tokens are taken in
// pairs, key then value; a key without a value at the end is ignored. A token
// that begins and ends with a double quote is decoded with
// NuvUtils::DecodeCString ("\t", "\040", "\x20"); any other token is taken
// byte for byte. The key is the sequence of key bytes to type. The value is
// split byte by byte: the ASCII letters A-Z and a-z are the letters fed in
// again after the entry has fired (the node's `rest`), every other byte is
// the text it produces (`output`). So "kk っk" produces っ and leaves k
// pending, and a key that is also the start of longer keys ("n" beside "na")
// fires only when the next byte continues no key or on ForceConfirm().
// Defining a key again, in the same file or a later one, replaces both its
// output and its rest.
//
// Pairs that cannot be an entry are skipped whole: an empty key, a key
// longer than kMaxKeyLength bytes, or a token longer than kMaxTokenLength
// bytes before decoding.
//
// Storage. The trie is one array of small nodes (parent, key byte, where
// its text lies) and one open-addressed hash table from (parent, byte) to
// child, with every output and rest in one text pool: some 50 bytes per
// node whatever the table's size, and a constant number of steps per byte
// typed or read. A node's path is its chain of parents, at most
// kMaxKeyLength bytes long.
//
// Threads: Read() runs while the automaton is being filled, before anybody
// types into it; afterwards one thread at a time may call the rest. There is
// no lock.
#ifndef NUV_AUTOMATON_H
#define NUV_AUTOMATON_H

#include <cstddef>
#include <cstdint>
#include <istream>
#include <string>
#include <vector>

#include "NuvInteractiveConverter.h"


class NuvAutomaton : public NuvInteractiveConverter {
public:
	// The longest key a table may define; a longer one cannot be typed in
	// any sensible table.
	static constexpr size_t	kMaxKeyLength = 32;
	// The longest token, before decoding, that Read() keeps. Reading a
	// longer one costs no memory beyond this; its pair is skipped.
	static constexpr size_t	kMaxTokenLength = 1024;

	// An empty trie, nothing pending, an empty confirmed buffer.
								NuvAutomaton();
	virtual						~NuvAutomaton();
								NuvAutomaton(const NuvAutomaton&) = delete;
			NuvAutomaton&		operator=(const NuvAutomaton&) = delete;

	// Converter

	// True when no key bytes are pending.
	virtual	bool				IsEmpty();
	// Feeds the low byte of `input.character` (the rest of the record is
	// ignored). Returns INPUT_CONSUMED when the byte was taken; the text it
	// produced, if any, waits in Confirmed(). Returns INPUT_IGNORED when the
	// byte starts no key from the root (after the pending letters, if any,
	// were tried first), or when the table's carried-over letters would feed
	// themselves for ever; then nothing is produced and the pending letters
	// stay as they were.
	virtual	int32_t				Input(nuv_input input);
	// Drops the last pending key byte: INPUT_CONSUMED, or INPUT_IGNORED
	// when nothing is pending.
	virtual	int32_t				Undo();
	// Drops every pending key byte through Clear(): INPUT_CONSUMED, or
	// INPUT_IGNORED when nothing is pending. The confirmed buffer is kept.
	virtual	int32_t				Cancel();
	// Drops every pending key byte. The confirmed buffer is kept.
	virtual	void				Clear();
	// The key bytes typed since the last output, e.g. "ky".
	virtual	std::string			Pending();
	// Produces the output of the pending key bytes (a pending "n" gives ん;
	// bytes that produce nothing by themselves vanish) and leaves nothing
	// pending.
	virtual	void				ForceConfirm();

	// Table

	// Destroys the whole trie and starts an empty one; nothing is pending.
			void				Init();
	// Adds the entries of the table in `in` to the trie, replacing entries
	// with the same key. Never clears the trie; a stream that is already
	// failed (a file that could not be opened) adds nothing. Reads `in` to
	// its end.
			void				Read(std::istream& in);
	// The same for a table held in memory: `length` bytes at `text`.
			void				Read(const char* text, size_t length);

	// The number of nodes below the root; with the bytes held, for
	// measuring.
			size_t				CountNodes() const
									{ return fNodes.size() - 1; }
			size_t				MemoryUsed() const;

private:
	class _Tokenizer;

	struct node {
		uint32_t				parent;		// the root is its own parent
		uint32_t				text;		// output, then rest, in fText
		uint16_t				outputLength;
		uint16_t				restLength;
		char					byte;		// the last byte of the path
		bool					hasChildren;
	};

	static constexpr uint32_t	kRoot = 0;
	static constexpr uint32_t	kNoNode = UINT32_MAX;

			void				_Enter(const std::string& key,
									const std::string& value);
	// The child of `parent` for `byte`, or kNoNode.
			uint32_t			_Child(uint32_t parent, char byte) const;
			uint32_t			_AddChild(uint32_t parent, char byte);
			size_t				_Slot(uint32_t parent, char byte) const;
			void				_Grow();
	// Drops the spare capacity the vectors grew while reading.
			void				_Trim();

			std::vector<node>	fNodes;
			// Children by hash of (parent, byte), with the parent's number
			// beside the child's so that most probes need not visit the
			// node itself; kNoNode marks a free slot. The size is a power
			// of two, at most half full.
			struct slot {
				uint32_t			parent;
				uint32_t			child;
			};
			std::vector<slot>	fSlots;
			std::string			fText;
			uint32_t			fCurrent;
};


#endif	// NUV_AUTOMATON_H
