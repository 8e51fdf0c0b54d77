#include "ime/shared/base/image32.h"

#include <objidl.h>
#include <gdiplus.h>

#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "gtest/gtest.h"
#include "ime/shared/testing/temp_dir.h"

namespace ime_shared {
namespace base {
namespace {

namespace gp = Gdiplus;

// One pixel as GDI+ stores 32-bit ARGB in memory: blue, green, red, alpha.
struct Pixel {
  uint8_t blue, green, red, alpha;
};

// Writes |pixels| (|width| x |height|, top row first) as a PNG file with
// GDI+'s own encoder, under a GDI+ start of the test's own.
bool WritePng(const std::wstring& path, int width, int height, const std::vector<Pixel>& pixels) {
  gp::GdiplusStartupInput input;
  ULONG_PTR token = 0;
  if (gp::GdiplusStartup(&token, &input, nullptr) != gp::Ok) return false;
  bool written = false;
  std::vector<Pixel> copy = pixels;
  gp::GpBitmap* bitmap = nullptr;
  if (gp::DllExports::GdipCreateBitmapFromScan0(width, height, width * 4, PixelFormat32bppARGB,
                                                reinterpret_cast<BYTE*>(copy.data()),
                                                &bitmap) == gp::Ok) {
    UINT count = 0;
    UINT bytes = 0;
    gp::DllExports::GdipGetImageEncodersSize(&count, &bytes);
    std::vector<uint8_t> buffer(bytes);
    auto* encoders = reinterpret_cast<gp::ImageCodecInfo*>(buffer.data());
    if (bytes > 0 && gp::DllExports::GdipGetImageEncoders(count, bytes, encoders) == gp::Ok) {
      for (UINT i = 0; i < count; ++i) {
        if (std::wcscmp(encoders[i].MimeType, L"image/png") == 0) {
          written = gp::DllExports::GdipSaveImageToFile(bitmap, path.c_str(), &encoders[i].Clsid,
                                                        nullptr) == gp::Ok;
          break;
        }
      }
    }
    gp::DllExports::GdipDisposeImage(bitmap);
  }
  gp::GdiplusShutdown(token);
  return written;
}

// A 3 x 2 picture with opaque, half and fully transparent pixels.
const std::vector<Pixel> kPixels = {
    {0, 0, 255, 255},  {0, 255, 0, 128}, {255, 0, 0, 64},
    {10, 20, 30, 200}, {0, 0, 0, 0},     {255, 255, 255, 255},
};

class Image32Test : public ::testing::Test {
 protected:
  void SetUp() override {
    path_ = dir_.path() + L"picture.png";
    ASSERT_TRUE(WritePng(path_, 3, 2, kPixels));
  }
  ime_testing::TempDir dir_;
  std::wstring path_;
};

TEST_F(Image32Test, PngWithAlphaBecomesATopDown32BitDibSection) {
  Image32 image;
  EXPECT_TRUE(image.IsNull());
  ASSERT_TRUE(image.Load(path_));
  EXPECT_FALSE(image.IsNull());
  EXPECT_EQ(image.width(), 3);
  EXPECT_EQ(image.height(), 2);
  EXPECT_EQ(image.size().cx, 3);
  EXPECT_EQ(image.size().cy, 2);
  EXPECT_EQ(image.bits_per_pixel(), 32);
  EXPECT_EQ(image.pitch(), 12);

  // The bits are the DIB section's own, top row first, colours as stored.
  DIBSECTION dib = {};
  ASSERT_EQ(::GetObjectW(image.bitmap(), sizeof(dib), &dib), static_cast<int>(sizeof(dib)));
  EXPECT_EQ(dib.dsBm.bmBits, image.bits());
  EXPECT_EQ(dib.dsBm.bmBitsPixel, 32);
  for (int y = 0; y < 2; ++y) {
    for (int x = 0; x < 3; ++x) {
      const uint8_t* got = image.bits() + y * image.pitch() + x * 4;
      const Pixel& want = kPixels[y * 3 + x];
      EXPECT_EQ(got[3], want.alpha) << x << "," << y;
      if (want.alpha != 0) {
        EXPECT_EQ(got[0], want.blue) << x << "," << y;
        EXPECT_EQ(got[1], want.green) << x << "," << y;
        EXPECT_EQ(got[2], want.red) << x << "," << y;
      }
    }
  }

  // GDI sees the first row of the bits at the top: the image is top-down.
  HDC dc = ::CreateCompatibleDC(nullptr);
  HGDIOBJ old = ::SelectObject(dc, image.bitmap());
  EXPECT_EQ(::GetPixel(dc, 0, 0), RGB(255, 0, 0));
  EXPECT_EQ(::GetPixel(dc, 2, 1), RGB(255, 255, 255));
  EXPECT_EQ(::GetPixel(dc, 0, 1), RGB(30, 20, 10));
  ::SelectObject(dc, old);
  ::DeleteDC(dc);

  // The file is not held open.
  EXPECT_TRUE(::DeleteFileW(path_.c_str()));
}

TEST_F(Image32Test, GdiplusRunsWhileAnyImageIsHeld) {
  EXPECT_FALSE(Image32::GdiplusStarted());
  auto first = std::make_unique<Image32>();
  Image32 second;
  ASSERT_TRUE(first->Load(path_));
  EXPECT_TRUE(Image32::GdiplusStarted());
  ASSERT_TRUE(second.Load(path_));

  first.reset();
  EXPECT_TRUE(Image32::GdiplusStarted()) << "the second image still lives";
  EXPECT_EQ(second.bits()[2], 255);
  Image32 third;
  EXPECT_TRUE(third.Load(path_)) << "GDI+ still decodes";
  third.Release();
  EXPECT_TRUE(Image32::GdiplusStarted());

  second.Release();
  EXPECT_FALSE(Image32::GdiplusStarted()) << "the last image took GDI+ down";

  // Started again for the next image.
  Image32 again;
  ASSERT_TRUE(again.Load(path_));
  EXPECT_TRUE(Image32::GdiplusStarted());
}

TEST_F(Image32Test, UnreadableFilesGiveNoImage) {
  Image32 image;
  ASSERT_TRUE(image.Load(path_));
  EXPECT_FALSE(image.Load(dir_.path() + L"missing.png"));
  EXPECT_TRUE(image.IsNull());
  EXPECT_EQ(image.bits(), nullptr);
  EXPECT_EQ(image.width(), 0);
  EXPECT_EQ(image.bits_per_pixel(), 0);

  const std::wstring junk = dir_.path() + L"junk.png";
  ASSERT_TRUE(ime_testing::WriteFileBytes(junk, "not a picture at all"));
  EXPECT_FALSE(image.Load(junk));
  EXPECT_TRUE(image.IsNull());
  EXPECT_FALSE(Image32::GdiplusStarted()) << "a failed load holds nothing";
}

}  // namespace
}  // namespace base
}  // namespace ime_shared
