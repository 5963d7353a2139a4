#include "MethodHost.h"

#include <utility>

#include <dlfcn.h>

#include <AppDefs.h>
#include <Input.h>
#include <InputServerMethod.h>
#include <Menu.h>
#include <MenuItem.h>
#include <OS.h>


namespace {

const char* const kEntryPoint = "instantiate_input_method";
// How long a method may take to settle after one step (the first key may
// wait for a large dictionary to load).
const bigtime_t kSettleTimeout = 30000000;
const bigtime_t kWaitStep = 1000000;
// How long the method's threads may take to end once it is deleted.
const bigtime_t kThreadEndTimeout = 5000000;

// One location reply field per composed character.
const char* const kLocationField = "be:location_reply";
const char* const kHeightField = "be:height_reply";

// The method's start-up notice, which says nothing worth passing on.
const char* const kStartupNotice = "nuv wake up!";


bool
HasField(const BMessage* message, const char* name, int32 minimumCount)
{
	type_code type;
	int32 count = 0;
	return message->GetInfo(name, &type, &count) == B_OK
		&& count >= minimumCount;
}


// The bytes of a key message: its "byte" items, else its "bytes" string.
std::string
KeyBytes(const BMessage* message)
{
	type_code type;
	int32 count = 0;
	std::string bytes;
	if (message->GetInfo("byte", &type, &count) == B_OK) {
		for (int32 i = 0; i < count; i++) {
			int8 byte = 0;
			message->FindInt8("byte", i, &byte);
			bytes += static_cast<char>(byte);
		}
		return bytes;
	}
	message->FindString("bytes", &bytes);
	return bytes;
}

}	// namespace


MethodHost::MethodHost(ApplicationModel& application, Transcript* transcript)
	:
	fApplication(application),
	fTranscript(transcript),
	fModule(NULL),
	fMethod(NULL),
	fRecordDelivered(false),
	fLastNoticeSeen(0),
	fNoticeChangesSeen(0),
	fMenuShown(false),
	fLaunchesSeen(HeadlessDisplay::Launches().size())
{
	HeadlessDisplay::SetInputServer(this);
}


MethodHost::~MethodHost()
{
	Unload();
	HeadlessDisplay::SetInputServer(NULL);
	std::lock_guard<std::mutex> lock(fQueueLock);
	for (Handed& handed : fQueue)
		delete handed.message;
	fQueue.clear();
}


// #pragma mark - Loading


bool
MethodHost::Load(const std::string& path, std::string& error)
{
	void* module = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
	if (module == NULL) {
		const char* reason = dlerror();
		error = "cannot load the method module " + path
			+ (reason != NULL ? std::string(": ") + reason : std::string());
		return false;
	}
	instantiate_function instantiate = reinterpret_cast<instantiate_function>(
		dlsym(module, kEntryPoint));
	if (instantiate == NULL) {
		error = path + " does not export " + kEntryPoint;
		dlclose(module);
		return false;
	}
	fModule = module;
	if (!Instantiate(instantiate)) {
		error = kEntryPoint + std::string(" returned no method");
		Unload();
		return false;
	}
	return true;
}


bool
MethodHost::Instantiate(instantiate_function instantiate)
{
	fMethod = instantiate();
	return fMethod != NULL;
}


void
MethodHost::Unload()
{
	if (fMethod != NULL) {
		// Notices close when the method goes away: look once more first.
		_ReportNotices();
		delete fMethod;
		fMethod = NULL;
		_DeliverPending();
		_ReportLaunches();
	}
	if (fModule != NULL) {
		// A looper's thread may still be returning through the method's
		// code after its Quit() has returned; closing the module under it
		// would pull the code away. A module whose threads do not end is
		// left open.
		if (_WaitForThreads())
			dlclose(fModule);
		fModule = NULL;
	}
}


void
MethodHost::RecordDelivered(bool record)
{
	fRecordDelivered = record;
	if (!record)
		fDelivered.clear();
}


void
MethodHost::SetNoticeHandler(std::function<void(const std::string&)> handler)
{
	fNoticeHandler = std::move(handler);
}


void
MethodHost::SetPathAlias(const std::string& from, const std::string& to)
{
	fAliasFrom = from;
	fAliasTo = to;
}


// #pragma mark - Driving


BMessage*
MethodHost::MakeKeyMessage(const KeyStep& step)
{
	BMessage* message = new BMessage(B_KEY_DOWN);
	message->AddInt64("when", system_time());
	message->AddInt32("modifiers", step.modifiers);
	message->AddInt32("key", step.key);
	for (char byte : step.bytes)
		message->AddInt8("byte", static_cast<int8>(byte));
	message->AddString("bytes", step.bytes);
	// The character the key gives without Control: the letter itself.
	int32 raw = step.bytes.size() == 1
		? static_cast<uint8>(step.bytes[0]) : 0;
	if ((step.modifiers & B_CONTROL_KEY) != 0 && raw >= 1 && raw <= 26)
		raw += 'a' - 1;
	message->AddInt32("raw_char", raw);
	return message;
}


bool
MethodHost::Perform(const KeyStep& step, std::string* report)
{
	if (fTranscript != NULL)
		fTranscript->Key(step.token);

	switch (step.kind) {
		case KeyStep::KEY:
			SendKey(MakeKeyMessage(step));
			break;
		case KeyStep::ACTIVATE:
			Activate(true);
			break;
		case KeyStep::DEACTIVATE:
			Activate(false);
			break;
		case KeyStep::STOP:
			RequestStop();
			break;
		case KeyStep::HELP:
			ChooseMenuItem("Help");
			break;
		case KeyStep::WAIT:
			snooze(kWaitStep);
			break;
	}

	const bool settled = Settle(report);
	if (fTranscript != NULL)
		fTranscript->Screen(Windows());
	return settled;
}


void
MethodHost::SendKey(BMessage* message)
{
	if (fMethod == NULL || fMethod->Filter(message, NULL) != B_SKIP_MESSAGE) {
		// Not the method's: the key goes on to the application.
		_DeliverPassedKey(message);
		if (fRecordDelivered)
			fDelivered.push_back(*message);
	}
	delete message;
}


void
MethodHost::Activate(bool active)
{
	if (fMethod != NULL)
		fMethod->MethodActivated(active);
}


void
MethodHost::RequestStop()
{
	if (!fReplyTo.IsValid())
		return;
	BMessage stop(B_INPUT_METHOD_EVENT);
	stop.AddInt32("be:opcode", B_INPUT_METHOD_STOPPED);
	fReplyTo.SendMessage(&stop);
}


bool
MethodHost::ChooseMenuItem(const char* label)
{
	if (!fMenuShown)
		return false;
	for (size_t i = 0; i < fMenuLabels.size(); i++) {
		if (fMenuLabels[i] == label) {
			BMessage copy(fMenuMessages[i]);
			fMenuTarget.SendMessage(&copy);
			return true;
		}
	}
	return false;
}


bool
MethodHost::Settle(std::string* report, int64_t timeoutMicros)
{
	const bigtime_t deadline = system_time()
		+ (timeoutMicros < 0 ? kSettleTimeout : timeoutMicros);
	// Deliveries may post replies (location answers), which keep the
	// method busy again: repeat until it is idle with nothing handed over.
	while (true) {
		std::string busy;
		const bigtime_t left = deadline - system_time();
		if (HeadlessDisplay::WaitForIdle(left > 0 ? left : 0, &busy)
				!= B_OK) {
			if (report != NULL)
				*report = busy;
			return false;
		}
		_ReportLaunches();
		if (!_DeliverPending()) {
			_ReportNotices();
			return true;
		}
	}
}


std::vector<WindowRecord>
MethodHost::Windows()
{
	std::vector<WindowRecord> records;
	for (const headless_window_info& info : HeadlessDisplay::Windows()) {
		WindowRecord record;
		record.title = info.title;
		record.visible = !info.hidden;
		record.frame[0] = info.frame.left;
		record.frame[1] = info.frame.top;
		record.frame[2] = info.frame.right;
		record.frame[3] = info.frame.bottom;
		record.lines = info.texts;
		records.push_back(record);
	}
	return records;
}


// #pragma mark - HeadlessInputServer


// Nothing shows the method's name or icon, so neither is kept.
void
MethodHost::MethodNamed(BInputServerMethod*, const char*, const uchar*)
{
}


status_t
MethodHost::EnqueueMessage(BInputServerMethod*, BMessage* message)
{
	Handed handed;
	handed.message = message;
	handed.menuShown = false;
	std::lock_guard<std::mutex> lock(fQueueLock);
	fQueue.push_back(std::move(handed));
	return B_OK;
}


status_t
MethodHost::SetMenu(BInputServerMethod*, const BMenu* menu,
	const BMessenger& target)
{
	// The method keeps its menu: copy what the server shows now.
	Handed handed;
	handed.message = NULL;
	handed.menuShown = menu != NULL;
	handed.target = target;
	if (menu != NULL) {
		for (int32 i = 0; i < menu->CountItems(); i++) {
			const BMenuItem* item = menu->ItemAt(i);
			handed.labels.push_back(item->Label() != NULL ? item->Label() : "");
			handed.itemMessages.push_back(item->Message() != NULL
				? *item->Message() : BMessage());
		}
	}
	std::lock_guard<std::mutex> lock(fQueueLock);
	fQueue.push_back(std::move(handed));
	return B_OK;
}


// #pragma mark - private


bool
MethodHost::_DeliverPending()
{
	std::deque<Handed> pending;
	{
		std::lock_guard<std::mutex> lock(fQueueLock);
		pending.swap(fQueue);
	}
	for (Handed& handed : pending) {
		if (handed.message == NULL)
			_ApplyMenu(handed);
		else {
			_Deliver(handed.message);
			delete handed.message;
			handed.message = NULL;
		}
	}
	return !pending.empty();
}


void
MethodHost::_Deliver(BMessage* message)
{
	if (fRecordDelivered)
		fDelivered.push_back(*message);
	if (message->what == B_INPUT_METHOD_EVENT)
		_DeliverInputMethodEvent(message);
	else if (message->what == B_KEY_DOWN)
		_DeliverPassedKey(message);
}


void
MethodHost::_DeliverInputMethodEvent(BMessage* message)
{
	int32 opcode = -1;
	if (message->FindInt32("be:opcode", &opcode) != B_OK)
		return;

	switch (opcode) {
		case B_INPUT_METHOD_STARTED:
			message->FindMessenger("be:reply_to", &fReplyTo);
			fApplication.Started();
			if (fTranscript != NULL)
				fTranscript->Im("started");
			break;
		case B_INPUT_METHOD_STOPPED:
			fApplication.Stopped();
			if (fTranscript != NULL)
				fTranscript->Im("stopped");
			break;
		case B_INPUT_METHOD_CHANGED:
		{
			ChangedRecord changed;
			message->FindString("be:string", &changed.text);
			message->FindBool("be:confirmed", &changed.confirmed);
			changed.hasClause = HasField(message, "be:clause_start", 1)
				&& HasField(message, "be:clause_end", 1);
			message->FindInt32("be:clause_start", &changed.clauseStart);
			message->FindInt32("be:clause_end", &changed.clauseEnd);
			changed.hasSelection = HasField(message, "be:selection", 2);
			message->FindInt32("be:selection", 0, &changed.selectionStart);
			message->FindInt32("be:selection", 1, &changed.selectionEnd);
			fApplication.Changed(changed.text, changed.confirmed);
			if (fTranscript != NULL)
				fTranscript->Changed(changed);
			break;
		}
		case B_INPUT_METHOD_LOCATION_REQUEST:
			if (fTranscript != NULL)
				fTranscript->Im("location_request");
			_ReplyToLocationRequest(message);
			break;
		default:
			break;
	}
}


void
MethodHost::_ReplyToLocationRequest(BMessage* request)
{
	BMessenger replyTo;
	if (request->FindMessenger("be:reply_to", &replyTo) != B_OK)
		replyTo = fReplyTo;

	const std::vector<TextLocation> locations
		= fApplication.ComposedLocations();
	BMessage reply(B_INPUT_METHOD_EVENT);
	reply.AddInt32("be:opcode", B_INPUT_METHOD_LOCATION_REQUEST);
	for (const TextLocation& location : locations) {
		reply.AddPoint(kLocationField, BPoint(location.x, location.y));
		reply.AddFloat(kHeightField, location.height);
	}
	if (fTranscript != NULL)
		fTranscript->LocationReply(locations);
	if (replyTo.IsValid())
		replyTo.SendMessage(&reply);
}


void
MethodHost::_DeliverPassedKey(BMessage* message)
{
	int32 key = 0;
	int32 modifiers = 0;
	message->FindInt32("key", &key);
	message->FindInt32("modifiers", &modifiers);
	const std::string bytes = KeyBytes(message);
	fApplication.KeyPassed(bytes);
	if (fTranscript != NULL)
		fTranscript->Passed(bytes, key, modifiers);
}


void
MethodHost::_ApplyMenu(const Handed& handed)
{
	fMenuShown = handed.menuShown;
	fMenuLabels = handed.labels;
	fMenuMessages = handed.itemMessages;
	fMenuTarget = handed.target;
	if (fTranscript != NULL)
		fTranscript->Menu(fMenuShown, fMenuLabels);
}


bool
MethodHost::_WaitForThreads()
{
	const bigtime_t deadline = system_time() + kThreadEndTimeout;
	while (true) {
		bool running = false;
		for (const headless_thread_info& thread : HeadlessDisplay::Threads())
			running = running || (thread.started && !thread.finished);
		if (!running)
			return true;
		if (system_time() >= deadline)
			return false;
		snooze(1000);
	}
}


void
MethodHost::_ReportNotices()
{
	if (!fNoticeHandler)
		return;
	// Taking the window list wakes every window's thread: most keys change
	// no window, and then there is nothing to look at.
	const uint64 changes = HeadlessDisplay::ChangeCount();
	if (changes == fNoticeChangesSeen)
		return;
	fNoticeChangesSeen = changes;
	// Notice windows float with the bordered look, which no palette has.
	// Only their numbers are kept, so watching costs no memory per key.
	for (const headless_window_info& info : HeadlessDisplay::Windows()) {
		if (info.serial <= fLastNoticeSeen || info.hidden
			|| info.look != B_BORDERED_WINDOW_LOOK
			|| info.feel != B_FLOATING_ALL_WINDOW_FEEL)
			continue;
		fLastNoticeSeen = info.serial;
		if (info.title != kStartupNotice)
			fNoticeHandler(info.title);
	}
}


void
MethodHost::_ReportLaunches()
{
	// Launches are few (the help page), but the list is the kit's and
	// only grows: look at the new ones alone.
	const std::vector<headless_launch_info> launches
		= HeadlessDisplay::Launches();
	for (; fLaunchesSeen < launches.size(); fLaunchesSeen++) {
		if (fTranscript == NULL)
			continue;
		std::vector<std::string> arguments
			= launches[fLaunchesSeen].arguments;
		for (std::string& argument : arguments) {
			if (!fAliasFrom.empty()
				&& argument.compare(0, fAliasFrom.size(), fAliasFrom) == 0)
				argument.replace(0, fAliasFrom.size(), fAliasTo);
		}
		fTranscript->Launch(launches[fLaunchesSeen].signature, arguments);
	}
}
