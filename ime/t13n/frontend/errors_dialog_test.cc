#include "ime/t13n/frontend/errors_dialog.h"

#include <windows.h>

#include <string>

#include "gtest/gtest.h"
#include "ime/t13n/frontend/t13n_windows_resources.h"
#include "ime/t13n/frontend/window_test_helpers.h"

namespace ime_t13n {
namespace {

using testing_helpers::DialogDriver;
using testing_helpers::WindowText;

std::wstring ClipboardText() {
  std::wstring text;
  if (!::OpenClipboard(nullptr)) return L"<no clipboard>";
  if (HANDLE data = ::GetClipboardData(CF_UNICODETEXT)) {
    if (const auto* chars = static_cast<const wchar_t*>(::GlobalLock(data))) {
      text = chars;
      ::GlobalUnlock(data);
    }
  }
  ::CloseClipboard();
  return text;
}

void EmptyTheClipboard() {
  if (::OpenClipboard(nullptr)) {
    ::EmptyClipboard();
    ::CloseClipboard();
  }
}

TEST(ErrorsDialogTest, ShowsTheTextReadOnlyAndCopiesIt) {
  const std::wstring text =
      L"Line 3 of \"first.scm\": bad rule\r\nLine 7 of \"second.scm\": no version";
  EmptyTheClipboard();
  std::wstring caption, shown, copied;
  bool read_only = false, visible = false, open_after_copy = false, white = false,
       transparent = false;
  DWORD selection_after_copy = 1;
  DialogDriver driver([&](HWND dialog) {
    visible = ::IsWindowVisible(dialog) != FALSE;
    caption = WindowText(dialog);
    HWND edit = ::GetDlgItem(dialog, IDC_SCHEME_ERRORS_TEXT);
    shown = WindowText(edit);
    read_only = (::GetWindowLongPtrW(edit, GWL_STYLE) & ES_READONLY) != 0;
    // The colour request the read-only edit sends its parent comes back to
    // the edit, which keeps a white background.
    HDC dc = ::GetDC(edit);
    white = ::SendMessageW(dialog, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                           reinterpret_cast<LPARAM>(edit)) ==
            reinterpret_cast<LRESULT>(::GetStockObject(WHITE_BRUSH));
    transparent = ::GetBkMode(dc) == TRANSPARENT;
    ::ReleaseDC(edit, dc);

    ::SendMessageW(::GetDlgItem(dialog, IDC_SCHEME_ERRORS_COPY), BM_CLICK, 0, 0);
    copied = ClipboardText();
    open_after_copy = ::IsWindow(dialog) && ::IsWindowVisible(dialog);
    DWORD start = 0, end = 0;
    ::SendMessageW(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&start),
                   reinterpret_cast<LPARAM>(&end));
    selection_after_copy = end - start;
    ::PostMessageW(dialog, WM_KEYDOWN, VK_ESCAPE, 0);
  });
  EXPECT_EQ(ErrorsDialog(text).DoModal(nullptr), 2);
  EXPECT_EQ(driver.seen(), 1);
  EXPECT_TRUE(visible);
  EXPECT_EQ(caption, L"Canonical Scheme Errors");
  EXPECT_EQ(shown, text);
  EXPECT_TRUE(read_only);
  EXPECT_TRUE(white);
  EXPECT_TRUE(transparent);
  EXPECT_EQ(copied, text);
  EXPECT_TRUE(open_after_copy);
  EXPECT_EQ(selection_after_copy, 0u) << "nothing stays selected";
}

TEST(ErrorsDialogTest, OkAndCancelEndTheDialog) {
  {
    DialogDriver driver([](HWND dialog) { ::PostMessageW(dialog, WM_COMMAND, IDOK, 0); });
    EXPECT_EQ(ErrorsDialog(L"one error").DoModal(nullptr), 1);
  }
  {
    DialogDriver driver([](HWND dialog) {
      ::SendMessageW(::GetDlgItem(dialog, IDCANCEL), BM_CLICK, 0, 0);
    });
    EXPECT_EQ(ErrorsDialog(L"one error").DoModal(nullptr), 2);
  }
}

}  // namespace
}  // namespace ime_t13n
