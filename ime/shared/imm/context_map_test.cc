#include "ime/shared/imm/context_map.h"

#include <memory>
#include <thread>
#include <vector>

#include "gtest/gtest.h"
#include "ime/shared/base/module_call_scope.h"
#include "ime/shared/imm/imm_test_helpers.h"

namespace ime_shared {
namespace imm {
namespace {

using testing_helpers::Composing;
using testing_helpers::FakeImm;
using testing_helpers::Message;
using testing_helpers::Private;
using testing_helpers::ScriptedEngine;
using testing_helpers::Start;
using testing_helpers::TestContext;
using testing_helpers::TestMessageList;
using testing_helpers::TestQueue;

using TestMap = ContextMapT<TestContext>;

class ContextMapTest : public ::testing::Test {
 protected:
  void SetUp() override { himc_ = imm_.NewContext(); }
  void TearDown() override {
    map_.Clear();
    EXPECT_EQ(imm_.OutstandingLocks(), 0);
  }

  // A factory of scripted engines that remembers what it made, and for
  // which context.
  EngineFactory Factory() {
    return [this](ContextInterface* context) -> EngineInterface* {
      auto* engine = new ScriptedEngine;
      engine->context = context;
      engine->destroyed = &destroyed_;
      made_.push_back(engine);
      contexts_.push_back(context);
      return engine;
    };
  }
  TestContext* NewContext(HIMC himc) {
    return new TestContext(himc, new TestQueue(himc));
  }

  FakeImm imm_;
  HIMC himc_ = nullptr;
  TestMap map_;
  std::vector<ScriptedEngine*> made_;
  std::vector<ContextInterface*> contexts_;
  int destroyed_ = 0;
};

TEST_F(ContextMapTest, AddFindRemove) {
  EXPECT_FALSE(map_.Add(himc_, nullptr));
  EXPECT_EQ(map_.Find(himc_), nullptr);
  EXPECT_EQ(map_.Find(nullptr), nullptr);

  TestContext* context = NewContext(himc_);
  ASSERT_TRUE(map_.Add(himc_, context));
  EXPECT_EQ(map_.Find(himc_), context);
  std::unique_ptr<TestContext> other(NewContext(himc_));
  EXPECT_FALSE(map_.Add(himc_, other.get())) << "one context per HIMC";
  EXPECT_EQ(map_.Find(himc_), context);
  EXPECT_EQ(map_.size(), 1u);

  // Removing deletes the context and its engine.
  context->Attach(Factory()(context));
  EXPECT_TRUE(map_.Remove(himc_));
  EXPECT_EQ(destroyed_, 1);
  EXPECT_EQ(map_.Find(himc_), nullptr);
  EXPECT_FALSE(map_.Remove(himc_));
  EXPECT_EQ(map_.size(), 0u);
}

TEST_F(ContextMapTest, SelectMakesAnAttachedContext) {
  ASSERT_TRUE(map_.Select(himc_, Factory()));
  TestContext* context = map_.Find(himc_);
  ASSERT_NE(context, nullptr);
  ASSERT_EQ(made_.size(), 1u);
  EXPECT_EQ(context->GetEngine(), made_[0]);
  EXPECT_EQ(contexts_[0], context) << "the engine is made for its context";
  EXPECT_EQ(context->himc(), himc_);
  EXPECT_EQ(context->queue()->himc(), himc_);
  EXPECT_EQ(imm_.Imc(himc_).fOpen, TRUE);
  EXPECT_NE(imm_.Imc(himc_).hCompStr, nullptr);
  EXPECT_NE(imm_.Imc(himc_).hCandInfo, nullptr);
}

TEST_F(ContextMapTest, ASecondSelectKeepsTheFirst) {
  ASSERT_TRUE(map_.Select(himc_, Factory()));
  TestContext* first = map_.Find(himc_);
  EXPECT_FALSE(map_.Select(himc_, Factory()));
  EXPECT_EQ(map_.Find(himc_), first);
  ASSERT_EQ(made_.size(), 2u);
  EXPECT_EQ(first->GetEngine(), made_[0]);
  EXPECT_EQ(destroyed_, 1) << "the second engine was deleted";
  EXPECT_EQ(map_.size(), 1u);
}

TEST_F(ContextMapTest, AFailedSelectLeavesNoEntry) {
  // The context cannot be locked: attaching fails.
  imm_.unlockable_contexts.insert(himc_);
  EXPECT_FALSE(map_.Select(himc_, Factory()));
  EXPECT_EQ(map_.Find(himc_), nullptr);
  EXPECT_EQ(destroyed_, 1);
  // The blocks cannot be made: attaching fails.
  imm_.unlockable_contexts.clear();
  imm_.fail_create = true;
  EXPECT_FALSE(map_.Select(himc_, Factory()));
  EXPECT_EQ(map_.Find(himc_), nullptr);
  EXPECT_EQ(destroyed_, 2);
  // No engine (the product is not installed).
  imm_.fail_create = false;
  EXPECT_FALSE(map_.Select(himc_, [](ContextInterface*) {
    return static_cast<EngineInterface*>(nullptr);
  }));
  EXPECT_FALSE(map_.Select(himc_, EngineFactory()));
  EXPECT_FALSE(map_.Select(nullptr, Factory()));
  EXPECT_EQ(map_.size(), 0u);
  // A factory that throws.
  EXPECT_FALSE(map_.Select(himc_, [](ContextInterface*) -> EngineInterface* {
    throw std::runtime_error("no engine");
  }));
  EXPECT_EQ(map_.size(), 0u);

  // Nothing blocks a later select of the same HIMC.
  EXPECT_TRUE(map_.Select(himc_, Factory()));
  EXPECT_NE(map_.Find(himc_), nullptr);
}

// The application deselects the HIMC while it handles a message of the
// context's own update, and selects it again at once.
TEST_F(ContextMapTest, AContextRemovedInsideItsOwnCallGoesWhenTheCallReturns) {
  ASSERT_TRUE(map_.Select(himc_, Factory()));
  TestContext* context = map_.Find(himc_);
  ScriptedEngine* engine = made_[0];
  BYTE keys[256] = {};
  keys['N'] = 0x80;
  bool reacted = false;
  imm_.on_generate = [&] {
    if (reacted) return;
    reacted = true;
    // The engine reacts to the message first: that waits for the batch.
    engine->Show(L"", 0, {}, L"n");
    EXPECT_TRUE(map_.Remove(himc_));
    EXPECT_EQ(destroyed_, 0) << "the update is still running";
    EXPECT_EQ(map_.Find(himc_), nullptr);
    EXPECT_TRUE(context->removed());
    EXPECT_TRUE(map_.Select(himc_, Factory())) << "selected again at once";
  };
  {
    // The export that started the update.
    base::ModuleCallScope call;
    EXPECT_EQ(engine->Show(L"n", 1, {}), 1);
    EXPECT_TRUE(reacted);
    // The waiting messages never went out; the removed context answers
    // nothing and leaves the input context alone.
    EXPECT_EQ(imm_.generated,
              (std::vector<Message>{Start(), Composing(), Private(0x0F)}));
    EXPECT_EQ(engine->Show(L"na", 2, {}), 0);
    EXPECT_FALSE(context->IsOpen());
    EXPECT_EQ(context->ProcessKey('N', keys), FALSE);
    TestMessageList list(4);
    EXPECT_EQ(context->ToAsciiEx('N', 0x31, keys, list.get()), 0u);
    EXPECT_FALSE(context->Attach(engine));
    RECT rect;
    EXPECT_FALSE(context->GetCaretRect(nullptr, &rect));
    EXPECT_TRUE(engine->tested.empty());
    EXPECT_TRUE(engine->handled.empty());
    EXPECT_EQ(imm_.generated.size(), 3u);
    EXPECT_EQ(destroyed_, 0);
  }
  EXPECT_EQ(destroyed_, 1) << "deleted once the outermost call returned";
  // The new context serves the HIMC.
  ASSERT_EQ(made_.size(), 2u);
  TestContext* again = map_.Find(himc_);
  ASSERT_NE(again, nullptr);
  EXPECT_EQ(again->GetEngine(), made_[1]);
  imm_.generated.clear();
  made_[1]->Show(L"k", 1, {});
  EXPECT_EQ(imm_.generated,
            (std::vector<Message>{Start(), Composing(), Private(0x0F)}));
}

TEST_F(ContextMapTest, ClearAndDestroyDeleteEveryContext) {
  std::vector<HIMC> himcs = {himc_, imm_.NewContext(), imm_.NewContext()};
  for (HIMC himc : himcs) ASSERT_TRUE(map_.Select(himc, Factory()));
  map_.Clear();
  EXPECT_EQ(destroyed_, 3);
  EXPECT_EQ(map_.size(), 0u);
  for (HIMC himc : himcs) EXPECT_EQ(map_.Find(himc), nullptr);

  ASSERT_TRUE(map_.Select(himc_, Factory()));
  map_.Destroy();
  EXPECT_EQ(destroyed_, 4);
  EXPECT_EQ(map_.Find(himc_), nullptr);

  // A map going away deletes what it still holds.
  {
    TestMap map;
    ASSERT_TRUE(map.Select(himc_, Factory()));
  }
  EXPECT_EQ(destroyed_, 5);
}

TEST_F(ContextMapTest, ThreadsShareTheMap) {
  // Contexts without engines touch no policy, so threads may make them.
  constexpr int kThreads = 4;
  constexpr int kRounds = 500;
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([this, t] {
      for (int i = 0; i < kRounds; ++i) {
        HIMC himc = reinterpret_cast<HIMC>(
            static_cast<uintptr_t>(0x1000000 + t * 0x100000 + i * 0x10));
        TestContext* context = NewContext(himc);
        if (!map_.Add(himc, context)) {
          delete context;
          ADD_FAILURE() << "add failed";
          continue;
        }
        if (map_.Find(himc) != context) ADD_FAILURE() << "find failed";
        if (i % 2 == 0 && !map_.Remove(himc)) ADD_FAILURE() << "remove failed";
      }
    });
  }
  for (std::thread& thread : threads) thread.join();
  EXPECT_EQ(map_.size(), static_cast<size_t>(kThreads * kRounds / 2));
}

}  // namespace
}  // namespace imm
}  // namespace ime_shared
