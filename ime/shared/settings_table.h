// The fixed tables of the settings store: one row per integer setting and
// per string setting, in index order, and the bit maps of the earlier
// version's settings masks.
#ifndef IME_SHARED_SETTINGS_TABLE_H_
#define IME_SHARED_SETTINGS_TABLE_H_

#include <cstdint>
#include <string>

namespace ime_shared {

// Integer settings are numbered 0 to kSettingCount - 1; kNoSetting is the
// answer of a failed name lookup and the empty entry of the bit maps.
constexpr int kSettingCount = 68;
constexpr int kNoSetting = 68;
constexpr int kStringSettingCount = 2;

// A maximum that every unsigned value satisfies.
constexpr uint32_t kNoMaximum = 0xFFFFFFFFu;

enum SettingIndex {
  kSettingInitialEnglish = 0,
  kSettingInitialFullPunct = 1,
  kSettingInitialFullShape = 2,
  kSettingFuzzy = 3,
  kSettingToggleKeyMinusPlus = 4,
  kSettingShuangPin = 5,
  kSettingAutoCorrection = 6,
  kSettingUrlMode = 7,
  kSettingTraditionalChinese = 8,
  kSettingDotAfterDigit = 9,
  kSettingFuzzyZCS = 10,
  kSettingCaretTrack = 11,
  kSettingGBK = 12,
  kSettingCtrlSwitchEnglish = 13,
  kSettingAdjustPhraseFreq = 14,
  kSettingToggleKeyCommaDot = 15,
  kSettingCompositePhrase = 16,
  kSettingBigram = 17,
  kSettingTransparent = 18,
  kSettingLimitPhraseCandidateCount = 19,
  kSettingAlwaysCompositeFullPhrase = 20,
  kSettingDisableCustomSymbol = 21,
  kSettingSelectCharacterFromPhrase = 22,
  kSettingNoStatusWhenFullScreen = 23,
  kSettingFuzzyParameter = 24,
  kSettingAutoCorrectionParameter = 25,
  kSettingCandidatePerPage = 26,
  kSettingCompPanelX = 27,
  kSettingCompPanelY = 28,
  kSettingStatusPanelX = 29,
  kSettingStatusPanelY = 30,
  kSettingDashboardWindowX = 31,
  kSettingDashboardWindowY = 32,
  kSettingLimitedPhraseCandidateCount = 33,
  kSettingStatusPanelLayout = 34,
  kSettingShuangPinScheme = 35,
  kSettingCandidateKey = 36,
  kSettingSyncInterval = 37,
  kSettingCompFontSize = 38,
  kSettingSetStatusKey = 39,
  kSettingSetSkbKey = 40,
  kSettingSetTraditionalKey = 41,
  kSettingStatusBarKey = 42,
  kSettingSKBKey = 43,
  kSettingTraditionalKey = 44,
  kSettingFloatingStatusBar = 45,
  kSettingEnableEnglishSwitchKey = 46,
  kSettingEnableVignel = 47,
  kSettingDefaultVignelId = 48,
  kSettingEnableOptionsKey = 49,
  kSettingOptionsKey = 50,
  kSettingEnableDashboard = 51,
  kSettingInlineMode = 52,
  kSettingSyncLanguageModel = 53,
  kSettingTotalChooseCount = 54,
  kSettingSelectDefaultCount = 55,
  kSettingTimesOfComposition = 56,
  kSettingLengthOfComposition = 57,
  kSettingMillisecondsOfComposition = 58,
  kSettingFullscreenAppNoFloatingStatus = 59,
  kSettingEnableInputHistory = 60,
  kSettingT13nCurrentLanguage = 61,
  kSettingT13nCurrentScheme = 62,
  kSettingT13nEnglishFontSize = 63,
  kSettingT13nConvertedTextFontSize = 64,
  kSettingT13nCandidatePageSize = 65,
  kSettingT13nUserCacheEnabled = 66,
  kSettingT13nMacroFileChanged = 67,
};

enum StringSettingIndex {
  kStringSettingEnglishFontName = 0,
  kStringSettingConvertedTextFontName = 1,
};

class SettingsTable {
 public:
  struct Row {
    const wchar_t* name;  // also the registry value name
    uint32_t default_value;
    uint32_t minimum;
    uint32_t maximum;  // kNoMaximum: none
    bool tracked;      // whether a change by the user is recorded
  };

  // True for 0 to kSettingCount - 1.
  static bool IsIndex(int index) { return index >= 0 && index < kSettingCount; }
  // The row of a valid |index|.
  static const Row& At(int index) { return kRows[index]; }
  // The first row named exactly |name| (case-sensitive); kNoSetting when
  // there is none.
  static int IndexOf(const std::wstring& name);
  // Whether |value| lies within the row's minimum and maximum (unsigned).
  static bool InRange(int index, uint32_t value);
  // |value| when in range, else the row's default.
  static uint32_t Sanitize(int index, uint32_t value);

 private:
  static const Row kRows[kSettingCount];
};

class StringSettingsTable {
 public:
  struct Row {
    const wchar_t* name;
    const wchar_t* default_value;
  };

  static bool IsIndex(int index) {
    return index >= 0 && index < kStringSettingCount;
  }
  static const Row& At(int index) { return kRows[index]; }

 private:
  static const Row kRows[kStringSettingCount];
};

// Setting of each bit of the earlier version's masks: "CommonSettings" and
// "ModeModified" share the first map, "Param1Modified" has the second.
constexpr int kCommonSettingsBitCount = 29;
constexpr int kParam1ModifiedBitCount = 15;
extern const int kCommonSettingsBitMap[kCommonSettingsBitCount];
extern const int kParam1ModifiedBitMap[kParam1ModifiedBitCount];

}  // namespace ime_shared

#endif  // IME_SHARED_SETTINGS_TABLE_H_
