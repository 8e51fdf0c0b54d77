// What the programs of this folder share: loading the installed language
// through the storage manager, as the input method does (the data file in
// the folder that "DataPath" names, its model and the transliterator over
// it), reading a whole file, the process's private memory and the time.
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

// The committed private memory of the process: the sum of its committed
// MEM_PRIVATE regions (a mapped data file is not private). Walking the
// address space gives the figure on Windows and under Wine alike.
size_t PrivateBytes();

// Replaces |bytes| with the content of the file at |path|; false when it
// cannot be read (or is 1 GB or larger).
bool ReadWholeFile(const std::wstring& path, std::string* bytes);

// Seconds on the performance counter.
double Now();

}  // namespace langdata

#endif  // TOOLS_LANGDATA_PROGRAM_SUPPORT_H_
