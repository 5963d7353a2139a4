// The abstract base of the reading buffers: it holds the reading being built
// and owns the step from a finished reading to conversion.
#ifndef NUV_BUFFER_STATE_H
#define NUV_BUFFER_STATE_H

#include "NuvContract.h"
#include "NuvState.h"

class NuvBufferState : public virtual NuvState {
public:
	// An empty buffer record. The most derived class constructs the NuvState
	// part.
								NuvBufferState();
	virtual						~NuvBufferState() = 0;

	// Always false: while a reading buffer is on top the controller is never
	// empty, so keys it does not use are swallowed, not passed on.
	virtual	bool				IsEmpty();

	// Looks the buffer record up through the controller and pushes a
	// conversion state holding the candidates, or, when there is none, a
	// registration state for the reading. This state stays below, unchanged.
			void				FindCandidates();

protected:
	// `reading`, `okurigana` and `okuri` filled by the subclass; `candidate`
	// stays empty.
			nuv_candidate		fBuffer;
};

#endif	// NUV_BUFFER_STATE_H
