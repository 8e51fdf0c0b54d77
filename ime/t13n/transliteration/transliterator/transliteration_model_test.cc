#include "ime/t13n/transliteration/transliterator/transliteration_model.h"

#include <memory>
#include <string>
#include <vector>

#include "gtest/gtest.h"
#include "ime/shared/testing/child_process.h"
#include "ime/shared/testing/temp_dir.h"
#include "ime/t13n/transliteration/transliterator/language_data.h"
#include "ime/t13n/transliteration/transliterator/language_data_test_helpers.h"
#include "ime/t13n/transliteration/transliterator/suggest.h"

namespace ime_t13n {
namespace {

using testing_helpers::AddCharacter;
using testing_helpers::RecordingErrorBox;
using testing_helpers::SampleContents;
using testing_helpers::SampleLanguage;

class TransliterationModelTest : public ::testing::Test {
 protected:
  // Reads |contents| into data_ from memory.
  void Read(const LanguageDataContents& contents) {
    body_ = WriteDataBody(contents);
    const uint8_t* begin = reinterpret_cast<const uint8_t*>(body_.data());
    DataCursor cursor(begin, begin + body_.size());
    ASSERT_TRUE(data_.ReadSections(&cursor));
  }

  std::string body_;  // the Suggest reads it in place
  RecordingErrorBox box_;
  LanguageData data_{&box_};
};

TEST_F(TransliterationModelTest, LetterClassesWeighTwoToTheListNumber) {
  LanguageDataContents contents = SampleContents();
  contents.char_class_lists = {L" a , e ,i", L"k,,g", L"", L"y, i, y"};
  for (int i = 4; i < 33; ++i) contents.char_class_lists.push_back(L"z");
  contents.char_class_lists.push_back(L"w");  // list 33 weighs nothing
  Read(contents);
  const TransliterationModel model(data_);
  const LetterClassTable& classes = model.letter_classes();
  EXPECT_EQ(classes.at(L"a"), 1);
  EXPECT_EQ(classes.at(L"e"), 1);
  EXPECT_EQ(classes.at(L"k"), 2);
  EXPECT_EQ(classes.at(L"g"), 2);
  EXPECT_EQ(classes.at(L"i"), 9);
  EXPECT_EQ(classes.at(L"y"), 16) << "twice in one list counts twice";
  // Lists 4..30 add 2^4..2^30, list 31 adds -2^31, list 32 nothing.
  EXPECT_EQ(classes.at(L"z"), 0x7FFFFFF0LL - 0x80000000LL);
  EXPECT_EQ(classes.at(L"w"), 0);
  EXPECT_EQ(model.class_bits_of_a(), 1);
}

TEST_F(TransliterationModelTest, ClassBitsOfAAreZeroWhenNoListNamesIt) {
  LanguageDataContents contents = SampleContents();
  contents.char_class_lists = {L"k"};
  Read(contents);
  const TransliterationModel model(data_);
  EXPECT_EQ(model.class_bits_of_a(), 0);
  EXPECT_EQ(model.letter_classes().at(L"a"), 0);
}

TEST_F(TransliterationModelTest, KeyValueLines) {
  LanguageDataContents contents = SampleContents();
  contents.key_value_lines = {
      "\xE0\xA4\x95 \tk\r\n",      // ka: k (value trimmed)
      "\xE0\xA5\x8D a",            // the virama maps to nothing
      "\xE0\xA4\x96 kh x y",       // further pieces are ignored
      "\xE0\xA4\x95 q",            // ka again: the first entry stays
      " \t ",                      // blanks only: skipped
      "\xE0\xA4\xA4\r\n",          // ta alone: no value
  };
  Read(contents);
  const TransliterationModel model(data_);
  const KeyValueTable& values = model.key_values();
  EXPECT_EQ(values.size(), 4u);
  EXPECT_EQ(values.at(L"\x0915"), L"k");
  EXPECT_EQ(values.at(L"\x094D"), L"");
  EXPECT_EQ(values.at(L"\x0916"), L"kh");
  EXPECT_EQ(values.at(L"\x0924"), L"");
}

TEST_F(TransliterationModelTest, TrieHoldsEverySpelling) {
  LanguageDataContents contents = SampleContents();
  Language language = SampleLanguage();
  // "kh" runs below "k"; "t" is claimed by ta first; a blank spelling
  // reaches no node.
  AddCharacter(&language, L"\x0925", Language::CONSONANT, "t, th,  ");
  contents.language_message = language.SerializeAsString();
  Read(contents);
  const TransliterationModel model(data_);
  const StaticMappingTrie& trie = model.trie();
  const int32_t k = trie.Child(StaticMappingTrie::kRoot, L'k');
  ASSERT_NE(k, StaticMappingTrie::kNoNode);
  EXPECT_EQ(trie.Value(k), L"\x0915");
  const int32_t kh = trie.Child(k, L'h');
  ASSERT_NE(kh, StaticMappingTrie::kNoNode);
  EXPECT_EQ(trie.Value(kh), L"\x0916");
  const int32_t aa = trie.Child(trie.Child(StaticMappingTrie::kRoot, L'a'), L'a');
  EXPECT_EQ(trie.Value(aa), L"\x0906");
  EXPECT_EQ(trie.Value(trie.Child(StaticMappingTrie::kRoot, L'A')), L"\x0906");
  const int32_t t = trie.Child(StaticMappingTrie::kRoot, L't');
  EXPECT_EQ(trie.Value(t), L"\x0924");
  EXPECT_EQ(trie.Value(trie.Child(t, L'h')), L"\x0925");
  EXPECT_EQ(trie.Value(StaticMappingTrie::kRoot), L"");
  EXPECT_EQ(trie.Child(StaticMappingTrie::kRoot, L' '), StaticMappingTrie::kNoNode);
  EXPECT_EQ(trie.Child(k, L'x'), StaticMappingTrie::kNoNode);
}

TEST_F(TransliterationModelTest, TakesOverTheTablesOfTheLoadedData) {
  Read(SampleContents());
  const TransliterationModel model(data_);
  for (int i = 0; i < kRuleTableCount; ++i) {
    EXPECT_EQ(data_.rule_table(static_cast<RuleTableIndex>(i)), nullptr);
  }
  for (int i = 0; i < kSegmentTableCount; ++i) {
    EXPECT_EQ(data_.segment_table(static_cast<SegmentTableIndex>(i)), nullptr);
  }
  EXPECT_EQ(data_.lookup_table(), nullptr);
  EXPECT_EQ(data_.suggest(), nullptr);
  ASSERT_NE(model.suggest(), nullptr);
  EXPECT_EQ(model.suggest()->entry_count(), 2);
  EXPECT_EQ(model.rule_table(kConsecChars).at(L"\x0915\x093E"), 12);
  EXPECT_EQ(model.segment_table(kSimpleSegments).count(L"k"), 1u);
  EXPECT_EQ(model.language_model().GetClass(L"\x0915"), Language::CONSONANT);
  // What is read, not taken, stays with the data.
  EXPECT_EQ(data_.key_value_lines().size(), 2u);
  EXPECT_EQ(data_.char_class_lists().size(), 2u);

  std::vector<LookupWord> words = {{L"kept", 9}};
  model.LookupDictionaryWords(L"kaa", &words);
  ASSERT_EQ(words.size(), 2u);
  EXPECT_EQ(words[0].indic_word, L"kept");
  EXPECT_EQ(words[1].indic_word, L"\x0915\x093E");
  EXPECT_EQ(words[1].score, 0.5f);
  model.LookupDictionaryWords(L"absent", &words);
  EXPECT_EQ(words.size(), 2u);
  EXPECT_EQ(model.CopyWord(L"\x0915"), L"\x0915");
}

TEST_F(TransliterationModelTest, WithoutLookupsTheTableStaysWithTheData) {
  Read(SampleContents());
  const TransliterationModel model(data_, false);
  EXPECT_EQ(model.lookup_table(), nullptr);
  ASSERT_NE(data_.lookup_table(), nullptr);
  std::vector<LookupWord> words;
  model.LookupDictionaryWords(L"kaa", &words);
  EXPECT_TRUE(words.empty());
}

TEST_F(TransliterationModelTest, DataThatWasNeverLoadedGivesEmptyTables) {
  const TransliterationModel model(data_);
  EXPECT_TRUE(model.rule_table(kWordEndPositions).empty());
  EXPECT_TRUE(model.segment_table(kSuffixSegments).empty());
  EXPECT_TRUE(model.key_values().empty());
  EXPECT_EQ(model.suggest(), nullptr);
  EXPECT_EQ(model.trie().node_count(), 1u);
  EXPECT_EQ(model.language_model().virama(), L"");
}

TEST(TransliterationModelFileTest, KeepsTheDataFileMappedForItsLife) {
  ime_testing::TempDir dir;
  const std::wstring folder = dir.path() + L"hi";
  ::CreateDirectoryW(folder.c_str(), nullptr);
  ASSERT_TRUE(ime_testing::WriteFileBytes(
      folder + L"\\data.00000", WriteLanguageDataFile(SampleContents())));
  RecordingErrorBox box;
  std::unique_ptr<LanguageData> data(new LanguageData(&box));
  ASSERT_TRUE(data->LoadFromMap(
      ime_shared::WideToUtf8(ime_testing::UniqueName(L"m")),
      ime_shared::WideToUtf8(folder)));
  std::unique_ptr<TransliterationModel> model(new TransliterationModel(*data));
  EXPECT_EQ(data->mapped_file(), nullptr);
  data.reset();  // the loading context goes; the mapping stays
  ASSERT_NE(model->mapped_file(), nullptr);
  EXPECT_EQ(model->mapped_file()->size(), 4000000);
  EXPECT_EQ(model->mapped_file()->view()[kHeaderBodyOffsetOffset],
            kDataHeaderSize)
      << "the view is still readable";
  // The model's end closes the file.
  const std::wstring path = folder + L"\\data.00000";
  model.reset();
  EXPECT_TRUE(::DeleteFileW(path.c_str()));
}

}  // namespace
}  // namespace ime_t13n
