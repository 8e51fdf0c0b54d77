#include "ime/t13n/frontend/soft_keyboard_tables.h"

#include <cwchar>
#include <memory>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "gtest/gtest.h"
#include "ime/t13n/frontend/t13n_frontend_test_helpers.h"

namespace ime_t13n {
namespace {

using ime_shared::testing_helpers::FakeContext;
using testing_helpers::TestEnvironment;

// The number of labels before the first empty slot.
int LabelCount(const SoftKeyboardLayout& layout) {
  int n = 0;
  while (n < SoftKeyboardLayout::kMaxKeys && layout.labels[n][0] != L'\0') ++n;
  return n;
}

bool Terminated(const wchar_t* text, int capacity) {
  for (int i = 0; i < capacity; ++i) {
    if (text[i] == L'\0') return true;
  }
  return false;
}

class SoftKeyboardTablesTest : public ::testing::Test {
 protected:
  SoftKeyboardTablesTest() { testing_helpers::UseCountedStorage(); }

  // The layouts of a new engine made by the product's factory.
  std::vector<SoftKeyboardLayout> EngineLayouts() {
    std::unique_ptr<ime_shared::EngineInterface> engine(
        CreateT13nEngine(&context_, environment_.get()));
    if (engine == nullptr) return {};
    return static_cast<T13nEngine*>(engine.get())->soft_keyboard_layouts();
  }

  FakeContext context_;
  TestEnvironment environment_;
};

TEST_F(SoftKeyboardTablesTest, EveryEngineKeepsEveryLanguagesGridOfNamedKeys) {
  const std::vector<SoftKeyboardLayout> layouts = EngineLayouts();
  ASSERT_EQ(layouts.size(), static_cast<size_t>(kSoftKeyboardLanguageCount));

  for (int i = 0; i < kSoftKeyboardLanguageCount; ++i) {
    SCOPED_TRACE(i);
    const SoftKeyboardLayout& layout = layouts[i];
    const SoftKeyboardTable& table = GetSoftKeyboardTable(i);
    const int keys = layout.rows * layout.columns;
    EXPECT_EQ(layout.layout_index, i);
    EXPECT_EQ(layout.rows, table.rows);
    EXPECT_EQ(layout.columns, table.columns);
    // Exactly one label per grid cell; the slots after them stay empty.
    EXPECT_EQ(LabelCount(layout), keys);
    for (int k = keys; k < SoftKeyboardLayout::kMaxKeys; ++k) {
      EXPECT_EQ(layout.labels[k][0], L'\0') << k;
    }
    // The title fits in 19 units and its terminator, upper case.
    ASSERT_TRUE(Terminated(layout.name, SoftKeyboardLayout::kNameUnits));
    EXPECT_GT(std::wcslen(layout.name), 0u);
    EXPECT_EQ(std::wstring(layout.name),
              std::wstring(table.name).substr(0, 19));
    for (const wchar_t* c = layout.name; *c != L'\0'; ++c) {
      EXPECT_FALSE(*c >= L'a' && *c <= L'z') << layout.name;
    }
    // Each key is a distinct text of 1 to 4 units, copied whole from the
    // table, and has a name of its own.
    std::set<std::wstring> labels;
    std::set<std::wstring> names;
    for (int k = 0; k < keys; ++k) {
      ASSERT_TRUE(
          Terminated(layout.labels[k], SoftKeyboardLayout::kLabelUnits));
      EXPECT_EQ(std::wstring(layout.labels[k]), table.keys[k].label) << k;
      labels.insert(layout.labels[k]);
      names.insert(GetSoftKeyboardKeyName(i, k));
    }
    EXPECT_EQ(labels.size(), static_cast<size_t>(keys));
    EXPECT_EQ(names.size(), static_cast<size_t>(keys));
    EXPECT_EQ(names.count(L""), 0u);
    // The joiner keys follow the grid's keys; nothing comes after them.
    EXPECT_STREQ(GetSoftKeyboardKeyName(i, keys), L"ZERO WIDTH JOINER");
    EXPECT_STREQ(GetSoftKeyboardKeyName(i, keys + 1), L"ZERO WIDTH NON JOINER");
    EXPECT_STREQ(GetSoftKeyboardKeyName(i, keys + 2), L"");
    EXPECT_STREQ(GetSoftKeyboardKeyName(i, -1), L"");
  }

  // Grids that are not square must not be turned; the two Ethiopic
  // languages have no picker at all.
  using Grid = std::pair<int, int>;
  auto grid = [&layouts](int i) {
    return Grid(layouts[i].rows, layouts[i].columns);
  };
  EXPECT_EQ(grid(0), Grid(7, 11));   // hi
  EXPECT_EQ(grid(11), Grid(8, 6));   // ta
  EXPECT_EQ(grid(13), Grid(10, 7));  // ur
  for (int i : {17, 18}) {
    EXPECT_EQ(layouts[i].rows, 0);
    EXPECT_EQ(layouts[i].columns, 0);
    EXPECT_EQ(LabelCount(layouts[i]), 0);
  }
  EXPECT_STREQ(layouts[17].name, L"AMHARIC");
  EXPECT_STREQ(layouts[18].name, L"TIGRINYA");
  EXPECT_EQ(GetSoftKeyboardTable(19).rows, 0);
  EXPECT_EQ(GetSoftKeyboardTable(-1).columns, 0);
  EXPECT_STREQ(kJoinerKeys[0].label, L"\u200D");
  EXPECT_STREQ(kJoinerKeys[1].label, L"\u200C");
}

TEST_F(SoftKeyboardTablesTest,
       HindiPickerHoldsTheListedLettersSignsAndConjuncts) {
  std::vector<std::wstring> expected;
  auto add = [&expected](int first, int last) {
    for (int c = first; c <= last; ++c) {
      expected.push_back(std::wstring(1, static_cast<wchar_t>(c)));
    }
  };
  add(0x0901, 0x0903);
  add(0x0905, 0x090B);
  add(0x090D, 0x090D);
  add(0x090F, 0x0911);
  add(0x0913, 0x0928);
  add(0x092A, 0x0930);
  add(0x0932, 0x0933);
  add(0x0935, 0x0939);
  add(0x093C, 0x0943);
  add(0x0945, 0x0945);
  add(0x0947, 0x0949);
  add(0x094B, 0x094D);
  add(0x0950, 0x0950);
  add(0x0952, 0x0952);
  add(0x095B, 0x095E);
  add(0x0960, 0x0960);
  add(0x0970, 0x0970);
  expected.push_back(L"\u0915\u094D\u0937");
  expected.push_back(L"\u0924\u094D\u0930");
  expected.push_back(L"\u091C\u094D\u091E");
  expected.push_back(L"\u0936\u094D\u0930");
  ASSERT_EQ(expected.size(), 77u);

  const std::vector<SoftKeyboardLayout> layouts = EngineLayouts();
  ASSERT_FALSE(layouts.empty());
  const SoftKeyboardLayout& hindi = layouts[0];
  EXPECT_STREQ(hindi.name, L"HINDI");
  for (size_t k = 0; k < expected.size(); ++k) {
    EXPECT_EQ(std::wstring(hindi.labels[k]), expected[k]) << k;
  }

  // Names are the characters' Unicode names; the conjuncts have their own.
  for (int k = 0; k < 73; ++k) {
    const std::wstring name = GetSoftKeyboardKeyName(0, k);
    EXPECT_EQ(name.rfind(L"DEVANAGARI ", 0), 0u) << k;
  }
  EXPECT_STREQ(GetSoftKeyboardKeyName(0, 0), L"DEVANAGARI SIGN CANDRABINDU");
  EXPECT_STREQ(GetSoftKeyboardKeyName(0, 3), L"DEVANAGARI LETTER A");
  EXPECT_STREQ(GetSoftKeyboardKeyName(0, 16), L"DEVANAGARI LETTER KA");
  EXPECT_STREQ(GetSoftKeyboardKeyName(0, 52), L"DEVANAGARI VOWEL SIGN AA");
  EXPECT_STREQ(GetSoftKeyboardKeyName(0, 64), L"DEVANAGARI SIGN VIRAMA");
  EXPECT_STREQ(GetSoftKeyboardKeyName(0, 66),
               L"DEVANAGARI STRESS SIGN ANUDATTA");
  EXPECT_STREQ(GetSoftKeyboardKeyName(0, 67), L"DEVANAGARI LETTER ZA");
  EXPECT_STREQ(GetSoftKeyboardKeyName(0, 72), L"DEVANAGARI ABBREVIATION SIGN");
  EXPECT_STREQ(GetSoftKeyboardKeyName(0, 73), L"DEVANAGARI LETTER KSHA");
  EXPECT_STREQ(GetSoftKeyboardKeyName(0, 74), L"DEVANAGARI LETTER TRA");
  EXPECT_STREQ(GetSoftKeyboardKeyName(0, 75), L"DEVANAGARI LETTER JNYA");
  EXPECT_STREQ(GetSoftKeyboardKeyName(0, 76), L"DEVANAGARI LETTER SHRA");
}

}  // namespace
}  // namespace ime_t13n
