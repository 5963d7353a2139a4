// A menu: a title and an ordered list of items, which it owns.
#ifndef _MENU_H
#define _MENU_H

#include <vector>

#include <Messenger.h>
#include <View.h>

class BMenuItem;

enum menu_layout {
	B_ITEMS_IN_ROW = 0,
	B_ITEMS_IN_COLUMN = 1,
	B_ITEMS_IN_MATRIX = 2
};

class BMenu : public BView {
public:
	BMenu(const char* title, menu_layout layout = B_ITEMS_IN_COLUMN);
	// Deletes the items.
	virtual ~BMenu();

	// Takes ownership; false (ownership kept by the caller) for NULL, an
	// item already in a menu, or an index out of range.
	bool AddItem(BMenuItem* item);
	bool AddItem(BMenuItem* item, int32 index);
	bool AddSeparatorItem();
	// Hands the item back to the caller.
	BMenuItem* RemoveItem(int32 index);
	bool RemoveItem(BMenuItem* item);

	BMenuItem* ItemAt(int32 index) const;
	int32 CountItems() const;
	int32 IndexOf(BMenuItem* item) const;
	BMenuItem* FindItem(const char* label) const;
	BMenuItem* FindItem(uint32 command) const;
	menu_layout Layout() const;

	// Sets the target of every item.
	status_t SetTargetForItems(BMessenger messenger);

private:
	std::vector<BMenuItem*>		fItems;
	menu_layout					fLayout;
};

#endif	// _MENU_H
