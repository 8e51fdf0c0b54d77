#include "ime/t13n/transliteration/transliterator/language_data_location.h"

#include "ime/shared/string_utils.h"
#include "ime/shared/product_registry.h"

namespace ime_t13n {

std::string LanguageDataFolder(const std::wstring& data_path,
                               const std::string& language) {
  if (data_path.empty() || data_path.size() > kMaxDataPathLength) {
    return std::string();
  }
  std::wstring folder = data_path;
  if (folder.back() == L'\\') folder.pop_back();
  return ime_shared::WideToUtf8(folder) + "\\" + language;
}

std::string InstalledLanguageDataFolder(const std::string& language) {
  return LanguageDataFolder(ime_shared::GetDataDirectory(), language);
}

}  // namespace ime_t13n
