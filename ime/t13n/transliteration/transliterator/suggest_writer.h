// Builds the bytes of the word dictionary section of the language data file
// (layout in suggest.h), exactly as Suggest::Init reads them. Used by the
// language data writer for the section and by tests.
#ifndef IME_T13N_TRANSLITERATION_TRANSLITERATOR_SUGGEST_WRITER_H_
#define IME_T13N_TRANSLITERATION_TRANSLITERATOR_SUGGEST_WRITER_H_

#include <cstdint>
#include <string>
#include <vector>

namespace ime_t13n {

struct SuggestWord {
  std::wstring word;
  int32_t score;
};

// Appends the section for |words| (in any order) to |section|. The code
// table holds the distinct UTF-16 units of the words in ascending order,
// each coded by its position, so byte order of coded words is UTF-16 order;
// the entries and the coded text follow in that order.
// Returns false, appending nothing, when a word is empty or longer than 255
// units, a word occurs twice, a score is not below Suggest::kMarkerScore,
// the words use more than 255 distinct units, or the coded text outgrows
// the 24-bit text offsets. An empty list gives a valid empty dictionary.
bool BuildSuggestSection(const std::vector<SuggestWord>& words,
                         std::string* section);

}  // namespace ime_t13n

#endif  // IME_T13N_TRANSLITERATION_TRANSLITERATOR_SUGGEST_WRITER_H_
