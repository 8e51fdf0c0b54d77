#include "tools/langdata/program_support.h"

#include <windows.h>

#include <cstdio>

#include "ime/shared/string_utils.h"
#include "ime/t13n/transliteration/transliterator/data_error_box.h"
#include "ime/t13n/transliteration/transliterator/language_data_location.h"

namespace langdata {

std::unique_ptr<ime_shared::StorageManagerImpl> LoadInstalledLanguage(
    const std::string& language) {
  if (ime_t13n::InstalledLanguageDataFolder(language).empty()) {
    std::fprintf(stderr, "\"DataPath\" is not set\n");
    return nullptr;
  }
  std::unique_ptr<ime_shared::StorageManagerImpl> manager(
      ime_shared::StorageManagerImpl::Create(
          ime_shared::StoragePlaces::Product(),
          ime_t13n::PrintingErrorBox()));
  if (!manager || !manager->Init(language) ||
      manager->GetTransliterator() == nullptr) {
    std::fprintf(stderr, "the language \"%s\" did not load\n",
                 language.c_str());
    return nullptr;
  }
  return manager;
}

}  // namespace langdata
