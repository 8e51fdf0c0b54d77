#include "ime/t13n/macros/extended_edit.h"

#include <windows.h>

#include "gtest/gtest.h"
#include "ime/t13n/macros/macros_test_helpers.h"

namespace ime_t13n {
namespace {

RECT RectInParent(HWND window) {
  RECT rect = {};
  ::GetWindowRect(window, &rect);
  ::MapWindowPoints(nullptr, ::GetParent(window), reinterpret_cast<POINT*>(&rect), 2);
  return rect;
}

TEST(ExtendedEditTest, EveryMoveLandsOnTheGivenPositionWithItsOwnSize) {
  testing_helpers::GridHost host(nullptr, nullptr);
  ASSERT_TRUE(::IsWindowVisible(host.hwnd()));
  HWND edit = ::CreateWindowExW(0, L"EDIT", L"text", WS_CHILD | WS_VISIBLE | WS_BORDER, 5, 5, 60,
                                20, host.list, nullptr, ::GetModuleHandleW(nullptr), nullptr);
  ASSERT_NE(edit, nullptr);

  ExtendedEdit box;
  box.set_position(POINT{30, 44});
  ASSERT_TRUE(box.Subclass(edit));
  ::MoveWindow(edit, 100, 120, 80, 22, TRUE);
  RECT rect = RectInParent(edit);
  EXPECT_EQ(rect.left, 30);
  EXPECT_EQ(rect.top, 44);
  EXPECT_EQ(rect.right - rect.left, 80);
  EXPECT_EQ(rect.bottom - rect.top, 22);

  // A resize alone keeps the position too; the text is the edit's own.
  ::SetWindowPos(edit, nullptr, 0, 0, 50, 18, SWP_NOMOVE | SWP_NOZORDER);
  rect = RectInParent(edit);
  EXPECT_EQ(rect.left, 30);
  EXPECT_EQ(rect.right - rect.left, 50);
  ::SetWindowTextW(edit, L"typed");
  EXPECT_EQ(testing_helpers::WindowTextOf(edit), L"typed");

  // Given back, the box moves freely again.
  box.Unsubclass();
  ::MoveWindow(edit, 100, 120, 80, 22, TRUE);
  rect = RectInParent(edit);
  EXPECT_EQ(rect.left, 100);
  EXPECT_EQ(rect.top, 120);
  ::DestroyWindow(edit);
}

}  // namespace
}  // namespace ime_t13n
