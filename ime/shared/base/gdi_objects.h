// Scoped owners of the drawing objects of the pop-up windows: window and
// memory device contexts, fonts, bitmaps, pens, brushes, image lists, menus
// and owned windows such as tooltips, and a scoped selection of an object
// into a device context.
#ifndef IME_SHARED_BASE_GDI_OBJECTS_H_
#define IME_SHARED_BASE_GDI_OBJECTS_H_

#include <windows.h>
#include <commctrl.h>

#include <utility>

#include "ime/shared/base/scoped_handle.h"

namespace ime_shared {
namespace base {

// Objects freed with DeleteObject.
template <typename T>
struct GdiObjectTraits {
  using Handle = T;
  static Handle Invalid() { return nullptr; }
  static void Close(Handle h) { ::DeleteObject(h); }
};

struct MemoryDCTraits {
  using Handle = HDC;
  static Handle Invalid() { return nullptr; }
  static void Close(Handle h) { ::DeleteDC(h); }
};

struct ImageListTraits {
  using Handle = HIMAGELIST;
  static Handle Invalid() { return nullptr; }
  static void Close(Handle h) { ::ImageList_Destroy(h); }
};

struct MenuTraits {
  using Handle = HMENU;
  static Handle Invalid() { return nullptr; }
  static void Close(Handle h) { ::DestroyMenu(h); }
};

// A window this code created and owns outright, such as a tooltip window.
struct WindowTraits {
  using Handle = HWND;
  static Handle Invalid() { return nullptr; }
  static void Close(Handle h) {
    if (::IsWindow(h)) ::DestroyWindow(h);
  }
};

using ScopedFont = ScopedGenericHandle<GdiObjectTraits<HFONT>>;
using ScopedBitmap = ScopedGenericHandle<GdiObjectTraits<HBITMAP>>;
using ScopedPen = ScopedGenericHandle<GdiObjectTraits<HPEN>>;
using ScopedBrush = ScopedGenericHandle<GdiObjectTraits<HBRUSH>>;
using ScopedRegion = ScopedGenericHandle<GdiObjectTraits<HRGN>>;
// A device context from CreateCompatibleDC or CreateDC.
using ScopedMemoryDC = ScopedGenericHandle<MemoryDCTraits>;
using ScopedImageList = ScopedGenericHandle<ImageListTraits>;
using ScopedMenu = ScopedGenericHandle<MenuTraits>;
using ScopedWindow = ScopedGenericHandle<WindowTraits>;
using ScopedTooltipWindow = ScopedWindow;

// The device context of a window (or of the screen for a null window), given
// back with ReleaseDC.
class ScopedWindowDC {
 public:
  explicit ScopedWindowDC(HWND window) : window_(window), dc_(::GetDC(window)) {}
  ScopedWindowDC(const ScopedWindowDC&) = delete;
  ScopedWindowDC& operator=(const ScopedWindowDC&) = delete;
  ~ScopedWindowDC() {
    if (dc_ != nullptr) ::ReleaseDC(window_, dc_);
  }

  HDC Get() const { return dc_; }
  bool IsValid() const { return dc_ != nullptr; }
  explicit operator bool() const { return IsValid(); }

 private:
  HWND window_;
  HDC dc_;
};

// BeginPaint and EndPaint around the handling of WM_PAINT.
class ScopedPaintDC {
 public:
  explicit ScopedPaintDC(HWND window) : window_(window), paint_() {
    dc_ = ::BeginPaint(window, &paint_);
  }
  ScopedPaintDC(const ScopedPaintDC&) = delete;
  ScopedPaintDC& operator=(const ScopedPaintDC&) = delete;
  ~ScopedPaintDC() {
    if (dc_ != nullptr) ::EndPaint(window_, &paint_);
  }

  HDC Get() const { return dc_; }
  const PAINTSTRUCT& paint() const { return paint_; }

 private:
  HWND window_;
  PAINTSTRUCT paint_;
  HDC dc_;
};

// Selects an object into a device context and puts the one it replaced back
// when it goes. Nothing happens for a null context or object.
class ScopedSelectObject {
 public:
  ScopedSelectObject() : dc_(nullptr), previous_(nullptr) {}
  ScopedSelectObject(HDC dc, HGDIOBJ object) : dc_(nullptr), previous_(nullptr) {
    Select(dc, object);
  }
  ScopedSelectObject(ScopedSelectObject&& other) noexcept
      : dc_(std::exchange(other.dc_, nullptr)),
        previous_(std::exchange(other.previous_, nullptr)) {}
  ScopedSelectObject& operator=(ScopedSelectObject&&) = delete;
  ScopedSelectObject(const ScopedSelectObject&) = delete;
  ScopedSelectObject& operator=(const ScopedSelectObject&) = delete;
  ~ScopedSelectObject() { Restore(); }

  // Puts back what an earlier selection replaced, then selects |object|.
  // False when nothing was selected.
  bool Select(HDC dc, HGDIOBJ object) {
    Restore();
    if (dc == nullptr || object == nullptr) return false;
    HGDIOBJ previous = ::SelectObject(dc, object);
    if (previous == nullptr || previous == HGDI_ERROR) return false;
    dc_ = dc;
    previous_ = previous;
    return true;
  }

  // Puts the replaced object back now.
  void Restore() {
    if (dc_ != nullptr) ::SelectObject(dc_, previous_);
    dc_ = nullptr;
    previous_ = nullptr;
  }

 private:
  HDC dc_;
  HGDIOBJ previous_;
};

// A 32-bit DIB section of |width| x |height| whose rows run from the top
// (blue, green, red and alpha bytes; all zero when new), made for |dc| (null:
// the screen); |*bits| receives its first byte. Null when it cannot be made.
inline HBITMAP CreateTopDownDib32(HDC dc, int width, int height, void** bits) {
  BITMAPINFO info = {};
  info.bmiHeader.biSize = sizeof(info.bmiHeader);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  *bits = nullptr;
  return ::CreateDIBSection(dc, &info, DIB_RGB_COLORS, bits, nullptr, 0);
}

}  // namespace base
}  // namespace ime_shared

#endif  // IME_SHARED_BASE_GDI_OBJECTS_H_
