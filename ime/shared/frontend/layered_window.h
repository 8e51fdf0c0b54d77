// A pop-up window whose picture is a 32-bit image with per-pixel alpha,
// handed to the system with UpdateLayeredWindow instead of being painted:
// the window takes the image's size, and the system blends it over whatever
// lies below. The window must have been created with WS_EX_LAYERED.
//
// A mix-in of the host window class Host (a base::WindowImpl); it has no
// message hook, since a layered window of this kind receives no WM_PAINT.
#ifndef IME_SHARED_FRONTEND_LAYERED_WINDOW_H_
#define IME_SHARED_FRONTEND_LAYERED_WINDOW_H_

#include <windows.h>

namespace ime_shared {
namespace frontend {

// Gives the layered |window| the picture of |bitmap|, a 32-bit DIB section
// of |size| whose colours are premultiplied by their alpha: per-pixel alpha
// over the whole window (AC_SRC_OVER, AC_SRC_ALPHA, ULW_ALPHA), at
// |constant_alpha| (255 opaque). The window keeps its place and takes the
// bitmap's size. False, with the window unchanged, for a null bitmap, an
// empty size or a refusal of the system.
bool UpdateLayeredWindowImage(HWND window, HBITMAP bitmap, SIZE size, BYTE constant_alpha = 255);

template <typename Host>
class LayeredWindow {
 public:
  // The size of the picture the window shows; 0 x 0 without one.
  SIZE layered_image_size() const { return image_size_; }
  bool has_layered_image() const { return image_size_.cx > 0 && image_size_.cy > 0; }

 protected:
  // Shows |bitmap| (see UpdateLayeredWindowImage) as the window's picture.
  bool SetLayeredImage(HBITMAP bitmap, SIZE size) {
    if (!UpdateLayeredWindowImage(static_cast<Host*>(this)->hwnd(), bitmap, size)) {
      return false;
    }
    image_size_ = size;
    return true;
  }
  // Forgets the picture; the caller hides the window, which shows what the
  // system last received until then.
  void ClearLayeredImage() { image_size_ = SIZE{0, 0}; }

 private:
  SIZE image_size_ = {0, 0};
};

}  // namespace frontend
}  // namespace ime_shared

#endif  // IME_SHARED_FRONTEND_LAYERED_WINDOW_H_
