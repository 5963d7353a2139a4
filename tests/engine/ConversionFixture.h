// The dictionary and key names shared by the conversion scenario tests.
#ifndef NUV_CONVERSION_FIXTURE_H
#define NUV_CONVERSION_FIXTURE_H

#include <gtest/gtest.h>

#include "KeyDriver.h"
#include "TestControler.h"
#include "TestText.h"

namespace nuv_test {

// Readings with 1, 2, 5, 11 and 12 candidates, one with okurigana, one
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
const char kCtrlK = 0x0b;
const char kEnter = 0x0d;
const char kZeneiConfirm = 0x11;

class ConversionTest : public ::testing::Test {
protected:
	ConversionTest()
		:
		driver(controler)
	{
		controler.SetLargeDictionary(ConversionDictionary());
	}

	TestControler	controler;
	KeyDriver		driver;
};

}	// namespace nuv_test

#endif	// NUV_CONVERSION_FIXTURE_H
