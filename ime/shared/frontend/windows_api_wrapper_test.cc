#include "ime/shared/frontend/windows_api_wrapper.h"

#include "gtest/gtest.h"
#include "ime/shared/frontend/popup_test_helpers.h"

namespace ime_shared {
namespace frontend {
namespace {

using testing_helpers::kTestPopupExStyle;
using testing_helpers::kTestPopupStyle;
using testing_helpers::MoveCursorTo;

TEST(WindowsAPIWrapperTest, PopupWindowsAreMovedAndShownWithoutActivation) {
  HWND window = ::CreateWindowExW(kTestPopupExStyle, L"STATIC", L"", kTestPopupStyle, 50, 60, 120,
                                  40, nullptr, nullptr, nullptr, nullptr);
  ASSERT_NE(window, nullptr);
  WindowsAPIWrapper::ShowWithoutActivation(window);
  ASSERT_TRUE(::IsWindowVisible(window));
  EXPECT_NE(::GetActiveWindow(), window);
  EXPECT_NE(::GetForegroundWindow(), window);

  WindowsAPIWrapper::MoveWithoutActivation(window, POINT{200, 210});
  RECT rect = WindowsAPIWrapper::WindowRect(window);
  EXPECT_EQ(rect.left, 200);
  EXPECT_EQ(rect.top, 210);
  EXPECT_EQ(rect.right - rect.left, 120);
  EXPECT_EQ(rect.bottom - rect.top, 40);

  WindowsAPIWrapper::MoveAndSizeWithoutActivation(window, RECT{10, 20, 110, 50});
  rect = WindowsAPIWrapper::WindowRect(window);
  EXPECT_EQ(rect.left, 10);
  EXPECT_EQ(rect.bottom, 50);
  EXPECT_NE(::GetActiveWindow(), window);

  // The cursor in the window's own coordinates.
  ASSERT_TRUE(MoveCursorTo(POINT{40, 35}));
  const POINT client = WindowsAPIWrapper::CursorClientPosition(window);
  EXPECT_EQ(client.x, 30);
  EXPECT_EQ(client.y, 15);
  const POINT screen = WindowsAPIWrapper::CursorScreenPosition();
  EXPECT_EQ(screen.x, 40);
  EXPECT_EQ(screen.y, 35);
  ::DestroyWindow(window);
}

TEST(WindowsAPIWrapperTest, MouseMessageAndWorkArea) {
  EXPECT_EQ(WindowsAPIWrapper::MouseMessageOf(MAKELPARAM(HTERROR, WM_LBUTTONDOWN)),
            static_cast<UINT>(WM_LBUTTONDOWN));
  EXPECT_EQ(WindowsAPIWrapper::MouseMessageOf(MAKELPARAM(HTCLIENT, WM_RBUTTONUP)), 517u);
  EXPECT_EQ(WindowsAPIWrapper::MouseMessageOf(MAKELPARAM(HTCLIENT, 0)), 0u);

  RECT primary = {};
  ASSERT_TRUE(::SystemParametersInfoW(SPI_GETWORKAREA, 0, &primary, 0));
  const RECT near_origin = WindowsAPIWrapper::WorkAreaNearest(POINT{1, 1});
  EXPECT_TRUE(::EqualRect(&near_origin, &primary));
  // Far off every monitor, the nearest one's.
  const RECT far_away = WindowsAPIWrapper::WorkAreaNearest(POINT{100000, 100000});
  EXPECT_FALSE(::IsRectEmpty(&far_away));
  EXPECT_LE(far_away.right, 100000);
}

}  // namespace
}  // namespace frontend
}  // namespace ime_shared
