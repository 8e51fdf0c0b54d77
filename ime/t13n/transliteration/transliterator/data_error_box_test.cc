#include "ime/t13n/transliteration/transliterator/data_error_box.h"

#include <windows.h>

#include <string>

#include "gtest/gtest.h"
#include "ime/shared/base/module_call_scope.h"
#include "ime/shared/string_utils.h"
#include "ime/shared/testing/child_process.h"
#include "ime/shared/testing/debug_log.h"
#include "ime/t13n/transliteration/transliterator/language_data_test_helpers.h"

namespace ime_t13n {
namespace {

using ime_shared::base::ModuleCallScope;
using testing_helpers::RecordingErrorBox;

// A box runs a message loop in which the application may call the module
// again: boxes wait for the module's calls to return, and one is open at a
// time in the process.
TEST(DeferredErrorBoxTest, OneBoxAtATimeAndOnlyOnceTheModulesCallsReturned) {
  RecordingErrorBox target;
  DeferredErrorBox box(&target);
  const std::wstring unique = ime_testing::UniqueName(L"box");

  // Outside any module call, at once.
  EXPECT_EQ(box.Show(nullptr, L"first", L"caption", MB_OK), IDOK);
  EXPECT_EQ(target.shown, 1);

  // Inside, once the outermost call has returned; a second request while
  // the first waits is not shown, and says so in the log.
  {
    ModuleCallScope outer;
    {
      ModuleCallScope inner;
      EXPECT_EQ(box.Show(nullptr, L"second", L"caption", MB_ICONERROR),
                IDOK);
    }
    EXPECT_EQ(target.shown, 1);
    EXPECT_EQ(box.Show(nullptr, unique + L" waiting", L"caption", MB_OK), 0);
  }
  EXPECT_EQ(target.shown, 2);
  EXPECT_EQ(target.text, L"second");
  EXPECT_EQ(target.type, static_cast<UINT>(MB_ICONERROR));

  // While a box is open, no other box of the process opens, whether asked
  // for from the box's own message loop or through another DeferredErrorBox.
  RecordingErrorBox other_target;
  DeferredErrorBox other(&other_target);
  target.while_open = [&] {
    EXPECT_EQ(box.Show(nullptr, unique + L" open", L"caption", MB_OK), 0);
    ModuleCallScope call;
    EXPECT_EQ(other.Show(nullptr, unique + L" other", L"caption", MB_OK), 0);
  };
  EXPECT_EQ(box.Show(nullptr, L"third", L"caption", MB_OK), IDOK);
  EXPECT_EQ(target.shown, 3);
  EXPECT_EQ(other_target.shown, 0);
  for (const wchar_t* what : {L" waiting", L" open", L" other"}) {
    EXPECT_EQ(ime_testing::DebugLogLinesWith(
                  {"another error box is open",
                   ime_shared::WideToUtf8(unique + what)})
                  .size(),
              1u)
        << ime_shared::WideToUtf8(what);
  }

  // Once it is closed, the next one opens.
  target.while_open = nullptr;
  EXPECT_EQ(other.Show(nullptr, L"fourth", L"caption", MB_OK), IDOK);
  EXPECT_EQ(other_target.shown, 1);
}

}  // namespace
}  // namespace ime_t13n
