// The Hindi data file that the build produced loads as the input method
// loads it, and holds what each section is meant to hold. The folder is the
// build tree's data folder, the value the tests and the evaluation give
// "DataPath" (the registry itself is left alone: other tests own the
// product key's values).
#include <windows.h>

#include <memory>
#include <string>

#include "gtest/gtest.h"
#include "ime/shared/string_utils.h"
#include "ime/t13n/transliteration/lib/transl.pb.h"
#include "ime/t13n/transliteration/transliterator/language_data_test_helpers.h"
#include "ime/t13n/transliteration/transliterator/language_data.h"
#include "ime/t13n/transliteration/transliterator/language_data_format.h"
#include "ime/t13n/transliteration/transliterator/language_data_location.h"
#include "ime/t13n/transliteration/transliterator/suggest.h"
#include "ime/t13n/transliteration/transliterator/transliteration_model.h"

namespace langdata {
namespace {

using ime_t13n::Language;

std::string BuiltFolder() {
  return ime_t13n::LanguageDataFolder(
      ime_shared::Utf8ToWide(KELVANE_BUILT_DATA_DIR), "hi");
}

// One load for every check: loading and building the model is the slow
// part.
class HindiDataFileTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    ime_t13n::testing_helpers::RecordingErrorBox box;
    std::unique_ptr<ime_t13n::LanguageData> data(
        new ime_t13n::LanguageData(&box));
    if (!data->LoadFromMap("hi", BuiltFolder())) return;
    model_ = new ime_t13n::TransliterationModel(*data);
  }
  static void TearDownTestSuite() {
    delete model_;
    model_ = nullptr;
  }
  static ime_t13n::TransliterationModel* model_;
};

ime_t13n::TransliterationModel* HindiDataFileTest::model_ = nullptr;

TEST_F(HindiDataFileTest, LoadsAndFillsEverySection) {
  ASSERT_NE(nullptr, model_) << "the data file in " << BuiltFolder()
                             << " does not load";
  WIN32_FILE_ATTRIBUTE_DATA attributes;
  ASSERT_TRUE(::GetFileAttributesExW(
      ime_shared::Utf8ToWide(BuiltFolder() + "\\data.00000").c_str(),
      GetFileExInfoStandard, &attributes));
  EXPECT_GE(attributes.nFileSizeLow, ime_t13n::kMinimumDataFileSize);

  const ime_t13n::LanguageModel& language = model_->language_model();
  EXPECT_EQ(L"hi", language.language_name());
  EXPECT_EQ(L"\x094D", language.virama());
  EXPECT_TRUE(language.IsConsonant(L"\x0915"));
  EXPECT_EQ(Language::VOWEL, language.GetClass(L"\x0906"));
  EXPECT_EQ(Language::MATRA, language.GetClass(L"\x093E"));
  EXPECT_EQ(Language::SPECIAL, language.GetClass(L"\x0902"));
  // Nukta letters are the base letter and the separate nukta, which counts
  // as a consonant so that vowel signs and the virama may follow it.
  EXPECT_EQ(Language::CONSONANT, language.GetClass(L"\x093C"));
  EXPECT_EQ(Language::CONSONANT, language.GetClass(L"\x091C\x093C"));
  EXPECT_EQ(Language::CONSONANT, language.GetClass(L"\x0915\x094D\x0937"));
  ASSERT_NE(nullptr, language.FindMatra(L"\x0906"));
  EXPECT_EQ(L"\x093E", *language.FindMatra(L"\x0906"));
  const std::vector<std::wstring>* k = language.FindSpellings(L"\x0915");
  ASSERT_NE(nullptr, k);
  EXPECT_EQ(L"k", k->front());

  EXPECT_GT(model_->rule_table(ime_t13n::kConsecChars).size(), 1000u);
  EXPECT_GT(model_->lookup_table()->size(), 5000u);
  EXPECT_GT(model_->segment_table(ime_t13n::kSimpleSegments).size(), 1000u);
  EXPECT_GT(model_->segment_table(ime_t13n::kPrefixSegments).size(), 1000u);
  EXPECT_GT(model_->segment_table(ime_t13n::kSuffixSegments).size(), 1000u);
  EXPECT_EQ(L"k", model_->key_values().at(L"\x0915"));
  EXPECT_GT(model_->letter_classes().size(), 20u);
  EXPECT_EQ(1, model_->class_bits_of_a());

  // Common words score by their frequency, far above rare ones.
  const ime_t13n::Suggest* suggest = model_->suggest();
  ASSERT_NE(nullptr, suggest);
  EXPECT_GT(suggest->entry_count(), 100000);
  EXPECT_GT(suggest->GetScore(L"\x0939\x0948"),                    // hai
            suggest->GetScore(L"\x0905\x0902\x0915\x0917\x0923\x093F\x0924"));
  EXPECT_GT(suggest->GetScore(L"\x0928\x092E\x0938\x094D\x0924\x0947"), 0);
}

}  // namespace
}  // namespace langdata
