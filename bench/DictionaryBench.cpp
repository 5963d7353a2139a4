// Dictionary loading and look-up over the default NUV-JISYO.L, beside the
// floor of reading the same file's bytes into one buffer; reading and
// writing a user dictionary of 20,000 keys.
//
// Targets: BM_LoadStaticDictionary within 4x of BM_ReadFileFloor of the same
// run; BM_FindEntryHit under 1 µs (median of the repetitions). On a loaded
// machine compare CPU times: wall times then count the waits for a core.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <memory>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "NuvDynamicDictionary.h"
#include "NuvKey.h"
#include "NuvStaticDictionary.h"


namespace {

const char* const kDictionaryPath = NUV_SETTINGS_SOURCE_DIR "/NUV-JISYO.L";
const size_t kUserKeys = 20000;
// Look-ups cycle through this many keys drawn from the whole file: enough to
// reach every part of it, few enough that the queries themselves stay in
// the cache.
const size_t kQueryCount = 16384;
const int kRepetitions = 9;


// The key texts of the file, in file order.
std::vector<std::string>
ReadKeys()
{
	std::vector<std::string> keys;
	std::ifstream in(kDictionaryPath, std::ios::binary);
	std::string line;
	while (std::getline(in, line)) {
		size_t separator = line.find(" /");
		if (line.empty() || line[0] == ';' || separator == std::string::npos)
			continue;
		keys.push_back(line.substr(0, separator));
	}
	return keys;
}


std::vector<nuv_candidate>
Queries(const std::vector<std::string>& keys, const char* suffix)
{
	std::vector<nuv_candidate> queries;
	for (const std::string& key : keys) {
		NuvKey parsed((key + suffix).c_str());
		nuv_candidate query;
		query.reading = parsed.reading;
		query.okuri = parsed.okuri;
		queries.push_back(query);
	}
	std::shuffle(queries.begin(), queries.end(), std::mt19937(42));
	queries.resize(std::min(queries.size(), kQueryCount));
	return queries;
}


NuvStaticDictionary&
LoadedDictionary()
{
	static NuvStaticDictionary* dictionary = [] {
		NuvStaticDictionary* loaded = new NuvStaticDictionary;
		std::ifstream in(kDictionaryPath, std::ios::binary);
		loaded->Read(in);
		return loaded;
	}();
	return *dictionary;
}


// A user dictionary file of kUserKeys keys taken from the default
// dictionary, three words each; the okuri-ari keys carry a block.
const std::string&
UserDictionaryText()
{
	static const std::string text = [] {
		std::vector<std::string> keys = ReadKeys();
		std::shuffle(keys.begin(), keys.end(), std::mt19937(7));
		keys.resize(std::min(keys.size(), kUserKeys));
		NuvDynamicDictionary user;
		for (const std::string& key : keys) {
			NuvKey parsed(key.c_str());
			nuv_candidate c;
			c.reading = parsed.reading;
			c.okuri = parsed.okuri;
			NuvEntry entry = LoadedDictionary().FindEntry(c);
			int count = 0;
			for (auto word = entry.stems.rbegin();
					word != entry.stems.rend() && count < 3; ++word, ++count) {
				c.candidate = *word;
				c.okurigana = c.okuri.empty() ? "" : "\xA4\xAF";	// く
				user.InsertCandidate(c);
			}
		}
		std::ostringstream out;
		user.Write(out);
		return out.str();
	}();
	return text;
}

}	// namespace


static void
BM_ReadFileFloor(benchmark::State& state)
{
	size_t bytes = 0;
	for (auto _ : state) {
		std::ifstream in(kDictionaryPath, std::ios::binary);
		in.seekg(0, std::ios::end);
		size_t length = static_cast<size_t>(in.tellg());
		in.seekg(0, std::ios::beg);
		std::unique_ptr<char[]> buffer(new char[length + 2]);
		in.read(buffer.get(), static_cast<std::streamsize>(length));
		buffer[length] = '\0';
		benchmark::DoNotOptimize(buffer.get());
		bytes = length;
	}
	state.SetBytesProcessed(static_cast<int64_t>(bytes * state.iterations()));
}
BENCHMARK(BM_ReadFileFloor)->Unit(benchmark::kMillisecond)
	->Repetitions(kRepetitions)->ReportAggregatesOnly(true);


// Reading the bytes and visiting each line once (memchr for every line
// feed): the least any loader that finds the lines must do.
static void
BM_ReadFileAndFindLines(benchmark::State& state)
{
	size_t lines = 0;
	for (auto _ : state) {
		std::ifstream in(kDictionaryPath, std::ios::binary);
		in.seekg(0, std::ios::end);
		size_t length = static_cast<size_t>(in.tellg());
		in.seekg(0, std::ios::beg);
		std::unique_ptr<char[]> buffer(new char[length + 2]);
		in.read(buffer.get(), static_cast<std::streamsize>(length));
		buffer[length] = '\0';
		lines = 0;
		const char* end = buffer.get() + length;
		for (const char* p = buffer.get(); (p = static_cast<const char*>(
				std::memchr(p, '\n', end - p))) != nullptr; p++)
			lines++;
		benchmark::DoNotOptimize(lines);
	}
	state.counters["lines"] = static_cast<double>(lines);
}
BENCHMARK(BM_ReadFileAndFindLines)->Unit(benchmark::kMillisecond)
	->Repetitions(kRepetitions)->ReportAggregatesOnly(true);


static void
BM_LoadStaticDictionary(benchmark::State& state)
{
	size_t items = 0;
	for (auto _ : state) {
		NuvStaticDictionary dictionary;
		std::ifstream in(kDictionaryPath, std::ios::binary);
		dictionary.Read(in);
		items = dictionary.CountItems();
	}
	state.counters["lines"] = static_cast<double>(items);
}
BENCHMARK(BM_LoadStaticDictionary)->Unit(benchmark::kMillisecond)
	->Repetitions(kRepetitions)->ReportAggregatesOnly(true);


static void
FindEntries(benchmark::State& state, const std::vector<nuv_candidate>& queries)
{
	NuvStaticDictionary& dictionary = LoadedDictionary();
	size_t next = 0;
	size_t found = 0;
	for (auto _ : state) {
		NuvEntry entry = dictionary.FindEntry(queries[next]);
		found += entry.stems.size();
		benchmark::DoNotOptimize(entry);
		if (++next == queries.size())
			next = 0;
	}
	state.counters["words"] = benchmark::Counter(static_cast<double>(found),
		benchmark::Counter::kAvgIterations);
}


static void
BM_FindEntryHit(benchmark::State& state)
{
	static const std::vector<nuv_candidate> queries = Queries(ReadKeys(), "");
	FindEntries(state, queries);
}
BENCHMARK(BM_FindEntryHit)->Repetitions(kRepetitions)
	->ReportAggregatesOnly(true);


static void
BM_FindEntryMiss(benchmark::State& state)
{
	// A trailing ゐ makes keys that the file does not hold.
	static const std::vector<nuv_candidate> queries
		= Queries(ReadKeys(), "\xA4\xF1");
	FindEntries(state, queries);
}
BENCHMARK(BM_FindEntryMiss)->Repetitions(kRepetitions)
	->ReportAggregatesOnly(true);


static void
BM_ReadUserDictionary(benchmark::State& state)
{
	const std::string& text = UserDictionaryText();
	size_t keys = 0;
	for (auto _ : state) {
		std::unique_ptr<NuvDynamicDictionary> user(new NuvDynamicDictionary);
		std::istringstream in(text);
		user->Read(in);
		keys = user->CountEntries();
		// freeing the map is not part of reading
		state.PauseTiming();
		user.reset();
		state.ResumeTiming();
	}
	state.counters["keys"] = static_cast<double>(keys);
}
BENCHMARK(BM_ReadUserDictionary)->Unit(benchmark::kMillisecond)
	->Repetitions(kRepetitions)->ReportAggregatesOnly(true);


static void
BM_WriteUserDictionary(benchmark::State& state)
{
	NuvDynamicDictionary user;
	std::istringstream in(UserDictionaryText());
	user.Read(in);
	for (auto _ : state) {
		std::ostringstream out;
		user.Write(out);
		benchmark::DoNotOptimize(out);
	}
	state.counters["keys"] = static_cast<double>(user.CountEntries());
}
BENCHMARK(BM_WriteUserDictionary)->Unit(benchmark::kMillisecond)
	->Repetitions(kRepetitions)->ReportAggregatesOnly(true);


BENCHMARK_MAIN();
