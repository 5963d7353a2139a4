// An input-server add-on that sees input messages before applications do.
#ifndef _INPUT_SERVER_FILTER_H
#define _INPUT_SERVER_FILTER_H

#include <MessageFilter.h>
#include <SupportDefs.h>

class BList;
class BMessage;

class BInputServerFilter {
public:
	BInputServerFilter();
	virtual ~BInputServerFilter();

	// B_OK when the add-on is usable.
	virtual status_t InitCheck();
	// Called by the input server for each input message. B_SKIP_MESSAGE:
	// the server drops (and deletes) its message; B_DISPATCH_MESSAGE: it
	// goes on. outList is not used. The base passes everything on.
	virtual filter_result Filter(BMessage* message, BList* outList);
};

#endif	// _INPUT_SERVER_FILTER_H
