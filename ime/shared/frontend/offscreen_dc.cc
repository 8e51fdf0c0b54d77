#include "ime/shared/frontend/offscreen_dc.h"

namespace ime_shared {
namespace frontend {

OffscreenDC::OffscreenDC() : dc_(nullptr), bitmap_(nullptr), previous_(nullptr), size_{0, 0} {}

OffscreenDC::~OffscreenDC() { Release(); }

bool OffscreenDC::Create(HDC reference, int width, int height) {
  Release();
  if (reference == nullptr || width <= 0 || height <= 0) return false;
  dc_ = ::CreateCompatibleDC(reference);
  bitmap_ = ::CreateCompatibleBitmap(reference, width, height);
  if (dc_ == nullptr || bitmap_ == nullptr) {
    if (bitmap_ != nullptr) ::DeleteObject(bitmap_);
    if (dc_ != nullptr) ::DeleteDC(dc_);
    dc_ = nullptr;
    bitmap_ = nullptr;
    return false;
  }
  previous_ = ::SelectObject(dc_, bitmap_);
  size_ = SIZE{width, height};
  return true;
}

void OffscreenDC::Release() {
  if (dc_ == nullptr) return;
  if (previous_ != nullptr) ::SelectObject(dc_, previous_);
  if (bitmap_ != nullptr) ::DeleteObject(bitmap_);
  ::DeleteDC(dc_);
  dc_ = nullptr;
  bitmap_ = nullptr;
  previous_ = nullptr;
  size_ = SIZE{0, 0};
}

bool OffscreenDC::CopyTo(HDC target, int x, int y) const {
  if (dc_ == nullptr || target == nullptr) return false;
  return ::BitBlt(target, x, y, size_.cx, size_.cy, dc_, 0, 0, SRCCOPY) != FALSE;
}

bool OffscreenDC::PaintWindow(HWND window,
                              const std::function<void(HDC dc, const RECT& client)>& draw) {
  base::ScopedPaintDC paint(window);
  if (paint.Get() == nullptr) return false;
  RECT client = {0, 0, 0, 0};
  ::GetClientRect(window, &client);
  const SIZE size = {client.right - client.left, client.bottom - client.top};
  if (size.cx <= 0 || size.cy <= 0) return false;
  if (dc_ == nullptr || size_.cx != size.cx || size_.cy != size.cy) {
    if (!Create(paint.Get(), size.cx, size.cy)) return false;
  }
  draw(dc_, client);
  return CopyTo(paint.Get(), 0, 0);
}

bool PaintDoubleBuffered(HWND window, const std::function<void(HDC dc, const RECT& client)>& draw) {
  OffscreenDC offscreen;
  return offscreen.PaintWindow(window, draw);
}

}  // namespace frontend
}  // namespace ime_shared
