#include "ime/shared/tsf/keyboard.h"

#include <new>
#include <vector>

#include "gtest/gtest.h"
#include "ime/shared/base/com_object.h"
#include "ime/shared/frontend/frontend_test_helpers.h"
#include "ime/shared/tsf/testing/fake_context.h"
#include "ime/shared/tsf/testing/recording_engine.h"

namespace ime_shared {
namespace tsf {
namespace {

using base::ComPtr;
using base::MakeComObject;
using ime_tsf_testing::FakeContext;
using ime_tsf_testing::RecordingEngine;
using testing_helpers::Key;

// The key data of a first key-down of a key with scan code |scan|.
LPARAM KeyData(UINT scan) { return static_cast<LPARAM>(1 | (scan << 16)); }
// The key data of an auto-repeated key-down: previous state bit 30 set.
LPARAM RepeatData(UINT scan) { return KeyData(scan) | (1 << 30); }
// The key data of a release: bits 30 and 31 set.
LPARAM UpData(UINT scan) { return KeyData(scan) | (3u << 30); }

// A keyboard state in which the given keys are down.
class KeyState {
 public:
  KeyState& Press(int virtual_key) {
    state_[virtual_key] |= 0x80;
    return *this;
  }
  KeyState& Toggle(int virtual_key) {
    state_[virtual_key] |= 0x01;
    return *this;
  }
  const BYTE* bytes() const { return state_; }
  // Makes it the thread's keyboard state, as the host's message loop would.
  void Apply() const { ASSERT_TRUE(::SetKeyboardState(const_cast<BYTE*>(state_))); }

 private:
  BYTE state_[256] = {};
};

TEST(PackKeyEventTest, PacksTheCharacterAndEveryStateBit) {
  EXPECT_EQ(PackKeyEvent('A', true, KeyState().bytes()), KeyEvent(Key::Char(L'a')));
  EXPECT_EQ(PackKeyEvent('A', false, KeyState().bytes()), KeyEvent(Key::Char(L'a').Up()));

  const KeyState left_shift = KeyState().Press(VK_SHIFT).Press(VK_LSHIFT);
  EXPECT_EQ(PackKeyEvent('A', true, left_shift.bytes()),
            KeyEvent(Key('A').WithChar(L'A').Shift()));

  // Ctrl+G gives the control character 7.
  const KeyState left_control = KeyState().Press(VK_CONTROL).Press(VK_LCONTROL);
  EXPECT_EQ(PackKeyEvent('G', true, left_control.bytes()),
            KeyEvent(Key('G').WithChar(7).Control()));

  // Right-hand keys, Alt and Caps Lock, each on its own bit.
  KeyEvent right = PackKeyEvent(VK_F12, true,
                                KeyState()
                                    .Press(VK_SHIFT)
                                    .Press(VK_RSHIFT)
                                    .Press(VK_CONTROL)
                                    .Press(VK_RCONTROL)
                                    .bytes());
  EXPECT_EQ(right.virtual_key, VK_F12);
  EXPECT_EQ(right.character, 0);  // no character for F12
  EXPECT_EQ(right.state, KeyEvent::kDown | KeyEvent::kShift | KeyEvent::kRightShift |
                             KeyEvent::kControl | KeyEvent::kRightControl);
  KeyEvent alt = PackKeyEvent(VK_F12, false, KeyState().Press(VK_MENU).bytes());
  EXPECT_EQ(alt.state, KeyEvent::kAlt);
  KeyEvent caps = PackKeyEvent('A', true, KeyState().Toggle(VK_CAPITAL).bytes());
  EXPECT_EQ(caps.state, KeyEvent::kDown | KeyEvent::kCapsLock);
  EXPECT_EQ(caps.character, 'A');
  // A held Caps Lock key that is not toggled on sets nothing.
  KeyEvent held = PackKeyEvent(VK_F12, true, KeyState().Press(VK_CAPITAL).bytes());
  EXPECT_EQ(held.state, KeyEvent::kDown);

  // Only the low 16 bits of the WPARAM are the virtual key.
  EXPECT_EQ(PackKeyEvent(0x10000 | 'B', true, KeyState().bytes()).virtual_key, 'B');
}

class KeyboardTest : public ::testing::Test {
 protected:
  KeyboardTest() {
    context_ = MakeComObject<FakeContext>();
    // The engine eats letters, nothing else.
    engine_.eats = [](const KeyEvent& key) {
      return key.virtual_key >= 'A' && key.virtual_key <= 'Z';
    };
    KeyState().Apply();
    EXPECT_EQ(keyboard_.Advise(context_.Get(), &engine_), S_OK);
    keyboard_.set_enabled(true);
  }
  ~KeyboardTest() override { keyboard_.Unadvise(); }

  BOOL TestDown(WPARAM key, LPARAM data) {
    BOOL eaten = 2;
    EXPECT_EQ(keyboard_.OnTestKeyDown(key, data, &eaten), S_OK);
    return eaten;
  }
  BOOL Down(WPARAM key, LPARAM data) {
    BOOL eaten = 2;
    EXPECT_EQ(keyboard_.OnKeyDown(key, data, &eaten), S_OK);
    return eaten;
  }
  BOOL TestUp(WPARAM key, LPARAM data) {
    BOOL eaten = 2;
    EXPECT_EQ(keyboard_.OnTestKeyUp(key, data, &eaten), S_OK);
    return eaten;
  }
  BOOL Up(WPARAM key, LPARAM data) {
    BOOL eaten = 2;
    EXPECT_EQ(keyboard_.OnKeyUp(key, data, &eaten), S_OK);
    return eaten;
  }

  ComPtr<FakeContext> context_;
  RecordingEngine engine_;
  Keyboard keyboard_;
};

TEST_F(KeyboardTest, AdvisesItsSinkOnTheContext) {
  EXPECT_EQ(context_->sinks().Count(IID_ITfContextKeyEventSink), 1u);
  ComPtr<ITfContextKeyEventSink> advised =
      context_->sinks().Sinks<ITfContextKeyEventSink>().front();
  EXPECT_EQ(advised.Get(), static_cast<ITfContextKeyEventSink*>(&keyboard_));

  keyboard_.Unadvise();
  EXPECT_EQ(context_->sinks().size(), 0u);
  // Without an engine no key is looked at.
  keyboard_.set_enabled(true);
  EXPECT_FALSE(TestDown('A', KeyData(0x1E)));
  EXPECT_TRUE(engine_.tested_keys.empty());

  // A context that refuses the sink.
  context_->sinks().advise_result = E_FAIL;
  EXPECT_EQ(keyboard_.Advise(context_.Get(), &engine_), E_FAIL);
  EXPECT_FALSE(keyboard_.IsAdvised());
}

TEST_F(KeyboardTest, EachKeyIsTestedOnceHoweverTheHostCalls) {
  // The usual order: a test, then the key-down, then the release.
  EXPECT_TRUE(TestDown('N', KeyData(0x31)));
  EXPECT_TRUE(Down('N', KeyData(0x31)));
  EXPECT_EQ(engine_.tested_keys.size(), 1u);
  EXPECT_EQ(engine_.handled_keys.size(), 1u);
  EXPECT_EQ(engine_.handled_keys[0], KeyEvent(Key::Char(L'n')));
  EXPECT_TRUE(TestUp('N', UpData(0x31)));
  EXPECT_TRUE(Up('N', UpData(0x31)));
  EXPECT_EQ(engine_.tested_keys.size(), 2u);
  EXPECT_EQ(engine_.handled_keys.size(), 2u);
  EXPECT_EQ(engine_.handled_keys[1], KeyEvent(Key::Char(L'n').Up()));

  // A host that tests the same key twice.
  EXPECT_TRUE(TestDown('A', KeyData(0x1E)));
  EXPECT_TRUE(TestDown('A', KeyData(0x1E)));
  EXPECT_TRUE(Down('A', KeyData(0x1E)));
  EXPECT_EQ(engine_.tested_keys.size(), 3u);
  EXPECT_EQ(engine_.handled_keys.size(), 3u);

  // A host that sends the key-down without a test.
  EXPECT_TRUE(Down('M', KeyData(0x32)));
  EXPECT_EQ(engine_.tested_keys.size(), 4u);
  EXPECT_EQ(engine_.handled_keys.size(), 4u);

  // An auto-repeated key has the same key data each time: every press is
  // a key of its own.
  for (int i = 0; i < 3; ++i) {
    EXPECT_TRUE(TestDown('A', RepeatData(0x1E)));
    EXPECT_TRUE(Down('A', RepeatData(0x1E)));
  }
  EXPECT_EQ(engine_.tested_keys.size(), 7u);
  EXPECT_EQ(engine_.handled_keys.size(), 7u);

  // A test of one key followed by the key-down of another tests the other.
  EXPECT_TRUE(TestDown('B', KeyData(0x30)));
  EXPECT_TRUE(Down('C', KeyData(0x2E)));
  EXPECT_EQ(engine_.tested_keys.size(), 9u);
  EXPECT_EQ(engine_.tested_keys.back(), KeyEvent(Key::Char(L'c')));
  EXPECT_EQ(engine_.handled_keys.back(), KeyEvent(Key::Char(L'c')));
}

TEST_F(KeyboardTest, ARefusedKeyNeverReachesTheHandler) {
  EXPECT_FALSE(TestDown(VK_F5, KeyData(0x3F)));
  EXPECT_FALSE(Down(VK_F5, KeyData(0x3F)));
  EXPECT_FALSE(Down(VK_F6, KeyData(0x40)));
  EXPECT_FALSE(Up(VK_F6, UpData(0x40)));
  EXPECT_EQ(engine_.tested_keys.size(), 3u);
  EXPECT_TRUE(engine_.handled_keys.empty());
}

TEST_F(KeyboardTest, KeysPassWhileDisabled) {
  keyboard_.set_enabled(false);
  EXPECT_FALSE(TestDown('A', KeyData(0x1E)));
  EXPECT_FALSE(Down('A', KeyData(0x1E)));
  EXPECT_FALSE(Up('A', UpData(0x1E)));
  EXPECT_TRUE(engine_.tested_keys.empty());
  EXPECT_TRUE(engine_.handled_keys.empty());

  // A test made before the switch is not used after it.
  keyboard_.set_enabled(true);
  EXPECT_TRUE(TestDown('A', KeyData(0x1E)));
  keyboard_.set_enabled(false);
  keyboard_.set_enabled(true);
  EXPECT_TRUE(Down('A', KeyData(0x1E)));
  EXPECT_EQ(engine_.tested_keys.size(), 2u);
}

TEST_F(KeyboardTest, KeysCarryTheKeyboardStateOfTheMoment) {
  KeyState().Press(VK_SHIFT).Press(VK_LSHIFT).Apply();
  EXPECT_TRUE(Down('N', KeyData(0x31)));
  EXPECT_EQ(engine_.tested_keys.back(), KeyEvent(Key('N').WithChar(L'N').Shift()));
  EXPECT_EQ(engine_.handled_keys.back(), KeyEvent(Key('N').WithChar(L'N').Shift()));
  KeyState().Apply();
}

TEST_F(KeyboardTest, AnEngineFailureLetsTheKeyPass) {
  engine_.eats = [](const KeyEvent&) -> bool { throw std::bad_alloc(); };
  BOOL eaten = TRUE;
  EXPECT_EQ(keyboard_.OnTestKeyDown('A', KeyData(0x1E), &eaten), E_OUTOFMEMORY);
  EXPECT_FALSE(eaten);
  eaten = TRUE;
  EXPECT_EQ(keyboard_.OnKeyDown('A', KeyData(0x1E), &eaten), E_OUTOFMEMORY);
  EXPECT_FALSE(eaten);
  EXPECT_TRUE(engine_.handled_keys.empty());
}

TEST_F(KeyboardTest, NullOutPointersAreRefused) {
  EXPECT_EQ(keyboard_.OnTestKeyDown('A', KeyData(0x1E), nullptr), E_INVALIDARG);
  EXPECT_EQ(keyboard_.OnTestKeyUp('A', UpData(0x1E), nullptr), E_INVALIDARG);
  EXPECT_EQ(keyboard_.OnKeyDown('A', KeyData(0x1E), nullptr), E_INVALIDARG);
  EXPECT_EQ(keyboard_.OnKeyUp('A', UpData(0x1E), nullptr), E_INVALIDARG);
  EXPECT_TRUE(engine_.tested_keys.empty());
}

TEST_F(KeyboardTest, CountsNoReferences) {
  EXPECT_EQ(keyboard_.AddRef(), 1u);
  EXPECT_EQ(keyboard_.Release(), 1u);
  ComPtr<IUnknown> identity;
  EXPECT_EQ(identity.QueryFrom(static_cast<ITfContextKeyEventSink*>(&keyboard_)), S_OK);
}

}  // namespace
}  // namespace tsf
}  // namespace ime_shared
