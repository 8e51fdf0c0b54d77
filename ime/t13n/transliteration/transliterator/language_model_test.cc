#include "ime/t13n/transliteration/transliterator/language_model.h"

#include <string>
#include <vector>

#include "gtest/gtest.h"
#include "ime/t13n/transliteration/transliterator/language_data_test_helpers.h"

namespace ime_t13n {
namespace {

using testing_helpers::AddCharacter;
using testing_helpers::SampleLanguage;

const wchar_t kKa[] = L"\x0915";
const wchar_t kKha[] = L"\x0916";
const wchar_t kA[] = L"\x0905";
const wchar_t kAa[] = L"\x0906";
const wchar_t kAaMatra[] = L"\x093E";
const wchar_t kVirama[] = L"\x094D";

TEST(LanguageModelTest, ReadsClassesSpellingsAndMatras) {
  const LanguageModel model(SampleLanguage());
  EXPECT_EQ(model.language_name(), L"hi");
  EXPECT_EQ(model.virama(), kVirama);
  EXPECT_TRUE(model.IsVirama(kVirama));
  EXPECT_FALSE(model.IsVirama(L""));
  EXPECT_FALSE(model.end_words_with_virama());
  EXPECT_EQ(model.GetClass(kKa), Language::CONSONANT);
  EXPECT_EQ(model.GetClass(kAa), Language::VOWEL);
  EXPECT_EQ(model.GetClass(kAaMatra), Language::MATRA);
  EXPECT_EQ(model.GetClass(L"\x0915\x093E"), Language::UNDEFINED);
  EXPECT_EQ(model.consonants().size(), 3u);
  EXPECT_FALSE(model.IsConsonant(kA));
  ASSERT_NE(model.FindSpellings(kAa), nullptr);
  EXPECT_EQ(*model.FindSpellings(kAa), (std::vector<std::wstring>{L"aa", L"A"}));
  EXPECT_EQ(model.FindSpellings(kAaMatra), nullptr);
  ASSERT_NE(model.FindMatra(kAa), nullptr);
  EXPECT_EQ(*model.FindMatra(kAa), kAaMatra);
  EXPECT_EQ(model.FindMatra(kA), nullptr);
  // Message order is kept.
  EXPECT_EQ(model.mapping_lists().front().indic, kKa);

  // Unused fields change nothing.
  Language other = SampleLanguage();
  other.set_indic_char_bytes(4);
  const LanguageModel same(other);
  EXPECT_EQ(same.GetClass(kKa), Language::CONSONANT);
  EXPECT_EQ(same.mapping_lists().size(), model.mapping_lists().size());
}

TEST(LanguageModelTest, MappingSpecificationsSplitAtCommasBeforeTheColon) {
  Language language = SampleLanguage();
  AddCharacter(&language, L"x1", Language::CONSONANT, "k, kh ,,c:q");
  AddCharacter(&language, L"x2", Language::CONSONANT, ":q");
  const LanguageModel model(language);
  EXPECT_EQ(*model.FindSpellings(L"x1"),
            (std::vector<std::wstring>{L"k", L"kh", L"c"}));
  ASSERT_NE(model.FindSpellings(L"x2"), nullptr);
  EXPECT_TRUE(model.FindSpellings(L"x2")->empty());
}

TEST(LanguageModelTest, LaterRecordsChangeTheClassOnly) {
  Language language = SampleLanguage();
  // A second record of aa: class wins, spellings and matra stay.
  AddCharacter(&language, kAa, Language::SPECIAL, "zz", L"\x093F");
  // A special mapping of a vowel makes it convert like a consonant.
  Language::SpecialStaticMappings* special =
      language.add_specialstaticmappings();
  special->set_indic_string(ime_shared::WideToUtf8(kA));
  special->set_english_mappings("q");
  const LanguageModel model(language);
  EXPECT_EQ(model.GetClass(kAa), Language::SPECIAL);
  EXPECT_EQ(*model.FindSpellings(kAa), (std::vector<std::wstring>{L"aa", L"A"}));
  EXPECT_EQ(*model.FindMatra(kAa), kAaMatra);
  EXPECT_EQ(model.GetClass(kA), Language::CONSONANT);
  EXPECT_FALSE(model.IsConsonant(kA));
  EXPECT_EQ(*model.FindSpellings(kA), (std::vector<std::wstring>{L"a"}))
      << "the first spellings of a stay";
}

TEST(LanguageModelTest, JoinIndicPieces) {
  Language language = SampleLanguage();
  const LanguageModel model(language);
  std::wstring out, piece;
  // Consonant after consonant: the virama goes between.
  ASSERT_TRUE(model.JoinIndicPieces(kKa, L"kh", kKha, 1, &out, &piece));
  EXPECT_EQ(out, std::wstring(kVirama) + kKha);
  EXPECT_EQ(piece, kKha);
  // A vowel first in the word stays whole.
  ASSERT_TRUE(model.JoinIndicPieces(L"", L"aa", kAa, 0, &out, &piece));
  EXPECT_EQ(out, kAa);
  // After a consonant it becomes its matra, in the middle and at the end.
  for (int mode : {1, 2}) {
    ASSERT_TRUE(model.JoinIndicPieces(kKa, L"aa", kAa, mode, &out, &piece));
    EXPECT_EQ(out, kAaMatra);
    EXPECT_EQ(piece, kAaMatra);
  }
  // ... unless the English spells a long vowel: "a" then capitals.
  ASSERT_TRUE(model.JoinIndicPieces(kKa, L"aI", kAa, 1, &out, &piece));
  EXPECT_EQ(out, kAa);
  ASSERT_TRUE(model.JoinIndicPieces(kKa, L"aiI", kAa, 1, &out, &piece));
  EXPECT_EQ(out, kAa) << "mixed case";
  ASSERT_TRUE(model.JoinIndicPieces(kKa, L"aIi", kAa, 1, &out, &piece));
  EXPECT_EQ(out, kAaMatra) << "capitalised is no long vowel";
  ASSERT_TRUE(model.JoinIndicPieces(kKa, L"A", kAa, 1, &out, &piece));
  EXPECT_EQ(out, kAaMatra) << "a single letter is no long vowel";
  // A vowel without a matra stays whole.
  ASSERT_TRUE(model.JoinIndicPieces(kKa, L"a", kA, 1, &out, &piece));
  EXPECT_EQ(out, kA);
  // Refusals: a matra, an empty or unknown value, an unknown previous piece.
  EXPECT_FALSE(model.JoinIndicPieces(kKa, L"x", kAaMatra, 1, &out, &piece));
  EXPECT_TRUE(out.empty() && piece.empty());
  EXPECT_FALSE(model.JoinIndicPieces(kKa, L"x", L"", 1, &out, &piece));
  EXPECT_FALSE(model.JoinIndicPieces(kKa, L"x", L"?", 1, &out, &piece));
  EXPECT_FALSE(model.JoinIndicPieces(L"?", L"k", kKa, 1, &out, &piece));
  // No final virama unless the language asks for one.
  ASSERT_TRUE(model.JoinIndicPieces(kA, L"k", kKa, 2, &out, &piece));
  EXPECT_EQ(out, kKa);

  language.set_end_words_with_virama(true);
  const LanguageModel ending(language);
  ASSERT_TRUE(ending.JoinIndicPieces(kA, L"k", kKa, 2, &out, &piece));
  EXPECT_EQ(out, std::wstring(kKa) + kVirama);
  EXPECT_EQ(piece, kKa);
  ASSERT_TRUE(ending.JoinIndicPieces(kA, L"k", kKa, 1, &out, &piece));
  EXPECT_EQ(out, kKa);
  ASSERT_TRUE(ending.JoinIndicPieces(kKa, L"aa", kAa, 2, &out, &piece));
  EXPECT_EQ(out, kAaMatra) << "only consonants take the final virama";
}

}  // namespace
}  // namespace ime_t13n
