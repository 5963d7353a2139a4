// The key path and dispatch of the method's looper, driven as the input
// server drives it, with the messages the application receives recorded.
#include "MethodFixture.h"

#include <AppDefs.h>
#include <Autolock.h>
#include <Input.h>
#include <InterfaceDefs.h>
#include <Message.h>
#include <Messenger.h>

#include "BeNuvLooper.h"
#include "KeyScript.h"


using testing::ElementsAre;
using testing::IsEmpty;


namespace {

// The field names of `message`, in order, one per item.
std::vector<std::string>
FieldItems(const BMessage& message)
{
	std::vector<std::string> items;
	char* name;
	type_code type;
	int32 count;
	for (int32 i = 0; message.GetInfo(B_ANY_TYPE, i, &name, &type, &count)
			== B_OK; i++)
		items.insert(items.end(), count, name);
	return items;
}


bool
MenuShowsHelp(const MethodHost& host)
{
	return host.HasMenu() && host.MenuLabels()
		== std::vector<std::string>(1, "Help");
}


nuv_input
Input(const std::string& bytes, int32 key = 0x3C, bool withKey = true)
{
	BMessage message(B_KEY_DOWN);
	if (withKey)
		message.AddInt32("key", key);
	for (char byte : bytes)
		message.AddInt8("byte", static_cast<int8>(byte));
	return BeNuvLooper::KeyInput(&message);
}

}	// namespace


using LooperTest = MethodFixture;


// What each key sends the application, and whether the transaction stays
// open. K repeats as INPUT_AGAIN (the direct input state opens the reading
// and hands K back; the first handling's events come first); "@" of the
// test table confirms あ and leaves k pending; a cancelled composition is
// removed by an empty confirmed CHANGED; keys the method does not use reach
// the application only when nothing is composed, command and option keys
// always; the Enter that confirms a conversion comes after the events.
TEST_F(LooperTest, EachKeySendsItsEventsAndKeepsTheTransactionAsComposed)
{
	const struct {
		const char*					keys;
		std::vector<std::string>	events;
		bool						open;
	} kKeys[] = {
		{"K", {"STARTED", "CHANGED(▽,false)", "LOCATION_REQUEST",
			"CHANGED(▽k,false)", "LOCATION_REQUEST"}, true},
		{"a", {"CHANGED(▽か,false)", "LOCATION_REQUEST"}, true},
		{"<cmd-a><opt-b>", {"PASSED(a,0x3C,0x2)", "PASSED(b,0x50,0x40)"},
			true},
		{"<tab><left>", {"CHANGED(▽か,false)", "LOCATION_REQUEST",
			"CHANGED(▽か,false)", "LOCATION_REQUEST"}, true},
		{"<C-j>", {"CHANGED(か,true)", "STOPPED"}, false},
		{"a", {"STARTED", "CHANGED(あ,true)", "STOPPED"}, false},
		{"k", {"STARTED", "CHANGED(k,false)", "LOCATION_REQUEST"}, true},
		{"k", {"CHANGED(っ,true)", "CHANGED(k,false)", "LOCATION_REQUEST"},
			true},
		{"a", {"CHANGED(か,true)", "STOPPED"}, false},
		{"@", {"STARTED", "CHANGED(あ,true)", "CHANGED(k,false)",
			"LOCATION_REQUEST"}, true},
		{"<esc>", {"CHANGED(,true)", "STOPPED"}, false},
		{"<bs><enter><tab>", {"PASSED(\\x08,0x1E,0x0)",
			"PASSED(\\x0A,0x47,0x0)", "PASSED(\\x09,0x26,0x0)"}, false},
		{"l<enter><C-j>", {"PASSED(\\x0A,0x47,0x0)"}, false},
		{"Kanji ", {}, true},
		{"<kp-enter>", {"CHANGED(漢字,true)", "STOPPED",
			"PASSED(\\x0A,0x5B,0x0)"}, false},
	};
	for (const auto& key : kKeys) {
		SCOPED_TRACE(key.keys);
		Type(key.keys);
		const std::vector<std::string> received = Received();
		if (std::string(key.keys) != "Kanji ") {
			EXPECT_EQ(key.events, received);
		}
		EXPECT_EQ(key.open, Looper()->IsTransactionOpen());
	}
	EXPECT_EQ("abかあっか\n\t\n漢字\n", fApplication.Document());
}


// Fault: a key answered INPUT_AGAIN was posted to the back of the looper's
// queue, so a key typed meanwhile was handled before it: K then a, queued
// together, read ▽あ followed by an okuri point instead of ▽か.
TEST_F(LooperTest, AgainKeysKeepTheirPlaceAmongKeysTypedMeanwhile)
{
	std::vector<KeyStep> keys;
	KeyScriptError error;
	ASSERT_TRUE(KeyScript::Parse("Ka", keys, error));
	{
		// Both keys wait in the queue before the first is handled.
		BAutolock lock(Looper());
		fHost->SendKey(MethodHost::MakeKeyMessage(keys[0]));
		fHost->SendKey(MethodHost::MakeKeyMessage(keys[1]));
	}
	ASSERT_TRUE(fHost->Settle());
	EXPECT_EQ("▽か", fApplication.Composing());
}


TEST_F(LooperTest, EventsCarryTheirFieldsInOrder)
{
	Type("K");
	const std::vector<BMessage> delivered = fHost->Delivered();
	ASSERT_EQ(5u, delivered.size());

	EXPECT_THAT(FieldItems(delivered[0]),
		ElementsAre("be:opcode", "be:reply_to"));
	BMessenger replyTo;
	ASSERT_EQ(B_OK, delivered[0].FindMessenger("be:reply_to", &replyTo));
	BLooper* target = NULL;
	replyTo.Target(&target);
	EXPECT_EQ(Looper(), target);

	// ▽k is four bytes of UTF-8.
	const BMessage& changed = delivered[3];
	EXPECT_THAT(FieldItems(changed), ElementsAre("be:opcode", "be:reply_to",
		"be:string", "be:confirmed", "be:clause_start", "be:clause_end",
		"be:selection", "be:selection"));
	EXPECT_EQ(0, changed.FindInt32("be:clause_start"));
	EXPECT_EQ(4, changed.FindInt32("be:clause_end"));
	EXPECT_EQ(4, changed.FindInt32("be:selection", 0));
	EXPECT_EQ(4, changed.FindInt32("be:selection", 1));
	EXPECT_THAT(FieldItems(delivered[4]),
		ElementsAre("be:opcode", "be:reply_to"));

	fHost->ClearDelivered();
	Type("<C-g>");
	const BMessage& closing = fHost->Delivered().at(0);
	EXPECT_THAT(FieldItems(closing), ElementsAre("be:opcode", "be:reply_to",
		"be:string", "be:confirmed"));
	EXPECT_TRUE(closing.FindBool("be:confirmed"));
}


// A stop the application asks for, and deactivation, withdraw the
// composition and drop the reading; deactivation also withdraws the menu
// and hides the mode palette, the engine back in hiragana. With nothing
// open, neither sends anything; other opcodes do nothing.
TEST_F(LooperTest, StopRequestAndDeactivationWithdrawTheComposition)
{
	Type("Ka");
	Received();
	fHost->RequestStop();
	EXPECT_THAT(Received(), ElementsAre("CHANGED(,true)", "STOPPED"));
	Type("a");
	EXPECT_THAT(Received(), ElementsAre("STARTED", "CHANGED(あ,true)",
		"STOPPED"));

	Type("Ka");
	Received();
	for (int32 opcode : {B_INPUT_METHOD_STARTED, B_INPUT_METHOD_CHANGED}) {
		BMessage event(B_INPUT_METHOD_EVENT);
		event.AddInt32("be:opcode", opcode);
		BMessenger(Looper()).SendMessage(&event);
	}
	EXPECT_THAT(Received(), IsEmpty());
	Type("<C-g>");
	Received();
	fHost->RequestStop();
	EXPECT_THAT(Received(), IsEmpty());

	EXPECT_TRUE(MenuShowsHelp(*fHost));
	EXPECT_THAT(Window("NUV Mode Palette").texts, ElementsAre("かな"));
	Type("qKa");
	EXPECT_THAT(Window("NUV Mode Palette").texts, ElementsAre("カナ"));
	Received();
	fHost->Activate(false);
	EXPECT_THAT(Received(), ElementsAre("CHANGED(,true)", "STOPPED"));
	EXPECT_FALSE(fHost->HasMenu());
	EXPECT_TRUE(Window("NUV Mode Palette").hidden);
	EXPECT_THAT(Window("NUV Mode Palette").texts, ElementsAre("かな"));

	// One activation shows the palette after any number of deactivations.
	fHost->Activate(false);
	fHost->Activate(true);
	EXPECT_THAT(Received(), IsEmpty());
	EXPECT_TRUE(MenuShowsHelp(*fHost));
	EXPECT_FALSE(Window("NUV Mode Palette").hidden);
}


TEST_F(LooperTest, HelpItemOpensTheHelpPageInTheBrowser)
{
	HeadlessDisplay::ClearLaunches();
	ASSERT_TRUE(fHost->ChooseMenuItem("Help"));
	EXPECT_THAT(Received(), IsEmpty());
	const auto launches = HeadlessDisplay::Launches();
	ASSERT_EQ(1u, launches.size());
	EXPECT_EQ("application/x-vnd.Be-NPOS", launches[0].signature);
	EXPECT_THAT(launches[0].arguments,
		ElementsAre(fSettings.File("help/index.html")));
}


// The host kept a copy of every message it delivered, some 2 KB per key for
// the whole session; it keeps them only while a caller asks. The input
// filter diverts key-downs only: the rest reach the application directly.
TEST_F(LooperTest, HostRecordsOnRequestAndFilterDivertsKeyDownsOnly)
{
	fHost->RecordDelivered(false);
	Type("ka Kanji <enter>");
	EXPECT_TRUE(fHost->Delivered().empty());
	EXPECT_EQ("か 漢字\n", fApplication.Document());

	fHost->RecordDelivered(true);
	KeyStep step;
	step.bytes = "a";
	step.key = 0x3C;
	BMessage* up = MethodHost::MakeKeyMessage(step);
	up->what = B_KEY_UP;
	fHost->SendKey(up);
	fHost->SendKey(new BMessage(B_MODIFIERS_CHANGED));
	fHost->SendKey(MethodHost::MakeKeyMessage(step));
	EXPECT_THAT(Received(), ElementsAre("KEY_UP(a,0x3C,0x0)",
		"WHAT(" + std::to_string(B_MODIFIERS_CHANGED) + ")", "STARTED",
		"CHANGED(あ,true)", "STOPPED"));
}


// The bytes are packed little-endian as unsigned values. Faults: a "byte"
// field with two items was packed as if it had three, reading an item that
// does not exist. A four-byte character gives its first three bytes, a
// value no shorter character shares.
TEST(KeyInput, BytesArePackedLittleEndianAsUnsignedValues)
{
	EXPECT_EQ(nuv_input(0x61, 0x3C), Input("a"));
	EXPECT_EQ(nuv_input(0x0A, 0x47), Input("\n", 0x47));
	EXPECT_EQ(nuv_input(0xFF, 0x3C), Input("\xFF"));
	EXPECT_EQ(nuv_input(0xA9C3, 0), Input("\xC3\xA9", 0));	// é
	EXPECT_EQ(nuv_input(0x8281E3, 0), Input("\xE3\x81\x82", 0));	// あ
	EXPECT_EQ(nuv_input(0x80A0F0, 0), Input("\xF0\xA0\x80\x8B", 0));
	EXPECT_EQ(nuv_input(0x989FF0, 0), Input("\xF0\x9F\x98\x80", 0));
	// No "byte" and no "key" read as 0.
	EXPECT_EQ(nuv_input(0, 0), Input("", 0, false));
}
