// Helpers of the tests that read the character picker's images: the pixels
// of a bitmap and the path of a Hindi picker image the build drew (the
// including test defines KELVANE_PICKER_IMAGES_DIR, the folder it is in).
#ifndef IME_T13N_FRONTEND_PICKER_IMAGE_TEST_HELPERS_H_
#define IME_T13N_FRONTEND_PICKER_IMAGE_TEST_HELPERS_H_

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "ime/t13n/frontend/soft_keyboard_tables.h"

namespace ime_t13n {
namespace testing_helpers {

// The pixels of a bitmap, top row first, as 0xRRGGBB; empty when it does
// not load.
struct Pixels {
  int width = 0;
  int height = 0;
  std::vector<uint32_t> rgb;

  uint32_t at(int x, int y) const { return rgb[y * width + x]; }
  // The |block_width| x |block_height| block at (x, y).
  std::vector<uint32_t> Block(int x, int y, int block_width, int block_height) const {
    std::vector<uint32_t> block;
    for (int row = y; row < y + block_height; ++row) {
      for (int column = x; column < x + block_width; ++column) {
        block.push_back(rgb[static_cast<size_t>(row) * width + column]);
      }
    }
    return block;
  }
};

// The pixels of |bitmap| (null: none), which is deleted.
inline Pixels ReadBitmap(HBITMAP bitmap) {
  Pixels pixels;
  BITMAP info = {};
  if (bitmap == nullptr || ::GetObjectW(bitmap, sizeof(info), &info) == 0) return pixels;
  BITMAPINFO format = {};
  format.bmiHeader.biSize = sizeof(format.bmiHeader);
  format.bmiHeader.biWidth = info.bmWidth;
  format.bmiHeader.biHeight = -info.bmHeight;
  format.bmiHeader.biPlanes = 1;
  format.bmiHeader.biBitCount = 32;
  format.bmiHeader.biCompression = BI_RGB;
  pixels.rgb.resize(static_cast<size_t>(info.bmWidth) * info.bmHeight);
  HDC dc = ::GetDC(nullptr);
  if (::GetDIBits(dc, bitmap, 0, info.bmHeight, pixels.rgb.data(), &format, DIB_RGB_COLORS) ==
      info.bmHeight) {
    pixels.width = info.bmWidth;
    pixels.height = info.bmHeight;
    for (uint32_t& p : pixels.rgb) p &= 0xFFFFFF;
  }
  ::ReleaseDC(nullptr, dc);
  ::DeleteObject(bitmap);
  return pixels;
}

// The file of the Hindi picker image |image| the build drew.
inline std::wstring HindiPickerImagePath(PickerImage image) {
  return std::wstring(L"" KELVANE_PICKER_IMAGES_DIR) + L"\\" +
         PickerImageRelativePath(0, image);
}

}  // namespace testing_helpers
}  // namespace ime_t13n

#endif  // IME_T13N_FRONTEND_PICKER_IMAGE_TEST_HELPERS_H_
