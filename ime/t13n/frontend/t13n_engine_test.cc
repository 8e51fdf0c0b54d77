#include "ime/t13n/frontend/t13n_engine.h"

#include <windows.h>

#include <memory>
#include <vector>

#include "gtest/gtest.h"
#include "ime/shared/frontend/command.h"
#include "ime/shared/frontend/module_registry.h"
#include "ime/shared/frontend/shared_storage.h"
#include "ime/shared/product_registry.h"
#include "ime/shared/testing/scratch_registry_key.h"
#include "ime/t13n/frontend/process_objects.h"
#include "ime/t13n/frontend/t13n_frontend_test_helpers.h"

namespace ime_t13n {
namespace {

using ime_shared::CommandInterface;
using ime_shared::KeyOfCommand;
using ime_shared::testing_helpers::FakeContext;
using ime_shared::testing_helpers::Key;
using ime_shared::testing_helpers::TestCandidates;
using ime_shared::testing_helpers::TestComposition;
using namespace ime_shared::frontend;
using testing_helpers::CountedStorageManager;
using testing_helpers::ScriptedT13nHandler;
using testing_helpers::TestEnvironment;
using Types = std::vector<int>;
using Flags = std::vector<uint32_t>;

class T13nEngineTest : public ::testing::Test {
 protected:
  T13nEngineTest() { testing_helpers::UseCountedStorage(); }

  // An engine over a scripted handler; the attach commands are forgotten.
  void Make(ScriptedT13nHandler::Script script = nullptr) {
    environment_.reset(new TestEnvironment(script));
    engine_.reset(static_cast<T13nEngine*>(
        CreateT13nEngine(&context_, environment_->get())));
    ASSERT_NE(engine_, nullptr);
    ASSERT_EQ(environment_->made.size(), 1u);
    handler_ = environment_->made[0];
    handler_->types.clear();
    context_.updates.clear();
  }

  FakeContext context_;
  std::unique_ptr<TestEnvironment> environment_;
  std::unique_ptr<T13nEngine> engine_;
  ScriptedT13nHandler* handler_ = nullptr;
};

TEST_F(T13nEngineTest, FactoryRefusesWithoutAnInstalledVersion) {
  TestEnvironment environment;
  environment.mutable_get().installed_version.clear();
  EXPECT_EQ(CreateT13nEngine(&context_, environment.get()), nullptr);
  EXPECT_TRUE(environment.made.empty());
  EXPECT_EQ(CountedStorageManager::made, 0);
  EXPECT_EQ(ProcessModuleRegistry().use_count(), 0);
}

TEST_F(T13nEngineTest, AttachingSendsTheAttachThenThePageSize) {
  TestEnvironment environment([](const CommandInterface&) { return 5u; });
  std::unique_ptr<ime_shared::EngineInterface> engine(
      CreateT13nEngine(&context_, environment.get()));
  ASSERT_NE(engine, nullptr);
  ASSERT_EQ(environment.made.size(), 1u);
  EXPECT_EQ(environment.made[0]->types,
            (Types{ime_shared::kAttachCommand, ime_shared::kPageSizeCommand}));
}

TEST_F(T13nEngineTest, TwoEnginesShareOneStorageManager) {
  TestEnvironment environment;
  FakeContext second_context;
  std::unique_ptr<ime_shared::EngineInterface> first(
      CreateT13nEngine(&context_, environment.get()));
  std::unique_ptr<ime_shared::EngineInterface> second(
      CreateT13nEngine(&second_context, environment.get()));
  ASSERT_NE(first, nullptr);
  ASSERT_NE(second, nullptr);
  EXPECT_EQ(CountedStorageManager::made, 1);
  EXPECT_EQ(environment.made[0]->storage, environment.made[1]->storage);
  first.reset();
  EXPECT_EQ(CountedStorageManager::alive, 1);
  second.reset();
  EXPECT_EQ(CountedStorageManager::alive, 0);
}

TEST_F(T13nEngineTest, AttachingTheSameCoreAgainKeepsIt) {
  Make([](const CommandInterface&) { return 5u; });
  ime_shared::CoreInterface* core = CoreInterfaceImpl::Create(
      engine_.get(), &environment_->settings, 0,
      [this]() { return new ScriptedT13nHandler(); }, CorePlaces::Process());
  ASSERT_NE(core, nullptr);
  // Replacing the factory's core: the new one gets 31 and 35 each time.
  engine_->AttachCore(core);
  engine_->AttachCore(core);
  // Still alive: a command reaches it (its handler answers nothing).
  EXPECT_FALSE(engine_->HandleKey(Key::Char(L'a')));
  EXPECT_EQ(ProcessModuleRegistry().use_count(), 1);
}

// The hot keys are recognised by their control characters with Ctrl down,
// whatever virtual key the layout reports.
TEST_F(T13nEngineTest, HotKeysToggleTransliterationPickerAndScheme) {
  Make([](const CommandInterface&) { return 5u; });
  engine_->SetSchemeList({L"one"});
  EXPECT_TRUE(engine_->ProcessKey(Key('Q').WithChar(7).Control()));
  EXPECT_TRUE(engine_->HandleKey(Key('Q').WithChar(7).Control()));
  EXPECT_EQ(engine_->GetProperty(kPropertyTransliterationOn), 1);
  EXPECT_EQ(handler_->types.back(), ime_shared::kTransliterationOnCommand);

  // Character 7 without Ctrl is no hot key.
  handler_->types.clear();
  engine_->HandleKey(Key('G').WithChar(7));
  EXPECT_EQ(handler_->types, Types{ime_shared::kHandleKeyCommand});

  EXPECT_TRUE(engine_->HandleKey(Key('K').WithChar(11).Control()));
  EXPECT_EQ(engine_->GetProperty(kPropertyPickerShown), 1);
  EXPECT_EQ(context_.updates.back(),
            ime_shared::kUpdatePicker | ime_shared::kUpdateMode |
                ime_shared::kUpdateCandidateList);
  EXPECT_TRUE(engine_->HandleKey(Key('M').WithChar(13).Control()));
  EXPECT_EQ(engine_->GetProperty(kPropertySchemeMode), 1);
  EXPECT_EQ(handler_->types.back(), ime_shared::kToggleSchemeCommand);
}

TEST_F(T13nEngineTest, F12TogglesOnKeyDownOnly) {
  Make([](const CommandInterface&) { return 5u; });
  EXPECT_FALSE(engine_->HandleKey(Key(ime_shared::vk::kF12).Up()) &&
               engine_->GetProperty(kPropertyTransliterationOn) != 0);
  EXPECT_EQ(engine_->GetProperty(kPropertyTransliterationOn), 0);
  EXPECT_TRUE(engine_->HandleKey(Key(ime_shared::vk::kF12)));
  EXPECT_EQ(engine_->GetProperty(kPropertyTransliterationOn), 1);
  EXPECT_TRUE(engine_->HandleKey(Key(ime_shared::vk::kF12)));
  EXPECT_EQ(engine_->GetProperty(kPropertyTransliterationOn), 0);
  EXPECT_EQ(handler_->types.back(), ime_shared::kTransliterationOffCommand);
}

// Esc belongs to the application unless there is something to cancel.
TEST_F(T13nEngineTest, EscCancelsAndHidesThePickerOnlyWhileComposing) {
  Make([this](const CommandInterface& command) {
    if (command.Type() == ime_shared::kTestKeyCommand) {
      engine_->SetMode(-1);
      return 0u;
    }
    if (command.Type() == ime_shared::kCancelCommand) engine_->SetResult(L"");
    return 5u;
  });
  EXPECT_FALSE(engine_->ProcessKey(Key(ime_shared::vk::kEscape)));
  EXPECT_TRUE(handler_->types == Types{ime_shared::kTestKeyCommand});

  engine_->SetComposition(new TestComposition({{L"ab", L"ab", 0}}, 2));
  engine_->SetProperty(kPropertyPickerShown, 1);
  handler_->types.clear();
  context_.updates.clear();
  EXPECT_TRUE(engine_->ProcessKey(Key(ime_shared::vk::kEscape)));
  EXPECT_TRUE(engine_->HandleKey(Key(ime_shared::vk::kEscape)));
  EXPECT_EQ(handler_->types,
            (Types{ime_shared::kTestKeyCommand, ime_shared::kCancelCommand}));
  EXPECT_EQ(engine_->GetComposition(), L"");
  EXPECT_EQ(engine_->GetProperty(kPropertyPickerShown), 0);

  // The picker alone is also something to hide.
  engine_->SetProperty(kPropertyPickerShown, 1);
  EXPECT_TRUE(engine_->ProcessKey(Key(ime_shared::vk::kEscape)));
}

TEST_F(T13nEngineTest, SettingAPropertyToItsValueDoesNothing) {
  Make([](const CommandInterface&) { return 5u; });
  engine_->SetProperty(kPropertyTransliterationOn, 1);
  handler_->types.clear();
  context_.updates.clear();
  engine_->SetProperty(kPropertyTransliterationOn, 1);
  EXPECT_TRUE(handler_->types.empty());
  EXPECT_TRUE(context_.updates.empty());
}

TEST_F(T13nEngineTest, SchemeModeNeedsSchemes) {
  Make([](const CommandInterface&) { return 5u; });
  engine_->SetProperty(kPropertySchemeMode, 1);
  EXPECT_EQ(engine_->GetProperty(kPropertySchemeMode), 0);
  EXPECT_TRUE(handler_->types.empty());
  EXPECT_EQ(context_.updates, Flags{ime_shared::kUpdateCandidateList});
}

TEST_F(T13nEngineTest, ModeWordsSetTheirProperties) {
  Make();
  engine_->SetMode(12);
  EXPECT_EQ(engine_->GetProperty(kPropertyTransliterationOn), 1);
  EXPECT_EQ(engine_->GetProperty(kPropertyLanguage), 2);
  EXPECT_EQ(engine_->GetLanguageIndex(), 2);
  engine_->SetMode(-2);
  EXPECT_EQ(engine_->GetProperty(kPropertyKeyEaten), 1);
  engine_->SetMode(-1);
  EXPECT_EQ(engine_->GetProperty(kPropertyKeyEaten), 0);
  engine_->SetMode(0);
  EXPECT_EQ(engine_->GetProperty(kPropertyTransliterationOn), 0);

  // Words outside the table only mark the mode as changed.
  engine_->SetMode(12);
  for (int mode : {9, 29}) {
    int32_t before[kPropertyCount];
    for (int i = 0; i < kPropertyPendingFlags; ++i) {
      before[i] = engine_->GetProperty(i);
    }
    engine_->HandleKey(Key::Char(L'x'));  // flushes what is pending
    context_.updates.clear();
    engine_->SetMode(mode);
    for (int i = 0; i < kPropertyPendingFlags; ++i) {
      EXPECT_EQ(engine_->GetProperty(i), before[i]) << "mode " << mode;
    }
    EXPECT_EQ(static_cast<uint32_t>(engine_->GetProperty(kPropertyPendingFlags)),
              ime_shared::kUpdateMode);
  }
}

TEST_F(T13nEngineTest, ConversionModeFollowsTransliteration) {
  Make();
  engine_->SetMode(10);
  EXPECT_TRUE(engine_->GetConversionMode(0));
  EXPECT_FALSE(engine_->GetConversionMode(1));
  engine_->SetConversionMode(0, 0);
  EXPECT_EQ(context_.updates.back(), ime_shared::kUpdateMode);
  EXPECT_TRUE(engine_->GetConversionMode(0));
}

TEST_F(T13nEngineTest, FlaggedCandidatesComeFromTheHeldList) {
  Make();
  TestCandidates list({L"macro", L"word"}, 0, 1);
  engine_->SetCandidates(&list);
  EXPECT_TRUE(engine_->IsCandidateFlagged(0));
  EXPECT_FALSE(engine_->IsCandidateFlagged(1));
  engine_->SetResult(L"word");
  EXPECT_FALSE(engine_->IsCandidateFlagged(0));
}

// The product's factory reads the machine-wide "InstalledVersion".
TEST(T13nEngineProductTest, FactoryReadsTheInstalledVersion) {
  testing_helpers::UseCountedStorage();
  const ime_testing::RegistryPlace autoupdate(
      HKEY_LOCAL_MACHINE, ime_shared::kAutoupdateKeyPath, KEY_WOW64_64KEY);
  FakeContext context;
  autoupdate.Delete(ime_shared::kInstalledVersionValue);
  EXPECT_EQ(CreateT13nEngine(&context), nullptr);
  EXPECT_EQ(CountedStorageManager::made, 0);

  autoupdate.SetString(ime_shared::kInstalledVersionValue, L"1.0.0.1");
  std::unique_ptr<ime_shared::EngineInterface> engine(CreateT13nEngine(&context));
  autoupdate.Delete(ime_shared::kInstalledVersionValue);
  EXPECT_NE(engine, nullptr);
  EXPECT_EQ(CountedStorageManager::made, 1);
}

}  // namespace
}  // namespace ime_t13n
