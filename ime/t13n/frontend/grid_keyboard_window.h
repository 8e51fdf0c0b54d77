// The character picker: an on-screen grid of the current language's letters
// and signs, with two keys below it for ZERO WIDTH JOINER and ZERO WIDTH NON
// JOINER. A click on a key inserts its text into the composition as if typed
// in the native script: each UTF-16 unit of the key is sent to the core as
// a SoftKeyboardKeyPressedCommand. Hovering a key names it under the grid
// and, once the cursor has rested on it for 200 ms, shows a magnified
// picture of it beside the key.
//
// The grid is drawn from the four picture files the installation puts in
// "<code>\images\" of the product's common data folder (see
// PickerImageRelativePath); a missing file leaves its picture out and the
// keys still work. The window is shown while the engine's picker property
// is on; the UI manager makes it on the first request and deletes it. Like
// the other pop-ups it is disabled, never activates and reads the mouse
// from WM_SETCURSOR; it can be dragged by any place that is not a key.
#ifndef IME_T13N_FRONTEND_GRID_KEYBOARD_WINDOW_H_
#define IME_T13N_FRONTEND_GRID_KEYBOARD_WINDOW_H_

#include <windows.h>

#include <array>
#include <functional>
#include <string>
#include <vector>

#include "ime/shared/base/gdi_objects.h"
#include "ime/shared/base/window_impl.h"
#include "ime/shared/frontend/dragable_window.h"
#include "ime/shared/frontend/drop_shadow_window.h"
#include "ime/shared/frontend/mouse_leaving_tracker.h"
#include "ime/shared/frontend/windows_api_wrapper.h"
#include "ime/t13n/frontend/soft_keyboard_layout.h"
#include "ime/t13n/frontend/soft_keyboard_tables.h"
#include "ime/t13n/frontend/ui_parts.h"

namespace ime_t13n {

class T13nEngine;

// The picker's geometry, in client coordinates: the grid's key cells are
// 40 x 28 pixels from (10, 20), the two joiner keys lie below the grid's
// first two columns, and the name box below them.
struct PickerGeometry {
  int rows;
  int columns;

  static constexpr int kGridLeft = 10;
  static constexpr int kGridTop = 20;

  // columns x 40 + 20 by rows x 28 + 78.
  SIZE WindowSize() const;
  // The key under |client|: 0 .. rows x columns - 1 for the grid (row by
  // row), rows x columns and rows x columns + 1 for the joiner keys; -1
  // elsewhere.
  int KeyAt(POINT client) const;
  // The cell of |key| (see KeyAt).
  RECT KeyRect(int key) const;
  // Where the 80 x 80 magnified picture of |key| goes: below the key, or
  // above the bottom of the grid when the window is too short, to the right
  // of the key, or to its left near the right edge.
  POINT MagnifierPlace(int key) const;
  // The window's top-left corner on |work_area|: horizontally at the middle
  // of the work area's right edge coordinate, vertically twice the grid's
  // height and 156 pixels above the bottom, then kept on the work area (a
  // tall grid on a short screen would otherwise start above it).
  POINT WindowPlace(const RECT& work_area) const;
  int grid_keys() const { return rows * columns; }
};

class GridKeyboardWindow : public ime_shared::base::WindowImpl<GridKeyboardWindow>,
                           public SoftKeyboardInterface,
                           public ime_shared::frontend::MouseLeavingTracker<GridKeyboardWindow>,
                           public ime_shared::frontend::DragableWindow<GridKeyboardWindow>,
                           public ime_shared::frontend::DropShadowWindow<GridKeyboardWindow>,
                           public ime_shared::frontend::WindowsAPIWrapper {
 public:
  static constexpr wchar_t kClassName[] = L"IMEGRIDKEY";
  // The magnified key shows once the cursor rested this long on a key.
  static constexpr UINT_PTR kMagnifierTimerId = 1500;
  static constexpr UINT kMagnifierDelayMs = 200;
  // Key states.
  static constexpr int kKeyNormal = 0;
  static constexpr int kKeyHovered = 1;
  static constexpr int kKeyPressed = 2;
  // Bitmap resources: the logo strip (50 x 19 of it used), the joiner keys
  // (3 states x 40 wide; non-joiner at the top, joiner below, 28 high each)
  // and their magnified pictures (80 x 80 each, joiner first).
  static constexpr int kLogoBitmap = 127;
  static constexpr int kJoinerKeysBitmap = 174;
  static constexpr int kMagnifiedJoinerKeysBitmap = 175;

  static ime_shared::base::WindowClassInfo GetWindowClassInfo() {
    return {kClassName, CS_IME, IDC_ARROW, nullptr};
  }

  // |image_folder| holds the picture files under "<code>\images\"; empty
  // means the product's common data folder, where the installation puts
  // them.
  explicit GridKeyboardWindow(const std::wstring& image_folder = std::wstring());
  ~GridKeyboardWindow() override;

  // SoftKeyboardInterface.
  // Creates the window hidden (no owner, empty title) and loads the
  // bitmaps and fonts; false, with the window gone again, on failure.
  bool Create(HINSTANCE module) override;
  void SetEngine(T13nEngine* engine) override;
  // With the engine's picker property off the window hides. Otherwise it
  // takes the layout of the process's language (a language without a
  // picker hides it), loads that language's pictures once, resets the keys
  // and shows itself at its place (see PickerGeometry::WindowPlace).
  void Refresh() override;
  void Hide() override;
  void DestroyWindow() override;

  // The clock of the magnified key, in milliseconds (GetTickCount64 by
  // default); tests step it instead of waiting.
  void SetClock(std::function<ULONGLONG()> clock);

  // What the picker shows now.
  // The layout shown (a copy of the engine's); null before the first
  // refresh with one.
  const SoftKeyboardLayout* layout() const { return has_layout_ ? &layout_ : nullptr; }
  PickerGeometry geometry() const { return PickerGeometry{layout_.rows, layout_.columns}; }
  int hovered_key() const { return hovered_key_; }
  int pressed_key() const { return pressed_key_; }
  int key_state(int key) const;
  // Whether the last paint drew the magnified key.
  bool magnifier_drawn() const { return magnifier_drawn_; }
  // Where the window was last placed (or stood when its window went).
  POINT last_position() const { return last_position_; }

  // base::WindowBase.
  bool ProcessWindowMessage(HWND window, UINT message, WPARAM wparam, LPARAM lparam,
                            LRESULT& result) override;
  // The UI manager deletes the object.
  void OnFinalMessage(HWND window) override {}

 private:
  // One language's pictures, loaded on first use; a missing file stays
  // null.
  struct LanguageImages {
    bool loaded = false;
    std::array<ime_shared::base::ScopedBitmap, kPickerImageCount> images;
  };

  bool ProcessKeyMessage(HWND window, UINT message, WPARAM wparam, LPARAM lparam,
                         LRESULT& result);
  bool ProcessSetCursor(UINT mouse, LRESULT& result);
  void LoadImages(int language_index);
  std::wstring ImageFolder();
  void ResetKeys();
  void SetHoveredKey(int key);
  // Sends the units of |key| through the engine, each followed by an
  // update of the context.
  void SendKey(int key);
  int KeyUnderCursor() const;
  void Paint(HDC dc, const RECT& client);
  void PaintGrid(HDC dc, HDC source);
  void PaintMagnifier(HDC dc, HDC source);
  ULONGLONG Now() const;

  std::wstring image_folder_;
  bool image_folder_known_ = false;
  T13nEngine* engine_ = nullptr;
  HINSTANCE module_ = nullptr;
  SoftKeyboardLayout layout_ = {};
  bool has_layout_ = false;
  int language_index_ = -1;
  // Per key, joiner keys last: kKeyNormal, kKeyHovered or kKeyPressed.
  std::vector<int> key_states_;
  int hovered_key_ = -1;
  int pressed_key_ = -1;
  // When the cursor came to the hovered key (Now()).
  ULONGLONG hover_began_ = 0;
  bool magnifier_drawn_ = false;
  std::array<LanguageImages, kSoftKeyboardLanguageCount> language_images_;
  ime_shared::base::ScopedBitmap logo_;
  ime_shared::base::ScopedBitmap joiner_keys_;
  ime_shared::base::ScopedBitmap magnified_joiner_keys_;
  ime_shared::base::ScopedFont title_font_;
  ime_shared::base::ScopedFont name_font_;
  POINT last_position_ = {0, 0};
  std::function<ULONGLONG()> clock_;
};

}  // namespace ime_t13n

#endif  // IME_T13N_FRONTEND_GRID_KEYBOARD_WINDOW_H_
