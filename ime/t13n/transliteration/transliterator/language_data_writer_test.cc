// Round trips through the data-file writer and the section readers.
#include "ime/t13n/transliteration/transliterator/language_data_writer.h"

#include <string>
#include <vector>

#include "gtest/gtest.h"
#include "ime/shared/scramble.h"
#include "ime/t13n/transliteration/transliterator/language_data.h"
#include "ime/t13n/transliteration/transliterator/language_data_test_helpers.h"
#include "ime/t13n/transliteration/transliterator/indic_word_encoding.h"
#include "ime/t13n/transliteration/transliterator/suggest.h"

namespace ime_t13n {
namespace {

using testing_helpers::RecordingErrorBox;
using testing_helpers::SampleContents;

DataCursor CursorOver(const std::string& bytes) {
  const uint8_t* begin = reinterpret_cast<const uint8_t*>(bytes.data());
  return DataCursor(begin, begin + bytes.size());
}

std::wstring Decode(const NativeSegment& segment) {
  std::wstring text;
  DecodeEscapedEntry(segment.encoded.c_str(), &text);
  return text;
}

// Strings of lengths 0, 1, 9, 10 and 11 start at different entries of the
// scrambling key, or at none.
const std::vector<std::wstring>& KeyBoundaryWords() {
  static const std::vector<std::wstring> words = {
      L"", L"x", L"abcdefghi", L"abcdefghij", L"abcdefghijk"};
  return words;
}

class LanguageDataWriterTest : public ::testing::Test {
 protected:
  // Reads every section of |body|; the body must outlive the data, whose
  // Suggest points into it.
  bool ReadBody(const std::string& body) {
    DataCursor cursor = CursorOver(body);
    if (!data_.ReadSections(&cursor)) return false;
    EXPECT_EQ(cursor.remaining(), 0u) << "the body is read to its end";
    return true;
  }

  RecordingErrorBox box_;
  LanguageData data_{&box_};
};

TEST_F(LanguageDataWriterTest, EverySectionRoundTrips) {
  LanguageDataContents contents = SampleContents();
  for (const std::wstring& word : KeyBoundaryWords()) {
    contents.lookups.push_back({L"e" + word, {{word, 2.5f}}});
    contents.more_lookups.push_back({word, {{L"\x0915" + word, -1.0f}}});
    contents.segments.push_back({word, 1, 0.5f, {{word + L"\x094D", 0.1f}}});
  }
  const std::string body = WriteDataBody(contents);
  ASSERT_TRUE(ReadBody(body));

  ASSERT_NE(data_.suggest(), nullptr);
  EXPECT_EQ(data_.suggest()->entry_count(), 2);
  EXPECT_EQ(data_.language().language_name(), "hi");
  EXPECT_EQ(data_.language().character_size(), 9);

  EXPECT_EQ(data_.rule_table(kConsecChars)->at(L"\x0915\x093E"), 12);
  EXPECT_EQ(data_.rule_table(kWordBeginPositions)->at(L"\x0915"), 30);

  const LookupTable& lookups = *data_.lookup_table();
  ASSERT_EQ(lookups.at(L"kaa").size(), 1u);
  EXPECT_EQ(lookups.at(L"kaa")[0].indic_word, L"\x0915\x093E");
  EXPECT_EQ(lookups.at(L"kaa")[0].score, 0.5f);
  EXPECT_EQ(lookups.at(L"khi")[0].indic_word, L"\x0916\x093F");
  for (const std::wstring& word : KeyBoundaryWords()) {
    SCOPED_TRACE(word.size());
    ASSERT_EQ(lookups.count(L"e" + word), 1u);
    EXPECT_EQ(lookups.at(L"e" + word)[0].indic_word, word);
    EXPECT_EQ(lookups.at(L"e" + word)[0].score, 2.5f);
    ASSERT_EQ(lookups.count(word), 1u);
    EXPECT_EQ(lookups.at(word)[0].indic_word, L"\x0915" + word);
    const SegmentTable& prefixes = *data_.segment_table(kPrefixSegments);
    ASSERT_EQ(prefixes.count(word), 1u);
    EXPECT_EQ(prefixes.at(word).weight, 0.5f);
    EXPECT_EQ(Decode(prefixes.at(word).segments[0]), word + L"\x094D");
  }

  EXPECT_EQ(data_.char_class_lists(),
            (std::vector<std::wstring>{L"a, e, i", L"k, g"}));

  const SegmentEntry& k = data_.segment_table(kSimpleSegments)->at(L"k");
  EXPECT_EQ(k.weight, 0.75f);
  ASSERT_EQ(k.segments.size(), 1u);
  EXPECT_EQ(Decode(k.segments[0]), L"\x0915");
  EXPECT_EQ(k.segments[0].probability, 0.5f);
  EXPECT_EQ(data_.segment_table(kSuffixSegments)->count(L"ki"), 1u);

  EXPECT_EQ(data_.key_value_lines(), contents.key_value_lines);
  EXPECT_EQ(box_.shown, 0);
}

TEST_F(LanguageDataWriterTest, ScrambledStringsAreStoredScrambled) {
  for (const std::wstring& word : KeyBoundaryWords()) {
    SCOPED_TRACE(word.size());
    DataWriter out;
    WriteLookupSection({{word, {}}}, &out);
    std::wstring expected = word;
    ime_shared::ScrambleString(&expected);
    DataCursor cursor = CursorOver(out.bytes());
    int32_t count;
    std::wstring stored;
    ASSERT_TRUE(cursor.ReadInt32(&count));
    ASSERT_TRUE(cursor.ReadWideString(&stored));
    EXPECT_EQ(stored, expected);
    if (!word.empty()) {
      EXPECT_NE(stored, word);
    }
  }
}

TEST_F(LanguageDataWriterTest, EmptySectionsFollowEachOtherAtOnce) {
  LanguageDataContents contents;
  contents.language_message = testing_helpers::SampleLanguage().SerializeAsString();
  std::vector<size_t> offsets;
  const std::string body = WriteDataBody(contents, &offsets);
  ASSERT_EQ(offsets.size(), static_cast<size_t>(kDataSectionCount + 1));
  for (int section = 2; section < kDataSectionCount; ++section) {
    EXPECT_EQ(offsets[section + 1] - offsets[section], 4u) << section;
  }
  ASSERT_TRUE(ReadBody(body));
  EXPECT_TRUE(data_.rule_table(kConsecChars)->empty());
  EXPECT_TRUE(data_.lookup_table()->empty());
  EXPECT_TRUE(data_.segment_table(kSimpleSegments)->empty());
  EXPECT_TRUE(data_.key_value_lines().empty());
}

TEST_F(LanguageDataWriterTest, RepeatedKeysFollowTheirSectionsRules) {
  LanguageDataContents contents = SampleContents();
  // Rules: the first count stays. CHAR_POSITIONS: "m..." is the middle.
  contents.rules = {{LanguageRule::CONSEC_CHAR_CLASSES, L"2", L"1", 500},
                    {LanguageRule::CONSEC_CHAR_CLASSES, L"21", L"", 7},
                    {LanguageRule::CHAR_POSITIONS, L"middle", L"k", 12},
                    {LanguageRule::CHAR_POSITIONS, L"e", L"k", 6},
                    {LanguageRule::CONSEC_PHONETIC_CLASSES, L"x", L"y", 3}};
  // Lookups: the last list wins, within a section and across 3 and 5.
  contents.lookups = {{L"w", {{L"one", 1}}}, {L"w", {{L"two", 2}}},
                      {L"v", {{L"three", 3}, {L"four", 4}}}};
  contents.more_lookups = {{L"v", {{L"five", 5}}}};
  // The same segment under two types is two entries.
  contents.segments.push_back({L"k", 1, 2.0f, {}});
  const std::string body = WriteDataBody(contents);
  ASSERT_TRUE(ReadBody(body));

  EXPECT_EQ(data_.rule_table(kConsecCharClasses)->size(), 1u);
  EXPECT_EQ(data_.rule_table(kConsecCharClasses)->at(L"21"), 500);
  EXPECT_EQ(data_.rule_table(kWordMiddlePositions)->at(L"k"), 12);
  EXPECT_EQ(data_.rule_table(kWordEndPositions)->at(L"k"), 6);
  EXPECT_TRUE(data_.rule_table(kWordBeginPositions)->empty());
  EXPECT_EQ(data_.rule_table(kConsecPhoneticClasses)->at(L"xy"), 3);

  const LookupTable& lookups = *data_.lookup_table();
  ASSERT_EQ(lookups.at(L"w").size(), 1u);
  EXPECT_EQ(lookups.at(L"w")[0].indic_word, L"two");
  ASSERT_EQ(lookups.at(L"v").size(), 1u);
  EXPECT_EQ(lookups.at(L"v")[0].indic_word, L"five");

  EXPECT_EQ(data_.segment_table(kSimpleSegments)->at(L"k").weight, 0.75f);
  EXPECT_EQ(data_.segment_table(kPrefixSegments)->at(L"k").weight, 2.0f);
}

}  // namespace
}  // namespace ime_t13n
