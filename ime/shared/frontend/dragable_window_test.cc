#include "ime/shared/frontend/dragable_window.h"

#include "gtest/gtest.h"
#include "ime/shared/base/window_impl.h"
#include "ime/shared/frontend/buttons_manager.h"
#include "ime/shared/frontend/drop_shadow_window.h"
#include "ime/shared/frontend/mouse_leaving_tracker.h"
#include "ime/shared/frontend/offscreen_dc.h"
#include "ime/shared/frontend/popup_test_helpers.h"
#include "ime/shared/frontend/windows_api_wrapper.h"

namespace ime_shared {
namespace frontend {
namespace {

using testing_helpers::ClientToScreenPoint;
using testing_helpers::kTestPopupExStyle;
using testing_helpers::kTestPopupStyle;
using testing_helpers::MouseAt;
using testing_helpers::MoveCursorTo;
using testing_helpers::PumpMessagesUntil;
using testing_helpers::SendMouseThroughSetCursor;

class DragPopup : public base::WindowImpl<DragPopup>,
                  public DragableWindow<DragPopup>,
                  public WindowsAPIWrapper {
 public:
  static base::WindowClassInfo GetWindowClassInfo() {
    return {L"KelvaneDragTestPopup", CS_IME, IDC_ARROW, nullptr};
  }
  bool ProcessWindowMessage(HWND window, UINT message, WPARAM wparam, LPARAM lparam,
                            LRESULT& result) override {
    return ProcessDragMessage(window, message, wparam, lparam, result);
  }
  void OnDragEnd() {
    ++drag_ends;
    place_at_end = WindowRect(hwnd());
  }
  RECT DragClampExtra() { return extra; }

  int drag_ends = 0;
  RECT place_at_end = {};
  RECT extra = {0, 0, 0, 0};
};

class DragableWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_NE(
        popup_.Create(nullptr, RECT{100, 100, 300, 180}, L"", kTestPopupStyle, kTestPopupExStyle),
        nullptr);
    ::ShowWindow(popup_.hwnd(), SW_SHOWNA);
    ASSERT_TRUE(::IsWindowVisible(popup_.hwnd()));
    work_ = WindowsAPIWrapper::WorkAreaNearest(POINT{150, 150});
  }
  POINT TopLeft() const {
    RECT rect = WindowsAPIWrapper::WindowRect(popup_.hwnd());
    return POINT{rect.left, rect.top};
  }
  DragPopup popup_;
  RECT work_;
};

TEST_F(DragableWindowTest, WindowFollowsTheCursorAndStopsAtTheWorkAreaEdges) {
  EXPECT_EQ(MouseAt(popup_.hwnd(), {10, 10}, WM_LBUTTONDOWN), TRUE);
  EXPECT_TRUE(popup_.IsDragging());
  EXPECT_EQ(::GetCapture(), popup_.hwnd());

  ASSERT_TRUE(MoveCursorTo(POINT{300, 250}));
  EXPECT_EQ(SendMouseThroughSetCursor(popup_.hwnd(), WM_MOUSEMOVE), TRUE);
  EXPECT_EQ(TopLeft().x, 290);
  EXPECT_EQ(TopLeft().y, 240);
  EXPECT_EQ(::GetCursor(), ::LoadCursorW(nullptr, IDC_SIZEALL));

  // Past the top-left corner of the work area.
  ASSERT_TRUE(MoveCursorTo(POINT{work_.left + 3, work_.top + 2}));
  SendMouseThroughSetCursor(popup_.hwnd(), WM_MOUSEMOVE);
  EXPECT_EQ(TopLeft().x, work_.left);
  EXPECT_EQ(TopLeft().y, work_.top);

  // Past the bottom-right corner; a captured WM_MOUSEMOVE moves it too.
  ASSERT_TRUE(MoveCursorTo(POINT{work_.right - 2, work_.bottom - 2}));
  ::SendMessageW(popup_.hwnd(), WM_MOUSEMOVE, 0, 0);
  EXPECT_EQ(TopLeft().x, work_.right - 200);
  EXPECT_EQ(TopLeft().y, work_.bottom - 80);
  EXPECT_EQ(popup_.drag_ends, 0);

  ASSERT_TRUE(MoveCursorTo(POINT{400, 400}));
  SendMouseThroughSetCursor(popup_.hwnd(), WM_MOUSEMOVE);
  EXPECT_EQ(SendMouseThroughSetCursor(popup_.hwnd(), WM_LBUTTONUP), TRUE);
  EXPECT_FALSE(popup_.IsDragging());
  EXPECT_NE(::GetCapture(), popup_.hwnd());
  EXPECT_EQ(popup_.drag_ends, 1);
  EXPECT_EQ(popup_.place_at_end.left, 390);
  EXPECT_EQ(popup_.place_at_end.top, 390);
  EXPECT_EQ(popup_.place_at_end.right - popup_.place_at_end.left, 200) << "size kept";

  // Moves without a drag move nothing.
  ASSERT_TRUE(MoveCursorTo(POINT{500, 500}));
  SendMouseThroughSetCursor(popup_.hwnd(), WM_MOUSEMOVE);
  EXPECT_EQ(TopLeft().x, 390);
}

TEST_F(DragableWindowTest, ExtraRoomStaysOnTheWorkArea) {
  popup_.extra = RECT{0, 30, 50, 0};
  MouseAt(popup_.hwnd(), {0, 0}, WM_LBUTTONDOWN);
  ASSERT_TRUE(MoveCursorTo(POINT{work_.right - 1, work_.top}));
  SendMouseThroughSetCursor(popup_.hwnd(), WM_MOUSEMOVE);
  EXPECT_EQ(TopLeft().x, work_.right - 50 - 200);
  EXPECT_EQ(TopLeft().y, work_.top + 30);
  SendMouseThroughSetCursor(popup_.hwnd(), WM_LBUTTONUP);
  EXPECT_EQ(popup_.drag_ends, 1);
}

TEST_F(DragableWindowTest, OtherMouseMessagesShowTheMoveCursor) {
  ASSERT_TRUE(MoveCursorTo(ClientToScreenPoint(popup_.hwnd(), {20, 20})));
  ::SetCursor(::LoadCursorW(nullptr, IDC_ARROW));
  EXPECT_EQ(SendMouseThroughSetCursor(popup_.hwnd(), WM_RBUTTONUP), TRUE);
  EXPECT_EQ(::GetCursor(), ::LoadCursorW(nullptr, IDC_SIZEALL));
  EXPECT_FALSE(popup_.IsDragging());
  // A WM_SETCURSOR without a mouse message is left to others.
  EXPECT_EQ(SendMouseThroughSetCursor(popup_.hwnd(), 0), FALSE);
  // A release without a drag ends nothing.
  SendMouseThroughSetCursor(popup_.hwnd(), WM_LBUTTONUP);
  EXPECT_EQ(popup_.drag_ends, 0);
}

TEST_F(DragableWindowTest, LosingTheMouseEndsTheDrag) {
  MouseAt(popup_.hwnd(), {5, 5}, WM_LBUTTONDOWN);
  ASSERT_TRUE(popup_.IsDragging());
  HWND other = ::CreateWindowExW(WS_EX_TOOLWINDOW, L"STATIC", L"", WS_POPUP, 600, 600, 20, 20,
                                 nullptr, nullptr, nullptr, nullptr);
  ASSERT_NE(other, nullptr);
  ::SetCapture(other);
  EXPECT_FALSE(popup_.IsDragging());
  EXPECT_EQ(popup_.drag_ends, 1);
  ::ReleaseCapture();
  ::DestroyWindow(other);
}

// A pop-up made like the input method's own: every mix-in, tried in the
// candidate window's order (hover tracker, shadow, own cases, buttons,
// dragging).
class FullPopup : public base::WindowImpl<FullPopup>,
                  public ButtonsManager<FullPopup>,
                  public MouseLeavingTracker<FullPopup>,
                  public DragableWindow<FullPopup>,
                  public DropShadowWindow<FullPopup>,
                  public WindowsAPIWrapper {
 public:
  static base::WindowClassInfo GetWindowClassInfo() {
    return {L"KelvaneFullTestPopup", CS_IME, IDC_ARROW, nullptr};
  }
  bool ProcessWindowMessage(HWND window, UINT message, WPARAM wparam, LPARAM lparam,
                            LRESULT& result) override {
    return base::ChainMessageHooks<FullPopup>(
        this,
        {&FullPopup::ProcessTrackerMessage, &FullPopup::ProcessShadowMessage,
         &FullPopup::ProcessOwnMessage, &FullPopup::ProcessButtonsMessage,
         &FullPopup::ProcessDragMessage},
        window, message, wparam, lparam, result);
  }
  bool ProcessOwnMessage(HWND window, UINT message, WPARAM wparam, LPARAM lparam, LRESULT& result) {
    switch (message) {
      case WM_ERASEBKGND:
        result = 1;
        return true;
      case WM_PAINT:
        PaintDoubleBuffered(window, [this](HDC dc, const RECT& client) {
          ::FillRect(dc, &client, static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH)));
          DrawButtons(dc);
        });
        result = 0;
        return true;
      case WM_MOUSELEAVE:
        ++leaves;
        return false;
      default:
        return false;
    }
  }
  void OnButtonClicked(int index) { clicks.push_back(index); }
  void OnDragEnd() { stored = WindowRect(hwnd()); }

  std::vector<int> clicks;
  int leaves = 0;
  RECT stored = {};
};

RECT RectOf(HWND window) { return WindowsAPIWrapper::WindowRect(window); }

TEST(PopupWithEveryMixinTest, ButtonsClickDragsMoveWithTheShadowAndLeavingIsNoticed) {
  FullPopup popup;
  ASSERT_NE(
      popup.Create(nullptr, RECT{200, 200, 400, 260}, L"", kTestPopupStyle, kTestPopupExStyle),
      nullptr);
  ButtonRecord button;
  button.x = 170;
  button.y = 30;
  button.width = 22;
  button.height = 22;
  popup.AddButton(button);
  ::ShowWindow(popup.hwnd(), SW_SHOWNA);
  ASSERT_TRUE(::IsWindowVisible(popup.hwnd()));
  HWND shadow = popup.shadow_window();
  ASSERT_NE(shadow, nullptr);
  ASSERT_TRUE(::IsWindowVisible(shadow));
  RECT shadow_rect = RectOf(shadow);
  EXPECT_EQ(shadow_rect.left, 206);
  EXPECT_EQ(shadow_rect.top, 206);
  EXPECT_EQ(shadow_rect.right, 404);
  EXPECT_EQ(shadow_rect.bottom, 264);

  // A click on the button is the button's, not the start of a drag.
  MouseAt(popup.hwnd(), {175, 35}, WM_MOUSEMOVE);
  EXPECT_TRUE(popup.IsHovering());
  EXPECT_EQ(popup.hovered_button(), 0);
  MouseAt(popup.hwnd(), {175, 35}, WM_LBUTTONDOWN);
  EXPECT_FALSE(popup.IsDragging());
  MouseAt(popup.hwnd(), {175, 35}, WM_LBUTTONUP);
  EXPECT_EQ(popup.clicks, std::vector<int>{0});

  // Anywhere else the window is dragged, and its shadow goes along.
  MouseAt(popup.hwnd(), {50, 20}, WM_LBUTTONDOWN);
  ASSERT_TRUE(popup.IsDragging());
  ASSERT_TRUE(MoveCursorTo(POINT{350, 270}));
  SendMouseThroughSetCursor(popup.hwnd(), WM_MOUSEMOVE);
  SendMouseThroughSetCursor(popup.hwnd(), WM_LBUTTONUP);
  EXPECT_FALSE(popup.IsDragging());
  EXPECT_EQ(popup.stored.left, 300);
  EXPECT_EQ(popup.stored.top, 250);
  shadow_rect = RectOf(shadow);
  EXPECT_EQ(shadow_rect.left, 306);
  EXPECT_EQ(shadow_rect.top, 256);
  EXPECT_EQ(shadow_rect.right, 504);
  EXPECT_EQ(shadow_rect.bottom, 314);

  // The window paints double-buffered with its button.
  ::RedrawWindow(popup.hwnd(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);

  // Leaving: WM_MOUSELEAVE reaches the host's own handling and the buttons.
  MouseAt(popup.hwnd(), {175, 35}, WM_MOUSEMOVE);
  EXPECT_EQ(popup.hovered_button(), 0);
  ASSERT_TRUE(MoveCursorTo(POINT{700, 700}));
  ASSERT_TRUE(PumpMessagesUntil([&] { return popup.leaves > 0; }));
  EXPECT_EQ(popup.leaves, 1);
  EXPECT_EQ(popup.hovered_button(), -1);
  EXPECT_FALSE(popup.IsHovering());
}

}  // namespace
}  // namespace frontend
}  // namespace ime_shared
