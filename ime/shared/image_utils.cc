#include "ime/shared/image_utils.h"

#include <cstdlib>

namespace ime_shared {

void PremultiplyAlpha(const ImageBits& image) {
  // Each pixel is read as four bytes: an image of another depth would be
  // changed wrongly and read past its last row.
  if (image.bits == nullptr || image.width <= 0 || image.height <= 0 ||
      image.bits_per_pixel != 32) {
    return;
  }
  for (int y = 0; y < image.height; ++y) {
    uint8_t* pixel = image.bits + static_cast<ptrdiff_t>(y) * image.pitch;
    for (int x = 0; x < image.width; ++x, pixel += 4) {
      const unsigned alpha = pixel[3];
      for (int channel = 0; channel < 3; ++channel) {
        pixel[channel] = static_cast<uint8_t>((pixel[channel] * alpha + 127) / 255);
      }
    }
  }
}

bool PremultiplyAlpha(HBITMAP bitmap) {
  DIBSECTION dib = {};
  if (bitmap == nullptr ||
      ::GetObjectW(bitmap, sizeof(dib), &dib) != sizeof(dib) ||
      dib.dsBm.bmBits == nullptr) {
    return false;
  }
  // GDI may still be drawing into the bits.
  ::GdiFlush();
  // The rows lie one after another from bmBits whichever way up the image
  // is; the operation does not depend on their order.
  PremultiplyAlpha(ImageBits{static_cast<uint8_t*>(dib.dsBm.bmBits),
                             dib.dsBm.bmWidth, std::abs(dib.dsBm.bmHeight),
                             dib.dsBm.bmWidthBytes, dib.dsBm.bmBitsPixel});
  return true;
}

}  // namespace ime_shared
