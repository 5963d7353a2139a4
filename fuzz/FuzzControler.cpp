#include "FuzzControler.h"

#include <fstream>
#include <string>

#include "FuzzCheck.h"
#include "NuvEntry.h"


namespace {

struct SharedResources {
	NuvAutomaton		kana;
	NuvAutomaton		zenei;
	NuvAutomaton		control;
	NuvStaticDictionary	large;
};


void
ReadSettingsFile(const char* name, NuvAutomaton& automaton)
{
	std::ifstream file(std::string(NUV_SETTINGS_SOURCE_DIR) + "/" + name,
		std::ios::binary);
	NUV_FUZZ_CHECK(file.is_open());
	automaton.Read(file);
}


// Built on first use and kept until the process ends: a fuzz run makes
// millions of controllers, and the large dictionary takes a while to load.
SharedResources&
Resources()
{
	static SharedResources* resources = [] {
		SharedResources* shared = new SharedResources;
		ReadSettingsFile("roman_kana.table", shared->kana);
		ReadSettingsFile("control_key.table", shared->kana);
		ReadSettingsFile("roman_zennei.table", shared->zenei);
		ReadSettingsFile("control_key.table", shared->zenei);
		ReadSettingsFile("control_key.table", shared->control);
		std::ifstream large(std::string(NUV_SETTINGS_SOURCE_DIR)
			+ "/NUV-JISYO.L", std::ios::binary);
		NUV_FUZZ_CHECK(large.is_open());
		shared->large.Read(large);
		NUV_FUZZ_CHECK(shared->large.CountItems() > 0);
		return shared;
	}();
	return *resources;
}


void
CheckRecord(const nuv_candidate& record)
{
	NUV_FUZZ_CHECK(nuv_fuzz::IsWellFormedEuc(record.reading));
	NUV_FUZZ_CHECK(nuv_fuzz::IsWellFormedEuc(record.okurigana));
	NUV_FUZZ_CHECK(nuv_fuzz::IsWellFormedEuc(record.okuri));
	NUV_FUZZ_CHECK(nuv_fuzz::IsWellFormedEuc(record.candidate));
}

}	// namespace


FuzzControler::FuzzControler()
	:
	fPurgeShown(false)
{
	SharedResources& resources = Resources();
	resources.kana.Clear();
	resources.zenei.Clear();
	resources.control.Clear();
	State();
}


FuzzControler::~FuzzControler()
{
	// let the states leave while these hooks still check them
	ClearState(0);
}


void
FuzzControler::SetMode(nuv_mode mode)
{
	NUV_FUZZ_CHECK(mode >= MODE_HIRAKANA && mode <= MODE_TUT);
}


void
FuzzControler::ShowCandidates(const nuv_candidate* first,
	const nuv_candidate* last, int remaining)
{
	NUV_FUZZ_CHECK(first != nullptr && first < last);
	NUV_FUZZ_CHECK(last - first <= 7);
	NUV_FUZZ_CHECK(remaining >= 0);
	for (const nuv_candidate* c = first; c != last; c++)
		CheckRecord(*c);
}


void
FuzzControler::HideCandidates()
{
}


void
FuzzControler::ShowRegisters(const nuv_candidate* first,
	const nuv_candidate* last)
{
	NUV_FUZZ_CHECK(first != nullptr && first < last);
	for (const nuv_candidate* c = first; c != last; c++)
		CheckRecord(*c);
}


void
FuzzControler::HideRegisters()
{
}


void
FuzzControler::ShowPurge(const nuv_candidate& candidate)
{
	NUV_FUZZ_CHECK(!fPurgeShown);
	NUV_FUZZ_CHECK(!candidate.candidate.empty());
	CheckRecord(candidate);
	fPurgeShown = true;
}


void
FuzzControler::HidePurge()
{
	fPurgeShown = false;
}


NuvInteractiveConverter*
FuzzControler::Converter(nuv_mode mode)
{
	SharedResources& resources = Resources();
	switch (mode) {
		case MODE_HIRAKANA:
		case MODE_KATAKANA:
			return &resources.kana;
		case MODE_ZENEI:
			return &resources.zenei;
		default:
			return &resources.control;
	}
}


void
FuzzControler::FindCandidates(const nuv_candidate& query,
	NuvCandidateList& out)
{
	NUV_FUZZ_CHECK(query.candidate.empty());
	NUV_FUZZ_CHECK(out.IsEmpty());
	CheckRecord(query);
	NuvEntry merged;
	merged.Merge(fUserDictionary.FindEntry(query));
	merged.Merge(Resources().large.FindEntry(query));
	merged.Fill(query, out);
}


void
FuzzControler::InsertCandidate(const nuv_candidate& candidate)
{
	NUV_FUZZ_CHECK(!candidate.reading.empty());
	NUV_FUZZ_CHECK(!candidate.candidate.empty());
	CheckRecord(candidate);
	fUserDictionary.InsertCandidate(candidate);
}


void
FuzzControler::RemoveCandidate(const nuv_candidate& candidate)
{
	NUV_FUZZ_CHECK(!candidate.candidate.empty());
	CheckRecord(candidate);
	fUserDictionary.RemoveCandidate(candidate);
}
