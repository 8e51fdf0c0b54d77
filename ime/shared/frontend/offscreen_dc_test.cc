#include "ime/shared/frontend/offscreen_dc.h"

#include "gtest/gtest.h"
#include "ime/shared/base/window_impl.h"
#include "ime/shared/frontend/popup_test_helpers.h"

namespace ime_shared {
namespace frontend {
namespace {

TEST(OffscreenDCTest, DrawsOffScreenAndCopies) {
  base::ScopedWindowDC screen(nullptr);
  OffscreenDC offscreen;
  EXPECT_EQ(offscreen.dc(), nullptr);
  ASSERT_TRUE(offscreen.Create(screen.Get(), 30, 20));
  EXPECT_EQ(offscreen.size().cx, 30);
  EXPECT_EQ(offscreen.size().cy, 20);
  EXPECT_EQ(::GetCurrentObject(offscreen.dc(), OBJ_BITMAP), offscreen.bitmap());
  {
    base::ScopedBrush brush(::CreateSolidBrush(RGB(12, 34, 56)));
    RECT all = {0, 0, 30, 20};
    ::FillRect(offscreen.dc(), &all, brush.Get());
  }

  OffscreenDC target;
  ASSERT_TRUE(target.Create(screen.Get(), 50, 50));
  {
    base::ScopedBrush white(::CreateSolidBrush(RGB(255, 255, 255)));
    RECT all = {0, 0, 50, 50};
    ::FillRect(target.dc(), &all, white.Get());
  }
  EXPECT_TRUE(offscreen.CopyTo(target.dc(), 10, 10));
  EXPECT_EQ(::GetPixel(target.dc(), 10, 10), RGB(12, 34, 56));
  EXPECT_EQ(::GetPixel(target.dc(), 39, 29), RGB(12, 34, 56));
  EXPECT_EQ(::GetPixel(target.dc(), 40, 30), RGB(255, 255, 255));
  EXPECT_EQ(::GetPixel(target.dc(), 9, 9), RGB(255, 255, 255));
}

TEST(OffscreenDCTest, ReleaseFreesTheContextAndItsBitmap) {
  base::ScopedWindowDC screen(nullptr);
  OffscreenDC offscreen;
  ASSERT_TRUE(offscreen.Create(screen.Get(), 8, 8));
  HDC dc = offscreen.dc();
  HBITMAP bitmap = offscreen.bitmap();
  // Creating anew replaces both.
  ASSERT_TRUE(offscreen.Create(screen.Get(), 16, 16));
  EXPECT_EQ(::GetObjectType(bitmap), 0u);
  EXPECT_EQ(::GetObjectType(dc), 0u);

  bitmap = offscreen.bitmap();
  dc = offscreen.dc();
  offscreen.Release();
  EXPECT_EQ(offscreen.dc(), nullptr);
  EXPECT_EQ(offscreen.bitmap(), nullptr);
  EXPECT_EQ(::GetObjectType(bitmap), 0u);
  EXPECT_EQ(::GetObjectType(dc), 0u);
  offscreen.Release();  // nothing to do
  EXPECT_FALSE(offscreen.CopyTo(screen.Get(), 0, 0));

  EXPECT_FALSE(offscreen.Create(screen.Get(), 0, 10));
  EXPECT_FALSE(offscreen.Create(nullptr, 10, 10));
  EXPECT_EQ(offscreen.dc(), nullptr);
}

// A pop-up that paints two halves through an offscreen image.
class TwoColourPopup : public base::WindowImpl<TwoColourPopup> {
 public:
  static base::WindowClassInfo GetWindowClassInfo() {
    return {L"KelvaneOffscreenTestPopup", CS_IME, IDC_ARROW, nullptr};
  }
  bool ProcessWindowMessage(HWND window, UINT message, WPARAM wparam, LPARAM lparam,
                            LRESULT& result) override {
    if (message == WM_ERASEBKGND) {
      result = 1;  // everything is painted in WM_PAINT
      return true;
    }
    if (message != WM_PAINT) return false;
    ++paints;
    PaintDoubleBuffered(window, [this](HDC dc, const RECT& client) {
      drawn_client = client;
      base::ScopedBrush left(::CreateSolidBrush(RGB(0, 128, 255)));
      base::ScopedBrush right(::CreateSolidBrush(RGB(255, 128, 0)));
      RECT half = client;
      half.right = client.right / 2;
      ::FillRect(dc, &half, left.Get());
      half.left = half.right;
      half.right = client.right;
      ::FillRect(dc, &half, right.Get());
    });
    result = 0;
    return true;
  }
  int paints = 0;
  RECT drawn_client = {};
};

TEST(OffscreenDCTest, WindowPaintsThroughAnOffscreenImage) {
  TwoColourPopup popup;
  ASSERT_NE(popup.Create(nullptr, RECT{500, 500, 580, 530}, L"", testing_helpers::kTestPopupStyle,
                         testing_helpers::kTestPopupExStyle),
            nullptr);
  ::ShowWindow(popup.hwnd(), SW_SHOWNA);
  ASSERT_TRUE(::IsWindowVisible(popup.hwnd()));
  ::RedrawWindow(popup.hwnd(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
  ASSERT_GE(popup.paints, 1);
  EXPECT_EQ(popup.drawn_client.right, 80);
  EXPECT_EQ(popup.drawn_client.bottom, 30);

  base::ScopedWindowDC dc(popup.hwnd());
  EXPECT_EQ(::GetPixel(dc.Get(), 1, 1), RGB(0, 128, 255));
  EXPECT_EQ(::GetPixel(dc.Get(), 39, 29), RGB(0, 128, 255));
  EXPECT_EQ(::GetPixel(dc.Get(), 40, 0), RGB(255, 128, 0));
  EXPECT_EQ(::GetPixel(dc.Get(), 79, 29), RGB(255, 128, 0));
}

}  // namespace
}  // namespace frontend
}  // namespace ime_shared
