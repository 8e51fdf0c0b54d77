#include "ime/shared/frontend/supported_language_set.h"

#include "gtest/gtest.h"
#include "ime/shared/language_codes.h"
#include "ime/shared/settings_table.h"
#include "ime/shared/testing/fake_settings.h"

namespace ime_shared {
namespace {

using ime_testing::FakeSettings;

TEST(SupportedLanguageSetTest, UnsupportedLanguagesFallBackToTheBuildLanguage) {
  FakeSettings settings;
  SupportedLanguageSet state(0);
  state.BindStateSettings(&settings);
  settings.SetInt(kSettingT13nCurrentLanguage, 5);
  const int writes = settings.WritesOf(kSettingT13nCurrentLanguage);
  EXPECT_EQ(state.GetCurrentLanguage(), LanguageCodes::IndexOf());
  EXPECT_EQ(state.GetCurrentLanguageCode(), "hi");
  EXPECT_EQ(settings.GetInt(kSettingT13nCurrentLanguage),
            static_cast<uint32_t>(LanguageCodes::IndexOf()));
  // Written back once; the queries after it find the value in place.
  EXPECT_EQ(settings.WritesOf(kSettingT13nCurrentLanguage), writes + 1);
  for (int i = 0; i < 5; ++i) state.GetCurrentLanguage();
  EXPECT_EQ(settings.WritesOf(kSettingT13nCurrentLanguage), writes + 1);
}

TEST(SupportedLanguageSetTest, ASupportedLanguageIsKeptWithoutAWrite) {
  FakeSettings settings;
  settings.SetInt(kSettingT13nCurrentLanguage, 13);
  const int writes = settings.WritesOf(kSettingT13nCurrentLanguage);
  SupportedLanguageSet state(1u << 13);
  state.BindStateSettings(&settings);
  EXPECT_EQ(state.GetCurrentLanguage(), 13);
  EXPECT_EQ(state.GetCurrentLanguageCode(), "ur");
  EXPECT_EQ(settings.WritesOf(kSettingT13nCurrentLanguage), writes);
}

TEST(SupportedLanguageSetTest, BindingStartsOffWithInitialEnglishAndNeverInSchemeMode) {
  FakeSettings settings;
  SupportedLanguageSet state(0);
  state.ToggleSchemeMode();
  settings.SetInt(kSettingInitialEnglish, 1);
  state.BindStateSettings(&settings);
  EXPECT_TRUE(state.IsOff());
  EXPECT_FALSE(state.IsSchemeMode());
  settings.SetInt(kSettingInitialEnglish, 0);
  state.BindStateSettings(&settings);
  EXPECT_FALSE(state.IsOff());
  // Without settings the build language is all there is, and nothing binds.
  SupportedLanguageSet unbound(~0u);
  unbound.BindStateSettings(nullptr);
  EXPECT_EQ(unbound.GetCurrentLanguage(), 0);
}

}  // namespace
}  // namespace ime_shared
