// The lookups flag of the model: its record in the process's flag list and
// the model's reading of it.
#include <string>

#include "gtest/gtest.h"
#include "ime/shared/flags.h"
#include "ime/t13n/transliteration/transliterator/language_data.h"
#include "ime/t13n/transliteration/transliterator/language_data_format.h"
#include "ime/t13n/transliteration/transliterator/language_data_test_helpers.h"
#include "ime/t13n/transliteration/transliterator/language_data_writer.h"
#include "ime/t13n/transliteration/transliterator/transliteration_model.h"

namespace ime_t13n {
namespace {

using testing_helpers::RecordingErrorBox;
using testing_helpers::SampleContents;

TEST(TransliterationModelFlagTest, LookupsFlagIsRegisteredWithItsDefault) {
  const ime_shared::FlagDefinition* flag = ime_shared::FindFlag(L"lookups_enabled");
  ASSERT_NE(flag, nullptr);
  EXPECT_STREQ(flag->name, L"lookups_enabled");
  EXPECT_EQ(flag->type, ime_shared::kBoolFlag);
  EXPECT_TRUE(flag->default_value.as_bool);
  EXPECT_STREQ(flag->help, L"Whether to load the lookups data");
  EXPECT_STREQ(flag->source_file,
               L"ime\\t13n\\transliteration\\transliterator\\transliterator_data");
  ASSERT_NE(flag->value, nullptr);
  // Nothing parsed a command line in this program: the default holds.
  EXPECT_TRUE(*static_cast<bool*>(flag->value));
  EXPECT_TRUE(LookupsEnabled());
}

// Builds a model with the one-argument constructor from freshly read data
// and tells whether it took the lookup table.
bool ModelTakesLookups() {
  const std::string body = WriteDataBody(SampleContents());  // read in place
  RecordingErrorBox box;
  LanguageData data(&box);
  const uint8_t* begin = reinterpret_cast<const uint8_t*>(body.data());
  DataCursor cursor(begin, begin + body.size());
  EXPECT_TRUE(data.ReadSections(&cursor));
  const TransliterationModel model(data);
  return model.lookup_table() != nullptr && data.lookup_table() == nullptr;
}

TEST(TransliterationModelFlagTest, ModelTakesLookupsOnlyWhileTheFlagIsOn) {
  EXPECT_TRUE(ModelTakesLookups());

  const wchar_t* off[] = {L"program", L"--nolookups_enabled"};
  ASSERT_EQ(ime_shared::ParseFlags(2, off, nullptr), 0);
  EXPECT_FALSE(LookupsEnabled());
  EXPECT_FALSE(ModelTakesLookups());

  const wchar_t* on[] = {L"program", L"/LOOKUPS_ENABLED"};
  ASSERT_EQ(ime_shared::ParseFlags(2, on, nullptr), 0);
  EXPECT_TRUE(LookupsEnabled());
  EXPECT_TRUE(ModelTakesLookups());
}

}  // namespace
}  // namespace ime_t13n
