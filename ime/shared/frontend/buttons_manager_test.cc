#include "ime/shared/frontend/buttons_manager.h"

#include <commctrl.h>

#include <string>
#include <vector>

#include "gtest/gtest.h"
#include "ime/shared/base/gdi_objects.h"
#include "ime/shared/base/window_impl.h"
#include "ime/shared/frontend/popup_test_helpers.h"
#include "ime/shared/frontend/windows_api_wrapper.h"

namespace ime_shared {
namespace frontend {
namespace {

using testing_helpers::kTestPopupExStyle;
using testing_helpers::kTestPopupStyle;
using testing_helpers::MouseAt;
using testing_helpers::SendMouseThroughSetCursor;

ButtonRecord Button(int x, int y, int width, int height) {
  ButtonRecord button;
  button.x = x;
  button.y = y;
  button.width = width;
  button.height = height;
  return button;
}

TEST(ButtonsManagerTest, StateChoice) {
  ButtonRecord button = Button(0, 0, 10, 10);
  EXPECT_EQ(ChooseButtonState(button, false, false), kButtonNormal);
  EXPECT_EQ(ChooseButtonState(button, false, true), kButtonNormal);
  EXPECT_EQ(ChooseButtonState(button, true, false), kButtonHover);
  EXPECT_EQ(ChooseButtonState(button, true, true), kButtonPressed);
  button.held = true;
  EXPECT_EQ(ChooseButtonState(button, false, false), kButtonPressed);
  EXPECT_EQ(ChooseButtonState(button, true, false), kButtonPressed);
  button.disabled = true;
  for (bool hovered : {false, true}) {
    for (bool pressed : {false, true}) {
      EXPECT_EQ(ChooseButtonState(button, hovered, pressed), kButtonDisabled);
    }
  }
}

TEST(ButtonsManagerTest, HitTestIncludesTheEdgesAndSkipsHiddenButtons) {
  std::vector<ButtonRecord> buttons = {Button(10, 10, 20, 20), Button(30, 10, 20, 20),
                                       Button(60, 10, 20, 20)};
  buttons[2].visible = false;
  EXPECT_EQ(ButtonAt(buttons, {10, 10}), 0);
  EXPECT_EQ(ButtonAt(buttons, {29, 30}), 0);
  EXPECT_EQ(ButtonAt(buttons, {30, 30}), 0) << "shared edge: the first button";
  EXPECT_EQ(ButtonAt(buttons, {31, 10}), 1);
  EXPECT_EQ(ButtonAt(buttons, {50, 30}), 1);
  EXPECT_EQ(ButtonAt(buttons, {51, 30}), -1);
  EXPECT_EQ(ButtonAt(buttons, {70, 20}), -1) << "hidden";
  EXPECT_EQ(ButtonAt(buttons, {9, 10}), -1);
  EXPECT_EQ(ButtonAt(buttons, {20, 31}), -1);
  EXPECT_EQ(ButtonAt({}, {0, 0}), -1);
}

// A pop-up with a row of buttons that records their actions.
class ButtonPopup : public base::WindowImpl<ButtonPopup>,
                    public ButtonsManager<ButtonPopup>,
                    public WindowsAPIWrapper {
 public:
  static base::WindowClassInfo GetWindowClassInfo() {
    return {L"KelvaneButtonsTestPopup", CS_IME, IDC_ARROW, nullptr};
  }
  bool ProcessWindowMessage(HWND window, UINT message, WPARAM wparam, LPARAM lparam,
                            LRESULT& result) override {
    return ProcessButtonsMessage(window, message, wparam, lparam, result);
  }
  void OnButtonClicked(int index) {
    clicks.push_back(index);
    if (destroy_on_click) {
      ClearButtons();
      ::DestroyWindow(hwnd());
    }
  }
  std::vector<int> clicks;
  bool destroy_on_click = false;
};

class ButtonsManagerWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_NE(
        popup_.Create(nullptr, RECT{300, 300, 420, 340}, L"", kTestPopupStyle, kTestPopupExStyle),
        nullptr);
    ::ShowWindow(popup_.hwnd(), SW_SHOWNA);
    ASSERT_TRUE(::IsWindowVisible(popup_.hwnd()));
    ButtonRecord first = Button(5, 5, 20, 20);
    first.tooltip = L"First";
    ButtonRecord disabled = Button(35, 5, 20, 20);
    disabled.disabled = true;
    disabled.tooltip = L"Disabled";
    ButtonRecord hidden = Button(65, 5, 20, 20);
    hidden.visible = false;
    hidden.tooltip = L"Hidden";
    ButtonRecord silent = Button(95, 5, 20, 20);
    popup_.AddButton(first);
    popup_.AddButton(disabled);
    popup_.AddButton(hidden);
    popup_.AddButton(silent);
  }
  ButtonPopup popup_;
};

TEST_F(ButtonsManagerWindowTest, PressAndReleaseOnAnEnabledButtonClicksIt) {
  HWND window = popup_.hwnd();
  EXPECT_EQ(MouseAt(window, {10, 10}, WM_MOUSEMOVE), TRUE);
  EXPECT_EQ(popup_.hovered_button(), 0);
  EXPECT_EQ(::GetCursor(), ::LoadCursorW(nullptr, IDC_HAND));
  EXPECT_EQ(MouseAt(window, {10, 10}, WM_LBUTTONDOWN), TRUE);
  EXPECT_EQ(popup_.pressed_button(), 0);
  EXPECT_TRUE(popup_.clicks.empty());
  EXPECT_EQ(MouseAt(window, {25, 25}, WM_LBUTTONUP), TRUE) << "edge of the button";
  EXPECT_EQ(popup_.clicks, std::vector<int>{0});
  EXPECT_EQ(popup_.pressed_button(), -1);

  // The disabled button takes the press but never acts.
  EXPECT_EQ(MouseAt(window, {40, 10}, WM_LBUTTONDOWN), TRUE);
  EXPECT_EQ(popup_.pressed_button(), 1);
  EXPECT_EQ(MouseAt(window, {40, 10}, WM_LBUTTONUP), TRUE);
  EXPECT_EQ(popup_.clicks, std::vector<int>{0});

  // Pressed on one button and released on another: nothing.
  MouseAt(window, {10, 10}, WM_LBUTTONDOWN);
  MouseAt(window, {100, 10}, WM_LBUTTONUP);
  EXPECT_EQ(popup_.clicks, std::vector<int>{0});

  // Outside the buttons, and over the hidden one, the mouse is left to the
  // other handlers (dragging).
  EXPECT_EQ(MouseAt(window, {70, 10}, WM_LBUTTONDOWN), FALSE);
  EXPECT_EQ(popup_.hovered_button(), -1);
  EXPECT_EQ(MouseAt(window, {60, 32}, WM_MOUSEMOVE), FALSE);
  EXPECT_EQ(MouseAt(window, {60, 32}, WM_LBUTTONUP), FALSE);

  // Leaving the window clears the hover.
  MouseAt(window, {100, 10}, WM_MOUSEMOVE);
  EXPECT_EQ(popup_.hovered_button(), 3);
  ::SendMessageW(window, WM_MOUSELEAVE, 0, 0);
  EXPECT_EQ(popup_.hovered_button(), -1);
}

TEST_F(ButtonsManagerWindowTest, ActionMayDestroyTheWindow) {
  popup_.destroy_on_click = true;
  HWND window = popup_.hwnd();
  MouseAt(window, {100, 10}, WM_LBUTTONDOWN);
  MouseAt(window, {100, 10}, WM_LBUTTONUP);
  EXPECT_EQ(popup_.clicks, std::vector<int>{3});
  EXPECT_FALSE(::IsWindow(window));
  EXPECT_EQ(popup_.button_count(), 0);
}

TEST_F(ButtonsManagerWindowTest, TooltipsNameEveryVisibleButtonWithAText) {
  popup_.RebuildTooltips();
  HWND tooltip = popup_.tooltip_window();
  ASSERT_NE(tooltip, nullptr);
  wchar_t class_name[64] = {};
  ::GetClassNameW(tooltip, class_name, 64);
  EXPECT_STREQ(class_name, TOOLTIPS_CLASSW);
  EXPECT_EQ(::GetWindow(tooltip, GW_OWNER), popup_.hwnd());
  EXPECT_TRUE(::GetWindowLongPtrW(tooltip, GWL_EXSTYLE) & WS_EX_TOPMOST);
  EXPECT_TRUE(::GetWindowLongPtrW(tooltip, GWL_STYLE) & TTS_NOPREFIX);
  EXPECT_TRUE(::GetWindowLongPtrW(tooltip, GWL_STYLE) & TTS_ALWAYSTIP);

  auto tool = [&](UINT_PTR id, std::wstring* text, RECT* rect) {
    wchar_t buffer[80] = {};
    TTTOOLINFOW info = {};
    info.cbSize = TTTOOLINFOW_V2_SIZE;
    info.hwnd = popup_.hwnd();
    info.uId = id;
    info.lpszText = buffer;
    if (!::SendMessageW(tooltip, TTM_GETTOOLINFOW, 0, reinterpret_cast<LPARAM>(&info))) {
      return false;
    }
    *rect = info.rect;
    ::SendMessageW(tooltip, TTM_GETTEXTW, 80, reinterpret_cast<LPARAM>(&info));
    *text = buffer;
    return true;
  };
  EXPECT_EQ(::SendMessageW(tooltip, TTM_GETTOOLCOUNT, 0, 0), 2);
  std::wstring text;
  RECT rect = {};
  ASSERT_TRUE(tool(100, &text, &rect));
  EXPECT_EQ(text, L"First");
  EXPECT_EQ(rect.left, 5);
  EXPECT_EQ(rect.top, 5);
  EXPECT_EQ(rect.right, 25);
  EXPECT_EQ(rect.bottom, 25);
  ASSERT_TRUE(tool(101, &text, &rect));
  EXPECT_EQ(text, L"Disabled");
  EXPECT_FALSE(tool(102, &text, &rect)) << "hidden";
  EXPECT_FALSE(tool(103, &text, &rect)) << "no text";

  // Rebuilt after a change, with the old tools gone.
  popup_.button(0).visible = false;
  popup_.button(2).visible = true;
  popup_.RebuildTooltips();
  EXPECT_EQ(popup_.tooltip_window(), tooltip) << "made once";
  EXPECT_EQ(::SendMessageW(tooltip, TTM_GETTOOLCOUNT, 0, 0), 2);
  EXPECT_FALSE(tool(100, &text, &rect));
  ASSERT_TRUE(tool(102, &text, &rect));
  EXPECT_EQ(text, L"Hidden");

  popup_.ClearButtons();
  EXPECT_FALSE(::IsWindow(tooltip));
  EXPECT_EQ(popup_.tooltip_window(), nullptr);
  EXPECT_EQ(popup_.button_count(), 0);
}

// An image list of four 8 x 8 images, one colour each.
HIMAGELIST FourColourList(const COLORREF (&colours)[4]) {
  HIMAGELIST list = ::ImageList_Create(8, 8, ILC_COLOR24, 4, 0);
  base::ScopedWindowDC screen(nullptr);
  for (COLORREF colour : colours) {
    base::ScopedBitmap bitmap(::CreateCompatibleBitmap(screen.Get(), 8, 8));
    base::ScopedMemoryDC dc(::CreateCompatibleDC(screen.Get()));
    {
      base::ScopedSelectObject select(dc.Get(), bitmap.Get());
      base::ScopedBrush brush(::CreateSolidBrush(colour));
      RECT all = {0, 0, 8, 8};
      ::FillRect(dc.Get(), &all, brush.Get());
    }
    ::ImageList_Add(list, bitmap.Get(), nullptr);
  }
  return list;
}

TEST_F(ButtonsManagerWindowTest, EachButtonIsDrawnWithTheImageOfItsState) {
  const COLORREF colours[4] = {RGB(10, 20, 30), RGB(200, 0, 0), RGB(0, 200, 0), RGB(0, 0, 200)};
  base::ScopedImageList list(FourColourList(colours));
  ASSERT_EQ(::ImageList_GetImageCount(list.Get()), 4);
  for (int i = 0; i < popup_.button_count(); ++i) {
    ButtonRecord& button = popup_.button(i);
    button.image_list = list.Get();
    for (int state = 0; state < 4; ++state) button.images[state] = state;
  }
  popup_.button(3).images[kButtonHover] = -1;  // no image for that state

  base::ScopedWindowDC screen(nullptr);
  base::ScopedMemoryDC dc(::CreateCompatibleDC(screen.Get()));
  base::ScopedBitmap canvas(::CreateCompatibleBitmap(screen.Get(), 120, 40));
  base::ScopedSelectObject select(dc.Get(), canvas.Get());
  const COLORREF background = RGB(255, 255, 255);
  auto draw = [&] {
    base::ScopedBrush brush(::CreateSolidBrush(background));
    RECT all = {0, 0, 120, 40};
    ::FillRect(dc.Get(), &all, brush.Get());
    popup_.DrawButtons(dc.Get());
  };
  auto pixel = [&](int button) {
    return ::GetPixel(dc.Get(), popup_.button(button).x + 2, popup_.button(button).y + 2);
  };

  draw();
  EXPECT_EQ(pixel(0), colours[kButtonNormal]);
  EXPECT_EQ(pixel(1), colours[kButtonDisabled]);
  EXPECT_EQ(pixel(2), background) << "hidden buttons are not drawn";
  EXPECT_EQ(pixel(3), colours[kButtonNormal]);

  HWND window = popup_.hwnd();
  MouseAt(window, {10, 10}, WM_MOUSEMOVE);
  draw();
  EXPECT_EQ(pixel(0), colours[kButtonHover]);
  MouseAt(window, {10, 10}, WM_LBUTTONDOWN);
  draw();
  EXPECT_EQ(pixel(0), colours[kButtonPressed]);
  MouseAt(window, {10, 10}, WM_LBUTTONUP);
  draw();
  EXPECT_EQ(pixel(0), colours[kButtonHover]);

  popup_.button(3).held = true;
  MouseAt(window, {100, 10}, WM_MOUSEMOVE);
  draw();
  EXPECT_EQ(pixel(0), colours[kButtonNormal]);
  EXPECT_EQ(pixel(3), colours[kButtonPressed]) << "held";
  popup_.button(3).held = false;
  draw();
  EXPECT_EQ(pixel(3), background) << "hover has no image";
}

}  // namespace
}  // namespace frontend
}  // namespace ime_shared
