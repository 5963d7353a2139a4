// An ordered list of untyped pointers; it never owns what they point to.
// Not synchronised: the owner serialises access.
#ifndef _BE_LIST_H
#define _BE_LIST_H

#include <vector>

#include <SupportDefs.h>

class BList {
public:
	BList(int32 count = 20);
	BList(const BList& other);
	virtual ~BList();

	BList& operator=(const BList& other);

	// Adding and removing. AddItem at an index past the end fails (false).
	bool AddItem(void* item);
	bool AddItem(void* item, int32 index);
	bool AddList(const BList* list);
	bool RemoveItem(void* item);
	void* RemoveItem(int32 index);
	void MakeEmpty();

	// Reading: NULL for an index out of range.
	void* ItemAt(int32 index) const;
	void* FirstItem() const;
	void* LastItem() const;
	void* Items() const;
	bool HasItem(void* item) const;
	int32 IndexOf(void* item) const;
	int32 CountItems() const;
	bool IsEmpty() const;

private:
	std::vector<void*>	fItems;
};

#endif	// _BE_LIST_H
