#include "ime/shared/frontend/keyboard_layout_table.h"

#include <string>
#include <thread>
#include <vector>

#include "gtest/gtest.h"
#include "ime/shared/testing/child_process.h"

namespace ime_shared {
namespace frontend {
namespace {

class RecordingPoster : public CharacterPosterInterface {
 public:
  void PostCharacter(wchar_t unit) override { posted.push_back(unit); }
  std::wstring posted;
};

// A source whose key texts are all empty but for |texts| (slot, shifted,
// text).
struct Cell {
  int slot;
  bool shifted;
  std::wstring text;
};
KeyboardLayoutSource MakeSource(const std::wstring& name, const std::vector<Cell>& cells) {
  KeyboardLayoutSource source;
  source.name = name;
  source.texts.resize(2 * kLayoutKeyCount);
  for (const Cell& cell : cells) {
    source.texts[(cell.shifted ? kLayoutKeyCount : 0) + cell.slot] = cell.text;
  }
  return source;
}

// Ka, virama, ssa: one conjunct of three units.
const wchar_t kKsha[] = L"\x0915\x094D\x0937";

TEST(KeyboardLayoutTableTest, KeysMapToTheirSlots) {
  struct Case {
    UINT virtual_key;
    int slot;
  };
  const Case cases[] = {
      {'0', 0},   {'9', 9},   {'A', 10},  {'K', 20},  {'Z', 35},
      {VK_OEM_1, 36},  {VK_OEM_PLUS, 37}, {VK_OEM_COMMA, 38}, {VK_OEM_MINUS, 39},
      {VK_OEM_PERIOD, 40}, {VK_OEM_2, 41}, {VK_OEM_3, 42},  {VK_OEM_4, 43},
      {VK_OEM_5, 44}, {VK_OEM_6, 45}, {VK_OEM_7, 46},
      // Neighbours of the ranges and keys without a slot.
      {'0' - 1, -1}, {'9' + 1, -1}, {'A' - 1, -1}, {'Z' + 1, -1}, {185, -1},
      {193, -1}, {218, -1}, {223, -1}, {VK_SPACE, -1}, {VK_F1, -1},
      {VK_RETURN, -1}, {'a', -1}, {0, -1}, {0x10000 + 'A', -1},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(KeyboardLayoutSlot(c.virtual_key), c.slot) << "key " << c.virtual_key;
  }
}

TEST(KeyboardLayoutTableTest, BuiltInTableHasTheSeventeenLayouts) {
  const KeyboardLayoutTable table(nullptr);
  const wchar_t* names[] = {L"English", L"Devanagar", L"Cyrillic", L"Ethiopic",
                            L"Arabic", L"Bengali", L"Farsi", L"Greek",
                            L"Gujarati", L"Kannada", L"Malayalam", L"Marathi",
                            L"Nepali", L"Punjabi", L"Tamil", L"Telugu", L"Urdu"};
  ASSERT_EQ(table.size(), kKeyboardLayoutCount);
  for (int i = 0; i < kKeyboardLayoutCount; ++i) {
    ASSERT_NE(table.Layout(i), nullptr);
    // "Devanagari" is cut to the nine units the name slot holds.
    EXPECT_STREQ(table.Layout(i)->name, names[i]);
  }
  EXPECT_EQ(table.Layout(-1), nullptr);
  EXPECT_EQ(table.Layout(kKeyboardLayoutCount), nullptr);

  // English is the US keyboard.
  EXPECT_EQ(table.KeyText(0, 'A', false), L"a");
  EXPECT_EQ(table.KeyText(0, 'A', true), L"A");
  EXPECT_EQ(table.KeyText(0, '1', false), L"1");
  EXPECT_EQ(table.KeyText(0, '1', true), L"!");
  EXPECT_EQ(table.KeyText(0, '0', true), L")");
  EXPECT_EQ(table.KeyText(0, VK_OEM_1, true), L":");
  EXPECT_EQ(table.KeyText(0, VK_OEM_3, false), L"`");
  EXPECT_EQ(table.KeyText(0, VK_OEM_5, false), L"\\");
  EXPECT_EQ(table.KeyText(0, VK_OEM_7, true), L"\"");
  // Scripts with digits of their own type them on the digit keys.
  EXPECT_EQ(table.KeyText(1, '1', false), L"\x0967");
  EXPECT_EQ(table.KeyText(1, '1', true), L"!");
  EXPECT_EQ(table.KeyText(6, '9', false), L"\x06F9");
  EXPECT_EQ(table.KeyText(2, '5', false), L"5");
  // Keys without a slot and indices outside the table have no text.
  EXPECT_EQ(table.KeyText(0, VK_SPACE, false), L"");
  EXPECT_EQ(table.KeyText(kKeyboardLayoutCount, 'A', false), L"");
}

TEST(KeyboardLayoutTableTest, SourcesAreCutToTheCells) {
  KeyboardLayoutSource source = MakeSource(L"Abcdefghijkl", {{10, false, L"123456"},
                                                             {10, true, L"wxyz"},
                                                             {46, true, kKsha}});
  KeyboardLayoutSource short_source;
  short_source.name = L"Short";
  short_source.texts = {L"z"};  // slot 0 only; the rest stays empty
  const KeyboardLayoutTable table(nullptr, nullptr, {source, short_source});
  ASSERT_EQ(table.size(), 2);
  EXPECT_STREQ(table.Layout(0)->name, L"Abcdefghi");
  EXPECT_EQ(table.KeyText(0, 'A', false), L"1234");
  EXPECT_EQ(table.KeyText(0, 'A', true), L"wxyz");
  EXPECT_EQ(table.KeyText(0, VK_OEM_7, true), kKsha);
  EXPECT_EQ(table.KeyText(0, 'B', false), L"");
  EXPECT_EQ(table.KeyText(1, '0', false), L"z");
  EXPECT_EQ(table.KeyText(1, '0', true), L"");
  EXPECT_EQ(table.KeyText(1, 'Q', false), L"");
}

TEST(KeyboardLayoutTableTest, TypeKeyPostsTheUnitsOfTheCurrentLayout) {
  int current = 0;
  RecordingPoster poster;
  KeyboardLayoutTable table(&current, &poster,
                            {MakeSource(L"One", {{20, false, L"k"}, {20, true, L"K"}}),
                             MakeSource(L"Two", {{20, false, kKsha}})});

  // F1 and the space bar have no slot: empty text, nothing posted.
  EXPECT_EQ(table.TypeKey(VK_F1, false), L"");
  EXPECT_EQ(table.TypeKey(VK_SPACE, true), L"");
  EXPECT_EQ(poster.posted, L"");
  // An empty cell posts nothing either.
  EXPECT_EQ(table.TypeKey('J', false), L"");
  EXPECT_EQ(poster.posted, L"");

  EXPECT_EQ(table.TypeKey('K', false), L"k");
  EXPECT_EQ(table.TypeKey('K', true), L"K");
  EXPECT_EQ(poster.posted, L"kK");

  // The index is read at every key: the engines change it at any time.
  poster.posted.clear();
  current = 1;
  EXPECT_EQ(table.TypeKey('K', false), kKsha);
  EXPECT_EQ(poster.posted, kKsha) << "three units, in order";

  poster.posted.clear();
  current = 17;  // a language index beyond the table
  EXPECT_EQ(table.TypeKey('K', false), L"");
  current = -1;
  EXPECT_EQ(table.TypeKey('K', false), L"");
  EXPECT_EQ(poster.posted, L"");
}

// The characters that wait in this thread's queue for |window| (null: for
// no window at all, i.e. thread messages), as (unit, lParam) pairs.
std::vector<std::pair<wchar_t, LPARAM>> TakeCharacters(HWND window) {
  std::vector<std::pair<wchar_t, LPARAM>> taken;
  MSG message;
  HWND filter = window != nullptr ? window : reinterpret_cast<HWND>(-1);
  while (::PeekMessageW(&message, filter, WM_CHAR, WM_CHAR, PM_REMOVE)) {
    taken.emplace_back(static_cast<wchar_t>(message.wParam), message.lParam);
  }
  return taken;
}

TEST(KeyboardLayoutTableTest, TypedCharactersReachTheFocusWindow) {
  const std::wstring class_name = ime_testing::UniqueName(L"KeyboardLayoutTableTest");
  WNDCLASSW window_class = {};
  window_class.lpfnWndProc = ::DefWindowProcW;
  window_class.hInstance = ::GetModuleHandleW(nullptr);
  window_class.lpszClassName = class_name.c_str();
  ASSERT_NE(::RegisterClassW(&window_class), 0);
  HWND window = ::CreateWindowExW(0, class_name.c_str(), L"target", WS_OVERLAPPEDWINDOW,
                                  10, 10, 200, 100, nullptr, nullptr,
                                  ::GetModuleHandleW(nullptr), nullptr);
  ASSERT_NE(window, nullptr);
  ::ShowWindow(window, SW_SHOW);

  int current = 1;
  KeyboardLayoutTable table(&current, nullptr,
                            {MakeSource(L"One", {}), MakeSource(L"Two", {{20, false, kKsha}})});
  const std::vector<std::pair<wchar_t, LPARAM>> expected = {
      {L'\x0915', 1}, {L'\x094D', 1}, {L'\x0937', 1}};
  // Test programs running at the same time activate windows of their own
  // and take the focus away: a round counts only when the window kept the
  // focus throughout.
  bool counted = false;
  for (int round = 0; round < 20 && !counted; ++round) {
    ::SetForegroundWindow(window);
    ::SetFocus(window);
    if (::GetFocus() != window) {
      ::Sleep(50);
      continue;
    }
    TakeCharacters(window);
    const std::wstring none = table.TypeKey(VK_F1, false);
    const auto after_f1 = TakeCharacters(window);
    const std::wstring typed = table.TypeKey('K', false);
    const auto characters = TakeCharacters(window);
    if (::GetFocus() != window) continue;
    counted = true;
    EXPECT_EQ(none, L"");
    EXPECT_TRUE(after_f1.empty());
    EXPECT_EQ(typed, kKsha);
    EXPECT_EQ(characters, expected);
  }
  ASSERT_TRUE(counted) << "the window never kept the keyboard focus";
  EXPECT_TRUE(TakeCharacters(nullptr).empty()) << "nothing went to the thread queue";

  ::DestroyWindow(window);
  ::UnregisterClassW(class_name.c_str(), ::GetModuleHandleW(nullptr));
}

TEST(KeyboardLayoutTableTest, WithoutFocusWindowNothingIsPosted) {
  // A thread that made no window has no focus window.
  std::vector<std::pair<wchar_t, LPARAM>> queued;
  HWND focus = reinterpret_cast<HWND>(1);
  std::wstring typed;
  std::thread typist([&] {
    MSG message;
    ::PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE);  // make the queue
    focus = ::GetFocus();
    int current = 0;
    KeyboardLayoutTable table(&current);
    typed = table.TypeKey('A', true);
    MSG any;
    while (::PeekMessageW(&any, nullptr, 0, 0, PM_REMOVE)) {
      queued.emplace_back(static_cast<wchar_t>(any.wParam), any.lParam);
    }
  });
  typist.join();
  EXPECT_EQ(focus, nullptr);
  EXPECT_EQ(typed, L"A");
  EXPECT_TRUE(queued.empty()) << "a character was posted to the thread's queue";
}

}  // namespace
}  // namespace frontend
}  // namespace ime_shared
