#include "ime/t13n/frontend/status_window.h"

#include <algorithm>
#include <cstdlib>
#include <string>

#include "ime/shared/base/module_handle.h"
#include "ime/shared/frontend/engine.h"
#include "ime/shared/frontend/image_strip.h"
#include "ime/shared/frontend/menu_interface.h"
#include "ime/shared/frontend/popup_layout.h"
#include "ime/shared/language_codes.h"
#include "ime/shared/settings_interface.h"
#include "ime/shared/settings_table.h"
#include "ime/shared/string_utils.h"
#include "ime/shared/window_utils.h"
#include "ime/t13n/frontend/t13n_engine.h"
#include "ime/t13n/frontend/t13n_windows_resources.h"

namespace ime_t13n {

namespace {

using ime_shared::frontend::ButtonRecord;
using ime_shared::frontend::kPropertyPickerShown;
using ime_shared::frontend::kPropertySchemeMode;
using ime_shared::frontend::kPropertyTransliterationOn;

// "StatusPanelLayout": bit 0 minimised (only the language and the minimise
// buttons), bit 1 the small images.
constexpr uint32_t kLayoutMinimized = 1;
constexpr uint32_t kLayoutSmall = 2;

// The buttons' row starts this far right of the logo's width, 3 pixels
// down; the window leaves 2 pixels right of the last button and 3 below.
constexpr int kLogoLeft = 6;
constexpr int kButtonsLeftAfterLogo = 6;
constexpr int kButtonsTop = 3;
constexpr int kRightMargin = 2;
constexpr int kVerticalMargins = 6;

// What each size loads.
struct ImageSet {
  int buttons;
  int button_width;
  int logo;
  int minimize;
  int minimize_width;
};
constexpr ImageSet kNormalImages = {IDB_STATUS_BUTTONS, 20, IDB_STATUS_LOGO,
                                    IDB_STATUS_MINIMIZE, 8};
constexpr ImageSet kSmallImages = {IDB_STATUS_BUTTONS_SMALL, 15, IDB_STATUS_LOGO_SMALL,
                                   IDB_STATUS_MINIMIZE_SMALL, 5};

// Images of the button strip: transliteration off, the picker, the menu;
// the language images start at kFirstLanguageImage (two per language, on
// and hovered), the scheme images at kSchemeImage (off, on, then hovered).
constexpr int kOffImages[4] = {4, 5, 5, -1};
constexpr int kPickerImages[4] = {14, 15, 18, -1};
constexpr int kMenuImages[4] = {16, 17, 17, -1};
constexpr int kFirstLanguageImage = 19;
constexpr int kSchemeImage = 57;
// Images of the minimise strip.
constexpr int kExpandedImages[4] = {0, 1, 1, -1};
constexpr int kMinimizedImages[4] = {2, 3, 3, -1};

constexpr UINT kTooltips[StatusWindow::kButtonCount] = {
    IDS_TOGGLE_LANGUAGE, IDS_SHOW_CHAR_PICKER, IDS_TOGGLE_SCHEME, IDS_OPEN_MENU, IDS_MINIMIZE};

// Sets the four state images; true when any changed.
bool SetImages(ButtonRecord& button, const int (&images)[4]) {
  if (std::equal(images, images + 4, button.images)) return false;
  std::copy(images, images + 4, button.images);
  return true;
}

// The window with the keyboard focus. The status window lives on the
// thread of the input context it shows: the thread whose window the user
// types in.
HWND FocusWindow() { return ::GetFocus(); }

}  // namespace

StatusWindow::StatusWindow(ime_shared::SettingsInterface* settings) : settings_(settings) {}

StatusWindow::~StatusWindow() = default;

bool StatusWindow::Create(HINSTANCE module, ime_shared::MenuInterface* menu) {
  module_ = module != nullptr ? module : ime_shared::base::CurrentModule();
  menu_ = menu;
  if (ime_shared::base::WindowImpl<StatusWindow>::Create(nullptr, RECT{0, 0, 1, 1}, L"",
                                                         kPopupStyle, kPopupExStyle) == nullptr) {
    return false;
  }
  ClearButtons();
  const int* images[kButtonCount] = {kOffImages, kPickerImages, kOffImages, kMenuImages,
                                     kExpandedImages};
  for (int i = 0; i < kButtonCount; ++i) {
    ButtonRecord record;
    std::copy(images[i], images[i] + 4, record.images);
    record.tooltip = ime_shared::LoadResourceString(module_, kTooltips[i]);
    AddButton(record);
  }
  background_.Load(ime_shared::frontend::kStatusBackgroundSkin, module_);
  return true;
}

void StatusWindow::Destroy() { DestroyWindowOrDeleteSelf(); }

void StatusWindow::OnFinalMessage(HWND window) { delete this; }

void StatusWindow::Attach(ime_shared::ContextInterface* context, T13nEngine* engine) {
  context_ = context;
  engine_ = engine;
  Refresh();
}

bool StatusWindow::ShouldShow() const {
  if (context_ == nullptr) return false;
  return settings_->GetInt(ime_shared::kSettingFullscreenAppNoFloatingStatus) == 0 ||
         !ime_shared::IsFullScreenWindow(FocusWindow());
}

void StatusWindow::Refresh() {
  if (!IsWindow() || button_count() != kButtonCount) return;
  if (!ShouldShow()) {
    if (::IsWindowVisible(hwnd())) ::ShowWindow(hwnd(), SW_HIDE);
    return;
  }
  // This runs at every key (the key-eaten state is a mode change too): the
  // window is moved, re-layered or redrawn only when something changed.
  const bool states_changed = UpdateButtonStates();
  const bool shown_changed = UpdateVisibility();
  const bool loaded = LoadImages();
  LayOut(shown_changed || loaded);
  ApplyTransparency();
  if (states_changed || shown_changed || loaded) Repaint(hwnd());
  if (!::IsWindowVisible(hwnd())) {
    ShowWithoutActivation(hwnd());
    ::UpdateWindow(hwnd());
  }
}

bool StatusWindow::UpdateButtonStates() {
  const bool on = engine_ != nullptr && engine_->GetProperty(kPropertyTransliterationOn) != 0;
  const int language = static_cast<int>(std::min<uint32_t>(
      settings_->GetInt(ime_shared::kSettingT13nCurrentLanguage),
      ime_shared::LanguageCodes::kCount - 1));
  bool changed = false;
  if (on) {
    const int image = kFirstLanguageImage + 2 * language;
    changed |= SetImages(button(kLanguageButton), {image, image + 1, image + 1, -1});
  } else {
    changed |= SetImages(button(kLanguageButton), kOffImages);
  }
  const bool picker = engine_ != nullptr && engine_->GetProperty(kPropertyPickerShown) != 0;
  if (button(kPickerButton).held != picker) {
    button(kPickerButton).held = picker;
    changed = true;
  }
  const int scheme =
      engine_ != nullptr && engine_->GetProperty(kPropertySchemeMode) != 0 ? 1 : 0;
  changed |= SetImages(button(kSchemeButton),
                       {kSchemeImage + scheme, kSchemeImage + 2 + scheme, kSchemeImage + scheme, -1});
  return changed;
}

bool StatusWindow::UpdateVisibility() {
  minimized_ = (settings_->GetInt(ime_shared::kSettingStatusPanelLayout) & kLayoutMinimized) != 0;
  const int language = static_cast<int>(settings_->GetInt(ime_shared::kSettingT13nCurrentLanguage));
  bool picker_offered = false;
  bool schemes_offered = false;
  if (engine_ != nullptr) {
    for (const SoftKeyboardLayout& layout : engine_->soft_keyboard_layouts()) {
      if (layout.layout_index == language) {
        picker_offered = layout.rows > 0 || layout.columns > 0;
        break;
      }
    }
    schemes_offered = !engine_->scheme_names().empty();
  }
  const bool shown[kButtonCount] = {true, !minimized_ && picker_offered,
                                    !minimized_ && schemes_offered, !minimized_, true};
  bool changed = false;
  for (int i = 0; i < kButtonCount; ++i) {
    if (button(i).visible != shown[i]) {
      button(i).visible = shown[i];
      changed = true;
    }
  }
  changed |= SetImages(button(kMinimizeButton), minimized_ ? kMinimizedImages : kExpandedImages);
  return changed;
}

bool StatusWindow::LoadImages() {
  const bool small = (settings_->GetInt(ime_shared::kSettingStatusPanelLayout) & kLayoutSmall) != 0;
  if (images_loaded_ && small == small_images_) return false;
  images_loaded_ = true;
  small_images_ = small;
  const ImageSet& set = small ? kSmallImages : kNormalImages;
  button_images_.Reset(
      ime_shared::frontend::LoadImageStrip(module_, set.buttons, set.button_width, CLR_DEFAULT));
  minimize_images_.Reset(
      ime_shared::frontend::LoadImageStrip(module_, set.minimize, set.minimize_width, CLR_NONE));
  logo_.Reset(static_cast<HBITMAP>(::LoadImageW(module_, MAKEINTRESOURCEW(set.logo), IMAGE_BITMAP,
                                                0, 0, LR_CREATEDIBSECTION)));
  logo_size_ = SIZE{0, 0};
  logo_key_ = CLR_INVALID;
  BITMAP info = {};
  if (logo_ && ::GetObjectW(logo_.Get(), sizeof(info), &info) != 0) {
    logo_size_ = SIZE{info.bmWidth, std::abs(info.bmHeight)};
    ime_shared::base::ScopedMemoryDC dc(::CreateCompatibleDC(nullptr));
    ime_shared::base::ScopedSelectObject select(dc.Get(), logo_.Get());
    logo_key_ = ::GetPixel(dc.Get(), 0, 0);
  }
  const SIZE main = ime_shared::frontend::ImageStripImageSize(button_images_.Get());
  const SIZE narrow = ime_shared::frontend::ImageStripImageSize(minimize_images_.Get());
  for (int i = 0; i < kButtonCount; ++i) {
    ButtonRecord& record = button(i);
    const bool is_narrow = i == kMinimizeButton;
    record.image_list = is_narrow ? minimize_images_.Get() : button_images_.Get();
    record.width = is_narrow ? narrow.cx : main.cx;
    record.height = is_narrow ? narrow.cy : main.cy;
  }
  return true;
}

void StatusWindow::LayOut(bool buttons_changed) {
  int x = logo_size_.cx + kButtonsLeftAfterLogo;
  int height = 0;
  for (int i = 0; i < kButtonCount; ++i) {
    ButtonRecord& record = button(i);
    if (!record.visible) continue;
    record.x = x;
    record.y = kButtonsTop;
    x += record.width;
    height = std::max(height, record.height);
  }
  if (buttons_changed) RebuildTooltips();
  client_size_ = SIZE{x + kRightMargin, height + kVerticalMargins};

  // The stored place names the monitor: a window made anew on another one
  // goes back to where the user left it.
  const POINT stored = {
      static_cast<LONG>(settings_->GetInt(ime_shared::kSettingStatusPanelX)),
      static_cast<LONG>(settings_->GetInt(ime_shared::kSettingStatusPanelY))};
  // Asking for the work area is a round trip to the display server: it is
  // done again only when the place, the size or the displays changed.
  if (!placement_valid_ || stored.x != placed_for_.x || stored.y != placed_for_.y ||
      client_size_.cx != placed_size_.cx || client_size_.cy != placed_size_.cy) {
    const POINT place = ime_shared::frontend::ClampToWorkArea(stored, client_size_,
                                                              WorkAreaNearest(stored));
    placed_rect_ = RECT{place.x, place.y, place.x + client_size_.cx, place.y + client_size_.cy};
    placed_for_ = stored;
    placed_size_ = client_size_;
    placement_valid_ = true;
  }
  const RECT now = WindowRect(hwnd());
  if (!::EqualRect(&now, &placed_rect_)) {
    MoveAndSizeWithoutActivation(hwnd(), placed_rect_);
  }
}

void StatusWindow::ApplyTransparency() {
  const bool transparent =
      settings_->GetInt(ime_shared::kSettingTransparent) != 0 && !IsHovering();
  const LONG_PTR style = ::GetWindowLongPtrW(hwnd(), GWL_EXSTYLE);
  const bool layered = (style & WS_EX_LAYERED) != 0;
  if (transparent == layered) return;
  if (transparent) {
    ::SetWindowLongPtrW(hwnd(), GWL_EXSTYLE, style | WS_EX_LAYERED);
    ::SetLayeredWindowAttributes(hwnd(), 0, kTransparentAlpha, LWA_ALPHA);
  } else {
    ::SetWindowLongPtrW(hwnd(), GWL_EXSTYLE, style & ~static_cast<LONG_PTR>(WS_EX_LAYERED));
    ::RedrawWindow(hwnd(), nullptr, nullptr, RDW_INVALIDATE | RDW_FRAME | RDW_ALLCHILDREN);
  }
}

void StatusWindow::OnButtonClicked(int index) {
  switch (index) {
    case kLanguageButton:
      if (engine_ != nullptr) engine_->ToggleProperty(kPropertyTransliterationOn);
      break;
    case kPickerButton:
      if (engine_ != nullptr) engine_->ToggleProperty(kPropertyPickerShown);
      break;
    case kSchemeButton:
      if (engine_ != nullptr) engine_->ToggleProperty(kPropertySchemeMode);
      break;
    case kMenuButton: {
      const ButtonRecord& record = button(kMenuButton);
      POINT corners[2] = {{record.x, record.y}, {record.x + record.width, record.y + record.height}};
      ::MapWindowPoints(hwnd(), nullptr, corners, 2);
      const RECT area = {corners[0].x, corners[0].y, corners[1].x, corners[1].y};
      OpenMenu(POINT{area.left, area.bottom}, &area);
      break;
    }
    case kMinimizeButton:
      settings_->SetInt(ime_shared::kSettingStatusPanelLayout,
                        settings_->GetInt(ime_shared::kSettingStatusPanelLayout) ^
                            kLayoutMinimized);
      UpdateVisibility();
      LayOut(true);
      Repaint(hwnd());
      break;
    default:
      break;
  }
}

void StatusWindow::OpenMenu(POINT screen, const RECT* exclude) {
  UseCursor(IDC_ARROW);
  if (menu_ != nullptr) menu_->Show(screen, hwnd(), exclude);
}

void StatusWindow::OnDragEnd() {
  // Stored as they are: a place left of or above the primary monitor is out
  // of the settings' range, and the store keeps its default (the right or
  // bottom edge) instead.
  const RECT rect = WindowRect(hwnd());
  settings_->SetInt(ime_shared::kSettingStatusPanelX, static_cast<uint32_t>(rect.left));
  settings_->SetInt(ime_shared::kSettingStatusPanelY, static_cast<uint32_t>(rect.top));
}

bool StatusWindow::ProcessWindowMessage(HWND window, UINT message, WPARAM wparam, LPARAM lparam,
                                        LRESULT& result) {
  if (message == WM_SETCURSOR && IsDragging()) {
    // While the window is dragged the mouse is the drag's, even over a
    // button.
    return ime_shared::base::ChainMessageHooks<StatusWindow>(
        this, {&StatusWindow::ProcessTrackerMessage, &StatusWindow::ProcessDragMessage}, window,
        message, wparam, lparam, result);
  }
  return ime_shared::base::ChainMessageHooks<StatusWindow>(
      this,
      {&StatusWindow::ProcessTrackerMessage, &StatusWindow::ProcessShadowMessage,
       &StatusWindow::ProcessOwnMessage, &StatusWindow::ProcessButtonsMessage,
       &StatusWindow::ProcessDragMessage},
      window, message, wparam, lparam, result);
}

bool StatusWindow::ProcessOwnMessage(HWND window, UINT message, WPARAM wparam, LPARAM lparam,
                                     LRESULT& result) {
  switch (message) {
    case WM_SETCURSOR: {
      if (MouseMessageOf(lparam) != WM_RBUTTONUP) return false;
      if (ime_shared::frontend::ButtonHolds(button(kPickerButton),
                                            CursorClientPosition(window))) {
        return false;
      }
      OpenMenu(CursorScreenPosition(), nullptr);
      result = TRUE;
      return true;
    }
    case WM_MOUSEHOVER:
    case WM_MOUSELEAVE:
      // Opaque while the mouse is over the window. The buttons see the
      // leaving too.
      if (IsWindow()) ApplyTransparency();
      return false;
    case WM_PAINT: {
      offscreen_.PaintWindow(window, [this](HDC dc, const RECT& client) { Paint(dc, client); });
      result = 0;
      return true;
    }
    case WM_ERASEBKGND:
      result = 1;
      return true;
    case WM_DISPLAYCHANGE:
    case WM_SETTINGCHANGE:
      // The work area may have changed: the next refresh clamps anew.
      placement_valid_ = false;
      return false;
    default:
      return false;
  }
}

void StatusWindow::Paint(HDC dc, const RECT& client) {
  if (background_.IsLoaded()) {
    background_.Draw(dc, client);
  } else {
    ::FillRect(dc, &client, static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH)));
  }
  if (logo_) {
    ime_shared::base::ScopedMemoryDC source(::CreateCompatibleDC(dc));
    ime_shared::base::ScopedSelectObject select(source.Get(), logo_.Get());
    ::TransparentBlt(dc, kLogoLeft, 0, logo_size_.cx, logo_size_.cy, source.Get(), 0, 0,
                     logo_size_.cx, logo_size_.cy, logo_key_);
  }
  DrawButtons(dc);
}

}  // namespace ime_t13n
