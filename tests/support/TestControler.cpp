#include "TestControler.h"

#include <fstream>
#include <sstream>

#include "NuvEntry.h"
#include "TestText.h"


namespace nuv_test {

namespace {

void
ReadTable(NuvAutomaton& automaton, const char* name)
{
	std::ifstream file(std::string(NUV_SETTINGS_SOURCE_DIR) + "/" + name,
		std::ios::binary);
	automaton.Read(file);
}


std::string
JoinCalls(const std::vector<std::string>& parts, const char* separator)
{
	std::string text;
	for (size_t i = 0; i < parts.size(); i++) {
		if (i > 0)
			text += separator;
		text += parts[i];
	}
	return text;
}

}	// namespace


TestControler::TestControler()
{
	ReadTable(fKana, "roman_kana.table");
	ReadTable(fKana, "control_key.table");
	ReadTable(fZenei, "roman_zennei.table");
	ReadTable(fZenei, "control_key.table");
	ReadTable(fControl, "control_key.table");
}


void
TestControler::SetLargeDictionary(const std::string& utf8)
{
	std::istringstream stream(Utf8ToEuc(utf8));
	fLargeDictionary.Read(stream);
}


std::vector<std::string>
TestControler::TakeCalls()
{
	std::vector<std::string> calls;
	calls.swap(fCalls);
	return calls;
}


std::vector<std::string>
TestControler::CallsNamed(const std::string& name) const
{
	std::vector<std::string> calls;
	for (const std::string& call : fCalls) {
		if (call.compare(0, name.size(), name) == 0
			&& call.size() > name.size() && call[name.size()] == '(')
			calls.push_back(call);
	}
	return calls;
}


NuvAutomaton&
TestControler::AutomatonFor(nuv_mode mode)
{
	switch (mode) {
		case MODE_HIRAKANA:
		case MODE_KATAKANA:
			return fKana;
		case MODE_ZENEI:
			return fZenei;
		default:
			return fControl;
	}
}


std::string
TestControler::Describe(const nuv_candidate& record)
{
	std::string text = record.reading;
	if (!record.okuri.empty())
		text += "*" + record.okuri;
	if (!record.okurigana.empty())
		text += "," + record.okurigana;
	if (!record.candidate.empty())
		text += "=" + record.candidate;
	return EucToUtf8(text);
}


const char*
TestControler::ModeName(nuv_mode mode)
{
	static const char* const kNames[] = { "MODE_NONE", "MODE_HIRAKANA",
		"MODE_KATAKANA", "MODE_ASCII", "MODE_ZENEI", "MODE_ABBREV", "MODE_TC",
		"MODE_TUT" };
	return mode >= MODE_NONE && mode <= MODE_TUT ? kNames[mode] : "MODE_?";
}


// #pragma mark - Hooks


void
TestControler::SetMode(nuv_mode mode)
{
	fMode = mode;
	fCalls.push_back(std::string("SetMode(") + ModeName(mode) + ")");
}


void
TestControler::ShowCandidates(const nuv_candidate* first,
	const nuv_candidate* last, int remaining)
{
	fShownCandidates.clear();
	for (const nuv_candidate* c = first; c != last; c++)
		fShownCandidates.push_back(EucToUtf8(c->candidate));
	fShownRemaining = remaining;
	fCalls.push_back("ShowCandidates(" + JoinCalls(fShownCandidates, ",") + ";"
		+ std::to_string(remaining) + ")");
}


void
TestControler::HideCandidates()
{
	fShownCandidates.clear();
	fShownRemaining = 0;
	fCalls.push_back("HideCandidates()");
}


void
TestControler::ShowRegisters(const nuv_candidate* first,
	const nuv_candidate* last)
{
	fShownRegisters.clear();
	for (const nuv_candidate* c = first; c != last; c++)
		fShownRegisters.push_back(Describe(*c));
	fCalls.push_back("ShowRegisters(" + JoinCalls(fShownRegisters, "|") + ")");
}


void
TestControler::HideRegisters()
{
	fShownRegisters.clear();
	fCalls.push_back("HideRegisters()");
}


void
TestControler::ShowPurge(const nuv_candidate& candidate)
{
	fShownPurge = Describe(candidate);
	fCalls.push_back("ShowPurge(" + fShownPurge + ")");
}


void
TestControler::HidePurge()
{
	fShownPurge.clear();
	fCalls.push_back("HidePurge()");
}


NuvInteractiveConverter*
TestControler::Converter(nuv_mode mode)
{
	return &AutomatonFor(mode);
}


void
TestControler::FindCandidates(const nuv_candidate& query,
	NuvCandidateList& out)
{
	fCalls.push_back("FindCandidates(" + Describe(query) + ")");
	NuvEntry merged;
	merged.Merge(fUserDictionary.FindEntry(query));
	merged.Merge(fLargeDictionary.FindEntry(query));
	merged.Fill(query, out);
}


void
TestControler::InsertCandidate(const nuv_candidate& candidate)
{
	fCalls.push_back("InsertCandidate(" + Describe(candidate) + ")");
	fUserDictionary.InsertCandidate(candidate);
}


void
TestControler::RemoveCandidate(const nuv_candidate& candidate)
{
	fCalls.push_back("RemoveCandidate(" + Describe(candidate) + ")");
	fUserDictionary.RemoveCandidate(candidate);
}

}	// namespace nuv_test
