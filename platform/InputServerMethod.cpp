#include "InputServerMethod.h"

#include <cstring>

#include "HeadlessDisplay.h"
#include "Message.h"


BInputServerMethod::BInputServerMethod(const char* name, const uchar* icon)
	: fHasIcon(false)
{
	fName[0] = '\0';
	if (name != NULL)
		strncat(fName, name, sizeof(fName) - 1);
	if (icon != NULL) {
		memcpy(fIcon, icon, sizeof(fIcon));
		fHasIcon = true;
	}
	_Announce();
}


BInputServerMethod::~BInputServerMethod()
{
	HeadlessInputServer* server = HeadlessDisplay::InputServer();
	if (server != NULL)
		server->MethodDeleted(this);
}


status_t
BInputServerMethod::MethodActivated(bool)
{
	return B_OK;
}


status_t
BInputServerMethod::EnqueueMessage(BMessage* message)
{
	if (message == NULL)
		return B_BAD_VALUE;
	HeadlessInputServer* server = HeadlessDisplay::InputServer();
	if (server == NULL) {
		delete message;
		return B_NO_INIT;
	}
	return server->EnqueueMessage(this, message);
}


status_t
BInputServerMethod::SetName(const char* name)
{
	fName[0] = '\0';
	if (name != NULL)
		strncat(fName, name, sizeof(fName) - 1);
	_Announce();
	return B_OK;
}


status_t
BInputServerMethod::SetIcon(const uchar* icon)
{
	fHasIcon = icon != NULL;
	if (icon != NULL)
		memcpy(fIcon, icon, sizeof(fIcon));
	_Announce();
	return B_OK;
}


status_t
BInputServerMethod::SetMenu(const BMenu* menu, const BMessenger target)
{
	HeadlessInputServer* server = HeadlessDisplay::InputServer();
	if (server == NULL)
		return B_NO_INIT;
	return server->SetMenu(this, menu, target);
}


void
BInputServerMethod::_Announce()
{
	HeadlessInputServer* server = HeadlessDisplay::InputServer();
	if (server != NULL)
		server->MethodNamed(this, fName, fHasIcon ? fIcon : NULL);
}
