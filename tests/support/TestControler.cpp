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
	:
	fConverterCalls(0),
	fMode(MODE_NONE),
	fShownRemaining(0)
{
	ReadTable(fKana, "roman_kana.table");
	ReadTable(fKana, "control_key.table");
	ReadTable(fZenei, "roman_zennei.table");
	ReadTable(fZenei, "control_key.table");
	ReadTable(fControl, "control_key.table");
}


TestControler::~TestControler()
{
	// Nothing to tear down first: the base keeps the states that are still
	// on the stack away from these hooks.
}


bool
TestControler::ReadLargeDictionary(const std::string& path)
{
	std::ifstream file(path, std::ios::binary);
	if (!file)
		return false;
	fLargeDictionary.Read(file);
	return true;
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
	switch (mode) {
		case MODE_NONE:
			return "MODE_NONE";
		case MODE_HIRAKANA:
			return "MODE_HIRAKANA";
		case MODE_KATAKANA:
			return "MODE_KATAKANA";
		case MODE_ASCII:
			return "MODE_ASCII";
		case MODE_ZENEI:
			return "MODE_ZENEI";
		case MODE_ABBREV:
			return "MODE_ABBREV";
		case MODE_TC:
			return "MODE_TC";
		case MODE_TUT:
			return "MODE_TUT";
	}
	return "MODE_?";
}


// #pragma mark - Hooks


void
TestControler::SetMode(nuv_mode mode)
{
	fMode = mode;
	_Record(std::string("SetMode(") + ModeName(mode) + ")");
}


void
TestControler::ShowCandidates(const nuv_candidate* first,
	const nuv_candidate* last, int remaining)
{
	fShownCandidates.clear();
	for (const nuv_candidate* c = first; c != last; c++)
		fShownCandidates.push_back(EucToUtf8(c->candidate));
	fShownRemaining = remaining;
	_Record("ShowCandidates(" + JoinCalls(fShownCandidates, ",") + ";"
		+ std::to_string(remaining) + ")");
}


void
TestControler::HideCandidates()
{
	fShownCandidates.clear();
	fShownRemaining = 0;
	_Record("HideCandidates()");
}


void
TestControler::ShowRegisters(const nuv_candidate* first,
	const nuv_candidate* last)
{
	fShownRegisters.clear();
	for (const nuv_candidate* c = first; c != last; c++)
		fShownRegisters.push_back(Describe(*c));
	_Record("ShowRegisters(" + JoinCalls(fShownRegisters, "|") + ")");
}


void
TestControler::HideRegisters()
{
	fShownRegisters.clear();
	_Record("HideRegisters()");
}


void
TestControler::ShowPurge(const nuv_candidate& candidate)
{
	fShownPurge = Describe(candidate);
	_Record("ShowPurge(" + fShownPurge + ")");
}


void
TestControler::HidePurge()
{
	fShownPurge.clear();
	_Record("HidePurge()");
}


NuvInteractiveConverter*
TestControler::Converter(nuv_mode mode)
{
	fConverterCalls++;
	return &AutomatonFor(mode);
}


void
TestControler::FindCandidates(const nuv_candidate& query,
	std::vector<nuv_candidate>& out)
{
	_Record("FindCandidates(" + Describe(query) + ")");
	NuvEntry merged;
	merged.Merge(fUserDictionary.FindEntry(query));
	merged.Merge(fLargeDictionary.FindEntry(query));
	merged.Fill(query, out);
}


void
TestControler::InsertCandidate(const nuv_candidate& candidate)
{
	_Record("InsertCandidate(" + Describe(candidate) + ")");
	fUserDictionary.InsertCandidate(candidate);
}


void
TestControler::RemoveCandidate(const nuv_candidate& candidate)
{
	_Record("RemoveCandidate(" + Describe(candidate) + ")");
	fUserDictionary.RemoveCandidate(candidate);
}


void
TestControler::_Record(const std::string& call)
{
	fCalls.push_back(call);
}

}	// namespace nuv_test
