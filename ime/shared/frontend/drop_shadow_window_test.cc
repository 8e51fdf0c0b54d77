#include "ime/shared/frontend/drop_shadow_window.h"

#include <cstdint>
#include <vector>

#include "gtest/gtest.h"
#include "ime/shared/base/window_impl.h"
#include "ime/shared/frontend/popup_test_helpers.h"
#include "ime/shared/frontend/windows_api_wrapper.h"

namespace ime_shared {
namespace frontend {
namespace {

using testing_helpers::kTestPopupExStyle;
using testing_helpers::kTestPopupStyle;

TEST(DropShadowTest, CornerTableRoundsTheBandEnds) {
  const uint8_t expected[4][4] = {
      {0, 24, 52, 63},
      {24, 73, 111, 127},
      {52, 111, 164, 191},
      {63, 127, 191, 255},
  };
  const ShadowCornerTable& table = GetShadowCornerTable();
  for (int r = 0; r < 4; ++r) {
    for (int c = 0; c < 4; ++c) EXPECT_EQ(table[r][c], expected[r][c]) << r << "," << c;
  }
  EXPECT_EQ(&GetShadowCornerTable(), &table) << "computed once";
}

// The alpha bytes of a drawn shadow image of |width| x |height|.
std::vector<uint8_t> DrawnShadow(int width, int height, bool* drawn) {
  std::vector<uint8_t> bits(static_cast<size_t>(width) * height * 4, 0);
  *drawn = DrawShadowAlpha(bits.data(), width, height, width * 4);
  return bits;
}

TEST(DropShadowTest, BandsFadeOutwardsWithRoundedEnds) {
  const int w = 14;
  const int h = 10;
  bool drawn = false;
  const std::vector<uint8_t> bits = DrawnShadow(w, h, &drawn);
  ASSERT_TRUE(drawn);
  auto alpha = [&](int x, int y) { return bits[(y * w + x) * 4 + 3]; };
  const ShadowCornerTable& t = GetShadowCornerTable();

  // Colours stay black; the area under the host stays transparent.
  for (size_t i = 0; i < bits.size(); i += 4) {
    EXPECT_EQ(bits[i] | bits[i + 1] | bits[i + 2], 0);
  }
  for (int y = 0; y < h - 4; ++y) {
    for (int x = 0; x < w - 4; ++x) EXPECT_EQ(alpha(x, y), 0) << x << "," << y;
  }
  // The bands between their ends: 255, 191, 127, 63 outwards.
  const uint8_t band[4] = {255, 191, 127, 63};
  for (int i = 0; i < 4; ++i) {
    for (int y = 4; y < h - 4; ++y) EXPECT_EQ(alpha(w - 4 + i, y), band[i]) << "right band";
    for (int x = 4; x < w - 4; ++x) EXPECT_EQ(alpha(x, h - 4 + i), band[i]) << "bottom band";
  }
  for (int r = 0; r < 4; ++r) {
    for (int c = 0; c < 4; ++c) {
      EXPECT_EQ(alpha(w - 4 + c, r), t[r][3 - c]) << "top end of the right band";
      EXPECT_EQ(alpha(c, h - 4 + r), t[3 - r][c]) << "left end of the bottom band";
      EXPECT_EQ(alpha(w - 4 + c, h - 4 + r), t[3 - r][3 - c]) << "corner";
    }
  }
  // The outer corners are fully transparent.
  EXPECT_EQ(alpha(w - 1, 0), 0);
  EXPECT_EQ(alpha(0, h - 1), 0);
  EXPECT_EQ(alpha(w - 1, h - 1), 0);
}

TEST(DropShadowTest, NoShadowImageBelowSixPixels) {
  bool drawn = true;
  const std::vector<uint8_t> five = DrawnShadow(20, 5, &drawn);
  EXPECT_FALSE(drawn);
  for (uint8_t byte : five) ASSERT_EQ(byte, 0);
  DrawnShadow(20, 6, &drawn);
  EXPECT_TRUE(drawn);

  HWND shadow = CreateShadowWindow(nullptr);
  ASSERT_NE(shadow, nullptr);
  EXPECT_FALSE(UpdateShadowImage(shadow, RECT{10, 10, 100, 15}));
  EXPECT_TRUE(UpdateShadowImage(shadow, RECT{10, 10, 100, 16}));
  ::DestroyWindow(shadow);
}

TEST(DropShadowTest, ShadowRectangleIsTheHostsShifted) {
  const RECT shadow = ShadowRectFor(RECT{100, 200, 400, 260});
  EXPECT_EQ(shadow.left, 106);
  EXPECT_EQ(shadow.top, 206);
  EXPECT_EQ(shadow.right, 404);
  EXPECT_EQ(shadow.bottom, 264);
}

// A pop-up with nothing but the shadow.
class ShadowedPopup : public base::WindowImpl<ShadowedPopup>,
                      public DropShadowWindow<ShadowedPopup>,
                      public WindowsAPIWrapper {
 public:
  static base::WindowClassInfo GetWindowClassInfo() {
    return {L"KelvaneShadowTestPopup", CS_IME, IDC_ARROW, nullptr};
  }
  bool ProcessWindowMessage(HWND window, UINT message, WPARAM wparam, LPARAM lparam,
                            LRESULT& result) override {
    return ProcessShadowMessage(window, message, wparam, lparam, result);
  }
};

// The next window of this program below |window| in the z-order. Test
// programs running at the same time share the display, and their windows
// may come between.
HWND NextOwnWindowBelow(HWND window) {
  HWND next = ::GetWindow(window, GW_HWNDNEXT);
  DWORD process = 0;
  while (next != nullptr &&
         (::GetWindowThreadProcessId(next, &process), process) != ::GetCurrentProcessId()) {
    next = ::GetWindow(next, GW_HWNDNEXT);
  }
  return next;
}

RECT RectOf(HWND window) {
  RECT rect = {};
  ::GetWindowRect(window, &rect);
  return rect;
}

void ExpectRect(const RECT& rect, LONG left, LONG top, LONG right, LONG bottom) {
  EXPECT_EQ(rect.left, left);
  EXPECT_EQ(rect.top, top);
  EXPECT_EQ(rect.right, right);
  EXPECT_EQ(rect.bottom, bottom);
}

TEST(DropShadowTest, ShadowFollowsItsHostWindow) {
  ShadowedPopup popup;
  ASSERT_NE(
      popup.Create(nullptr, RECT{100, 120, 400, 180}, L"", kTestPopupStyle, kTestPopupExStyle),
      nullptr);
  HWND shadow = popup.shadow_window();
  ASSERT_NE(shadow, nullptr);
  EXPECT_FALSE(::IsWindowVisible(shadow)) << "hidden with its host";

  ::ShowWindow(popup.hwnd(), SW_SHOWNA);
  ASSERT_TRUE(::IsWindowVisible(popup.hwnd()));
  ASSERT_TRUE(::IsWindowVisible(shadow));

  wchar_t class_name[32] = {};
  ::GetClassNameW(shadow, class_name, 32);
  EXPECT_STREQ(class_name, L"IME_FADER");
  EXPECT_EQ(::GetClassLongPtrW(shadow, GCL_STYLE) & CS_IME, static_cast<ULONG_PTR>(CS_IME));
  const LONG_PTR style = ::GetWindowLongPtrW(shadow, GWL_STYLE);
  const LONG_PTR ex_style = ::GetWindowLongPtrW(shadow, GWL_EXSTYLE);
  EXPECT_TRUE(style & WS_POPUP);
  EXPECT_TRUE(style & WS_DISABLED);
  EXPECT_TRUE(ex_style & WS_EX_LAYERED);
  EXPECT_TRUE(ex_style & WS_EX_TOOLWINDOW);
  EXPECT_TRUE(ex_style & WS_EX_NOACTIVATE);

  ExpectRect(RectOf(shadow), 106, 126, 404, 184);
  EXPECT_EQ(NextOwnWindowBelow(popup.hwnd()), shadow) << "right behind the host";

  // Moved and resized, the host takes its shadow along.
  ::SetWindowPos(popup.hwnd(), nullptr, 300, 400, 200, 90, SWP_NOZORDER | SWP_NOACTIVATE);
  ExpectRect(RectOf(shadow), 306, 406, 504, 494);
  WindowsAPIWrapper::MoveWithoutActivation(popup.hwnd(), POINT{50, 60});
  ExpectRect(RectOf(shadow), 56, 66, 254, 154);

  // A host too low for a shadow image still places its shadow.
  ::SetWindowPos(popup.hwnd(), nullptr, 50, 60, 200, 4, SWP_NOZORDER | SWP_NOACTIVATE);
  ExpectRect(RectOf(shadow), 56, 66, 254, 68);

  ::ShowWindow(popup.hwnd(), SW_HIDE);
  EXPECT_FALSE(::IsWindowVisible(shadow));
  ::ShowWindow(popup.hwnd(), SW_SHOWNA);
  EXPECT_TRUE(::IsWindowVisible(shadow));

  ::DestroyWindow(popup.hwnd());
  EXPECT_FALSE(::IsWindow(shadow)) << "destroyed with its host";
}

TEST(DropShadowTest, EveryHostGetsItsOwnShadowOfTheOneClass) {
  ShadowedPopup first;
  ShadowedPopup second;
  ASSERT_NE(first.Create(nullptr, RECT{10, 10, 110, 60}, L"", kTestPopupStyle, kTestPopupExStyle),
            nullptr);
  ASSERT_NE(second.Create(nullptr, RECT{200, 10, 300, 60}, L"", kTestPopupStyle, kTestPopupExStyle),
            nullptr);
  ::ShowWindow(first.hwnd(), SW_SHOWNA);
  ::ShowWindow(second.hwnd(), SW_SHOWNA);
  ASSERT_TRUE(::IsWindowVisible(first.hwnd()));
  ASSERT_TRUE(::IsWindowVisible(second.hwnd()));
  ASSERT_NE(first.shadow_window(), nullptr);
  ASSERT_NE(second.shadow_window(), nullptr);
  EXPECT_NE(first.shadow_window(), second.shadow_window());
  EXPECT_EQ(::GetClassLongPtrW(first.shadow_window(), GCW_ATOM),
            ::GetClassLongPtrW(second.shadow_window(), GCW_ATOM));
  EXPECT_EQ(::GetClassLongPtrW(first.shadow_window(), GCW_ATOM), RegisterShadowWindowClass());
}

}  // namespace
}  // namespace frontend
}  // namespace ime_shared
