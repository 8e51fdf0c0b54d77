// Where a language's data file lies: in the folder named by the product's
// "DataPath" value, in a subfolder named by the language code.
#ifndef IME_T13N_TRANSLITERATION_TRANSLITERATOR_LANGUAGE_DATA_LOCATION_H_
#define IME_T13N_TRANSLITERATION_TRANSLITERATOR_LANGUAGE_DATA_LOCATION_H_

#include <string>

namespace ime_t13n {

// The longest "DataPath" value that is used, in UTF-16 units; longer values
// are refused rather than cut, which would name another folder.
constexpr size_t kMaxDataPathLength = 259;

// |data_path| with one trailing backslash cut, a backslash and |language|,
// as UTF-8: the folder to pass to LanguageData::LoadFromMap. Empty when
// |data_path| is empty or longer than kMaxDataPathLength.
std::string LanguageDataFolder(const std::wstring& data_path,
                               const std::string& language);

// LanguageDataFolder of the installed "DataPath" value; empty when the
// value is missing.
std::string InstalledLanguageDataFolder(const std::string& language);

}  // namespace ime_t13n

#endif  // IME_T13N_TRANSLITERATION_TRANSLITERATOR_LANGUAGE_DATA_LOCATION_H_
