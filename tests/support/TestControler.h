// A controller for tests: it implements every hook by recording the call,
// types into automata filled from the default tables of settings/, and
// answers look-ups from two dictionaries merged the way the front end merges
// them (the learning user dictionary first, then the large one).
//
// Recorded calls are UTF-8 strings, one per hook call, in call order:
//	SetMode(MODE_HIRAKANA)
//	ShowCandidates(漢字,感じ;3)		the page's words; the count left after it
//	HideCandidates()
//	ShowRegisters(かんじ|おお*k)		the chain, outermost first
//	HideRegisters()
//	ShowPurge(かんじ=漢字)
//	HidePurge()
//	FindCandidates(おお*k,き)
//	InsertCandidate(おお*k,き=大)
//	RemoveCandidate(かんじ=漢字)
// A record is written as its reading, "*" and the okuri letter when it has
// one, "," and the okurigana when there is any, "=" and the word when there
// is one (see Describe()). Converter() and IsKey() are not recorded.
//
// Threads: one thread at a time, like every controller.
#ifndef NUV_TEST_CONTROLER_H
#define NUV_TEST_CONTROLER_H

#include <cstdint>
#include <istream>
#include <string>
#include <vector>

#include "NuvAutomaton.h"
#include "NuvControler.h"
#include "NuvDynamicDictionary.h"
#include "NuvStaticDictionary.h"

namespace nuv_test {

class TestControler : public NuvControler {
public:
	// Automata from the default tables (kana: roman_kana.table and
	// control_key.table; full-width: roman_zennei.table and
	// control_key.table; control keys: control_key.table), both
	// dictionaries empty. The stack stays empty until first needed.
								TestControler();

	// Dictionaries

	// Loads the large dictionary from `utf8` lines, for dictionaries
	// written inside a test.
			void				SetLargeDictionary(const std::string& utf8);
			NuvDynamicDictionary& UserDictionary() { return fUserDictionary; }

	// Recorded calls

			const std::vector<std::string>& Calls() const { return fCalls; }
	// The calls recorded so far; the record is emptied.
			std::vector<std::string> TakeCalls();
	// The recorded calls whose name is `name` (e.g. "SetMode").
			std::vector<std::string> CallsNamed(const std::string& name) const;

	// What the hooks currently display

			nuv_mode			ShownMode() const { return fMode; }
	// The words of the page shown, empty while the list is hidden.
			const std::vector<std::string>& ShownCandidates() const
									{ return fShownCandidates; }
			int					ShownRemaining() const
									{ return fShownRemaining; }
	// The registration chain shown (Describe() of each record, outermost
	// first); empty while hidden.
			const std::vector<std::string>& ShownRegisters() const
									{ return fShownRegisters; }
	// Describe() of the record in the purge prompt; empty while hidden.
			const std::string&	ShownPurge() const { return fShownPurge; }

	// The automaton handed out for `mode`, for tests that look inside.
			NuvAutomaton&		AutomatonFor(nuv_mode mode);

	// `record` in the notation above, UTF-8.
	static	std::string			Describe(const nuv_candidate& record);

	// Hooks
	virtual	void				SetMode(nuv_mode mode);
	virtual	void				ShowCandidates(const nuv_candidate* first,
									const nuv_candidate* last,
									int remaining);
	virtual	void				HideCandidates();
	virtual	void				ShowRegisters(const nuv_candidate* first,
									const nuv_candidate* last);
	virtual	void				HideRegisters();
	virtual	void				ShowPurge(const nuv_candidate& candidate);
	virtual	void				HidePurge();
	virtual	NuvInteractiveConverter* Converter(nuv_mode mode);
	virtual	void				FindCandidates(const nuv_candidate& query,
									NuvCandidateList& out);
	virtual	void				InsertCandidate(
									const nuv_candidate& candidate);
	virtual	void				RemoveCandidate(
									const nuv_candidate& candidate);

	// The name of `mode`, "MODE_HIRAKANA" and so on.
	static	const char*			ModeName(nuv_mode mode);

private:
			NuvAutomaton		fKana;
			NuvAutomaton		fZenei;
			NuvAutomaton		fControl;
			NuvDynamicDictionary fUserDictionary;
			NuvStaticDictionary	fLargeDictionary;

			std::vector<std::string> fCalls;
			nuv_mode			fMode = MODE_NONE;
			std::vector<std::string> fShownCandidates;
			int					fShownRemaining = 0;
			std::vector<std::string> fShownRegisters;
			std::string			fShownPurge;
};

}	// namespace nuv_test

#endif	// NUV_TEST_CONTROLER_H
