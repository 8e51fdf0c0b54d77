// What the programs of this folder share: loading the installed language
// through the storage manager, as the input method does (the data file in
// the folder that "DataPath" names, its model and the transliterator over
// it).
#ifndef TOOLS_LANGDATA_PROGRAM_SUPPORT_H_
#define TOOLS_LANGDATA_PROGRAM_SUPPORT_H_

#include <memory>
#include <string>

#include "ime/shared/storage/storage_manager.h"

namespace langdata {

// A storage manager at the product's places that has loaded |language|
// ("hi"), as the input method's does; null, with the reason printed, when
// "DataPath" is missing or the file does not load.
std::unique_ptr<ime_shared::StorageManagerImpl> LoadInstalledLanguage(
    const std::string& language);

}  // namespace langdata

#endif  // TOOLS_LANGDATA_PROGRAM_SUPPORT_H_
