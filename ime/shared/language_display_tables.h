// What the user sees of each language: its display name, and the font faces
// that show its script, most preferred first. Rows follow the order of
// LanguageCodes (Hindi first).
#ifndef IME_SHARED_LANGUAGE_DISPLAY_TABLES_H_
#define IME_SHARED_LANGUAGE_DISPLAY_TABLES_H_

#include "ime/shared/language_codes.h"

namespace ime_shared {

class LanguageNames {
 public:
  static constexpr int kCount = LanguageCodes::kCount;

  // The display name of language row |index| ("Hindi" for row 0); empty
  // outside 0..kCount-1.
  static const wchar_t* At(int index);
};

class LanguageFontLists {
 public:
  static constexpr int kCount = LanguageCodes::kCount;
  static constexpr int kSlots = 12;

  // Font face |slot| of language row |row|. The faces fill the first slots
  // of a row and the rest is empty, so a row ends at its first empty slot.
  // Empty outside the table.
  static const wchar_t* At(int row, int slot);
  // The number of faces of |row|; 0 outside the table.
  static int Count(int row);
};

}  // namespace ime_shared

#endif  // IME_SHARED_LANGUAGE_DISPLAY_TABLES_H_
