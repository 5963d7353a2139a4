#include "OS.h"

#include <pthread.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <memory>
#include <mutex>
#include <thread>

#include "KitPrivate.h"

// Thread ids come from one counter shared by the threads the kit starts and
// the threads it meets (the main thread, a test's threads), which get theirs
// the first time they ask. Records of ended threads are kept so that a host
// can see that a thread has run and ended.

namespace {

enum ThreadState {
	kSuspended,
	kRunning,
	kFinished
};

struct ThreadRecord {
	thread_id		id;
	std::string		name;
	int32			priority;
	thread_func		function;
	void*			data;
	ThreadState		state;
	status_t		result;
};

struct ThreadTable {
	std::mutex													lock;
	std::condition_variable										ended;
	std::map<thread_id, std::shared_ptr<ThreadRecord> >		records;
};

ThreadTable&
Table()
{
	// Never destroyed: kit threads may still run while the process exits.
	static ThreadTable* table = new ThreadTable;
	return *table;
}

std::atomic<int32> sNextThreadId(1);
thread_local thread_id tCurrentThread = -1;
thread_local status_t tExitStatus = B_OK;


// Marks the record ended however the thread leaves: by returning or by
// exit_thread, whose unwinding runs this destructor.
class EndMarker {
public:
	EndMarker(const std::shared_ptr<ThreadRecord>& record)
		: fRecord(record) {}
	~EndMarker()
	{
		ThreadTable& table = Table();
		std::lock_guard<std::mutex> lock(table.lock);
		fRecord->state = kFinished;
		fRecord->result = tExitStatus;
		table.ended.notify_all();
	}

private:
	std::shared_ptr<ThreadRecord>	fRecord;
};


void*
ThreadEntry(void* argument)
{
	std::shared_ptr<ThreadRecord> record;
	{
		std::unique_ptr<std::shared_ptr<ThreadRecord> > holder(
			static_cast<std::shared_ptr<ThreadRecord>*>(argument));
		record = *holder;
	}
	tCurrentThread = record->id;
	EndMarker marker(record);
	tExitStatus = record->function(record->data);
	return NULL;
}

}	// namespace


thread_id
spawn_thread(thread_func function, const char* name, int32 priority,
	void* data)
{
	if (function == NULL)
		return B_BAD_VALUE;

	std::shared_ptr<ThreadRecord> record(new ThreadRecord);
	record->id = sNextThreadId++;
	record->name = name != NULL ? name : "";
	if (record->name.size() > B_OS_NAME_LENGTH - 1)
		record->name.resize(B_OS_NAME_LENGTH - 1);
	record->priority = priority;
	record->function = function;
	record->data = data;
	record->state = kSuspended;
	record->result = B_OK;

	ThreadTable& table = Table();
	std::lock_guard<std::mutex> lock(table.lock);
	table.records[record->id] = record;
	return record->id;
}


status_t
resume_thread(thread_id thread)
{
	ThreadTable& table = Table();
	std::shared_ptr<ThreadRecord> record;
	{
		std::lock_guard<std::mutex> lock(table.lock);
		std::map<thread_id, std::shared_ptr<ThreadRecord> >::iterator found
			= table.records.find(thread);
		if (found == table.records.end())
			return B_BAD_THREAD_ID;
		record = found->second;
		if (record->state != kSuspended)
			return B_BAD_THREAD_STATE;
		record->state = kRunning;
	}

	pthread_attr_t attributes;
	pthread_attr_init(&attributes);
	pthread_attr_setdetachstate(&attributes, PTHREAD_CREATE_DETACHED);
	pthread_t handle;
	std::shared_ptr<ThreadRecord>* holder
		= new std::shared_ptr<ThreadRecord>(record);
	int error = pthread_create(&handle, &attributes, ThreadEntry, holder);
	pthread_attr_destroy(&attributes);
	if (error != 0) {
		delete holder;
		std::lock_guard<std::mutex> lock(table.lock);
		record->state = kSuspended;
		return B_NO_MORE_THREADS;
	}
	return B_OK;
}


status_t
wait_for_thread(thread_id thread, status_t* returnValue)
{
	ThreadTable& table = Table();
	std::shared_ptr<ThreadRecord> record;
	bool resume = false;
	{
		std::lock_guard<std::mutex> lock(table.lock);
		std::map<thread_id, std::shared_ptr<ThreadRecord> >::iterator found
			= table.records.find(thread);
		if (found == table.records.end())
			return B_BAD_THREAD_ID;
		record = found->second;
		resume = record->state == kSuspended;
	}
	if (resume)
		resume_thread(thread);

	std::unique_lock<std::mutex> lock(table.lock);
	table.ended.wait(lock, [&record] { return record->state == kFinished; });
	if (returnValue != NULL)
		*returnValue = record->result;
	return B_OK;
}


void
exit_thread(status_t returnValue)
{
	tExitStatus = returnValue;
	pthread_exit(NULL);
}


thread_id
find_thread(const char* name)
{
	if (name == NULL) {
		if (tCurrentThread < 0)
			tCurrentThread = sNextThreadId++;
		return tCurrentThread;
	}

	ThreadTable& table = Table();
	std::lock_guard<std::mutex> lock(table.lock);
	for (const auto& entry : table.records) {
		if (entry.second->state == kRunning && entry.second->name == name)
			return entry.first;
	}
	return B_NAME_NOT_FOUND;
}


bigtime_t
system_time()
{
	return std::chrono::duration_cast<std::chrono::microseconds>(
		std::chrono::steady_clock::now().time_since_epoch()).count();
}


status_t
snooze(bigtime_t microseconds)
{
	if (microseconds > 0)
		std::this_thread::sleep_for(std::chrono::microseconds(microseconds));
	return B_OK;
}


void
debugger(const char* message)
{
	fprintf(stderr, "debugger() called: %s\n", message != NULL ? message : "");
	fflush(stderr);
	abort();
}


// #pragma mark - Host view of the threads


std::vector<headless_thread_info>
BPrivate::ThreadInfos()
{
	std::vector<headless_thread_info> infos;
	ThreadTable& table = Table();
	std::lock_guard<std::mutex> lock(table.lock);
	for (const auto& entry : table.records) {
		const ThreadRecord& record = *entry.second;
		headless_thread_info info;
		info.id = record.id;
		info.name = record.name;
		info.priority = record.priority;
		info.started = record.state != kSuspended;
		info.finished = record.state == kFinished;
		infos.push_back(info);
	}
	return infos;
}
