// The dictionary and key names shared by the conversion scenario tests.
#ifndef NUV_CONVERSION_FIXTURE_H
#define NUV_CONVERSION_FIXTURE_H

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "KeyDriver.h"
#include "TestControler.h"
#include "TestText.h"

namespace nuv_test {

typedef std::vector<std::string> Words;

// Readings with 1, 2, 5, 11 and 12 candidates, two with okurigana, one
// abbreviation; きよし, よし and nuv have none.
inline const char*
ConversionDictionary()
{
	return
		"おおk /大/多/\n"
		"かんじ /漢字/感じ/幹事/監事/莞爾/\n"
		"き /木/\n"
		"じゅういち /壱/弐/参/四/伍/六/七/八/九/拾/百/\n"
		"じゅうに /子/丑/寅/卯/辰/巳/午/未/申/酉/戌/亥/\n"
		"せい /清/\n"
		"よn /読/\n"
		"し /志/死/\n"
		"cpu /CPU/中央処理装置/\n";
}

const char kCtrlA = 0x01;
const char kCtrlB = 0x02;
const char kCtrlD = 0x04;
const char kCtrlE = 0x05;
const char kCtrlF = 0x06;
const char kCancel = 0x07;
const char kBackspace = 0x08;
const char kConfirm = 0x0a;
const char kKill = 0x0b;
const char kEnter = 0x0d;

// What the application saw of a key: consumed, swallowed (ignored while
// something is pending) or passed on to it.
enum Outcome { kConsumed, kSwallowed, kPassed };


// Whether a step had `outcome` and confirmed and left the texts given.
inline testing::AssertionResult
Did(const KeyStep& step, Outcome outcome, const std::string& confirmed,
	const std::string& preedit)
{
	const Outcome had = step.result != INPUT_IGNORED ? kConsumed
		: step.passed ? kPassed : kSwallowed;
	if (had == outcome && step.confirmed == confirmed
			&& step.preedit == preedit)
		return testing::AssertionSuccess();
	const char* const kNames[] = {"consumed", "swallowed", "passed"};
	return testing::AssertionFailure() << kNames[had] << ", confirmed \""
		<< step.confirmed << "\" preedit \"" << step.preedit << "\"";
}


// Keys typed together (or one control key) and the preedit they leave.
struct Step {
	Step(const char* keys, const char* preedit)
		: keys(keys), preedit(preedit) {}
	Step(char key, const char* preedit) : keys(1, key), preedit(preedit) {}

	std::string	keys;
	const char*	preedit;
};

class ConversionTest : public ::testing::Test {
protected:
	ConversionTest() { controler.SetLargeDictionary(ConversionDictionary()); }

	// Whether the controller's top state is a T.
	template<typename T>
	bool OnTop() { return dynamic_cast<T*>(controler.State()) != nullptr; }

	// Types the steps in turn, expecting each one's preedit.
	void Walk(const std::vector<Step>& steps)
	{
		for (size_t i = 0; i < steps.size(); i++) {
			EXPECT_EQ(driver.Type(steps[i].keys).preedit, steps[i].preedit)
				<< "step " << i;
		}
	}

	TestControler	controler;
	KeyDriver		driver{controler};
};

}	// namespace nuv_test

#endif	// NUV_CONVERSION_FIXTURE_H
