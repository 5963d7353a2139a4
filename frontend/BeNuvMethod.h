// The input-method object that the input server asks the add-on for. It
// diverts key-down messages to the method's own message loop and forwards
// activation; everything else happens on that loop (BeNuvLooper.h).
//
// Threads: the input server's threads construct, call and destroy it.
#ifndef BE_NUV_METHOD_H
#define BE_NUV_METHOD_H

#include <InputServerMethod.h>

class BeNuvLooper;

class BeNuvMethod : public BInputServerMethod {
public:
	// Registers "NUV IM" with the method icon, builds the looper (which
	// loads the settings files: returns only after the load) and runs it.
								BeNuvMethod();
	// Quits the looper, which closes the palettes and writes the user
	// dictionary back.
	virtual						~BeNuvMethod();

	// Posts a copy of a key-down message to the looper and returns
	// B_SKIP_MESSAGE; any other message returns B_DISPATCH_MESSAGE
	// untouched. `outList` is not used.
	virtual	filter_result		Filter(BMessage* message, BList* outList);
	// What BeNuvLooper::MethodActivated() returns.
	virtual	status_t			MethodActivated(bool active);

	// The method's loop; owned by the method.
			BeNuvLooper*		Looper() const { return fLooper; }

	// The 16 x 16 icon, B_CMAP8, row by row (256 bytes).
	static	const uchar			kIcon[256];

private:
			BeNuvLooper*		fLooper;
};

// The add-on's entry point: a new BeNuvMethod, owned by the caller.
extern "C" __attribute__((visibility("default")))
BInputServerMethod* instantiate_input_method();

#endif	// BE_NUV_METHOD_H
