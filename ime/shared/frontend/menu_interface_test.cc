#include "ime/shared/frontend/menu_interface.h"

#include <windows.h>

#include <cwchar>
#include <initializer_list>

#include "gtest/gtest.h"
#include "ime/shared/base/gdi_objects.h"
#include "ime/shared/frontend/popup_test_helpers.h"

namespace ime_shared {
namespace frontend {
namespace {

// The open pop-up menu of this thread, or null.
HWND OpenMenuWindow() {
  HWND found = nullptr;
  ::EnumThreadWindows(
      ::GetCurrentThreadId(),
      [](HWND window, LPARAM lparam) -> BOOL {
        wchar_t name[16] = {};
        ::GetClassNameW(window, name, 16);
        if (std::wcscmp(name, L"#32768") == 0 && ::IsWindowVisible(window)) {
          *reinterpret_cast<HWND*>(lparam) = window;
          return FALSE;
        }
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&found));
  return found;
}

// Keys for the menu that is open, sent from a timer that fires inside the
// menu's own loop.
UINT g_keys[4];
int g_key_count = 0;
int g_keys_sent = 0;

void CALLBACK PressKeys(HWND, UINT, UINT_PTR timer, DWORD) {
  HWND menu = OpenMenuWindow();
  if (menu == nullptr || g_keys_sent >= g_key_count) return;
  ::PostMessageW(menu, WM_KEYDOWN, g_keys[g_keys_sent++], 0);
}

class SystemMenuTrackerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    owner_.Reset(::CreateWindowExW(0, L"STATIC", L"menu owner", WS_POPUP | WS_VISIBLE, 50, 50,
                                   100, 40, nullptr, nullptr, nullptr, nullptr));
    ASSERT_TRUE(owner_);
    menu_.Reset(::CreatePopupMenu());
    ASSERT_TRUE(menu_);
    ::AppendMenuW(menu_.Get(), MF_STRING, 501, L"First");
    ::AppendMenuW(menu_.Get(), MF_STRING, 502, L"Second");
  }
  UINT TrackWithKeys(std::initializer_list<UINT> keys) {
    g_key_count = 0;
    g_keys_sent = 0;
    for (UINT key : keys) g_keys[g_key_count++] = key;
    const UINT_PTR timer = ::SetTimer(nullptr, 0, 30, &PressKeys);
    const UINT choice =
        SystemMenuTracker()->Track(menu_.Get(), TPM_LEFTALIGN, POINT{60, 60}, owner_.Get(),
                                   nullptr);
    ::KillTimer(nullptr, timer);
    return choice;
  }

  base::ScopedWindow owner_;
  base::ScopedMenu menu_;
};

TEST_F(SystemMenuTrackerTest, AnswersTheChosenItemOrNothing) {
  EXPECT_EQ(TrackWithKeys({VK_DOWN, VK_DOWN, VK_RETURN}), 502u);
  EXPECT_EQ(TrackWithKeys({VK_ESCAPE}), 0u);
  EXPECT_EQ(SystemMenuTracker()->Track(nullptr, 0, POINT{0, 0}, owner_.Get(), nullptr), 0u);
}

}  // namespace
}  // namespace frontend
}  // namespace ime_shared
