// An input method: an input-server filter that can also send
// input-method events to the focused application and publish a menu.
//
// Add-ons export `extern "C" BInputServerMethod* instantiate_input_method()`;
// the input server (the host's HeadlessInputServer) owns what it returns.
#ifndef _INPUT_SERVER_METHOD_H
#define _INPUT_SERVER_METHOD_H

#include <InputServerFilter.h>
#include <Messenger.h>

class BMenu;
class BMessage;

class BInputServerMethod : public BInputServerFilter {
public:
	// icon: 16 x 16 pixels of B_CMAP8, 256 bytes, copied; may be NULL.
	BInputServerMethod(const char* name, const uchar* icon);
	virtual ~BInputServerMethod();

	// Called by the input server when the method becomes (or stops being)
	// the active one. The base returns B_OK.
	virtual status_t MethodActivated(bool active);

	// Hands message to the input server, which owns it from here on and
	// delivers it to the focused application in order. B_NO_INIT (message
	// deleted) when no input server is installed. Any thread.
	status_t EnqueueMessage(BMessage* message);

	status_t SetName(const char* name);
	status_t SetIcon(const uchar* icon);
	// Publishes menu (NULL withdraws it); the caller keeps the menu. Items
	// chosen send their message to target.
	status_t SetMenu(const BMenu* menu, const BMessenger target);

private:
	BInputServerMethod(const BInputServerMethod&);
	BInputServerMethod& operator=(const BInputServerMethod&);

	void _Announce();

	char	fName[64];
	uchar	fIcon[256];
	bool	fHasIcon;
};

#endif	// _INPUT_SERVER_METHOD_H
