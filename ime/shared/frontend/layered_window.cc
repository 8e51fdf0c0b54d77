#include "ime/shared/frontend/layered_window.h"

#include "ime/shared/base/gdi_objects.h"

namespace ime_shared {
namespace frontend {

bool UpdateLayeredWindowImage(HWND window, HBITMAP bitmap, SIZE size, BYTE constant_alpha) {
  if (window == nullptr || bitmap == nullptr || size.cx <= 0 || size.cy <= 0) return false;
  base::ScopedWindowDC screen(nullptr);
  base::ScopedMemoryDC memory(::CreateCompatibleDC(screen.Get()));
  if (!memory) return false;
  base::ScopedSelectObject select(memory.Get(), bitmap);
  POINT source = {0, 0};
  BLENDFUNCTION blend = {AC_SRC_OVER, 0, constant_alpha, AC_SRC_ALPHA};
  // No destination point: the window stays where its owner put it, and
  // its owner moves it (a picture changing while shown must not jump to
  // the corner of the screen first).
  return ::UpdateLayeredWindow(window, screen.Get(), nullptr, &size, memory.Get(), &source, 0,
                               &blend, ULW_ALPHA) != FALSE;
}

}  // namespace frontend
}  // namespace ime_shared
