// Typed message fields, and their description for a host.
#include <Message.h>

#include <gtest/gtest.h>

#include <map>
#include <random>
#include <string>
#include <vector>

#include <AppDefs.h>
#include <HeadlessDisplay.h>
#include <Looper.h>


// The model: field names in first-seen order, each with its values; a
// string field among them is counted by name but not by int32 type.
TEST(Message, FieldsAndItemsKeepTheirOrder)
{
	std::mt19937 random(11);
	BMessage message;
	message.AddString("text", "x");
	std::vector<std::string> order;
	std::map<std::string, std::vector<int32> > model;
	for (int i = 0; i < 500; i++) {
		std::string name = "f" + std::to_string(random() % 12);
		int32 value = (int32)random();
		if (model.find(name) == model.end())
			order.push_back(name);
		model[name].push_back(value);
		ASSERT_EQ(B_OK, message.AddInt32(name.c_str(), value));
	}

	const char* name;
	type_code type;
	int32 count;
	for (size_t field = 0; field < order.size(); field++) {
		ASSERT_EQ(B_OK, message.GetInfo(B_INT32_TYPE, field, &name, &type,
			&count));
		EXPECT_EQ(order[field], name);
		ASSERT_EQ(B_OK, message.GetInfo(B_ANY_TYPE, field + 1, &name, &type,
			&count));
		EXPECT_EQ(order[field], name);
		const std::vector<int32>& values = model[name];
		ASSERT_EQ((int32)values.size(), count);
		for (int32 i = 0; i < count; i++)
			EXPECT_EQ(values[i], message.FindInt32(name, i));
	}
	EXPECT_EQ((int32)order.size(), message.CountNames(B_INT32_TYPE));
	EXPECT_EQ(B_BAD_INDEX, message.GetInfo(B_ANY_TYPE, order.size() + 1,
		&name, NULL));
	EXPECT_EQ(B_BAD_TYPE, message.GetInfo(B_RECT_TYPE, 0, &name, NULL));
	EXPECT_EQ(B_OK, message.GetInfo("text", &type, &count));
	EXPECT_EQ((type_code)B_STRING_TYPE, type);
}


TEST(Message, MissingOrMistypedFieldsReadAsZeroAndItemsCanBeEdited)
{
	BMessage message;
	message.AddInt32("number", 7);
	message.AddString("text", "x");

	int32 value = 99;
	EXPECT_EQ(B_NAME_NOT_FOUND, message.FindInt32("absent", &value));
	EXPECT_EQ(0, value);
	value = 99;
	EXPECT_EQ(B_BAD_INDEX, message.FindInt32("number", 1, &value));
	EXPECT_EQ(0, value);
	float real = 1.5f;
	EXPECT_EQ(B_BAD_TYPE, message.FindFloat("number", &real));
	EXPECT_EQ(0.0f, real);
	BPoint point(3, 4);
	EXPECT_EQ(B_NAME_NOT_FOUND, message.FindPoint("absent", &point));
	EXPECT_EQ(BPoint(0, 0), point);
	const char* text = "stale";
	EXPECT_EQ(B_BAD_TYPE, message.FindString("number", &text));
	EXPECT_EQ(NULL, text);
	bool flag = true;
	EXPECT_EQ(B_NAME_NOT_FOUND, message.FindBool("absent", &flag));
	EXPECT_FALSE(flag);
	EXPECT_EQ(0, message.FindInt32("absent"));
	EXPECT_EQ(NULL, message.FindString("absent"));

	type_code type = 1;
	int32 count = 5;
	EXPECT_EQ(B_NAME_NOT_FOUND, message.GetInfo("absent", &type, &count));
	EXPECT_EQ(0, count);

	// A name keeps the type of its first item.
	EXPECT_EQ(B_BAD_TYPE, message.AddBool("number", true));
	EXPECT_EQ(1, message.CountNames(B_INT32_TYPE));

	message.AddInt32("n", 1);
	message.AddInt32("n", 2);

	EXPECT_EQ(B_OK, message.ReplaceInt32("n", 1, 20));
	EXPECT_EQ(B_BAD_INDEX, message.ReplaceInt32("n", 2, 0));
	EXPECT_EQ(B_OK, message.RemoveData("n", 0));
	EXPECT_EQ(20, message.FindInt32("n"));
	EXPECT_EQ(B_OK, message.RemoveData("n", 0));
	EXPECT_FALSE(message.HasInt32("n"));
	EXPECT_EQ(B_NAME_NOT_FOUND, message.RemoveName("n"));
	message.MakeEmpty();
	EXPECT_TRUE(message.IsEmpty());
}


TEST(Message, CopiesAndNestingAreDeepAndStringsKeepTheirTerminator)
{
	BMessage original(42);
	original.AddString("be:string", "\xE3\x81\x82");

	BMessage copy(original);
	copy.ReplaceString("be:string", "changed");
	copy.AddInt32("extra", 1);

	EXPECT_STREQ("\xE3\x81\x82", original.FindString("be:string"));
	EXPECT_FALSE(original.HasInt32("extra"));
	EXPECT_STREQ("changed", copy.FindString("be:string"));

	const void* data;
	ssize_t size;
	ASSERT_EQ(B_OK, original.FindData("be:string", B_STRING_TYPE, &data,
		&size));
	EXPECT_EQ(4, size);
	EXPECT_EQ('\0', static_cast<const char*>(data)[3]);

	// Nested messages and messengers survive flattening.
	BLooper* looper = new BLooper("target");
	BMessage inner(B_INPUT_METHOD_EVENT);
	inner.AddMessenger("be:reply_to", BMessenger(looper));
	inner.AddInt8("byte", -1);

	BMessage outer;
	ASSERT_EQ(B_OK, outer.AddMessage("inner", &inner));
	BMessage found;
	ASSERT_EQ(B_OK, outer.FindMessage("inner", &found));
	EXPECT_EQ((uint32)B_INPUT_METHOD_EVENT, found.what);
	EXPECT_EQ(-1, found.FindInt8("byte"));
	BMessenger messenger;
	ASSERT_EQ(B_OK, found.FindMessenger("be:reply_to", &messenger));
	BLooper* target = NULL;
	messenger.Target(&target);
	EXPECT_EQ(looper, target);

	looper->Quit();
	EXPECT_FALSE(messenger.IsValid());
}


TEST(Message, DescriptionListsFieldsInOrderWithTypes)
{
	BMessage message(B_INPUT_METHOD_EVENT);
	message.AddInt32("be:opcode", 2);
	message.AddString("be:string", "ka");
	message.AddBool("be:confirmed", false);
	message.AddInt32("be:selection", 2);
	message.AddInt32("be:selection", 2);
	message.AddPoint("be:location_reply", BPoint(10, 20.5f));

	EXPECT_EQ("BMessage(0x494d4556 'IMEV') {\n"
		"\tbe:opcode = int32 2\n"
		"\tbe:string = string \"ka\"\n"
		"\tbe:confirmed = bool false\n"
		"\tbe:selection[0] = int32 2\n"
		"\tbe:selection[1] = int32 2\n"
		"\tbe:location_reply = BPoint (10, 20.5)\n"
		"}\n", HeadlessDisplay::DescribeMessage(message));
	EXPECT_EQ("BMessage(0x00000000) {\n}\n",
		HeadlessDisplay::DescribeMessage(BMessage()));
}
