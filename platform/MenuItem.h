// One item of a menu: a label and the message it sends when chosen. The
// item owns its message; the menu that holds the item owns the item.
#ifndef _MENU_ITEM_H
#define _MENU_ITEM_H

#include <string>

#include <Messenger.h>
#include <SupportDefs.h>

class BMenu;
class BMessage;

class BMenuItem {
public:
	// Takes ownership of message (which may be NULL).
	BMenuItem(const char* label, BMessage* message, char shortcut = 0,
		uint32 modifiers = 0);
	virtual ~BMenuItem();

	virtual void SetLabel(const char* label);
	const char* Label() const;
	// Replaces (and deletes) the item's message.
	status_t SetMessage(BMessage* message);
	BMessage* Message() const;
	// The message's code, or 0 without one.
	uint32 Command() const;
	char Shortcut(uint32* modifiers = NULL) const;
	virtual void SetEnabled(bool enabled);
	bool IsEnabled() const;
	virtual void SetMarked(bool marked);
	bool IsMarked() const;
	BMenu* Menu() const;
	BMenu* Submenu() const;

	status_t SetTarget(BMessenger messenger);
	BMessenger Messenger() const;
	// Sends a copy of message, or of the item's message, to the target.
	virtual status_t Invoke(BMessage* message = NULL);

private:
	friend class BMenu;

	BMenuItem(const BMenuItem&);
	BMenuItem& operator=(const BMenuItem&);

	std::string		fLabel;
	BMessage*		fMessage;
	char			fShortcut;
	uint32			fModifiers;
	bool			fEnabled;
	bool			fMarked;
	BMenu*			fMenu;
	BMessenger		fTarget;
};

class BSeparatorItem : public BMenuItem {
public:
	BSeparatorItem();
	virtual ~BSeparatorItem();
};

#endif	// _MENU_ITEM_H
