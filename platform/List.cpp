#include "List.h"

#include <algorithm>


BList::BList(int32 count)
{
	if (count > 0)
		fItems.reserve(count);
}


BList::BList(const BList& other)
	: fItems(other.fItems)
{
}


BList::~BList()
{
}


BList&
BList::operator=(const BList& other)
{
	fItems = other.fItems;
	return *this;
}


bool
BList::AddItem(void* item)
{
	fItems.push_back(item);
	return true;
}


bool
BList::AddItem(void* item, int32 index)
{
	if (index < 0 || (size_t)index > fItems.size())
		return false;
	fItems.insert(fItems.begin() + index, item);
	return true;
}


bool
BList::AddList(const BList* list)
{
	if (list == NULL)
		return false;
	fItems.insert(fItems.end(), list->fItems.begin(), list->fItems.end());
	return true;
}


bool
BList::RemoveItem(void* item)
{
	int32 index = IndexOf(item);
	if (index < 0)
		return false;
	fItems.erase(fItems.begin() + index);
	return true;
}


void*
BList::RemoveItem(int32 index)
{
	if (index < 0 || (size_t)index >= fItems.size())
		return NULL;
	void* item = fItems[index];
	fItems.erase(fItems.begin() + index);
	return item;
}


void
BList::MakeEmpty()
{
	fItems.clear();
}


void*
BList::ItemAt(int32 index) const
{
	if (index < 0 || (size_t)index >= fItems.size())
		return NULL;
	return fItems[index];
}


void*
BList::FirstItem() const
{
	return fItems.empty() ? NULL : fItems.front();
}


void*
BList::LastItem() const
{
	return fItems.empty() ? NULL : fItems.back();
}


void*
BList::Items() const
{
	return fItems.empty() ? NULL : const_cast<void**>(fItems.data());
}


bool
BList::HasItem(void* item) const
{
	return IndexOf(item) >= 0;
}


int32
BList::IndexOf(void* item) const
{
	std::vector<void*>::const_iterator found
		= std::find(fItems.begin(), fItems.end(), item);
	return found == fItems.end() ? -1 : (int32)(found - fItems.begin());
}


int32
BList::CountItems() const
{
	return (int32)fItems.size();
}


bool
BList::IsEmpty() const
{
	return fItems.empty();
}
