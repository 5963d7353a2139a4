// Basic types of the stand-in kits.
//
// The sized integers are fixed width (int32 stays 32 bits on 64-bit hosts);
// the status codes come from Errors.h.
#ifndef _SUPPORT_DEFS_H
#define _SUPPORT_DEFS_H

#include <cstddef>
#include <cstdint>
#include <sys/types.h>

#include <Errors.h>

typedef int8_t			int8;
typedef uint8_t			uint8;
typedef int16_t			int16;
typedef uint16_t		uint16;
typedef int32_t			int32;
typedef uint32_t		uint32;
typedef int64_t			int64;
typedef uint64_t		uint64;

typedef unsigned char	uchar;
typedef unsigned short	unichar;

typedef int32			status_t;
typedef int64			bigtime_t;
typedef int64			nanotime_t;
typedef uint32			type_code;
typedef uint32			perform_code;
typedef int32			thread_id;
typedef int32			team_id;
typedef int32			area_id;
typedef int32			port_id;
typedef int32			sem_id;
typedef int32			image_id;

#ifndef _EXPORT
#	define _EXPORT	__attribute__((visibility("default")))
#endif
#ifndef _IMPORT
#	define _IMPORT
#endif

#ifndef min_c
#	define min_c(a, b)	((a) > (b) ? (b) : (a))
#endif
#ifndef max_c
#	define max_c(a, b)	((a) > (b) ? (a) : (b))
#endif

#endif	// _SUPPORT_DEFS_H
