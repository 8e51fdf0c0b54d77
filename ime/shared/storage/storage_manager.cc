#include "ime/shared/storage/storage_manager.h"

#include <windows.h>
#include <shlobj.h>
#include <shlwapi.h>

#include <atomic>
#include <exception>
#include <new>
#include <sstream>

#include "ime/shared/base/module_call_scope.h"
#include "ime/shared/base/process_exit.h"
#include "ime/shared/base/registry_key.h"
#include "ime/shared/language_codes.h"
#include "ime/shared/logging.h"
#include "ime/shared/product_folders.h"
#include "ime/shared/product_registry.h"
#include "ime/shared/scoped_mutex_lock.h"
#include "ime/shared/settings_interface.h"
#include "ime/shared/settings_table.h"
#include "ime/shared/storage/updater_flag.h"
#include "ime/shared/string_list_file.h"
#include "ime/shared/string_utils.h"
#include "ime/t13n/transliteration/transliterator/data_error_box.h"
#include "ime/t13n/transliteration/transliterator/language_data.h"
#include "ime/t13n/transliteration/transliterator/language_data_location.h"
#include "ime/t13n/transliteration/transliterator/transliteration_model.h"
#include "ime/t13n/transliteration/transliterator/transliterator.h"

namespace ime_shared {

const wchar_t kUserCacheMutexName[] = L"MUTEXusercache.00000";
const wchar_t kMacrosMutexName[] = L"MUTEXMacros.00000";
const wchar_t kMacrosFileName[] = L"macros.0000";
const wchar_t kUserCacheFileName[] = L"user_cache.00000";
const wchar_t kDamagedFileSuffix[] = L".bad";

namespace {

// An entry of either file: two pieces separated by spaces. Runs of spaces
// and spaces at either end make no empty pieces.
bool SplitEntry(const std::wstring& entry, std::wstring* first,
                std::wstring* second) {
  std::vector<std::wstring> pieces;
  SplitString(entry, L" ", &pieces);
  if (pieces.size() != 2) return false;
  *first = pieces[0];
  *second = pieces[1];
  return true;
}

bool ParseMacroEntry(const std::wstring& entry, std::wstring* name,
                     std::wstring* expansion) {
  return SplitEntry(entry, name, expansion) && IsPrintableAscii(*name);
}

bool ParseUserCacheEntry(const std::wstring& entry, std::wstring* english,
                         std::wstring* native) {
  return SplitEntry(entry, english, native) && IsPrintableAscii(*english) &&
         IsDevanagariOrPrintableAscii(*native);
}

// Whether the user-cache file can hold |entry| so that it reads back: the
// loader accepts it and the string-list reader takes its length.
bool IsStorableUserCacheEntry(const std::wstring& entry) {
  std::wstring english;
  std::wstring native;
  return entry.size() * sizeof(wchar_t) <=
             static_cast<size_t>(kStringListMaxRecordBytes) &&
         ParseUserCacheEntry(entry, &english, &native);
}

// The most of an invalid entry's text that a log line shows, in UTF-16 units.
constexpr size_t kLoggedEntryUnits = 40;

// |text| in UTF-8 for a log line, its control characters made "?" so that
// it cannot break the line.
std::string ForLogLine(std::wstring text) {
  for (wchar_t& unit : text) {
    if (unit < 0x20 || unit == 0x7F) unit = L'?';
  }
  return WideToUtf8(text);
}

// "error <code>" with the system's text for it when there is one.
std::string DescribeError(DWORD error) {
  std::ostringstream out;
  out << "error " << error;
  wchar_t* buffer = nullptr;
  const DWORD length = ::FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
          FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, error, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
  if (length > 0 && buffer != nullptr) {
    std::wstring text(buffer, length);
    while (!text.empty() && (text.back() == L'\r' || text.back() == L'\n' ||
                             text.back() == L' ' || text.back() == L'.')) {
      text.pop_back();
    }
    if (!text.empty()) out << ": " << ForLogLine(text);
  }
  if (buffer != nullptr) ::LocalFree(buffer);
  return out.str();
}

// What stands at the user-cache file's |path|, when it is not a plain
// file: "; a folder is in its place", "; the file is read-only"; else
// nothing.
std::string DescribePlace(const std::wstring& path) {
  const DWORD attributes = ::GetFileAttributesW(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return std::string();
  if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
    return "; a folder is in its place";
  }
  if (attributes & FILE_ATTRIBUTE_READONLY) return "; the file is read-only";
  return std::string();
}

// Why the file at |path|, which is there, cannot be opened for reading:
// the system's error for an open as the reader makes it, and what stands
// there.
std::string WhyNotReadable(const std::wstring& path) {
  base::FileWorkScope file_work;
  HANDLE file = ::CreateFileW(path.c_str(), GENERIC_READ,
                              FILE_SHARE_READ | FILE_SHARE_WRITE |
                                  FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                              nullptr);
  const DWORD error = file == INVALID_HANDLE_VALUE ? ::GetLastError() : 0;
  if (file != INVALID_HANDLE_VALUE) ::CloseHandle(file);
  return (error != 0 ? DescribeError(error) : std::string("it cannot be mapped")) +
         DescribePlace(path);
}

// Creates |folder| with its missing parents. ERROR_SUCCESS when it exists as
// a folder afterwards, else why not.
DWORD CreateFolderWithParents(const std::wstring& folder) {
  if (folder.empty()) return ERROR_PATH_NOT_FOUND;
  base::FileWorkScope file_work;
  // SHCreateDirectoryEx takes full paths only.
  if (::PathIsRelativeW(folder.c_str())) return ERROR_BAD_PATHNAME;
  const int result = ::SHCreateDirectoryExW(nullptr, folder.c_str(), nullptr);
  const DWORD attributes = ::GetFileAttributesW(folder.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES &&
      (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
    return ERROR_SUCCESS;
  }
  // A file of the folder's name gives "already exists"; a folder that
  // vanished right after its creation gives nothing better than "not found".
  return result != ERROR_SUCCESS ? static_cast<DWORD>(result)
                                 : ERROR_PATH_NOT_FOUND;
}

}  // namespace

StoragePlaces StoragePlaces::Product() {
  StoragePlaces places;
  places.data_path_key = kProductKeyPath;
  places.user_data_folder = GetProductDirectory(kUserDataDirectory);
  places.updater_state_key = kUpdaterClientStateKeyPath;
  places.user_cache_mutex_name = kUserCacheMutexName;
  places.macros_mutex_name = kMacrosMutexName;
  return places;
}

StorageManager::StorageManager() { ::InitializeCriticalSection(&lock_); }

StorageManager::~StorageManager() { ::DeleteCriticalSection(&lock_); }

bool StorageManager::Lock() { return base::EnterUnlessExiting(&lock_); }

void StorageManager::Unlock() { ::LeaveCriticalSection(&lock_); }

StorageManagerImpl* StorageManagerImpl::Create(
    const StoragePlaces& places, ime_t13n::ErrorBoxInterface* error_box) {
  StorageManagerImpl* manager =
      new (std::nothrow) StorageManagerImpl(places, error_box);
  if (manager == nullptr) return nullptr;
  manager->user_cache_mutex_.reset(
      MutexHolder::CreateNamed(places.user_cache_mutex_name.c_str()));
  manager->macros_mutex_.reset(
      MutexHolder::CreateNamed(places.macros_mutex_name.c_str()));
  return manager;
}

StorageManagerImpl::StorageManagerImpl(const StoragePlaces& places,
                                       ime_t13n::ErrorBoxInterface* error_box)
    : places_(places),
      error_box_(error_box != nullptr ? error_box
                                      : ime_t13n::SystemErrorBox()) {}

StorageManagerImpl::~StorageManagerImpl() {
  SaveUserCacheChanges();
  macros_mutex_.reset();
  user_cache_mutex_.reset();
  StorageLock lock(this);
  // A thread that the process's exit ended inside the language may have
  // left it half changed: it is not freed, the process's end frees it.
  if (!lock.held()) (void)transliterator_.release();
  transliterator_.reset();
}

bool StorageManagerImpl::Init(const std::string& language) {
  // A data file that cannot be used is reported with a box, which runs a
  // message loop of its own; the box waits until this call, and the
  // caller's module call, have let go of every lock (see DeferredErrorBox).
  base::ModuleCallScope call;
  std::wstring data_path;
  const base::RegistryKey key =
      OpenMachineKey(places_.data_path_key, kMachineKeyReadAccess);
  if (!key || key.ReadString(kDataPathValue, &data_path) != ERROR_SUCCESS ||
      data_path.empty()) {
    return false;
  }
  const std::string folder = ime_t13n::LanguageDataFolder(data_path, language);
  if (folder.empty()) return false;

  bool replaced = false;
  {
    // Held only to find out whether the file is loaded and to load it, so
    // that a language is loaded once; never while waiting for another
    // process's file, so that no thread's focus change waits on another
    // process through this thread.
    std::lock_guard<std::mutex> one_at_a_time(init_lock_);
    // Every new engine asks for its language (the text service makes one
    // at each focus change): a language already loaded stays, and only the
    // user's files are read again, for what other processes and the macros
    // editor saved meanwhile.
    bool loaded = false;
    {
      StorageLock lock(this);
      loaded = transliterator_ != nullptr && folder == loaded_folder_;
    }
    if (!loaded) {
      if (!ReplaceLanguage(language, folder)) return false;
      replaced = true;
    }
  }
  // What the previous language learned and had not written moved to the
  // new one: it is written now.
  if (replaced) SaveUserCacheChanges();
  bool enabled = false;
  {
    StorageLock lock(this);
    enabled = KeepUserCacheOnlyWhenEnabled();
  }
  if (enabled) LoadUserCache();
  LoadMacros();
  MarkUpdaterDidRun();
  return true;
}

bool StorageManagerImpl::ReplaceLanguage(const std::string& language,
                                         const std::string& folder) {
  std::unique_ptr<ime_t13n::Transliterator> transliterator;
  ++language_loads_;
  try {
    std::unique_ptr<ime_t13n::LanguageData> data(
        new ime_t13n::LanguageData(&error_box_));
    if (!data->LoadFromMap(language, folder)) return false;
    // The transliterator owns the model, which takes the tables, the
    // completion index and the mapped file out of |data|.
    std::unique_ptr<ime_t13n::TransliterationModel> model(
        new ime_t13n::TransliterationModel(*data));
    transliterator.reset(new ime_t13n::Transliterator(model.release()));
  } catch (const std::bad_alloc&) {
    // Too little memory for the language: refused like a file that cannot
    // be used; nothing may escape into the host application.
    return false;
  }

  // Words learned since the last save would die with the transliterator
  // they were taught to: they move to the new one, still to be written
  // (the caller writes them once it holds no lock).
  StorageLock lock(this);
  if (transliterator_ != nullptr) {
    std::vector<UserCacheEntry> unwritten;
    transliterator_->ListChangedUserAccepted(&unwritten);
    for (const UserCacheEntry& word : unwritten) {
      transliterator->AddUserAccepted(word.first, word.second, true);
    }
  }
  transliterator_ = std::move(transliterator);
  loaded_folder_ = folder;
  return true;
}

void StorageManagerImpl::LoadMacros() {
  {
    StorageLock lock(this);
    if (transliterator_ == nullptr) return;
  }
  const std::wstring path = MacrosFilePath();
  if (path.empty()) return;
  CreateUserDataFolder();
  LoadMacrosFile(path);
}

bool StorageManagerImpl::LoadMacrosFile(const std::wstring& path) {
  // Read and put in place under the file's mutex, so that a newer file read
  // by another thread meanwhile is not replaced by this older one.
  ScopedMutexLock file_lock(macros_mutex_.get(), kStringListMutexTimeoutMs);
  std::vector<std::wstring> entries;
  if (!file_lock.held() ||
      !ReadStringList(path, macros_mutex_.get(), kStringListMutexTimeoutMs,
                      &entries, kStringListMaxFileSize)) {
    return false;
  }
  StorageLock lock(this);
  if (transliterator_ == nullptr) return false;
  transliterator_->ClearMacros();
  for (const std::wstring& entry : entries) {
    std::wstring name;
    std::wstring expansion;
    if (!ParseMacroEntry(entry, &name, &expansion)) return false;
    transliterator_->AddMacro(name, expansion);
  }
  return true;
}

bool StorageManagerImpl::LoadUserCache() {
  const std::wstring path = UserCacheFilePath();
  if (path.empty()) return false;
  CreateUserDataFolder();
  return LoadUserCacheFile(path);
}

bool StorageManagerImpl::LoadUserCacheFile(const std::wstring& path) {
  // Read and merged under the file's mutex, so that a save of another
  // thread cannot come between (its words would count as written, and an
  // older file then take them away).
  ScopedMutexLock file_lock(user_cache_mutex_.get(),
                            kStringListMutexTimeoutMs);
  if (!file_lock.held()) return false;
  std::vector<UserCacheEntry> entries;
  size_t skipped = 0;
  if (ReadUserCacheFile(path, /*log_skipped=*/true, &entries, &skipped) !=
      StringListReadResult::kRead) {
    return false;
  }
  StorageLock lock(this);
  if (transliterator_ == nullptr) return false;
  transliterator_->MergeUserAcceptedFile(entries);
  return skipped == 0;
}

StringListReadResult StorageManagerImpl::ReadUserCacheFile(
    const std::wstring& path, bool log_skipped,
    std::vector<UserCacheEntry>* entries, size_t* skipped) const {
  std::vector<std::wstring> lines;
  const StringListReadResult read = ReadStringListWithResult(
      path, user_cache_mutex_.get(), kStringListMutexTimeoutMs, &lines,
      kStringListMaxFileSize);
  // No file is a file without words: the words only this process held
  // before were taken away (the user's data removed), not lost.
  if (read == StringListReadResult::kNoFile) return StringListReadResult::kRead;
  if (read != StringListReadResult::kRead) return read;
  for (const std::wstring& line : lines) {
    UserCacheEntry entry;
    if (ParseUserCacheEntry(line, &entry.first, &entry.second)) {
      entries->push_back(std::move(entry));
      continue;
    }
    // One bad entry costs only itself: the next save leaves it out.
    ++*skipped;
    if (log_skipped) {
      KELVANE_LOG(LOG_WARNING)
          << "Skipped an invalid entry of the user cache \""
          << ForLogLine(path) << "\": \""
          << ForLogLine(line.substr(0, kLoggedEntryUnits)) << "\"";
    }
  }
  return StringListReadResult::kRead;
}

void StorageManagerImpl::SaveUserCacheChanges() {
  {
    StorageLock lock(this);
    if (!lock.held()) {
      // The process is ending and a thread that the exit ended was using
      // the cache: it may be half changed, and nothing will let it go.
      // Given up before the file's mutex is waited for or the file read.
      LogSaveLostAtExit("it");
      return;
    }
    // A switched-off cache, no language ever loaded, or nothing learned: no
    // save.
    if (transliterator_ == nullptr || !KeepUserCacheOnlyWhenEnabled() ||
        !transliterator_->HasUserAcceptedChanges()) {
      return;
    }
  }
  if (base::FileWorkCutShort()) {
    // The exit ended a thread inside its work on a file: no file is opened
    // now (see FileWorkScope).
    LogSaveLostAtExit("a file");
    return;
  }
  // Runs in the destructor, at the module's unload: nothing may escape.
  try {
    WriteUserCache();
  } catch (const std::exception& error) {
    try {
      KELVANE_LOG(LOG_ERROR) << "Could not save the user cache \""
                             << ForLogLine(UserCacheFilePath())
                             << "\": " << error.what();
    } catch (...) {
    }
  }
}

void StorageManagerImpl::LearnUserChoice(const std::wstring& english,
                                         const std::wstring& native) {
  StorageLock lock(this);
  if (transliterator_ == nullptr || !KeepUserCacheOnlyWhenEnabled()) return;
  transliterator_->AddUserAccepted(english, native, true);
}

bool StorageManagerImpl::WriteUserCache() {
  const std::wstring path = UserCacheFilePath();
  if (path.empty()) {
    KELVANE_LOG(LOG_ERROR) << "Could not save the user cache \""
                           << ForLogLine(kUserCacheFileName)
                           << "\": the per-user data folder is unknown";
    return false;
  }
  ScopedMutexLock file_lock(user_cache_mutex_.get(),
                            kStringListMutexTimeoutMs);
  if (!file_lock.held()) {
    const bool exists =
        user_cache_mutex_ != nullptr && user_cache_mutex_->handle() != nullptr;
    KELVANE_LOG(LOG_ERROR)
        << "Could not save the user cache \"" << ForLogLine(path)
        << "\": its mutex \"" << ForLogLine(places_.user_cache_mutex_name)
        << "\" "
        << (exists ? "stayed held by another thread or process for "
                     "more than " + std::to_string(kStringListMutexTimeoutMs) +
                     " ms"
                   : std::string("could not be created"));
    return false;
  }
  const DWORD folder_error = CreateUserDataFolder();
  if (folder_error != ERROR_SUCCESS) {
    KELVANE_LOG(LOG_ERROR)
        << "Could not save the user cache \"" << ForLogLine(path)
        << "\": its folder could not be created ("
        << DescribeError(folder_error) << ")";
    return false;
  }

  // What other processes saved since this one last read the file comes in
  // first (the mutex is recursive, so the read takes it again at once).
  // Entries the loader refuses are left out (the load logged them already).
  // A file that does not read at all is replaced below, but a copy of a
  // damaged one is kept for recovery by hand.
  std::vector<UserCacheEntry> saved;
  size_t skipped = 0;
  const StringListReadResult read =
      ReadUserCacheFile(path, /*log_skipped=*/false, &saved, &skipped);
  if (read == StringListReadResult::kMalformed ||
      read == StringListReadResult::kTooLarge) {
    KeepDamagedUserCacheFile(path, read == StringListReadResult::kTooLarge);
  } else if (read != StringListReadResult::kRead) {
    // A file that is there but could not be read (another program holds it
    // without sharing, no access, a failed mapping) holds what other
    // applications saved: written over unmerged, their words would be
    // lost. The words learned here stay, for the next save.
    KELVANE_LOG(LOG_ERROR)
        << "Could not save the user cache \"" << ForLogLine(path)
        << "\": it could not be read ("
        << (read == StringListReadResult::kNoMutex ? "its mutex was not taken"
                                                   : WhyNotReadable(path))
        << "); the words learned here are kept for the next save";
    return false;
  }

  StorageLock lock(this);
  if (!lock.held()) {
    LogSaveLostAtExit("it");
    return false;
  }
  if (transliterator_ == nullptr) return false;
  if (read == StringListReadResult::kRead) {
    transliterator_->MergeUserAcceptedFile(saved);
  }
  std::vector<UserCacheEntry> words;
  transliterator_->ListUserAccepted(&words);
  std::vector<std::wstring> entries;
  entries.reserve(words.size());
  for (const UserCacheEntry& word : words) {
    std::wstring entry = word.first + L" " + word.second;
    // A word that the loader rejects (a joiner in a chosen word, say) would
    // be dropped at the next load anyway: it is not kept.
    if (IsStorableUserCacheEntry(entry)) entries.push_back(std::move(entry));
  }
  ++user_cache_writes_;
  if (!SaveStringList(path, entries)) {
    const DWORD error = ::GetLastError();
    KELVANE_LOG(LOG_ERROR) << "Could not save the user cache \""
                           << ForLogLine(path) << "\": writing failed ("
                           << DescribeError(error) << DescribePlace(path)
                           << "); words not written: " << entries.size();
    return false;
  }
  transliterator_->ForgetUserAcceptedChanges();
  return true;
}

void StorageManagerImpl::LogSaveLostAtExit(const char* what) const {
  // Every engine and the manager itself try to save as the process ends:
  // one line says it for all of them.
  static std::atomic<bool> logged{false};
  if (logged.exchange(true)) return;
  KELVANE_LOG(LOG_ERROR)
      << "Could not save the user cache \"" << ForLogLine(UserCacheFilePath())
      << "\": the process ended while another of its threads was using "
      << what;
}

void StorageManagerImpl::KeepDamagedUserCacheFile(const std::wstring& path,
                                                  bool too_large) const {
  // Copied, not moved: the write that follows replaces the file anyway, and
  // a failed write then still leaves the damaged file where it was.
  const std::wstring kept = path + kDamagedFileSuffix;
  bool copied;
  {
    base::FileWorkScope file_work;
    copied = ::CopyFileW(path.c_str(), kept.c_str(), FALSE) != FALSE;
  }
  if (copied) {
    KELVANE_LOG(LOG_WARNING)
        << "The user cache \"" << ForLogLine(path) << "\" did not read ("
        << (too_large ? "too large" : "damaged") << "); kept as \""
        << ForLogLine(kept) << "\" and replaced";
  } else {
    const DWORD error = ::GetLastError();
    KELVANE_LOG(LOG_ERROR)
        << "The user cache \"" << ForLogLine(path) << "\" did not read ("
        << (too_large ? "too large" : "damaged") << ") and could not be kept as \""
        << ForLogLine(kept) << "\" (" << DescribeError(error)
        << "); it is replaced";
  }
}

bool StorageManagerImpl::SaveStringList(
    const std::wstring& path, const std::vector<std::wstring>& entries) {
  return WriteStringList(path, MakeStringListHeader(), entries);
}

void StorageManagerImpl::SetSettings(SettingsInterface* settings) {
  StorageLock lock(this);
  settings_ = settings;
}

void StorageManagerImpl::SetTransliterator(
    ime_t13n::Transliterator* transliterator) {
  StorageLock lock(this);
  if (transliterator != transliterator_.get()) {
    transliterator_.reset(transliterator);
    // Not loaded here: its language is not known.
    loaded_folder_.clear();
  }
}

ime_t13n::Transliterator* StorageManagerImpl::GetTransliterator() {
  StorageLock lock(this);
  return transliterator_.get();
}

ime_t13n::Suggest* StorageManagerImpl::GetSuggest() {
  // Taken from the model each time, so that it never outlives the
  // transliterator that owns it.
  StorageLock lock(this);
  return transliterator_ != nullptr ? transliterator_->model().suggest()
                                    : nullptr;
}

void StorageManagerImpl::MarkUpdaterDidRun() {
  SetUpdaterDidRunFlag(places_.updater_state_key, LanguageCodes::IndexOf());
}

std::wstring StorageManagerImpl::MacrosFilePath() const {
  if (places_.user_data_folder.empty()) return std::wstring();
  return PathJoin(places_.user_data_folder, kMacrosFileName);
}

std::wstring StorageManagerImpl::UserCacheFilePath() const {
  if (places_.user_data_folder.empty()) return std::wstring();
  return PathJoin(places_.user_data_folder, kUserCacheFileName);
}

bool StorageManagerImpl::UserCacheEnabled() const {
  return settings_ != nullptr &&
         settings_->GetInt(kSettingT13nUserCacheEnabled) != 0;
}

bool StorageManagerImpl::KeepUserCacheOnlyWhenEnabled() {
  if (UserCacheEnabled()) return true;
  if (transliterator_ != nullptr) transliterator_->ClearUserAccepted();
  return false;
}

DWORD StorageManagerImpl::CreateUserDataFolder() const {
  return CreateFolderWithParents(places_.user_data_folder);
}

StorageManager* CreateStorageManager() {
  return StorageManagerImpl::Create(StoragePlaces::Product(), nullptr);
}

}  // namespace ime_shared
