// The user dictionary: the words the user has confirmed or registered, most
// recently learned first, kept in a map and persisted in a file of two
// sections:
//
//	;; okuri-ari entries.
//	かk /書/描/[く/書/]/[け/描/]/
//	;; okuri-nasi entries.
//	abc /ABC/
//	かんじ /漢字/感じ/
//
// Each section is in key order (NuvKey's order); each line is the key text,
// one blank and the entry text (NuvEntry.h). Order and headers do not matter
// on reading, and lines with the same key become one entry.
//
// A line beginning with ";" is a comment, so a key text that begins with
// ";" after any number of backslashes (an abbreviation reading such as
// ";q") is written with one more backslash before it ("\;q /か/"), and
// the reader takes one off such a key text again. Other key texts are
// written as they are. (A file of an older version holding a key text
// such as "\;q" now reads as ";q": no older version could write ";q".)
//
// Reading is lenient where a hand-edited line's meaning is plain: the key
// ends at the first slash that follows white space (blanks, tabs or the
// full-width blank A1 A1), all of which is dropped, so "たいよう  /太陽/"
// stays okuri-nasi; an entry text without its final slash ("さくら /桜")
// gets one. Every other line that gives no entry (comments, a line without
// such a slash, an empty reading, an empty main list, a NUL byte) is kept
// byte for byte and written back: lines before the first header stay at the
// top, the others are gathered at the end of their section under the line
// kKeptLinesHeader, which is itself dropped on reading.
//
// Every entry of the map has a non-empty main list. A file written by
// Write() reads back into the same map and kept lines and writes the same
// bytes again.
//
// Change journal. With RecordChanges(true), every InsertCandidate and
// RemoveCandidate is also recorded, in order, so that the owner can apply
// exactly this session's changes to the file as another session left it
// (TakeChanges, Apply).
//
// Threads: no lock of its own; the owner serialises every call.
#ifndef NUV_DYNAMIC_DICTIONARY_H
#define NUV_DYNAMIC_DICTIONARY_H

#include <map>
#include <string>
#include <vector>

#include "NuvKey.h"
#include "NuvStaticDictionary.h"

class NuvDynamicDictionary : public NuvStaticDictionary {
public:
	// One change a session made: a word learned (InsertCandidate) or purged
	// (RemoveCandidate).
	struct Change {
			bool				learned;
			nuv_candidate		candidate;
	};
	typedef std::vector<Change> ChangeList;

	// The comment line above the kept lines of a section.
	static	const char* const	kKeptLinesHeader;

								NuvDynamicDictionary();
	virtual						~NuvDynamicDictionary();

	// Merges the file's entries into the map (which is not emptied first)
	// and appends its unreadable lines and comments to the kept ones. A
	// stream that has already failed changes nothing; one that fails while
	// it is read gives what was read before.
	virtual	void				Read(std::istream& in) override;

	// Writes the whole map and the kept lines in the layout above. A key
	// that is not IsWritable() is left out. The stream is not checked.
	virtual	void				Write(std::ostream& out) override;

	// Whether the line written for `key` reads back as that key. Not when
	// the line would be lost or would add its words to another key: an
	// empty reading, one holding a line feed or a NUL, one that mixes kana
	// and ASCII bytes or is ASCII with an okuri, one holding white space
	// before a slash or at its end.
	static	bool				IsWritable(const NuvKey& key);

	// A copy of the entry of NuvKey(query); an empty entry when the key is
	// absent.
	virtual	NuvEntry			FindEntry(const nuv_candidate& query) override;

	// Learns c.candidate under NuvKey(c) (NuvEntry::Insert), creating the
	// key when it is new; recorded when changes are.
	virtual	void				InsertCandidate(const nuv_candidate& c)
									override;

	// Forgets c.candidate under NuvKey(c) (NuvEntry::Remove); a key whose
	// main list becomes empty is erased. An absent key changes nothing.
	// Recorded when changes are, even then.
	virtual	void				RemoveCandidate(const nuv_candidate& c)
									override;

	// The number of keys held.
			size_t				CountEntries() const
									{ return entries.size(); }
	// The number of lines kept unread (comments included).
			size_t				CountKeptLines() const;
	// The number of keys the last Write() left out.
			size_t				CountLeftOut() const { return fLeftOut; }

	// Changes

	// Starts or stops recording InsertCandidate and RemoveCandidate calls;
	// off at construction. Stopping keeps what was recorded.
			void				RecordChanges(bool record)
									{ fRecording = record; }
			bool				HasChanges() const
									{ return !fChanges.empty(); }
	// Appends the recorded changes to `out`, oldest first, and forgets them.
			void				TakeChanges(ChangeList& out);
	// Makes `change` as InsertCandidate or RemoveCandidate would, without
	// recording it.
			void				Apply(const Change& change);
	// Exchanges the map and the kept lines with `other`'s; the recorded
	// changes of both stay where they are.
			void				SwapContent(NuvDynamicDictionary& other);

protected:
			std::map<NuvKey, NuvEntry> entries;

private:
			void				_ReadLine(const std::string& line,
									int& section);

			// [0]: before the first header; [1], [2]: at the end of the
			// okuri-ari and okuri-nasi sections.
			std::vector<std::string> fKeptLines[3];
			ChangeList			fChanges;
			// Where Read() inserts next, for each kind of key.
			std::map<NuvKey, NuvEntry>::iterator fOkuriAriHint;
			std::map<NuvKey, NuvEntry>::iterator fOkuriNasiHint;
			bool				fRecording;
			size_t				fLeftOut;
};

#endif	// NUV_DYNAMIC_DICTIONARY_H
