// Second process of the flags tests: parses its own command line with
// ParseFlags() and prints what it set, as
//
//   wide_argv=<0|1>
//   result=<r> wait_pid=<n> flag=<0|1> action=<text>
//
// where wide_argv tells whether the run-time library's wide arguments were
// there to parse. The messages ParseFlags writes to the standard error
// stream come between the two lines, in the same output.
//
// With the positional argument "no-wide-argv" anywhere on its command line
// it first drops the wide arguments, as a run-time library does that fills
// only the narrow ones for a program entered through main (Wine's fills
// both), so that ParseFlags splits the command line itself.
//
// Built twice: flags_test_child is entered through main,
// flags_wide_test_child (FLAGS_TEST_CHILD_WIDE_MAIN, linked with -municode)
// through wmain.
#include <io.h>
#include <windows.h>
#include <stdlib.h>

#include <cstdio>
#include <cwchar>

#include "ime/shared/flags.h"

IME_DEFINE_INT_FLAG(wait_pid, 0, L"ime\\shared\\flags_test_child", L"A process id.");
IME_DEFINE_BOOL_FLAG(flag, true, L"ime\\shared\\flags_test_child", L"A switch.");
IME_DEFINE_STRING_FLAG(action, L"", L"ime\\shared\\flags_test_child", L"");

namespace {

int Run() {
  // The error messages join the standard output the test reads.
  _dup2(_fileno(stdout), _fileno(stderr));
  if (std::wcsstr(::GetCommandLineW(), L" no-wide-argv") != nullptr) {
    __wargv = nullptr;
  }
  std::printf("wide_argv=%d\n", __wargv != nullptr ? 1 : 0);
  std::fflush(stdout);
  const int result = ime_shared::ParseFlags();
  std::printf("result=%d wait_pid=%d flag=%d action=%ls\n", result,
              static_cast<int>(FLAGS_wait_pid), FLAGS_flag ? 1 : 0,
              FLAGS_action);
  std::fflush(stdout);
  return 0;
}

}  // namespace

#ifdef FLAGS_TEST_CHILD_WIDE_MAIN
int wmain(int, wchar_t**) { return Run(); }
#else
int main(int, char**) { return Run(); }
#endif
