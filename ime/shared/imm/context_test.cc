#include "ime/shared/imm/context.h"

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "gtest/gtest.h"
#include "ime/shared/imm/blocks.h"
#include "ime/shared/imm/imm_test_helpers.h"

namespace ime_shared {
namespace imm {
namespace {

using testing_helpers::ChangeCandidates;
using testing_helpers::CloseCandidates;
using testing_helpers::Committed;
using testing_helpers::Composing;
using testing_helpers::End;
using testing_helpers::FakeImm;
using testing_helpers::Message;
using testing_helpers::OpenCandidates;
using testing_helpers::Private;
using testing_helpers::RecordingUIManager;
using testing_helpers::ScriptedEngine;
using testing_helpers::Start;
using testing_helpers::TestContext;
using testing_helpers::TestMessageList;
using testing_helpers::TestQueue;
using testing_helpers::ToMessages;

using Messages = std::vector<Message>;

const HWND kWindow = reinterpret_cast<HWND>(0x5000);
const POINT kWindowOrigin = {300, 200};

// An image of a block built by hand from the layout, to compare the
// context's blocks with byte for byte.
class Image {
 public:
  explicit Image(size_t size) : bytes_(size, 0) {}
  Image& Dword(size_t offset, DWORD value) {
    std::memcpy(&bytes_[offset], &value, sizeof(value));
    return *this;
  }
  // |text| and a NUL.
  Image& Text(size_t offset, const std::wstring& text) {
    std::memcpy(&bytes_[offset], text.c_str(),
                (text.size() + 1) * sizeof(wchar_t));
    return *this;
  }
  const std::vector<uint8_t>& bytes() const { return bytes_; }

 private:
  std::vector<uint8_t> bytes_;
};

Image FreshCompositionImage() {
  Image image(2616);
  image.Dword(0, 2616)      // dwSize
      .Dword(4 * 2, 1108)   // dwCompReadAttrOffset
      .Dword(4 * 4, 1100)   // dwCompReadClauseOffset
      .Dword(4 * 6, 100)    // dwCompReadStrOffset
      .Dword(4 * 8, 1108)   // dwCompAttrOffset
      .Dword(4 * 10, 1100)  // dwCompClauseOffset
      .Dword(4 * 12, 100)   // dwCompStrOffset
      .Dword(4 * 22, 1608);  // dwResultStrOffset
  return image;
}

Image FreshCandidateImage() {
  Image image(10208);
  image.Dword(0, 10208).Dword(4, 1).Dword(8, 144);  // CANDIDATEINFO
  image.Dword(144, 10064)                            // list dwSize
      .Dword(148, 1)                                 // IME_CAND_READ
      .Dword(164, 10);                               // dwPageSize
  for (DWORD i = 0; i < 10; ++i) image.Dword(168 + 4 * i, 64 + 1000 * i);
  return image;
}

// The composition image with the lengths, caret, clauses and strings of
// |composition| and |result|.
Image CompositionImage(const std::wstring& composition, DWORD caret,
                       const std::wstring& result) {
  Image image = FreshCompositionImage();
  const DWORD length = static_cast<DWORD>(composition.size());
  const DWORD result_length = static_cast<DWORD>(result.size());
  image.Dword(4 * 1, length)   // dwCompReadAttrLen
      .Dword(4 * 5, length)    // dwCompReadStrLen
      .Dword(4 * 7, length)    // dwCompAttrLen
      .Dword(4 * 11, length)   // dwCompStrLen
      .Dword(4 * 13, caret)    // dwCursorPos
      .Dword(4 * 21, result_length)  // dwResultStrLen
      .Text(100, composition)
      .Dword(1104, length)     // clause entry 1
      .Text(1608, result)
      .Dword(2612, result_length);
  return image;
}

class ContextTest : public ::testing::Test {
 protected:
  void SetUp() override {
    imm_.windows[kWindow] = kWindowOrigin;
    himc_ = imm_.NewContext(kWindow);
    context_ = std::make_unique<TestContext>(himc_, new TestQueue(himc_));
    engine_owner_ = std::make_unique<ScriptedEngine>();
    engine_ = engine_owner_.get();
    engine_->context = context_.get();
    engine_->destroyed = &engines_destroyed_;
    std::memset(keys_, 0, sizeof(keys_));
  }
  void TearDown() override {
    context_.reset();
    EXPECT_EQ(imm_.OutstandingLocks(), 0) << "a lock was not undone";
    EXPECT_EQ(imm_.dcs_out, 0) << "a device context was not released";
    EXPECT_TRUE(imm_.GuardsIntact()) << "wrote beyond a block";
  }

  // Gives the engine to the context.
  bool Attach() { return context_->Attach(engine_owner_.release()); }

  INPUTCONTEXT& imc() { return imm_.Imc(himc_); }
  std::vector<uint8_t> CompositionBytes() { return imm_.Bytes(imc().hCompStr); }
  std::vector<uint8_t> CandidateBytes() { return imm_.Bytes(imc().hCandInfo); }
  CANDIDATELIST* List() {
    return CandidateListOf(imm_.As<BYTE>(imc().hCandInfo));
  }
  std::wstring Slot(DWORD i) {
    return std::wstring(reinterpret_cast<const wchar_t*>(
        imm_.As<BYTE>(imc().hCandInfo) + 208 + 1000 * i));
  }
  // The messages generated since the last call.
  Messages TakeGenerated() {
    Messages taken = imm_.generated;
    imm_.generated.clear();
    return taken;
  }
  // One key through ToAsciiEx with a list of |capacity| entries: the
  // messages the system gets (from hMsgBuf when they did not fit).
  Messages Type(UINT vk, UINT capacity = 10) {
    TestMessageList list(capacity);
    const UINT count = context_->ToAsciiEx(vk, 0x1E, keys_, list.get());
    EXPECT_TRUE(list.SpareIntact());
    if (count <= capacity) return list.First(count);
    EXPECT_EQ(imc().dwNumMsgBuf, count);
    return ToMessages(imm_.As<TRANSMSG>(imc().hMsgBuf), count);
  }

  FakeImm imm_;
  HIMC himc_ = nullptr;
  std::unique_ptr<TestContext> context_;
  std::unique_ptr<ScriptedEngine> engine_owner_;
  ScriptedEngine* engine_ = nullptr;
  int engines_destroyed_ = 0;
  BYTE keys_[256];
};

TEST_F(ContextTest, AttachPreparesTheInputContextAndBothBlocks) {
  ASSERT_TRUE(Attach());
  EXPECT_EQ(context_->GetEngine(), engine_);
  EXPECT_EQ(imc().fOpen, TRUE);
  EXPECT_EQ(imc().fdwConversion, static_cast<DWORD>(IME_CMODE_NATIVE));
  EXPECT_EQ(imc().fdwSentence, 0u);
  EXPECT_EQ(imc().fdwInit & (INIT_CONVERSION | INIT_LOGFONT),
            static_cast<DWORD>(INIT_CONVERSION | INIT_LOGFONT));
  // The screen's font, taken from a device context that went back.
  EXPECT_EQ(imc().lfFont.W.lfHeight, -13);
  EXPECT_STREQ(imc().lfFont.W.lfFaceName, L"ScreenFont");
  EXPECT_EQ(imm_.dcs_taken, 1);

  EXPECT_EQ(imm_.SizeOf(imc().hCompStr), 2616u);
  EXPECT_EQ(CompositionBytes(), FreshCompositionImage().bytes());
  EXPECT_EQ(imm_.SizeOf(imc().hCandInfo), 10208u);
  EXPECT_EQ(CandidateBytes(), FreshCandidateImage().bytes());
}

TEST_F(ContextTest, AttachKeepsWhatTheApplicationSetAndReusesItsBlocks) {
  imc().fdwInit = INIT_LOGFONT | INIT_CONVERSION;
  imc().lfFont.W.lfHeight = -40;
  imc().fdwConversion = 0x8;
  HIMCC old_composition = imm_.MakeBlock(100, 0x77);
  HIMCC old_candidates = imm_.MakeBlock(10208, 0x77);
  imc().hCompStr = old_composition;
  imc().hCandInfo = old_candidates;
  engine_->conversion = false;
  engine_->sentence = true;

  ASSERT_TRUE(Attach());
  EXPECT_EQ(imc().lfFont.W.lfHeight, -40) << "the application's font stays";
  EXPECT_EQ(imm_.dcs_taken, 0);
  // The conversion status is the engine's.
  EXPECT_EQ(imc().fdwConversion, 0u);
  EXPECT_EQ(imc().fdwSentence, 1u);
  // The small block was resized (and moved), the right-sized one reused;
  // both rewritten from scratch.
  EXPECT_NE(imc().hCompStr, old_composition);
  EXPECT_FALSE(imm_.HasBlock(old_composition));
  EXPECT_EQ(CompositionBytes(), FreshCompositionImage().bytes());
  EXPECT_EQ(imc().hCandInfo, old_candidates);
  EXPECT_EQ(CandidateBytes(), FreshCandidateImage().bytes());
}

TEST_F(ContextTest, AttachFailsQuietlyAndReplacesAnEarlierEngine) {
  imm_.unlockable_contexts.insert(himc_);
  ScriptedEngine* first = engine_;
  EXPECT_FALSE(Attach());
  EXPECT_EQ(context_->GetEngine(), first) << "the context owns it anyway";

  imm_.unlockable_contexts.clear();
  imm_.fail_create = true;
  auto second = std::make_unique<ScriptedEngine>();
  second->destroyed = &engines_destroyed_;
  ScriptedEngine* second_raw = second.get();
  EXPECT_FALSE(context_->Attach(second.release()));
  EXPECT_EQ(engines_destroyed_, 1) << "the first engine was deleted";
  EXPECT_EQ(context_->GetEngine(), second_raw);
  EXPECT_EQ(imc().hCompStr, nullptr);

  imm_.fail_create = false;
  EXPECT_TRUE(context_->Attach(second_raw)) << "the same engine again";
  EXPECT_EQ(engines_destroyed_, 1);

  EXPECT_FALSE(context_->Attach(nullptr));
  EXPECT_EQ(engines_destroyed_, 2);
  EXPECT_EQ(context_->GetEngine(), nullptr);
}

TEST_F(ContextTest, MessageOrdersThroughATypedWord) {
  ASSERT_TRUE(Attach());
  const uint32_t kAll = 0x0F;

  // The first letter starts the composition.
  EXPECT_EQ(engine_->Show(L"n", 1, {}, L"", 0x03), 1);
  EXPECT_EQ(TakeGenerated(), (Messages{Start(), Composing(), Private(0x03)}));
  EXPECT_TRUE(context_->GetFlag(kFlagUpdatePending));

  // Candidates appear: open, then change.
  EXPECT_EQ(engine_->Show(L"na", 2, {L"न", L"ना"}), 1);
  EXPECT_EQ(TakeGenerated(), (Messages{Composing(), OpenCandidates(),
                                       ChangeCandidates(), Private(kAll)}));

  // Still there: open and change again, no start.
  engine_->Show(L"nam", 3, {L"नम", L"नाम"});
  EXPECT_EQ(TakeGenerated(), (Messages{Composing(), OpenCandidates(),
                                       ChangeCandidates(), Private(kAll)}));

  // A commit: the result, the end, one close.
  engine_->Show(L"", 0, {}, L"नाम ");
  EXPECT_EQ(TakeGenerated(),
            (Messages{Committed(), End(), CloseCandidates(), Private(kAll)}));

  // No candidates before and after: no candidate notification.
  engine_->Show(L"", 0, {}, L"", 0x0C);
  EXPECT_EQ(TakeGenerated(), (Messages{Private(0x0C)}));

  // A new word, then cancelled: the composition empties.
  engine_->Show(L"k", 1, {L"क"});
  EXPECT_EQ(TakeGenerated(), (Messages{Start(), Composing(), OpenCandidates(),
                                       ChangeCandidates(), Private(kAll)}));
  engine_->Show(L"", 0, {});
  EXPECT_EQ(TakeGenerated(),
            (Messages{Composing(), End(), CloseCandidates(), Private(kAll)}));
  EXPECT_TRUE(imm_.conversion_sets.empty());
}

// An application follows the composition by its start and end: every end
// closes a start, and changes come only in between.
TEST_F(ContextTest, CompositionMessagesComeInPairs) {
  ASSERT_TRUE(Attach());
  // Transliteration turned off with nothing composed: the engine reports
  // an empty composition, but there is nothing to change or end.
  engine_->Show(L"", 0, {}, L"", 0x1F);
  EXPECT_EQ(TakeGenerated(), (Messages{Private(0x1F)}));
  engine_->Show(L"", 0, {});
  EXPECT_EQ(TakeGenerated(), (Messages{Private(0x0F)}));

  // A result with nothing composed before: a pair of its own.
  engine_->Show(L"", 0, {}, L".");
  EXPECT_EQ(TakeGenerated(),
            (Messages{Start(), Committed(), End(), Private(0x0F)}));

  // A result that leaves the next word composed keeps the pair open, and
  // the cancel of that word closes it.
  engine_->Show(L"n", 1, {});
  EXPECT_EQ(TakeGenerated(), (Messages{Start(), Composing(), Private(0x0F)}));
  engine_->Show(L"k", 1, {}, L"\x0928 ");
  EXPECT_EQ(TakeGenerated(), (Messages{Committed(), Private(0x0F)}));
  engine_->Show(L"", 0, {}, L"", 0x1F);
  EXPECT_EQ(TakeGenerated(), (Messages{Composing(), End(), Private(0x1F)}));

  // An update that cannot reach the blocks sends nothing and changes
  // nothing the next update relies on.
  engine_->Show(L"t", 1, {});
  TakeGenerated();
  imm_.unlockable_contexts.insert(himc_);
  EXPECT_EQ(engine_->Show(L"", 0, {}), 0);
  imm_.unlockable_contexts.clear();
  engine_->Show(L"", 0, {});
  EXPECT_EQ(TakeGenerated(), (Messages{Composing(), End(), Private(0x0F)}));
}

TEST_F(ContextTest, ModeChangeSetsTheConversionStatus) {
  ASSERT_TRUE(Attach());
  engine_->conversion = false;
  EXPECT_EQ(context_->Update(0x10), 1);
  ASSERT_EQ(imm_.conversion_sets.size(), 1u);
  EXPECT_EQ(imm_.conversion_sets[0], std::make_pair(DWORD{0}, DWORD{0}));
  EXPECT_EQ(TakeGenerated(), (Messages{Private(0x10)}));

  engine_->conversion = true;
  context_->Update(0x3F);
  EXPECT_EQ(imm_.conversion_sets.back(),
            std::make_pair(DWORD{IME_CMODE_NATIVE}, DWORD{0}));
  EXPECT_EQ(TakeGenerated().back(), Private(0x3F)) << "IMN_PRIVATE last";
}

TEST_F(ContextTest, BlocksByteForByte) {
  ASSERT_TRUE(Attach());
  engine_->selection = 1;
  engine_->Show(L"namaste", 5, {L"नमस्ते", L"नमस्ते!", L"namaste"});
  EXPECT_EQ(CompositionBytes(), CompositionImage(L"namaste", 5, L"").bytes());
  Image candidates = FreshCandidateImage();
  candidates.Dword(144 + 8, 3)   // dwCount
      .Dword(144 + 12, 1)        // dwSelection
      .Dword(144 + 20, 3)        // dwPageSize
      .Text(208, L"नमस्ते")
      .Text(1208, L"नमस्ते!")
      .Text(2208, L"namaste");
  EXPECT_EQ(CandidateBytes(), candidates.bytes());

  // The commit keeps the old candidate strings but counts none.
  engine_->selection = 0;
  engine_->Show(L"", 0, {}, L"नमस्ते ");
  // The composition area keeps its old text behind the new NUL.
  Image committed = CompositionImage(L"namaste", 0, L"नमस्ते ");
  committed.Text(100, L"").Dword(4 * 1, 0).Dword(4 * 5, 0).Dword(4 * 7, 0)
      .Dword(4 * 11, 0).Dword(1104, 0);
  EXPECT_EQ(CompositionBytes(), committed.bytes());
  candidates.Dword(144 + 8, 0).Dword(144 + 12, 0).Dword(144 + 20, 0);
  EXPECT_EQ(CandidateBytes(), candidates.bytes());
}

TEST_F(ContextTest, StringsStopAt499Units) {
  ASSERT_TRUE(Attach());
  const std::wstring s499(499, L'a');
  const std::wstring s500 = s499 + L"b";
  engine_->Show(s499, 499, {s499, L"x"}, L"");
  EXPECT_EQ(CompositionBytes(), CompositionImage(s499, 499, L"").bytes());
  EXPECT_EQ(Slot(0), s499);

  engine_->Show(s500, 500, {s500 + L"ccc", L"x"}, L"");
  EXPECT_EQ(CompositionBytes(), CompositionImage(s499, 499, L"").bytes())
      << "cut to 499 with a NUL, caret kept within";
  EXPECT_EQ(Slot(0), s499);
  EXPECT_EQ(Slot(1), L"x") << "the next slot is untouched";

  engine_->Show(L"", 0, {}, s500);
  auto* header = imm_.As<COMPOSITIONSTRING>(imc().hCompStr);
  EXPECT_EQ(header->dwResultStrLen, 499u);
  EXPECT_EQ(std::wstring(reinterpret_cast<const wchar_t*>(
                imm_.As<BYTE>(imc().hCompStr) + 1608)),
            s499);
  EXPECT_EQ(*reinterpret_cast<const DWORD*>(imm_.As<BYTE>(imc().hCompStr) +
                                            2612),
            499u);

  // A caret outside the text is kept within it.
  engine_->Show(L"abc", -4, {});
  EXPECT_EQ(header->dwCursorPos, 0u);
}

TEST_F(ContextTest, AtMostTenCandidateSlots) {
  ASSERT_TRUE(Attach());
  std::vector<std::wstring> twelve;
  for (int i = 0; i < 12; ++i) twelve.push_back(L"c" + std::to_wstring(i));
  engine_->selection = 11;
  engine_->Show(L"abc", 3, twelve);
  EXPECT_EQ(List()->dwCount, 10u);
  EXPECT_EQ(List()->dwPageSize, 10u);
  EXPECT_EQ(List()->dwSelection, 9u) << "kept within what was stored";
  for (DWORD i = 0; i < 10; ++i) EXPECT_EQ(Slot(i), twelve[i]);
  // The guard bytes behind the block are checked in TearDown.

  engine_->selection = 2;
  engine_->Show(L"ab", 2, {L"x", L"y"});
  EXPECT_EQ(List()->dwCount, 2u);
  EXPECT_EQ(List()->dwSelection, 1u);
}

// Each state bit from its own key, with nothing else down.
TEST_F(ContextTest, KeyPackingBitByBit) {
  engine_->eat = true;
  ASSERT_TRUE(Attach());
  struct Case {
    UINT key;
    BYTE value;
    uint32_t bit;
  };
  const Case cases[] = {
      {VK_CAPITAL, 0x01, KeyEvent::kCapsLock},
      {VK_SHIFT, 0x80, KeyEvent::kShift},
      {VK_CONTROL, 0x80, KeyEvent::kControl},
      {VK_MENU, 0x80, KeyEvent::kAlt},
      {VK_LSHIFT, 0x80, KeyEvent::kLeftShift},
      {VK_LCONTROL, 0x80, KeyEvent::kLeftControl},
      {VK_RSHIFT, 0x80, KeyEvent::kRightShift},
      {VK_RCONTROL, 0x80, KeyEvent::kRightControl},
      // A toggled, released Shift and a Caps Lock held but not toggled
      // count for nothing.
      {VK_SHIFT, 0x01, 0},
      {VK_CAPITAL, 0x80, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.key);
    std::memset(keys_, 0, sizeof(keys_));
    keys_[c.key] = c.value;
    keys_[VK_F5] = 0x80;
    EXPECT_EQ(context_->ProcessKey(VK_F5, keys_), TRUE);
    ASSERT_FALSE(engine_->tested.empty());
    const KeyEvent& event = engine_->tested.back();
    EXPECT_EQ(event.virtual_key, VK_F5);
    EXPECT_EQ(event.state, KeyEvent::kDown | c.bit);
    // ToAscii gave nothing (and left junk in its buffer).
    EXPECT_EQ(event.character, 0);
  }

  // Key down from the key's own entry.
  std::memset(keys_, 0, sizeof(keys_));
  context_->ProcessKey('N', keys_);
  EXPECT_EQ(engine_->tested.back().state, 0u) << "a release";
  EXPECT_EQ(engine_->tested.back().character, 'n');
  keys_['N'] = 0x80;
  keys_[VK_SHIFT] = 0x80;
  keys_[VK_RSHIFT] = 0x80;
  context_->ProcessKey('N', keys_);
  EXPECT_EQ(engine_->tested.back().state,
            KeyEvent::kDown | KeyEvent::kShift | KeyEvent::kRightShift);
  EXPECT_EQ(engine_->tested.back().character, 'N');
  // Ctrl+G gives its control character; the ToAscii scan code is the key's.
  std::memset(keys_, 0, sizeof(keys_));
  keys_['G'] = 0x80;
  keys_[VK_CONTROL] = 0x80;
  keys_[VK_LCONTROL] = 0x80;
  imm_.scan_codes.clear();
  context_->ProcessKey('G', keys_);
  EXPECT_EQ(engine_->tested.back().character, kCtrlG);
  EXPECT_EQ(engine_->tested.back().state,
            KeyEvent::kDown | KeyEvent::kControl | KeyEvent::kLeftControl);
  EXPECT_EQ(imm_.scan_codes, std::vector<UINT>{'G' + 0x100});
  // A character above 127 is none.
  std::memset(keys_, 0, sizeof(keys_));
  context_->ProcessKey(VK_OEM_7, keys_);
  EXPECT_EQ(engine_->tested.back().character, 0);
}

TEST_F(ContextTest, ToAsciiExTakesKeyDownFromScanCodeBit15) {
  ASSERT_TRUE(Attach());
  TestMessageList list(10);
  // The key state says up, the scan code says down: down. No character in
  // the high word: the keyboard translates the key.
  std::memset(keys_, 0, sizeof(keys_));
  EXPECT_EQ(context_->ToAsciiEx('A', 0x1E, keys_, list.get()), 0u);
  EXPECT_EQ(imm_.scan_codes.size(), 1u);
  // The key state says down, bit 15 says up: up. The character the system
  // passes in the high word is the key's, not the virtual key, and the
  // keyboard is not asked again.
  keys_['A'] = 0x80;
  keys_[VK_LSHIFT] = 0x80;
  keys_[VK_SHIFT] = 0x80;
  imm_.scan_codes.clear();
  context_->ToAsciiEx(('A' << 16) | 'A', 0x801E, keys_, list.get());
  EXPECT_TRUE(imm_.scan_codes.empty());
  ASSERT_EQ(engine_->handled.size(), 2u);
  EXPECT_EQ(engine_->handled[0].virtual_key, 'A');
  EXPECT_EQ(engine_->handled[0].state, KeyEvent::kDown);
  EXPECT_EQ(engine_->handled[0].character, 'a');
  EXPECT_EQ(engine_->handled[1].virtual_key, 'A');
  EXPECT_EQ(engine_->handled[1].state,
            KeyEvent::kShift | KeyEvent::kLeftShift);
  EXPECT_EQ(engine_->handled[1].character, 'A');
  EXPECT_TRUE(engine_->tested.empty()) << "ToAsciiEx does not test keys";

  // A whole key as IMM32 sends it: the test, then the key with its
  // character. The keyboard is asked once, by the test; the handled key
  // carries the system's character even where this keyboard state would
  // give another, and one above 127 is none.
  std::memset(keys_, 0, sizeof(keys_));
  keys_['N'] = 0x80;
  imm_.scan_codes.clear();
  engine_->handled.clear();
  context_->ProcessKey('N', keys_);
  context_->ToAsciiEx(('N' << 16) | 'N', 0x31, keys_, list.get());
  context_->ToAsciiEx((0x0928u << 16) | 'N', 0x31, keys_, list.get());
  EXPECT_EQ(imm_.scan_codes.size(), 1u);
  ASSERT_EQ(engine_->handled.size(), 2u);
  EXPECT_EQ(engine_->handled[0].virtual_key, 'N');
  EXPECT_EQ(engine_->handled[0].character, 'N');
  EXPECT_EQ(engine_->handled[0].state, KeyEvent::kDown);
  EXPECT_EQ(engine_->handled[1].virtual_key, 'N');
  EXPECT_EQ(engine_->handled[1].character, 0);
}

TEST_F(ContextTest, KeyMessagesLeaveThroughTheListOrHMsgBuf) {
  ASSERT_TRUE(Attach());
  engine_->on_key = [this](const KeyEvent& key) {
    if (key.character == 'n') engine_->Show(L"n", 1, {L"न"});
    if (key.virtual_key == VK_SPACE) engine_->Show(L"", 0, {}, L"न ");
  };
  EXPECT_EQ(Type('N'), (Messages{Start(), Composing(), OpenCandidates(),
                                 ChangeCandidates(), Private(0x0F)}));
  EXPECT_EQ(imm_.generate_calls, 0) << "all went through the list";
  EXPECT_EQ(imc().dwNumMsgBuf, 0u);

  // Four messages, room for two: all four in hMsgBuf, counted.
  EXPECT_EQ(Type(VK_SPACE, 2),
            (Messages{Committed(), End(), CloseCandidates(), Private(0x0F)}));
  EXPECT_EQ(imm_.generate_calls, 0);
}

TEST_F(ContextTest, WorkOutsideAKeyGoesOutBeforeTheKey) {
  ASSERT_TRUE(Attach());
  context_->queue()->Push(WM_IME_NOTIFY, IMN_PRIVATE, 0x10);
  engine_->on_key = [this](const KeyEvent&) { engine_->Show(L"n", 1, {}); };
  EXPECT_EQ(Type('N'), (Messages{Start(), Composing(), Private(0x0F)}));
  EXPECT_EQ(TakeGenerated(), (Messages{Private(0x10)}));
}

TEST_F(ContextTest, ClosedOrUnlockableContextLetsKeysThrough) {
  engine_->eat = true;
  ASSERT_TRUE(Attach());
  keys_['N'] = 0x80;
  TestMessageList list(10);

  imc().fOpen = FALSE;
  EXPECT_FALSE(context_->IsOpen());
  EXPECT_EQ(context_->ProcessKey('N', keys_), FALSE);
  EXPECT_EQ(context_->ToAsciiEx('N', 0x31, keys_, list.get()), 0u);

  imc().fOpen = TRUE;
  imm_.unlockable_contexts.insert(himc_);
  EXPECT_FALSE(context_->IsOpen());
  EXPECT_EQ(context_->ProcessKey('N', keys_), FALSE);
  EXPECT_EQ(context_->ToAsciiEx('N', 0x31, keys_, list.get()), 0u);
  EXPECT_TRUE(engine_->tested.empty());
  EXPECT_TRUE(engine_->handled.empty());

  // An update that cannot lock does nothing and is not left pending.
  EXPECT_EQ(engine_->Show(L"n", 1, {}), 0);
  EXPECT_FALSE(context_->GetFlag(kFlagUpdatePending));
  EXPECT_TRUE(imm_.generated.empty());
  imm_.unlockable_contexts.clear();
  imm_.unlockable_blocks.insert(imc().hCandInfo);
  EXPECT_EQ(engine_->Show(L"n", 1, {}), 0);
  EXPECT_FALSE(context_->GetFlag(kFlagUpdatePending));
  EXPECT_TRUE(imm_.generated.empty());
  EXPECT_EQ(CompositionBytes(), FreshCompositionImage().bytes());

  imm_.unlockable_blocks.clear();
  EXPECT_TRUE(context_->IsOpen());
  EXPECT_EQ(context_->ProcessKey('N', keys_), TRUE);
  EXPECT_EQ(context_->ProcessKey('N', nullptr), FALSE);
  EXPECT_EQ(context_->ToAsciiEx('N', 0x31, nullptr, list.get()), 0u);
}

TEST_F(ContextTest, NothingBeforeAnEngine) {
  EXPECT_EQ(context_->ProcessKey('N', keys_), FALSE);
  EXPECT_EQ(context_->ToAsciiEx('N', 0x31, keys_, nullptr), 0u);
  EXPECT_EQ(context_->Update(0x0F), 0);
  context_->ReadConversionStatus();
  EXPECT_EQ(context_->GetEngine(), nullptr);
  // Selected but not yet attached: no blocks to write.
  context_->Attach(engine_owner_.release());
  imm_.Imc(himc_).hCompStr = nullptr;
  EXPECT_EQ(context_->Update(0x0F), 0);
  EXPECT_FALSE(context_->GetFlag(kFlagUpdatePending));
}

TEST_F(ContextTest, ConversionStatusReachesTheEngine) {
  ASSERT_TRUE(Attach());
  imc().fdwConversion = 0;
  imc().fdwSentence = 8;
  context_->ReadConversionStatus();
  EXPECT_EQ(engine_->mode_sets,
            (std::vector<std::pair<int32_t, int32_t>>{{0, 0}, {1, 8}}));
}

TEST_F(ContextTest, FlagsForTheUIWindow) {
  for (int32_t i = -1; i <= 4; ++i) EXPECT_FALSE(context_->GetFlag(i));
  context_->SetFlag(kFlagCompositionWindow, true);
  context_->SetFlag(kFlagCandidateWindow, true);
  context_->SetFlag(7, true);
  EXPECT_TRUE(context_->GetFlag(1));
  EXPECT_TRUE(context_->GetFlag(2));
  EXPECT_FALSE(context_->GetFlag(0));
  EXPECT_FALSE(context_->GetFlag(7));
  context_->SetFlag(kFlagCandidateWindow, false);
  EXPECT_FALSE(context_->GetFlag(2));
  EXPECT_FALSE(context_->IsTextServiceContext());
  EXPECT_FALSE(context_->Reserved());
}

// A rectangle that compares and prints.
struct Box {
  LONG left, top, right, bottom;
};
bool operator==(const Box& a, const Box& b) {
  return a.left == b.left && a.top == b.top && a.right == b.right &&
         a.bottom == b.bottom;
}
std::ostream& operator<<(std::ostream& out, const Box& r) {
  return out << "{" << r.left << ", " << r.top << ", " << r.right << ", "
             << r.bottom << "}";
}
const Box kNone = {-1, -1, -1, -1};

// Caret rectangles: the window's client origin is (300, 200).
class CaretRectTest : public ContextTest {
 protected:
  void SetUp() override {
    ContextTest::SetUp();
    ASSERT_TRUE(Attach());
    imm_.window_font_heights[kWindow] = -20;
    imm_.has_caret = true;
    imm_.caret = {7, 9};
  }
  // The rectangle, or kNone.
  Box Rect() {
    std::wstring text = L"junk";
    RECT rect = {-5, -5, -5, -5};
    const bool found = context_->GetCaretRect(&text, &rect);
    EXPECT_TRUE(text.empty());
    EXPECT_EQ(imm_.dcs_out, 0);
    if (!found) return kNone;
    return Box{rect.left, rect.top, rect.right, rect.bottom};
  }
  static Box At(LONG x, LONG y, LONG height) {
    return Box{x + 300, y + 200, x + 300, y + 200 + height};
  }
  void CandidateForm(DWORD style, POINT point, DWORD index = 0) {
    imc().cfCandForm[0].dwIndex = index;
    imc().cfCandForm[0].dwStyle = style;
    imc().cfCandForm[0].ptCurrentPos = point;
  }
  void CompositionForm(DWORD style, POINT point) {
    imc().fdwInit |= INIT_COMPFORM;
    imc().cfCompForm.dwStyle = style;
    imc().cfCompForm.ptCurrentPos = point;
  }
};


TEST_F(CaretRectTest, NoneWhileNeitherWindowIsPositioned) {
  CandidateForm(CFS_EXCLUDE, {5, 6});
  CompositionForm(CFS_POINT, {5, 6});
  EXPECT_EQ(Rect(), kNone);
  EXPECT_FALSE(context_->GetCaretRect(nullptr, nullptr));
}

TEST_F(CaretRectTest, CandidateFormCases) {
  context_->SetFlag(kFlagCandidateWindow, true);
  CandidateForm(CFS_EXCLUDE, {5, 6});
  EXPECT_EQ(Rect(), At(5, 6, 20));
  CandidateForm(CFS_EXCLUDE | CFS_CANDIDATEPOS, {5, 6});
  EXPECT_EQ(Rect(), At(5, 6, 20));
  // The usual style: the window goes exactly there.
  CandidateForm(CFS_CANDIDATEPOS, {5, 6});
  EXPECT_EQ(Rect(), At(5, 6, 0));
  CandidateForm(CFS_DEFAULT, {5, 6});
  EXPECT_EQ(Rect(), At(7, 9, 20));
  imm_.has_caret = false;
  EXPECT_EQ(Rect(), kNone);
  imm_.has_caret = true;
  CandidateForm(CFS_POINT, {5, 6});
  EXPECT_EQ(Rect(), kNone);
  // A form the application never set, or for another list.
  CandidateForm(CFS_EXCLUDE, {5, 6}, ~0u);
  EXPECT_EQ(Rect(), kNone);
  CandidateForm(CFS_EXCLUDE, {5, 6}, 1);
  EXPECT_EQ(Rect(), kNone);
  // No fall-back to a good composition form.
  context_->SetFlag(kFlagCompositionWindow, true);
  CompositionForm(CFS_POINT, {1, 1});
  EXPECT_EQ(Rect(), kNone);
  // A window that is gone.
  CandidateForm(CFS_EXCLUDE, {5, 6});
  imm_.windows.clear();
  EXPECT_EQ(Rect(), kNone);
}

TEST_F(CaretRectTest, CompositionFormCases) {
  context_->SetFlag(kFlagCompositionWindow, true);
  // Never set (as by the edit control under Wine): at the caret, even with
  // junk in the form.
  imc().cfCompForm.dwStyle = CFS_POINT;
  imc().cfCompForm.ptCurrentPos = {50, 50};
  EXPECT_EQ(Rect(), At(7, 9, 20));
  CompositionForm(CFS_POINT, {5, 6});
  EXPECT_EQ(Rect(), At(5, 6, 20));
  CompositionForm(CFS_RECT, {5, 6});
  EXPECT_EQ(Rect(), At(5, 6, 20));
  CompositionForm(CFS_POINT | CFS_FORCE_POSITION, {5, 6});
  EXPECT_EQ(Rect(), At(5, 6, 0));
  CompositionForm(CFS_DEFAULT, {5, 6});
  EXPECT_EQ(Rect(), At(7, 9, 20));
  imm_.has_caret = false;
  EXPECT_EQ(Rect(), kNone);
  imm_.has_caret = true;
  imm_.windows.clear();
  EXPECT_EQ(Rect(), kNone);
}

TEST_F(CaretRectTest, FontHeight) {
  context_->SetFlag(kFlagCompositionWindow, true);
  CompositionForm(CFS_POINT, {5, 6});
  imm_.window_font_heights[kWindow] = 0;
  EXPECT_EQ(Rect(), At(5, 6, 16)) << "a font without a height";
  imm_.window_font_heights[kWindow] = 25;
  EXPECT_EQ(Rect(), At(5, 6, 25));
  imm_.window_font_heights.clear();
  EXPECT_EQ(Rect(), At(5, 6, 16)) << "no font";
  imm_.window_font_heights[kWindow] = -20;
  imc().fdwInit &= ~static_cast<DWORD>(INIT_LOGFONT);
  const int taken = imm_.dcs_taken;
  EXPECT_EQ(Rect(), At(5, 6, 16)) << "a context without a font";
  EXPECT_EQ(imm_.dcs_taken, taken);
}

TEST_F(ContextTest, UpdatesDuringMessageDeliveryFollowInOrder) {
  ASSERT_TRUE(Attach());
  // The application, seeing the composition start, has the engine commit.
  bool reacted = false;
  imm_.on_generate = [&] {
    if (reacted) return;
    reacted = true;
    engine_->Show(L"", 0, {}, L"n");
  };
  engine_->Show(L"n", 1, {});
  EXPECT_EQ(TakeGenerated(), (Messages{Start(), Composing(), Private(0x0F),
                                       Committed(), End(), Private(0x0F)}));
}

TEST_F(ContextTest, FinderHandsTheFlagsToAUIManager) {
  class Finder : public UIManagerFinder {
   public:
    UIManagerInterface* FindUIManager(HIMC himc) override {
      asked.push_back(himc);
      return manager;
    }
    UIManagerInterface* manager = nullptr;
    std::vector<HIMC> asked;
  };
  ASSERT_TRUE(Attach());
  Finder finder;
  RecordingUIManager manager;
  context_->SetUIManagerFinder(&finder);
  engine_->Show(L"n", 1, {});
  EXPECT_TRUE(context_->GetFlag(kFlagUpdatePending)) << "no manager found";
  finder.manager = &manager;
  engine_->Show(L"na", 2, {}, L"", 0x03);
  EXPECT_EQ(manager.updates, std::vector<uint32_t>{0x03});
  EXPECT_FALSE(context_->GetFlag(kFlagUpdatePending));
  EXPECT_EQ(finder.asked, (std::vector<HIMC>{himc_, himc_}));
  EXPECT_EQ(TakeGenerated().back(), Private(0x03)) << "still notified";
}

TEST_F(ContextTest, EngineFailuresStayInside) {
  ASSERT_TRUE(Attach());
  keys_['N'] = 0x80;
  engine_->throw_on_key = true;
  EXPECT_EQ(context_->ProcessKey('N', keys_), FALSE);
  // What the engine queued before it failed still goes out.
  engine_->on_key = [this](const KeyEvent&) { engine_->Show(L"n", 1, {}); };
  EXPECT_EQ(Type('N'), (Messages{Start(), Composing(), Private(0x0F)}));
  EXPECT_FALSE(context_->queue()->IsAttached());

  engine_->throw_on_key = false;
  engine_->throw_on_read = true;
  EXPECT_EQ(context_->Update(0x0F), 0);
  EXPECT_FALSE(context_->GetFlag(kFlagUpdatePending));
  // A failed attach of an engine that cannot answer its mode.
  EXPECT_FALSE(context_->Attach(engine_));
}

TEST_F(ContextTest, AnEngineGoingAwayCannotUpdate) {
  ASSERT_TRUE(Attach());
  TestContext* context = context_.get();
  engine_->on_destroy = [this, context] {
    EXPECT_EQ(context->GetEngine(), nullptr);
    EXPECT_EQ(engine_->Show(L"n", 1, {}), 0);
  };
  context_.reset();
  EXPECT_EQ(engines_destroyed_, 1);
}

}  // namespace
}  // namespace imm
}  // namespace ime_shared
