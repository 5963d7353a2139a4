// The input-method event protocol: the int32 field "be:opcode" of a
// B_INPUT_METHOD_EVENT message.
#ifndef _INPUT_H
#define _INPUT_H

#include <AppDefs.h>

enum input_method_op {
	B_INPUT_METHOD_STARTED = 0,
	B_INPUT_METHOD_STOPPED = 1,
	B_INPUT_METHOD_CHANGED = 2,
	B_INPUT_METHOD_LOCATION_REQUEST = 3
};

#endif	// _INPUT_H
