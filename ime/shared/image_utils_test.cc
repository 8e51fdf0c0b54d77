#include "ime/shared/image_utils.h"

#include <vector>

#include "gtest/gtest.h"

namespace ime_shared {
namespace {

using Pixel = std::vector<uint8_t>;

TEST(ImageUtilsTest, ColoursAreScaledByAlphaWithRounding) {
  std::vector<uint8_t> pixels = {
      255, 128, 0,   128,  // becomes 128, 64, 0
      200, 100, 50,  0,    // transparent: black
      200, 100, 50,  255,  // opaque: unchanged
      1,   254, 127, 1,    // (v + 127) / 255: 0, 1, 0
  };
  PremultiplyAlpha(ImageBits{pixels.data(), 4, 1, 16, 32});
  EXPECT_EQ(pixels, (std::vector<uint8_t>{128, 64, 0, 128, 0, 0, 0, 0, 200, 100,
                                          50, 255, 0, 1, 0, 1}));
}

TEST(ImageUtilsTest, RowsFollowThePitchEitherWay) {
  // Two rows of one pixel with two padding bytes each; the padding stays.
  std::vector<uint8_t> memory = {100, 100, 100, 51, 9, 9,
                                 255, 255, 255, 0,  9, 9};
  std::vector<uint8_t> expected = {20, 20, 20, 51, 9, 9, 0, 0, 0, 0, 9, 9};
  std::vector<uint8_t> down = memory;
  PremultiplyAlpha(ImageBits{down.data(), 1, 2, 6, 32});
  EXPECT_EQ(down, expected);
  // Bottom-up: the first row is the last in memory and the pitch negative.
  std::vector<uint8_t> up = memory;
  PremultiplyAlpha(ImageBits{up.data() + 6, 1, 2, -6, 32});
  EXPECT_EQ(up, expected);
}

TEST(ImageUtilsTest, ImagesThatAreNot32BitOrEmptyStayAsTheyAre) {
  std::vector<uint8_t> pixels = {10, 20, 30, 40, 50, 60};
  const std::vector<uint8_t> before = pixels;
  PremultiplyAlpha(ImageBits{pixels.data(), 2, 1, 6, 24});
  PremultiplyAlpha(ImageBits{pixels.data(), 0, 1, 6, 32});
  PremultiplyAlpha(ImageBits{pixels.data(), 1, 0, 6, 32});
  PremultiplyAlpha(ImageBits{nullptr, 1, 1, 4, 32});
  EXPECT_EQ(pixels, before);
}

TEST(ImageUtilsTest, DibSectionIsPremultipliedInPlace) {
  BITMAPINFO info = {};
  info.bmiHeader.biSize = sizeof(info.bmiHeader);
  info.bmiHeader.biWidth = 3;
  info.bmiHeader.biHeight = 2;  // bottom-up
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HBITMAP bitmap = ::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  ASSERT_NE(bitmap, nullptr);
  auto* bytes = static_cast<uint8_t*>(bits);
  for (int i = 0; i < 6; ++i) {
    bytes[i * 4 + 0] = 255;
    bytes[i * 4 + 1] = 128;
    bytes[i * 4 + 2] = 0;
    bytes[i * 4 + 3] = 128;
  }
  EXPECT_TRUE(PremultiplyAlpha(bitmap));
  for (int i = 0; i < 6; ++i) {
    EXPECT_EQ(Pixel(bytes + i * 4, bytes + i * 4 + 4), (Pixel{128, 64, 0, 128})) << i;
  }
  ::DeleteObject(bitmap);

  // A device-dependent bitmap has no bits to change.
  HDC screen = ::GetDC(nullptr);
  HBITMAP ddb = ::CreateCompatibleBitmap(screen, 2, 2);
  ::ReleaseDC(nullptr, screen);
  EXPECT_FALSE(PremultiplyAlpha(ddb));
  ::DeleteObject(ddb);
  EXPECT_FALSE(PremultiplyAlpha(static_cast<HBITMAP>(nullptr)));
}

}  // namespace
}  // namespace ime_shared
