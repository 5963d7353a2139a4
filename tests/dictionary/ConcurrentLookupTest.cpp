// Look-ups from several threads at once on one loaded large dictionary.
#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "NuvStaticDictionary.h"


TEST(NuvStaticDictionary, ThreadsLookUpAtOnceWithTheSameResults)
{
	// After loading, FindEntry changes nothing: four threads searching the
	// same keys together must see what one thread sees alone.
	NuvStaticDictionary dictionary;
	std::ifstream in(NUV_SETTINGS_SOURCE_DIR "/NUV-JISYO.L", std::ios::binary);
	dictionary.Read(in);
	ASSERT_GT(dictionary.CountItems(), 0u);

	std::vector<nuv_candidate> queries;
	std::vector<size_t> expected;
	in.clear();
	in.seekg(0);
	std::string line;
	for (int n = 0; std::getline(in, line); n++) {
		size_t separator = line.find(" /");
		if (n % 97 != 0 || line[0] == ';' || separator == std::string::npos)
			continue;
		queries.push_back({line.substr(0, separator), "", "", ""});
		expected.push_back(dictionary.FindEntry(queries.back()).stems.size());
	}

	std::vector<size_t> mismatches(4, 0);
	std::vector<std::thread> threads;
	for (size_t t = 0; t < mismatches.size(); t++) {
		threads.emplace_back([&, t] {
			for (size_t i = 0; i < queries.size(); i++) {
				size_t q = (i * 7 + t * 13) % queries.size();
				if (dictionary.FindEntry(queries[q]).stems.size()
						!= expected[q])
					mismatches[t]++;
			}
		});
	}
	for (std::thread& thread : threads)
		thread.join();
	for (size_t count : mismatches)
		EXPECT_EQ(0u, count);
}
