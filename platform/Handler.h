// Something that messages can be dispatched to. Loopers and views are
// handlers; a handler belongs to at most one looper.
#ifndef _HANDLER_H
#define _HANDLER_H

#include <string>

#include <SupportDefs.h>

class BLooper;
class BMessage;

class BHandler {
public:
	BHandler(const char* name = NULL);
	virtual ~BHandler();

	// Called on the looper's thread, with the looper locked, for each message
	// dispatched to this handler. The base ignores every message.
	virtual void MessageReceived(BMessage* message);

	// The looper this handler belongs to, or NULL.
	BLooper* Looper() const;

	void SetName(const char* name);
	// Never NULL; "" when the handler has no name.
	const char* Name() const;

	// Lock and unlock the handler's looper; false when it has none or it is
	// gone.
	bool LockLooper();
	void UnlockLooper();

protected:
	friend class BLooper;
	friend class BWindow;
	friend class BView;

	BLooper*		fOwnerLooper;

private:
	BHandler(const BHandler&);
	BHandler& operator=(const BHandler&);

	std::string		fName;
};

#endif	// _HANDLER_H
