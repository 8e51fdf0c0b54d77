// The character picker's keys for every language: what each key inserts,
// the name shown for it, the grid they sit in, and the picker's geometry and
// image files, which the picker window and the program that draws the
// images share.
#ifndef IME_T13N_FRONTEND_SOFT_KEYBOARD_TABLES_H_
#define IME_T13N_FRONTEND_SOFT_KEYBOARD_TABLES_H_

#include <string>
#include <vector>

#include "ime/t13n/frontend/soft_keyboard_layout.h"

namespace ime_t13n {

// One key of the picker.
struct SoftKeyboardKey {
  const wchar_t* label;  // the units the key inserts (1 to 4), its face
  const wchar_t* name;   // shown under the grid while hovered or pressed
};

// One language's picker.
struct SoftKeyboardTable {
  const wchar_t* name;  // the picker's title, upper case
  int rows;
  int columns;
  // rows x columns keys, row by row, then one key with an empty label.
  const SoftKeyboardKey* keys;
};

constexpr int kSoftKeyboardLanguageCount = 19;

// The picker of the language with index |language_index| (0..18, the
// order of the language codes); any other index gives one without keys.
const SoftKeyboardTable& GetSoftKeyboardTable(int language_index);

// The two keys below the grid of every picker: ZERO WIDTH JOINER, then ZERO
// WIDTH NON JOINER. Their key indexes follow the grid's: rows x columns and
// rows x columns + 1.
constexpr int kJoinerKeyCount = 2;
extern const SoftKeyboardKey kJoinerKeys[kJoinerKeyCount];

// The name of key |key| of the picker of |language_index|, joiner keys
// included; "" for an index that names no key.
const wchar_t* GetSoftKeyboardKeyName(int language_index, int key);

// The 19 layouts an engine keeps, in language-index order: the labels up to
// the first empty one (at most 77), the title cut to 19 units, the grid and
// the index.
std::vector<SoftKeyboardLayout> BuildSoftKeyboardLayouts();

// The grid: key cells of 40 x 28 pixels, row by row; the magnified image
// holds an 80 x 80 picture of each key at (column x 80, row x 80).
constexpr int kPickerKeyWidth = 40;
constexpr int kPickerKeyHeight = 28;
constexpr int kPickerMagnifiedKeySize = 80;

// The four images of a language's picker. The first three show the whole
// grid (columns x 40 by rows x 28) with every key in one state; the window
// copies a key's cell from the hover or pushed image over the normal one.
enum class PickerImage { kNormal, kHover, kPushed, kMagnified };
constexpr int kPickerImageCount = 4;

// Width and height of |image| for a grid of |rows| x |columns|.
int PickerImageWidth(PickerImage image, int columns);
int PickerImageHeight(PickerImage image, int rows);

// Where |image| of the language |language_index| lies under the picker's
// image folder: "<code>\images\<code>_normal.bmp" (or "_hover.bmp",
// "_pushed.bmp", "_magnified.bmp"). The index must lie in 0..18.
std::wstring PickerImageRelativePath(int language_index, PickerImage image);

}  // namespace ime_t13n

#endif  // IME_T13N_FRONTEND_SOFT_KEYBOARD_TABLES_H_
