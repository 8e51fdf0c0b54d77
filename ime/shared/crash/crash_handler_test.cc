#include "ime/shared/crash/crash_handler.h"

#include <cstdio>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "gtest/gtest.h"
#include "ime/shared/crash/crash_test_helpers.h"
#include "ime/shared/testing/child_process.h"
#include "ime/shared/testing/scratch_registry_key.h"
#include "ime/shared/testing/temp_dir.h"

namespace ime_shared {
namespace {

using crash_testing::FilesIn;
using crash_testing::FixedDate;
using crash_testing::ImageBaseOf;
using crash_testing::RaiseTestException;
using crash_testing::ReadDumpStreams;
using crash_testing::ReadU32;
using crash_testing::ScopedRegistryValue;

const char kMarker = 0;
const void* ThisProgram() { return ImageBaseOf(&kMarker); }

// The known folder of low-integrity per-user data, by its value name under
// the user's shell folders.
const wchar_t kShellFoldersPath[] =
    L"\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders";
const wchar_t kLocalAppDataLowValue[] = L"{A520A1A4-1780-4FF6-BD18-167343C5AF16}";
const wchar_t kProductFolder[] = L"\\Tarvel\\Tarvel Hindi Input";

std::wstring WithoutTrailingSlash(const std::wstring& path) {
  return path.substr(0, path.size() - 1);
}

bool IsDumpId(const std::wstring& id) {
  if (id.size() != 36) return false;
  for (size_t i = 0; i < id.size(); ++i) {
    const bool dash = i == 8 || i == 13 || i == 18 || i == 23;
    const wchar_t c = id[i];
    if (dash ? c != L'-' : !((c >= L'0' && c <= L'9') || (c >= L'a' && c <= L'f'))) {
      return false;
    }
  }
  return true;
}

LPTOP_LEVEL_EXCEPTION_FILTER CurrentFilter() {
  const LPTOP_LEVEL_EXCEPTION_FILTER filter = ::SetUnhandledExceptionFilter(nullptr);
  ::SetUnhandledExceptionFilter(filter);
  return filter;
}

_invalid_parameter_handler CurrentInvalidParameterHandler() {
  const _invalid_parameter_handler handler = SetRuntimeInvalidParameterHandler(nullptr);
  SetRuntimeInvalidParameterHandler(handler);
  return handler;
}

_purecall_handler CurrentPureCallHandler() {
  const _purecall_handler handler = SetRuntimePureCallHandler(nullptr);
  SetRuntimePureCallHandler(handler);
  return handler;
}

// What the handlers and hooks of one test saw, in order.
std::vector<std::string> g_events;

// The handler's context in these tests: the seams, plus the answers the
// test callbacks give and what they were shown.
struct TestContext : CrashSeams {
  explicit TestContext(const char* name = "filter") : name(name) {}
  const char* name;
  bool filter_answer = false;
  bool after_dump_answer = true;

  struct AfterDump {
    std::wstring folder;
    std::wstring id;
    bool written;
  };
  mutable int filter_calls = 0;
  mutable bool had_assertion = false;
  mutable CrashAssertion assertion = {};
  mutable DWORD exception_code = 0;
  mutable const void* exception_address = nullptr;
  mutable std::vector<AfterDump> after_dumps;
};

bool TestFilter(const CrashSeams* seams, EXCEPTION_POINTERS* exception,
                const CrashAssertion* assertion) {
  const auto* context = static_cast<const TestContext*>(seams);
  ++context->filter_calls;
  g_events.push_back(context->name);
  context->had_assertion = assertion != nullptr;
  if (assertion != nullptr) context->assertion = *assertion;
  if (exception != nullptr && exception->ExceptionRecord != nullptr) {
    context->exception_code = exception->ExceptionRecord->ExceptionCode;
    context->exception_address = exception->ExceptionRecord->ExceptionAddress;
  }
  return context->filter_answer;
}

bool RecordingAfterDump(const wchar_t* folder, const wchar_t* id, const CrashSeams* seams,
                        EXCEPTION_POINTERS* exception, const CrashAssertion* assertion,
                        bool written) {
  const auto* context = static_cast<const TestContext*>(seams);
  context->after_dumps.push_back({folder, id, written});
  return context->after_dump_answer;
}

constexpr LONG kPreviousFilterAnswer = 7;

LONG WINAPI TestPreviousFilter(EXCEPTION_POINTERS* exception) {
  g_events.push_back("previous filter");
  return kPreviousFilterAnswer;
}

struct InvalidParameterCall {
  std::wstring expression, function, file;
  unsigned int line;
};
std::vector<InvalidParameterCall> g_previous_invalid_parameter_calls;

void __cdecl TestPreviousInvalidParameter(const wchar_t* expression, const wchar_t* function,
                                          const wchar_t* file, unsigned int line, uintptr_t) {
  g_events.push_back("previous invalid parameter");
  g_previous_invalid_parameter_calls.push_back(
      {expression ? expression : L"", function ? function : L"", file ? file : L"", line});
}

void __cdecl TestPreviousPureCall() { g_events.push_back("previous pure call"); }

// Puts the process's filter and runtime handlers back at the end.
class ScopedHooks {
 public:
  explicit ScopedHooks(LPTOP_LEVEL_EXCEPTION_FILTER filter)
      : filter_(::SetUnhandledExceptionFilter(filter)),
        invalid_parameter_(CurrentInvalidParameterHandler()),
        pure_call_(CurrentPureCallHandler()) {
    g_events.clear();
    g_previous_invalid_parameter_calls.clear();
  }
  ~ScopedHooks() {
    ::SetUnhandledExceptionFilter(filter_);
    SetRuntimeInvalidParameterHandler(invalid_parameter_);
    SetRuntimePureCallHandler(pure_call_);
  }
  ScopedHooks(const ScopedHooks&) = delete;
  ScopedHooks& operator=(const ScopedHooks&) = delete;

 private:
  LPTOP_LEVEL_EXCEPTION_FILTER filter_;
  _invalid_parameter_handler invalid_parameter_;
  _purecall_handler pure_call_;
};

// Reports as the C runtime does: through the registered handlers, from
// this program's code.
__attribute__((noinline)) void ReportInvalidParameterAsTheRuntime() {
  const _invalid_parameter_handler handler = CurrentInvalidParameterHandler();
  ASSERT_NE(handler, nullptr);
  handler(L"name != nullptr", L"SetName", L"names.cc", 12, 0);
  g_events.push_back("report returned");
}

__attribute__((noinline)) void ReportPureCallAsTheRuntime() {
  const _purecall_handler handler = CurrentPureCallHandler();
  ASSERT_NE(handler, nullptr);
  handler();
  g_events.push_back("report returned");
}

EXCEPTION_RECORD RecordOf(DWORD code) {
  EXCEPTION_RECORD record = {};
  record.ExceptionCode = code;
  return record;
}

// --- One process --------------------------------------------------------

TEST(CrashHandlerTest, DumpIdAndPath) {
  ime_testing::TempDir dir;
  const std::wstring folder = WithoutTrailingSlash(dir.path());
  const LPTOP_LEVEL_EXCEPTION_FILTER before = CurrentFilter();
  CrashHandler first(folder, nullptr, nullptr, nullptr, 0, MiniDumpNormal);
  CrashHandler second(folder, nullptr, nullptr, nullptr, 0, MiniDumpNormal);

  EXPECT_TRUE(IsDumpId(first.dump_id())) << first.dump_id();
  EXPECT_NE(first.dump_id(), L"00000000-0000-0000-0000-000000000000");
  EXPECT_NE(first.dump_id(), second.dump_id());
  EXPECT_EQ(first.dump_path(), folder + L"\\" + first.dump_id() + L".dmp");
  EXPECT_EQ(first.dump_folder(), folder);
  EXPECT_NE(first.dump_thread_id(), 0u);
  // No kinds, no hooks.
  EXPECT_EQ(CurrentFilter(), before);

  // A path beyond 259 characters is no path.
  CrashHandler deep(L"C:\\" + std::wstring(230, L'a'), nullptr, nullptr, nullptr, 0,
                    MiniDumpNormal);
  EXPECT_EQ(deep.dump_path(), L"");
}

TEST(CrashHandlerTest, UnhandledExceptionIsDumpedOnceAndReported) {
  ScopedRegistryValue last_report(crash_testing::UserProductKey(), kLastReportValue);
  last_report.Delete();
  ScopedHooks hooks(&TestPreviousFilter);
  ime_testing::TempDir dir;
  const std::wstring folder = WithoutTrailingSlash(dir.path());
  const FixedDate date(20991231);
  TestContext context;
  context.date = &date;

  CrashHandler handler(folder, &CrashFilter, &RecordingAfterDump, &context,
                       kUnhandledExceptions, MiniDumpNormal);
  const LPTOP_LEVEL_EXCEPTION_FILTER hook = CurrentFilter();
  ASSERT_NE(hook, &TestPreviousFilter);

  // Raised by the system on behalf of this program (the module here): the
  // stack walk finds the program's frame.
  LONG first = -5;
  LONG second = -5;
  RaiseTestException([&](EXCEPTION_POINTERS* exception) {
    first = hook(exception);
    second = hook(exception);
  });
  EXPECT_EQ(first, EXCEPTION_EXECUTE_HANDLER);
  // Reported today already: the previous filter decides.
  EXPECT_EQ(second, kPreviousFilterAnswer);
  EXPECT_EQ(g_events, std::vector<std::string>({"previous filter"}));
  EXPECT_EQ(last_report.GetDword(), 20991231u);
  // The hook is back in place after each run.
  EXPECT_EQ(CurrentFilter(), hook);

  ASSERT_EQ(context.after_dumps.size(), 1u);
  EXPECT_EQ(context.after_dumps[0].folder, folder);
  EXPECT_EQ(context.after_dumps[0].id, handler.dump_id());
  EXPECT_TRUE(context.after_dumps[0].written);

  const auto files = FilesIn(folder);
  ASSERT_EQ(files.size(), 1u);
  EXPECT_EQ(files.begin()->first, handler.dump_id() + L".dmp");
  std::string dump;
  ASSERT_TRUE(ime_testing::ReadFileBytes(handler.dump_path(), &dump));
  std::map<uint32_t, std::string> streams;
  ASSERT_TRUE(ReadDumpStreams(dump, &streams));
  ASSERT_EQ(streams.count(kThreadInfoStreamType), 1u);
  const std::string& thread_info = streams[kThreadInfoStreamType];
  ASSERT_EQ(thread_info.size(), 12u);
  EXPECT_EQ(ReadU32(thread_info, 0), 3u);
  EXPECT_EQ(ReadU32(thread_info, 4), handler.dump_thread_id());
  EXPECT_EQ(ReadU32(thread_info, 8), ::GetCurrentThreadId());
  EXPECT_EQ(streams.count(kAssertionStreamType), 0u);
  ASSERT_EQ(streams.count(crash_testing::kExceptionStreamType), 1u);
  const std::string& exception = streams[crash_testing::kExceptionStreamType];
  EXPECT_EQ(ReadU32(exception, 0), ::GetCurrentThreadId());
  EXPECT_EQ(ReadU32(exception, 8), crash_testing::kTestExceptionCode);

  handler.Remove();
  EXPECT_EQ(CurrentFilter(), &TestPreviousFilter);
}

TEST(CrashHandlerTest, DebuggerExceptionsAndDeclinedFaultsGoToThePreviousFilter) {
  ScopedHooks hooks(&TestPreviousFilter);
  ime_testing::TempDir dir;
  const std::wstring folder = WithoutTrailingSlash(dir.path());
  TestContext context;
  context.filter_answer = false;
  {
    CrashHandler handler(folder, &TestFilter, &RecordingAfterDump, &context,
                         kUnhandledExceptions, MiniDumpNormal);
    const LPTOP_LEVEL_EXCEPTION_FILTER hook = CurrentFilter();
    CONTEXT registers = {};
    for (DWORD code : {EXCEPTION_BREAKPOINT, EXCEPTION_SINGLE_STEP}) {
      EXCEPTION_RECORD record = RecordOf(code);
      EXCEPTION_POINTERS pointers = {&record, &registers};
      EXPECT_EQ(hook(&pointers), kPreviousFilterAnswer);
    }
    // Never looked at, never dumped.
    EXPECT_EQ(context.filter_calls, 0);

    EXCEPTION_RECORD record = RecordOf(EXCEPTION_ACCESS_VIOLATION);
    EXCEPTION_POINTERS pointers = {&record, &registers};
    EXPECT_EQ(hook(&pointers), kPreviousFilterAnswer);
    EXPECT_EQ(context.filter_calls, 1);
    EXPECT_EQ(context.exception_code, static_cast<DWORD>(EXCEPTION_ACCESS_VIOLATION));
    EXPECT_TRUE(context.after_dumps.empty());
  }
  // Without a previous filter the fault goes on to the system.
  ::SetUnhandledExceptionFilter(nullptr);
  {
    CrashHandler handler(folder, &TestFilter, &RecordingAfterDump, &context,
                         kUnhandledExceptions, MiniDumpNormal);
    CONTEXT registers = {};
    EXCEPTION_RECORD record = RecordOf(EXCEPTION_ACCESS_VIOLATION);
    EXCEPTION_POINTERS pointers = {&record, &registers};
    EXPECT_EQ(CurrentFilter()(&pointers), EXCEPTION_CONTINUE_SEARCH);
  }
  EXPECT_EQ(CurrentFilter(), nullptr);
  EXPECT_TRUE(FilesIn(folder).empty());
}

TEST(CrashHandlerTest, StackedHandlersPassFaultsDownAndRemovalRestoresTheHooks) {
  ScopedHooks hooks(&TestPreviousFilter);
  SetRuntimeInvalidParameterHandler(&TestPreviousInvalidParameter);
  SetRuntimePureCallHandler(&TestPreviousPureCall);
  ime_testing::TempDir dir;
  const std::wstring folder = WithoutTrailingSlash(dir.path());
  TestContext lower("lower");
  TestContext upper("upper");

  auto* lower_handler = new CrashHandler(folder, &TestFilter, &RecordingAfterDump, &lower,
                                         kAllCrashKinds, MiniDumpNormal);
  auto* upper_handler = new CrashHandler(folder, &TestFilter, &RecordingAfterDump, &upper,
                                         kUnhandledExceptions, MiniDumpNormal);
  const LPTOP_LEVEL_EXCEPTION_FILTER hook = CurrentFilter();
  EXPECT_NE(CurrentInvalidParameterHandler(), &TestPreviousInvalidParameter);
  EXPECT_NE(CurrentPureCallHandler(), &TestPreviousPureCall);

  CONTEXT registers = {};
  EXCEPTION_RECORD record = RecordOf(EXCEPTION_ACCESS_VIOLATION);
  EXCEPTION_POINTERS pointers = {&record, &registers};
  EXPECT_EQ(hook(&pointers), kPreviousFilterAnswer);
  EXPECT_EQ(g_events, std::vector<std::string>({"upper", "lower", "previous filter"}));

  // The older handler goes first: the newer one passes faults straight to
  // what came before both.
  g_events.clear();
  delete lower_handler;
  EXPECT_EQ(CurrentFilter(), hook);
  EXPECT_EQ(CurrentInvalidParameterHandler(), &TestPreviousInvalidParameter);
  EXPECT_EQ(CurrentPureCallHandler(), &TestPreviousPureCall);
  EXPECT_EQ(hook(&pointers), kPreviousFilterAnswer);
  EXPECT_EQ(g_events, std::vector<std::string>({"upper", "previous filter"}));

  delete upper_handler;
  EXPECT_EQ(CurrentFilter(), &TestPreviousFilter);
}

TEST(CrashHandlerTest, RuntimeReportsNotClaimedGoToThePreviousHandlers) {
  ScopedHooks hooks(&TestPreviousFilter);
  ime_testing::TempDir dir;
  const std::wstring folder = WithoutTrailingSlash(dir.path());
  TestContext context;
  context.filter_answer = false;

  SetRuntimeInvalidParameterHandler(&TestPreviousInvalidParameter);
  SetRuntimePureCallHandler(&TestPreviousPureCall);
  {
    CrashHandler handler(folder, &TestFilter, &RecordingAfterDump, &context,
                         kInvalidParameters | kPureCalls, MiniDumpNormal);
    EXPECT_EQ(CurrentFilter(), &TestPreviousFilter);

    ReportInvalidParameterAsTheRuntime();
    EXPECT_EQ(g_events, std::vector<std::string>(
                            {"filter", "previous invalid parameter", "report returned"}));
    ASSERT_TRUE(context.had_assertion);
    EXPECT_EQ(std::wstring(context.assertion.expression), L"name != nullptr");
    EXPECT_EQ(std::wstring(context.assertion.function), L"SetName");
    EXPECT_EQ(std::wstring(context.assertion.file), L"names.cc");
    EXPECT_EQ(context.assertion.line, 12u);
    EXPECT_EQ(context.assertion.kind, static_cast<uint32_t>(kInvalidParameterReport));
    // Judged where the report was made: the caller of the hook.
    EXPECT_EQ(context.exception_code, kRuntimeReportExitCode);
    EXPECT_EQ(ImageBaseOf(context.exception_address), ThisProgram());
    ASSERT_EQ(g_previous_invalid_parameter_calls.size(), 1u);
    EXPECT_EQ(g_previous_invalid_parameter_calls[0].expression, L"name != nullptr");
    EXPECT_EQ(g_previous_invalid_parameter_calls[0].line, 12u);

    g_events.clear();
    ReportPureCallAsTheRuntime();
    EXPECT_EQ(g_events,
              std::vector<std::string>({"filter", "previous pure call", "report returned"}));
    EXPECT_EQ(context.assertion.kind, static_cast<uint32_t>(kPureCallReport));
    EXPECT_EQ(std::wstring(context.assertion.expression), L"");
    EXPECT_EQ(ImageBaseOf(context.exception_address), ThisProgram());
    EXPECT_TRUE(context.after_dumps.empty());
  }
  EXPECT_EQ(CurrentInvalidParameterHandler(), &TestPreviousInvalidParameter);
  EXPECT_EQ(CurrentPureCallHandler(), &TestPreviousPureCall);

  // Nobody before: the runtime's own answer, and the report returns.
  SetRuntimeInvalidParameterHandler(nullptr);
  SetRuntimePureCallHandler(nullptr);
  {
    CrashHandler handler(folder, &TestFilter, &RecordingAfterDump, &context,
                         kInvalidParameters | kPureCalls, MiniDumpNormal);
    g_events.clear();
    ReportInvalidParameterAsTheRuntime();
    ReportPureCallAsTheRuntime();
    EXPECT_EQ(g_events, std::vector<std::string>(
                            {"filter", "report returned", "filter", "report returned"}));
  }
  EXPECT_EQ(CurrentInvalidParameterHandler(), nullptr);
  EXPECT_EQ(CurrentPureCallHandler(), nullptr);
  EXPECT_TRUE(FilesIn(folder).empty());
}

TEST(CrashHandlerTest, WriteMinidumpWritesTheStreamsAndNeverOverwrites) {
  ScopedRegistryValue last_report(crash_testing::UserProductKey(), kLastReportValue);
  last_report.Delete();
  ime_testing::TempDir dir;
  const std::wstring folder = WithoutTrailingSlash(dir.path());
  const FixedDate date(20991230);
  TestContext context;
  context.date = &date;
  context.filter_answer = true;
  CrashHandler handler(folder, &TestFilter, &RecordingAfterDump, &context, 0, MiniDumpNormal);

  CrashAssertion assertion;
  FillCrashAssertion(L"index < size", L"Lookup", L"table.cc", 99, kInvalidParameterReport,
                     &assertion);
  EXPECT_TRUE(handler.WriteMinidump(::GetCurrentThreadId(), nullptr, &assertion));
  ASSERT_EQ(context.after_dumps.size(), 1u);
  EXPECT_TRUE(context.after_dumps[0].written);
  EXPECT_EQ(last_report.GetDword(), 20991230u);

  std::string dump;
  ASSERT_TRUE(ime_testing::ReadFileBytes(handler.dump_path(), &dump));
  std::map<uint32_t, std::string> streams;
  ASSERT_TRUE(ReadDumpStreams(dump, &streams));
  const std::string& thread_info = streams[kThreadInfoStreamType];
  ASSERT_EQ(thread_info.size(), 12u);
  EXPECT_EQ(ReadU32(thread_info, 0), 3u);
  // Written on the asking thread itself here.
  EXPECT_EQ(ReadU32(thread_info, 4), ::GetCurrentThreadId());
  EXPECT_EQ(ReadU32(thread_info, 8), ::GetCurrentThreadId());
  ASSERT_EQ(streams[kAssertionStreamType].size(), sizeof(CrashAssertion));
  EXPECT_EQ(std::memcmp(streams[kAssertionStreamType].data(), &assertion, sizeof(assertion)), 0);
  // No exception, no exception stream.
  EXPECT_EQ(streams.count(crash_testing::kExceptionStreamType), 0u);

  // The file of this id exists: nothing is written over it, and the date
  // stays as it is.
  last_report.SetDword(5);
  const std::string before = dump;
  EXPECT_TRUE(handler.WriteMinidump(::GetCurrentThreadId(), nullptr, nullptr));
  ASSERT_EQ(context.after_dumps.size(), 2u);
  EXPECT_FALSE(context.after_dumps[1].written);
  ASSERT_TRUE(ime_testing::ReadFileBytes(handler.dump_path(), &dump));
  EXPECT_EQ(dump, before);
  EXPECT_EQ(last_report.GetDword(), 5u);

  // A declined fault: no callback at all.
  context.filter_answer = false;
  EXPECT_FALSE(handler.WriteMinidump(::GetCurrentThreadId(), nullptr, nullptr));
  EXPECT_EQ(context.after_dumps.size(), 2u);
  EXPECT_EQ(FilesIn(folder).size(), 1u);
}

// This process's HKEY_CURRENT_USER is |hive| while the object lives.
class ScopedUserHive {
 public:
  explicit ScopedUserHive(const std::wstring& hive_path) {
    EXPECT_EQ(::RegOpenKeyExW(HKEY_CURRENT_USER, hive_path.c_str(), 0, KEY_ALL_ACCESS, &hive_),
              ERROR_SUCCESS);
    EXPECT_EQ(::RegOverridePredefKey(HKEY_CURRENT_USER, hive_), ERROR_SUCCESS);
  }
  ~ScopedUserHive() {
    ::RegOverridePredefKey(HKEY_CURRENT_USER, nullptr);
    if (hive_ != nullptr) ::RegCloseKey(hive_);
  }
  ScopedUserHive(const ScopedUserHive&) = delete;
  ScopedUserHive& operator=(const ScopedUserHive&) = delete;

 private:
  HKEY hive_ = nullptr;
};

TEST(InstallCrashHandlerTest, InstallsOnceInTheUserCrashFolderAndRemoves) {
  ScopedHooks hooks(&TestPreviousFilter);
  ime_testing::TempDir dir;
  const std::wstring local_low = dir.path() + L"LocalLow";
  ime_testing::ScratchRegistryKey hive(HKEY_CURRENT_USER, L"CrashHive");
  ime_testing::RegistryPlace(HKEY_CURRENT_USER, hive.path() + kShellFoldersPath)
      .SetString(kLocalAppDataLowValue, local_low, REG_EXPAND_SZ);
  {
    ScopedUserHive use_hive(hive.path());
    // The per-user folder does not exist: no crash folder, no handler.
    EXPECT_FALSE(InstallCrashHandler());
    EXPECT_EQ(GetCrashHandler(), nullptr);
    EXPECT_EQ(CurrentFilter(), &TestPreviousFilter);

    ASSERT_TRUE(::CreateDirectoryW(local_low.c_str(), nullptr));
    EXPECT_TRUE(InstallCrashHandler());
    const CrashHandler* handler = GetCrashHandler();
    ASSERT_NE(handler, nullptr);
    const std::wstring crash_folder = local_low + kProductFolder + L"\\Crash";
    EXPECT_EQ(handler->dump_folder(), crash_folder);
    const DWORD attributes = ::GetFileAttributesW(crash_folder.c_str());
    EXPECT_TRUE(attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY));
    EXPECT_EQ(handler->kinds(), kAllCrashKinds);
    EXPECT_NE(CurrentFilter(), &TestPreviousFilter);

    // One handler per process.
    EXPECT_TRUE(InstallCrashHandler());
    EXPECT_EQ(GetCrashHandler(), handler);

    RemoveCrashHandler();
    EXPECT_EQ(GetCrashHandler(), nullptr);
    EXPECT_EQ(CurrentFilter(), &TestPreviousFilter);
    RemoveCrashHandler();
  }
}

// --- Two processes --------------------------------------------------------

// How long a host run may take: a crash ends it in seconds, but writing the
// dump takes Wine several and, with the other tests loading the machine,
// many more.
constexpr DWORD kHostTimeoutMs = 90000;

// The host program (crash_handler_test_child) with the stand-in module,
// a per-user folder and an installation folder of the test's own.
class CrashProcessTest : public ::testing::Test {
 protected:
  struct HostRun {
    DWORD exit_code = 0;
    std::string output;
    bool installed = false;
    std::wstring dump_id;
    DWORD thread = 0;
    DWORD dump_thread = 0;

    bool Printed(const std::string& text) const {
      return output.find(text) != std::string::npos;
    }
  };

  CrashProcessTest()
      : hive_(HKEY_CURRENT_USER, L"CrashHive"),
        install_path_(crash_testing::MachineProductKey(), L"PATH"),
        last_report_(crash_testing::UserProductKey(), kLastReportValue) {}

  void SetUp() override {
    local_low_ = temp_.path() + L"LocalLow";
    install_ = temp_.path() + L"Install";
    crash_folder_ = local_low_ + kProductFolder + L"\\Crash";
    ASSERT_TRUE(::CreateDirectoryW(local_low_.c_str(), nullptr));
    ASSERT_TRUE(::CreateDirectoryW(install_.c_str(), nullptr));
    ASSERT_EQ(ime_testing::RegistryPlace(HKEY_CURRENT_USER, hive_.path() + kShellFoldersPath)
                  .SetString(kLocalAppDataLowValue, local_low_, REG_EXPAND_SZ),
              ERROR_SUCCESS);
    install_path_.SetString(install_);
    last_report_.Delete();
  }

  void TearDown() override {
    // A reporter that was started may still be ending.
    const std::wstring reporter = install_ + L"\\CrashReport.exe";
    for (int i = 0; i < 100 && ::GetFileAttributesW(reporter.c_str()) != INVALID_FILE_ATTRIBUTES &&
                    !::DeleteFileW(reporter.c_str());
         ++i) {
      ::Sleep(50);
    }
  }

  void InstallReporter() {
    ASSERT_TRUE(::CopyFileW((ime_testing::ProgramDirectory() + L"crash_report_test_child.exe").c_str(),
                            (install_ + L"\\CrashReport.exe").c_str(), FALSE));
  }

  HostRun RunHost(const wchar_t* scenario) {
    HostRun run;
    const int code = ime_testing::RunChild(
        L"crash_handler_test_child", L"\"" + hive_.path() + L"\" " + scenario, &run.output,
        kHostTimeoutMs);
    run.exit_code = static_cast<DWORD>(code);
    run.installed = run.Printed("installed 1");
    const size_t id = run.output.find("dump_id ");
    if (id != std::string::npos) {
      const size_t end = run.output.find('\n', id);
      std::string text = run.output.substr(id + 8, end - id - 8);
      // The host's standard output is in text mode: lines end in CR LF.
      if (!text.empty() && text.back() == '\r') text.pop_back();
      run.dump_id.assign(text.begin(), text.end());
    }
    auto number_after = [&](const char* label) -> DWORD {
      const size_t at = run.output.find(label);
      return at == std::string::npos ? 0 : std::stoul(run.output.substr(at + std::strlen(label)));
    };
    run.thread = number_after("\nthread ");
    run.dump_thread = number_after("dump_thread ");
    return run;
  }

  // The parameters the started reporter recorded; the record is taken away.
  std::wstring TakeReporterRecord() {
    const std::wstring path = install_ + L"\\command_line.txt";
    if (!crash_testing::WaitForFile(path)) return L"(not started)";
    std::string bytes;
    EXPECT_TRUE(ime_testing::ReadFileBytes(path, &bytes));
    ::DeleteFileW(path.c_str());
    return std::wstring(reinterpret_cast<const wchar_t*>(bytes.data()),
                        bytes.size() / sizeof(wchar_t));
  }

  bool ReporterRecorded() const {
    return ::GetFileAttributesW((install_ + L"\\command_line.txt").c_str()) !=
           INVALID_FILE_ATTRIBUTES;
  }

  // The streams of the dump of |run|; fails the test when it is missing.
  std::map<uint32_t, std::string> DumpStreams(const HostRun& run) {
    std::map<uint32_t, std::string> streams;
    std::string dump;
    EXPECT_TRUE(ime_testing::ReadFileBytes(crash_folder_ + L"\\" + run.dump_id + L".dmp", &dump));
    EXPECT_TRUE(ReadDumpStreams(dump, &streams));
    return streams;
  }

  // Today, also when the day changed while the host ran.
  bool IsToday(DWORD date, DWORD before) const {
    return date == before || date == crash_testing::UtcToday();
  }

  ime_testing::TempDir temp_;
  ime_testing::ScratchRegistryKey hive_;
  ScopedRegistryValue install_path_;
  ScopedRegistryValue last_report_;
  std::wstring local_low_;
  std::wstring install_;
  std::wstring crash_folder_;
};

TEST_F(CrashProcessTest, ModuleFaultIsDumpedOnceADayAndReported) {
  InstallReporter();
  const DWORD today = crash_testing::UtcToday();
  const HostRun first = RunHost(L"module_fault");
  ASSERT_TRUE(first.installed) << first.output;
  EXPECT_TRUE(IsDumpId(first.dump_id));
  EXPECT_EQ(first.exit_code, static_cast<DWORD>(EXCEPTION_ACCESS_VIOLATION));
  // Claimed: the host's own filter never sees it.
  EXPECT_FALSE(first.Printed("previous filter")) << first.output;
  EXPECT_FALSE(first.Printed("survived"));

  const auto files = FilesIn(crash_folder_);
  ASSERT_EQ(files.size(), 1u);
  EXPECT_EQ(files.begin()->first, first.dump_id + L".dmp");
  auto streams = DumpStreams(first);
  const std::string& thread_info = streams[kThreadInfoStreamType];
  ASSERT_EQ(thread_info.size(), 12u);
  EXPECT_EQ(ReadU32(thread_info, 0), 3u);
  EXPECT_EQ(ReadU32(thread_info, 4), first.dump_thread);
  EXPECT_EQ(ReadU32(thread_info, 8), first.thread);
  EXPECT_NE(first.dump_thread, first.thread);
  EXPECT_EQ(streams.count(kAssertionStreamType), 0u);
  const std::string& exception = streams[crash_testing::kExceptionStreamType];
  EXPECT_EQ(ReadU32(exception, 0), first.thread);
  EXPECT_EQ(ReadU32(exception, 8), static_cast<uint32_t>(EXCEPTION_ACCESS_VIOLATION));

  EXPECT_TRUE(IsToday(last_report_.GetDword(), today)) << last_report_.GetDword();
  EXPECT_EQ(TakeReporterRecord(), L"--file_version=1.0.4.0 " + first.dump_id);

  // The same day again: no dump, no reporter; the host's filter decides.
  const HostRun second = RunHost(L"module_fault");
  ASSERT_TRUE(second.installed);
  EXPECT_NE(second.dump_id, first.dump_id);
  EXPECT_NE(second.exit_code, 0u);
  EXPECT_TRUE(second.Printed("previous filter c0000005")) << second.output;
  EXPECT_EQ(FilesIn(crash_folder_).size(), 1u);
  EXPECT_FALSE(ReporterRecorded());
}

TEST_F(CrashProcessTest, WithoutTheReporterTheFaultGoesOn) {
  const HostRun run = RunHost(L"module_fault");
  ASSERT_TRUE(run.installed) << run.output;
  EXPECT_EQ(run.exit_code, static_cast<DWORD>(EXCEPTION_ACCESS_VIOLATION));
  // The dump is there, but with nothing started the host's filter decides.
  EXPECT_TRUE(run.Printed("previous filter c0000005")) << run.output;
  const auto files = FilesIn(crash_folder_);
  ASSERT_EQ(files.size(), 1u);
  EXPECT_EQ(files.begin()->first, run.dump_id + L".dmp");
  EXPECT_NE(last_report_.GetDword(), 0u);
  // Nothing was opened in the installation folder.
  EXPECT_TRUE(FilesIn(install_).empty());
}

TEST_F(CrashProcessTest, FaultsOutsideTheModuleAreDumpedOnlyWithAModuleFrame) {
  InstallReporter();
  const HostRun host = RunHost(L"host_fault");
  ASSERT_TRUE(host.installed) << host.output;
  EXPECT_EQ(host.exit_code, static_cast<DWORD>(EXCEPTION_ACCESS_VIOLATION));
  EXPECT_TRUE(host.Printed("previous filter c0000005")) << host.output;
  EXPECT_TRUE(FilesIn(crash_folder_).empty());
  EXPECT_EQ(last_report_.GetDword(), 0u);
  EXPECT_FALSE(ReporterRecorded());

  // The host's code faults, called back from the module: the module's frame
  // lies below on the stack.
  const HostRun callback = RunHost(L"callback_fault");
  ASSERT_TRUE(callback.installed);
  EXPECT_EQ(callback.exit_code, static_cast<DWORD>(EXCEPTION_ACCESS_VIOLATION));
  EXPECT_FALSE(callback.Printed("previous filter")) << callback.output;
  const auto files = FilesIn(crash_folder_);
  ASSERT_EQ(files.size(), 1u);
  EXPECT_EQ(files.begin()->first, callback.dump_id + L".dmp");
  EXPECT_EQ(TakeReporterRecord(), L"--file_version=1.0.4.0 " + callback.dump_id);
}

TEST_F(CrashProcessTest, RuntimeReportsOfTheModuleEndTheHost) {
  InstallReporter();
  // A pure virtual call in the module's code reaches the C++ runtime's
  // entry, which the handler takes over in the module only.
  const HostRun pure = RunHost(L"module_pure_call");
  ASSERT_TRUE(pure.installed) << pure.output;
  EXPECT_EQ(pure.exit_code, kRuntimeReportExitCode);
  EXPECT_FALSE(pure.Printed("survived"));
  auto streams = DumpStreams(pure);
  ASSERT_EQ(streams[kAssertionStreamType].size(), sizeof(CrashAssertion));
  CrashAssertion assertion;
  std::memcpy(&assertion, streams[kAssertionStreamType].data(), sizeof(assertion));
  EXPECT_EQ(assertion.kind, static_cast<uint32_t>(kPureCallReport));
  EXPECT_EQ(std::wstring(assertion.expression), L"");
  EXPECT_EQ(ReadU32(streams[crash_testing::kExceptionStreamType], 8), kRuntimeReportExitCode);
  EXPECT_EQ(ReadU32(streams[kThreadInfoStreamType], 8), pure.thread);
  EXPECT_EQ(TakeReporterRecord(), L"--file_version=1.0.4.0 " + pure.dump_id);

  last_report_.Delete();
  const HostRun invalid = RunHost(L"module_invalid_parameter");
  ASSERT_TRUE(invalid.installed);
  EXPECT_EQ(invalid.exit_code, kRuntimeReportExitCode);
  EXPECT_FALSE(invalid.Printed("survived"));
  streams = DumpStreams(invalid);
  ASSERT_EQ(streams[kAssertionStreamType].size(), sizeof(CrashAssertion));
  std::memcpy(&assertion, streams[kAssertionStreamType].data(), sizeof(assertion));
  EXPECT_EQ(assertion.kind, static_cast<uint32_t>(kInvalidParameterReport));
  EXPECT_EQ(std::wstring(assertion.expression), L"buffer != nullptr");
  EXPECT_EQ(std::wstring(assertion.function), L"CopyName");
  EXPECT_EQ(std::wstring(assertion.file), L"names.cc");
  EXPECT_EQ(assertion.line, 42u);
  EXPECT_EQ(TakeReporterRecord(), L"--file_version=1.0.4.0 " + invalid.dump_id);
  EXPECT_EQ(FilesIn(crash_folder_).size(), 2u);

  // Reported today already: the pure call ends the host the way the C++
  // runtime does, without a dump.
  const HostRun again = RunHost(L"module_pure_call");
  ASSERT_TRUE(again.installed);
  EXPECT_EQ(again.exit_code, 3u) << again.output;
  EXPECT_EQ(FilesIn(crash_folder_).size(), 2u);
  EXPECT_FALSE(ReporterRecorded());
}

TEST_F(CrashProcessTest, RuntimeReportsOfTheHostGoOn) {
  InstallReporter();
  // Someone else's invalid parameter: the runtime's answer, and the host
  // goes on.
  const HostRun invalid = RunHost(L"host_invalid_parameter");
  ASSERT_TRUE(invalid.installed) << invalid.output;
  EXPECT_TRUE(invalid.Printed("handler 1"));
  EXPECT_TRUE(invalid.Printed("survived")) << invalid.output;
  EXPECT_EQ(invalid.exit_code, 0u);

  // The host's own pure virtual call never reaches the module's handler:
  // what happens is the host's affair (with this toolchain, whose objects
  // refer to the runtime's entry only weakly, a jump to address zero).
  const HostRun pure = RunHost(L"host_pure_call");
  ASSERT_TRUE(pure.installed);
  EXPECT_NE(pure.exit_code, 0u);
  EXPECT_NE(pure.exit_code, kRuntimeReportExitCode);
  EXPECT_FALSE(pure.Printed("survived")) << pure.output;

  EXPECT_TRUE(FilesIn(crash_folder_).empty());
  EXPECT_EQ(last_report_.GetDword(), 0u);
  EXPECT_FALSE(ReporterRecorded());
}

TEST_F(CrashProcessTest, UnloadPutsThePreviousFilterBack) {
  const HostRun run = RunHost(L"unload");
  ASSERT_TRUE(run.installed) << run.output;
  EXPECT_TRUE(run.Printed("filter restored")) << run.output;
  EXPECT_EQ(run.exit_code, 0u);
}

// A host frees the module whenever the user switches away from it and loads
// it again on the way back: each unload ends the dump thread of that load.
// The thread must end itself, so that its stack is freed (a thread ended
// from outside keeps it for the life of the process), and without a wait
// that would hold the loader lock.
TEST_F(CrashProcessTest, UnloadsLeaveNoThreadAndNoStackBehind) {
  const HostRun run = RunHost(L"unload_cycles");
  ASSERT_TRUE(run.installed) << run.output;
  EXPECT_EQ(run.exit_code, 0u) << run.output;
  EXPECT_TRUE(run.Printed("threads left 0")) << run.output;
  EXPECT_TRUE(run.Printed("quick cycles done")) << run.output;
  const size_t at = run.output.find("private first ");
  ASSERT_NE(at, std::string::npos) << run.output;
  unsigned long long first = 0;
  unsigned long long last = 0;
  ASSERT_EQ(std::sscanf(run.output.c_str() + at, "private first %llu last %llu", &first, &last),
            2);
  // Nineteen more loads and unloads may leave a little heap behind, never a
  // stack for each.
  EXPECT_LT(last, first + 2 * 1024 * 1024) << run.output;
}

}  // namespace
}  // namespace ime_shared
