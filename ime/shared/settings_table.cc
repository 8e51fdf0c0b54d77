#include "ime/shared/settings_table.h"

namespace ime_shared {

// name, default, minimum, maximum, tracked
const SettingsTable::Row SettingsTable::kRows[kSettingCount] = {
    {L"InitialEnglish", 0, 0, 1, true},
    {L"InitialFullPunct", 1, 0, 1, true},
    {L"InitialFullShape", 0, 0, 1, true},
    {L"Fuzzy", 0, 0, 1, true},
    {L"ToggleKeyMinusPlus", 1, 0, 1, true},
    {L"ShuangPin", 0, 0, 1, true},
    {L"AutoCorrection", 1, 0, 1, true},
    {L"UrlMode", 1, 0, 1, true},
    {L"TraditionalChinese", 0, 0, 1, true},
    {L"DotAfterDigit", 1, 0, 1, true},
    {L"FuzzyZCS", 1, 0, 1, true},
    {L"CaretTrack", 1, 0, 1, true},
    {L"GBK", 1, 0, 1, true},
    {L"CtrlSwitchEnglish", 0, 0, 1, true},
    {L"AdjustPhraseFreq", 1, 0, 1, true},
    {L"ToggleKeyCommaDot", 1, 0, 1, true},
    {L"CompositePhrase", 1, 0, 1, true},
    {L"Bigram", 1, 0, 1, true},
    {L"Transparent", 0, 0, 1, true},
    {L"LimitPhraseCandidateCount", 0, 0, 1, true},
    {L"AlwaysCompositeFullPhrase", 0, 0, 1, true},
    {L"DisableCustomSymbol", 0, 0, 1, true},
    {L"SelectCharacterFromPhrase", 0, 0, 1, true},
    {L"NoStatusWhenFullScreen", 0, 0, 1, false},
    {L"FuzzyParameter", 63, 0, kNoMaximum, true},
    {L"AutoCorrectionParameter", 63, 0, kNoMaximum, true},
    {L"CandidatePerPage", 5, 3, 9, true},
    {L"CompPanelX", 500, 0, 65535, false},
    {L"CompPanelY", 500, 0, 65535, false},
    {L"StatusPanelX", 65535, 0, 65535, false},
    {L"StatusPanelY", 65535, 0, 65535, false},
    {L"DashboardWindowX", 65535, 0, 65535, false},
    {L"DashboardWindowY", 20, 0, 65535, false},
    {L"LimitedPhraseCandidateCount", 10, 1, 99, true},
    {L"StatusPanelLayout", 0, 0, 3, true},
    {L"ShuangPinScheme", 0, 0, 4, true},
    {L"CandidateKey", 0, 0, 255, true},
    {L"SyncInterval", 0, 0, 1, false},
    {L"CompFontSize", 1, 0, 3, true},
    {L"SetStatusKey", 1, 0, 1, true},
    {L"SetSkbKey", 1, 0, 1, true},
    {L"SetTraditionalKey", 1, 0, 1, true},
    {L"StatusBarKey", 18, 0, 255, true},
    {L"SKBKey", 10, 0, 255, true},
    {L"TraditionalKey", 19, 0, 255, true},
    {L"FloatingStatusBar", 1, 0, 1, true},
    {L"EnableEnglishSwitchKey", 1, 0, 1, true},
    {L"EnableVignel", 1, 0, 1, true},
    {L"DefaultVignelId", 0, 0, kNoMaximum, true},
    {L"EnableOptionsKey", 1, 0, 1, true},
    {L"OptionsKey", 14, 0, 255, true},
    {L"EnableDashboard", 0, 0, 1, true},
    {L"InlineMode", 1, 0, 1, true},
    {L"SyncLanguageModel", 1, 0, 1, true},
    {L"TotalChooseCount", 0, 0, kNoMaximum, false},
    {L"SelectDefaultCount", 0, 0, kNoMaximum, false},
    {L"TimesOfComposition", 0, 0, kNoMaximum, false},
    {L"LengthOfComposition", 0, 0, kNoMaximum, false},
    {L"MillisecondsOfComposition", 0, 0, kNoMaximum, false},
    {L"FullscreenAppNoFloatingStatus", 0, 0, 1, true},
    {L"EnableInputHistory", 1, 0, 1, true},
    {L"T13nCurrentLanguage", 0, 0, 18, true},
    {L"T13nCurrentScheme", 0, 0, kNoMaximum, true},
    {L"T13nEnglishFontSize", 12, 0, kNoMaximum, true},
    {L"T13nConvertedTextFontSize", 12, 0, kNoMaximum, true},
    {L"T13nCandidatePageSize", 5, 3, 6, true},
    {L"T13nUserCacheEnabled", 1, 0, 1, true},
    {L"T13nMacroFileChanged", 0, 0, 1, true},
};

const StringSettingsTable::Row StringSettingsTable::kRows[kStringSettingCount] = {
    {L"EnglishFontName", L"Arial"},
    {L"ConvertedTextFontName", L""},
};

const int kCommonSettingsBitMap[kCommonSettingsBitCount] = {
    kSettingInitialEnglish,            // bit 0
    kSettingInitialFullPunct,          // bit 1
    kSettingInitialFullShape,          // bit 2
    kSettingFuzzy,                     // bit 3
    kSettingToggleKeyMinusPlus,        // bit 4
    kSettingShuangPin,                 // bit 5
    kSettingAutoCorrection,            // bit 6
    kSettingFloatingStatusBar,         // bit 7
    kSettingUrlMode,                   // bit 8
    kSettingTraditionalChinese,        // bit 9
    kSettingDotAfterDigit,             // bit 10
    kSettingFuzzyZCS,                  // bit 11
    kSettingCaretTrack,                // bit 12
    kSettingGBK,                       // bit 13
    kSettingCtrlSwitchEnglish,         // bit 14
    kSettingAdjustPhraseFreq,          // bit 15
    kSettingToggleKeyCommaDot,         // bit 16
    kSettingCompositePhrase,           // bit 17
    kSettingBigram,                    // bit 18
    kSettingTransparent,               // bit 19
    kSettingLimitPhraseCandidateCount, // bit 20
    kSettingAlwaysCompositeFullPhrase, // bit 21
    kSettingDisableCustomSymbol,       // bit 22
    kSettingSetStatusKey,              // bit 23
    kSettingSetSkbKey,                 // bit 24
    kSettingSetTraditionalKey,         // bit 25
    kSettingSelectCharacterFromPhrase, // bit 26
    kSettingEnableEnglishSwitchKey,    // bit 27
    kSettingNoStatusWhenFullScreen,    // bit 28
};

const int kParam1ModifiedBitMap[kParam1ModifiedBitCount] = {
    kNoSetting,                          // bit 0
    kSettingFuzzyParameter,              // bit 1
    kSettingAutoCorrection,              // bit 2
    kSettingCandidatePerPage,            // bit 3
    kSettingCompPanelX,                  // bit 4
    kSettingCompPanelY,                  // bit 5
    kSettingStatusPanelX,                // bit 6
    kSettingStatusPanelY,                // bit 7
    kSettingLimitedPhraseCandidateCount, // bit 8
    kSettingStatusPanelLayout,           // bit 9
    kSettingShuangPinScheme,             // bit 10
    kSettingCandidateKey,                // bit 11
    kNoSetting,                          // bit 12
    kNoSetting,                          // bit 13
    kSettingCompFontSize,                // bit 14
};

int SettingsTable::IndexOf(const std::wstring& name) {
  for (int i = 0; i < kSettingCount; ++i) {
    if (name == kRows[i].name) return i;
  }
  return kNoSetting;
}

bool SettingsTable::InRange(int index, uint32_t value) {
  const Row& row = kRows[index];
  return value >= row.minimum && value <= row.maximum;
}

uint32_t SettingsTable::Sanitize(int index, uint32_t value) {
  return InRange(index, value) ? value : kRows[index].default_value;
}

}  // namespace ime_shared
