// Single units of a word: one unit as a string of its own, and the checks
// for the Latin letters of a typed word.
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

// The Latin letter checks look at the whole UTF-16 unit: a unit such as
// U+0161 or U+FF41 is no letter here, although its low byte is that of "a".

// A..Z.
inline bool IsAsciiUpperCaseLetter(wchar_t unit) {
  return unit >= L'A' && unit <= L'Z';
}

// A..Z or a..z.
inline bool IsAsciiLetter(wchar_t unit) {
  return IsAsciiUpperCaseLetter(unit) || (unit >= L'a' && unit <= L'z');
}

// A, E, I, O, U in either case; y is no vowel letter.
inline bool IsAsciiVowelLetter(wchar_t unit) {
  switch (unit) {
    case L'a': case L'e': case L'i': case L'o': case L'u':
    case L'A': case L'E': case L'I': case L'O': case L'U':
      return true;
    default:
      return false;
  }
}

// An ASCII letter that is not a vowel letter (y included).
inline bool IsAsciiConsonantLetter(wchar_t unit) {
  return IsAsciiLetter(unit) && !IsAsciiVowelLetter(unit);
}

}  // namespace ime_t13n

#endif  // IME_T13N_TRANSLITERATION_TRANSLITERATOR_WORD_CHARS_H_
