// A test program whose cases skip, each of which must come out of ctest as
// a failure, which their ctest tests expect (WILL_FAIL).
//
// SkippingCase.* skips without an allowed reason; besides its own case,
// it is the whole program of a test registered like the scenario programs,
// which must fail too although the program ends with exit code 0.
//
// The other cases skip for the reason this program is allowed to skip for,
// then fail: were a skip for an allowed reason to count over a failure
// again, ctest would report them skipped, which the test command does not
// accept (their reason is not in cmake/allowed_test_skips.txt).
#include <cstdlib>

#include "gtest/gtest.h"

namespace {

// Also the reason given with the program's registration.
constexpr char kAllowedReason[] = "the probe's allowed skip";

TEST(SkippingCase, CountsAsAFailure) {
  GTEST_SKIP() << "this case skips on purpose";
}

class SkipThenFailingTearDown : public ::testing::Test {
 protected:
  void TearDown() override {
    ADD_FAILURE() << "the tear-down fails on purpose after the skip";
  }
};

TEST_F(SkipThenFailingTearDown, CountsAsAFailure) {
  GTEST_SKIP() << kAllowedReason;
}

// The output is that of a clean skip; only the exit code tells the failure.
TEST(SkipThenFailingExit, CountsAsAFailure) {
  std::atexit([] { std::_Exit(3); });
  GTEST_SKIP() << kAllowedReason;
}

}  // namespace
