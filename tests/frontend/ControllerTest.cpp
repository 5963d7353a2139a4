// The front-end controller's hooks: palette texts and stacking, and the
// dictionaries behind look-ups and learning. (Its key tests show in the
// looper's key path, LooperTest.cpp.)
#include "MethodFixture.h"

#include <AppDefs.h>
#include <Autolock.h>
#include <Input.h>
#include <Message.h>
#include <Messenger.h>

#include "BeNuvControler.h"
#include "BeNuvLooper.h"
#include "BeNuvResources.h"
#include "BeNuvUtils.h"


using testing::ElementsAre;


namespace {

const char* const kCandidates = "NUV Candidates Palette";
const char* const kRegistration = "NUV Registration Palette";
const char* const kPurge = "NUV Purge Palette";

}	// namespace


class ControllerTest : public MethodFixture {
protected:
	BeNuvControler* Controler() { return Looper()->Controler(); }
};


TEST_F(ControllerTest, PaletteLinesAreFormattedFromTheRecords)
{
	BAutolock lock(Looper());
	const nuv_candidate page[] = {Candidate("かんじ", "漢字"),
		Candidate("かんじ", "感じ"), Candidate("かんじ", "幹事")};
	Controler()->ShowCandidates(page, page + 3, 12);
	EXPECT_THAT(Window(kCandidates).texts,
		ElementsAre("A:漢字  S:感じ  D:幹事  [残り 12]"));
	Controler()->ShowCandidates(page, page, 0);
	EXPECT_THAT(Window(kCandidates).texts, ElementsAre("[残り 0]"));

	std::vector<nuv_candidate> seven(7, Candidate("こう", "校"));
	Controler()->ShowCandidates(seven.data(), seven.data() + 7, 5);
	EXPECT_THAT(Window(kCandidates).texts, ElementsAre("A:校  S:校  D:校  "
		"F:校  J:校  K:校  L:校  [残り 5]"));

	const nuv_candidate chain[] = {Candidate("かく", "", "k"),
		Candidate("かんじ", "")};
	Controler()->ShowRegisters(chain, chain + 2);
	EXPECT_THAT(Window(kRegistration).texts, ElementsAre(
		"registering \"かく*k\"", "registering \"かんじ\""));

	Controler()->ShowPurge(Candidate("かんじ", "漢字"));
	EXPECT_THAT(Window(kPurge).texts,
		ElementsAre("Really purge\"かんじ /漢字/\"? (y/n)"));
	Controler()->ShowPurge(Candidate("か", "書", "k"));
	EXPECT_THAT(Window(kPurge).texts,
		ElementsAre("Really purge\"かk /書/\"? (y/n)"));
}


// Visible palettes stack below the caret, the first composed character's
// location of the application's last answer, in order. Fault: placing a
// palette before the application had reported a caret read the first
// stored location when none was stored; the palettes stand at the last
// caret they were placed against, or at the screen's top-left before any.
TEST_F(ControllerTest, VisiblePalettesStackBelowTheLastCaretInOrder)
{
	const nuv_candidate page[] = {Candidate("かんじ", "漢字")};
	const nuv_candidate record[] = {Candidate("かんじ", "")};
	{
		BAutolock lock(Looper());
		Controler()->ShowCandidates(page, page + 1, 0);
		EXPECT_EQ(BPoint(0, 8), Window(kCandidates).frame.LeftTop());
	}

	// The application's answer: `count` characters from (100, 200), the
	// later ones taller.
	auto answer = [this](int count) {
		BMessage reply(B_INPUT_METHOD_EVENT);
		reply.AddInt32("be:opcode", B_INPUT_METHOD_LOCATION_REQUEST);
		for (int i = 0; i < count; i++) {
			reply.AddPoint("be:location_reply", BPoint(100 + 14 * i, 200));
			reply.AddFloat("be:height_reply", 15 + i);
		}
		BMessenger(Looper()).SendMessage(&reply);
		return fHost->Settle();
	};
	ASSERT_TRUE(answer(3));
	{
		BAutolock lock(Looper());
		ASSERT_EQ(3, Looper()->CountTargetLocations());
		EXPECT_EQ(BPoint(128, 200), Looper()->TargetLocation(2));
		EXPECT_EQ(17, Looper()->TargetHeight(2));
		// Out of range reads a defined zero.
		EXPECT_EQ(BPoint(0, 0), Looper()->TargetLocation(3));
		EXPECT_EQ(0, Looper()->TargetHeight(-1));
		Controler()->ShowCandidates(page, page + 1, 0);
		const headless_window_info candidates = Window(kCandidates);
		EXPECT_FALSE(candidates.hidden);
		EXPECT_EQ(BPoint(100, 215 + 8), candidates.frame.LeftTop());
		// The registration palette stands below the union of the caret and
		// the candidates palette, and closes up when they go.
		Controler()->ShowRegisters(record, record + 1);
		EXPECT_FALSE(Window(kRegistration).hidden);
		EXPECT_EQ(BPoint(100, candidates.frame.bottom + 8),
			Window(kRegistration).frame.LeftTop());
		Controler()->HideCandidates();
		EXPECT_TRUE(Window(kCandidates).hidden);
		EXPECT_EQ(BPoint(100, 215 + 8), Window(kRegistration).frame.LeftTop());
		Controler()->HideRegisters();
		EXPECT_TRUE(Window(kRegistration).hidden);
	}

	// An answer with no characters leaves no location stored.
	ASSERT_TRUE(answer(0));
	BAutolock lock(Looper());
	ASSERT_EQ(0, Looper()->CountTargetLocations());
	Controler()->ShowCandidates(page, page + 1, 0);
	EXPECT_EQ(BPoint(100, 215 + 8), Window(kCandidates).frame.LeftTop());
}


TEST_F(ControllerTest, LookUpsMergeBothDictionariesLearnedWordsFirst)
{
	BAutolock lock(Looper());
	BeNuvResources* resources = Looper()->Resources();
	const nuv_candidate query = Candidate("かんじ", "");

	Controler()->InsertCandidate(Candidate("かんじ", "幹事"));
	Controler()->InsertCandidate(Candidate("かんじ", "完治"));
	NuvCandidateList found(query);
	Controler()->FindCandidates(query, found);
	std::vector<std::string> words;
	for (const nuv_candidate& candidate : found.Items()) {
		EXPECT_EQ(query.reading, candidate.reading);
		words.push_back(BeNuvUtils::ConvertEucToUtf8(candidate.candidate));
	}
	EXPECT_THAT(words, ElementsAre("完治", "幹事", "漢字", "感じ"));

	// Learning and purging reach the user dictionary only.
	Controler()->RemoveCandidate(Candidate("かんじ", "漢字"));
	Controler()->RemoveCandidate(Candidate("かんじ", "完治"));
	EXPECT_EQ(3u, resources->Dictionary()->FindEntry(query).stems.size());
	EXPECT_THAT(resources->UserDictionary()->FindEntry(query).stems,
		ElementsAre(Euc("幹事")));
}


// Fault: destroying the controller with a conversion, registration or
// purge state on its stack let those states call hooks whose palettes were
// already closed.
TEST_F(ControllerTest, UnloadingWithPromptsOpenTouchesNoClosedPalette)
{
	const char* const scripts[] = {
		"Kanji ",			// conversion
		"Kanji    ",		// registration of かんじ
		"Kanji    Kou ",	// a conversion inside the registration
		"Kanji X",			// purge prompt
	};
	for (const char* script : scripts) {
		Type(script);
		fHost->Unload();
		EXPECT_TRUE(HeadlessDisplay::Windows().empty()) << script;
		Load();
	}
	Type("Kanji    ");
	EXPECT_THAT(Window(kRegistration).texts,
		ElementsAre("registering \"かんじ\""));
}
