#include "Transcript.h"

#include <gtest/gtest.h>

#include <sstream>


TEST(Transcript, RecordsAreOneJsonObjectPerLineWithKeysInOrder)
{
	std::ostringstream out;
	Transcript transcript(out);

	transcript.Key("<enter>");
	transcript.Im("started");
	ChangedRecord composing;
	composing.text = "\xE2\x96\xBC\xE6\xBC\xA2\xE5\xAD\x97";	// ▼漢字
	composing.hasClause = true;
	composing.clauseEnd = 9;
	composing.hasSelection = true;
	composing.selectionStart = 9;
	composing.selectionEnd = 9;
	transcript.Changed(composing);
	ChangedRecord closing;
	closing.confirmed = true;
	transcript.Changed(closing);
	transcript.Passed("\n", 0x47, 0);
	transcript.LocationReply({{16, 32, 15}, {30.5f, 32, 15}});
	transcript.Menu(true, {"Help"});
	transcript.Menu(false, {});
	transcript.Launch("application/x-vnd.Be-NPOS", {"/x/index.html"});
	transcript.Text("\xE6\xBC\xA2\xE5\xAD\x97\n");
	transcript.Unloaded();

	EXPECT_EQ(
		"{\"key\":\"<enter>\"}\n"
		"{\"im\":\"started\"}\n"
		"{\"im\":\"changed\",\"string\":\"\xE2\x96\xBC\xE6\xBC\xA2\xE5\xAD\x97\","
			"\"confirmed\":false,\"clause_start\":0,\"clause_end\":9,"
			"\"selection\":[9,9]}\n"
		"{\"im\":\"changed\",\"string\":\"\",\"confirmed\":true}\n"
		"{\"passed\":{\"bytes\":\"\\n\",\"key\":71,\"modifiers\":0}}\n"
		"{\"location_reply\":{\"points\":[[16,32],[30.5,32]],"
			"\"heights\":[15,15]}}\n"
		"{\"menu\":[\"Help\"]}\n"
		"{\"menu\":null}\n"
		"{\"launch\":{\"signature\":\"application/x-vnd.Be-NPOS\","
			"\"args\":[\"/x/index.html\"]}}\n"
		"{\"text\":\"\xE6\xBC\xA2\xE5\xAD\x97\\n\"}\n"
		"{\"unloaded\":true}\n",
		out.str());
}


TEST(Transcript, ScreenListsWindowsWithFramesAndLines)
{
	std::ostringstream out;
	Transcript transcript(out);
	WindowRecord mode;
	mode.title = "NUV Mode Palette";
	mode.visible = true;
	mode.frame[0] = 951;
	mode.frame[1] = 730;
	mode.frame[2] = 1003;
	mode.frame[3] = 747;
	mode.lines = {"\xE3\x81\x8B\xE3\x81\xAA"};
	WindowRecord notice;
	notice.title = "nuv wake up!";
	notice.frame[0] = 451.5f;
	notice.frame[1] = 363.5f;
	notice.frame[2] = 571.5f;
	notice.frame[3] = 403.5f;
	transcript.Screen({mode, notice});
	transcript.Screen({});

	EXPECT_EQ(
		"{\"screen\":{\"windows\":["
			"{\"title\":\"NUV Mode Palette\",\"visible\":true,"
			"\"frame\":[951,730,1003,747],\"lines\":[\"\xE3\x81\x8B\xE3\x81\xAA\"]},"
			"{\"title\":\"nuv wake up!\",\"visible\":false,"
			"\"frame\":[451.5,363.5,571.5,403.5],\"lines\":[]}]}}\n"
		"{\"screen\":{\"windows\":[]}}\n",
		out.str());
}


TEST(Transcript, BytesThatAreNotUtf8BecomeReplacementCharacters)
{
	std::ostringstream out;
	Transcript transcript(out);
	transcript.Passed("\xA4\xA2", 0, 0);	// EUC-JP あ leaking out
	transcript.Text("a\xFF" "b");
	EXPECT_EQ(
		"{\"passed\":{\"bytes\":\"\xEF\xBF\xBD\xEF\xBF\xBD\",\"key\":0,"
			"\"modifiers\":0}}\n"
		"{\"text\":\"a\xEF\xBF\xBD" "b\"}\n",
		out.str());
}
