// Candidate selection: the state shown with "▼".
//
// A reading buffer pushes it with the candidates found for its reading. The
// first four candidates are offered one at a time in the preedit text; the
// rest follow in pages of up to seven in the candidate palette, each picked
// with a selection key (a s d f j k l, either case). Confirming a candidate
// teaches it to the user dictionary. Stepping past the last candidate opens
// word registration for the same reading; stepping back before the first
// returns to the reading buffer.
//
// Threads: used on its controller's thread only, like every state.
#ifndef NUV_CONVERT_STATE_H
#define NUV_CONVERT_STATE_H

#include <cstdint>
#include <string>
#include <vector>

#include "NuvCandidateList.h"
#include "NuvContract.h"
#include "NuvState.h"

class NuvConvertState : public NuvState {
public:
	// Takes over `candidates`, which are offered in that order; each is
	// offered as the list's query (the buffer record) with `candidate` set.
	// The list should not be empty (a reading with no candidate goes to
	// registration instead); an empty one gives a conversion whose only
	// move is back to the reading. Only the records shown are ever made,
	// so a reading with a million candidates costs no more per key than
	// one with five. Takes the mode of the state now on top of
	// `controler`.
								NuvConvertState(NuvControler* controler,
									NuvCandidateList candidates);
	virtual						~NuvConvertState();

	// Hides the candidate palette, so that it never stays open under another
	// state or after this one has gone.
	virtual	void				Disabled();
	// Always false: a conversion is always pending.
	virtual	bool				IsEmpty();
	// "▼" with the current candidate and its okurigana, or "▼" with the
	// okurigana alone while a page is shown. Shows the page through
	// ShowCandidates, or hides the palette, as a side effect: the front end
	// calls it after every key.
	virtual	std::string			Pending();
	// Handles one key; INPUT_AGAIN when a candidate was confirmed by a key
	// that must then be processed again (Enter, a printable character).
	virtual	int32_t				Input(nuv_input input);
	// On a preedit candidate: confirms and learns it, then takes back the
	// last character of the confirmed text. On a page: nothing. Returns
	// INPUT_CONSUMED.
	virtual	int32_t				Undo();
	// Pops this state: the reading buffer below becomes active again.
	virtual	int32_t				Cancel();

	// Number of candidates offered in the preedit text before the pages.
	static	constexpr int32_t	kPreeditCount = 4;
	// Largest page of the candidate palette.
	static	constexpr int32_t	kPageSize = NuvContract::kPageSize;

private:
	// Steps to the next candidate or page; past the end it opens
	// registration. Both may remove this state: return right after them.
			int32_t				_Next();
			int32_t				_Previous();
	// Confirms the candidate at `index` and clears the stack down to the
	// bottom state, which deletes this state.
			void				_ConfirmAndClear(size_t index);
	// The candidates on the page that starts at fIndex.
			size_t				_PageLength() const;
			size_t				_Count() const
									{ return fCandidates.CountItems(); }

			NuvCandidateList	fCandidates;
			// The records of the page shown, made when it is shown.
			std::vector<nuv_candidate>	fPage;
			int32_t				fIndex;
};

#endif	// NUV_CONVERT_STATE_H
