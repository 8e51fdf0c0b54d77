#include "ime/t13n/installer/uninstall_dialog.h"

#include <windows.h>

#include <cstdlib>
#include <functional>
#include <string>

#include "gtest/gtest.h"
#include "ime/shared/testing/dialog_driver.h"
#include "ime/t13n/installer/uninstaller_resources.h"

namespace ime_t13n {
namespace {

using ime_testing::DialogDriver;

std::wstring TextOf(HWND window) {
  wchar_t text[512] = {};
  ::GetWindowTextW(window, text, 512);
  return text;
}

HWND StaticOf(HWND dialog) {
  for (HWND child = ::GetWindow(dialog, GW_CHILD); child != nullptr;
       child = ::GetWindow(child, GW_HWNDNEXT)) {
    wchar_t class_name[16] = {};
    ::GetClassNameW(child, class_name, 16);
    if (_wcsicmp(class_name, L"Static") == 0) return child;
  }
  return nullptr;
}

void Click(HWND dialog, int id) {
  ::SendMessageW(::GetDlgItem(dialog, id), BM_CLICK, 0, 0);
}

// A key as the user types it: posted to the control that has the focus, for
// the dialog's message loop to translate.
void PressKey(HWND dialog, WPARAM key) {
  HWND focus = ::GetFocus();
  HWND target = focus != nullptr ? focus : dialog;
  ::PostMessageW(target, WM_KEYDOWN, key, 1);
  ::PostMessageW(target, WM_KEYUP, key, 0xC0000001);
}

TEST(UninstallDialogTest, OpensVisibleAndTickedWithItsTextsAndNoAsDefault) {
  UninstallDialog dialog;
  EXPECT_TRUE(dialog.retain_data());
  bool checked = false;
  DialogDriver driver([&](HWND window) {
    checked = true;
    EXPECT_TRUE(::IsWindowVisible(window));
    EXPECT_EQ(TextOf(window), L"Uninstall Tarvel Hindi Input");
    EXPECT_EQ(TextOf(StaticOf(window)), L"Confirm to uninstall Tarvel Hindi Input");
    EXPECT_EQ(::IsDlgButtonChecked(window, IDC_RETAIN_DATA),
              static_cast<UINT>(BST_CHECKED));
    EXPECT_EQ(TextOf(::GetDlgItem(window, IDC_RETAIN_DATA)),
              L"Retain my personal data with the settings.");
    EXPECT_EQ(TextOf(::GetDlgItem(window, IDYES)), L"Yes (&Y)");
    EXPECT_EQ(TextOf(::GetDlgItem(window, IDNO)), L"No (&N)");
    const LRESULT default_id = ::SendMessageW(window, DM_GETDEFID, 0, 0);
    EXPECT_EQ(HIWORD(default_id), DC_HASDEFID);
    EXPECT_EQ(LOWORD(default_id), IDNO);
    const LONG_PTR style = ::GetWindowLongPtrW(window, GWL_STYLE);
    EXPECT_TRUE(style & WS_CAPTION);
    EXPECT_TRUE(style & WS_SYSMENU);

    // Without an owner it sits in the middle of the work area.
    RECT area = {};
    RECT own = {};
    ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
    ::GetWindowRect(window, &own);
    EXPECT_LE(std::abs((own.left + own.right) - (area.left + area.right)), 2);
    EXPECT_LE(std::abs((own.top + own.bottom) - (area.top + area.bottom)), 2);

    Click(window, IDNO);
  });
  EXPECT_EQ(dialog.DoModal(nullptr), IDNO);
  EXPECT_TRUE(checked);
  EXPECT_TRUE(dialog.retain_data());
  EXPECT_EQ(dialog.title(), L"Uninstall Tarvel Hindi Input");
  EXPECT_EQ(dialog.message(), L"Confirm to uninstall Tarvel Hindi Input");
}

TEST(UninstallDialogTest, YesWithTheBoxClearedDropsTheData) {
  UninstallDialog dialog;
  DialogDriver driver([](HWND window) {
    Click(window, IDC_RETAIN_DATA);
    EXPECT_EQ(::IsDlgButtonChecked(window, IDC_RETAIN_DATA),
              static_cast<UINT>(BST_UNCHECKED));
    Click(window, IDYES);
  });
  EXPECT_EQ(dialog.DoModal(nullptr), IDYES);
  EXPECT_TRUE(driver.acted());
  EXPECT_FALSE(dialog.retain_data());
}

TEST(UninstallDialogTest, EscapeAndTheCloseBoxCancel) {
  {
    UninstallDialog dialog;
    DialogDriver driver([](HWND window) { PressKey(window, VK_ESCAPE); });
    EXPECT_EQ(dialog.DoModal(nullptr), IDCANCEL);
    EXPECT_TRUE(dialog.retain_data());
  }
  {
    UninstallDialog dialog;
    DialogDriver driver([](HWND window) {
      Click(window, IDC_RETAIN_DATA);
      ::SendMessageW(window, WM_SYSCOMMAND, SC_CLOSE, 0);
    });
    EXPECT_EQ(dialog.DoModal(nullptr), IDCANCEL);
    // The box is recorded whichever way the dialog ends.
    EXPECT_FALSE(dialog.retain_data());
  }
  {
    // Enter takes the default button.
    UninstallDialog dialog;
    DialogDriver driver([](HWND window) { PressKey(window, VK_RETURN); });
    EXPECT_EQ(dialog.DoModal(nullptr), IDNO);
  }
}

TEST(UninstallDialogTest, AGivenMessageIsShownInstead) {
  UninstallDialog dialog;
  dialog.set_message(L"Something else");
  std::wstring shown;
  DialogDriver driver([&](HWND window) {
    shown = TextOf(StaticOf(window));
    Click(window, IDNO);
  });
  EXPECT_EQ(dialog.DoModal(nullptr), IDNO);
  EXPECT_EQ(shown, L"Something else");
}

}  // namespace
}  // namespace ime_t13n
