// The one owner, per input-method process, of the loaded language: the
// transliterator built from the language's data file, with its completion
// index, and the user's two personal lists that feed it, the macros and the
// user cache. It loads the language on request, fills the transliterator's
// macro table and user cache from the per-user string-list files, and writes
// the user cache back when its words changed: as an engine goes (at every
// focus change of the text service, at every deselected input context) and
// when the manager itself goes.
//
// One manager serves the whole process and lives as long as anything holds
// it (the engines, and the text service or IMM32 between them), so the
// language data file is loaded once, not once per engine: an Init that asks
// for the language already loaded keeps it.
//
// Two named mutexes guard the files across processes: "MUTEXusercache.00000"
// the user cache and "MUTEXMacros.00000" the macros (the macros editor takes
// the second while it saves). Nothing here shows a message of its own; a
// language data file that cannot be used is reported by the loader.
//
// The user cache file keeps the words oldest first, so that the word the
// cache drops when full is the oldest across saves, loads and processes.
// Reading it never costs more than its bad entries, and a save that fails
// (or a file found damaged) leaves a line in the log ("debug.log" in the
// temporary folder).
#ifndef IME_SHARED_STORAGE_STORAGE_MANAGER_H_
#define IME_SHARED_STORAGE_STORAGE_MANAGER_H_

#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "ime/shared/string_list_file.h"

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
// Appended to the user-cache file's path for the copy of a damaged file:
// "user_cache.00000.bad".
extern const wchar_t kDamagedFileSuffix[];

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
  // Adds the user-cache file at |path| to the loaded language's cache. False
  // when the file was not read or not clean.
  virtual bool LoadUserCacheFile(const std::wstring& path) { return true; }
  // Writes the user cache when its words changed since they were last read
  // from or written to its file; nothing otherwise.
  virtual void SaveUserCacheChanges() {}
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

  // Saves the user cache's changes (see SaveUserCacheChanges), closes the
  // mutexes and frees the language.
  ~StorageManagerImpl() override;

  // Reads "DataPath" (one trailing backslash cut; values longer than 259
  // units are refused), loads "<DataPath>\<language>\data.00000" and builds
  // the transliterator over it. On success the new language replaces the
  // previous one, whose user cache is saved first when it changed; the user
  // cache (when enabled) and the macros are loaded and the updater flag is
  // set; the results of those steps do not change the answer. Any failure
  // before the replacement leaves everything as it was.
  //
  // When that data file is the one loaded already, it is not loaded again:
  // the language stays, with the words it learned, and only the user's
  // files are read again (the cache file merged as older words, so that
  // what other processes saved meanwhile comes in; the macros replaced) and
  // the updater flag set.
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
  // ASCII. The valid entries join the cache as words older than those it
  // holds (the file lists its words oldest first), without replacing a word
  // already held; on an empty cache they enter in file order. An invalid
  // entry is skipped and logged as a warning (its first 40 UTF-16 units);
  // the others still load, and the answer is then false. An unreadable file
  // changes nothing and gives false. A cache without changes of its own
  // still has none afterwards: what it holds then is all in the file.
  bool LoadUserCacheFile(const std::wstring& path) override;
  // SaveUserCache when the words changed since the last read or write of
  // the file (the transliterator of a successful Init starts with none;
  // one handed over with SetTransliterator counts as changed).
  void SaveUserCacheChanges() override;

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
  // Writes the user cache to its file, oldest word first, when settings are
  // set, the cache is enabled (setting "T13nUserCacheEnabled") and a
  // language is loaded; otherwise there is nothing to save and nothing is
  // logged.
  //
  // The words other processes saved in the meantime are merged in first as
  // words older than those held here (which keep their native words and
  // order); then the newest 2000 are kept. The file's invalid entries are
  // left out of the merge; a file that exists but does not read at all
  // (damaged, too large) is copied to "user_cache.00000.bad" beside it,
  // replacing an older copy, before it is overwritten. Words the loader
  // would reject are not written.
  //
  // Every failure that loses the held words writes one LOG_ERROR line
  // naming the file and the reason: the user-cache mutex not taken within
  // 5000 ms (or missing), no per-user data folder or one that cannot be
  // created, or a failed write (with its Win32 error code).
  //
  // It waits up to 5000 ms for the mutex, so it runs only where a pause is
  // bearable, and only through SaveUserCacheChanges: as an engine goes,
  // when the manager goes (module unload, the last reference's end) and
  // when Init replaces the language. It must never run on the keystroke
  // path. A save that fails leaves the words counted as changed, so the
  // next occasion tries again.
  void SaveUserCache();
  // Sets the updater's "dr" flag of the build language (see updater_flag.h).
  void MarkUpdaterDidRun();

  // The two files' paths; empty when the per-user data folder is unknown.
  std::wstring MacrosFilePath() const;
  std::wstring UserCacheFilePath() const;

  // How many times a language data file was loaded (tried, whatever the
  // outcome) and the user-cache file written (tried), for the checks that
  // engines come and go without either.
  int language_loads() const { return language_loads_; }
  int user_cache_writes() const { return user_cache_writes_; }

 private:
  StorageManagerImpl(const StoragePlaces& places,
                     ime_t13n::ErrorBoxInterface* error_box);

  using UserCacheEntry = std::pair<std::wstring, std::wstring>;
  // Reads the user-cache file under its mutex. When it reads, |entries|
  // receives its valid entries in file order and |skipped| is increased by
  // the number of invalid ones, each logged when |log_skipped|.
  StringListReadResult ReadUserCacheFile(const std::wstring& path,
                                         bool log_skipped,
                                         std::vector<UserCacheEntry>* entries,
                                         size_t* skipped) const;
  // Loads the data file in |folder| and puts its transliterator in place of
  // the one held, whose changed words are saved first; false, with nothing
  // changed, when the file cannot be used.
  bool ReplaceLanguage(const std::string& language, const std::string& folder);
  // SaveUserCache's work once it is known that there is something to save.
  // True when the file was written.
  bool WriteUserCache();
  // Copies the damaged user-cache file at |path| to "<path>.bad" and logs
  // what happened.
  void KeepDamagedUserCacheFile(const std::wstring& path,
                                bool too_large) const;
  bool UserCacheEnabled() const;
  // Whether the held words changed since the file was last read or written.
  bool UserCacheChanged() const;
  // Records that the held words are now those of the file.
  void MarkUserCacheSaved();
  // Creates the per-user data folder when it is missing: ERROR_SUCCESS when
  // it is there afterwards, else the reason.
  DWORD CreateUserDataFolder() const;

  StoragePlaces places_;
  ime_t13n::ErrorBoxInterface* error_box_;
  std::unique_ptr<ime_t13n::Transliterator> transliterator_;
  std::unique_ptr<MutexHolder> user_cache_mutex_;
  std::unique_ptr<MutexHolder> macros_mutex_;
  SettingsInterface* settings_ = nullptr;
  // The data folder of the loaded language; empty without one, or when the
  // transliterator was handed over with SetTransliterator.
  std::string loaded_folder_;
  // The transliterator's user-cache change count at the last read or write
  // of the file; meaningful only while |cache_saved_known_|.
  uint64_t saved_cache_changes_ = 0;
  bool cache_saved_known_ = false;
  int language_loads_ = 0;
  int user_cache_writes_ = 0;
};

// The factory of the process's shared storage: a manager over the product's
// places that shows data errors with the system's message box. Null when it
// cannot be made. The caller owns the result.
StorageManager* CreateStorageManager();

}  // namespace ime_shared

#endif  // IME_SHARED_STORAGE_STORAGE_MANAGER_H_
