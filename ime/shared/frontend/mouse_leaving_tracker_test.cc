#include "ime/shared/frontend/mouse_leaving_tracker.h"

#include <vector>

#include "gtest/gtest.h"
#include "ime/shared/base/window_impl.h"
#include "ime/shared/frontend/popup_test_helpers.h"
#include "ime/shared/frontend/windows_api_wrapper.h"

namespace ime_shared {
namespace frontend {
namespace {

using testing_helpers::ClientToScreenPoint;
using testing_helpers::kTestPopupExStyle;
using testing_helpers::kTestPopupStyle;
using testing_helpers::MoveCursorTo;
using testing_helpers::PumpMessagesFor;
using testing_helpers::PumpMessagesUntil;
using testing_helpers::SendMouseThroughSetCursor;

class HoverPopup : public base::WindowImpl<HoverPopup>,
                   public MouseLeavingTracker<HoverPopup>,
                   public WindowsAPIWrapper {
 public:
  static base::WindowClassInfo GetWindowClassInfo() {
    return {L"KelvaneHoverTestPopup", CS_IME, IDC_ARROW, nullptr};
  }
  bool ProcessWindowMessage(HWND window, UINT message, WPARAM wparam, LPARAM lparam,
                            LRESULT& result) override {
    if (message == WM_TIMER && wparam == kTimerId) ++ticks;
    if (ProcessTrackerMessage(window, message, wparam, lparam, result)) return true;
    if (message == WM_MOUSEHOVER) ++hovers;
    if (message == WM_MOUSELEAVE) ++leaves;
    return false;
  }
  // The hook alone, as a host's chain calls it, for a WM_SETCURSOR.
  bool ProcessTrackerMessageForTest(UINT mouse_message, LRESULT* result) {
    return ProcessTrackerMessage(hwnd(), WM_SETCURSOR, reinterpret_cast<WPARAM>(hwnd()),
                                 MAKELPARAM(HTERROR, mouse_message), *result);
  }
  int ticks = 0;
  int hovers = 0;
  int leaves = 0;
};

class MouseLeavingTrackerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_NE(
        popup_.Create(nullptr, RECT{200, 200, 400, 260}, L"", kTestPopupStyle, kTestPopupExStyle),
        nullptr);
    ::ShowWindow(popup_.hwnd(), SW_SHOWNA);
    ASSERT_TRUE(::IsWindowVisible(popup_.hwnd()));
  }
  HoverPopup popup_;
};

TEST_F(MouseLeavingTrackerTest, LeavingTheWindowSendsMouseLeave) {
  ASSERT_TRUE(MoveCursorTo(ClientToScreenPoint(popup_.hwnd(), {50, 30})));
  SendMouseThroughSetCursor(popup_.hwnd(), WM_MOUSEMOVE);
  EXPECT_EQ(popup_.hovers, 1);
  EXPECT_TRUE(popup_.IsHovering());
  SendMouseThroughSetCursor(popup_.hwnd(), WM_MOUSEMOVE);
  EXPECT_EQ(popup_.hovers, 1) << "one hover per stay";

  // While the cursor stays inside, the timer runs and nothing leaves.
  ASSERT_TRUE(PumpMessagesUntil([&] { return popup_.ticks >= 2; }));
  EXPECT_EQ(popup_.leaves, 0);
  EXPECT_TRUE(popup_.IsHovering());

  ASSERT_TRUE(MoveCursorTo(POINT{600, 600}));
  ASSERT_TRUE(PumpMessagesUntil([&] { return popup_.leaves > 0; }));
  EXPECT_EQ(popup_.leaves, 1);
  EXPECT_FALSE(popup_.IsHovering());

  // The timer is gone with the hover.
  const int ticks = popup_.ticks;
  PumpMessagesFor(700);
  EXPECT_EQ(popup_.ticks, ticks);
  EXPECT_EQ(popup_.leaves, 1);

  // Coming back starts over.
  ASSERT_TRUE(MoveCursorTo(ClientToScreenPoint(popup_.hwnd(), {10, 10})));
  SendMouseThroughSetCursor(popup_.hwnd(), WM_MOUSEMOVE);
  EXPECT_EQ(popup_.hovers, 2);
  ASSERT_TRUE(MoveCursorTo(POINT{5, 5}));
  ASSERT_TRUE(PumpMessagesUntil([&] { return popup_.leaves == 2; }));
}

TEST_F(MouseLeavingTrackerTest, OnlyMovesStartTrackingAndOnlyWhenEnabled) {
  ASSERT_TRUE(MoveCursorTo(ClientToScreenPoint(popup_.hwnd(), {50, 30})));
  // Moves never count as consumed: the other handlers still see them.
  LRESULT result = -5;
  EXPECT_FALSE(popup_.ProcessTrackerMessageForTest(WM_LBUTTONDOWN, &result));
  EXPECT_EQ(popup_.hovers, 0);

  popup_.EnableMouseLeavingTracking(false);
  SendMouseThroughSetCursor(popup_.hwnd(), WM_MOUSEMOVE);
  EXPECT_EQ(popup_.hovers, 0);
  EXPECT_FALSE(popup_.IsHovering());

  popup_.EnableMouseLeavingTracking(true);
  EXPECT_FALSE(popup_.ProcessTrackerMessageForTest(WM_MOUSEMOVE, &result));
  EXPECT_EQ(popup_.hovers, 1);
}

}  // namespace
}  // namespace frontend
}  // namespace ime_shared
