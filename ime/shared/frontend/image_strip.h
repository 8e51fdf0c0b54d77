// Image lists made from a bitmap resource that holds a row of equally wide
// images (the buttons of the pop-up windows, the hover marks, the logo).
#ifndef IME_SHARED_FRONTEND_IMAGE_STRIP_H_
#define IME_SHARED_FRONTEND_IMAGE_STRIP_H_

#include <windows.h>
#include <commctrl.h>

namespace ime_shared {
namespace frontend {

// An image list of the images |image_width| pixels wide that bitmap
// |bitmap_id| of |module| (null: the binary this code is linked into)
// holds side by side, as high as the bitmap, in 24-bit colour. |mask| is
// the transparent colour: CLR_NONE for none, CLR_DEFAULT for the bitmap's
// top-left pixel. Null when there is no such bitmap or it is narrower than
// one image. The caller owns the list.
HIMAGELIST LoadImageStrip(HINSTANCE module, int bitmap_id, int image_width,
                          COLORREF mask);

// The size of one image of |list|; 0 x 0 for none.
SIZE ImageStripImageSize(HIMAGELIST list);

}  // namespace frontend
}  // namespace ime_shared

#endif  // IME_SHARED_FRONTEND_IMAGE_STRIP_H_
