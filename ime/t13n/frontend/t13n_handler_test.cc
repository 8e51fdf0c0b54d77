// Scenario tests of the keystroke road: keys go in through the real engine,
// core, handler and storage manager on a small language; composition,
// candidates and results come out.
#include "ime/t13n/frontend/t13n_handler.h"

#include <string>
#include <vector>

#include "gtest/gtest.h"
#include "ime/shared/frontend/command.h"
#include "ime/shared/settings_table.h"
#include "ime/t13n/frontend/t13n_handler_test_helpers.h"

namespace ime_t13n {
namespace {

using ime_shared::testing_helpers::Key;
using testing_helpers::KeystrokeWorld;
using testing_helpers::W;
namespace vk = ime_shared::vk;
using Texts = std::vector<std::wstring>;

const std::wstring kKam = L"\x0915\x092E";            // कम
const std::wstring kKaam = L"\x0915\x093E\x092E";     // काम
const std::wstring kKamaa = L"\x0915\x092E\x093E";    // कमा
const std::wstring kKamar = L"\x0915\x092E\x0930";    // कमर

Key CtrlDigit(char digit) {
  return Key(static_cast<uint16_t>(digit)).Control();
}

TEST(HandlerCommitTest, SpaceEnterAndPunctuationEndTheWord) {
  KeystrokeWorld world;
  world.Type(L"kam");
  EXPECT_EQ(world.engine()->GetComposition(), L"kam");
  EXPECT_EQ(world.engine()->GetCaret(), 3);
  EXPECT_EQ(world.Page(), (Texts{kKam, kKaam, kKamaa, kKamar,
                                 kKamar + L"\x093E"}));
  world.Space();
  world.Type(L"kam");
  world.Enter();
  world.Type(L"kam");
  world.Tap(Key(0xBE).WithChar(L'.'));
  EXPECT_EQ(world.results, (Texts{kKam + L" ", kKam, kKam + L"."}));
  EXPECT_EQ(world.engine()->GetComposition(), L"");
  EXPECT_EQ(world.engine()->CandidateCount(), 0);

  // Inside the word a punctuation mark changes nothing.
  world.Type(L"kam");
  world.TapKey(vk::kLeft);
  EXPECT_TRUE(world.Tap(Key(0xBE).WithChar(L'.')));
  EXPECT_EQ(world.engine()->GetComposition(), L"kam");
  EXPECT_EQ(world.results.size(), 3u);
}

// Only a choice among the transliterations after the first, on the first
// page, teaches the user cache.
TEST(HandlerLearningTest, ASecondTransliterationIsLearnedAndOfferedFirst) {
  KeystrokeWorld world;
  world.Type(L"kam");
  world.TapKey(vk::kDown);
  EXPECT_EQ(world.engine()->CandidateSelection(), 1);
  world.Space();
  EXPECT_EQ(world.results, Texts{kKaam + L" "});

  world.DeleteEngines();  // the last engine saves the user cache
  EXPECT_EQ(world.ReadCache(), Texts{L"kam " + kKaam});
  world.Type(L"kam");
  EXPECT_EQ(world.Page()[0], kKaam);
}

TEST(HandlerLearningTest, FirstTransliterationsMacrosAndCompletionsAreNotLearned) {
  KeystrokeWorld world;
  ASSERT_TRUE(world.WriteMacros({L"kam \x092E\x0948\x0915\x094D\x0930\x094B"}));
  world.settings.SetInt(ime_shared::kSettingT13nMacroFileChanged, 1);
  world.Type(L"kam");
  EXPECT_TRUE(world.engine()->IsCandidateFlagged(0));  // the macro
  EXPECT_FALSE(world.engine()->IsCandidateFlagged(1));
  world.Space();  // the macro
  world.Type(L"kam");
  world.TapKey(vk::kDown);
  world.Space();  // the first transliteration
  world.Type(L"kam");
  for (int i = 0; i < 4; ++i) world.TapKey(vk::kDown);
  EXPECT_TRUE(world.engine()->IsCandidateFlagged(4));
  world.Space();  // a completion
  ASSERT_EQ(world.results.size(), 3u);
  EXPECT_EQ(world.results[1], kKam + L" ");
  world.DeleteEngines();
  EXPECT_TRUE(world.ReadCache().empty());
}

TEST(HandlerCandidatesTest, PageSizeThreeShowsThreeTransliterationsThenCompletions) {
  KeystrokeWorld world;
  world.settings.SetInt(ime_shared::kSettingT13nCandidatePageSize, 3);
  world.engine()->SetProperty(ime_shared::frontend::kPropertyPageSize, 3);
  world.Type(L"kam");
  EXPECT_EQ(world.Page(), (Texts{kKam, kKaam, kKamaa}));
  const Texts all = world.AllEntries();
  ASSERT_GE(all.size(), 6u);
  EXPECT_EQ(all.size(), 6u) << "2 x 3 - 3 completions";
  world.TapKey(vk::kNext);
  EXPECT_EQ(world.Page(), (Texts{all[3], all[4], all[5]}));
  for (int i = 0; i < 3; ++i) EXPECT_TRUE(world.engine()->IsCandidateFlagged(i));
}

TEST(HandlerCandidatesTest, CtrlDigitsCommitOnThePage) {
  KeystrokeWorld world;
  world.Type(L"kamar");
  ASSERT_EQ(world.engine()->CandidateCount(), 4);
  const std::wstring second = world.engine()->CandidateAt(1);
  EXPECT_TRUE(world.Tap(CtrlDigit('5')));
  EXPECT_TRUE(world.results.empty());
  EXPECT_EQ(world.engine()->GetComposition(), L"kamar");
  world.Tap(CtrlDigit('2'));
  EXPECT_EQ(world.results, Texts{second});
}

TEST(HandlerEditingTest, CaretKeysStopAtBothEnds) {
  KeystrokeWorld world;
  world.Type(L"kam");
  world.TapKey(vk::kRight);  // at the end already
  EXPECT_EQ(world.engine()->GetCaret(), 3);
  world.TapKey(vk::kHome);
  EXPECT_EQ(world.engine()->GetCaret(), 0);
  world.TapKey(vk::kLeft);
  world.TapKey(vk::kBack);  // nothing before the caret
  EXPECT_EQ(world.engine()->GetComposition(), L"kam");
  world.TapKey(vk::kDelete);
  EXPECT_EQ(world.engine()->GetComposition(), L"am");
  world.TapKey(vk::kEnd);
  world.TapKey(vk::kDelete);  // nothing after the caret
  world.TapKey(vk::kBack);
  EXPECT_EQ(world.engine()->GetComposition(), L"a");
  world.TapKey(vk::kLeft);
  world.Type(L"t");
  EXPECT_EQ(world.engine()->GetComposition(), L"ta");
  EXPECT_EQ(world.engine()->GetCaret(), 1);
  world.TapKey(vk::kBack);
  world.TapKey(vk::kDelete);
  EXPECT_EQ(world.engine()->GetComposition(), L"");
  EXPECT_EQ(world.engine()->CandidateCount(), 0);
  EXPECT_TRUE(world.results.empty());
}

// The typed word stops at what the composition-string block of an input
// context holds: a further letter, at the end or inside the word, is eaten
// and changes nothing; once a letter goes there is room again.
TEST(HandlerEditingTest, TheTypedWordStopsAtTheCompositionsRoom) {
  KeystrokeWorld world;
  std::wstring typed;
  while (typed.size() < T13nHandler::kMaxTypedLength) typed += L"kamar";
  typed.resize(T13nHandler::kMaxTypedLength);
  world.Type(typed);
  T13nEngine* engine = world.engine();
  ASSERT_EQ(engine->GetComposition(), typed);
  const Texts page = world.Page();
  EXPECT_FALSE(page.empty());

  EXPECT_TRUE(world.Tap(Key::Char(L'k')));
  EXPECT_EQ(engine->GetComposition(), typed);
  EXPECT_EQ(engine->GetCaret(), 499);
  EXPECT_EQ(world.Page(), page);
  world.TapKey(vk::kLeft);
  EXPECT_TRUE(world.Tap(Key::Char(L'T')));
  EXPECT_EQ(engine->GetComposition(), typed);
  EXPECT_EQ(engine->GetCaret(), 498);

  world.TapKey(vk::kBack);
  world.Type(L"t");
  std::wstring edited = typed;
  edited[497] = L't';
  EXPECT_EQ(engine->GetComposition(), edited);
  EXPECT_EQ(engine->GetCaret(), 498);
  EXPECT_TRUE(world.Tap(Key::Char(L'k')));
  EXPECT_EQ(engine->GetComposition(), edited);
  EXPECT_TRUE(world.results.empty());
  world.Enter();
  ASSERT_EQ(world.results.size(), 1u);
  EXPECT_FALSE(world.results[0].empty());
}

// The picker text and the text of scheme mode stop there too.
TEST(HandlerModesTest, PickerAndSchemeTextsStopAtTheCompositionsRoom) {
  KeystrokeWorld world;
  ASSERT_TRUE(world.WriteScheme(L"a.scm", "version:1.0\nName:First\nk X\n"));
  T13nEngine* engine = world.engine();
  world.Tap(Key(vk::kF12));
  for (size_t i = 0; i <= T13nHandler::kMaxTypedLength; ++i) {
    engine->ExecuteAndUpdate(ime_shared::SoftKeyboardKeyPressedCommand(0x0915),
                             0x0C);
  }
  EXPECT_EQ(engine->GetComposition(),
            std::wstring(T13nHandler::kMaxTypedLength, 0x0915));
  world.Tap(Key(vk::kEscape));
  world.Tap(Key(vk::kF12));

  world.settings.SetInt(ime_shared::kSettingT13nCurrentScheme, 0);
  world.Tap(Key('M').WithChar(13).Control());
  ASSERT_EQ(engine->GetProperty(ime_shared::frontend::kPropertySchemeMode), 1);
  world.Type(std::wstring(T13nHandler::kMaxTypedLength + 1, L'k'));
  EXPECT_EQ(engine->GetComposition(),
            std::wstring(T13nHandler::kMaxTypedLength, L'k'));
  EXPECT_EQ(world.Page()[0], std::wstring(T13nHandler::kMaxTypedLength, L'X'));
}

TEST(HandlerEditingTest, SelectionWrapsAcrossPages) {
  KeystrokeWorld world;
  world.Type(L"kam");  // 9 entries: pages of 5 and 4
  ASSERT_EQ(world.AllEntries().size(), 9u);
  world.TapKey(vk::kUp);  // from the first entry to the last of the last page
  EXPECT_EQ(world.handlers.back()->candidates().PageIndex(), 1);
  EXPECT_EQ(world.engine()->CandidateSelection(), 3);
  world.TapKey(vk::kDown);  // and back round
  EXPECT_EQ(world.handlers.back()->candidates().PageIndex(), 0);
  EXPECT_EQ(world.engine()->CandidateSelection(), 0);
  for (int i = 0; i < 4; ++i) world.TapKey(vk::kDown);
  EXPECT_EQ(world.engine()->CandidateSelection(), 4);
  // A page move onto the shorter last page keeps the selection on it.
  world.TapKey(vk::kNext);
  EXPECT_EQ(world.engine()->CandidateSelection(), 3);
  const Texts all = world.AllEntries();
  world.Space();
  EXPECT_EQ(world.results, Texts{all[8] + L" "});
}

// The candidate window's page buttons cannot move past the pages.
TEST(HandlerEditingTest, PageButtonsStopAtTheEnds) {
  KeystrokeWorld world;
  world.Type(L"kam");
  T13nEngine* engine = world.engine();
  for (int i = 0; i < 3; ++i) {
    engine->ExecuteAndUpdate(
        ime_shared::CommandImpl<ime_shared::kNextPageCommand>(), 0x0C);
  }
  EXPECT_EQ(world.handlers.back()->candidates().PageIndex(), 1);
  EXPECT_EQ(world.engine()->CandidateCount(), 4);
  for (int i = 0; i < 3; ++i) {
    engine->ExecuteAndUpdate(
        ime_shared::CommandImpl<ime_shared::kPreviousPageCommand>(), 0x0C);
  }
  EXPECT_EQ(world.handlers.back()->candidates().PageIndex(), 0);
  EXPECT_EQ(world.engine()->CandidateCount(), 5);
}

TEST(HandlerCandidatesTest, PagesOfTheCandidateList) {
  T13nHandler::Candidate list;
  for (int i = 0; i < 12; ++i) list.Add(std::to_wstring(i), i % 2 == 0);
  EXPECT_EQ(list.PageCount(), 3);
  std::vector<int> counts;
  for (int page = 0; page < 3; ++page) {
    list.set_page_index(page);
    counts.push_back(list.CountOnPage());
  }
  EXPECT_EQ(counts, (std::vector<int>{5, 5, 2}));
  EXPECT_EQ(list.At(1), L"11");
  EXPECT_EQ(list.At(2), L"");  // outside the page
  EXPECT_TRUE(list.IsFlagged(0));
  EXPECT_FALSE(list.IsFlagged(1));
  list.Clear();
  for (int i = 0; i < 10; ++i) list.Add(std::to_wstring(i), false);
  list.set_page_index(1);
  EXPECT_EQ(list.PageCount(), 2);
  EXPECT_EQ(list.CountOnPage(), 5);
  list.set_page_index(0);
  EXPECT_EQ(list.CountOnPage(), 5);
}

TEST(HandlerModesTest, ArabicPunctuationAndWordPrefixes) {
  KeystrokeWorld::Options options;
  options.code = "ar";
  options.language_index = 1;
  KeystrokeWorld world(options);
  EXPECT_TRUE(world.Tap(Key(0xBC).WithChar(L',')));
  EXPECT_EQ(world.results, Texts{L"\x060C"});
  EXPECT_EQ(world.engine()->GetComposition(), L"");

  world.Type(L"al");
  world.Space();
  EXPECT_EQ(world.engine()->GetComposition(), L"al ");
  EXPECT_EQ(world.results.size(), 1u);
  world.Type(L"b");
  world.Space();
  ASSERT_EQ(world.results.size(), 2u);
  EXPECT_EQ(world.results[1].back(), L' ');
  EXPECT_EQ(world.engine()->GetComposition(), L"");
}

// In Hindi a word prefix of Arabic is no prefix: Space commits.
TEST(HandlerModesTest, PrefixesOnlyMatterInArabic) {
  KeystrokeWorld world;
  world.Type(L"al");
  world.Space();
  EXPECT_EQ(world.results.size(), 1u);
  EXPECT_TRUE(world.Tap(Key(0xBC).WithChar(L',')) == false);
}

TEST(HandlerModesTest, GreekIsTransliteratedAsTypedAndLearnedInLowerCase) {
  KeystrokeWorld::Options options;
  options.code = "el";
  options.language_index = 4;
  KeystrokeWorld world(options);
  world.Tap(Key('K').WithChar(L'K').Shift());
  world.Type(L"am");
  EXPECT_EQ(world.engine()->GetComposition(), L"Kam");
  const Texts typed = world.Transliterations(L"Kam");
  ASSERT_GE(typed.size(), 2u);
  EXPECT_EQ(world.Page()[0], typed[0]);
  world.TapKey(vk::kDown);
  world.Space();
  world.DeleteEngines();
  EXPECT_EQ(world.ReadCache(), Texts{L"kam " + typed[1]});
}

TEST(HandlerModesTest, PickerUnitsWithTransliterationOff) {
  KeystrokeWorld world;
  T13nEngine* engine = world.engine();
  world.Tap(Key(vk::kF12));
  EXPECT_EQ(engine->GetProperty(ime_shared::frontend::kPropertyTransliterationOn), 0);
  EXPECT_FALSE(world.Tap(Key::Char(L'k')));  // keys pass while off

  engine->ExecuteAndUpdate(ime_shared::SoftKeyboardKeyPressedCommand(0x0915), 0x0C);
  engine->ExecuteAndUpdate(ime_shared::SoftKeyboardKeyPressedCommand(0x093E), 0x0C);
  EXPECT_EQ(engine->GetComposition(), L"\x0915\x093E");
  EXPECT_TRUE(world.Tap(Key::Char(L'x')));
  EXPECT_EQ(world.results, (Texts{L"\x0915\x093E", L"x"}));
  EXPECT_EQ(engine->GetComposition(), L"");
}

TEST(HandlerModesTest, TransliterationOffCommitsTheTypedText) {
  KeystrokeWorld world;
  world.Type(L"ka");
  world.Tap(Key('G').WithChar(7).Control());
  EXPECT_EQ(world.results, Texts{L"ka"});
  EXPECT_FALSE(world.Tap(Key::Char(L'm')));
  EXPECT_FALSE(world.Tap(Key(vk::kBack)));
  world.Tap(Key(vk::kF12));
  EXPECT_TRUE(world.Tap(Key::Char(L'm')));
}

// The release of a word's last letter, after the Space that committed the
// word, is tested in empty input; whichever hot key then turns
// transliteration off, keys reach the application.
TEST(HandlerModesTest, KeysPassWhenAHotKeyTurnsOffAfterARolledOverSpace) {
  KeystrokeWorld world;
  const Key hot_keys[] = {Key(vk::kF12), Key('G').WithChar(7).Control()};
  for (const Key& hot_key : hot_keys) {
    world.TypeRollingIntoSpace(L"ka");
    world.Tap(hot_key);
    ASSERT_EQ(world.engine()->GetProperty(ime_shared::frontend::kPropertyTransliterationOn), 0);
    world.ExpectKeysReachTheApplication("after a hot key");
    world.Tap(hot_key);
  }
  EXPECT_EQ(world.results.size(), 2u);
}

TEST(HandlerModesTest, SchemeModeConvertsWithTheChosenScheme) {
  KeystrokeWorld world;
  ASSERT_TRUE(world.WriteScheme(L"a.scm", "version:1.0\nName:First\nk X\n"));
  ASSERT_TRUE(world.WriteScheme(L"b.scm", "version:1.0\nName:Second\nk Y\n"));
  T13nEngine* engine = world.engine();
  EXPECT_EQ(engine->scheme_names(), (Texts{L"First", L"Second"}));
  world.settings.SetInt(ime_shared::kSettingT13nCurrentScheme, 1);
  world.Tap(Key('M').WithChar(13).Control());
  EXPECT_EQ(engine->GetProperty(ime_shared::frontend::kPropertySchemeMode), 1);
  world.Type(L"kk");
  EXPECT_EQ(world.engine()->GetComposition(), L"kk");
  EXPECT_EQ(world.Page()[0], L"YY");
  world.Space();
  EXPECT_EQ(world.results, Texts{L"YY "});

  // A number outside the list: the text stays as typed.
  world.Tap(Key('M').WithChar(13).Control());
  world.settings.SetInt(ime_shared::kSettingT13nCurrentScheme, 5);
  world.Tap(Key('M').WithChar(13).Control());
  world.Type(L"kk");
  EXPECT_EQ(world.Page()[0], L"kk");
}

TEST(HandlerModesTest, SchemeErrorsAreReportedOncePerProcess) {
  KeystrokeWorld world;
  ASSERT_TRUE(world.WriteScheme(L"bad.scm", "version:9\nName:\n"));
  world.NewEngine();
  world.NewEngine();
  EXPECT_EQ(world.reporter.texts.size(), 1u);
  EXPECT_NE(world.reporter.texts[0].find(L"bad.scm"), std::wstring::npos);
}

TEST(HandlerModesTest, ChangedMacrosAreReloadedOnce) {
  KeystrokeWorld world;
  world.Type(L"tim");
  EXPECT_FALSE(world.engine()->IsCandidateFlagged(0));
  world.TapKey(vk::kEscape);
  ASSERT_TRUE(world.WriteMacros({L"tim \x0924\x0940\x092E"}));
  world.settings.SetInt(ime_shared::kSettingT13nMacroFileChanged, 1);
  world.Type(L"tim");
  EXPECT_EQ(world.Page()[0], L"\x0924\x0940\x092E");
  EXPECT_TRUE(world.engine()->IsCandidateFlagged(0));
  EXPECT_EQ(world.settings.GetInt(ime_shared::kSettingT13nMacroFileChanged), 0u);
}

// Shift going down while a letter is still held: the letter's release and
// the Shift key are nobody's word.
TEST(HandlerEditingTest, RolledOverModifiersCommitNothing) {
  KeystrokeWorld world;
  world.Press(Key::Char(L'k'));
  world.Press(Key(vk::kShift).Shift());
  world.Press(Key::Char(L'k').Up().Shift());
  world.Press(Key(vk::kShift).Up());
  EXPECT_TRUE(world.results.empty());
  EXPECT_EQ(world.engine()->GetComposition(), L"k");
  world.Press(Key(vk::kControl).Control());
  world.Press(Key(vk::kControl).Up());
  EXPECT_EQ(world.engine()->GetComposition(), L"k");
  for (wchar_t c : world.engine()->GetComposition()) EXPECT_GE(c, 0x20);
}

TEST(HandlerCandidatesTest, AResizedPageLastsOneWord) {
  KeystrokeWorld world;
  world.Type(L"kam");
  EXPECT_TRUE(world.engine()->ResizePage(2) == false);
  world.TapKey(vk::kDown);  // flushes the pending change
  EXPECT_EQ(world.engine()->CandidateCount(), 2);
  world.TapKey(vk::kDown);
  EXPECT_EQ(world.handlers.back()->candidates().PageIndex(), 1);
  EXPECT_EQ(world.engine()->CandidateCount(), 2);
  world.Space();
  world.Type(L"kam");
  EXPECT_EQ(world.engine()->CandidateCount(), 5);
}

TEST(HandlerLanguageTest, ARefusedDataFileLeavesTheTypedTextAsTheCandidate) {
  // A code of its own: the refused file must not meet a good one's mapping.
  KeystrokeWorld::Options options;
  options.code = "sa";
  options.language_index = 16;
  KeystrokeWorld world(options);
  ASSERT_TRUE(world.DamageDataFile(std::string(4000000, 'x')));
  world.Type(L"kam");
  EXPECT_EQ(world.Page(), Texts{L"kam"});
  world.Space();
  EXPECT_EQ(world.results, Texts{L"kam "});
  EXPECT_EQ(world.box.shown, 1);  // the loader's one box
}

TEST(HandlerLanguageTest, WithoutALanguageTheTypedTextIsTheCandidate) {
  KeystrokeWorld world;
  world.RemoveDataPath();
  world.Type(L"kam");
  EXPECT_EQ(world.Page(), Texts{L"kam"});
  world.Space();
  EXPECT_EQ(world.results, Texts{L"kam "});
  EXPECT_FALSE(world.handlers.back()->language_loaded());
}

}  // namespace
}  // namespace ime_t13n
