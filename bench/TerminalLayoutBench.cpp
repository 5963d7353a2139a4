// The interactive session's layout, once per key: its cost must not grow
// with the length of the document's line. Each iteration types one kana at
// the end of a line of `range(0)` characters and lays the screen out with a
// composition after it, then takes the kana back, as typing and Backspace
// do.
#include <benchmark/benchmark.h>

#include <string>

#include "TerminalLayout.h"


namespace {

const char* const kKana = "\xE3\x81\x82";	// あ
const char* const kComposing = "\xE2\x96\xBD\xE3\x81\x8B";	// ▽か


void
BM_TerminalLayoutPerKeyOnOneLine(benchmark::State& state)
{
	std::string document;
	for (int64_t i = 0; i < state.range(0); i++)
		document += kKana;
	TerminalLayout layout(24, 80, 7, 15);
	layout.SetText(document, kComposing);

	for (auto _ : state) {
		document += kKana;
		layout.SetText(document, kComposing);
		benchmark::DoNotOptimize(layout.ComposedLocations());
		document.resize(document.size() - 3);
		layout.SetText(document, kComposing);
		benchmark::DoNotOptimize(layout.Caret());
	}
	// Two layouts per iteration: report per key.
	state.SetItemsProcessed(state.iterations() * 2);
}
BENCHMARK(BM_TerminalLayoutPerKeyOnOneLine)->Arg(6000)->Arg(60000);

}	// namespace


BENCHMARK_MAIN();
