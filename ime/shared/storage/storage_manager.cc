#include "ime/shared/storage/storage_manager.h"

#include <windows.h>

#include <new>

#include "ime/shared/base/registry_key.h"
#include "ime/shared/language_codes.h"
#include "ime/shared/product_folders.h"
#include "ime/shared/product_registry.h"
#include "ime/shared/scoped_mutex_lock.h"
#include "ime/shared/settings_interface.h"
#include "ime/shared/settings_table.h"
#include "ime/shared/storage/updater_flag.h"
#include "ime/shared/string_list_file.h"
#include "ime/shared/string_utils.h"
#include "ime/t13n/transliteration/transliterator/language_data.h"
#include "ime/t13n/transliteration/transliterator/language_data_location.h"
#include "ime/t13n/transliteration/transliterator/transliteration_model.h"
#include "ime/t13n/transliteration/transliterator/transliterator.h"

namespace ime_shared {

const wchar_t kUserCacheMutexName[] = L"MUTEXusercache.00000";
const wchar_t kMacrosMutexName[] = L"MUTEXMacros.00000";
const wchar_t kMacrosFileName[] = L"macros.0000";
const wchar_t kUserCacheFileName[] = L"user_cache.00000";

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
    : places_(places), error_box_(error_box) {}

StorageManagerImpl::~StorageManagerImpl() {
  SaveUserCache();
  macros_mutex_.reset();
  user_cache_mutex_.reset();
  transliterator_.reset();
}

bool StorageManagerImpl::Init(const std::string& language) {
  std::wstring data_path;
  const base::RegistryKey key =
      OpenMachineKey(places_.data_path_key, kMachineKeyReadAccess);
  if (!key || key.ReadString(kDataPathValue, &data_path) != ERROR_SUCCESS ||
      data_path.empty()) {
    return false;
  }
  const std::string folder = ime_t13n::LanguageDataFolder(data_path, language);
  if (folder.empty()) return false;

  std::unique_ptr<ime_t13n::Transliterator> transliterator;
  try {
    std::unique_ptr<ime_t13n::LanguageData> data(
        error_box_ != nullptr ? new ime_t13n::LanguageData(error_box_)
                              : new ime_t13n::LanguageData());
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
  // they were taught to; the new one reads them back from the file below.
  if (transliterator_ != nullptr) SaveUserCache();
  SetTransliterator(transliterator.release());

  if (UserCacheEnabled()) LoadUserCache();
  LoadMacros();
  MarkUpdaterDidRun();
  return true;
}

void StorageManagerImpl::LoadMacros() {
  if (transliterator_ == nullptr) return;
  const std::wstring path = MacrosFilePath();
  if (path.empty()) return;
  CreateUserDataFolder();
  LoadMacrosFile(path);
}

bool StorageManagerImpl::LoadMacrosFile(const std::wstring& path) {
  if (transliterator_ == nullptr) return false;
  std::vector<std::wstring> entries;
  if (!ReadStringList(path, macros_mutex_.get(), kStringListMutexTimeoutMs,
                      &entries, kStringListMaxFileSize)) {
    return false;
  }
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
  if (transliterator_ == nullptr) return false;
  std::vector<UserCacheEntry> entries;
  switch (ReadUserCacheFile(path, &entries)) {
    case UserCacheRead::kUnreadable:
      return false;
    case UserCacheRead::kInvalidEntry:
      transliterator_->ClearUserAccepted();
      return false;
    case UserCacheRead::kLoaded:
      break;
  }
  for (const UserCacheEntry& entry : entries) {
    transliterator_->AddUserAccepted(entry.first, entry.second, false);
  }
  return true;
}

StorageManagerImpl::UserCacheRead StorageManagerImpl::ReadUserCacheFile(
    const std::wstring& path, std::vector<UserCacheEntry>* entries) const {
  std::vector<std::wstring> lines;
  if (!ReadStringList(path, user_cache_mutex_.get(), kStringListMutexTimeoutMs,
                      &lines, kStringListMaxFileSize)) {
    return UserCacheRead::kUnreadable;
  }
  for (const std::wstring& line : lines) {
    UserCacheEntry entry;
    if (!ParseUserCacheEntry(line, &entry.first, &entry.second)) {
      return UserCacheRead::kInvalidEntry;
    }
    entries->push_back(std::move(entry));
  }
  return UserCacheRead::kLoaded;
}

void StorageManagerImpl::SaveUserCache() {
  if (!UserCacheEnabled()) return;
  ScopedMutexLock lock(user_cache_mutex_.get(), kStringListMutexTimeoutMs);
  if (!lock.held() || transliterator_ == nullptr) return;
  const std::wstring path = UserCacheFilePath();
  if (path.empty()) return;
  CreateUserDataFolder();

  // Merge what other processes saved since this one loaded the file. The
  // mutex is recursive, so the read takes it again at once. A file that
  // does not load is left out: emptying the cache here, as a load does,
  // would lose every word learned in this session, and the write below
  // replaces that file anyway.
  std::vector<UserCacheEntry> saved;
  if (ReadUserCacheFile(path, &saved) == UserCacheRead::kLoaded) {
    for (const UserCacheEntry& entry : saved) {
      transliterator_->AddUserAccepted(entry.first, entry.second, false);
    }
  }

  std::vector<UserCacheEntry> words;
  transliterator_->ListUserAccepted(&words);
  std::vector<std::wstring> entries;
  entries.reserve(words.size());
  for (const UserCacheEntry& word : words) {
    std::wstring entry = word.first + L" " + word.second;
    // A word that the loader rejects (a joiner in a chosen word, say) would
    // make the next load empty the whole cache: it is not kept.
    if (IsStorableUserCacheEntry(entry)) entries.push_back(std::move(entry));
  }
  SaveStringList(path, entries);
}

bool StorageManagerImpl::SaveStringList(
    const std::wstring& path, const std::vector<std::wstring>& entries) {
  return WriteStringList(path, MakeStringListHeader(), entries);
}

void StorageManagerImpl::SetSettings(SettingsInterface* settings) {
  settings_ = settings;
}

void StorageManagerImpl::SetTransliterator(
    ime_t13n::Transliterator* transliterator) {
  if (transliterator != transliterator_.get()) {
    transliterator_.reset(transliterator);
  }
}

ime_t13n::Transliterator* StorageManagerImpl::GetTransliterator() {
  return transliterator_.get();
}

ime_t13n::Suggest* StorageManagerImpl::GetSuggest() {
  // Taken from the model each time, so that it never outlives the
  // transliterator that owns it.
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

bool StorageManagerImpl::CreateUserDataFolder() const {
  return CreateFolderTree(places_.user_data_folder);
}

StorageManager* CreateStorageManager() {
  return StorageManagerImpl::Create(StoragePlaces::Product(), nullptr);
}

}  // namespace ime_shared
