#include "ime/shared/frontend/expandable_image.h"

#include <array>
#include <vector>

#include "gtest/gtest.h"
#include "ime/shared/base/gdi_objects.h"

namespace ime_shared {
namespace frontend {
namespace {

void ExpectRect(const RECT& rect, LONG left, LONG top, LONG right, LONG bottom) {
  EXPECT_EQ(rect.left, left);
  EXPECT_EQ(rect.top, top);
  EXPECT_EQ(rect.right, right);
  EXPECT_EQ(rect.bottom, bottom);
}

TEST(ExpandableImageTest, SkinsAndTheirMargins) {
  EXPECT_EQ(kCandidateBackgroundSkin.bitmap_id, 121);
  EXPECT_EQ(kSelectedCandidateSkin.bitmap_id, 120);
  EXPECT_EQ(kStatusBackgroundSkin.bitmap_id, 122);
  const SkinMargins& background = kCandidateBackgroundSkin.margins;
  EXPECT_EQ(
      background.left + background.top * 10 + background.right * 100 + background.bottom * 1000,
      2 + 30 + 200 + 3000);
  const SkinMargins& selected = kSelectedCandidateSkin.margins;
  EXPECT_EQ(selected.left + selected.top * 10 + selected.right * 100 + selected.bottom * 1000,
            3 + 30 + 400 + 4000);
  const SkinMargins& status = kStatusBackgroundSkin.margins;
  EXPECT_EQ(status.left + status.top * 10 + status.right * 100 + status.bottom * 1000,
            6 + 30 + 200 + 3000);
}

TEST(ExpandableImageTest, NineGridRectangles) {
  // The status skin's margins on a 20 x 30 image drawn onto (10, 10)-(110, 60).
  std::array<NineGridPiece, 9> pieces;
  ASSERT_TRUE(
      NineGridPieces(RECT{10, 10, 110, 60}, SIZE{20, 30}, kStatusBackgroundSkin.margins, &pieces));
  // Corners, unscaled.
  ExpectRect(pieces[0].source, 0, 0, 6, 3);
  ExpectRect(pieces[0].destination, 10, 10, 16, 13);
  ExpectRect(pieces[1].source, 18, 0, 20, 3);
  ExpectRect(pieces[1].destination, 108, 10, 110, 13);
  ExpectRect(pieces[2].source, 0, 27, 6, 30);
  ExpectRect(pieces[2].destination, 10, 57, 16, 60);
  ExpectRect(pieces[3].source, 18, 27, 20, 30);
  ExpectRect(pieces[3].destination, 108, 57, 110, 60);
  // Edges: left, top, right, bottom.
  ExpectRect(pieces[4].source, 0, 3, 6, 27);
  ExpectRect(pieces[4].destination, 10, 13, 16, 57);
  ExpectRect(pieces[5].source, 6, 0, 18, 3);
  ExpectRect(pieces[5].destination, 16, 10, 108, 13);
  ExpectRect(pieces[6].source, 18, 3, 20, 27);
  ExpectRect(pieces[6].destination, 108, 13, 110, 57);
  ExpectRect(pieces[7].source, 6, 27, 18, 30);
  ExpectRect(pieces[7].destination, 16, 57, 108, 60);
  // Centre.
  ExpectRect(pieces[8].source, 6, 3, 18, 27);
  ExpectRect(pieces[8].destination, 16, 13, 108, 57);

  // No room inside the margins: nothing to draw.
  EXPECT_FALSE(
      NineGridPieces(RECT{0, 0, 8, 60}, SIZE{20, 30}, kStatusBackgroundSkin.margins, &pieces));
  EXPECT_FALSE(
      NineGridPieces(RECT{0, 0, 100, 6}, SIZE{20, 30}, kStatusBackgroundSkin.margins, &pieces));
  EXPECT_TRUE(
      NineGridPieces(RECT{0, 0, 9, 7}, SIZE{20, 30}, kStatusBackgroundSkin.margins, &pieces));
}

// A 10 x 10 skin whose nine regions (margins 2, 3, 4, 1) have colours of
// their own.
constexpr SkinMargins kMargins = {2, 3, 4, 1};
COLORREF RegionColour(int column, int row) { return RGB(40 + column * 60, 40 + row * 60, 100); }

HBITMAP MakeSkin() {
  base::ScopedWindowDC screen(nullptr);
  HBITMAP bitmap = ::CreateCompatibleBitmap(screen.Get(), 10, 10);
  base::ScopedMemoryDC dc(::CreateCompatibleDC(screen.Get()));
  base::ScopedSelectObject select(dc.Get(), bitmap);
  const int xs[4] = {0, kMargins.left, 10 - kMargins.right, 10};
  const int ys[4] = {0, kMargins.top, 10 - kMargins.bottom, 10};
  for (int row = 0; row < 3; ++row) {
    for (int column = 0; column < 3; ++column) {
      base::ScopedBrush brush(::CreateSolidBrush(RegionColour(column, row)));
      RECT region = {xs[column], ys[row], xs[column + 1], ys[row + 1]};
      ::FillRect(dc.Get(), &region, brush.Get());
    }
  }
  return bitmap;
}

TEST(ExpandableImageTest, DrawsCornersUnscaledAndStretchesTheRest) {
  ExpandableImage image;
  EXPECT_FALSE(image.IsLoaded());
  image.Reset(MakeSkin(), kMargins);
  ASSERT_TRUE(image.IsLoaded());
  EXPECT_EQ(image.size().cx, 10);
  EXPECT_EQ(image.size().cy, 10);

  base::ScopedWindowDC screen(nullptr);
  base::ScopedMemoryDC dc(::CreateCompatibleDC(screen.Get()));
  base::ScopedBitmap canvas(::CreateCompatibleBitmap(screen.Get(), 120, 80));
  base::ScopedSelectObject select(dc.Get(), canvas.Get());
  const COLORREF background = RGB(255, 255, 255);
  {
    base::ScopedBrush brush(::CreateSolidBrush(background));
    RECT all = {0, 0, 120, 80};
    ::FillRect(dc.Get(), &all, brush.Get());
  }
  const RECT target = {5, 5, 105, 65};
  image.Draw(dc.Get(), target);

  // Column and row edges of the destination's grid.
  const int xs[4] = {5, 7, 101, 105};
  const int ys[4] = {5, 8, 64, 65};
  for (int row = 0; row < 3; ++row) {
    for (int column = 0; column < 3; ++column) {
      for (int y = ys[row]; y < ys[row + 1]; y += std::max(1, (ys[row + 1] - ys[row]) / 3)) {
        for (int x = xs[column]; x < xs[column + 1];
             x += std::max(1, (xs[column + 1] - xs[column]) / 3)) {
          ASSERT_EQ(::GetPixel(dc.Get(), x, y), RegionColour(column, row))
              << "region " << column << "," << row << " at " << x << "," << y;
        }
      }
    }
  }
  // Nothing outside the destination.
  EXPECT_EQ(::GetPixel(dc.Get(), 4, 4), background);
  EXPECT_EQ(::GetPixel(dc.Get(), 105, 65), background);
  EXPECT_EQ(::GetPixel(dc.Get(), 50, 66), background);

  // Too small a destination draws nothing.
  image.Draw(dc.Get(), RECT{0, 70, 6, 80});
  EXPECT_EQ(::GetPixel(dc.Get(), 0, 70), background);
}

TEST(ExpandableImageTest, MissingBitmapResourceLoadsNothing) {
  ExpandableImage image;
  image.Reset(MakeSkin(), kMargins);
  // A bitmap the test program does not carry (it carries the windows'
  // skins).
  const SkinResource missing = {9999, {2, 3, 2, 3}};
  EXPECT_FALSE(image.Load(missing));
  EXPECT_FALSE(image.IsLoaded());
  EXPECT_EQ(image.size().cx, 0);
  EXPECT_EQ(image.margins().left, 2);
  EXPECT_EQ(image.margins().top, 3);
  // Drawing without an image does nothing.
  base::ScopedMemoryDC dc(::CreateCompatibleDC(nullptr));
  image.Draw(dc.Get(), RECT{0, 0, 50, 50});
}

}  // namespace
}  // namespace frontend
}  // namespace ime_shared
