// What the programs of this folder share: loading the installed language
// the way the input method does (the data file in the folder that
// "DataPath" names, its model and the transliterator over it), reading a
// whole file, the process's private memory and the time.
#ifndef TOOLS_LANGDATA_PROGRAM_SUPPORT_H_
#define TOOLS_LANGDATA_PROGRAM_SUPPORT_H_

#include <memory>
#include <string>

#include "ime/t13n/transliteration/transliterator/transliterator.h"

namespace langdata {

// The transliterator of |language| ("hi"); null, with the reason printed,
// when "DataPath" is missing or the file does not load.
std::unique_ptr<ime_t13n::Transliterator> LoadInstalledLanguage(
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
