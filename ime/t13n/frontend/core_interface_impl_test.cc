#include "ime/t13n/frontend/core_interface_impl.h"

#include <windows.h>

#include <atomic>
#include <memory>
#include <thread>
#include <vector>

#include "gtest/gtest.h"
#include "ime/shared/frontend/command.h"
#include "ime/shared/frontend/module_registry.h"
#include "ime/shared/frontend/shared_exclusive_lock.h"
#include "ime/shared/frontend/shared_storage.h"
#include "ime/t13n/frontend/process_objects.h"
#include "ime/t13n/frontend/t13n_frontend_test_helpers.h"

namespace ime_t13n {
namespace {

using ime_shared::CommandImpl;
using ime_shared::CommandInterface;
using testing_helpers::CountedStorageManager;
using testing_helpers::ScriptedT13nHandler;

// A front end that records nothing: the core only needs its address.
class NullFrontend : public ime_shared::FrontendInterface,
                     public ime_shared::T13nFrontendInterface {
 public:
  bool SetComposition(ime_shared::CompositionInterface* c) override {
    delete c;
    return true;
  }
  bool SetResult(const std::wstring&) override { return true; }
  bool SetCandidates(ime_shared::CandidateInterface*) override { return true; }
  bool SetMode(int32_t) override { return true; }
  bool CandidatesChanged(int32_t) override { return true; }
  bool SetCaret(int32_t) override { return true; }
  void SetSchemeList(const std::vector<std::wstring>&) override {}
};

// A command that counts the live objects of its kind (clones included).
class CountingCommand : public CommandImpl<ime_shared::kToggleSchemeCommand> {
 public:
  CountingCommand() { ++alive; }
  CountingCommand(const CountingCommand&) : CommandImpl() { ++alive; }
  ~CountingCommand() override { --alive; }
  CommandInterface* Clone() const override {
    return new CountingCommand(*this);
  }
  static int alive;
};
int CountingCommand::alive = 0;

class CoreTest : public ::testing::Test {
 protected:
  CoreTest() { testing_helpers::UseCountedStorage(); }

  std::unique_ptr<CoreInterfaceImpl> MakeCore(
      ScriptedT13nHandler::Script script, ScriptedT13nHandler** handler,
      ime_shared::FrontendInterface* frontend = nullptr) {
    HandlerMaker maker = [script, handler]() {
      auto* made = new ScriptedT13nHandler(script);
      if (handler != nullptr) *handler = made;
      return made;
    };
    return std::unique_ptr<CoreInterfaceImpl>(CoreInterfaceImpl::Create(
        frontend != nullptr ? frontend : &frontend_, &settings_, 0, maker,
        CorePlaces::Process()));
  }

  NullFrontend frontend_;
  ime_testing::FakeSettings settings_;
};

TEST_F(CoreTest, CreationBindsTheHandlerAndRegistersTheMaster) {
  ScriptedT13nHandler* handler = nullptr;
  auto core = MakeCore(nullptr, &handler);
  ASSERT_NE(core, nullptr);
  ASSERT_NE(handler, nullptr);
  EXPECT_EQ(handler->frontend, &frontend_);
  EXPECT_EQ(handler->master, core->master());
  EXPECT_EQ(handler->storage, core->storage_manager());
  EXPECT_EQ(handler->scheme_target,
            static_cast<ime_shared::T13nFrontendInterface*>(&frontend_));
  EXPECT_EQ(ProcessModuleRegistry().use_count(), 1);
  EXPECT_EQ(ProcessSharedStorage().use_count(), 1);
  core.reset();
  // The last core takes the registry and the storage manager with it.
  EXPECT_EQ(ProcessModuleRegistry().use_count(), 0);
  EXPECT_EQ(ProcessSharedStorage().use_count(), 0);
  EXPECT_EQ(CountedStorageManager::alive, 0);
}

// A handler that keeps a command becomes current and gets the next one
// first; its "done" ends that.
TEST_F(CoreTest, KeepMakesAHandlerCurrentAndDoneEndsIt) {
  std::vector<uint32_t> words = {2, 6, 5, 0};
  size_t next = 0;
  ScriptedT13nHandler* handler = nullptr;
  auto core = MakeCore(
      [&](const CommandInterface&) { return words[next++]; }, &handler);
  ASSERT_NE(core, nullptr);
  EXPECT_FALSE(core->Execute(CommandImpl<ime_shared::kCancelCommand>()));
  EXPECT_TRUE(core->master()->HasCurrentHandler());
  EXPECT_TRUE(core->Execute(CommandImpl<ime_shared::kCancelCommand>()));
  EXPECT_TRUE(core->master()->HasCurrentHandler());
  EXPECT_TRUE(core->Execute(CommandImpl<ime_shared::kCancelCommand>()));
  EXPECT_FALSE(core->master()->HasCurrentHandler());
  EXPECT_EQ(core->master()->history_size(), 3u);
  // Not taken: false, and nothing recorded.
  EXPECT_FALSE(core->Execute(CommandImpl<ime_shared::kCancelCommand>()));
  EXPECT_EQ(core->master()->history_size(), 3u);
}

TEST_F(CoreTest, AHandlerTakingNothingLeavesTheHistoryEmpty) {
  auto core = MakeCore([](const CommandInterface&) { return 0u; }, nullptr);
  ASSERT_NE(core, nullptr);
  for (int i = 0; i < 5; ++i) {
    EXPECT_FALSE(core->Execute(CommandImpl<ime_shared::kAttachCommand>()));
  }
  EXPECT_EQ(core->master()->history_size(), 0u);
}

TEST_F(CoreTest, TheHistoryKeepsTheLastTwentyClones) {
  auto core = MakeCore([](const CommandInterface&) { return 5u; }, nullptr);
  ASSERT_NE(core, nullptr);
  for (int i = 0; i < 25; ++i) {
    CountingCommand command;
    core->Execute(command);
  }
  EXPECT_EQ(CountingCommand::alive, 20);
  EXPECT_EQ(core->master()->history_size(), 20u);
  core.reset();
  EXPECT_EQ(CountingCommand::alive, 0);
}

// A table held elsewhere: no core can register meanwhile, and a dispatch
// gives the key back to the application instead of reading the table
// unlocked; once it is let go, dispatches reach the handler again.
TEST_F(CoreTest, ABusyRegistryRefusesCoresAndDispatches) {
  ScriptedT13nHandler* handler = nullptr;
  auto core = MakeCore([](const CommandInterface&) { return 5u; }, &handler);
  ASSERT_NE(core, nullptr);
  ime_shared::ModuleRegistry* registry = ProcessModuleRegistry().Acquire();
  ASSERT_NE(registry, nullptr);

  // The holder keeps the table until the refusals have been seen, however
  // slowly this thread gets to them.
  HANDLE held = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
  HANDLE release = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
  ASSERT_TRUE(held != nullptr && release != nullptr);
  std::thread holder([&]() {
    ime_shared::ScopedMutexLock lock(&registry->mutex(), INFINITE);
    ::SetEvent(held);
    ::WaitForSingleObject(release, 60000);
  });
  const DWORD got_it = ::WaitForSingleObject(held, 60000);

  NullFrontend other;
  if (got_it == WAIT_OBJECT_0) {
    EXPECT_EQ(MakeCore(nullptr, nullptr, &other), nullptr);
    EXPECT_FALSE(core->Execute(CommandImpl<ime_shared::kCancelCommand>()));
    EXPECT_TRUE(handler->types.empty());
  }
  ::SetEvent(release);
  holder.join();
  ::CloseHandle(held);
  ::CloseHandle(release);
  ASSERT_EQ(got_it, WAIT_OBJECT_0) << "the holder never took the table";

  EXPECT_EQ(registry->size(), 1u);
  EXPECT_TRUE(core->Execute(CommandImpl<ime_shared::kCancelCommand>()));
  EXPECT_EQ(handler->types.size(), 1u);
  ProcessModuleRegistry().Release();
  // The refused core gave its references back.
  EXPECT_EQ(ProcessModuleRegistry().use_count(), 1);
  EXPECT_EQ(ProcessSharedStorage().use_count(), 1);
}

// A thread that ended while holding the gate's entry mutex abandoned it;
// later dispatches take it over instead of waiting forever.
TEST_F(CoreTest, AnAbandonedGateDoesNotBlockDispatches) {
  auto core = MakeCore([](const CommandInterface&) { return 5u; }, nullptr);
  ASSERT_NE(core, nullptr);
  std::thread quitter([]() {
    ::WaitForSingleObject(ProcessDispatchGate().entry_mutex(), INFINITE);
  });
  quitter.join();

  std::atomic<int> answered{0};
  HANDLE worker = ::CreateThread(
      nullptr, 0,
      [](void* parameter) -> DWORD {
        auto* args = static_cast<std::pair<CoreInterfaceImpl*, std::atomic<int>*>*>(
            parameter);
        for (int i = 0; i < 3; ++i) {
          if (args->first->Execute(CommandImpl<ime_shared::kCancelCommand>())) {
            ++*args->second;
          }
        }
        delete args;
        return 0;
      },
      new std::pair<CoreInterfaceImpl*, std::atomic<int>*>(core.get(), &answered),
      0, nullptr);
  ASSERT_NE(worker, nullptr);
  ASSERT_EQ(::WaitForSingleObject(worker, 10000), WAIT_OBJECT_0)
      << "a dispatch hangs on the abandoned gate";
  ::CloseHandle(worker);
  EXPECT_EQ(answered.load(), 3);
  EXPECT_EQ(ProcessDispatchGate().state(), 0);
}

// Core creation fails without storage: nothing stays registered or held.
TEST_F(CoreTest, NoStorageMeansNoCore) {
  ProcessSharedStorage().SetFactory(ime_shared::base::NewPermanentCallback(
      +[]() -> ime_shared::StorageManager* { return nullptr; }));
  bool made = false;
  HandlerMaker maker = [&made]() {
    made = true;
    return new ScriptedT13nHandler();
  };
  EXPECT_EQ(CoreInterfaceImpl::Create(&frontend_, &settings_, 0, maker,
                                      CorePlaces::Process()),
            nullptr);
  EXPECT_FALSE(made);
  EXPECT_EQ(ProcessModuleRegistry().use_count(), 0);
  EXPECT_EQ(ProcessSharedStorage().use_count(), 0);
}

}  // namespace
}  // namespace ime_t13n
