// The record shapes are checked end to end in NuvimTest.cpp; these are the
// values a run rarely produces.
#include "Transcript.h"

#include <gtest/gtest.h>

#include <sstream>


TEST(Transcript, NullMenusFractionsAndBytesThatAreNotUtf8)
{
	std::ostringstream out;
	Transcript transcript(out);
	transcript.Menu(false, {});
	transcript.Screen({{"nuv wake up!", false, {451.5f, 363.5f, 571.5f, 403.5f},
		{}}});
	transcript.Passed("\xA4\xA2", 0, 0);	// EUC-JP あ leaking out
	transcript.Text("a\xFF" "b");

	EXPECT_EQ(
		"{\"menu\":null}\n"
		"{\"screen\":{\"windows\":[{\"title\":\"nuv wake up!\","
			"\"visible\":false,\"frame\":[451.5,363.5,571.5,403.5],"
			"\"lines\":[]}]}}\n"
		"{\"passed\":{\"bytes\":\"\xEF\xBF\xBD\xEF\xBF\xBD\",\"key\":0,"
			"\"modifiers\":0}}\n"
		"{\"text\":\"a\xEF\xBF\xBD" "b\"}\n",
		out.str());
}
