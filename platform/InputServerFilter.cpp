#include "InputServerFilter.h"


BInputServerFilter::BInputServerFilter()
{
}


BInputServerFilter::~BInputServerFilter()
{
}


status_t
BInputServerFilter::InitCheck()
{
	return B_OK;
}


filter_result
BInputServerFilter::Filter(BMessage*, BList*)
{
	return B_DISPATCH_MESSAGE;
}
