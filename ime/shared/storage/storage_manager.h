// The one owner, per input-method process, of the loaded language: the
// transliterator built from the language's data file, with its completion
// index, and the user's two personal lists that feed it, the macros and the
// user cache. It loads the language on request, fills the transliterator's
// macro table and user cache from the per-user string-list files, and writes
// the user cache back when it goes.
//
// Two named mutexes guard the files across processes: "MUTEXusercache.00000"
// the user cache and "MUTEXMacros.00000" the macros (the macros editor takes
// the second while it saves). Nothing here shows a message of its own; a
// language data file that cannot be used is reported by the loader.
#ifndef IME_SHARED_STORAGE_STORAGE_MANAGER_H_
#define IME_SHARED_STORAGE_STORAGE_MANAGER_H_

#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace ime_t13n {
class ErrorBoxInterface;
class Suggest;
class Transliterator;
}  // namespace ime_t13n

namespace ime_shared {

class MutexHolder;
class SettingsInterface;

extern const wchar_t kUserCacheMutexName[];  // "MUTEXusercache.00000"
extern const wchar_t kMacrosMutexName[];     // "MUTEXMacros.00000"
// The user's files in the per-user data folder.
extern const wchar_t kMacrosFileName[];     // "macros.0000"
extern const wchar_t kUserCacheFileName[];  // "user_cache.00000"

// The interface through which the cores of a process reach the storage. The
// base class is complete and holds nothing: Init fails, the getters answer
// null and everything else does nothing. The shared storage falls back to
// it when no factory is installed.
class StorageManager {
 public:
  StorageManager() = default;
  virtual ~StorageManager() = default;
  StorageManager(const StorageManager&) = delete;
  StorageManager& operator=(const StorageManager&) = delete;

  // Loads |language| (a language code such as "hi") with the user's cache
  // and macros. False when nothing was loaded; the previous language, if
  // any, then stays.
  virtual bool Init(const std::string& language) { return false; }
  // Reloads the macros file into the loaded language's macro table.
  virtual void LoadMacros() {}
  // The process's settings store (not owned); consulted for whether the
  // user cache is enabled.
  virtual void SetSettings(SettingsInterface* settings) {}
  // Takes ownership of |transliterator|, deleting the one held before.
  virtual void SetTransliterator(ime_t13n::Transliterator* transliterator) {}
  virtual ime_t13n::Transliterator* GetTransliterator() { return nullptr; }
  // The completion index of the loaded language.
  virtual ime_t13n::Suggest* GetSuggest() { return nullptr; }
  // Writes |entries| as a string-list file; the caller holds its mutex.
  virtual bool SaveStringList(const std::wstring& path,
                              const std::vector<std::wstring>& entries) {
    return false;
  }
  // Adds the user-cache file at |path| to the loaded language's cache.
  virtual bool LoadUserCacheFile(const std::wstring& path) { return true; }
};

// Where a storage manager finds the language data and keeps the user's
// files. The process's manager uses the product's places (Product()).
struct StoragePlaces {
  // The key below HKEY_LOCAL_MACHINE (64-bit view) whose "DataPath" names
  // the base folder of the language data.
  std::wstring data_path_key;
  // The per-user data folder of the macros and the user cache; nothing is
  // read or written when it is empty.
  std::wstring user_data_folder;
  // The updater's client-state key below HKEY_LOCAL_MACHINE (32-bit view).
  std::wstring updater_state_key;
  std::wstring user_cache_mutex_name;
  std::wstring macros_mutex_name;

  static StoragePlaces Product();
};

class StorageManagerImpl : public StorageManager {
 public:
  // A manager over |places| that creates (or opens) the two named mutexes.
  // Data errors are shown through |error_box| (not owned; null: the system's
  // message box). A mutex that cannot be created leaves the manager without
  // it: every read and save it guards then fails. Null when the manager
  // cannot be allocated.
  static StorageManagerImpl* Create(const StoragePlaces& places,
                                    ime_t13n::ErrorBoxInterface* error_box);

  // Saves the user cache (see SaveUserCache), closes the mutexes and frees
  // the language.
  ~StorageManagerImpl() override;

  // Reads "DataPath" (one trailing backslash cut; values longer than 259
  // units are refused), loads "<DataPath>\<language>\data.00000" and builds
  // the transliterator over it. On success the new language replaces the
  // previous one, whose user cache is saved first; the user cache (when
  // enabled) and the macros are loaded and the updater flag is set; the
  // results of those steps do not change the answer. Any failure before the
  // replacement leaves everything as it was.
  bool Init(const std::string& language) override;
  // Nothing while no language is loaded. Creates the per-user data folder
  // when missing, then LoadMacrosFile of the macros file.
  void LoadMacros() override;
  void SetSettings(SettingsInterface* settings) override;
  // Deletes the transliterator held before (without saving its cache).
  void SetTransliterator(ime_t13n::Transliterator* transliterator) override;
  ime_t13n::Transliterator* GetTransliterator() override;
  // The completion index of the held transliterator's model; null without
  // one.
  ime_t13n::Suggest* GetSuggest() override;
  // Writes the file with the standard string-list header.
  bool SaveStringList(const std::wstring& path,
                      const std::vector<std::wstring>& entries) override;
  // Reads the file under the user-cache mutex. Each entry must be an English
  // word of printable ASCII, one space and a word of Devanagari or printable
  // ASCII; valid entries join the cache without replacing words already in
  // it. An unreadable file changes nothing and gives false. An invalid entry
  // empties the whole cache, what was in it before included, and gives
  // false.
  bool LoadUserCacheFile(const std::wstring& path) override;

  // LoadUserCacheFile of the user-cache file, creating the per-user data
  // folder when missing. False when nothing was loaded.
  bool LoadUserCache();
  // Reads the macros file at |path| under the macros mutex into the macro
  // table. Unreadable: false, the table stays. Otherwise the table is
  // emptied and each entry, a name of printable ASCII and an expansion
  // separated by spaces (exactly two pieces), is added in file order; the
  // first invalid entry ends the load with false, keeping the macros added
  // before it.
  bool LoadMacrosFile(const std::wstring& path);
  // Writes the user cache to its file, when settings are set, the cache is
  // enabled (setting "T13nUserCacheEnabled"), a language is loaded and the
  // user-cache mutex is taken within 5000 ms. The words other processes
  // saved in the meantime are merged in first, the words held here winning;
  // a file that does not load is left out of the merge and does not touch
  // the cache. Entries that the loader would reject are not written, so
  // that one of them can never make the whole file unreadable.
  void SaveUserCache();
  // Sets the updater's "dr" flag of the build language (see updater_flag.h).
  void MarkUpdaterDidRun();

  // The two files' paths; empty when the per-user data folder is unknown.
  std::wstring MacrosFilePath() const;
  std::wstring UserCacheFilePath() const;

 private:
  StorageManagerImpl(const StoragePlaces& places,
                     ime_t13n::ErrorBoxInterface* error_box);

  using UserCacheEntry = std::pair<std::wstring, std::wstring>;
  enum class UserCacheRead { kUnreadable, kInvalidEntry, kLoaded };
  // Reads and checks the user-cache file; |entries| receives the valid
  // entries in file order, up to the first invalid one.
  UserCacheRead ReadUserCacheFile(const std::wstring& path,
                                  std::vector<UserCacheEntry>* entries) const;
  bool UserCacheEnabled() const;
  // Creates the per-user data folder when it is missing.
  bool CreateUserDataFolder() const;

  StoragePlaces places_;
  ime_t13n::ErrorBoxInterface* error_box_;
  std::unique_ptr<ime_t13n::Transliterator> transliterator_;
  std::unique_ptr<MutexHolder> user_cache_mutex_;
  std::unique_ptr<MutexHolder> macros_mutex_;
  SettingsInterface* settings_ = nullptr;
};

// The factory of the process's shared storage: a manager over the product's
// places that shows data errors with the system's message box. Null when it
// cannot be made. The caller owns the result.
StorageManager* CreateStorageManager();

}  // namespace ime_shared

#endif  // IME_SHARED_STORAGE_STORAGE_MANAGER_H_
