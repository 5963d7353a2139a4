// What a filter decides about a message.
#ifndef _MESSAGE_FILTER_H
#define _MESSAGE_FILTER_H

enum filter_result {
	B_SKIP_MESSAGE = 0,		// drop the message (the filter's caller deletes it)
	B_DISPATCH_MESSAGE = 1	// pass it on
};

#endif	// _MESSAGE_FILTER_H
