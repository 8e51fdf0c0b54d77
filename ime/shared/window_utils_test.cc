#include "ime/shared/window_utils.h"

#include <vector>

#include "gtest/gtest.h"

namespace ime_shared {
namespace {

// Real windows on the (virtual) display; destroyed with the fixture.
class WindowUtilsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(::GetWindowRect(::GetDesktopWindow(), &desktop_));
  }
  void TearDown() override {
    for (auto it = windows_.rbegin(); it != windows_.rend(); ++it) {
      if (::IsWindow(*it)) ::DestroyWindow(*it);
    }
  }

  HWND Make(DWORD style, const RECT& rect, HWND parent_or_owner = nullptr) {
    HWND window = ::CreateWindowExW(
        0, L"STATIC", L"", style, rect.left, rect.top, rect.right - rect.left,
        rect.bottom - rect.top, parent_or_owner, nullptr, nullptr, nullptr);
    EXPECT_NE(window, nullptr);
    if (window != nullptr) {
      ::ShowWindow(window, SW_SHOWNA);
      windows_.push_back(window);
    }
    return window;
  }
  HWND MakeFullScreen() { return Make(WS_POPUP, desktop_); }

  RECT desktop_;
  std::vector<HWND> windows_;
};

TEST_F(WindowUtilsTest, WindowCoveringTheDesktopExactly) {
  HWND full = MakeFullScreen();
  RECT rect;
  ASSERT_TRUE(::GetWindowRect(full, &rect));
  ASSERT_TRUE(::EqualRect(&rect, &desktop_)) << "the display changed the window";
  EXPECT_TRUE(IsFullScreenWindow(full));

  HWND small = Make(WS_POPUP, RECT{10, 10, 300, 200});
  EXPECT_FALSE(IsFullScreenWindow(small));
  HWND larger = Make(WS_POPUP, RECT{desktop_.left - 1, desktop_.top - 1,
                                    desktop_.right + 1, desktop_.bottom + 1});
  EXPECT_FALSE(IsFullScreenWindow(larger));
}

TEST_F(WindowUtilsTest, ChildrenAndOwnedWindowsOfAFullScreenWindow) {
  HWND full = MakeFullScreen();
  HWND child = Make(WS_CHILD | WS_VISIBLE, RECT{5, 5, 50, 50}, full);
  HWND grandchild = Make(WS_CHILD | WS_VISIBLE, RECT{1, 1, 10, 10}, child);
  EXPECT_TRUE(IsFullScreenWindow(child));
  EXPECT_TRUE(IsFullScreenWindow(grandchild));
  HWND owned = Make(WS_POPUP, RECT{20, 20, 120, 80}, full);
  EXPECT_TRUE(IsFullScreenWindow(owned));

  HWND normal = Make(WS_POPUP, RECT{0, 0, 100, 100});
  HWND owned_by_normal = Make(WS_POPUP, RECT{20, 20, 120, 80}, normal);
  HWND child_of_normal = Make(WS_CHILD | WS_VISIBLE, RECT{1, 1, 5, 5}, normal);
  EXPECT_FALSE(IsFullScreenWindow(owned_by_normal));
  EXPECT_FALSE(IsFullScreenWindow(child_of_normal));
}

TEST_F(WindowUtilsTest, ChainIsFollowedForAtMost32Windows) {
  HWND window = MakeFullScreen();
  std::vector<HWND> chain = {window};
  for (int depth = 1; depth <= 32; ++depth) {
    window = Make(WS_CHILD | WS_VISIBLE, RECT{0, 0, 8, 8}, window);
    chain.push_back(window);
  }
  EXPECT_TRUE(IsFullScreenWindow(chain[31]));   // 32 windows looked at
  EXPECT_FALSE(IsFullScreenWindow(chain[32]));  // the 33rd is not reached
}

TEST_F(WindowUtilsTest, NoWindow) {
  EXPECT_FALSE(IsFullScreenWindow(nullptr));
  HWND full = MakeFullScreen();
  ::DestroyWindow(full);
  EXPECT_FALSE(IsFullScreenWindow(full));
  // The desktop itself covers the desktop.
  EXPECT_TRUE(IsFullScreenWindow(::GetDesktopWindow()));
}

}  // namespace
}  // namespace ime_shared
