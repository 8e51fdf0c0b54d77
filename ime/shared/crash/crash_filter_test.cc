#include "ime/shared/crash/crash_filter.h"

#include <string>
#include <utility>
#include <vector>

#include "gtest/gtest.h"
#include "ime/shared/crash/crash_test_helpers.h"
#include "ime/shared/testing/temp_dir.h"

namespace ime_shared {
namespace {

using crash_testing::FixedDate;
using crash_testing::ImageBaseOf;
using crash_testing::RaiseTestException;
using crash_testing::ScopedRegistryValue;

// This test program: the "module" when no base is given.
const char kMarker = 0;
const void* ThisProgram() { return ImageBaseOf(&kMarker); }

TEST(CrashFilterTest, JudgesCapturedExceptionsByAddressStackAndDate) {
  ScopedRegistryValue last_report(crash_testing::UserProductKey(), kLastReportValue);
  last_report.Delete();
  const FixedDate date(20991231);
  HMODULE unrelated = ::LoadLibraryW(L"version.dll");
  ASSERT_NE(unrelated, nullptr);

  struct Verdicts {
    bool address_outside_program = false;
    bool inside = false;
    bool outside_with_program_frame = false;
    bool outside_without_frame = false;
    bool inside_reported_today = true;
    bool inside_reported_yesterday = false;
    bool address_moved_into_program = false;
  } verdicts;

  RaiseTestException([&](EXCEPTION_POINTERS* exception) {
    // The system raises it from its own code, called by this program.
    const void* raiser = ImageBaseOf(exception->ExceptionRecord->ExceptionAddress);
    verdicts.address_outside_program = raiser != ThisProgram();

    CrashSeams inside;
    inside.date = &date;
    inside.module_base = raiser;
    verdicts.inside = CrashFilter(&inside, exception, nullptr);

    CrashSeams program;
    program.date = &date;
    verdicts.outside_with_program_frame = CrashFilter(&program, exception, nullptr);

    CrashSeams elsewhere;
    elsewhere.date = &date;
    elsewhere.module_base = unrelated;
    verdicts.outside_without_frame = CrashFilter(&elsewhere, exception, nullptr);

    last_report.SetDword(20991231);
    verdicts.inside_reported_today = CrashFilter(&inside, exception, nullptr);
    last_report.SetDword(20991230);
    verdicts.inside_reported_yesterday = CrashFilter(&inside, exception, nullptr);
    last_report.Delete();

    // The same fault placed in this program's code: judged by its address
    // alone, even against a stack that is not searched.
    EXCEPTION_RECORD record = *exception->ExceptionRecord;
    record.ExceptionAddress = const_cast<char*>(&kMarker);
    CONTEXT context = {};
    EXCEPTION_POINTERS moved = {&record, &context};
    verdicts.address_moved_into_program = CrashFilter(&program, &moved, nullptr);
  });

  EXPECT_TRUE(verdicts.address_outside_program);
  EXPECT_TRUE(verdicts.inside);
  EXPECT_TRUE(verdicts.outside_with_program_frame);
  EXPECT_FALSE(verdicts.outside_without_frame);
  EXPECT_FALSE(verdicts.inside_reported_today);
  EXPECT_TRUE(verdicts.inside_reported_yesterday);
  EXPECT_TRUE(verdicts.address_moved_into_program);

  // Nothing to judge without the exception.
  CrashSeams program;
  program.date = &date;
  EXPECT_FALSE(CrashFilter(&program, nullptr, nullptr));
  EXCEPTION_POINTERS empty = {};
  EXPECT_FALSE(CrashFilter(&program, &empty, nullptr));
  ::FreeLibrary(unrelated);
}

TEST(CrashFilterTest, StackWalkFindsTheModuleBelowTheContext) {
  CONTEXT context;
  ::RtlCaptureContext(&context);
  const CONTEXT original = context;
  EXPECT_TRUE(StackHasModuleFrame(context, ThisProgram()));
  // The walk never moves the caller's context.
  EXPECT_EQ(std::memcmp(&context, &original, sizeof(context)), 0);

  HMODULE unrelated = ::LoadLibraryW(L"version.dll");
  ASSERT_NE(unrelated, nullptr);
  EXPECT_FALSE(StackHasModuleFrame(context, unrelated));
  ::FreeLibrary(unrelated);
  EXPECT_FALSE(StackHasModuleFrame(context, nullptr));
  // A context that points nowhere ends the walk at once.
  CONTEXT nowhere = {};
  EXPECT_FALSE(StackHasModuleFrame(nowhere, ThisProgram()));
}

TEST(CrashAssertionTest, TextsAreCutAndTerminated) {
  CrashAssertion assertion;
  std::memset(&assertion, 0x55, sizeof(assertion));
  const std::wstring long_text(300, L'x');
  FillCrashAssertion(L"count > 0", nullptr, long_text.c_str(), 17, kInvalidParameterReport,
                     &assertion);
  EXPECT_EQ(std::wstring(assertion.expression), L"count > 0");
  EXPECT_EQ(assertion.expression[kCrashAssertionTextLength - 1], L'\0');
  EXPECT_EQ(std::wstring(assertion.function), L"");
  EXPECT_EQ(std::wstring(assertion.file), std::wstring(127, L'x'));
  EXPECT_EQ(assertion.file[127], L'\0');
  EXPECT_EQ(assertion.line, 17u);
  EXPECT_EQ(assertion.kind, 1u);

  FillCrashAssertion(nullptr, nullptr, nullptr, 0, kPureCallReport, &assertion);
  EXPECT_EQ(std::wstring(assertion.expression), L"");
  EXPECT_EQ(std::wstring(assertion.file), L"");
  EXPECT_EQ(assertion.kind, 2u);
}

// Records what would have been started.
class RecordingStarter : public ProgramStarterInterface {
 public:
  bool Start(const std::wstring& path, const std::wstring& parameters) override {
    starts.emplace_back(path, parameters);
    return answer;
  }
  std::vector<std::pair<std::wstring, std::wstring>> starts;
  bool answer = true;
};

TEST(LaunchCrashReporterTest, StartsOnlyTheInstalledReporterAfterADump) {
  ScopedRegistryValue install_path(crash_testing::MachineProductKey(), L"PATH");
  ime_testing::TempDir install;
  const std::wstring folder = install.path().substr(0, install.path().size() - 1);
  const wchar_t kId[] = L"0123abcd-0000-4000-8000-00000000beef";
  RecordingStarter starter;
  CrashSeams seams;
  seams.starter = &starter;

  // No installation folder.
  install_path.Delete();
  EXPECT_FALSE(LaunchCrashReporter(L"C:\\Crash", kId, &seams, nullptr, nullptr, true));
  // An installation without the reporter: never the folder itself.
  install_path.SetString(folder);
  EXPECT_FALSE(LaunchCrashReporter(L"C:\\Crash", kId, &seams, nullptr, nullptr, true));
  // A folder of that name is not the program.
  const std::wstring reporter = install.path() + L"CrashReport.exe";
  ASSERT_TRUE(::CreateDirectoryW(reporter.c_str(), nullptr));
  EXPECT_FALSE(LaunchCrashReporter(L"C:\\Crash", kId, &seams, nullptr, nullptr, true));
  EXPECT_TRUE(starter.starts.empty());
  ASSERT_TRUE(::RemoveDirectoryW(reporter.c_str()));

  ASSERT_TRUE(ime_testing::WriteFileBytes(reporter, "MZ"));
  // No dump, nothing to report.
  EXPECT_FALSE(LaunchCrashReporter(L"C:\\Crash", kId, &seams, nullptr, nullptr, false));
  EXPECT_TRUE(starter.starts.empty());

  EXPECT_TRUE(LaunchCrashReporter(L"C:\\Crash", kId, &seams, nullptr, nullptr, true));
  ASSERT_EQ(starter.starts.size(), 1u);
  EXPECT_EQ(starter.starts[0].first, reporter);
  EXPECT_EQ(starter.starts[0].second,
            L"--file_version=1.0.4.0 0123abcd-0000-4000-8000-00000000beef");

  // The answer is whether it started.
  starter.answer = false;
  EXPECT_FALSE(LaunchCrashReporter(L"C:\\Crash", kId, &seams, nullptr, nullptr, true));
  EXPECT_EQ(starter.starts.size(), 2u);
}

}  // namespace
}  // namespace ime_shared
