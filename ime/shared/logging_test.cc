#include "ime/shared/logging.h"

#include <windows.h>

#include <cstdlib>
#include <set>
#include <string>
#include <vector>

#include "gtest/gtest.h"
#include "ime/shared/base/scoped_handle.h"
#include "ime/shared/string_utils.h"
#include "ime/shared/testing/child_process.h"
#include "ime/shared/testing/temp_dir.h"

namespace ime_shared {
namespace {

using ime_testing::ProgramDirectory;
using ime_testing::ReadFileBytes;
using ime_testing::TempDir;

std::tm Time(int month, int day, int hour, int minute, int second) {
  std::tm time = {};
  time.tm_mon = month - 1;
  time.tm_mday = day;
  time.tm_hour = hour;
  time.tm_min = minute;
  time.tm_sec = second;
  return time;
}

TEST(LogPrefixTest, DateAndTimeArePaddedAndTheFileIsItsBaseName) {
  EXPECT_EQ(FormatLogPrefix(42, Time(3, 5, 9, 7, 3), LOG_WARNING,
                            "C:\\src\\ime\\shared\\file.cc", 12),
            "[42:0305/090703:WARNING:file.cc(12)] ");
  EXPECT_EQ(FormatLogPrefix(4294967295u, Time(12, 31, 23, 59, 59), LOG_FATAL,
                            "top-n-inl", 274),
            "[4294967295:1231/235959:FATAL:top-n-inl(274)] ");
  // The build's own paths use forward slashes.
  EXPECT_EQ(FormatLogPrefix(7, Time(1, 1, 0, 0, 0), LOG_INFO, "/src/ime/a.cc", 1),
            "[7:0101/000000:INFO:a.cc(1)] ");
  EXPECT_EQ(FormatLogPrefix(7, Time(1, 1, 0, 0, 0), LOG_ERROR, "dir\\", 0),
            "[7:0101/000000:ERROR:(0)] ");
}

// Sets an environment variable for the child processes of a test.
class ScopedEnvironment {
 public:
  ScopedEnvironment(const wchar_t* name, const std::wstring& value) : name_(name) {
    wchar_t old[32768];
    const DWORD length = ::GetEnvironmentVariableW(name, old, ARRAYSIZE(old));
    had_ = length > 0 && length < ARRAYSIZE(old);
    if (had_) old_.assign(old, length);
    ::SetEnvironmentVariableW(name, value.c_str());
  }
  ~ScopedEnvironment() {
    ::SetEnvironmentVariableW(name_, had_ ? old_.c_str() : nullptr);
  }

 private:
  const wchar_t* name_;
  bool had_;
  std::wstring old_;
};

// Runs |program| with |arguments| and returns its exit code (-1 when it
// could not be started or did not end in time). With |debug| this process
// is its debugger: every breakpoint is counted and continued.
int RunProgram(const std::wstring& program, const std::wstring& arguments,
               bool debug = false, int* breakpoints = nullptr) {
  std::wstring command_line = L"\"" + program + L"\" " + arguments;
  STARTUPINFOW startup = {};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION info = {};
  if (!::CreateProcessW(program.c_str(), &command_line[0], nullptr, nullptr,
                        FALSE, debug ? DEBUG_ONLY_THIS_PROCESS : 0, nullptr,
                        nullptr, &startup, &info)) {
    return -1;
  }
  base::ScopedHandle process(info.hProcess);
  base::ScopedHandle thread(info.hThread);
  if (debug) {
    int count = 0;
    bool running = true;
    while (running) {
      DEBUG_EVENT event = {};
      if (!::WaitForDebugEvent(&event, 30000) || count > 10) {
        ::TerminateProcess(process.Get(), 255);
        return -1;
      }
      DWORD status = DBG_CONTINUE;
      switch (event.dwDebugEventCode) {
        case CREATE_PROCESS_DEBUG_EVENT:
          if (event.u.CreateProcessInfo.hFile) ::CloseHandle(event.u.CreateProcessInfo.hFile);
          break;
        case LOAD_DLL_DEBUG_EVENT:
          if (event.u.LoadDll.hFile) ::CloseHandle(event.u.LoadDll.hFile);
          break;
        case EXCEPTION_DEBUG_EVENT:
          if (event.u.Exception.ExceptionRecord.ExceptionCode == EXCEPTION_BREAKPOINT) {
            ++count;
          } else {
            status = DBG_EXCEPTION_NOT_HANDLED;
          }
          break;
        case EXIT_PROCESS_DEBUG_EVENT:
          running = false;
          break;
      }
      ::ContinueDebugEvent(event.dwProcessId, event.dwThreadId, status);
    }
    if (breakpoints != nullptr) *breakpoints = count;
  }
  if (::WaitForSingleObject(process.Get(), 30000) != WAIT_OBJECT_0) {
    ::TerminateProcess(process.Get(), 255);
    return -1;
  }
  DWORD code = 0;
  ::GetExitCodeProcess(process.Get(), &code);
  return static_cast<int>(code);
}

// The logging tests run in child processes whose temporary folder is a
// folder of the test's own.
class LoggingTest : public ::testing::Test {
 protected:
  LoggingTest() : tmp_(L"TMP", dir_.path()), temp_(L"TEMP", dir_.path()) {}

  // The log file's lines, each with its line ending.
  std::vector<std::string> LogLines(const std::wstring& folder) {
    std::string bytes;
    if (!ReadFileBytes(folder + L"debug.log", &bytes)) return {};
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < bytes.size()) {
      const size_t end = bytes.find('\n', start);
      const size_t stop = end == std::string::npos ? bytes.size() : end + 1;
      lines.push_back(bytes.substr(start, stop - start));
      start = stop;
    }
    return lines;
  }

  // Checks "[<pid>:<MMDD>/<hhmmss>:" at the start and returns the rest.
  std::string AfterTime(const std::string& line, const std::string& pid) {
    const std::string start = "[" + pid + ":";
    EXPECT_EQ(line.compare(0, start.size(), start), 0) << line;
    const std::string time = line.substr(start.size(), 12);
    for (size_t i = 0; i < time.size(); ++i) {
      const bool ok = i == 4 ? time[i] == '/' : i == 11 ? time[i] == ':' : isdigit(time[i]);
      EXPECT_TRUE(ok) << line;
    }
    const int month = std::atoi(time.substr(0, 2).c_str());
    EXPECT_TRUE(month >= 1 && month <= 12) << line;
    return line.substr(start.size() + 12);
  }

  // Copies the helper program into the test's folder under |name|.
  std::wstring CopyHelper(const wchar_t* name) {
    const std::wstring target = dir_.path() + name;
    EXPECT_TRUE(::CopyFileW((ProgramDirectory() + L"logging_test_child.exe").c_str(),
                            target.c_str(), FALSE));
    return target;
  }

  TempDir dir_;
  ScopedEnvironment tmp_;
  ScopedEnvironment temp_;
};

TEST_F(LoggingTest, LinesAreAppendedWithPrefixAndEndInCrCrLf) {
  for (int run = 1; run <= 2; ++run) {
    std::string output;
    ASSERT_EQ(ime_testing::RunChild(L"logging_test_child", L"lines", &output), 0);
    // "<pid> <line>" three times, one a line.
    for (char& c : output) {
      if (c == '\r' || c == '\n') c = ' ';
    }
    std::vector<std::string> printed;
    SplitStringUsing(output, &printed);
    ASSERT_EQ(printed.size(), 6u) << output;
    const std::vector<std::string> lines = LogLines(dir_.path());
    ASSERT_EQ(lines.size(), 3u * run) << "the file is appended to";
    const std::string& pid = printed[0];
    EXPECT_EQ(AfterTime(lines[3 * run - 3], pid),
              "INFO:logging_test_child.cc(" + printed[1] + ")] first 1\r\r\n");
    EXPECT_EQ(AfterTime(lines[3 * run - 2], pid),
              "WARNING:logging_test_child.cc(" + printed[3] + ")] second\r\r\n");
    EXPECT_EQ(AfterTime(lines[3 * run - 1], pid),
              "ERROR:top-n-inl(274)] \xE0\xA4\xA8 third\r\r\n");
  }
}

TEST_F(LoggingTest, ThreadsLoggingTheirFirstLinesAtOnce) {
  constexpr int kThreads = 8, kLines = 100;
  for (int run = 1; run <= 2; ++run) {
    ASSERT_EQ(ime_testing::RunChild(L"logging_test_child",
                                    L"race " + std::to_wstring(kThreads) + L" " +
                                        std::to_wstring(kLines)),
              0);
  }
  const std::vector<std::string> lines = LogLines(dir_.path());
  ASSERT_EQ(lines.size(), 2u * kThreads * kLines);
  std::multiset<std::string> messages;
  for (const std::string& line : lines) {
    const size_t end = line.find(")] ");
    ASSERT_NE(end, std::string::npos) << line;
    ASSERT_EQ(line.substr(line.size() - 3), "\r\r\n") << line;
    messages.insert(line.substr(end + 3, line.size() - end - 6));
  }
  for (int t = 0; t < kThreads; ++t) {
    for (int i = 0; i < kLines; ++i) {
      EXPECT_EQ(messages.count("thread " + std::to_string(t) + " line " +
                               std::to_string(i)),
                2u);
    }
  }
}

TEST_F(LoggingTest, LongTemporaryFolderMovesTheLogBesideTheExecutable) {
  const std::wstring host = CopyHelper(L"host.exe");
  const std::wstring long_folder = L"C:\\" + std::wstring(300, L'x') + L"\\";
  ScopedEnvironment tmp(L"TMP", long_folder);
  ScopedEnvironment temp(L"TEMP", long_folder);
  ASSERT_EQ(RunProgram(host, L"lines"), 0);
  EXPECT_EQ(LogLines(dir_.path()).size(), 3u);
}

TEST_F(LoggingTest, FatalWithoutDebugMessageShowsTheBoxAndExitsWithOne) {
  std::string output;
  ASSERT_EQ(ime_testing::RunChild(L"logging_test_child", L"fatal", &output), 1);
  const std::vector<std::string> lines = LogLines(dir_.path());
  ASSERT_EQ(lines.size(), 1u);
  ASSERT_EQ(lines[0].substr(lines[0].size() - 3), "\r\r\n");
  const std::string message = lines[0].substr(0, lines[0].size() - 3);
  EXPECT_NE(message.find(":FATAL:logging_test_child.cc("), std::string::npos);
  EXPECT_EQ(message.substr(message.size() - 13), ")] going down");
  // The box shows the line without its ending; nothing runs after it.
  EXPECT_EQ(output, "box|Fatal error|" + message + "\r\n");
}

TEST_F(LoggingTest, FatalRunsDebugMessageBesideTheHost) {
  const std::wstring host = CopyHelper(L"host.exe");
  CopyHelper(L"DebugMessage.exe");
  ASSERT_EQ(RunProgram(host, L"fatal"), 1);
  const std::vector<std::string> lines = LogLines(dir_.path());
  ASSERT_EQ(lines.size(), 1u);
  std::string shown;
  ASSERT_TRUE(ReadFileBytes(dir_.path() + L"shown.txt", &shown))
      << "DebugMessage.exe was not run to the end";
  // Its whole command line is the message.
  EXPECT_EQ(shown + "\r\r\n", lines[0]);
}

TEST_F(LoggingTest, FatalUnderADebuggerBreaksAndGoesOn) {
  int breakpoints = 0;
  EXPECT_EQ(RunProgram(ProgramDirectory() + L"logging_test_child.exe", L"fatal",
                       /*debug=*/true, &breakpoints),
            0)
      << "the program must go on after the log statement, without the box";
  // The loader's initial breakpoint, then the FATAL line's.
  EXPECT_EQ(breakpoints, 2);
  EXPECT_EQ(LogLines(dir_.path()).size(), 1u);
}

class RecordingRunner : public ProgramRunnerInterface {
 public:
  explicit RecordingRunner(bool starts) : starts_(starts) {}
  bool RunAndWait(const std::wstring& program, const std::wstring& command_line) override {
    calls.push_back(program + L"|" + command_line);
    return starts_;
  }
  std::vector<std::wstring> calls;

 private:
  bool starts_;
};

class RecordingMessageBox : public MessageBoxInterface {
 public:
  void ShowError(const std::wstring& text, const std::wstring& caption) override {
    calls.push_back(caption + L"|" + text);
  }
  std::vector<std::wstring> calls;
};

TEST(DisplayFatalMessageTest, ProgramBesideTheHostElseTheBox) {
  const std::wstring program = ProgramDirectory() + L"DebugMessage.exe";
  RecordingRunner starts(true), fails(false);
  RecordingMessageBox box;

  SetFatalMessageSeams(&starts, &box);
  DisplayFatalMessage("x \xE0\xA4\xA8");
  EXPECT_EQ(starts.calls, std::vector<std::wstring>{program + L"|x \x0928"});
  EXPECT_TRUE(box.calls.empty());

  SetFatalMessageSeams(&fails, &box);
  DisplayFatalMessage("[1:0101/000000:FATAL:a.cc(1)] oops");
  EXPECT_EQ(fails.calls.size(), 1u);
  EXPECT_EQ(box.calls, std::vector<std::wstring>{
                           L"Fatal error|[1:0101/000000:FATAL:a.cc(1)] oops"});

  DisplayFatalMessage("");
  EXPECT_EQ(fails.calls.size(), 1u);
  EXPECT_EQ(box.calls.size(), 1u);
  SetFatalMessageSeams(nullptr, nullptr);
}

}  // namespace
}  // namespace ime_shared
