// Word registration: typing, editing, nesting and learning the word.
#include "ConversionFixture.h"

using namespace nuv_test;


TEST_F(ConversionTest, MissingWordIsRegisteredWithConversionAndNesting)
{
	Walk({{"Kiyosi ", "★|"}});
	EXPECT_EQ(controler.ShownRegisters(), Words({"きよし"}));
	Walk({{"S", "★▽s|"}, {"ei", "★▽せい|"}, {" ", "★▼清|"}});
	EXPECT_TRUE(Did(driver.Press(kConfirm), kConsumed, "", "★清|"));
	EXPECT_EQ(controler.CallsNamed("InsertCandidate"),
		Words({"InsertCandidate(せい=清)"}));

	Walk({{"Yosi", "★清▽よし|"}, {" ", "★|"}});
	EXPECT_EQ(controler.ShownRegisters(), Words({"きよし", "よし"}));
	EXPECT_EQ(driver.Type("ai").preedit, "★あい|");
	EXPECT_TRUE(Did(driver.Press(kEnter), kConsumed, "", "★清あい|"));
	EXPECT_EQ(controler.ShownRegisters(), Words({"きよし"}));
	EXPECT_EQ(controler.CallsNamed("InsertCandidate").back(),
		"InsertCandidate(よし=あい)");

	// Enter on a nested conversion enters its word and registers at once
	Walk({{kCtrlB, "★清あ|い"}, {kCtrlB, "★清|あい"}, {kCtrlD, "★清|い"},
		{kKill, "★清|"}, {"Si ", "★清▼志|"}});
	controler.TakeCalls();
	EXPECT_TRUE(Did(driver.Press(kEnter), kConsumed, "清志", ""));
	EXPECT_EQ(controler.CallsNamed("InsertCandidate"),
		Words({"InsertCandidate(し=志)", "InsertCandidate(きよし=清志)"}));
	EXPECT_TRUE(controler.ShownRegisters().empty());

	// both new words come first next time
	Walk({{"Kiyosi ", "▼清志"}, {"\nYosi ", "▼あい"}});
}


TEST_F(ConversionTest, CursorKeysMoveTheBarAndKeysAreTypedAtIt)
{
	// Editing keys at the ends do nothing; the arrows (0x1c, 0x1d) move as
	// control-B and control-F do.
	Walk({{"Kiyosi kaki", "★かき|"}, {kCtrlA, "★|かき"}, {kCtrlB, "★|かき"},
		{"u", "★う|かき"}, {"k", "★うk|かき"}, {"o", "★うこ|かき"},
		{kCtrlF, "★うこか|き"}, {kCtrlE, "★うこかき|"}, {kCtrlF, "★うこかき|"},
		{kCtrlD, "★うこかき|"}, {kKill, "★うこかき|"}, {0x1c, "★うこか|き"},
		{0x1c, "★うこ|かき"}, {0x1d, "★うこか|き"}, {0x7f, "★うこか|"},
		{kBackspace, "★うこ|"}, {kCtrlA, "★|うこ"}, {kBackspace, "★|うこ"},
		{kKill, "★|"}, {kBackspace, "★|"}});

	// Keys the nested engine leaves (digits; every letter in Latin input)
	// are typed as they are; control-J returns it to kana input.
	Walk({{"ka12", "★か12|"}, {"l", "★か12|"}});
	EXPECT_EQ(controler.ShownMode(), MODE_ASCII);
	Walk({{"Ab ", "★か12Ab |"}, {kConfirm, "★か12Ab |"}});
	EXPECT_EQ(controler.ShownMode(), MODE_HIRAKANA);
	EXPECT_EQ(driver.Type("ki").preedit, "★か12Ab き|");
	// control keys nobody uses type nothing
	EXPECT_TRUE(Did(driver.Press(nuv_input(0x1b)), kSwallowed, "",
		"★か12Ab き|"));
	EXPECT_EQ(driver.Press(kEnter).confirmed, "か12Ab き");
}


TEST_F(ConversionTest, EnterAndUndoLeaveWhateverTheNestedEngineHoldsInTheWord)
{
	// pending romaji is flushed into the word first
	driver.Type("Kiyosi kan");
	EXPECT_EQ(driver.Press(kEnter).confirmed, "かん");
	EXPECT_EQ(controler.CallsNamed("InsertCandidate").back(),
		"InsertCandidate(きよし=かん)");

	// an open reading is confirmed into the word, which is registered
	EXPECT_EQ(driver.Type("Yosi Ai").preedit, "★▽あい|");
	EXPECT_TRUE(Did(driver.Press(kEnter), kConsumed, "あい", ""));

	// Fault mended: a nested conversion undone through the controller's
	// Undo() left its confirmed text out of the preedit until the next key.
	EXPECT_EQ(driver.Type("Nura kaKanji ").preedit, "★か▼漢字|");
	EXPECT_EQ(controler.Undo(), INPUT_CONSUMED);
	EXPECT_EQ(EucToUtf8(controler.Pending()), "★か漢|");
	EXPECT_EQ(driver.Press(kEnter).confirmed, "か漢");
}


TEST_F(ConversionTest, EmptyWordLeavesTheRegistrationAndOkuriganaIsLearnedApart)
{
	driver.Type("Kiyosi ");
	EXPECT_TRUE(Did(driver.Press(kEnter), kConsumed, "", "▽きよし"));
	EXPECT_TRUE(controler.CallsNamed("InsertCandidate").empty());
	EXPECT_EQ(controler.CallsNamed("HideRegisters").size(), 1u);
	EXPECT_TRUE(controler.ShownRegisters().empty());

	// control-G first drops what the nested engine holds, then leaves;
	// with okurigana, the reading comes back merged
	Walk({{" Ka", "★▽か|"}, {kCancel, "★|"}, {"k", "★k|"}, {kCancel, "★|"},
		{kCancel, "▽きよし"}, {"\b\b\b\bKiyoSi", "★|"}});
	EXPECT_EQ(controler.ShownRegisters(), Words({"きよ*s,し"}));
	EXPECT_EQ(driver.Press(kCancel).preedit, "▽きよし");

	// a word registered with okurigana is learned under its okuri key
	Walk({{"\b\b\b\bKiyoSi", "★|"}, {"Sei", "★▽せい|"}});
	driver.Type(" \n");
	EXPECT_EQ(driver.Press(kEnter).confirmed, "清し");
	EXPECT_EQ(controler.CallsNamed("InsertCandidate").back(),
		"InsertCandidate(きよ*s,し=清)");
	EXPECT_EQ(driver.Type("KiyoSi").preedit, "▼清し");
}


TEST_F(ConversionTest, RegistrationsNestToAnyDepthAndUnwindInOrder)
{
	EXPECT_EQ(driver.Type("Kiyosi Yosi Nura Ho ").preedit, "★|");
	EXPECT_EQ(controler.ShownRegisters(),
		Words({"きよし", "よし", "ぬら", "ほ"}));
	EXPECT_EQ(controler.ShownMode(), MODE_HIRAKANA);

	// cancelling a level returns to the reading inside the level above
	Walk({{"ho", "★ほ|"}, {kEnter, "★ほ|"}});
	EXPECT_EQ(controler.ShownRegisters(), Words({"きよし", "よし", "ぬら"}));
	Walk({{kCtrlA, "★|ほ"}, {kKill, "★|"}, {kCancel, "★▽ぬら|"}});
	EXPECT_EQ(controler.ShownRegisters(), Words({"きよし", "よし"}));
	Walk({{kCancel, "★|"}, {kEnter, "★▽よし|"}});
	EXPECT_EQ(controler.ShownRegisters(), Words({"きよし"}));
	EXPECT_EQ(driver.Press(kConfirm).preedit, "★よし|");
	EXPECT_EQ(driver.Press(kEnter).confirmed, "よし");
	EXPECT_TRUE(controler.ShownRegisters().empty());
	EXPECT_EQ(driver.Type("Ho ").preedit, "▼ほ");
}
