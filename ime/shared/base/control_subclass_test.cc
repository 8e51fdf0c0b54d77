#include "ime/shared/base/control_subclass.h"

#include <vector>

#include "gtest/gtest.h"
#include "ime/shared/base/gdi_objects.h"
#include "ime/shared/base/modal_dialog.h"
#include "ime/shared/base/window_layer_test_resources.h"

namespace ime_shared {
namespace base {
namespace {

constexpr COLORREF kLabelBackground = RGB(200, 30, 40);

// A label that chooses its own colours from the reflected WM_CTLCOLORSTATIC.
class ColouredLabel : public SubclassedControl {
 public:
  ColouredLabel() : brush_(::CreateSolidBrush(kLabelBackground)) {}
  bool ProcessWindowMessage(HWND window, UINT message, WPARAM wparam, LPARAM lparam,
                            LRESULT& result) override {
    if (message != kReflectedMessageBase + WM_CTLCOLORSTATIC) return false;
    ++colour_requests;
    ::SetBkColor(reinterpret_cast<HDC>(wparam), kLabelBackground);
    result = reinterpret_cast<LRESULT>(brush_.Get());
    return true;
  }
  HBRUSH brush() const { return brush_.Get(); }
  int colour_requests = 0;

 private:
  ScopedBrush brush_;
};

// A button that takes its own clicks and leaves its colours to the parent.
class CountingButton : public SubclassedControl {
 public:
  bool ProcessWindowMessage(HWND window, UINT message, WPARAM wparam, LPARAM lparam,
                            LRESULT& result) override {
    if (message == kReflectedMessageBase + WM_COMMAND && HIWORD(wparam) == BN_CLICKED) {
      ++clicks;
      result = 0;
      return true;
    }
    return false;
  }
  int clicks = 0;
};

class ReflectingDialog : public ModalDialog {
 public:
  ReflectingDialog() : ModalDialog(IDD_TEST_CONTROLS) {}

  bool ProcessWindowMessage(HWND window, UINT message, WPARAM wparam, LPARAM lparam,
                            LRESULT& result) override {
    if (ReflectNotifications(window, message, wparam, lparam, result)) return true;
    switch (message) {
      case WM_INITDIALOG:
        subclassed = label.SubclassDialogItem(window, IDC_TEST_LABEL) &&
                     button.SubclassDialogItem(window, IDC_TEST_BUTTON);
        ::SetTimer(window, 1, 20, nullptr);
        result = TRUE;
        return true;
      case WM_COMMAND:
        ++commands_seen_by_dialog;
        return false;
      case WM_TIMER:
        ::KillTimer(window, 1);
        Check(window);
        EndDialog(IDOK);
        return true;
      default:
        return false;
    }
  }

  void Check(HWND dialog) {
    HWND label_window = ::GetDlgItem(dialog, IDC_TEST_LABEL);
    HWND button_window = ::GetDlgItem(dialog, IDC_TEST_BUTTON);
    visible = ::IsWindowVisible(dialog) && ::IsWindowVisible(label_window);

    // The label paints itself, asking its parent for colours.
    ::RedrawWindow(label_window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    requests_after_paint = label.colour_requests;
    RECT client;
    ::GetClientRect(label_window, &client);
    {
      ScopedWindowDC dc(label_window);
      background_pixel = ::GetPixel(dc.Get(), client.right - 2, client.bottom - 2);
      answer_to_parent = reinterpret_cast<HBRUSH>(
          ::SendMessageW(dialog, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc.Get()),
                         reinterpret_cast<LPARAM>(label_window)));
      // The button does not take its colour message: the parent's default.
      button_colour = reinterpret_cast<HBRUSH>(
          ::SendMessageW(dialog, WM_CTLCOLORBTN, reinterpret_cast<WPARAM>(dc.Get()),
                         reinterpret_cast<LPARAM>(button_window)));
    }

    ::SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDC_TEST_BUTTON, BN_CLICKED),
                   reinterpret_cast<LPARAM>(button_window));

    // Given back its own procedure, the label is no longer asked.
    unsubclassed = label.Unsubclass() == label_window;
    const int before = label.colour_requests;
    ScopedWindowDC dc(label_window);
    ::SendMessageW(dialog, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc.Get()),
                   reinterpret_cast<LPARAM>(label_window));
    requests_after_unsubclass = label.colour_requests - before;
  }

  ColouredLabel label;
  CountingButton button;
  bool subclassed = false;
  bool visible = false;
  bool unsubclassed = false;
  int requests_after_paint = 0;
  int requests_after_unsubclass = -1;
  int commands_seen_by_dialog = 0;
  COLORREF background_pixel = CLR_INVALID;
  HBRUSH answer_to_parent = nullptr;
  HBRUSH button_colour = nullptr;
};

TEST(ControlSubclassTest, DialogReflectsNotificationsToItsSubclassedControls) {
  ReflectingDialog dialog;
  ASSERT_EQ(dialog.DoModal(nullptr), IDOK);
  ASSERT_TRUE(dialog.visible);
  ASSERT_TRUE(dialog.subclassed);

  // The reflected 0x2138 reached the label, and its brush painted it.
  EXPECT_GE(dialog.requests_after_paint, 1);
  EXPECT_EQ(dialog.background_pixel, kLabelBackground);
  EXPECT_EQ(dialog.answer_to_parent, dialog.label.brush());
  EXPECT_NE(dialog.button_colour, nullptr);
  EXPECT_NE(dialog.button_colour, dialog.label.brush());

  // The click went to the button, not to the dialog's own handling.
  EXPECT_EQ(dialog.button.clicks, 1);
  EXPECT_EQ(dialog.commands_seen_by_dialog, 0);

  EXPECT_TRUE(dialog.unsubclassed);
  EXPECT_EQ(dialog.requests_after_unsubclass, 0);
}

TEST(ControlSubclassTest, OnlyControlsOfThisThreadAndNoneTwice) {
  HWND parent = ::CreateWindowExW(WS_EX_TOOLWINDOW, L"STATIC", L"", WS_POPUP, 0, 0, 100, 100,
                                  nullptr, nullptr, nullptr, nullptr);
  ASSERT_NE(parent, nullptr);
  ::ShowWindow(parent, SW_SHOWNA);
  ASSERT_TRUE(::IsWindowVisible(parent));
  HWND child = ::CreateWindowExW(0, L"STATIC", L"text", WS_CHILD | WS_VISIBLE, 0, 0, 50, 20, parent,
                                 nullptr, nullptr, nullptr);
  ASSERT_NE(child, nullptr);
  const LONG_PTR own_procedure = ::GetWindowLongPtrW(child, GWLP_WNDPROC);

  ColouredLabel first;
  ColouredLabel second;
  ASSERT_TRUE(first.Subclass(child));
  EXPECT_FALSE(second.Subclass(child)) << "the control has its object";
  EXPECT_FALSE(first.Subclass(parent)) << "the object has its control";
  EXPECT_EQ(WindowBase::FromHandle(child), &first);

  // The control's own behaviour goes on underneath.
  ::SetWindowTextW(child, L"changed");
  wchar_t text[32] = {};
  ::GetWindowTextW(child, text, 32);
  EXPECT_STREQ(text, L"changed");

  EXPECT_EQ(first.Unsubclass(), child);
  EXPECT_EQ(::GetWindowLongPtrW(child, GWLP_WNDPROC), own_procedure);
  EXPECT_EQ(WindowBase::FromHandle(child), nullptr);
  EXPECT_TRUE(second.Subclass(child));

  // A parent without subclassed children reflects nothing.
  LRESULT result = 0;
  HWND plain = ::CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE, 0, 30, 50, 20, parent,
                                 nullptr, nullptr, nullptr);
  EXPECT_FALSE(
      ReflectNotifications(parent, WM_CTLCOLORSTATIC, 0, reinterpret_cast<LPARAM>(plain), result));
  EXPECT_FALSE(ReflectNotifications(parent, WM_COMMAND, 0, 0, result));
  EXPECT_TRUE(
      ReflectNotifications(parent, WM_CTLCOLORSTATIC, 0, reinterpret_cast<LPARAM>(child), result));
  EXPECT_EQ(reinterpret_cast<HBRUSH>(result), second.brush());

  ::DestroyWindow(parent);
  EXPECT_EQ(second.hwnd(), nullptr) << "a destroyed control unbinds its object";
}

}  // namespace
}  // namespace base
}  // namespace ime_shared
