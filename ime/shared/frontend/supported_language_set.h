// The language state of one module master: which language is current, and
// whether transliteration is off or the custom scheme is in use.
#ifndef IME_SHARED_FRONTEND_SUPPORTED_LANGUAGE_SET_H_
#define IME_SHARED_FRONTEND_SUPPORTED_LANGUAGE_SET_H_

#include <cstdint>
#include <string>

namespace ime_shared {

class SettingsInterface;

// The REG_DWORD "T13nSupportedLanguages" of the machine's product key: bit i
// set when the language of index i is installed. 0 when missing, of another
// type or unreadable.
extern const wchar_t kSupportedLanguagesValue[];
uint32_t ReadSupportedLanguageMask();

class SupportedLanguageSet {
 public:
  // Both state bits clear; |supported_mask| as ReadSupportedLanguageMask()
  // gives it.
  explicit SupportedLanguageSet(uint32_t supported_mask);
  SupportedLanguageSet(const SupportedLanguageSet&) = delete;
  SupportedLanguageSet& operator=(const SupportedLanguageSet&) = delete;

  // Keeps |settings| (not owned). With a store, transliteration starts off
  // exactly when "InitialEnglish" is set, and scheme mode is cleared.
  void BindStateSettings(SettingsInterface* settings);

  // The index of the current language: "T13nCurrentLanguage" when the
  // installation supports it, else the build's language, which is then
  // stored into the setting (only when the setting differs, so that a
  // query at every key writes nothing).
  int GetCurrentLanguage();
  // The language code of GetCurrentLanguage().
  std::string GetCurrentLanguageCode();

  bool IsOff() const { return off_; }
  void SetOff(bool off) { off_ = off; }
  bool IsSchemeMode() const { return scheme_mode_; }
  void ToggleSchemeMode() { scheme_mode_ = !scheme_mode_; }
  // Sets or clears scheme mode.
  void SetSchemeMode(bool on) { scheme_mode_ = on; }

  uint32_t supported_mask() const { return supported_mask_; }
  // The bound store; null until bound.
  SettingsInterface* settings() const { return settings_; }

 private:
  SettingsInterface* settings_ = nullptr;
  bool off_ = false;
  bool scheme_mode_ = false;
  uint32_t supported_mask_;
};

}  // namespace ime_shared

#endif  // IME_SHARED_FRONTEND_SUPPORTED_LANGUAGE_SET_H_
