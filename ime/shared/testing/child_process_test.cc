#include "ime/shared/testing/child_process.h"

#include <string>

#include "gmock/gmock.h"
#include "gtest/gtest.h"

namespace ime_testing {
namespace {

using ::testing::HasSubstr;

// A missing program is no passing shortage: the start fails at once, and
// says which program and which Win32 error, as does RunChild's output.
TEST(ChildProcessTest, AMissingProgramFailsAtOnceNamingTheWin32Error) {
  ChildProcess child;
  const ::testing::AssertionResult started =
      child.Start(L"no_such_program", L"--any");
  ASSERT_FALSE(started);
  EXPECT_THAT(started.message(), HasSubstr("no_such_program.exe"));
  EXPECT_THAT(started.message(), HasSubstr("CreateProcessW failed with Win32 error 2:"));
  EXPECT_THAT(started.message(), HasSubstr("(1 try)"));
  EXPECT_EQ(child.Wait(0), -1);

  std::string output;
  EXPECT_EQ(RunChild(L"no_such_program", L"", &output), -1);
  EXPECT_THAT(output, HasSubstr("Win32 error 2:"));
}

}  // namespace
}  // namespace ime_testing
