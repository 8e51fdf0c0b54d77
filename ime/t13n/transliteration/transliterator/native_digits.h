// The digits zero to nine of each language's script, which replace typed
// digits inside a transliterated word.
#ifndef IME_T13N_TRANSLITERATION_TRANSLITERATOR_NATIVE_DIGITS_H_
#define IME_T13N_TRANSLITERATION_TRANSLITERATOR_NATIVE_DIGITS_H_

#include <string>

namespace ime_t13n {

// The ten digit characters (zero first) for |language_code|; "0123456789"
// for a language without digits of its own. The result is static.
const wchar_t* NativeDigitsForLanguage(const std::string& language_code);

}  // namespace ime_t13n

#endif  // IME_T13N_TRANSLITERATION_TRANSLITERATOR_NATIVE_DIGITS_H_
