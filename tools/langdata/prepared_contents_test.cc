#include "tools/langdata/prepared_contents.h"

#include <memory>
#include <string>

#include "gtest/gtest.h"
#include "ime/shared/string_utils.h"
#include "ime/shared/testing/temp_dir.h"
#include "ime/t13n/transliteration/lib/transl.pb.h"
#include "ime/t13n/transliteration/transliterator/language_data_test_helpers.h"
#include "ime/t13n/transliteration/transliterator/language_data.h"
#include "ime/t13n/transliteration/transliterator/language_data_writer.h"
#include "ime/t13n/transliteration/transliterator/transliteration_model.h"

namespace langdata {
namespace {

using ime_t13n::Language;
using ime_t13n::LanguageDataContents;

// ka, aa (with its sign), the virama; a little of every record kind.
const char kPrepared[] =
    "# licence line\n"
    "language\tlanguage_id\t1\n"
    "language\tlanguage_name\thi\n"
    "language\tvirama\t\xE0\xA5\x8D\n"
    "language\tindic_char_bytes\t3\n"
    "language\tvowel_matra_difference\t56\n"
    "language\tend_words_with_virama\t0\n"
    "character\t\xE0\xA4\x95\t1\t2325\tDEVANAGARI LETTER KA\tk\tk, c\t-\n"
    "character\t\xE0\xA4\x85\t2\t2309\tDEVANAGARI LETTER A\ta\ta\t=\n"
    "character\t\xE0\xA4\x86\t2\t2310\tDEVANAGARI LETTER AA\t-\taa\t="
    "\xE0\xA4\xBE\n"
    "character\t\xE0\xA4\xBE\t3\t2366\tDEVANAGARI VOWEL SIGN AA\t-\t\t-\n"
    "special\t\xE0\xA4\x95\xE0\xA5\x8D\xE0\xA4\xB7\tksh, x\n"
    "rule\t0\t\xE0\xA4\x95\t\xE0\xA4\xBE\t12\n"
    "rule\t3\tb\t\xE0\xA4\x95\t30\n"
    "lookup\t3\tkaa\t\xE0\xA4\x95\xE0\xA4\xBE\t0.75\n"
    "class\ta, e, i, o, u\n"
    "lookup\t5\tka\t\xE0\xA4\x95\t0.5\t\xE0\xA4\x95\xE0\xA4\xBE\t0.5\n"
    "segment\tk\t0\t0.5\t\xE0\xA4\x95\t1\n"
    "segment\taa\t2\t0.25\t\xE0\xA4\xBE\t0.875\n"
    "keyvalue\t\xE0\xA4\x95\tk\n"
    "keyvalue\t\xE0\xA5\x8D\t\n"
    "word\t\xE0\xA4\x95\xE0\xA4\xBE\t400\n";

TEST(PreparedContentsTest, EveryRecordKindReachesItsSection) {
  LanguageDataContents contents;
  std::string error;
  ASSERT_TRUE(ParsePreparedContents(kPrepared, &contents, &error)) << error;

  Language language;
  ASSERT_TRUE(language.ParseFromString(contents.language_message));
  EXPECT_EQ("hi", language.language_name());
  ASSERT_EQ(4, language.character_size());
  EXPECT_EQ("k, c", language.character(0).simplified_itrans_values());
  EXPECT_FALSE(language.character(0).has_matra_value());
  // "=" alone: the inherent vowel, whose sign is nothing.
  EXPECT_TRUE(language.character(1).has_matra_value());
  EXPECT_EQ("", language.character(1).matra_value());
  EXPECT_EQ("", language.character(2).itrans_value());
  EXPECT_FALSE(language.character(3).has_simplified_itrans_values());
  ASSERT_EQ(1, language.specialstaticmappings_size());
  EXPECT_EQ("ksh, x", language.specialstaticmappings(0).english_mappings());

  ASSERT_EQ(2u, contents.rules.size());
  EXPECT_EQ(3, contents.rules[1].rule_name);
  EXPECT_EQ(L"b", contents.rules[1].first);
  ASSERT_EQ(1u, contents.lookups.size());
  ASSERT_EQ(1u, contents.more_lookups.size());
  EXPECT_EQ(2u, contents.more_lookups[0].natives.size());
  ASSERT_EQ(2u, contents.segments.size());
  EXPECT_EQ(2, contents.segments[1].type);
  EXPECT_FLOAT_EQ(0.25f, contents.segments[1].weight);
  EXPECT_FLOAT_EQ(0.875f, contents.segments[1].natives[0].second);
  EXPECT_EQ((std::vector<std::string>{"\xE0\xA4\x95\tk", "\xE0\xA5\x8D"}),
            contents.key_value_lines);
  ASSERT_EQ(1u, contents.dictionary_words.size());
  EXPECT_EQ(400, contents.dictionary_words[0].second);
}

TEST(PreparedContentsTest, BadRecordsNameTheirLine) {
  const struct {
    const char* text;
    const char* reason;
  } kCases[] = {
      {"rule\t4\ta\tb\t1\n", "line 1"},
      {"language\tlanguage_id\t1\nsegment\tk\t0\t0.5\t\xE0\xA4\x95\n",
       "line 2"},
      {"lookup\t4\tka\t\xE0\xA4\x95\t1\n", "line 1"},
      {"word\t\xE0\xA4\x95\tmany\n", "line 1"},
      {"character\tx\t9\t1\tname\t-\t\t-\n", "line 1"},
      {"nonsense\n", "unknown record"},
      // Every line valid, but the language record is incomplete.
      {"class\ta\n", "misses"},
  };
  for (const auto& c : kCases) {
    LanguageDataContents contents;
    std::string error;
    EXPECT_FALSE(ParsePreparedContents(c.text, &contents, &error)) << c.text;
    EXPECT_NE(std::string::npos, error.find(c.reason)) << error;
  }
}

// The prepared content, written by the format writer, loads through the
// data loader and gives the model its spellings, lookups and segments.
TEST(PreparedContentsTest, WrittenFileLoadsIntoAModel) {
  LanguageDataContents contents;
  std::string error;
  ASSERT_TRUE(ParsePreparedContents(kPrepared, &contents, &error)) << error;
  ime_testing::TempDir dir;
  const std::wstring folder = dir.path() + L"hi";
  ASSERT_TRUE(::CreateDirectoryW(folder.c_str(), nullptr));
  ASSERT_TRUE(ime_testing::WriteFileBytes(
      folder + L"\\data.00000", ime_t13n::WriteLanguageDataFile(contents)));

  ime_t13n::testing_helpers::RecordingErrorBox box;
  std::unique_ptr<ime_t13n::LanguageData> data(
      new ime_t13n::LanguageData(&box));
  // The language code names the mapping that every process shares; the
  // test of the real Hindi file may hold "hi" at this moment, so this file
  // goes under a code no other test loads.
  ASSERT_TRUE(data->LoadFromMap("ne", ime_shared::WideToUtf8(folder)));
  ime_t13n::TransliterationModel model(*data);
  data.reset();
  EXPECT_EQ(0, box.shown);
  EXPECT_EQ(1u, model.lookup_table()->count(L"kaa"));
  EXPECT_EQ(2u, model.lookup_table()->at(L"ka").size());
  EXPECT_EQ(1u, model.segment_table(ime_t13n::kSuffixSegments).count(L"aa"));
  EXPECT_EQ(L"k", model.key_values().at(L"\x0915"));
  EXPECT_EQ(L"", model.key_values().at(L"\x094D"));
  const std::wstring* matra = model.language_model().FindMatra(L"\x0905");
  ASSERT_NE(nullptr, matra);
  EXPECT_EQ(L"", *matra);
}

}  // namespace
}  // namespace langdata
