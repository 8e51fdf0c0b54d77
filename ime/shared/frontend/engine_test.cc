#include "ime/shared/frontend/engine.h"

#include <windows.h>

#include <ctime>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "gtest/gtest.h"
#include "ime/shared/base/registry_key.h"
#include "ime/shared/frontend/command.h"
#include "ime/shared/frontend/core_interface.h"
#include "ime/shared/frontend/frontend_test_helpers.h"
#include "ime/shared/frontend/frontend_window_test_helpers.h"
#include "ime/shared/product_registry.h"
#include "ime/shared/settings_table.h"
#include "ime/shared/testing/fake_settings.h"
#include "ime/shared/url_launcher.h"
#include "ime/shared/web_address.h"

namespace ime_shared {
namespace frontend {
namespace {

using testing_helpers::FakeContext;
using testing_helpers::FixedUserName;
using testing_helpers::Key;
using testing_helpers::TestCandidates;
using testing_helpers::TestComposition;

// A core that hands every command to a function of the test.
class FakeCore : public CoreInterface {
 public:
  using Handler = std::function<bool(const CommandInterface&)>;
  explicit FakeCore(Handler handler) : handler_(handler) {}
  bool Execute(const CommandInterface& command) override {
    types.push_back(command.Type());
    return handler_ ? handler_(command) : false;
  }
  std::vector<int> types;

 private:
  Handler handler_;
};

// The generic engine with the rest left as plain as possible.
class TestEngine : public Engine {
 public:
  using Engine::Engine;
  int32_t SetProperty(int index, int32_t value) override {
    StoreProperty(index, value);
    return 0;
  }
  int32_t AttachCore(CoreInterface* core) override {
    ReplaceCore(core);
    return 0;
  }
  bool GetConversionMode(int32_t which) const override { return false; }
  void SetConversionMode(int32_t which, int32_t value) override {}
  bool SetMode(int32_t mode) override {
    if (mode == -2) StoreProperty(kPropertyKeyEaten, 1);
    if (mode == -1) StoreProperty(kPropertyKeyEaten, 0);
    return true;
  }
};

class EngineTest : public ::testing::Test {
 protected:
  EngineTest() : engine_(&context_, &settings_) {
    core_ = new FakeCore([this](const CommandInterface& command) {
      return handler_ ? handler_(command) : false;
    });
    engine_.AttachCore(core_);
  }

  FakeContext context_;
  ime_testing::FakeSettings settings_;
  TestEngine engine_;
  FakeCore* core_;  // owned by the engine
  FakeCore::Handler handler_;
};

TEST_F(EngineTest, CapsLockUpdatesTheModeAndIsNeverEaten) {
  handler_ = [this](const CommandInterface&) {
    engine_.SetMode(-2);  // the handler claims every key
    return true;
  };
  EXPECT_FALSE(engine_.ProcessKey(Key(ime_shared::vk::kCapital)));
  EXPECT_EQ(context_.updates, std::vector<uint32_t>{kUpdateMode});
  EXPECT_EQ(core_->types, std::vector<int>{kTestKeyCommand});
}

TEST_F(EngineTest, KeyTestAnswersWhatTheHandlerDecided) {
  handler_ = [this](const CommandInterface& command) {
    const KeyEvent* key = KeyOfCommand(command);
    engine_.SetMode(key->character == L'a' ? -2 : -1);
    engine_.SetComposition(new TestComposition({{L"a", L"a", 0}}, 1));
    return true;
  };
  EXPECT_TRUE(engine_.ProcessKey(Key::Char(L'a')));
  // A key that is eaten brings the context up to date at once.
  EXPECT_EQ(context_.updates, std::vector<uint32_t>{kUpdateCompositionAndResult});
  context_.updates.clear();
  EXPECT_FALSE(engine_.ProcessKey(Key::Char(L'.')));
  EXPECT_TRUE(context_.updates.empty());

  // A handler that lets a key pass without a word leaves it not eaten,
  // whatever the key before it was.
  EXPECT_TRUE(engine_.ProcessKey(Key::Char(L'a')));
  handler_ = [](const CommandInterface&) { return false; };
  EXPECT_FALSE(engine_.ProcessKey(Key::Char(L'b')));
  EXPECT_FALSE(engine_.ProcessKey(Key(ime_shared::vk::kBack)));
}

TEST_F(EngineTest, VirtualKeyZeroSendsNothing) {
  EXPECT_FALSE(engine_.HandleKey(Key(0).WithChar(L'a')));
  EXPECT_TRUE(core_->types.empty());
}

TEST_F(EngineTest, FlushAnswersWhatTheContextsUpdateAnswers) {
  handler_ = [this](const CommandInterface&) {
    engine_.SetComposition(new TestComposition({{L"k", L"k", 0}}, 1));
    return true;
  };
  context_.update_answer = 0;
  EXPECT_FALSE(engine_.HandleKey(Key::Char(L'k')));
  context_.update_answer = 7;
  EXPECT_TRUE(engine_.HandleKey(Key::Char(L'k')));
  // Without anything pending the command's own answer comes back.
  handler_ = [](const CommandInterface&) { return true; };
  context_.updates.clear();
  EXPECT_TRUE(engine_.HandleKey(Key::Char(L'k')));
  EXPECT_TRUE(context_.updates.empty());
}

TEST_F(EngineTest, EndCompositionReenteredFromUpdateSendsNothing) {
  handler_ = [this](const CommandInterface&) {
    engine_.SetResult(L"");
    return true;
  };
  context_.on_update = [this](uint32_t) { engine_.EndComposition(true); };
  engine_.EndComposition(false);
  EXPECT_EQ(core_->types, std::vector<int>{kCancelCommand});
  EXPECT_EQ(context_.updates.size(), 1u);
  // Once the first call is over the guard is down again.
  context_.on_update = nullptr;
  engine_.EndComposition(true);
  EXPECT_EQ(core_->types,
            (std::vector<int>{kCancelCommand, kCompleteCommand}));
}

TEST_F(EngineTest, SelectingWithCommitSendsTheSelectionThenTheCommit) {
  engine_.SelectCandidate(2, true);
  engine_.SelectCandidate(1, false);
  EXPECT_EQ(core_->types,
            (std::vector<int>{kSelectCandidateCommand, kCommitSelectionCommand,
                              kSelectCandidateCommand}));
}

// With "InlineMode" on and the caret at the end, the composition shows the
// clauses without spaces; after Backspace, or with the caret inside, it
// shows the spaced text.
TEST_F(EngineTest, InlineModeDecidesTheDisplayedText) {
  const std::vector<TestComposition::Part> two = {{L"ab", L"AB", 0},
                                                  {L"cd", L"CD", 1}};
  settings_.SetInt(kSettingInlineMode, 0);
  engine_.SetComposition(new TestComposition(two, 4));
  EXPECT_EQ(engine_.GetComposition(), L"ab cd");
  EXPECT_EQ(engine_.GetCaret(), 5);

  settings_.SetInt(kSettingInlineMode, 1);
  engine_.SetComposition(new TestComposition(two, 4));
  EXPECT_EQ(engine_.GetComposition(), L"ABcd");  // kind 1 shows its text
  EXPECT_EQ(engine_.GetCaret(), 4);

  engine_.SetComposition(new TestComposition(two, 1));
  EXPECT_EQ(engine_.GetComposition(), L"ab cd");
  EXPECT_EQ(engine_.GetCaret(), 1);

  engine_.HandleKey(Key(ime_shared::vk::kBack));
  engine_.SetComposition(new TestComposition(two, 4));
  EXPECT_EQ(engine_.GetComposition(), L"ab cd");
  EXPECT_EQ(engine_.GetCaret(), 5);
  EXPECT_EQ(engine_.spaced_text(), L"ab cd");
  EXPECT_EQ(engine_.mapped_caret(), 5);
}

TEST_F(EngineTest, MapCaretSkipsTheSpacesBetweenClauses) {
  engine_.SetComposition(
      new TestComposition({{L"ab", L"ab", 0}, {L"cd", L"cd", 0}}, 0));
  EXPECT_EQ(engine_.MapCaret(0), 0);
  EXPECT_EQ(engine_.MapCaret(2), 2);
  EXPECT_EQ(engine_.MapCaret(3), 4);
  EXPECT_EQ(engine_.MapCaret(4), 5);
  // A picker clause counts its reading.
  engine_.SetComposition(
      new TestComposition({{L"x", L"\x0915\x093F", 2}, {L"cd", L"cd", 0}}, 0));
  EXPECT_EQ(engine_.spaced_text(), L"\x0915\x093F cd");
  EXPECT_EQ(engine_.picker_characters(), 2);
  EXPECT_EQ(engine_.MapCaret(2), 4);
}

TEST_F(EngineTest, AResultDropsTheCandidates) {
  TestCandidates list({L"one", L"two"}, 1);
  engine_.SetCandidates(&list);
  EXPECT_EQ(engine_.CandidateCount(), 2);
  EXPECT_EQ(engine_.CandidateSelection(), 1);
  EXPECT_EQ(engine_.CandidateAt(1), L"two");
  EXPECT_EQ(engine_.CandidateAt(2), L"");
  EXPECT_EQ(engine_.CandidateAt(-1), L"");
  engine_.SetResult(L"done");
  EXPECT_EQ(engine_.GetResult(), L"done");
  EXPECT_EQ(engine_.CandidateCount(), 0);
  EXPECT_EQ(engine_.CandidateSelection(), 0);
  EXPECT_EQ(engine_.CandidateAt(0), L"");
}

TEST_F(EngineTest, ConstructionStampsActiveTime) {
  const DWORD before = static_cast<DWORD>(std::time(nullptr));
  FakeContext context;
  TestEngine engine(&context, &settings_);
  const DWORD after = static_cast<DWORD>(std::time(nullptr));
  DWORD stamp = 0;
  ASSERT_EQ(OpenUserProductKey().ReadDword(kActiveTimeValue, &stamp),
            ERROR_SUCCESS);
  EXPECT_GE(stamp, before);
  EXPECT_LE(stamp, after);
}

class RecordingShell : public ShellOpenInterface {
 public:
  RecordingShell() : opened_(::CreateEventW(nullptr, TRUE, FALSE, nullptr)) {}
  ~RecordingShell() override { ::CloseHandle(opened_); }
  bool OpenAddress(const std::wstring& address) override {
    this->address = address;
    ::SetEvent(opened_);
    return true;
  }
  bool WaitOpened(DWORD ms) {
    return ::WaitForSingleObject(opened_, ms) == WAIT_OBJECT_0;
  }
  std::wstring address;

 private:
  HANDLE opened_;
};

TEST_F(EngineTest, SearchWebOpensTheSelectedCandidateOutsideTheSystemAccount) {
  TestCandidates list({L"\x0915", L"\x0916"}, 1);
  engine_.SetCandidates(&list);
  RecordingShell shell;

  FixedUserName system(L"SYSTEM");
  engine_.SetWebSeams(&system, &shell);
  engine_.SearchWeb(-1);
  EXPECT_FALSE(shell.WaitOpened(300));

  FixedUserName user(L"someone");
  engine_.SetWebSeams(&user, &shell);
  engine_.SearchWeb(-1);
  ASSERT_TRUE(shell.WaitOpened(10000));
  EXPECT_EQ(shell.address, BuildSearchUrl(L"\x0916"));
}

TEST_F(EngineTest, SearchWebOutsideThePageSearchesTheSpacedText) {
  engine_.SetComposition(new TestComposition({{L"ram", L"ram", 0}}, 3));
  TestCandidates list({L"\x0930"});
  engine_.SetCandidates(&list);
  RecordingShell shell;
  FixedUserName user(L"someone");
  engine_.SetWebSeams(&user, &shell);
  engine_.SearchWeb(5);
  ASSERT_TRUE(shell.WaitOpened(10000));
  EXPECT_EQ(shell.address, BuildSearchUrl(L"ram"));
}

}  // namespace
}  // namespace frontend
}  // namespace ime_shared
