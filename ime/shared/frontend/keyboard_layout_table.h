// The keyboard layouts with which an engine can act as a direct keyboard
// remapper: a key pressed while a layout is active types that layout's text
// for the key into the focused window.
#ifndef IME_SHARED_FRONTEND_KEYBOARD_LAYOUT_TABLE_H_
#define IME_SHARED_FRONTEND_KEYBOARD_LAYOUT_TABLE_H_

#include <windows.h>

#include <string>
#include <vector>

namespace ime_shared {
namespace frontend {

// Layouts of the built-in table.
constexpr int kKeyboardLayoutCount = 17;
// Key slots of one layout: '0'-'9', 'A'-'Z', VK_OEM_1 .. VK_OEM_3 (186-192)
// and VK_OEM_4 .. VK_OEM_7 (219-222).
constexpr int kLayoutKeyCount = 47;
// One cell: up to four UTF-16 units and a terminator.
constexpr int kLayoutCellUnits = 5;
// The name: up to nine units and a terminator (the slot after the keys).
constexpr int kLayoutNameUnits = 10;

// One layout: per key slot an unshifted and a shifted cell, then the name.
struct KeyboardLayout {
  wchar_t keys[kLayoutKeyCount][2][kLayoutCellUnits];
  wchar_t name[kLayoutNameUnits];
};
static_assert(sizeof(KeyboardLayout) ==
                  (kLayoutKeyCount + 1) * 2 * kLayoutCellUnits * sizeof(wchar_t),
              "48 slots of two five-unit cells");

// What a layout is built from: its name and 47 unshifted key texts followed
// by 47 shifted ones, in slot order. Longer texts are cut to the cells.
struct KeyboardLayoutSource {
  std::wstring name;
  std::vector<std::wstring> texts;
};

// The built-in table: "English", "Devanagari", "Cyrillic", "Ethiopic",
// "Arabic", "Bengali", "Farsi", "Greek", "Gujarati", "Kannada", "Malayalam",
// "Marathi", "Nepali", "Punjabi", "Tamil", "Telugu", "Urdu". Every layout
// types the US keyboard's characters, except that the digit keys of a
// script with digits of its own type those digits.
std::vector<KeyboardLayoutSource> BuiltInKeyboardLayouts();

// The key slot of |virtual_key|; -1 for a key without one.
int KeyboardLayoutSlot(UINT virtual_key);

// Where typed characters go.
class CharacterPosterInterface {
 public:
  virtual ~CharacterPosterInterface() = default;
  virtual void PostCharacter(wchar_t unit) = 0;
};

// Posts WM_CHAR (lParam 1: one repetition) to the window of the calling
// thread that has the keyboard focus. Without a focus window nothing is
// posted: a message posted to no window would land in the thread's own
// queue and be read as a thread message.
class FocusWindowCharacterPoster : public CharacterPosterInterface {
 public:
  void PostCharacter(wchar_t unit) override;
};

class KeyboardLayoutTable {
 public:
  // The built-in layouts. |current_index| is the process-wide layout index
  // that the engines own (read at every TypeKey; null reads as 0).
  // |poster| receives the typed characters; null: the focus window.
  // Neither is owned.
  KeyboardLayoutTable(const int* current_index,
                      CharacterPosterInterface* poster = nullptr);
  // Layouts built from |sources| instead.
  KeyboardLayoutTable(const int* current_index,
                      CharacterPosterInterface* poster,
                      const std::vector<KeyboardLayoutSource>& sources);
  KeyboardLayoutTable(const KeyboardLayoutTable&) = delete;
  KeyboardLayoutTable& operator=(const KeyboardLayoutTable&) = delete;

  int size() const { return static_cast<int>(layouts_.size()); }
  // The layout at |index|; null outside the table.
  const KeyboardLayout* Layout(int index) const;
  // The text of |virtual_key| in layout |index| (shifted cell when
  // |shifted|); empty for a key without a slot or an index outside the
  // table.
  std::wstring KeyText(int index, UINT virtual_key, bool shifted) const;

  // The key's text in the current layout; each of its units is posted in
  // order. A key without text posts nothing.
  std::wstring TypeKey(UINT virtual_key, bool shifted);

 private:
  void Build(const std::vector<KeyboardLayoutSource>& sources);

  const int* current_index_;
  CharacterPosterInterface* poster_;
  FocusWindowCharacterPoster focus_poster_;
  std::vector<KeyboardLayout> layouts_;
};

}  // namespace frontend
}  // namespace ime_shared

#endif  // IME_SHARED_FRONTEND_KEYBOARD_LAYOUT_TABLE_H_
