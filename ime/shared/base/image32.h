// A 32-bit image read from a file (PNG, BMP, GIF, JPEG ... whatever GDI+
// decodes) into a top-down DIB section, so that GDI can draw it and its
// pixels can be changed in place: rows of blue, green, red and alpha bytes,
// colours not premultiplied.
//
// GDI+ is started while any image is held and shut down when the last one is
// released, but never under the loader lock: the DLL entry calls
// Image32::NotifyModuleDetaching on process detach, and images that go
// during the static destructors leave GDI+ running for the process's end.
#ifndef IME_SHARED_BASE_IMAGE32_H_
#define IME_SHARED_BASE_IMAGE32_H_

#include <windows.h>

#include <cstdint>
#include <string>

namespace ime_shared {
namespace base {

class Image32 {
 public:
  Image32();
  Image32(const Image32&) = delete;
  Image32& operator=(const Image32&) = delete;
  ~Image32();

  // Replaces the image with the file's. False, with no image, when the file
  // cannot be read or decoded.
  bool Load(const std::wstring& path);
  // Frees the image.
  void Release();

  bool IsNull() const { return bitmap_ == nullptr; }
  HBITMAP bitmap() const { return bitmap_; }
  // The first byte of the top row; rows follow each other |pitch| bytes apart.
  uint8_t* bits() const { return bits_; }
  int pitch() const { return pitch_; }
  int width() const { return width_; }
  int height() const { return height_; }
  SIZE size() const { return SIZE{width_, height_}; }
  int bits_per_pixel() const { return bitmap_ != nullptr ? 32 : 0; }

  // Whether this module has GDI+ started for its images.
  static bool GdiplusStarted();
  // From the DLL entry on process detach, before the static destructors:
  // from now on GDI+ is never shut down (it must not be under the loader
  // lock).
  static void NotifyModuleDetaching();

 private:
  HBITMAP bitmap_;
  uint8_t* bits_;
  int pitch_;
  int width_;
  int height_;
  bool holds_gdiplus_;
};

}  // namespace base
}  // namespace ime_shared

#endif  // IME_SHARED_BASE_IMAGE32_H_
