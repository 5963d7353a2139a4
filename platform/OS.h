// Threads, time and the debugger call of the stand-in kernel kit.
//
// Threads are POSIX threads with our own ids (positive, never reused) and a
// registry that a host can read (HeadlessDisplay::Threads). Priorities are
// recorded, not applied.
#ifndef _OS_H
#define _OS_H

#include <SupportDefs.h>

#define B_OS_NAME_LENGTH	32
#define B_INFINITE_TIMEOUT	(INT64_MAX)

enum {
	B_IDLE_PRIORITY = 0,
	B_LOWEST_ACTIVE_PRIORITY = 1,
	B_LOW_PRIORITY = 5,
	B_NORMAL_PRIORITY = 10,
	B_DISPLAY_PRIORITY = 15,
	B_URGENT_DISPLAY_PRIORITY = 20,
	B_REAL_TIME_DISPLAY_PRIORITY = 100,
	B_URGENT_PRIORITY = 110,
	B_REAL_TIME_PRIORITY = 120
};

typedef status_t (*thread_func)(void* data);

// Creates a suspended thread that will run func(data); the name is cut to
// B_OS_NAME_LENGTH - 1 bytes. Returns its id (> 0) or B_BAD_VALUE for a NULL
// func. Nothing runs until resume_thread.
thread_id spawn_thread(thread_func func, const char* name, int32 priority,
	void* data);

// Starts a thread made by spawn_thread. B_BAD_THREAD_ID for an unknown id,
// B_BAD_THREAD_STATE for one already started. A thread cleans up after
// itself when its function returns.
status_t resume_thread(thread_id thread);

// Waits until the thread has ended and stores what its function returned
// (a thread still suspended is resumed first). B_BAD_THREAD_ID for an unknown
// id.
status_t wait_for_thread(thread_id thread, status_t* returnValue);

// Ends the calling thread at once (its stack is unwound). Never returns.
void exit_thread(status_t returnValue);

// The calling thread's id when name is NULL (threads the kit did not start
// get an id on first use); otherwise the id of a live thread of that name, or
// B_NAME_NOT_FOUND.
thread_id find_thread(const char* name);

// Microseconds since an arbitrary fixed point (monotonic).
bigtime_t system_time();

// Sleeps for the given number of microseconds.
status_t snooze(bigtime_t microseconds);

// Reports a misuse of the kits on standard error and aborts the process.
void debugger(const char* message);

#endif	// _OS_H
