#include "ApplicationModel.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>


namespace {

// Eight pixels per byte: simple enough to compute positions by hand.
ApplicationModel
MakeModel()
{
	return ApplicationModel(100, 50, 15,
		[](const std::string& text) { return 8.0f * text.size(); });
}

}	// namespace


TEST(ApplicationModel, ConfirmedTextAndPassedKeysEditTheDocument)
{
	ApplicationModel model = MakeModel();
	model.Started();
	model.Changed("\xE2\x96\xBD\xE3\x81\x8B", false);	// ▽か
	EXPECT_TRUE(model.IsComposing());
	EXPECT_EQ("\xE2\x96\xBD\xE3\x81\x8B", model.Composing());

	model.Changed("\xE6\xBC\xA2", true);				// 漢
	EXPECT_EQ("\xE6\xBC\xA2", model.Document());
	EXPECT_EQ("", model.Composing());

	model.Changed("x", false);
	model.Stopped();
	EXPECT_FALSE(model.IsComposing());
	EXPECT_EQ("", model.Composing());

	// Keys passed edit the document; Escape, the arrows, Delete, Home and
	// an empty key change nothing.
	for (const char* bytes : {"a", "\x1B", "\x1C", "\n", "\x1D", "\x1E",
			"\t", "\x1F", "\x7F", "\x01", "", "\xE5\xAD\x97"})
		model.KeyPassed(bytes);
	EXPECT_EQ("\xE6\xBC\xA2" "a\n\t\xE5\xAD\x97", model.Document());

	// Backspace removes whole characters, and nothing once the document is
	// empty.
	model.KeyPassed("\b");
	EXPECT_EQ("\xE6\xBC\xA2" "a\n\t", model.Document());
	for (int i = 0; i < 6; i++)
		model.KeyPassed("\b");
	EXPECT_EQ("", model.Document());
}


// Composed characters stand after the caret on its line, a line high, and
// nowhere once the composition stops. Fault: each location request measured
// the caret's whole line and counted the document's line feeds, so that
// keys slowed as a line grew. The line number and width are now kept as the
// document changes; after any edits they must give what measuring from
// scratch gives.
TEST(ApplicationModel, ComposedCharactersStandAfterTheKeptCaret)
{
	std::mt19937 random(8);
	const std::vector<std::string> pieces = {"a", "\n", "\t",
		"\xE6\xBC\xA2", "ab\ncd", "\n\n", "\b", "\b", "\b"};
	for (int round = 0; round < 50; round++) {
		ApplicationModel model = MakeModel();
		for (int step = 0; step < 60; step++) {
			const std::string& piece = pieces[random() % pieces.size()];
			if (piece.size() > 1 && random() % 2 == 0)
				model.Changed(piece, true);
			else
				model.KeyPassed(piece);

			model.Changed("\xE2\x96\xBD" "k", false);	// ▽k
			const std::string& document = model.Document();
			const size_t feed = document.rfind('\n');
			const std::string line = feed == std::string::npos ? document
				: document.substr(feed + 1);
			const size_t lines = std::count(document.begin(),
				document.end(), '\n');
			const std::vector<TextLocation> locations
				= model.ComposedLocations();
			ASSERT_EQ(2u, locations.size());
			ASSERT_FLOAT_EQ(100 + 8 * line.size(), locations[0].x)
				<< round << " " << step;
			ASSERT_FLOAT_EQ(100 + 8 * (line.size() + 3), locations[1].x);
			ASSERT_FLOAT_EQ(50 + 15 * lines, locations[0].y);
			ASSERT_FLOAT_EQ(50 + 15 * lines, locations[1].y);
			ASSERT_FLOAT_EQ(15, locations[0].height);
		}
		model.Stopped();
		EXPECT_TRUE(model.ComposedLocations().empty());
	}
}
