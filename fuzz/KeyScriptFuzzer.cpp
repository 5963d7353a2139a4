// Fuzzes the key-script parser of `nuvim` with the input as a script.
//	- a script that parses is its tokens one after the other, less its line
//	  breaks; they parse again to the same steps, with line breaks between
//	  them or not; a key step carries well-formed UTF-8, an action none;
//	- two scripts that parse, joined, parse to the steps of both in order;
//	- a script that fails leaves no steps and describes its error on one
//	  printable line, at a position, line and column that belong together
//	  and before which the script parses.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <tuple>
#include <vector>

#include "FuzzCheck.h"
#include "KeyScript.h"
#include "NuvUtils.h"


namespace {

bool
SameSteps(const std::vector<KeyStep>& a, const std::vector<KeyStep>& b)
{
	auto fields = [](const KeyStep& s) {
		return std::tie(s.kind, s.token, s.bytes, s.key, s.modifiers);
	};
	return std::equal(a.begin(), a.end(), b.begin(), b.end(),
		[&](const KeyStep& x, const KeyStep& y) {
			return fields(x) == fields(y);
		});
}


bool
Parses(const std::string& script, std::vector<KeyStep>& steps)
{
	KeyScriptError error;
	return KeyScript::Parse(script, steps, error);
}


void
CheckParsed(const std::string& script, const std::vector<KeyStep>& steps)
{
	std::string withoutBreaks = script;
	withoutBreaks.erase(std::remove_if(withoutBreaks.begin(),
		withoutBreaks.end(), [](char c) { return c == '\n' || c == '\r'; }),
		withoutBreaks.end());
	std::string tokens;
	std::string tokenLines;
	for (const KeyStep& step : steps) {
		NUV_FUZZ_CHECK(!step.token.empty());
		tokens += step.token;
		tokenLines += step.token + "\r\n";
		if (step.kind == KeyStep::KEY) {
			NUV_FUZZ_CHECK(!step.bytes.empty()
				&& NuvUtils::IsValidUtf8(step.bytes));
			if (step.token[0] != '<')
				NUV_FUZZ_CHECK(step.bytes == step.token);
		} else
			NUV_FUZZ_CHECK(step.bytes.empty());
	}
	NUV_FUZZ_CHECK(tokens == withoutBreaks);

	std::vector<KeyStep> again;
	for (const std::string& text : {tokens, tokenLines})
		NUV_FUZZ_CHECK(Parses(text, again) && SameSteps(again, steps));
}


void
CheckFailed(const std::string& script, const std::vector<KeyStep>& steps,
	const KeyScriptError& error)
{
	NUV_FUZZ_CHECK(steps.empty());
	NUV_FUZZ_CHECK(!error.reason.empty());
	for (const bool withLine : {false, true}) {
		const std::string line = error.Describe(withLine);
		NUV_FUZZ_CHECK(NuvUtils::IsValidUtf8(line));
		NUV_FUZZ_CHECK(nuv_fuzz::IsPrintable(line));
	}

	// Positions count characters: every byte that does not continue a
	// UTF-8 sequence starts one. Among the byte offsets with position - 1
	// characters before them, one must end a script that parses, and the
	// line and column must be those of that offset.
	NUV_FUZZ_CHECK(error.position >= 1);
	size_t characters = 0;
	size_t line = 1;
	size_t column = 1;
	for (size_t k = 0; k <= script.size() && characters < error.position;
			k++) {
		std::vector<KeyStep> before;
		if (characters == error.position - 1
			&& Parses(script.substr(0, k), before)) {
			NUV_FUZZ_CHECK(error.line == line && error.column == column);
			return;
		}
		if (k < script.size() && (script[k] & 0xC0) != 0x80) {
			characters++;
			line += script[k] == '\n';
			column = script[k] == '\n' ? 1 : column + 1;
		}
	}
	nuv_fuzz::Fail("no script before the error's position parses", __FILE__,
		__LINE__);
}

}	// namespace


extern "C" int
LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
	const std::string script(reinterpret_cast<const char*>(data), size);
	std::vector<KeyStep> steps;
	KeyScriptError error;
	if (KeyScript::Parse(script, steps, error))
		CheckParsed(script, steps);
	else
		CheckFailed(script, steps, error);

	// The script cut in two at a point its first byte chooses.
	if (size > 1) {
		const size_t cut = 1 + data[0] % (size - 1);
		std::vector<KeyStep> first;
		std::vector<KeyStep> second;
		if (Parses(script.substr(0, cut), first)
			&& Parses(script.substr(cut), second)) {
			first.insert(first.end(), second.begin(), second.end());
			NUV_FUZZ_CHECK(SameSteps(steps, first));
		}
	}
	return 0;
}
