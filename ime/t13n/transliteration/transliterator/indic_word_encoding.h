// The compact in-memory form of native-script words used by the segment
// tables: one script byte, then one byte per UTF-16 unit (the unit's offset
// in its 128-character script block). It halves the memory of UTF-16 for the
// nine Indic blocks U+0900..U+0D7F. A word the compact form cannot hold is
// kept as UTF-8 behind a backslash instead, so every word round-trips.
//
//   compact form: byte 0 = 9 + script index (9 Devanagari .. 17 Malayalam),
//                 then per unit its offset (code point & 0x7F), ':' for
//                 U+200C ZERO WIDTH NON-JOINER, ';' for U+200D ZERO WIDTH
//                 JOINER.
//   escaped form: '\\' then the UTF-8 text of the whole word.
//
// The encoded bytes are held in a std::string; its c_str() is the
// NUL-terminated form (neither form holds a NUL byte for a character).
#ifndef IME_T13N_TRANSLITERATION_TRANSLITERATOR_INDIC_WORD_ENCODING_H_
#define IME_T13N_TRANSLITERATION_TRANSLITERATOR_INDIC_WORD_ENCODING_H_

#include <string>

namespace ime_t13n {

// The compact form when every unit is a character encodable in its own
// script block or a joiner, and at least one is a character; the escaped
// form otherwise (empty word, joiners only, Latin text, an offset the
// block leaves unassigned). The script byte comes from the last character:
// a word that mixes scripts decodes entirely in the script of its last one.
std::string EncodeWordToBytes(const std::wstring& word);

// Decodes the NUL-terminated |bytes| made by EncodeWordToBytes: the compact
// form is appended to |out|, the escaped form replaces it. Callers pass an
// empty |out|. A null |bytes| leaves |out| as it is.
void DecodeEscapedEntry(const char* bytes, std::wstring* out);
// The same over the whole of |bytes|.
void DecodeEscapedEntry(const std::string& bytes, std::wstring* out);

}  // namespace ime_t13n

#endif  // IME_T13N_TRANSLITERATION_TRANSLITERATOR_INDIC_WORD_ENCODING_H_
