#include "ime/shared/frontend/drop_shadow_window.h"

#include <algorithm>
#include <cmath>

#include "ime/shared/base/gdi_objects.h"
#include "ime/shared/base/module_handle.h"
#include "ime/shared/base/window_class.h"

namespace ime_shared {
namespace frontend {
namespace {

constexpr wchar_t kShadowClassName[] = L"IME_FADER";
constexpr int kBand = 4;
// Alpha of the band's rows or columns, from the host outwards.
constexpr uint8_t kBandAlpha[kBand] = {255, 191, 127, 63};
constexpr BYTE kConstantAlpha = 127;

uint8_t& AlphaAt(uint8_t* bits, int pitch, int x, int y) {
  return bits[static_cast<ptrdiff_t>(y) * pitch + x * 4 + 3];
}

}  // namespace

const ShadowCornerTable& GetShadowCornerTable() {
  static const struct Table {
    Table() {
      for (int r = 0; r < 4; ++r) {
        for (int c = 0; c < 4; ++c) {
          const float distance =
              std::sqrt(static_cast<float>((3 - r) * (3 - r) + (3 - c) * (3 - c)));
          const float value = std::max(0.0f, 255.0f - 64.0f * distance);
          values[r][c] = static_cast<uint8_t>(value);
        }
      }
    }
    ShadowCornerTable values;
  } table;
  return table.values;
}

RECT ShadowRectFor(const RECT& host) {
  return RECT{host.left + 6, host.top + 6, host.right + 4, host.bottom + 4};
}

bool DrawShadowAlpha(uint8_t* bits, int width, int height, int pitch) {
  if (bits == nullptr || height < 6 || width < kBand) return false;
  const ShadowCornerTable& table = GetShadowCornerTable();
  // The right band on every row, the bottom band on every column.
  for (int y = 0; y < height; ++y) {
    for (int i = 0; i < kBand; ++i) AlphaAt(bits, pitch, width - kBand + i, y) = kBandAlpha[i];
  }
  for (int i = 0; i < kBand; ++i) {
    for (int x = 0; x < width; ++x) AlphaAt(bits, pitch, x, height - kBand + i) = kBandAlpha[i];
  }
  // The band ends fade in from 0 at their outer corner; the table's 255
  // corner lies against the host, and the blocks' inner rows and columns
  // continue the bands.
  for (int r = 0; r < kBand; ++r) {
    for (int c = 0; c < kBand; ++c) {
      // Top end of the right band.
      AlphaAt(bits, pitch, width - kBand + c, r) = table[r][3 - c];
      // Left end of the bottom band.
      AlphaAt(bits, pitch, c, height - kBand + r) = table[3 - r][c];
      // The corner where the bands meet.
      AlphaAt(bits, pitch, width - kBand + c, height - kBand + r) = table[3 - r][3 - c];
    }
  }
  return true;
}

ATOM RegisterShadowWindowClass() {
  WNDCLASSEXW window_class = {};
  window_class.cbSize = sizeof(window_class);
  window_class.style = CS_IME;
  window_class.lpfnWndProc = &::DefWindowProcW;
  window_class.hInstance = base::CurrentModule();
  window_class.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
  window_class.hbrBackground = nullptr;
  window_class.lpszClassName = kShadowClassName;
  return base::RegisterWindowClassOnce(window_class);
}

HWND CreateShadowWindow(HWND owner) {
  const ATOM atom = RegisterShadowWindowClass();
  if (atom == 0) return nullptr;
  return ::CreateWindowExW(WS_EX_NOACTIVATE | WS_EX_LAYERED | WS_EX_TOOLWINDOW, MAKEINTATOM(atom),
                           L"", WS_POPUP | WS_DISABLED, 0, 0, 1, 1, owner, nullptr,
                           base::CurrentModule(), nullptr);
}

bool UpdateShadowImage(HWND shadow, const RECT& rect) {
  const int width = rect.right - rect.left;
  const int height = rect.bottom - rect.top;
  if (shadow == nullptr || height < 6 || width < kBand) return false;

  void* bits = nullptr;
  // A new DIB section is all zero: black and fully transparent.
  base::ScopedBitmap bitmap(base::CreateTopDownDib32(nullptr, width, height, &bits));
  if (!bitmap || bits == nullptr) return false;
  DrawShadowAlpha(static_cast<uint8_t*>(bits), width, height, width * 4);

  base::ScopedWindowDC screen(nullptr);
  base::ScopedMemoryDC memory(::CreateCompatibleDC(screen.Get()));
  if (!memory) return false;
  base::ScopedSelectObject select(memory.Get(), bitmap.Get());
  POINT destination = {rect.left, rect.top};
  SIZE size = {width, height};
  POINT source = {0, 0};
  BLENDFUNCTION blend = {AC_SRC_OVER, 0, kConstantAlpha, AC_SRC_ALPHA};
  return ::UpdateLayeredWindow(shadow, screen.Get(), &destination, &size, memory.Get(), &source, 0,
                               &blend, ULW_ALPHA) != FALSE;
}

}  // namespace frontend
}  // namespace ime_shared
