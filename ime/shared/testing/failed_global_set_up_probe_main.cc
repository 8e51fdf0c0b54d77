// A test program whose global set-up fails. GoogleTest then runs none of its
// cases, marks them skipped and exits with 1. Registered like every test
// program, its case must come out of ctest as a failure, which the ctest
// test expects; were the case's not running taken for a skip, ctest would
// report the test skipped instead.
#include "gtest/gtest.h"

namespace {

class FailingSetUp : public ::testing::Environment {
 public:
  void SetUp() override {
    FAIL() << "the global set-up of this program fails on purpose, so that "
              "none of its cases runs";
  }
};

// Passes if it runs at all, so that a set-up that no longer stops it makes
// the expected failure, and so the ctest test, fail.
TEST(FailedGlobalSetUp, CountsAsAFailureNotAsASkip) {}

}  // namespace

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  ::testing::AddGlobalTestEnvironment(new FailingSetUp);
  return RUN_ALL_TESTS();
}
