#include "ime/shared/frontend/keyboard_layout_table.h"

#include <cwchar>
#include <utility>

namespace ime_shared {
namespace frontend {

namespace {

// The US keyboard's characters in slot order, unshifted and shifted.
const wchar_t kUsUnshifted[] = L"0123456789abcdefghijklmnopqrstuvwxyz;=,-./`[\\]'";
const wchar_t kUsShifted[] = L")!@#$%^&*(ABCDEFGHIJKLMNOPQRSTUVWXYZ:+<_>?~{|}\"";
static_assert(sizeof(kUsUnshifted) / sizeof(wchar_t) == kLayoutKeyCount + 1, "47 keys");
static_assert(sizeof(kUsShifted) / sizeof(wchar_t) == kLayoutKeyCount + 1, "47 keys");

struct BuiltInLayout {
  const wchar_t* name;
  wchar_t digit_zero;  // the script's digit zero; 0: the Latin digits
};

const BuiltInLayout kBuiltInLayouts[kKeyboardLayoutCount] = {
    {L"English", 0},         {L"Devanagari", 0x0966}, {L"Cyrillic", 0},
    {L"Ethiopic", 0},        {L"Arabic", 0x0660},     {L"Bengali", 0x09E6},
    {L"Farsi", 0x06F0},      {L"Greek", 0},           {L"Gujarati", 0x0AE6},
    {L"Kannada", 0x0CE6},    {L"Malayalam", 0x0D66},  {L"Marathi", 0x0966},
    {L"Nepali", 0x0966},     {L"Punjabi", 0x0A66},    {L"Tamil", 0x0BE6},
    {L"Telugu", 0x0C66},     {L"Urdu", 0x06F0},
};

// Copies at most |units| - 1 units of |text| and a terminator.
void CopyCut(const std::wstring& text, wchar_t* out, size_t units) {
  const size_t length = text.size() < units - 1 ? text.size() : units - 1;
  std::wmemcpy(out, text.data(), length);
  out[length] = L'\0';
}

}  // namespace

std::vector<KeyboardLayoutSource> BuiltInKeyboardLayouts() {
  std::vector<KeyboardLayoutSource> sources;
  for (const BuiltInLayout& layout : kBuiltInLayouts) {
    KeyboardLayoutSource source;
    source.name = layout.name;
    for (int slot = 0; slot < kLayoutKeyCount; ++slot) {
      wchar_t unit = kUsUnshifted[slot];
      if (slot < 10 && layout.digit_zero != 0) {
        unit = static_cast<wchar_t>(layout.digit_zero + slot);
      }
      source.texts.push_back(std::wstring(1, unit));
    }
    for (int slot = 0; slot < kLayoutKeyCount; ++slot) {
      source.texts.push_back(std::wstring(1, kUsShifted[slot]));
    }
    sources.push_back(std::move(source));
  }
  return sources;
}

int KeyboardLayoutSlot(UINT virtual_key) {
  if (virtual_key >= '0' && virtual_key <= '9') return virtual_key - '0';
  if (virtual_key >= 'A' && virtual_key <= 'Z') return 10 + (virtual_key - 'A');
  if (virtual_key >= 186 && virtual_key <= 192) return 36 + (virtual_key - 186);
  if (virtual_key >= 219 && virtual_key <= 222) return 43 + (virtual_key - 219);
  return -1;
}

void FocusWindowCharacterPoster::PostCharacter(wchar_t unit) {
  HWND focus = ::GetFocus();
  if (focus == nullptr) return;
  ::PostMessageW(focus, WM_CHAR, unit, 1);
}

KeyboardLayoutTable::KeyboardLayoutTable(const int* current_index,
                                         CharacterPosterInterface* poster)
    : KeyboardLayoutTable(current_index, poster, BuiltInKeyboardLayouts()) {}

KeyboardLayoutTable::KeyboardLayoutTable(
    const int* current_index, CharacterPosterInterface* poster,
    const std::vector<KeyboardLayoutSource>& sources)
    : current_index_(current_index),
      poster_(poster != nullptr ? poster : &focus_poster_) {
  Build(sources);
}

void KeyboardLayoutTable::Build(const std::vector<KeyboardLayoutSource>& sources) {
  layouts_.reserve(sources.size());
  for (const KeyboardLayoutSource& source : sources) {
    KeyboardLayout layout = {};
    for (int slot = 0; slot < kLayoutKeyCount; ++slot) {
      for (int shifted = 0; shifted < 2; ++shifted) {
        const size_t at = static_cast<size_t>(shifted * kLayoutKeyCount + slot);
        // A short source leaves the remaining cells empty.
        if (at < source.texts.size()) {
          CopyCut(source.texts[at], layout.keys[slot][shifted], kLayoutCellUnits);
        }
      }
    }
    CopyCut(source.name, layout.name, kLayoutNameUnits);
    layouts_.push_back(layout);
  }
}

const KeyboardLayout* KeyboardLayoutTable::Layout(int index) const {
  if (index < 0 || index >= size()) return nullptr;
  return &layouts_[static_cast<size_t>(index)];
}

std::wstring KeyboardLayoutTable::KeyText(int index, UINT virtual_key,
                                          bool shifted) const {
  const KeyboardLayout* layout = Layout(index);
  const int slot = KeyboardLayoutSlot(virtual_key);
  if (layout == nullptr || slot < 0) return std::wstring();
  return layout->keys[slot][shifted ? 1 : 0];
}

std::wstring KeyboardLayoutTable::TypeKey(UINT virtual_key, bool shifted) {
  const int index = current_index_ != nullptr ? *current_index_ : 0;
  const std::wstring text = KeyText(index, virtual_key, shifted);
  for (wchar_t unit : text) poster_->PostCharacter(unit);
  return text;
}

}  // namespace frontend
}  // namespace ime_shared
