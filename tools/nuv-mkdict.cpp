// nuv-mkdict: writes the large dictionary.
//
//	nuv-mkdict [--counts FILE]... [--leave-out KIND] [--edict FILE]
//		[--abbreviations FILE] LEXICON_DIRECTORY OUTPUT_FILE
//
// LEXICON_DIRECTORY holds the IPADIC lexicon's CSV files in EUC-JP, as
// Debian's mecab-ipadic package installs them (/usr/share/mecab/dic/ipadic).
// --counts names a table of usage counts, KIND.ANALYSER.tsv (the tables of
// tools/data/counts/; give it once for each), --leave-out a kind of writing
// whose tables are not read (to measure how the ranking does on that kind
// of text with nothing of it counted), --edict the
// EDICT file (Debian's edict: /usr/share/edict/edict), --abbreviations our
// table of units and symbols (tools/data/abbreviations.tsv). The target
// nuv-jisyo of the build passes all of them.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "NuvLexiconConverter.h"


int
main(int argc, char** argv)
{
	std::vector<NuvLexiconConverter::counts_file> counts;
	std::vector<std::string> leftOut;
	std::string edict, abbreviations;
	int next = 1;
	for (; next + 1 < argc && std::strncmp(argv[next], "--", 2) == 0;
			next += 2) {
		std::string option = argv[next];
		if (option == "--counts")
			counts.push_back(NuvLexiconConverter::CountsFile(argv[next + 1]));
		else if (option == "--leave-out")
			leftOut.push_back(argv[next + 1]);
		else if (option == "--edict")
			edict = argv[next + 1];
		else if (option == "--abbreviations")
			abbreviations = argv[next + 1];
		else
			break;
	}
	if (argc - next != 2) {
		std::fprintf(stderr, "usage: %s [--counts FILE]... [--leave-out KIND]"
			" [--edict FILE] [--abbreviations FILE] LEXICON_DIRECTORY"
			" OUTPUT_FILE\n",
			argv[0]);
		return 2;
	}

	for (const std::string& kind : leftOut) {
		counts.erase(std::remove_if(counts.begin(), counts.end(),
			[&](const NuvLexiconConverter::counts_file& file) {
				return file.kind == kind;
			}), counts.end());
	}
	NuvLexiconConverter converter;
	std::string missing;
	if (!converter.AddSources(argv[next], counts, edict, abbreviations,
			missing)) {
		std::fprintf(stderr, "%s: cannot read %s\n", argv[0],
			missing.c_str());
		return 1;
	}

	std::ofstream out(argv[next + 1], std::ios::binary | std::ios::trunc);
	converter.Write(out);
	out.close();
	if (!out) {
		std::fprintf(stderr, "%s: cannot write %s\n", argv[0],
			argv[next + 1]);
		return 1;
	}
	std::printf("%zu keys written to %s\n", converter.CountKeys(),
		argv[next + 1]);
	return 0;
}
