// Starts a helper program that lies beside the running test program, so that
// cross-process behaviour is tested with two real processes.
#ifndef IME_SHARED_TESTING_CHILD_PROCESS_H_
#define IME_SHARED_TESTING_CHILD_PROCESS_H_

#include <windows.h>

#include <string>
#include <thread>

#include "gtest/gtest.h"
#include "ime/shared/base/scoped_handle.h"

namespace ime_testing {

// The folder of the running program, with a trailing backslash.
std::wstring ProgramDirectory();

// True when the program runs under Wine, for the few checks where Wine's
// implementation differs from Windows (a stub that reports success).
bool RunningUnderWine();

// A name unique to this process and call, for named kernel objects.
std::wstring UniqueName(const wchar_t* prefix);

class ChildProcess {
 public:
  ChildProcess() = default;
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;
  ~ChildProcess();

  // Starts "<program directory>\<program>.exe <arguments>", collecting what
  // it writes to its standard output. When it could not be started, the
  // result says why (the step that failed and its Win32 error), which
  // ASSERT_TRUE(child.Start(...)) prints. A start refused for want of memory
  // or system resources, or because something was busy, is tried again up
  // to 5 times, 200 ms apart: under the load of a whole test run such
  // refusals pass. Any other error (a missing program) fails at once.
  ::testing::AssertionResult Start(const std::wstring& program,
                                   const std::wstring& arguments);

  // Waits up to |timeout_ms| and returns the exit code; -1 on a time-out
  // (the process is then killed) or when nothing was started.
  int Wait(DWORD timeout_ms = 30000);

  // What the program wrote to its standard output; complete after Wait.
  const std::string& output() const { return output_; }

  HANDLE handle() const { return process_.Get(); }

 private:
  // One attempt at starting |path|: ERROR_SUCCESS, or the Win32 error of the
  // call named in |*failed_call|.
  DWORD TryStart(const std::wstring& path, const std::wstring& arguments,
                 const char** failed_call);

  ime_shared::base::ScopedHandle process_;
  std::thread reader_;
  std::string output_;
};

// Starts the program, waits for it and returns its exit code (-1 when it
// could not be started or timed out); |output| receives its standard output,
// or why it could not be started.
int RunChild(const std::wstring& program, const std::wstring& arguments,
             std::string* output = nullptr, DWORD timeout_ms = 30000);

}  // namespace ime_testing

#endif  // IME_SHARED_TESTING_CHILD_PROCESS_H_
