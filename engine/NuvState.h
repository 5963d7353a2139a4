// The abstract base of every input state on a controller's stack.
#ifndef NUV_STATE_H
#define NUV_STATE_H

#include <cstdint>
#include <string>

#include "NuvTypes.h"

class NuvControler;
class NuvInteractiveConverter;

class NuvState {
public:
	// Stores `controler` (not owned) and `mode`; MODE_NONE takes the mode of
	// the controller's current top state (creating the default state if the
	// stack is empty). Used on the controller's thread only.
								NuvState(NuvControler* controler,
									nuv_mode mode);
	virtual						~NuvState() = 0;

	// The state has become the top of the stack. Base: nothing.
	virtual	void				Activated();
	// The state stops being the top of the stack. Base: nothing.
	virtual	void				Disabled();
	// Nothing pending in this state.
	virtual	bool				IsEmpty() = 0;
	// The preedit text of this state (EUC-JP).
	virtual	std::string			Pending() = 0;
	// One key; INPUT_CONSUMED, INPUT_IGNORED or INPUT_AGAIN. A state that
	// removes itself from the stack here is deleted at once and must not
	// touch its members afterwards.
	virtual	int32_t				Input(nuv_input input) = 0;
	virtual	int32_t				Undo() = 0;
	virtual	int32_t				Cancel() = 0;

	// The controller whose stack holds this state. While that controller is
	// being destroyed this is a stand-in whose hooks do nothing, so fetch it
	// when needed rather than keeping a copy.
			NuvControler*		Controler() const { return fControler; }
	// The stored mode; it selects the automaton the state types into.
			nuv_mode			Mode() const { return fMode; }
	// Stores `mode`; announces it through the controller's SetMode() only
	// when this state is the controller's top state.
			void				SetMode(nuv_mode mode);

protected:
	// Whether `character` is a printable ASCII character (0x20-0x7E).
	static	bool				IsPrintable(int32_t character)
									{ return character >= 0x20
										&& character <= 0x7E; }

	// The controller's Converter() for Mode(); owned by the controller side.
			NuvInteractiveConverter* Converter();
	// Appends `text` to the controller's confirmed buffer.
			void				Confirm(const std::string& text);
	// Learns `candidate` (InsertCandidate), then confirms its `candidate`
	// followed by its `okurigana`.
			void				Confirm(const nuv_candidate& candidate);

	// The controller's stack operations. After any of them this state may
	// have been deleted; return without touching members.
			void				ClearState(int depth);
			void				ClearState(NuvState* state);
			void				PushState(NuvState* state);
			void				PopState();

private:
	friend class NuvControler;

			NuvControler*		fControler;
			nuv_mode			fMode;
};

#endif	// NUV_STATE_H
