// Anything that takes keys one at a time and produces confirmed text: the
// romaji automaton and the controller both implement this interface.
#ifndef NUV_INTERACTIVE_CONVERTER_H
#define NUV_INTERACTIVE_CONVERTER_H

#include <cstdint>
#include <string>

#include "NuvTypes.h"

class NuvInteractiveConverter {
public:
	virtual						~NuvInteractiveConverter() = 0;

	// Nothing pending.
	virtual	bool				IsEmpty() = 0;
	// Handles one key; returns INPUT_CONSUMED, INPUT_IGNORED or INPUT_AGAIN.
	virtual	int32_t				Input(nuv_input input) = 0;
	// Takes back the last step; INPUT_IGNORED when there is nothing to undo.
	virtual	int32_t				Undo() = 0;
	// Drops the pending work; INPUT_IGNORED when there is nothing to cancel.
	virtual	int32_t				Cancel() = 0;
	// Drops everything pending without confirming it.
	virtual	void				Clear() = 0;
	// The preedit text: what is not yet confirmed (EUC-JP).
	virtual	std::string			Pending() = 0;
	// Confirms whatever is pending. The base version does nothing.
	virtual	void				ForceConfirm();

	// Appends `text` to the confirmed buffer; it waits there until somebody
	// calls Confirmed().
			void				Confirm(const std::string& text);
	// Returns the confirmed buffer and leaves it empty.
			std::string			Confirmed();

private:
			std::string			fConfirmed;
};

#endif	// NUV_INTERACTIVE_CONVERTER_H
