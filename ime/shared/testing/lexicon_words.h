// The words the benchmark programs type: the Latin column of a lexicon file,
// one UTF-8 row a word (Devanagari, Latin, count; tab-separated).
//
// Inline, so that only the programs that type words need the string
// utilities of ime_shared (which they link); the test support library
// itself stays on the platform layer alone.
#ifndef IME_SHARED_TESTING_LEXICON_WORDS_H_
#define IME_SHARED_TESTING_LEXICON_WORDS_H_

#include <string>
#include <vector>

#include "ime/shared/string_utils.h"
#include "ime/shared/testing/temp_dir.h"

namespace ime_testing {

// The Latin column of each row of |text|, in order; rows without one are
// passed over.
inline std::vector<std::wstring> LexiconLatinWords(const std::string& text) {
  std::vector<std::wstring> words;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    const std::string line = text.substr(start, end - start);
    start = end + 1;
    const size_t tab = line.find('\t');
    if (tab == std::string::npos) continue;
    const size_t tab2 = line.find('\t', tab + 1);
    std::wstring latin = ime_shared::Utf8ToWide(
        line.substr(tab + 1, tab2 == std::string::npos ? std::string::npos : tab2 - tab - 1));
    if (!latin.empty() && latin.back() == L'\r') latin.pop_back();
    if (!latin.empty()) words.push_back(latin);
  }
  return words;
}

// The Latin words of the lexicon file |path| (UTF-8); false when the file
// cannot be read.
inline bool ReadLexiconLatinWords(const std::wstring& path, std::vector<std::wstring>* words) {
  std::string text;
  if (!ReadFileBytes(path, &text)) return false;
  *words = LexiconLatinWords(text);
  return true;
}

}  // namespace ime_testing

#endif  // IME_SHARED_TESTING_LEXICON_WORDS_H_
