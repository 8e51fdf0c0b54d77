#include "ime/shared/frontend/image_strip.h"

#include "ime/shared/base/gdi_objects.h"
#include "ime/shared/base/module_handle.h"

namespace ime_shared {
namespace frontend {

HIMAGELIST LoadImageStrip(HINSTANCE module, int bitmap_id, int image_width,
                          COLORREF mask) {
  if (image_width <= 0) return nullptr;
  if (module == nullptr) module = base::CurrentModule();
  // A DIB section keeps the bitmap's own colours; ImageList_LoadImage
  // would reduce them to the list's default depth.
  base::ScopedBitmap bitmap(static_cast<HBITMAP>(
      ::LoadImageW(module, MAKEINTRESOURCEW(bitmap_id), IMAGE_BITMAP, 0, 0,
                   LR_CREATEDIBSECTION)));
  if (!bitmap) return nullptr;
  BITMAP info = {};
  if (::GetObjectW(bitmap.Get(), sizeof(info), &info) == 0) return nullptr;
  const int count = info.bmWidth / image_width;
  if (count <= 0 || info.bmHeight <= 0) return nullptr;

  if (mask == CLR_DEFAULT) {
    base::ScopedMemoryDC dc(::CreateCompatibleDC(nullptr));
    base::ScopedSelectObject select(dc.Get(), bitmap.Get());
    mask = ::GetPixel(dc.Get(), 0, 0);
  }
  const UINT flags = ILC_COLOR24 | (mask != CLR_NONE ? ILC_MASK : 0);
  HIMAGELIST list = ::ImageList_Create(image_width, info.bmHeight, flags, count, 0);
  if (list == nullptr) return nullptr;
  const int added = mask != CLR_NONE ? ::ImageList_AddMasked(list, bitmap.Get(), mask)
                                     : ::ImageList_Add(list, bitmap.Get(), nullptr);
  if (added < 0) {
    ::ImageList_Destroy(list);
    return nullptr;
  }
  return list;
}

SIZE ImageStripImageSize(HIMAGELIST list) {
  int width = 0;
  int height = 0;
  if (list == nullptr || !::ImageList_GetIconSize(list, &width, &height)) {
    return SIZE{0, 0};
  }
  return SIZE{width, height};
}

}  // namespace frontend
}  // namespace ime_shared
