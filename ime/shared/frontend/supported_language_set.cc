#include "ime/shared/frontend/supported_language_set.h"

#include "ime/shared/base/registry_key.h"
#include "ime/shared/language_codes.h"
#include "ime/shared/product_registry.h"
#include "ime/shared/settings_interface.h"
#include "ime/shared/settings_table.h"

namespace ime_shared {

const wchar_t kSupportedLanguagesValue[] = L"T13nSupportedLanguages";

uint32_t ReadSupportedLanguageMask() {
  const base::RegistryKey key = OpenMachineProductKey(true);
  DWORD mask = 0;
  if (!key || key.ReadDword(kSupportedLanguagesValue, &mask) != ERROR_SUCCESS) {
    return 0;
  }
  return mask;
}

SupportedLanguageSet::SupportedLanguageSet(uint32_t supported_mask)
    : supported_mask_(supported_mask) {}

void SupportedLanguageSet::BindStateSettings(SettingsInterface* settings) {
  settings_ = settings;
  if (settings_ == nullptr) return;
  off_ = settings_->GetInt(kSettingInitialEnglish) != 0;
  scheme_mode_ = false;
}

int SupportedLanguageSet::GetCurrentLanguage() {
  const uint32_t setting =
      settings_ != nullptr ? settings_->GetInt(kSettingT13nCurrentLanguage) : 0;
  if (setting < static_cast<uint32_t>(LanguageCodes::kCount) &&
      (supported_mask_ >> (setting % 32)) & 1u) {
    return static_cast<int>(setting);
  }
  const int build_language = LanguageCodes::IndexOf();
  // Written back only when it differs: this runs at every key, and a write
  // of the store goes to the registry.
  if (settings_ != nullptr &&
      setting != static_cast<uint32_t>(build_language)) {
    settings_->SetInt(kSettingT13nCurrentLanguage, build_language);
  }
  return build_language;
}

std::string SupportedLanguageSet::GetCurrentLanguageCode() {
  return LanguageCodes::CodeAt(GetCurrentLanguage());
}

}  // namespace ime_shared
