#include "ime/shared/frontend/layered_window.h"

#include <windows.h>

#include <cstdint>

#include "gtest/gtest.h"
#include "ime/shared/base/gdi_objects.h"
#include "ime/shared/base/window_impl.h"
#include "ime/shared/frontend/frontend_window_test_helpers.h"
#include "ime/shared/frontend/popup_test_helpers.h"
#include "ime/shared/frontend/windows_api_wrapper.h"

namespace ime_shared {
namespace frontend {
namespace {

using testing_helpers::ScreenPixel;

class LayeredPopup : public base::WindowImpl<LayeredPopup>, public LayeredWindow<LayeredPopup> {
 public:
  static base::WindowClassInfo GetWindowClassInfo() {
    return {L"KelvaneLayeredTest", 0, IDC_ARROW, nullptr};
  }
  bool ProcessWindowMessage(HWND, UINT, WPARAM, LPARAM, LRESULT&) override { return false; }
  using LayeredWindow<LayeredPopup>::SetLayeredImage;
  using LayeredWindow<LayeredPopup>::ClearLayeredImage;
};

// A top-down 32-bit DIB section of |size|: the left half opaque |rgb|, the
// right half fully transparent (premultiplied: all zero).
HBITMAP HalfOpaque(SIZE size, uint32_t rgb) {
  void* bits = nullptr;
  HBITMAP bitmap = base::CreateTopDownDib32(nullptr, size.cx, size.cy, &bits);
  if (bitmap == nullptr) return nullptr;
  auto* pixels = static_cast<uint32_t*>(bits);
  for (int y = 0; y < size.cy; ++y) {
    for (int x = 0; x < size.cx; ++x) {
      pixels[y * size.cx + x] = x < size.cx / 2 ? (0xFF000000u | rgb) : 0;
    }
  }
  return bitmap;
}

TEST(LayeredWindowTest, ThePictureGivesTheWindowItsSizeAndLooksWhereItStands) {
  LayeredPopup popup;
  ASSERT_NE(popup.Create(nullptr, RECT{1000, 60, 1001, 61}, L"", WindowsAPIWrapper::kPopupStyle,
                         WindowsAPIWrapper::kPopupExStyle | WS_EX_LAYERED),
            nullptr);
  EXPECT_FALSE(popup.has_layered_image());

  const SIZE size = {60, 30};
  base::ScopedBitmap picture(HalfOpaque(size, 0x3070D0));
  ASSERT_TRUE(popup.SetLayeredImage(picture.Get(), size));
  EXPECT_TRUE(popup.has_layered_image());
  EXPECT_EQ(popup.layered_image_size().cx, 60);
  RECT rect = WindowsAPIWrapper::WindowRect(popup.hwnd());
  EXPECT_EQ(rect.left, 1000);
  EXPECT_EQ(rect.top, 60);
  EXPECT_EQ(rect.right - rect.left, 60);
  EXPECT_EQ(rect.bottom - rect.top, 30);

  WindowsAPIWrapper::ShowWithoutActivation(popup.hwnd());
  ASSERT_TRUE(::IsWindowVisible(popup.hwnd()));
  const COLORREF blue = RGB(0x30, 0x70, 0xD0);
  testing_helpers::PumpMessagesUntil([&] { return ScreenPixel(1010, 70) == blue; }, 2000);
  EXPECT_EQ(ScreenPixel(1010, 70), blue);

  // A new picture replaces the old one where the window stands.
  WindowsAPIWrapper::MoveWithoutActivation(popup.hwnd(), POINT{1100, 80});
  const SIZE wide = {90, 20};
  base::ScopedBitmap second(HalfOpaque(wide, 0xC03020));
  ASSERT_TRUE(popup.SetLayeredImage(second.Get(), wide));
  rect = WindowsAPIWrapper::WindowRect(popup.hwnd());
  EXPECT_EQ(rect.left, 1100);
  EXPECT_EQ(rect.right - rect.left, 90);
  const COLORREF red = RGB(0xC0, 0x30, 0x20);
  testing_helpers::PumpMessagesUntil([&] { return ScreenPixel(1110, 85) == red; }, 2000);
  EXPECT_EQ(ScreenPixel(1110, 85), red);

  // No picture, or none of any size, changes nothing.
  EXPECT_FALSE(popup.SetLayeredImage(nullptr, wide));
  EXPECT_FALSE(popup.SetLayeredImage(second.Get(), SIZE{0, 20}));
  EXPECT_EQ(popup.layered_image_size().cx, 90);
  EXPECT_EQ(WindowsAPIWrapper::WindowRect(popup.hwnd()).right, 1190);
  popup.ClearLayeredImage();
  EXPECT_FALSE(popup.has_layered_image());
}

}  // namespace
}  // namespace frontend
}  // namespace ime_shared
