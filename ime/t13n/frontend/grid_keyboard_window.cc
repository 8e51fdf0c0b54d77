#include "ime/t13n/frontend/grid_keyboard_window.h"

#include <algorithm>
#include <cwchar>
#include <string>

#include "ime/shared/base/module_handle.h"
#include "ime/shared/frontend/command.h"
#include "ime/shared/frontend/engine.h"
#include "ime/shared/frontend/frontend_interfaces.h"
#include "ime/shared/frontend/offscreen_dc.h"
#include "ime/shared/frontend/popup_layout.h"
#include "ime/shared/product_folders.h"
#include "ime/t13n/frontend/t13n_engine.h"

namespace ime_t13n {

namespace {

using ime_shared::base::ScopedBitmap;
using ime_shared::base::ScopedBrush;
using ime_shared::base::ScopedFont;
using ime_shared::base::ScopedMemoryDC;
using ime_shared::base::ScopedPen;
using ime_shared::base::ScopedSelectObject;

constexpr int kKeyWidth = kPickerKeyWidth;    // 40
constexpr int kKeyHeight = kPickerKeyHeight;  // 28
constexpr int kMagnified = kPickerMagnifiedKeySize;  // 80

// Colours (COLORREF).
constexpr COLORREF kFrameColour = 0xC0C0C0;
constexpr COLORREF kBackgroundColour = 0xDEDEDE;
constexpr COLORREF kNameBoxFrameColour = 0x808080;
constexpr COLORREF kNameBoxColour = 0xF5F5F5;
constexpr COLORREF kTitleColour = 0x000080;
constexpr COLORREF kKeyNameColour = 0x800000;

// The logo's part of its strip.
constexpr SIZE kLogoSize = {50, 19};

constexpr wchar_t kJoinerUnits[kJoinerKeyCount] = {0x200D, 0x200C};

HFONT CreatePickerFont(int height) {
  LOGFONTW font = {};
  font.lfHeight = height;
  font.lfWeight = 600;
  font.lfCharSet = DEFAULT_CHARSET;
  font.lfOutPrecision = OUT_TT_PRECIS;
  font.lfClipPrecision = CLIP_TT_ALWAYS;
  font.lfQuality = DEFAULT_QUALITY;
  std::wcscpy(font.lfFaceName, L"Arial");
  return ::CreateFontIndirectW(&font);
}

HBITMAP LoadBitmapResource(HINSTANCE module, int id) {
  return static_cast<HBITMAP>(::LoadImageW(module, MAKEINTRESOURCEW(id), IMAGE_BITMAP, 0, 0,
                                           LR_CREATEDIBSECTION));
}

// Copies |width| x |height| of |bitmap| from |from| to |to| of |dc|.
void CopyBitmap(HDC dc, HDC source, HBITMAP bitmap, POINT to, POINT from, int width, int height) {
  if (bitmap == nullptr) return;
  ScopedSelectObject select(source, bitmap);
  ::BitBlt(dc, to.x, to.y, width, height, source, from.x, from.y, SRCCOPY);
}

void FramedBox(HDC dc, const RECT& rect, COLORREF frame, COLORREF fill) {
  ScopedPen pen(::CreatePen(PS_SOLID, 1, frame));
  ScopedBrush brush(::CreateSolidBrush(fill));
  ScopedSelectObject select_pen(dc, pen.Get());
  ScopedSelectObject select_brush(dc, brush.Get());
  ::Rectangle(dc, rect.left, rect.top, rect.right, rect.bottom);
}

void DrawLine(HDC dc, HFONT font, COLORREF colour, const std::wstring& text, RECT rect) {
  if (text.empty()) return;
  ScopedSelectObject select(dc, font);
  ::SetTextColor(dc, colour);
  ::DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &rect,
              DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
}

}  // namespace

SIZE PickerGeometry::WindowSize() const {
  return SIZE{columns * kKeyWidth + 20, rows * kKeyHeight + 78};
}

int PickerGeometry::KeyAt(POINT client) const {
  if (client.x < kGridLeft || client.x >= columns * kKeyWidth + kGridLeft || client.y < kGridTop ||
      client.y >= rows * kKeyHeight + kGridTop + kKeyHeight) {
    return -1;
  }
  const int row = (client.y - kGridTop) / kKeyHeight;
  const int column = (client.x - kGridLeft) / kKeyWidth;
  // Below the grid only the two joiner keys exist.
  if (row == rows && column >= kJoinerKeyCount) return -1;
  return column + columns * row;
}

RECT PickerGeometry::KeyRect(int key) const {
  const int row = key / columns;
  const int column = key % columns;
  const int left = kGridLeft + column * kKeyWidth;
  const int top = kGridTop + row * kKeyHeight;
  return RECT{left, top, left + kKeyWidth, top + kKeyHeight};
}

POINT PickerGeometry::MagnifierPlace(int key) const {
  const int row = key / columns;
  const int column = key % columns;
  const int y0 = rows * kKeyHeight + 48 < row * kKeyHeight + 128 ? rows * kKeyHeight - 32
                                                                  : row * kKeyHeight + 48;
  const bool right = column * kKeyWidth + 130 < columns * kKeyWidth + 20;
  const int x = right ? column * kKeyWidth + 50 : column * kKeyWidth - 70;
  const int y = row * kKeyHeight + 20 >= y0 || right ? y0 : row * kKeyHeight + 20;
  return POINT{x, y};
}

POINT PickerGeometry::WindowPlace(const RECT& work_area) const {
  const POINT wanted = {work_area.right / 2, work_area.bottom - rows * 2 * kKeyHeight - 156};
  return ime_shared::frontend::ClampToWorkArea(wanted, WindowSize(), work_area);
}

GridKeyboardWindow::GridKeyboardWindow(const std::wstring& image_folder)
    : image_folder_(image_folder), image_folder_known_(!image_folder.empty()) {}

GridKeyboardWindow::~GridKeyboardWindow() = default;

bool GridKeyboardWindow::Create(HINSTANCE module) {
  module_ = module != nullptr ? module : ime_shared::base::CurrentModule();
  if (IsWindow()) return true;
  if (ime_shared::base::WindowImpl<GridKeyboardWindow>::Create(
          nullptr, RECT{0, 0, 1, 1}, L"", kPopupStyle, kPopupExStyle) == nullptr) {
    DestroyWindow();
    return false;
  }
  logo_.Reset(LoadBitmapResource(module_, kLogoBitmap));
  joiner_keys_.Reset(LoadBitmapResource(module_, kJoinerKeysBitmap));
  magnified_joiner_keys_.Reset(LoadBitmapResource(module_, kMagnifiedJoinerKeysBitmap));
  title_font_.Reset(CreatePickerFont(14));
  name_font_.Reset(CreatePickerFont(12));
  return true;
}

void GridKeyboardWindow::SetEngine(T13nEngine* engine) {
  engine_ = engine;
  ResetKeys();
}

void GridKeyboardWindow::SetClock(std::function<ULONGLONG()> clock) { clock_ = std::move(clock); }

ULONGLONG GridKeyboardWindow::Now() const { return clock_ ? clock_() : ::GetTickCount64(); }

void GridKeyboardWindow::Refresh() {
  if (engine_ == nullptr || !IsWindow()) return;
  if (engine_->GetProperty(ime_shared::frontend::kPropertyPickerShown) == 0) {
    Hide();
    return;
  }
  const int language = engine_->GetLanguageIndex();
  const std::vector<SoftKeyboardLayout>& layouts = engine_->soft_keyboard_layouts();
  if (language < 0 || language >= static_cast<int>(layouts.size()) ||
      language >= kSoftKeyboardLanguageCount || layouts[language].rows <= 0 ||
      layouts[language].columns <= 0) {
    // A language without a picker shows none, not the last one shown.
    Hide();
    return;
  }
  layout_ = layouts[language];
  has_layout_ = true;
  language_index_ = language;
  LoadImages(language);
  ResetKeys();

  const SIZE size = geometry().WindowSize();
  const RECT now = WindowRect(hwnd());
  const POINT place = geometry().WindowPlace(WorkAreaNearest(POINT{now.left, now.top}));
  ::SetWindowPos(hwnd(), nullptr, place.x, place.y, size.cx, size.cy,
                 SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOOWNERZORDER);
  last_position_ = place;
  ::InvalidateRect(hwnd(), nullptr, FALSE);
  ShowWithoutActivation(hwnd());
}

void GridKeyboardWindow::Hide() {
  if (IsWindow() && ::IsWindowVisible(hwnd())) ::ShowWindow(hwnd(), SW_HIDE);
}

void GridKeyboardWindow::DestroyWindow() {
  if (!IsWindow()) return;
  const RECT rect = WindowRect(hwnd());
  last_position_ = POINT{rect.left, rect.top};
  ime_shared::base::WindowBase::DestroyWindow();
}

int GridKeyboardWindow::key_state(int key) const {
  return key >= 0 && key < static_cast<int>(key_states_.size()) ? key_states_[key] : kKeyNormal;
}

std::wstring GridKeyboardWindow::ImageFolder() {
  if (!image_folder_known_) {
    image_folder_ = ime_shared::GetProductDirectory(ime_shared::kCommonDataDirectory);
    image_folder_known_ = true;
  }
  return image_folder_;
}

void GridKeyboardWindow::LoadImages(int language_index) {
  LanguageImages& images = language_images_[language_index];
  if (images.loaded) return;
  images.loaded = true;
  const std::wstring folder = ImageFolder();
  // Without the product's folder nothing is read: a bare relative path
  // would be looked for in the host's current folder.
  if (folder.empty()) return;
  for (int i = 0; i < kPickerImageCount; ++i) {
    const std::wstring path =
        folder + L"\\" + PickerImageRelativePath(language_index, static_cast<PickerImage>(i));
    images.images[i].Reset(static_cast<HBITMAP>(::LoadImageW(
        nullptr, path.c_str(), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE | LR_CREATEDIBSECTION)));
  }
}

void GridKeyboardWindow::ResetKeys() {
  key_states_.assign(static_cast<size_t>(std::max(0, geometry().grid_keys())) + kJoinerKeyCount,
                     kKeyNormal);
  hovered_key_ = -1;
  pressed_key_ = -1;
}

int GridKeyboardWindow::KeyUnderCursor() const {
  if (!has_layout_ || !IsWindow()) return -1;
  return geometry().KeyAt(CursorClientPosition(hwnd()));
}

void GridKeyboardWindow::SetHoveredKey(int key) {
  if (hovered_key_ != -1 && hovered_key_ != pressed_key_) key_states_[hovered_key_] = kKeyNormal;
  hovered_key_ = key;
  if (key != -1) {
    key_states_[key] = kKeyHovered;
    hover_began_ = Now();
    ::SetTimer(hwnd(), kMagnifierTimerId, kMagnifierDelayMs, nullptr);
  }
  Repaint(hwnd());
}

void GridKeyboardWindow::SendKey(int key) {
  if (engine_ == nullptr || !has_layout_) return;
  const int grid = geometry().grid_keys();
  std::wstring units;
  if (key >= 0 && key < grid && key < SoftKeyboardLayout::kMaxKeys) {
    for (int i = 0; i < SoftKeyboardLayout::kLabelUnits && layout_.labels[key][i] != L'\0'; ++i) {
      units.push_back(layout_.labels[key][i]);
    }
  } else if (key >= grid && key < grid + kJoinerKeyCount) {
    units.push_back(kJoinerUnits[key - grid]);
  }
  // Each unit goes in as typed in the native script, the context brought
  // up to date after each, as for a typed key. The engine is held here:
  // an update may rebind this window.
  T13nEngine* engine = engine_;
  for (wchar_t unit : units) {
    engine->ExecuteAndUpdate(ime_shared::SoftKeyboardKeyPressedCommand(unit),
                             ime_shared::kUpdateCandidateList);
  }
}

bool GridKeyboardWindow::ProcessWindowMessage(HWND window, UINT message, WPARAM wparam,
                                              LPARAM lparam, LRESULT& result) {
  using Self = GridKeyboardWindow;
  if (message == WM_SETCURSOR && IsDragging()) {
    // While the window is dragged the mouse is the drag's, even over a key.
    return ime_shared::base::ChainMessageHooks<Self>(
        this, {&Self::ProcessTrackerMessage, &Self::ProcessDragMessage}, window, message, wparam,
        lparam, result);
  }
  return ime_shared::base::ChainMessageHooks<Self>(
      this,
      {&Self::ProcessTrackerMessage, &Self::ProcessShadowMessage, &Self::ProcessKeyMessage,
       &Self::ProcessDragMessage},
      window, message, wparam, lparam, result);
}

bool GridKeyboardWindow::ProcessKeyMessage(HWND window, UINT message, WPARAM wparam, LPARAM lparam,
                                           LRESULT& result) {
  switch (message) {
    case WM_SETCURSOR:
      if (!has_layout_) return false;
      return ProcessSetCursor(MouseMessageOf(lparam), result);
    case WM_TIMER:
      if (wparam != kMagnifierTimerId) return false;
      ::KillTimer(window, kMagnifierTimerId);
      Repaint(window);
      result = 0;
      return true;
    case WM_MOUSELEAVE:
      if (hovered_key_ != -1) {
        if (hovered_key_ != pressed_key_) key_states_[hovered_key_] = kKeyNormal;
        hovered_key_ = -1;
        Repaint(window);
      }
      result = 0;
      return true;
    case WM_ERASEBKGND:
      result = 1;
      return true;
    case WM_PAINT:
      ime_shared::frontend::PaintDoubleBuffered(
          window, [this](HDC dc, const RECT& client) { Paint(dc, client); });
      result = 0;
      return true;
    default:
      return false;
  }
}

bool GridKeyboardWindow::ProcessSetCursor(UINT mouse, LRESULT& result) {
  const int key = KeyUnderCursor();
  switch (mouse) {
    case WM_LBUTTONDOWN:
      // Anywhere but on a key the press starts a drag.
      if (key == -1) return false;
      if (hovered_key_ != -1) key_states_[hovered_key_] = kKeyNormal;
      hovered_key_ = -1;
      pressed_key_ = key;
      key_states_[key] = kKeyPressed;
      Repaint(hwnd());
      result = TRUE;
      return true;
    case WM_LBUTTONUP: {
      // A release without a pressed key ends a drag.
      if (pressed_key_ == -1) return false;
      const int pressed = pressed_key_;
      pressed_key_ = -1;
      key_states_[pressed] = kKeyNormal;
      HWND window = hwnd();
      // Pressed, left and released elsewhere: nothing is sent.
      if (key == pressed) SendKey(pressed);
      if (::IsWindow(window)) Repaint(window);
      result = TRUE;
      return true;
    }
    case WM_MOUSEMOVE:
      if (pressed_key_ != -1) {
        const int state = key == pressed_key_ ? kKeyPressed : kKeyNormal;
        if (key_states_[pressed_key_] != state) {
          key_states_[pressed_key_] = state;
          Repaint(hwnd());
        }
      } else if (key != hovered_key_) {
        SetHoveredKey(key);
      }
      break;
    default:
      break;
  }
  if (hovered_key_ == -1) return false;
  UseCursor(IDC_HAND);
  result = TRUE;
  return true;
}

void GridKeyboardWindow::Paint(HDC dc, const RECT& client) {
  FramedBox(dc, client, kFrameColour, kBackgroundColour);
  magnifier_drawn_ = false;
  if (!has_layout_) return;
  const int grid_bottom = layout_.rows * kKeyHeight + 51;
  FramedBox(dc, RECT{10, grid_bottom, client.right - 10, client.bottom - 5}, kNameBoxFrameColour,
            kNameBoxColour);
  ::SetBkMode(dc, TRANSPARENT);
  DrawLine(dc, title_font_.Get(), kTitleColour, layout_.name, RECT{5, 0, client.right, 20});

  ScopedMemoryDC source(::CreateCompatibleDC(dc));
  if (source) {
    CopyBitmap(dc, source.Get(), logo_.Get(), POINT{client.right - 53, 0}, POINT{0, 0},
               kLogoSize.cx, kLogoSize.cy);
    PaintGrid(dc, source.Get());
  }
  const int named = hovered_key_ != -1 ? hovered_key_ : pressed_key_;
  if (named != -1) {
    DrawLine(dc, name_font_.Get(), kKeyNameColour, GetSoftKeyboardKeyName(language_index_, named),
             RECT{12, grid_bottom, client.right - 10, client.bottom - 5});
  }
  if (source && hovered_key_ != -1 && Now() - hover_began_ >= kMagnifierDelayMs) {
    PaintMagnifier(dc, source.Get());
    magnifier_drawn_ = true;
  }
}

void GridKeyboardWindow::PaintGrid(HDC dc, HDC source) {
  const PickerGeometry grid = geometry();
  const LanguageImages& images = language_images_[language_index_];
  const POINT origin = {PickerGeometry::kGridLeft, PickerGeometry::kGridTop};
  CopyBitmap(dc, source, images.images[static_cast<int>(PickerImage::kNormal)].Get(), origin,
             POINT{0, 0}, layout_.columns * kKeyWidth, layout_.rows * kKeyHeight);
  for (int key = 0; key < grid.grid_keys(); ++key) {
    const int state = key_states_[key];
    if (state == kKeyNormal) continue;
    const PickerImage image = state == kKeyPressed ? PickerImage::kPushed : PickerImage::kHover;
    const RECT cell = grid.KeyRect(key);
    CopyBitmap(dc, source, images.images[static_cast<int>(image)].Get(),
               POINT{cell.left, cell.top}, POINT{cell.left - origin.x, cell.top - origin.y},
               kKeyWidth, kKeyHeight);
  }
  // The joiner keys' strip holds the non-joiner in its top row.
  for (int j = 0; j < kJoinerKeyCount; ++j) {
    const RECT cell = grid.KeyRect(grid.grid_keys() + j);
    CopyBitmap(dc, source, joiner_keys_.Get(), POINT{cell.left, cell.top},
               POINT{key_states_[grid.grid_keys() + j] * kKeyWidth, j == 0 ? kKeyHeight : 0},
               kKeyWidth, kKeyHeight);
  }
}

void GridKeyboardWindow::PaintMagnifier(HDC dc, HDC source) {
  const PickerGeometry grid = geometry();
  const POINT place = grid.MagnifierPlace(hovered_key_);
  if (hovered_key_ < grid.grid_keys()) {
    const HBITMAP magnified =
        language_images_[language_index_].images[static_cast<int>(PickerImage::kMagnified)].Get();
    CopyBitmap(dc, source, magnified, place,
               POINT{(hovered_key_ % layout_.columns) * kMagnified,
                     (hovered_key_ / layout_.columns) * kMagnified},
               kMagnified, kMagnified);
  } else {
    CopyBitmap(dc, source, magnified_joiner_keys_.Get(), place,
               POINT{(hovered_key_ - grid.grid_keys()) * kMagnified, 0}, kMagnified, kMagnified);
  }
}

}  // namespace ime_t13n
