#include "ime/t13n/frontend/scheme_error_reporter.h"

#include <windows.h>

#include <string>
#include <vector>

#include "gtest/gtest.h"
#include "ime/shared/frontend/popup_test_helpers.h"
#include "ime/shared/testing/child_process.h"
#include "ime/t13n/frontend/t13n_windows_resources.h"
#include "ime/t13n/frontend/window_test_helpers.h"

namespace ime_t13n {
namespace {

using ime_shared::testing_helpers::PumpMessagesFor;
using ime_shared::testing_helpers::PumpMessagesUntil;
using testing_helpers::DialogDriver;
using testing_helpers::ThreadWindowsOfClass;
using testing_helpers::WindowText;
using Texts = std::vector<std::wstring>;

// The errors dialogs the reporter opens, each read and closed.
struct ShownDialogs {
  Texts texts;
  std::vector<HWND> owners;
  Texts captions;
};

TEST(SchemeErrorReporterTest, DefaultReporterShowsATextOnceAfterTheDispatch) {
  const std::wstring text = L"Line 1 of \"" + ime_testing::UniqueName(L"once") +
                            L".scm\": bad rule\r\nLine 2: no version";
  // The window active when the dialog opens owns it.
  ime_shared::base::ScopedWindow owner(::CreateWindowExW(
      0, L"STATIC", L"owner", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 40, 40, 200, 100, nullptr,
      nullptr, nullptr, nullptr));
  ASSERT_TRUE(owner);
  ::SetForegroundWindow(owner.Get());
  ::SetActiveWindow(owner.Get());
  ShownDialogs shown;
  DialogDriver driver([&](HWND dialog) {
    shown.captions.push_back(WindowText(dialog));
    shown.texts.push_back(WindowText(::GetDlgItem(dialog, IDC_SCHEME_ERRORS_TEXT)));
    shown.owners.push_back(::GetWindow(dialog, GW_OWNER));
    ::PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
  });
  EXPECT_TRUE(ReportSchemeErrorsOnce(DeferredSchemeErrorReporter(), text));
  EXPECT_FALSE(ReportSchemeErrorsOnce(DeferredSchemeErrorReporter(), text)) << "once a process";
  // The dispatch that reported it has not returned yet: nothing is open.
  EXPECT_TRUE(ThreadWindowsOfClass(L"#32770").empty());

  // The dialog opens at the next pump; the owner is made active again
  // right before, in case a window of another program took the desktop
  // meanwhile (the case holds the display's lock against other tests).
  ::SetForegroundWindow(owner.Get());
  ::SetActiveWindow(owner.Get());
  ASSERT_TRUE(PumpMessagesUntil([&] { return !shown.texts.empty(); }));
  PumpMessagesFor(300);
  EXPECT_EQ(shown.texts, Texts{text});
  EXPECT_EQ(shown.captions, Texts{L"Canonical Scheme Errors"});
  ASSERT_EQ(shown.owners.size(), 1u);
  EXPECT_EQ(shown.owners[0], owner.Get());
}

TEST(SchemeErrorReporterTest, TextsReportedTogetherAreShownOneAfterTheOther) {
  const std::wstring first = L"first " + ime_testing::UniqueName(L"errors");
  const std::wstring second = L"second " + ime_testing::UniqueName(L"errors");
  ShownDialogs shown;
  DialogDriver driver([&](HWND dialog) {
    shown.texts.push_back(WindowText(::GetDlgItem(dialog, IDC_SCHEME_ERRORS_TEXT)));
    // Left open a while, so that the second text's turn comes inside it.
    PumpMessagesFor(100);
    ::PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
  });
  EXPECT_TRUE(ReportSchemeErrorsOnce(DeferredSchemeErrorReporter(), first));
  EXPECT_TRUE(ReportSchemeErrorsOnce(DeferredSchemeErrorReporter(), second));
  ASSERT_TRUE(PumpMessagesUntil([&] { return shown.texts.size() >= 2; }));
  PumpMessagesFor(300);
  EXPECT_EQ(shown.texts, (Texts{first, second}));
  EXPECT_EQ(driver.most_open(), 1u) << "never two at once";
}

}  // namespace
}  // namespace ime_t13n
