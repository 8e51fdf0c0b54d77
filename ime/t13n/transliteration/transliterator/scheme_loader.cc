#include "ime/t13n/transliteration/transliterator/scheme_loader.h"

#include <windows.h>
#include <shlwapi.h>

#include <algorithm>
#include <cwchar>

#include "ime/shared/base/process_exit.h"
#include "ime/shared/product_folders.h"
#include "ime/t13n/transliteration/transliterator/scheme_parser.h"

namespace ime_t13n {

const wchar_t kSchemeFolderName[] = L"Schemes";
const wchar_t kSchemeFilePattern[] = L"*.scm";

namespace {

const wchar_t kSchemeExtension[] = L".scm";

// The pattern also matches longer extensions through the files' short names
// ("a.scmx" is "A~1.SCM"): keep only the names that really end in ".scm".
bool HasSchemeExtension(const std::wstring& name) {
  const size_t length = std::wcslen(kSchemeExtension);
  return name.size() >= length &&
         ::CompareStringOrdinal(name.c_str() + name.size() - length,
                                static_cast<int>(length), kSchemeExtension,
                                static_cast<int>(length),
                                TRUE) == CSTR_EQUAL;
}

bool NameLess(const std::wstring& a, const std::wstring& b) {
  const int folded =
      ::CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b.c_str(),
                             static_cast<int>(b.size()), TRUE);
  if (folded != CSTR_EQUAL) return folded == CSTR_LESS_THAN;
  return a < b;
}

std::vector<std::wstring> ListSchemeFiles(const std::wstring& folder) {
  ime_shared::base::FileWorkScope file_work;
  std::vector<std::wstring> names;
  WIN32_FIND_DATAW data;
  HANDLE find = ::FindFirstFileExW(
      ime_shared::PathJoin(folder, kSchemeFilePattern).c_str(), FindExInfoBasic, &data,
      FindExSearchNameMatch, nullptr, 0);
  if (find == INVALID_HANDLE_VALUE) return names;
  do {
    if ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) continue;
    std::wstring name(data.cFileName);
    if (HasSchemeExtension(name)) names.push_back(std::move(name));
  } while (::FindNextFileW(find, &data));
  ::FindClose(find);
  std::sort(names.begin(), names.end(), NameLess);
  return names;
}

}  // namespace

void LoadCanonicalSchemesFromFolder(
    const std::wstring& folder,
    std::vector<std::unique_ptr<CanonicalScheme>>* schemes,
    std::vector<std::wstring>* reports) {
  if (schemes == nullptr || reports == nullptr) return;
  if (folder.empty() || ::PathIsRelativeW(folder.c_str())) return;

  for (const std::wstring& name : ListSchemeFiles(folder)) {
    SchemeParser parser(ime_shared::PathJoin(folder, name));
    std::unique_ptr<CanonicalScheme> scheme = parser.Parse();
    if (!parser.errors().empty()) {
      reports->push_back(FormatSchemeReport(name, parser.errors()));
    }
    if (scheme) schemes->push_back(std::move(scheme));
  }
}

void LoadCanonicalSchemes(
    std::vector<std::unique_ptr<CanonicalScheme>>* schemes,
    std::vector<std::wstring>* reports) {
  LoadCanonicalSchemesFromFolder(
      ime_shared::GetInstallFilePath(kSchemeFolderName), schemes, reports);
}

std::wstring FormatSchemeReport(const std::wstring& file_name,
                                const std::vector<std::wstring>& messages) {
  std::wstring report = L"File Name: " + file_name + L"\r\n";
  for (const std::wstring& message : messages) {
    report += L"- " + message + L"\r\n";
  }
  return report;
}

}  // namespace ime_t13n
