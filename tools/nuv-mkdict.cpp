// nuv-mkdict: writes the large dictionary from the IPADIC lexicon.
//
//	nuv-mkdict LEXICON_DIRECTORY OUTPUT_FILE
//
// LEXICON_DIRECTORY holds the lexicon's CSV files in EUC-JP, as Debian's
// mecab-ipadic package installs them (/usr/share/mecab/dic/ipadic).
#include <cstdio>
#include <fstream>
#include <string>

#include "NuvLexiconConverter.h"


int
main(int argc, char** argv)
{
	if (argc != 3) {
		std::fprintf(stderr, "usage: %s LEXICON_DIRECTORY OUTPUT_FILE\n",
			argv[0]);
		return 2;
	}

	NuvLexiconConverter converter;
	std::string missing;
	if (!converter.AddDirectory(argv[1], missing)) {
		std::fprintf(stderr, "%s: cannot read %s/%s\n", argv[0], argv[1],
			missing.c_str());
		return 1;
	}

	std::ofstream out(argv[2], std::ios::binary | std::ios::trunc);
	converter.Write(out);
	out.close();
	if (!out) {
		std::fprintf(stderr, "%s: cannot write %s\n", argv[0], argv[2]);
		return 1;
	}
	std::printf("%zu keys written to %s\n", converter.CountKeys(), argv[2]);
	return 0;
}
