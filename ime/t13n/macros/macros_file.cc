#include "ime/t13n/macros/macros_file.h"

#include <algorithm>

#include "ime/shared/logging.h"
#include "ime/shared/product_folders.h"
#include "ime/shared/security.h"
#include "ime/shared/string_list_file.h"
#include "ime/shared/string_utils.h"

namespace ime_t13n {

const wchar_t kMacrosFileName[] = L"macros.0000";
const wchar_t kKeptMacrosFileName[] = L"macros.0000.bad";
const wchar_t kMacrosMutexName[] = L"MUTEXMacros.00000";

namespace {

using ime_shared::StringListReadResult;

const char* Describe(StringListReadResult result) {
  switch (result) {
    case StringListReadResult::kNoMutex:
      return "the mutex was not taken in time";
    case StringListReadResult::kCannotOpen:
      return "it cannot be opened";
    case StringListReadResult::kTooLarge:
      return "it is larger than the limit";
    case StringListReadResult::kMalformed:
      return "it is damaged";
    default:
      return "it did not read";
  }
}

bool IsFile(const std::wstring& path) {
  const DWORD attributes = ::GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES &&
         (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

}  // namespace

bool SplitMacroEntry(const std::wstring& entry, MacroRow* row) {
  std::vector<std::wstring> pieces;
  ime_shared::SplitString(entry, L" ", &pieces);
  if (pieces.size() != 2) return false;
  row->text = pieces[0];
  row->target = pieces[1];
  return true;
}

bool IsPrintableAscii(const std::wstring& text) {
  return std::all_of(text.begin(), text.end(), [](wchar_t unit) {
    return unit >= 0x20 && unit <= 0x7E;
  });
}

std::vector<std::wstring> MacroEntriesToWrite(const std::vector<MacroRow>& rows) {
  std::vector<MacroRow> ordered(rows);
  std::stable_partition(ordered.begin(), ordered.end(), [](const MacroRow& row) {
    return IsPrintableAscii(row.text);
  });
  std::vector<std::wstring> entries;
  entries.reserve(ordered.size());
  for (const MacroRow& row : ordered) {
    entries.push_back(row.text + L" " + row.target);
  }
  return entries;
}

MacrosFile::MacrosFile(const std::wstring& folder,
                       const std::wstring& mutex_name, DWORD timeout_ms)
    : folder_(folder),
      mutex_name_(mutex_name),
      mutex_(ime_shared::CreateLowIntegrityMutex(mutex_name.c_str())),
      timeout_ms_(timeout_ms) {}

std::wstring MacrosFile::path() const {
  if (folder_.empty()) return std::wstring();
  return ime_shared::PathJoin(folder_, kMacrosFileName);
}

std::wstring MacrosFile::kept_path() const {
  if (folder_.empty()) return std::wstring();
  return ime_shared::PathJoin(folder_, kKeptMacrosFileName);
}

bool MacrosFile::has_mutex() const { return mutex_.handle() != nullptr; }

MacrosFile::ReadResult MacrosFile::Read(std::vector<MacroRow>* rows) {
  const std::wstring file = path();
  if (file.empty()) return ReadResult::kMissing;
  ime_shared::CreateFolderTree(folder_);

  std::vector<std::wstring> entries;
  const StringListReadResult result = ime_shared::ReadStringListWithResult(
      file, &mutex_, timeout_ms_, &entries, ime_shared::kStringListMaxFileSize);
  switch (result) {
    case StringListReadResult::kRead:
      for (const std::wstring& entry : entries) {
        MacroRow row;
        if (SplitMacroEntry(entry, &row)) rows->push_back(row);
      }
      return ReadResult::kRead;
    case StringListReadResult::kNoFile:
      return ReadResult::kMissing;
    case StringListReadResult::kNoMutex:
      // Without the mutex the file was not looked at: only a file that is
      // there counts as one that did not read.
      if (!IsFile(file)) return ReadResult::kMissing;
      break;
    default:
      break;
  }
  KELVANE_LOG(LOG_WARNING) << "macros: " << ime_shared::WideToUtf8(file)
                           << " did not read (" << Describe(result)
                           << "); it is kept as " << ime_shared::WideToUtf8(kKeptMacrosFileName)
                           << " at the next save";
  keep_unreadable_file_ = true;
  return ReadResult::kUnreadable;
}

bool MacrosFile::Write(const std::vector<MacroRow>& rows) {
  const std::wstring file = path();
  const std::string name = ime_shared::WideToUtf8(file);
  if (file.empty()) {
    KELVANE_LOG(LOG_ERROR) << "macros: not saved, the per-user data folder is unknown";
    ::SetLastError(ERROR_PATH_NOT_FOUND);
    return false;
  }
  ime_shared::ScopedMutexLock lock(&mutex_, timeout_ms_);
  if (!lock.held()) {
    KELVANE_LOG(LOG_ERROR) << "macros: " << name << " not saved, the mutex "
                           << ime_shared::WideToUtf8(mutex_name_)
                           << (has_mutex() ? " was not taken in time" : " could not be made");
    ::SetLastError(ERROR_TIMEOUT);
    return false;
  }
  ime_shared::CreateFolderTree(folder_);

  if (keep_unreadable_file_) {
    const std::wstring kept = kept_path();
    if (!::MoveFileExW(file.c_str(), kept.c_str(), MOVEFILE_REPLACE_EXISTING)) {
      const DWORD error = ::GetLastError();
      // A file that went away in the meantime needs no keeping.
      if (error != ERROR_FILE_NOT_FOUND) {
        KELVANE_LOG(LOG_ERROR) << "macros: " << name << " not saved, the unreadable file "
                               << "could not be moved to " << ime_shared::WideToUtf8(kept)
                               << " (error " << error << ")";
        ::SetLastError(error);
        return false;
      }
    }
    keep_unreadable_file_ = false;
  }

  if (!ime_shared::WriteStringList(file, ime_shared::MakeStringListHeader(),
                                   MacroEntriesToWrite(rows))) {
    const DWORD error = ::GetLastError();
    KELVANE_LOG(LOG_ERROR) << "macros: " << name << " not saved, the write failed (error "
                           << error << "); " << rows.size() << " macros were not stored";
    ::SetLastError(error);
    return false;
  }
  return true;
}

}  // namespace ime_t13n
