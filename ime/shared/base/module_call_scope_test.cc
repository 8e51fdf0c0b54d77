#include "ime/shared/base/module_call_scope.h"

#include <string>
#include <thread>
#include <vector>

#include "gtest/gtest.h"

namespace ime_shared {
namespace base {
namespace {

// An object whose deletion is written into a log.
struct Logged {
  Logged(std::vector<std::string>* log, const char* name)
      : log(log), name(name) {}
  ~Logged() { log->push_back(std::string("deleted ") + name); }
  std::vector<std::string>* log;
  const char* name;
};

TEST(ModuleCallScopeTest, ReleasesWaitForTheOutermostCallOfTheThread) {
  std::vector<std::string> log;
  EXPECT_TRUE(DeleteAfterModuleCalls(new Logged(&log, "outside")));
  EXPECT_EQ(log, std::vector<std::string>{"deleted outside"})
      << "no call running: at once";
  log.clear();
  {
    ModuleCallScope outer;
    {
      // The application calls the module again while it handles a message.
      ModuleCallScope inner;
      EXPECT_TRUE(DeleteAfterModuleCalls(new Logged(&log, "first")));
    }
    EXPECT_TRUE(log.empty()) << "the outer call may still use it";
    EXPECT_TRUE(DeleteAfterModuleCalls(new Logged(&log, "second")));
    // Another thread has calls of its own.
    std::thread other(
        [&log] { DeleteAfterModuleCalls(new Logged(&log, "on another thread")); });
    other.join();
    log.push_back("outer call returns");
  }
  EXPECT_EQ(log, (std::vector<std::string>{"deleted on another thread",
                                           "outer call returns",
                                           "deleted first",
                                           "deleted second"}));
}

std::vector<std::string>& LogOf(void* log) {
  return *static_cast<std::vector<std::string>*>(log);
}

TEST(ModuleCallScopeTest, WhatAReleaseHandsOverFollowsItBeforeTheCallEnds) {
  std::vector<std::string> log;
  {
    ModuleCallScope call;
    ReleaseAfterModuleCalls(
        [](void* log) {
          LogOf(log).push_back("first release");
          // Inside the releases: handed on, not run in the middle of them.
          DeleteAfterModuleCalls(new Logged(&LogOf(log), "handed on"));
          LogOf(log).push_back("first release done");
        },
        &log);
    ReleaseAfterModuleCalls(
        [](void* log) { LogOf(log).push_back("second release"); }, &log);
  }
  EXPECT_EQ(log, (std::vector<std::string>{"first release",
                                           "first release done",
                                           "second release",
                                           "deleted handed on"}));
  // Nothing is left waiting: the next release outside a call runs at once.
  DeleteAfterModuleCalls(new Logged(&log, "later"));
  EXPECT_EQ(log.back(), "deleted later");
}

}  // namespace
}  // namespace base
}  // namespace ime_shared
