#include "ime/t13n/frontend/about_dialog.h"

#include <windows.h>

#include <string>

#include "gtest/gtest.h"
#include "ime/t13n/frontend/t13n_windows_resources.h"
#include "ime/t13n/frontend/window_test_helpers.h"

namespace ime_t13n {
namespace {

using testing_helpers::DialogDriver;
using testing_helpers::WindowText;

// What the about box showed, read while it was open.
struct AboutContents {
  std::wstring caption;
  std::wstring product_line;
  std::wstring version_line;
  bool has_icon = false;
  bool visible = false;
};

// Opens the about box for Hindi, reads it and ends it with |finish|.
INT_PTR RunAbout(const std::function<void(HWND)>& finish, AboutContents* contents) {
  DialogDriver driver([&](HWND dialog) {
    contents->visible = ::IsWindowVisible(dialog) != FALSE;
    contents->caption = WindowText(dialog);
    // The product line is the first text without an id.
    for (HWND child = ::GetWindow(dialog, GW_CHILD); child != nullptr;
         child = ::GetWindow(child, GW_HWNDNEXT)) {
      if (static_cast<WORD>(::GetDlgCtrlID(child)) != 0xFFFF) continue;
      if ((::GetWindowLongPtrW(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON) {
        contents->has_icon = ::SendMessageW(child, STM_GETICON, 0, 0) != 0;
      } else if (contents->product_line.empty()) {
        contents->product_line = WindowText(child);
      }
    }
    contents->version_line = WindowText(::GetDlgItem(dialog, IDC_ABOUT_VERSION));
    finish(dialog);
  });
  return AboutDialog(L"Hindi").DoModal(nullptr);
}

TEST(AboutDialogTest, NamesTheProductAndVersionAndEndsWithTheKeys) {
  AboutContents contents;
  EXPECT_EQ(RunAbout([](HWND dialog) { ::PostMessageW(dialog, WM_KEYDOWN, VK_ESCAPE, 0); },
                     &contents),
            2);
  EXPECT_TRUE(contents.visible);
  EXPECT_EQ(contents.caption, L"Tarvel Hindi Input");
  EXPECT_EQ(contents.product_line, L"Tarvel Hindi Input");
  EXPECT_EQ(contents.version_line, L"Version: 1.0.4.0");
  EXPECT_TRUE(contents.has_icon);

  AboutContents enter;
  EXPECT_EQ(RunAbout([](HWND dialog) { ::PostMessageW(dialog, WM_KEYDOWN, VK_RETURN, 0); },
                     &enter),
            1);
  EXPECT_EQ(enter.caption, L"Tarvel Hindi Input");

  AboutContents closed;
  EXPECT_EQ(RunAbout([](HWND dialog) { ::PostMessageW(dialog, WM_SYSCOMMAND, SC_CLOSE, 0); },
                     &closed),
            2);
  AboutContents pressed;
  EXPECT_EQ(RunAbout([](HWND dialog) { ::SendMessageW(::GetDlgItem(dialog, IDOK), BM_CLICK, 0, 0); },
                     &pressed),
            1);
}

TEST(AboutDialogTest, ProductLineNamesTheLanguage) {
  EXPECT_EQ(AboutProductLine(L"Hindi"), L"Tarvel Hindi Input");
  EXPECT_EQ(AboutProductLine(L"Bengali"), L"Tarvel Bengali Input");
  EXPECT_STREQ(kAboutVersionLine, L"Version: 1.0.4.0");
}

}  // namespace
}  // namespace ime_t13n
