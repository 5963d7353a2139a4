// One save of a 20,000-key user dictionary as the saver thread makes it:
// the lock, the read of the file as it is now, one learned word applied on
// top, the write of a temporary, its fsync, the rename and the directory's
// fsync. The key path pays none of it; it only hands its changes over.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "BeNuvUserDictionaryFile.h"
#include "BenchUserDictionary.h"
#include "NuvDynamicDictionary.h"


namespace {

const size_t kUserKeys = 20000;


// A directory holding ".nuv-jisyo" of kUserKeys keys of three hiragana,
// three words each, every tenth key okuri-ari with a block.
std::string
MakeSettings()
{
	char pattern[] = "/tmp/nuv-save-bench-XXXXXX";
	if (mkdtemp(pattern) == NULL)
		abort();
	std::ofstream out(std::string(pattern) + "/.nuv-jisyo",
		std::ios::binary);
	out << BenchUserDictionary(kUserKeys);
	return std::string(pattern) + "/";
}


void
BM_SaveUserDictionary(benchmark::State& state)
{
	const std::string directory = MakeSettings();
	BeNuvUserDictionaryFile file(directory);
	NuvDynamicDictionary::ChangeList changes(1);
	changes[0].learned = true;
	changes[0].candidate.reading = "\xA4\xAB\xA4\xF3\xA4\xB8";	// かんじ
	changes[0].candidate.candidate = "\xB4\xC1\xBB\xFA";		// 漢字
	size_t keys = 0;
	for (auto _ : state) {
		NuvDynamicDictionary merged;
		std::vector<std::string> notices;
		if (!file.Save(changes, merged, notices))
			state.SkipWithError("the save failed");
		keys = merged.CountEntries();
		// freeing the merged map is not part of the save
		state.PauseTiming();
		{
			NuvDynamicDictionary gone;
			gone.SwapContent(merged);
		}
		state.ResumeTiming();
	}
	state.counters["keys"] = static_cast<double>(keys);
	std::error_code error;
	std::filesystem::remove_all(directory, error);
}
BENCHMARK(BM_SaveUserDictionary)->Unit(benchmark::kMillisecond)
	->Repetitions(9)->ReportAggregatesOnly(true);

}	// namespace


BENCHMARK_MAIN();
