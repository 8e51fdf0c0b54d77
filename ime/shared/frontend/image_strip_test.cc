#include "ime/shared/frontend/image_strip.h"

#include <windows.h>
#include <commctrl.h>

#include "gtest/gtest.h"
#include "ime/shared/base/gdi_objects.h"

namespace ime_shared {
namespace frontend {
namespace {

// The windows' bitmaps this program carries (see the windows' resource
// script): page buttons 22 pixels wide, eight of them; the logo 52 wide,
// three, white transparent.
constexpr int kPageButtons = 110;
constexpr int kLogo = 112;

// The colour of |list|'s image |index| at (x, y), drawn over |ground|.
COLORREF DrawnPixel(HIMAGELIST list, int index, int x, int y, COLORREF ground) {
  base::ScopedWindowDC screen(nullptr);
  base::ScopedMemoryDC dc(::CreateCompatibleDC(screen.Get()));
  base::ScopedBitmap canvas(::CreateCompatibleBitmap(screen.Get(), 64, 64));
  base::ScopedSelectObject select(dc.Get(), canvas.Get());
  base::ScopedBrush brush(::CreateSolidBrush(ground));
  RECT all = {0, 0, 64, 64};
  ::FillRect(dc.Get(), &all, brush.Get());
  ::ImageList_Draw(list, index, dc.Get(), 0, 0, ILD_TRANSPARENT);
  return ::GetPixel(dc.Get(), x, y);
}

TEST(ImageStripTest, SplitsABitmapIntoImagesOfTheGivenWidth) {
  base::ScopedImageList buttons(LoadImageStrip(nullptr, kPageButtons, 22, CLR_NONE));
  ASSERT_TRUE(buttons);
  EXPECT_EQ(::ImageList_GetImageCount(buttons.Get()), 8);
  const SIZE size = ImageStripImageSize(buttons.Get());
  EXPECT_EQ(size.cx, 22);
  EXPECT_EQ(size.cy, 22);
  // Without a mask every pixel is drawn.
  const COLORREF magenta = RGB(255, 0, 255);
  EXPECT_NE(DrawnPixel(buttons.Get(), 0, 0, 0, magenta), magenta);

  // With white as the mask the logo's white ground lets the ground through,
  // and its ink stays.
  base::ScopedImageList logo(LoadImageStrip(nullptr, kLogo, 52, RGB(255, 255, 255)));
  ASSERT_TRUE(logo);
  EXPECT_EQ(::ImageList_GetImageCount(logo.Get()), 3);
  EXPECT_EQ(ImageStripImageSize(logo.Get()).cx, 52);
  EXPECT_EQ(DrawnPixel(logo.Get(), 0, 0, 0, magenta), magenta);
  int ink = 0;
  for (int x = 0; x < 52; ++x) {
    for (int y = 0; y < ImageStripImageSize(logo.Get()).cy; ++y) {
      const COLORREF c = DrawnPixel(logo.Get(), 0, x, y, magenta);
      if (c != magenta && GetBValue(c) > GetRValue(c)) ++ink;
    }
  }
  EXPECT_GT(ink, 20);

  // The top-left pixel as the mask.
  base::ScopedImageList corner(LoadImageStrip(nullptr, kLogo, 52, CLR_DEFAULT));
  ASSERT_TRUE(corner);
  EXPECT_EQ(DrawnPixel(corner.Get(), 1, 0, 0, magenta), magenta);
}

TEST(ImageStripTest, MissingOrTooNarrowBitmapsGiveNothing) {
  EXPECT_EQ(LoadImageStrip(nullptr, 9999, 22, CLR_NONE), nullptr);
  EXPECT_EQ(LoadImageStrip(nullptr, kPageButtons, 0, CLR_NONE), nullptr);
  EXPECT_EQ(LoadImageStrip(nullptr, kPageButtons, 10000, CLR_NONE), nullptr);
  const SIZE none = ImageStripImageSize(nullptr);
  EXPECT_EQ(none.cx, 0);
  EXPECT_EQ(none.cy, 0);
}

}  // namespace
}  // namespace frontend
}  // namespace ime_shared
