// What the method shows its hosts, in one place. A host reaches the add-on
// only through instantiate_input_method and what the method shows: the
// input-method events (the composed text with its markers) and the windows
// (the palettes by title, with their text lines). The add-on and every host
// include this header, so that a title, a label or the page size is one
// edit on both sides.
//
// The engine works in EUC-JP and the windows and events carry UTF-8: every
// marker and label that is not ASCII is given in both.
#ifndef NUV_CONTRACT_H
#define NUV_CONTRACT_H

#include <cstdint>
#include <string>
#include <vector>

class NuvContract {
public:
	// Palette windows, by title
	static constexpr char		kModePaletteTitle[] = "NUV Mode Palette";
	static constexpr char		kCandidatesPaletteTitle[]
									= "NUV Candidates Palette";
	static constexpr char		kRegistrationPaletteTitle[]
									= "NUV Registration Palette";
	static constexpr char		kPurgePaletteTitle[] = "NUV Purge Palette";

	// Candidate pages

	// The most candidates a page of the candidates palette shows.
	static constexpr int32_t	kPageSize = 7;
	// The selection key of each place on a page, in order, as the page
	// shows it; the keys are typed in either case.
	static constexpr char		kSelectionLabels[] = "ASDFJKL";

	// Markers of the composed text

	// A reading being built: "▽".
	static constexpr char		kReadingMarker[] = "\xA2\xA6";
	static constexpr char		kReadingMarkerUtf8[] = "\xE2\x96\xBD";
	// A candidate offered: "▼".
	static constexpr char		kConversionMarker[] = "\xA2\xA7";
	static constexpr char		kConversionMarkerUtf8[] = "\xE2\x96\xBC";
	// A registration or a purge prompt: "★".
	static constexpr char		kRegistrationMarker[] = "\xA1\xFA";
	static constexpr char		kRegistrationMarkerUtf8[] = "\xE2\x98\x85";
	// The okuri point inside a kana reading, and the cursor inside a
	// registration (ASCII, the same in both encodings).
	static constexpr char		kOkuriMarker[] = "*";
	static constexpr char		kCursorMarker[] = "|";

	static_assert(sizeof(kSelectionLabels) - 1 == kPageSize,
		"one selection label per place on a page");
};


// The one line of the candidates palette: "A:word  S:word  ...  [残り N]",
// each candidate after its selection label and followed by two blanks, N the
// number of candidates after the page. The add-on formats it (in EUC-JP) and
// the hosts parse it back (in UTF-8) from the window's text.
class NuvCandidatePage {
public:
	enum Encoding {
		EUC_JP,
		UTF_8
	};

	// The line for `candidates` and `remaining`. More than kPageSize
	// candidates repeat the last label rather than run out of labels.
	static	std::string			Format(
									const std::vector<std::string>& candidates,
									int32_t remaining, Encoding encoding);
	// The candidates and the remaining count of a line that Format() made;
	// false, with both emptied, for a line of another shape.
	static	bool				Parse(const std::string& line,
									Encoding encoding,
									std::vector<std::string>& candidates,
									int32_t& remaining);
};

#endif	// NUV_CONTRACT_H
