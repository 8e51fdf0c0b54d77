// One unit of a word as a string of its own.
#ifndef IME_T13N_TRANSLITERATION_TRANSLITERATOR_WORD_CHARS_H_
#define IME_T13N_TRANSLITERATION_TRANSLITERATOR_WORD_CHARS_H_

#include <string>

namespace ime_t13n {

// The unit at |index| as a one-unit string; empty when |index| lies outside
// the word.
inline std::wstring CharAtAsString(const std::wstring& word, int index) {
  if (index < 0 || static_cast<size_t>(index) >= word.size()) {
    return std::wstring();
  }
  return std::wstring(1, word[index]);
}

// The first and the last unit; empty for an empty word.
inline std::wstring FirstCharAsString(const std::wstring& word) {
  return CharAtAsString(word, 0);
}
inline std::wstring LastCharAsString(const std::wstring& word) {
  return CharAtAsString(word, static_cast<int>(word.size()) - 1);
}

}  // namespace ime_t13n

#endif  // IME_T13N_TRANSLITERATION_TRANSLITERATOR_WORD_CHARS_H_
