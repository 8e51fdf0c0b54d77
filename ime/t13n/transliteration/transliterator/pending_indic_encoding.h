// PLACEHOLDER, to be deleted when the Indic word byte encoding is merged:
// always takes the escaped form (a backslash and the word's UTF-8), which
// the real encoding also produces and decodes.
#ifndef IME_T13N_TRANSLITERATION_TRANSLITERATOR_PENDING_INDIC_ENCODING_H_
#define IME_T13N_TRANSLITERATION_TRANSLITERATOR_PENDING_INDIC_ENCODING_H_

#include <string>

#include "ime/shared/string_utils.h"

namespace ime_t13n {

inline std::string EncodeWordToBytes(const std::wstring& word) {
  return "\\" + ime_shared::WideToUtf8(word);
}

inline void DecodeEscapedEntry(const char* bytes, std::wstring* out) {
  if (bytes[0] == '\\') *out = ime_shared::Utf8ToWide(bytes + 1);
}

}  // namespace ime_t13n

#endif  // IME_T13N_TRANSLITERATION_TRANSLITERATOR_PENDING_INDIC_ENCODING_H_
