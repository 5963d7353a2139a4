#include "Menu.h"

#include <algorithm>
#include <cstring>

#include "MenuItem.h"


BMenu::BMenu(const char* title, menu_layout layout)
	: BView(BRect(0, 0, 0, 0), title, B_FOLLOW_LEFT | B_FOLLOW_TOP,
		B_WILL_DRAW),
	  fLayout(layout)
{
}


BMenu::~BMenu()
{
	for (BMenuItem* item : fItems)
		delete item;
}


bool
BMenu::AddItem(BMenuItem* item)
{
	return AddItem(item, CountItems());
}


bool
BMenu::AddItem(BMenuItem* item, int32 index)
{
	if (item == NULL || item->fMenu != NULL || index < 0
		|| (size_t)index > fItems.size())
		return false;
	fItems.insert(fItems.begin() + index, item);
	item->fMenu = this;
	return true;
}


bool
BMenu::AddSeparatorItem()
{
	return AddItem(new BSeparatorItem);
}


BMenuItem*
BMenu::RemoveItem(int32 index)
{
	if (index < 0 || (size_t)index >= fItems.size())
		return NULL;
	BMenuItem* item = fItems[index];
	fItems.erase(fItems.begin() + index);
	item->fMenu = NULL;
	return item;
}


bool
BMenu::RemoveItem(BMenuItem* item)
{
	return RemoveItem(IndexOf(item)) != NULL;
}


BMenuItem*
BMenu::ItemAt(int32 index) const
{
	if (index < 0 || (size_t)index >= fItems.size())
		return NULL;
	return fItems[index];
}


int32
BMenu::CountItems() const
{
	return (int32)fItems.size();
}


int32
BMenu::IndexOf(BMenuItem* item) const
{
	std::vector<BMenuItem*>::const_iterator found
		= std::find(fItems.begin(), fItems.end(), item);
	return found == fItems.end() ? -1 : (int32)(found - fItems.begin());
}


BMenuItem*
BMenu::FindItem(const char* label) const
{
	for (BMenuItem* item : fItems) {
		if (label != NULL && strcmp(item->Label(), label) == 0)
			return item;
	}
	return NULL;
}


BMenuItem*
BMenu::FindItem(uint32 command) const
{
	for (BMenuItem* item : fItems) {
		if (item->Message() != NULL && item->Command() == command)
			return item;
	}
	return NULL;
}


menu_layout
BMenu::Layout() const
{
	return fLayout;
}


status_t
BMenu::SetTargetForItems(BMessenger messenger)
{
	for (BMenuItem* item : fItems)
		item->SetTarget(messenger);
	return B_OK;
}
