#include "NuvUsageCounts.h"

#include <cstdlib>

#include "NuvLexiconText.h"


size_t
NuvUsageCounts::Read(std::istream& in)
{
	size_t taken = 0;
	std::string line, reading, surface;
	while (std::getline(in, line)) {
		if (!line.empty() && line.back() == '\r')
			line.pop_back();
		if (line.empty() || line[0] == '#')
			continue;
		size_t first = line.find('\t');
		size_t second = first == std::string::npos
			? first : line.find('\t', first + 1);
		size_t third = second == std::string::npos
			? second : line.find('\t', second + 1);
		if (third == std::string::npos
			|| line.compare(third + 1, std::string::npos, "form") != 0)
			continue;
		char* end = nullptr;
		std::string number(line, second + 1, third - second - 1);
		long count = std::strtol(number.c_str(), &end, 10);
		if (number.empty() || *end != '\0' || count <= 0)
			continue;
		if (!NuvLexiconText::Utf8ToEuc(line.substr(0, first), reading)
			|| !NuvLexiconText::Utf8ToEuc(
				line.substr(first + 1, second - first - 1), surface)
			|| reading.empty() || surface.empty())
			continue;
		Add(reading, surface, count);
		taken++;
	}
	return taken;
}


void
NuvUsageCounts::Add(const std::string& reading, const std::string& surface,
	long count)
{
	fCounts[reading + '\t' + surface] += count;
	fSurfaceCounts[surface] += count;
}


long
NuvUsageCounts::CountAnyReading(const std::string& surface) const
{
	auto found = fSurfaceCounts.find(surface);
	return found == fSurfaceCounts.end() ? 0 : found->second;
}


long
NuvUsageCounts::Count(const std::string& reading,
	const std::string& surface) const
{
	auto found = fCounts.find(reading + '\t' + surface);
	return found == fCounts.end() ? 0 : found->second;
}
