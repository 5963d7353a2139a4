#include "MenuItem.h"

#include "Message.h"


BMenuItem::BMenuItem(const char* label, BMessage* message, char shortcut,
	uint32 modifiers)
	: fLabel(label != NULL ? label : ""),
	  fMessage(message),
	  fShortcut(shortcut),
	  fModifiers(modifiers),
	  fEnabled(true),
	  fMarked(false),
	  fMenu(NULL)
{
}


BMenuItem::~BMenuItem()
{
	delete fMessage;
}


void
BMenuItem::SetLabel(const char* label)
{
	fLabel = label != NULL ? label : "";
}


const char*
BMenuItem::Label() const
{
	return fLabel.c_str();
}


status_t
BMenuItem::SetMessage(BMessage* message)
{
	if (message != fMessage) {
		delete fMessage;
		fMessage = message;
	}
	return B_OK;
}


BMessage*
BMenuItem::Message() const
{
	return fMessage;
}


uint32
BMenuItem::Command() const
{
	return fMessage != NULL ? fMessage->what : 0;
}


char
BMenuItem::Shortcut(uint32* modifiers) const
{
	if (modifiers != NULL)
		*modifiers = fModifiers;
	return fShortcut;
}


void
BMenuItem::SetEnabled(bool enabled)
{
	fEnabled = enabled;
}


bool
BMenuItem::IsEnabled() const
{
	return fEnabled;
}


void
BMenuItem::SetMarked(bool marked)
{
	fMarked = marked;
}


bool
BMenuItem::IsMarked() const
{
	return fMarked;
}


BMenu*
BMenuItem::Menu() const
{
	return fMenu;
}


BMenu*
BMenuItem::Submenu() const
{
	return NULL;
}


status_t
BMenuItem::SetTarget(BMessenger messenger)
{
	fTarget = messenger;
	return B_OK;
}


BMessenger
BMenuItem::Messenger() const
{
	return fTarget;
}


status_t
BMenuItem::Invoke(BMessage* message)
{
	BMessage* toSend = message != NULL ? message : fMessage;
	if (toSend == NULL)
		return B_BAD_VALUE;
	return fTarget.SendMessage(toSend);
}


BSeparatorItem::BSeparatorItem()
	: BMenuItem("", NULL)
{
	SetEnabled(false);
}


BSeparatorItem::~BSeparatorItem()
{
}
