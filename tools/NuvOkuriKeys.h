// The okuri-ari keys of one lexicon row: the keys a person types for a word
// written as a stem holding a kanji followed by okurigana.
//
//	- A surface made of a stem (holding a kanji) and a hiragana ending,
//	  whose reading ends in the same hiragana, gives the key "reading of
//	  the stem + okuri letter" with the stem as candidate. Every
//	  conjugated form is a row of its own, so the stems of all forms get
//	  keys: 書く かk, 書い かi, 書か かk, 読ん よn, 行っ いt, 行わ おこなw,
//	  強く つよk, 強かっ つよk. Words that do not inflect get them too,
//	  since they are typed the same way: 考え かんがe, 明らか あきr.
//	- The okuri letter is the first letter typed for the ending's first
//	  kana; a kana with several romaji spellings gets one key for each
//	  (じ: j and z, ち: c and t, ふ: f and h; し, つ and the others have one
//	  first letter for all their spellings). っ is typed by doubling the
//	  next consonant, so it takes the letters of the kana after it, and t
//	  when it ends the form (行っ before た and て).
//	- A form that ends in a kanji is followed by okurigana the lexicon
//	  does not hold: the auxiliaries after the stems of ichidan verbs and
//	  of 来る (見ます, 見ない, 見よう, 見られる, 見させる, 見ず, 見た, 出来ます:
//	  m n r s t y z), and the suffixes after an adjective's stem (強さ,
//	  強そう, 強がる, 強み: s g m). Those letters give the keys.
//	- Nouns that take する (勉強, 参照) are typed with it: reading + s.
#ifndef NUV_OKURI_KEYS_H
#define NUV_OKURI_KEYS_H

#include <string>
#include <utility>
#include <vector>

class NuvOkuriKeys {
public:
	// (key, candidate) pairs.
	typedef std::vector<std::pair<std::string, std::string>> key_list;

	// Appends the keys of a row to `keys`. `reading` is the row's reading
	// in hiragana; the other arguments are the row's EUC-JP fields
	// (part of speech, its first sub-kind, conjugation type and form).
	static	void				Derive(const std::string& surface,
									const std::string& reading,
									const std::string& partOfSpeech,
									const std::string& subKind,
									const std::string& conjugationType,
									const std::string& conjugationForm,
									key_list& keys);

	// The letters that begin the typed spellings of the hiragana at
	// `kana` (two bytes), empty for one no okurigana starts with.
	static	const char*			LettersOf(const unsigned char* kana);
};

#endif	// NUV_OKURI_KEYS_H
