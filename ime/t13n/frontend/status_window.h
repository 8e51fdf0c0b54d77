// The floating status window: a small tool bar with the input method's
// switches. Its five buttons toggle transliteration, the character picker
// and the custom scheme, open the main menu and shrink the bar to two
// buttons. It floats where the user dragged it (the place is kept in the
// settings), stays hidden while no input context is attached or a
// full-screen window has the focus (when the settings ask for that), and
// is half transparent, when the settings ask for it, until the mouse is
// over it.
//
// Like every pop-up of the input method it is created disabled and
// no-activate and reads the mouse from WM_SETCURSOR. It acts only through
// the engine's properties and the settings. Destroying its window deletes
// the object.
#ifndef IME_T13N_FRONTEND_STATUS_WINDOW_H_
#define IME_T13N_FRONTEND_STATUS_WINDOW_H_

#include <windows.h>

#include <cstdint>

#include "ime/shared/base/gdi_objects.h"
#include "ime/shared/base/window_impl.h"
#include "ime/shared/frontend/buttons_manager.h"
#include "ime/shared/frontend/dragable_window.h"
#include "ime/shared/frontend/drop_shadow_window.h"
#include "ime/shared/frontend/expandable_image.h"
#include "ime/shared/frontend/mouse_leaving_tracker.h"
#include "ime/shared/frontend/offscreen_dc.h"
#include "ime/shared/frontend/windows_api_wrapper.h"
#include "ime/t13n/frontend/ui_parts.h"

namespace ime_shared {
class SettingsInterface;
}  // namespace ime_shared

namespace ime_t13n {

class StatusWindow : public ime_shared::base::WindowImpl<StatusWindow>,
                     public ime_shared::frontend::ButtonsManager<StatusWindow>,
                     public ime_shared::frontend::MouseLeavingTracker<StatusWindow>,
                     public ime_shared::frontend::DragableWindow<StatusWindow>,
                     public ime_shared::frontend::DropShadowWindow<StatusWindow>,
                     public ime_shared::frontend::WindowsAPIWrapper,
                     public StatusWindowInterface {
 public:
  static constexpr wchar_t kClassName[] = L"T13NIMESTATUS";

  // Buttons, by index.
  static constexpr int kLanguageButton = 0;
  static constexpr int kPickerButton = 1;
  static constexpr int kSchemeButton = 2;
  static constexpr int kMenuButton = 3;
  static constexpr int kMinimizeButton = 4;
  static constexpr int kButtonCount = 5;

  // The window's constant alpha while it is transparent.
  static constexpr BYTE kTransparentAlpha = 128;

  static ime_shared::base::WindowClassInfo GetWindowClassInfo() {
    return {kClassName, CS_IME, IDC_ARROW, nullptr};
  }

  // |settings| is borrowed and outlives the window. The object lives on the
  // heap: its window deletes it.
  explicit StatusWindow(ime_shared::SettingsInterface* settings);

  // StatusWindowInterface.
  // Creates the window, hidden, with its buttons and background; |module|
  // (null: the binary this code is linked into) holds the images and the
  // tooltips, |menu| (borrowed; may be null) opens from the menu button and
  // on right clicks.
  bool Create(HINSTANCE module, ime_shared::MenuInterface* menu) override;
  void Attach(ime_shared::ContextInterface* context, T13nEngine* engine) override;
  // Hidden without a context, or over a focused full-screen window when
  // "FullscreenAppNoFloatingStatus" is on. Otherwise the buttons follow the
  // engine (transliteration on and the language, the picker shown, scheme
  // mode), the buttons the engine cannot serve are left out (no scheme
  // button without schemes, no picker button for a language without a
  // picker), the window takes its size, its transparency and its place
  // ("StatusPanelX"/"StatusPanelY" clamped to the work area; 65535 is the
  // right or bottom edge) and shows without taking the focus.
  void Refresh() override;
  void SetShowRequest(int32_t value) override { show_request_ = value; }
  void Destroy() override;

  // base::WindowBase.
  bool ProcessWindowMessage(HWND window, UINT message, WPARAM wparam, LPARAM lparam,
                            LRESULT& result) override;
  void OnFinalMessage(HWND window) override;

  // Hooks of the mix-ins.
  void OnButtonClicked(int index);
  // Stores the window's top-left corner in "StatusPanelX"/"StatusPanelY".
  void OnDragEnd();

  // What the window shows now.
  bool minimized() const { return minimized_; }
  bool small_images() const { return small_images_; }
  SIZE logo_size() const { return logo_size_; }
  int32_t show_request() const { return show_request_; }
  ime_shared::ContextInterface* context() const { return context_; }
  T13nEngine* engine() const { return engine_; }

 private:
  ~StatusWindow() override;

  bool ProcessOwnMessage(HWND window, UINT message, WPARAM wparam, LPARAM lparam,
                         LRESULT& result);

  // Whether the window may show at all.
  bool ShouldShow() const;
  // The buttons' images and held states for the engine's state; true when
  // anything changed.
  bool UpdateButtonStates();
  // Which buttons are shown; true when that changed.
  bool UpdateVisibility();
  // Loads the images of the size the settings ask for, when not loaded yet
  // or of the other size; true when it loaded.
  bool LoadImages();
  // Places the shown buttons in a row after the logo and sizes the window
  // to them, at the stored place.
  void LayOut(bool buttons_changed);
  // Layered with alpha 128 while "Transparent" is on and the mouse is not
  // over the window, opaque otherwise.
  void ApplyTransparency();
  void OpenMenu(POINT screen, const RECT* exclude);
  void Paint(HDC dc, const RECT& client);

  ime_shared::SettingsInterface* settings_;
  ime_shared::ContextInterface* context_ = nullptr;
  T13nEngine* engine_ = nullptr;
  HINSTANCE module_ = nullptr;
  ime_shared::MenuInterface* menu_ = nullptr;
  int32_t show_request_ = 1;

  ime_shared::frontend::ExpandableImage background_;
  ime_shared::base::ScopedBitmap logo_;
  SIZE logo_size_ = {0, 0};
  COLORREF logo_key_ = CLR_INVALID;
  ime_shared::base::ScopedImageList button_images_;
  ime_shared::base::ScopedImageList minimize_images_;
  bool images_loaded_ = false;
  bool small_images_ = false;
  bool minimized_ = false;
  // The client size the buttons were laid out for.
  SIZE client_size_ = {0, 0};
  // The window's rectangle for the stored place and the size, kept until
  // either or the displays change.
  bool placement_valid_ = false;
  POINT placed_for_ = {0, 0};
  SIZE placed_size_ = {0, 0};
  RECT placed_rect_ = {0, 0, 0, 0};
  ime_shared::frontend::OffscreenDC offscreen_;
};

}  // namespace ime_t13n

#endif  // IME_T13N_FRONTEND_STATUS_WINDOW_H_
