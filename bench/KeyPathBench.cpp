// The key path, from the engine alone to the whole method, over the default
// tables and NUV-JISYO.L of settings/:
//
//	BM_EngineKey: the engine's work for one key of a typing workload, as the
//	front end asks for it (Input, again while INPUT_AGAIN, Confirmed and
//	Pending after each round), through a controller whose hooks only keep
//	what they are given. The workload is romaji of words of the dictionary:
//	half typed as a reading with a capital first letter, converted with
//	space and confirmed with Enter (which learns the word), half typed in
//	lower case as plain hiragana.
//
//	BM_KeyToEvents: the same keys as key-down messages handed to the real
//	nuvIM module, loaded by the input-server stand-in; the time from the
//	message being posted to the method's looper until the last event it
//	causes is enqueued to the input server.
//
//	BM_KeyToEventsWhileSaving: the same over a user dictionary of 20,000
//	keys, for long enough that the method saves it every 5 s meanwhile
//	(counter saves), as a person who types on without a pause has it.
//
//	BM_StartUp: instantiate_input_method until it returns, that is until the
//	method takes keys (its constructor waits for the settings to load),
//	beside the bare read of NUV-JISYO.L's bytes and the large dictionary's
//	loader alone, in the same iteration.
//
// Each reports the median per key (or per start-up) as the counter
// median_us, with p99_us; the targets are under 5 µs for BM_EngineKey,
// under 50 µs for BM_KeyToEvents, and BM_StartUp's ratio (start-up over the
// bare read) within 6.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <memory>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include <dlfcn.h>
#include <sys/stat.h>
#include <unistd.h>

#include <FindDirectory.h>
#include <Font.h>
#include <HeadlessDisplay.h>

#include "ApplicationModel.h"
#include "BenchUserDictionary.h"
#include "KeyScript.h"
#include "MethodHost.h"
#include "NuvAutomaton.h"
#include "NuvControler.h"
#include "NuvDynamicDictionary.h"
#include "NuvEntry.h"
#include "NuvStaticDictionary.h"


namespace fs = std::filesystem;

using Clock = std::chrono::steady_clock;


namespace {

const std::string kSettings = NUV_SETTINGS_SOURCE_DIR;
const char* const kSettingsFiles[] = {"roman_kana.table",
	"roman_zennei.table", "control_key.table", "NUV-JISYO.L"};
// Words in the workload; every other one is converted.
const size_t kWords = 2000;
const int kRepetitions = 5;
// Keys per repetition of BM_KeyToEvents: each waits for the method to
// settle, which costs far more wall time than the key itself.
const int kFrontEndKeys = 4000;
// BM_KeyToEventsWhileSaving: a user dictionary of this many keys (a save
// costs some 12 ms of processor time), and keys enough for some 20 s on a quiet machine.
const size_t kSavingUserKeys = 20000;
const int kSavingKeys = 300000;
const int kStartUps = 8;
const char kReadingMarker[] = "\xA2\xA6";		// ▽
const char kConversionMarker[] = "\xA2\xA7";	// ▼


std::string
ReadFile(const std::string& path)
{
	std::ifstream in(path, std::ios::binary);
	return std::string(std::istreambuf_iterator<char>(in),
		std::istreambuf_iterator<char>());
}


double
Microseconds(Clock::duration duration)
{
	return std::chrono::duration<double, std::micro>(duration).count();
}


// Sets the median and the 99th percentile of `samples` (microseconds) as
// counters.
void
ReportSpread(benchmark::State& state, std::vector<double>& samples)
{
	if (samples.empty())
		return;
	std::sort(samples.begin(), samples.end());
	state.counters["median_us"] = samples[samples.size() / 2];
	state.counters["p99_us"] = samples[samples.size() * 99 / 100];
}


// #pragma mark - Engine


// The three automata and the two dictionaries, filled as the method's
// resources fill them.
struct Tables {
	NuvAutomaton		kana;
	NuvAutomaton		zenei;
	NuvAutomaton		control;
	NuvStaticDictionary	dictionary;

	Tables()
	{
		Read(kana, "roman_kana.table");
		Read(kana, "control_key.table");
		Read(zenei, "roman_zennei.table");
		Read(zenei, "control_key.table");
		Read(control, "control_key.table");
		std::ifstream in(kSettings + "/NUV-JISYO.L", std::ios::binary);
		dictionary.Read(in);
	}

	static void Read(NuvAutomaton& automaton, const char* name)
	{
		std::ifstream in(kSettings + "/" + name, std::ios::binary);
		automaton.Read(in);
	}
};


Tables&
LoadedTables()
{
	static Tables* tables = new Tables;
	return *tables;
}


// A controller whose hooks keep what they are given and do nothing else;
// look-ups merge the user dictionary and the large one as the front end
// does.
class BenchControler : public NuvControler {
public:
	BenchControler(Tables& tables, NuvDynamicDictionary& user)
		:
		fTables(tables),
		fUser(user),
		fMode(MODE_NONE),
		fShown(0)
	{
		State();
	}

	virtual ~BenchControler()
	{
		ClearState(0);
	}

	virtual void SetMode(nuv_mode mode) { fMode = mode; }
	virtual void ShowCandidates(const nuv_candidate* first,
		const nuv_candidate* last, int)
		{ fShown = static_cast<int>(last - first); }
	virtual void HideCandidates() { fShown = 0; }
	virtual void ShowRegisters(const nuv_candidate*, const nuv_candidate*) {}
	virtual void HideRegisters() {}
	virtual void ShowPurge(const nuv_candidate&) {}
	virtual void HidePurge() {}

	virtual NuvInteractiveConverter* Converter(nuv_mode mode)
	{
		switch (mode) {
			case MODE_HIRAKANA:
			case MODE_KATAKANA:
				return &fTables.kana;
			case MODE_ZENEI:
				return &fTables.zenei;
			default:
				return &fTables.control;
		}
	}

	virtual void FindCandidates(const nuv_candidate& query,
		NuvCandidateList& out)
	{
		NuvEntry merged;
		merged.Merge(fUser.FindEntry(query));
		merged.Merge(fTables.dictionary.FindEntry(query));
		merged.Fill(query, out);
	}

	virtual void InsertCandidate(const nuv_candidate& candidate)
		{ fUser.InsertCandidate(candidate); }
	virtual void RemoveCandidate(const nuv_candidate& candidate)
		{ fUser.RemoveCandidate(candidate); }

private:
	Tables&					fTables;
	NuvDynamicDictionary&	fUser;
	nuv_mode				fMode;
	int						fShown;
};


// One key as the looper hands it over: Input(), Confirmed() and Pending()
// after each round, again while INPUT_AGAIN. Returns the last answer.
int32_t
PressKey(NuvControler& controler, nuv_input input, std::string& confirmed,
	std::string& pending)
{
	int32_t result = INPUT_CONSUMED;
	for (int round = 0; round < 16; round++) {
		result = controler.Input(input);
		confirmed += controler.Confirmed();
		pending = controler.Pending();
		if (result != INPUT_AGAIN)
			break;
	}
	return result;
}


// The romaji for each hiragana of roman_kana.table that one key sequence of
// lower-case letters types: the shortest, and "nn" for ん so that a vowel
// after it cannot join it.
std::map<std::string, std::string>
RomajiOfKana()
{
	std::istringstream table(ReadFile(kSettings + "/roman_kana.table"));
	std::map<std::string, std::string> romaji;
	std::string key;
	std::string value;
	while (table >> key >> value) {
		if (value.size() != 2 || static_cast<uint8_t>(value[0]) != 0xA4
			|| !std::all_of(key.begin(), key.end(),
				[](char c) { return c >= 'a' && c <= 'z'; }))
			continue;
		std::string& known = romaji[value];
		if (known.empty() || key.size() < known.size()
			|| (key.size() == known.size() && key < known))
			known = key;
	}
	romaji["\xA4\xF3"] = "nn";
	return romaji;
}


// The key strings of the workload: words of NUV-JISYO.L (okuri-nasi keys of
// two to five hiragana), each typed either as "Romaji" + space + Enter or as
// plain "romaji"; only words whose keys give back the expected texts in a
// trial run are kept. In a fixed pseudo-random order.
const std::vector<std::string>&
Workload()
{
	static std::vector<std::string>* workload = [] {
		const std::map<std::string, std::string> romaji = RomajiOfKana();
		std::vector<std::pair<std::string, std::string>> words;
		std::istringstream dictionary(ReadFile(kSettings + "/NUV-JISYO.L"));
		std::string line;
		while (std::getline(dictionary, line)) {
			const size_t blank = line.find(" /");
			if (line.empty() || line[0] == ';' || blank == std::string::npos
				|| blank % 2 != 0 || blank < 4 || blank > 10)
				continue;
			const std::string reading = line.substr(0, blank);
			std::string typed;
			bool typable = true;
			for (size_t i = 0; typable && i < reading.size(); i += 2) {
				auto found = romaji.find(reading.substr(i, 2));
				typable = found != romaji.end();
				if (typable)
					typed += found->second;
			}
			if (typable)
				words.emplace_back(reading, typed);
		}
		std::shuffle(words.begin(), words.end(), std::mt19937(7));

		NuvDynamicDictionary user;
		BenchControler controler(LoadedTables(), user);
		std::vector<std::string>* keys = new std::vector<std::string>;
		for (const auto& word : words) {
			if (keys->size() == kWords)
				break;
			const bool convert = keys->size() % 2 == 0;
			std::string typed = word.second;
			if (convert)
				typed[0] = typed[0] - 'a' + 'A';
			std::string confirmed;
			std::string pending;
			for (char key : typed)
				PressKey(controler, nuv_input(key), confirmed, pending);
			bool good;
			if (convert) {
				good = pending == kReadingMarker + word.first;
				PressKey(controler, nuv_input(' '), confirmed, pending);
				good = good && pending.compare(0, 2, kConversionMarker) == 0;
				PressKey(controler, nuv_input('\r'), confirmed, pending);
				good = good && !confirmed.empty() && pending.empty();
				typed += " \r";
			} else
				good = confirmed == word.first && pending.empty();
			controler.Clear();
			if (good)
				keys->push_back(typed);
		}
		return keys;
	}();
	return *workload;
}


void
BM_EngineKey(benchmark::State& state)
{
	const std::vector<std::string>& words = Workload();
	std::vector<nuv_input> keys;
	for (const std::string& word : words) {
		for (char key : word)
			keys.push_back(nuv_input(key));
	}

	NuvDynamicDictionary user;
	BenchControler controler(LoadedTables(), user);
	std::string confirmed;
	std::string pending;
	std::vector<double> samples;
	samples.reserve(1 << 20);
	size_t next = 0;
	for (auto _ : state) {
		const Clock::time_point start = Clock::now();
		PressKey(controler, keys[next], confirmed, pending);
		const Clock::duration spent = Clock::now() - start;
		benchmark::DoNotOptimize(pending);
		confirmed.clear();
		state.SetIterationTime(std::chrono::duration<double>(spent).count());
		if (samples.size() < samples.capacity())
			samples.push_back(Microseconds(spent));
		if (++next == keys.size())
			next = 0;
	}
	ReportSpread(state, samples);
	state.counters["words"] = static_cast<double>(words.size());
}
BENCHMARK(BM_EngineKey)->UseManualTime()->Unit(benchmark::kMicrosecond)
	->Repetitions(kRepetitions)->ReportAggregatesOnly(true);


// #pragma mark - Front end


// A settings directory of links to settings/'s tables and dictionary, with
// no user dictionary; removed at exit.
class LinkedSettings {
public:
	LinkedSettings()
	{
		char pattern[] = "/tmp/nuv-keypath-XXXXXX";
		if (mkdtemp(pattern) == NULL)
			abort();
		fRoot = pattern;
		const std::string settings = fRoot + "/nuvim_settings";
		fs::create_directory(settings);
		for (const char* name : kSettingsFiles)
			fs::create_symlink(kSettings + "/" + name, settings + "/" + name);
	}

	~LinkedSettings()
	{
		std::error_code error;
		fs::remove_all(fRoot, error);
	}

	// Points the method's settings directory here, with a user dictionary
	// of `userKeys` keys (BenchUserDictionary.h; none when 0).
	void Use(size_t userKeys = 0)
	{
		const std::string path = fRoot + "/nuvim_settings/.nuv-jisyo";
		std::error_code error;
		fs::remove(path, error);
		if (userKeys > 0) {
			std::ofstream out(path, std::ios::binary);
			out << BenchUserDictionary(userKeys);
		}
		HeadlessDisplay::SetDirectory(B_USER_SETTINGS_DIRECTORY,
			fRoot.c_str());
	}

	std::string UserFile() const
	{
		return fRoot + "/nuvim_settings/.nuv-jisyo";
	}

private:
	std::string	fRoot;
};


LinkedSettings&
Settings()
{
	static LinkedSettings settings;
	return settings;
}


ApplicationModel
Application()
{
	font_height height;
	be_plain_font->GetHeight(&height);
	return ApplicationModel(20, 20,
		height.ascent + height.descent + height.leading,
		[](const std::string& text) {
			return be_plain_font->StringWidth(text.c_str());
		});
}


// The input server stand-in, noting when the method enqueues each message.
class TimedHost : public MethodHost {
public:
	TimedHost(ApplicationModel& application)
		:
		MethodHost(application, NULL),
		fEnqueued(0)
	{
	}

	virtual status_t EnqueueMessage(BInputServerMethod* method,
		BMessage* message)
	{
		fLastEnqueue.store(Clock::now().time_since_epoch().count());
		fEnqueued.fetch_add(1);
		return MethodHost::EnqueueMessage(method, message);
	}

	int64_t Enqueued() const { return fEnqueued.load(); }
	Clock::time_point LastEnqueue() const
	{
		return Clock::time_point(Clock::duration(fLastEnqueue.load()));
	}

private:
	std::atomic<int64_t>					fEnqueued;
	std::atomic<Clock::duration::rep>		fLastEnqueue;
};


typedef BInputServerMethod* (*instantiate_function)();


// The real module, opened once.
instantiate_function
ModuleEntry()
{
	static instantiate_function entry = [] {
		void* module = dlopen(NUV_METHOD_MODULE, RTLD_NOW | RTLD_LOCAL);
		if (module == NULL)
			return instantiate_function(NULL);
		return reinterpret_cast<instantiate_function>(
			dlsym(module, "instantiate_input_method"));
	}();
	return entry;
}


// The inode and change time of `path`: a save replaces the file.
std::pair<ino_t, int64_t>
FileIdentity(const std::string& path)
{
	struct stat status;
	if (stat(path.c_str(), &status) != 0)
		return std::make_pair(ino_t(0), int64_t(0));
	return std::make_pair(status.st_ino, static_cast<int64_t>(
		status.st_ctim.tv_sec) * 1000000000 + status.st_ctim.tv_nsec);
}


// BM_KeyToEvents with a user dictionary of `userKeys` keys; counts the
// saves made meanwhile.
void
KeyToEvents(benchmark::State& state, size_t userKeys)
{
	if (ModuleEntry() == NULL) {
		state.SkipWithError("cannot open the nuvIM module");
		return;
	}
	std::vector<KeyStep> steps;
	for (const std::string& word : Workload()) {
		std::string script;
		for (char key : word)
			script += key == '\r' ? std::string("<enter>") : std::string(1, key);
		std::vector<KeyStep> parsed;
		KeyScriptError error;
		if (!KeyScript::Parse(script, parsed, error)) {
			state.SkipWithError(error.Describe(false).c_str());
			return;
		}
		steps.insert(steps.end(), parsed.begin(), parsed.end());
	}

	Settings().Use(userKeys);
	std::pair<ino_t, int64_t> file = FileIdentity(Settings().UserFile());
	int64_t saves = 0;
	ApplicationModel application = Application();
	TimedHost host(application);
	if (!host.Instantiate(ModuleEntry())) {
		state.SkipWithError("instantiate_input_method returned no method");
		return;
	}
	host.Activate(true);
	if (!host.Settle()) {
		state.SkipWithError("the method stopped responding");
		return;
	}

	std::vector<double> samples;
	int64_t silent = 0;
	size_t next = 0;
	for (auto _ : state) {
		BMessage* message = MethodHost::MakeKeyMessage(steps[next]);
		const int64_t before = host.Enqueued();
		const Clock::time_point posted = Clock::now();
		host.SendKey(message);
		if (!host.Settle()) {
			state.SkipWithError("the method stopped responding");
			break;
		}
		if (host.Enqueued() > before) {
			const Clock::duration spent = host.LastEnqueue() - posted;
			state.SetIterationTime(std::chrono::duration<double>(spent)
				.count());
			samples.push_back(Microseconds(spent));
		} else {
			state.SetIterationTime(0);
			silent++;
		}
		host.ClearDelivered();
		if (++next == steps.size())
			next = 0;
		if (userKeys > 0) {
			const std::pair<ino_t, int64_t> now
				= FileIdentity(Settings().UserFile());
			saves += now != file;
			file = now;
		}
	}
	host.Unload();
	ReportSpread(state, samples);
	state.counters["keys_without_events"] = static_cast<double>(silent);
	state.counters["saves"] = static_cast<double>(saves);
}


void
BM_KeyToEvents(benchmark::State& state)
{
	KeyToEvents(state, 0);
}
BENCHMARK(BM_KeyToEvents)->UseManualTime()->Unit(benchmark::kMicrosecond)
	->Iterations(kFrontEndKeys)->Repetitions(kRepetitions)
	->ReportAggregatesOnly(true);


// The same keys over a user dictionary of kSavingUserKeys keys, for long
// enough that the method saves it several times while keys keep coming
// (every 5 s of typing): the key path must not notice.
void
BM_KeyToEventsWhileSaving(benchmark::State& state)
{
	KeyToEvents(state, kSavingUserKeys);
}
BENCHMARK(BM_KeyToEventsWhileSaving)->UseManualTime()
	->Unit(benchmark::kMicrosecond)->Iterations(kSavingKeys)->Repetitions(1);


void
BM_StartUp(benchmark::State& state)
{
	if (ModuleEntry() == NULL) {
		state.SkipWithError("cannot open the nuvIM module");
		return;
	}
	const std::string dictionary = kSettings + "/NUV-JISYO.L";
	const size_t size = fs::file_size(dictionary);
	ApplicationModel application = Application();
	TimedHost host(application);
	std::vector<double> startUps;
	std::vector<double> reads;
	std::vector<double> loads;

	for (auto _ : state) {
		Settings().Use();

		// The floor: the dictionary's bytes into memory, nothing more.
		Clock::time_point start = Clock::now();
		{
			std::string bytes(size, '\0');
			std::ifstream in(dictionary, std::ios::binary);
			in.read(&bytes[0], static_cast<std::streamsize>(size));
			benchmark::DoNotOptimize(bytes.data());
		}
		reads.push_back(Microseconds(Clock::now() - start));

		// The large dictionary's loader alone, which start-up waits for.
		start = Clock::now();
		{
			NuvStaticDictionary loaded;
			std::ifstream in(dictionary, std::ios::binary);
			loaded.Read(in);
			benchmark::DoNotOptimize(loaded.CountItems());
		}
		loads.push_back(Microseconds(Clock::now() - start));

		start = Clock::now();
		const bool made = host.Instantiate(ModuleEntry());
		const Clock::duration spent = Clock::now() - start;
		if (!made) {
			state.SkipWithError("instantiate_input_method returned no method");
			return;
		}
		state.SetIterationTime(std::chrono::duration<double>(spent).count());
		startUps.push_back(Microseconds(spent));
		host.Unload();
	}

	std::sort(reads.begin(), reads.end());
	std::sort(loads.begin(), loads.end());
	std::sort(startUps.begin(), startUps.end());
	const double read = reads[reads.size() / 2];
	const double startUp = startUps[startUps.size() / 2];
	state.counters["median_us"] = startUp;
	state.counters["bare_read_us"] = read;
	state.counters["dictionary_load_us"] = loads[loads.size() / 2];
	state.counters["ratio"] = startUp / read;
}
BENCHMARK(BM_StartUp)->UseManualTime()->Unit(benchmark::kMillisecond)
	->Iterations(kStartUps)->Repetitions(kRepetitions)
	->ReportAggregatesOnly(true);

}	// namespace


BENCHMARK_MAIN();
