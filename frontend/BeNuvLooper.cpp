#include "BeNuvLooper.h"

#include <Autolock.h>
#include <Input.h>
#include <InputServerMethod.h>
#include <InterfaceDefs.h>
#include <Menu.h>
#include <MenuItem.h>
#include <Message.h>
#include <Messenger.h>
#include <Roster.h>

#include "BeNuvControler.h"
#include "BeNuvUtils.h"
#include "NuvUtils.h"


namespace {

const char* const kLooperName = "NUV Input Method Looper";
const int32 kLooperPortCapacity = 100;
const char* const kMenuTitle = "nuvIM menu";
const char* const kHelpLabel = "Help";
const uint32 kHelpMessage = 0;
const char* const kBrowserSignature = "application/x-vnd.Be-NPOS";
const char* const kHelpPage = "help/index.html";

// A key the engine keeps answering INPUT_AGAIN is handled at most this many
// times. Every repetition must change the engine's stack, so a correct
// engine stops long before; the bound keeps a faulty one from holding the
// looper, and with it the input server, for ever.
const int32 kMaxRepetitions = 1000;

}	// namespace


BeNuvLooper::BeNuvLooper(BInputServerMethod* method)
	:
	BLooper(kLooperName, B_NORMAL_PRIORITY, kLooperPortCapacity),
	fMethod(method),
	fControler(NULL),
	fTransactionOpen(false),
	fMenu(NULL)
{
	// The resources, a member, are loading by now; the controller's first
	// state waits for them.
	fControler = new BeNuvControler(this);

	fMenu = new BMenu(kMenuTitle, B_ITEMS_IN_COLUMN);
	fMenu->AddItem(new BMenuItem(kHelpLabel, new BMessage(kHelpMessage)));
}


BeNuvLooper::~BeNuvLooper()
{
	delete fControler;
	fControler = NULL;
	delete fMenu;
	fMenu = NULL;
}


void
BeNuvLooper::MessageReceived(BMessage* message)
{
	switch (message->what) {
		case B_INPUT_METHOD_EVENT:
		{
			int32 opcode = 0;
			message->FindInt32("be:opcode", &opcode);
			if (opcode == B_INPUT_METHOD_STOPPED)
				HandleInputMethodStopped();
			else if (opcode == B_INPUT_METHOD_LOCATION_REQUEST)
				HandleInputMethodLocationRequest(message);
			break;
		}
		case kHelpMessage:
			HandleLaunchHelp();
			break;
		case B_KEY_DOWN:
			HandleKeyDown(message);
			break;
		default:
			BLooper::MessageReceived(message);
			break;
	}
	// Hands what the message taught the user dictionary to its saver, off
	// the key path.
	fResources.MessageHandled();
}


status_t
BeNuvLooper::MethodActivated(bool active)
{
	BAutolock lock(this);
	if (!lock.IsLocked())
		return B_OK;

	fControler->MethodActivated(active);
	fMethod->SetMenu(active ? fMenu : NULL, BMessenger(this));
	if (!active) {
		Clear();
		fResources.SaveSoon();
	}
	return B_OK;
}


void
BeNuvLooper::EnqueueMessage(BMessage* message)
{
	fMethod->EnqueueMessage(message);
}


int32
BeNuvLooper::CountTargetLocations() const
{
	return static_cast<int32>(fTargetLocations.size());
}


BPoint
BeNuvLooper::TargetLocation(int index) const
{
	if (index < 0 || static_cast<size_t>(index) >= fTargetLocations.size())
		return BPoint(0, 0);
	return fTargetLocations[index];
}


float
BeNuvLooper::TargetHeight(int index) const
{
	if (index < 0 || static_cast<size_t>(index) >= fTargetHeights.size())
		return 0;
	return fTargetHeights[index];
}


// #pragma mark - Key path


void
BeNuvLooper::HandleKeyDown(BMessage* message)
{
	int32 modifiers = 0;
	message->FindInt32("modifiers", &modifiers);
	if ((modifiers & (B_COMMAND_KEY | B_OPTION_KEY)) != 0) {
		// Shortcuts belong to the application.
		_PassThrough(message);
		return;
	}

	const nuv_input input = KeyInput(message);
	for (int32 round = 0; round < kMaxRepetitions; round++) {
		const int32 result = fControler->Input(input);
		_SendEvents();
		if (result == INPUT_IGNORED) {
			if (fControler->IsEmpty())
				_PassThrough(message);
			return;
		}
		if (result != INPUT_AGAIN)
			return;
		// The state acted and left the key to whatever state is on top now.
	}
}


nuv_input
BeNuvLooper::KeyInput(const BMessage* message)
{
	int32 key = 0;
	message->FindInt32("key", &key);

	type_code type;
	int32 count = 0;
	if (message->GetInfo("byte", &type, &count) != B_OK)
		count = 0;

	int32 character = 0;
	const int32 bytes = count < 3 ? count : 3;
	for (int32 i = 0; i < bytes; i++) {
		int8 byte = 0;
		message->FindInt8("byte", i, &byte);
		character |= static_cast<int32>(static_cast<uint8>(byte)) << (8 * i);
	}
	return nuv_input(character, key);
}


BMessage*
BeNuvLooper::GenerateEvent(int32 opcode)
{
	BMessage* event = new BMessage(B_INPUT_METHOD_EVENT);
	event->AddInt32("be:opcode", opcode);
	event->AddMessenger("be:reply_to", BMessenger(this));
	return event;
}


BMessage*
BeNuvLooper::GenerateChangedEvent(const std::string& text, bool confirmed)
{
	const int32 length = static_cast<int32>(text.size());
	BMessage* event = GenerateEvent(B_INPUT_METHOD_CHANGED);
	event->AddString("be:string", text.c_str());
	event->AddBool("be:confirmed", confirmed);
	event->AddInt32("be:clause_start", 0);
	event->AddInt32("be:clause_end", length);
	event->AddInt32("be:selection", length);
	event->AddInt32("be:selection", length);
	return event;
}


void
BeNuvLooper::Clear()
{
	fControler->Clear();
	if (fTransactionOpen) {
		EnqueueMessage(_GenerateClosingEvent());
		EnqueueMessage(GenerateEvent(B_INPUT_METHOD_STOPPED));
		fTransactionOpen = false;
	}
}


// #pragma mark - private


void
BeNuvLooper::HandleInputMethodStopped()
{
	Clear();
}


void
BeNuvLooper::HandleInputMethodLocationRequest(BMessage* message)
{
	fTargetLocations.clear();
	fTargetHeights.clear();

	type_code type;
	int32 count = 0;
	if (message->GetInfo("be:location_reply", &type, &count) != B_OK)
		return;
	for (int32 i = 0; i < count; i++) {
		BPoint location;
		float height = 0;
		message->FindPoint("be:location_reply", i, &location);
		message->FindFloat("be:height_reply", i, &height);
		fTargetLocations.push_back(location);
		fTargetHeights.push_back(height);
	}
}


void
BeNuvLooper::HandleLaunchHelp()
{
	// The help page lies in the settings directory; on the platform this is
	// /boot/home/config/settings/nuvim_settings/help/index.html.
	const std::string page = fResources.Directory() + kHelpPage;
	char* argv[] = {const_cast<char*>(page.c_str())};
	be_roster->Launch(kBrowserSignature, 1, argv);
}


void
BeNuvLooper::_SendEvents()
{
	const std::string confirmed
		= BeNuvUtils::ConvertEucToUtf8(fControler->Confirmed());
	const std::string composing = BeNuvUtils::ConvertEucToUtf8(
		NuvUtils::ConvertToPrintable(fControler->Pending()));

	if (!fTransactionOpen && (!confirmed.empty() || !composing.empty())) {
		EnqueueMessage(GenerateEvent(B_INPUT_METHOD_STARTED));
		fTransactionOpen = true;
	}
	if (!confirmed.empty())
		EnqueueMessage(GenerateChangedEvent(confirmed, true));
	if (!composing.empty()) {
		EnqueueMessage(GenerateChangedEvent(composing, false));
		// The reply lets the palettes stand at the composed text.
		EnqueueMessage(GenerateEvent(B_INPUT_METHOD_LOCATION_REQUEST));
	} else if (fTransactionOpen) {
		if (confirmed.empty())
			EnqueueMessage(_GenerateClosingEvent());
		EnqueueMessage(GenerateEvent(B_INPUT_METHOD_STOPPED));
		fTransactionOpen = false;
	}
}


BMessage*
BeNuvLooper::_GenerateClosingEvent()
{
	// Removes the composed text from the application without leaving any.
	BMessage* closing = GenerateEvent(B_INPUT_METHOD_CHANGED);
	closing->AddString("be:string", "");
	closing->AddBool("be:confirmed", true);
	return closing;
}


void
BeNuvLooper::_PassThrough(BMessage* message)
{
	// The message being dispatched is handed over as it is; called from
	// outside the loop, a copy goes instead.
	BMessage* passed = CurrentMessage() == message
		? DetachCurrentMessage() : new BMessage(*message);
	EnqueueMessage(passed);
}
