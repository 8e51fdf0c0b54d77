// Double-buffered painting: a memory device context with a bitmap
// compatible with the window's, drawn into off screen and then copied.
// Objects selected into a context for a while are held by
// base::ScopedSelectObject (ime/shared/base/gdi_objects.h), which puts the
// previous object back.
#ifndef IME_SHARED_FRONTEND_OFFSCREEN_DC_H_
#define IME_SHARED_FRONTEND_OFFSCREEN_DC_H_

#include <windows.h>

#include <functional>

#include "ime/shared/base/gdi_objects.h"

namespace ime_shared {
namespace frontend {

using base::ScopedSelectObject;

class OffscreenDC {
 public:
  OffscreenDC();
  OffscreenDC(const OffscreenDC&) = delete;
  OffscreenDC& operator=(const OffscreenDC&) = delete;
  ~OffscreenDC();

  // A context compatible with |reference| holding a |width| x |height|
  // bitmap; replaces the previous one. False, holding nothing, on failure.
  bool Create(HDC reference, int width, int height);
  // Puts the previous object back, deletes the bitmap and the context.
  // Nothing when there is no context.
  void Release();

  HDC dc() const { return dc_; }
  HBITMAP bitmap() const { return bitmap_; }
  SIZE size() const { return size_; }

  // Copies the whole image to (x, y) of |target|.
  bool CopyTo(HDC target, int x, int y) const;

  // Handles WM_PAINT of |window| through this buffer, kept from one paint
  // to the next and made anew when the client area's size changed: |draw|
  // paints the whole client area into it, and it is then copied onto the
  // window in one go, so that nothing flickers. False when nothing could be
  // drawn (the window's update region is validated all the same).
  bool PaintWindow(HWND window, const std::function<void(HDC dc, const RECT& client)>& draw);

 private:
  HDC dc_;
  HBITMAP bitmap_;
  HGDIOBJ previous_;
  SIZE size_;
};

// OffscreenDC::PaintWindow through a buffer made for this paint alone, for
// the windows that keep none.
bool PaintDoubleBuffered(HWND window, const std::function<void(HDC dc, const RECT& client)>& draw);

}  // namespace frontend
}  // namespace ime_shared

#endif  // IME_SHARED_FRONTEND_OFFSCREEN_DC_H_
