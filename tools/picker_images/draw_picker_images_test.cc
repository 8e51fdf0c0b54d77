// The Hindi picker images the build drew, read the way the picker reads
// them: sizes that match the grid, and a drawn key in every cell, so that
// the window's cell arithmetic finds each key where it copies it from.
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "gtest/gtest.h"
#include "ime/t13n/frontend/picker_image_test_helpers.h"
#include "ime/t13n/frontend/soft_keyboard_tables.h"

namespace ime_t13n {
namespace {

using testing_helpers::Pixels;

// Dark enough to be a label's stroke rather than any key face.
bool Ink(const Pixels& image, int x, int y) {
  const uint32_t c = image.at(x, y);
  return ((c >> 16) & 255) + ((c >> 8) & 255) + (c & 255) < 3 * 90;
}

Pixels Load(PickerImage image) {
  return testing_helpers::ReadBitmap(static_cast<HBITMAP>(
      LoadImageW(nullptr, testing_helpers::HindiPickerImagePath(image).c_str(), IMAGE_BITMAP, 0,
                 0, LR_LOADFROMFILE | LR_CREATEDIBSECTION)));
}

TEST(PickerImagesTest, HindiImagesHoldEveryKeyInItsCell) {
  const SoftKeyboardTable& hindi = GetSoftKeyboardTable(0);
  const PickerImage kImages[] = {PickerImage::kNormal, PickerImage::kHover,
                                 PickerImage::kPushed, PickerImage::kMagnified};
  std::vector<Pixels> images;
  for (PickerImage image : kImages) images.push_back(Load(image));

  // 440 x 196 for the three grid images, 880 x 560 for the magnified one.
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(images[i].width, 440) << i;
    EXPECT_EQ(images[i].height, 196) << i;
    EXPECT_EQ(images[i].width, PickerImageWidth(kImages[i], hindi.columns));
    EXPECT_EQ(images[i].height, PickerImageHeight(kImages[i], hindi.rows));
  }
  EXPECT_EQ(images[3].width, 880);
  EXPECT_EQ(images[3].height, 560);
  for (const Pixels& image : images) {
    ASSERT_FALSE(image.rgb.empty());
    ASSERT_GT(image.width, 0);
  }

  for (int row = 0; row < hindi.rows; ++row) {
    for (int column = 0; column < hindi.columns; ++column) {
      SCOPED_TRACE(row * hindi.columns + column);
      for (int i = 0; i < 4; ++i) {
        const Pixels& image = images[i];
        const bool magnified = i == 3;
        const int cell_width =
            magnified ? kPickerMagnifiedKeySize : kPickerKeyWidth;
        const int cell_height =
            magnified ? kPickerMagnifiedKeySize : kPickerKeyHeight;
        const int x0 = column * cell_width;
        const int y0 = row * cell_height;
        // The label lies inside its own key, clear of the cell's edges;
        // the corners show the picker's background between the keys.
        int ink = 0;
        int ink_on_edges = 0;
        for (int y = y0; y < y0 + cell_height; ++y) {
          for (int x = x0; x < x0 + cell_width; ++x) {
            if (!Ink(image, x, y)) continue;
            const bool edge = x < x0 + 2 || x >= x0 + cell_width - 2 ||
                              y < y0 + 2 || y >= y0 + cell_height - 2;
            (edge ? ink_on_edges : ink) += 1;
          }
        }
        EXPECT_GT(ink, 4) << "image " << i;
        EXPECT_EQ(ink_on_edges, 0) << "image " << i;
        EXPECT_EQ(image.at(x0, y0), 0xDEDEDEu) << "image " << i;
      }
      // Hovering and pressing change the key's face, not just its label:
      // the cell's middle left of the label differs from the normal key.
      const int x = column * kPickerKeyWidth + 2;
      const int y = row * kPickerKeyHeight + kPickerKeyHeight / 2;
      EXPECT_NE(images[1].at(x, y), images[0].at(x, y));
      EXPECT_NE(images[2].at(x, y), images[0].at(x, y));
      EXPECT_NE(images[2].at(x, y), images[1].at(x, y));
    }
  }
}

TEST(PickerImagesTest, ImagesLieInTheLanguagesFolder) {
  EXPECT_EQ(PickerImageRelativePath(0, PickerImage::kNormal),
            L"hi\\images\\hi_normal.bmp");
  EXPECT_EQ(PickerImageRelativePath(13, PickerImage::kHover),
            L"ur\\images\\ur_hover.bmp");
  EXPECT_EQ(PickerImageRelativePath(8, PickerImage::kPushed),
            L"mr\\images\\mr_pushed.bmp");
  EXPECT_EQ(PickerImageRelativePath(0, PickerImage::kMagnified),
            L"hi\\images\\hi_magnified.bmp");
}

}  // namespace
}  // namespace ime_t13n
