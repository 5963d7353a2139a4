// Word registration, shown with "★": the user types the word for a reading
// that has no candidate (or whose candidates were all passed over), and the
// word is learned.
//
// The word is typed with the whole engine: the state owns a nested
// controller (NuvRegisterControler) with its own state stack, whose
// confirmed text is inserted into the word at the cursor. The nested
// controller may in turn push a registration of its own, so registrations
// nest to any depth; every level forwards its display and dictionary
// requests outwards, and the outermost controller receives the whole chain
// of readings under registration, outermost first.
//
// Threads: used on its controller's thread only, like every state.
#ifndef NUV_REGISTER_STATE_H
#define NUV_REGISTER_STATE_H

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "NuvState.h"

class NuvRegisterControler;

class NuvRegisterState : public NuvState {
public:
	// Copies `record` (the reading under registration; `candidate` is
	// whatever the creator passed and is replaced by the new word), creates
	// the nested controller and calls the controller's ShowRegisters with a
	// one-element list holding the record, before the state is pushed.
	// Takes the mode of the state now on top of `controler`.
								NuvRegisterState(NuvControler* controler,
									const nuv_candidate& record);
	// Empties and deletes the nested controller (inner registrations
	// included), then calls the controller's HideRegisters.
	virtual						~NuvRegisterState();

	// Always false.
	virtual	bool				IsEmpty();
	// "★", the word before the cursor, the nested engine's preedit, "|", the
	// word from the cursor on. While an inner registration runs, only the
	// nested engine's preedit (the innermost "★" line).
	virtual	std::string			Pending();
	// Gives the key to the nested engine first; keys it does not use edit
	// the word (cursor keys, delete, kill) or register it (Enter).
	virtual	int32_t				Input(nuv_input input);
	// Takes back the nested engine's last step, or deletes the character
	// before the cursor when the nested engine is empty. INPUT_CONSUMED.
	virtual	int32_t				Undo();
	// Cancels the nested engine's pending work, or, when it holds nothing,
	// pops this state. INPUT_CONSUMED.
	virtual	int32_t				Cancel();

	// For the nested controller: the record under registration, the
	// controller this state is pushed on, the flag telling that a
	// registration runs inside this one, and whether this state is being
	// destroyed (its own prompt line goes then, so inner levels leaving with
	// it need not show it again). The controller is fetched on every call:
	// while it is being destroyed it is a stand-in whose hooks do nothing.
			const nuv_candidate&	Record() const { return fRecord; }
			NuvControler*		ParentControler() const
									{ return Controler(); }
			void				SetNested(bool nested) { fNested = nested; }
			bool				IsNested() const { return fNested; }
			bool				IsClosing() const { return fClosing; }

private:
	// Moves the nested engine's confirmed text into the word at the cursor.
	// Called after every call into the nested engine, so that nothing it
	// confirms waits there unseen.
			void				_TakeConfirmed();
			void				_InsertAtCursor(int32_t code);
	// Appends the characters [from, to) of the word to `text`.
			void				_AppendWord(std::string& text, size_t from,
									size_t to) const;

			nuv_candidate		fRecord;
			bool				fNested;
			bool				fClosing;
			std::vector<int32_t>	fWord;
			size_t				fCursor;
			NuvRegisterControler*	fSubControler;
};

#endif	// NUV_REGISTER_STATE_H
