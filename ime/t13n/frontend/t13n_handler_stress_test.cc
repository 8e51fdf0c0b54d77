// A seeded random stream of keys and commands through the whole keystroke
// road, with the invariants the windows and contexts rely on checked after
// every event and, while transliteration is off, that every key the input
// method has no use for reaches the application. A failing seed is
// printed; KELVANE_STRESS_SEED replays it.
#include <random>
#include <string>

#include "gtest/gtest.h"
#include "ime/shared/frontend/command.h"
#include "ime/shared/testing/stress_seed.h"
#include "ime/t13n/frontend/language_bar.h"
#include "ime/t13n/frontend/t13n_handler_test_helpers.h"

namespace ime_t13n {
namespace {

using ime_shared::KeyEvent;
using ime_shared::frontend::kPropertyPickerShown;
using ime_shared::frontend::kPropertyTransliterationOn;
using ime_shared::testing_helpers::Key;
using testing_helpers::KeystrokeWorld;
namespace vk = ime_shared::vk;

constexpr int kEventsPerLanguage = 10000;

// Whether |key| must reach the application: transliteration is off,
// nothing (no picker text) is composed, the picker is hidden and the key is
// not one of the input method's own hot keys.
bool IsApplicationsKey(T13nEngine* engine, const KeyEvent& key) {
  if (engine->GetProperty(kPropertyTransliterationOn) != 0 ||
      engine->GetProperty(kPropertyPickerShown) != 0 ||
      !engine->GetComposition().empty()) {
    return false;
  }
  if (!key.IsDown()) return true;
  const uint8_t c = key.Byte();
  return key.virtual_key != vk::kF12 &&
         !(key.HasControl() && (c == ime_shared::kCtrlG ||
                                c == ime_shared::kCtrlK ||
                                c == ime_shared::kCtrlM));
}

// One random event; |what| receives its description, |eaten| the keys of
// the application the input method ate.
void RandomEvent(std::mt19937& random, KeystrokeWorld& world, LanguageBar& bar,
                 std::string* what, std::string* eaten) {
  T13nEngine* engine = world.engine();
  auto pick = [&random](int n) {
    return static_cast<int>(random() % static_cast<uint32_t>(n));
  };
  auto press = [&](const KeyEvent& k) {
    const bool applications = IsApplicationsKey(engine, k);
    if (world.Press(k) && applications) {
      *eaten += " key " + std::to_string(k.virtual_key) +
                (k.IsDown() ? " down" : " up");
    }
  };
  const bool release = pick(4) == 0;
  auto key = [&](Key k) {
    if (release) k.Up();
    press(k);
  };
  static const char kLetters[] = "kamartiyhoeu";
  static const char kPunctuation[] = ".,;?'`-!";
  static const uint16_t kEditing[] = {vk::kBack,  vk::kDelete, vk::kLeft,
                                      vk::kRight, vk::kHome,   vk::kEnd,
                                      vk::kUp,    vk::kDown,   vk::kPrior,
                                      vk::kNext,  vk::kTab};
  switch (pick(19)) {
    case 0: case 1: case 2: case 3: case 4: {
      const char c = kLetters[pick(sizeof(kLetters) - 1)];
      *what = std::string("letter ") + c;
      key(pick(5) == 0 ? Key(static_cast<uint16_t>(c - 'a' + 'A'))
                             .WithChar(static_cast<wchar_t>(c - 'a' + 'A'))
                             .Shift()
                       : Key::Char(static_cast<wchar_t>(c)));
      return;
    }
    case 5: {
      const wchar_t d = static_cast<wchar_t>(L'0' + pick(10));
      *what = "digit";
      key(Key::Char(d));
      return;
    }
    case 6: {
      const uint16_t v = kEditing[pick(sizeof(kEditing) / sizeof(kEditing[0]))];
      *what = "editing key " + std::to_string(v);
      Key k(v);
      if (v == vk::kTab && pick(2) == 0) k.Shift();
      key(k);
      return;
    }
    case 7:
      *what = "ctrl+digit";
      key(Key(static_cast<uint16_t>('1' + pick(9))).Control());
      return;
    case 8:
      *what = pick(2) == 0 ? "space" : "enter";
      key(*what == "space" ? Key(vk::kSpace).WithChar(L' ')
                           : Key(vk::kReturn).WithChar(L'\r'));
      return;
    case 9: {
      const char c = kPunctuation[pick(sizeof(kPunctuation) - 1)];
      *what = std::string("punctuation ") + c;
      key(Key(0xBE).WithChar(static_cast<wchar_t>(c)));
      return;
    }
    case 10: {
      const int which = pick(6);
      *what = "hot key " + std::to_string(which);
      if (which == 0) key(Key(vk::kEscape));
      if (which == 1) key(Key(vk::kF12));
      if (which == 2) key(Key('K').WithChar(11).Control());
      if (which == 3) key(Key('M').WithChar(13).Control());
      if (which == 4) key(Key(vk::kShift).Shift());
      if (which == 5) key(Key('G').WithChar(7).Control());
      return;
    }
    case 11: {
      static const wchar_t kUnits[] = {0x0915, 0x093E, 0x094D, 0x200D, 0x0930};
      *what = "picker unit";
      engine->ExecuteAndUpdate(
          ime_shared::SoftKeyboardKeyPressedCommand(kUnits[pick(5)]), 0x0C);
      return;
    }
    case 12: {
      const int index = pick(9) - 2;
      *what = "select " + std::to_string(index);
      engine->SelectCandidate(index, pick(2) == 0);
      return;
    }
    case 13:
      *what = "end composition";
      engine->EndComposition(pick(2) == 0);
      return;
    case 14:
      *what = "page button";
      if (pick(2) == 0) {
        engine->ExecuteAndUpdate(
            ime_shared::CommandImpl<ime_shared::kNextPageCommand>(), 0x0C);
      } else {
        engine->ExecuteAndUpdate(
            ime_shared::CommandImpl<ime_shared::kPreviousPageCommand>(), 0x0C);
      }
      return;
    case 15: {
      // Fast typing: the Space goes down and up before the letter is
      // released.
      const wchar_t c = static_cast<wchar_t>(kLetters[pick(sizeof(kLetters) - 1)]);
      *what = "letter released after space";
      press(Key::Char(c));
      press(Key(vk::kSpace).WithChar(L' '));
      press(Key(vk::kSpace).WithChar(L' ').Up());
      press(Key::Char(c).Up());
      return;
    }
    case 16:
      // The language bar's buttons do what the status window's do.
      *what = "transliteration button";
      bar.OnButtonClicked(LanguageBar::kToggleButton);
      return;
    case 17:
      *what = "picker button";
      bar.OnButtonClicked(LanguageBar::kPickerButton);
      return;
    default:
      *what = "resize page";
      engine->ResizePage(pick(6));
      return;
  }
}

void CheckInvariants(KeystrokeWorld& world, size_t results_seen,
                     const std::string& where) {
  T13nEngine* engine = world.engine();
  const std::wstring& composition = engine->GetComposition();
  ASSERT_GE(engine->GetCaret(), 0) << where;
  ASSERT_LE(engine->GetCaret(), static_cast<int>(composition.size())) << where;
  const int count = engine->CandidateCount();
  if (count > 0) {
    ASSERT_FALSE(composition.empty()) << "candidates without a composition "
                                      << where;
    ASSERT_GE(engine->CandidateSelection(), 0) << where;
    ASSERT_LT(engine->CandidateSelection(), count) << where;
    for (int i = 0; i < count; ++i) {
      ASSERT_FALSE(engine->CandidateAt(i).empty())
          << "entry " << i << " of \"" << ime_shared::WideToUtf8(composition)
          << "\" (scheme mode "
          << engine->GetProperty(ime_shared::frontend::kPropertySchemeMode)
          << ", picker " << engine->picker_characters() << ")" << where;
    }
  }
  for (size_t i = results_seen; i < world.results.size(); ++i) {
    for (wchar_t unit : world.results[i]) {
      ASSERT_GE(unit, 0x20) << "a control character committed " << where;
    }
  }
}

void Stress(KeystrokeWorld::Options options, uint32_t seed) {
  KeystrokeWorld world(options);
  ASSERT_TRUE(world.WriteScheme(L"a.scm", "version:1.0\nName:Kay\nk X\na Y\n"));
  // The buttons need no item manager to act on the engine.
  LanguageBar bar(&world.settings,
                  [](ITfLangBarItemMgr**) -> HRESULT { return E_FAIL; });
  bar.SetEngine(world.engine());
  std::mt19937 random(seed);
  size_t seen = 0;
  for (int n = 0; n < kEventsPerLanguage; ++n) {
    std::string what;
    std::string eaten;
    RandomEvent(random, world, bar, &what, &eaten);
    const std::string where = " after event " + std::to_string(n) + " (" +
                              what + "), language " + options.code +
                              ", seed " + std::to_string(seed);
    ASSERT_TRUE(eaten.empty())
        << "eaten with transliteration off:" << eaten << where;
    CheckInvariants(world, seen, where);
    if (::testing::Test::HasFatalFailure()) return;
    seen = world.results.size();
  }
  EXPECT_GT(world.results.size(), 100u) << "the stream committed little";
}

TEST(HandlerStressTest, RandomKeysAndCommandsKeepTheInvariants) {
  const uint32_t seed = ime_testing::StressSeed();
  KeystrokeWorld::Options devanagari;
  Stress(devanagari, seed);
  if (HasFatalFailure()) return;
  KeystrokeWorld::Options arabic;
  arabic.code = "ar";
  arabic.language_index = 1;
  Stress(arabic, seed + 1);
}

}  // namespace
}  // namespace ime_t13n
