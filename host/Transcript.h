// The `--json` transcript of a `nuvim` run: one JSON object per line, in the
// order things happen. Strings are UTF-8; bytes that are not well-formed
// UTF-8 are written as U+FFFD. Numbers with no fraction are written as
// integers (27, not 27.0).
//
//	{"key": "<token>"}                        a scripted key or action begins
//	{"im": "started" | "stopped" | "location_request"}
//	{"im": "changed", "string": S, "confirmed": B
//	    [, "clause_start": N, "clause_end": N, "selection": [N, N]]}
//	{"passed": {"bytes": S, "key": N, "modifiers": N}}
//	{"location_reply": {"points": [[x, y], ...], "heights": [h, ...]}}
//	{"menu": ["Help"]} | {"menu": null}
//	{"launch": {"signature": S, "args": [S, ...]}}
//	{"screen": {"windows": [{"title": S, "visible": B,
//	    "frame": [l, t, r, b], "lines": [S, ...]}, ...]}}
//	{"text": S}
//	{"unloaded": true}
#ifndef TRANSCRIPT_H
#define TRANSCRIPT_H

#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

#include "ApplicationModel.h"

// A CHANGED event as the application received it.
struct ChangedRecord {
	std::string		text;
	bool			confirmed = false;
	// Present only when the message carried the clause and selection fields.
	bool			hasClause = false;
	int32_t			clauseStart = 0;
	int32_t			clauseEnd = 0;
	bool			hasSelection = false;
	int32_t			selectionStart = 0;
	int32_t			selectionEnd = 0;
};

// One window of the method as a snapshot saw it.
struct WindowRecord {
	std::string					title;
	bool						visible = false;
	float						frame[4] = {0, 0, -1, -1};	// l, t, r, b
	std::vector<std::string>	lines;	// string views, top to bottom
};

class Transcript {
public:
	// Writes to `out`, which must outlive the transcript. Each record is
	// flushed as a whole line.
								Transcript(std::ostream& out);

			void				Key(const std::string& token);
	// "started", "stopped" or "location_request".
			void				Im(const char* what);
			void				Changed(const ChangedRecord& changed);
			void				Passed(const std::string& bytes, int32_t key,
									int32_t modifiers);
			void				LocationReply(
									const std::vector<TextLocation>& locations);
	// `labels` are the menu's item labels; `present` false writes null.
			void				Menu(bool present,
									const std::vector<std::string>& labels);
			void				Launch(const std::string& signature,
									const std::vector<std::string>& args);
			void				Screen(const std::vector<WindowRecord>& windows);
			void				Text(const std::string& text);
			void				Unloaded();

private:
			std::ostream&		fOut;
};

#endif	// TRANSCRIPT_H
