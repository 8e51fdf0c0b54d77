// Loads every custom scheme file of a folder.
#ifndef IME_T13N_TRANSLITERATION_TRANSLITERATOR_SCHEME_LOADER_H_
#define IME_T13N_TRANSLITERATION_TRANSLITERATOR_SCHEME_LOADER_H_

#include <memory>
#include <string>
#include <vector>

#include "ime/t13n/transliteration/transliterator/canonical_scheme.h"

namespace ime_t13n {

// The folder of the scheme files, below the install folder, and their pattern.
extern const wchar_t kSchemeFolderName[];
extern const wchar_t kSchemeFilePattern[];

// Parses every "*.scm" file of |folder| in the order of their names (compared
// without regard to letter case), so that a scheme's position in |schemes|,
// its scheme number, is the same on every machine. Each valid file appends its
// scheme; each file with messages appends one report to |reports| (a file can
// give both: a warning). No folder, a relative folder (it would be resolved
// against the host application's current folder) or no file: nothing is
// appended.
void LoadCanonicalSchemesFromFolder(
    const std::wstring& folder,
    std::vector<std::unique_ptr<CanonicalScheme>>* schemes,
    std::vector<std::wstring>* reports);

// The same for the "Schemes" folder of the install folder. Every language
// loads the same files.
void LoadCanonicalSchemes(
    std::vector<std::unique_ptr<CanonicalScheme>>* schemes,
    std::vector<std::wstring>* reports);

// The report of one file: "File Name: <file name>\r\n", then one
// "- <message>\r\n" per message.
std::wstring FormatSchemeReport(const std::wstring& file_name,
                                const std::vector<std::wstring>& messages);

}  // namespace ime_t13n

#endif  // IME_T13N_TRANSLITERATION_TRANSLITERATOR_SCHEME_LOADER_H_
