// Preparation of 32-bit images for drawing with per-pixel alpha
// (UpdateLayeredWindow with AC_SRC_ALPHA expects premultiplied colours).
#ifndef IME_SHARED_IMAGE_UTILS_H_
#define IME_SHARED_IMAGE_UTILS_H_

#include <windows.h>

#include <cstdint>

namespace ime_shared {

// The pixels of an image in memory: |bits| is the first byte of the row
// that |pitch| steps from (negative for a bottom-up image addressed from its
// top row). Pixels are blue, green, red, alpha.
struct ImageBits {
  uint8_t* bits;
  int width;
  int height;
  int pitch;
  int bits_per_pixel;
};

// Multiplies blue, green and red of every pixel by its alpha, rounded:
// (value x alpha + 127) / 255; alpha stays. Only 32-bit images are changed;
// anything else, or an image without pixels, is left alone.
void PremultiplyAlpha(const ImageBits& image);

// The same for the pixels of a DIB section; false when |bitmap| is not one.
bool PremultiplyAlpha(HBITMAP bitmap);

}  // namespace ime_shared

#endif  // IME_SHARED_IMAGE_UTILS_H_
