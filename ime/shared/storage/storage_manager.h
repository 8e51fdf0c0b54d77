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
// Every thread of the process that has an engine uses this one manager.
// Whatever it holds (the transliterator with its scratch space, the
// completion index, the macros, the user cache) is used under its lock
// (StorageLock): each keystroke's candidates, each learned choice, each
// load, merge and save. The lock is held for one such use at a time, never
// while a window message is sent, and never while waiting for another
// process: a named file mutex is always taken before it, never under it, so
// a keystroke waits at most for another thread's one merge or write.
//
// Two named mutexes guard the files across processes: "MUTEXusercache.00000"
// the user cache and "MUTEXMacros.00000" the macros (the macros editor takes
// the second while it saves). Nothing here shows a message of its own; a
// language data file that cannot be used is reported by the loader.
//
// The user cache file keeps the words oldest first, so that the word the
// cache drops when full is the oldest across saves, loads and processes.
// Each process adds to it only the words it learned or corrected itself
// (see UserCache); reading the file at each new engine brings in what
// other processes saved. Reading it never costs more than its bad entries,
// and a save that fails (or a file found damaged) leaves a line in the log
// ("debug.log" in the temporary folder).
#ifndef IME_SHARED_STORAGE_STORAGE_MANAGER_H_
#define IME_SHARED_STORAGE_STORAGE_MANAGER_H_

#include <windows.h>

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "ime/shared/string_list_file.h"
#include "ime/t13n/transliteration/transliterator/data_error_box.h"

namespace ime_t13n {
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
  StorageManager();
  virtual ~StorageManager();
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
  // The loaded language and its completion index. What they point to may be
  // used, and replaced, only under the lock: a caller keeps a StorageLock
  // for as long as it uses them.
  virtual ime_t13n::Transliterator* GetTransliterator() { return nullptr; }
  virtual ime_t13n::Suggest* GetSuggest() { return nullptr; }
  // Writes |entries| as a string-list file; the caller holds its mutex.
  virtual bool SaveStringList(const std::wstring& path,
                              const std::vector<std::wstring>& entries) {
    return false;
  }
  // Merges the user-cache file at |path| into the loaded language's cache.
  // False when the file was not read or not clean.
  virtual bool LoadUserCacheFile(const std::wstring& path) { return true; }
  // Writes the user cache when its words changed since they were last read
  // from or written to its file; nothing otherwise.
  virtual void SaveUserCacheChanges() {}
  // The user committed |native| for the typed |english|: the user cache
  // learns it (a choice made before for the word is replaced).
  virtual void LearnUserChoice(const std::wstring& english,
                               const std::wstring& native) {}

  // The lock of everything the manager holds (see the top of this file).
  // Recursive. Lock answers false only while the process is exiting and
  // the lock was held by a thread that the exit ended; the caller then
  // leaves alone what it guards. Taken through StorageLock.
  bool Lock();
  void Unlock();

 private:
  CRITICAL_SECTION lock_;
};

// Holds the lock of |storage| for the scope; a null storage holds nothing
// (and counts as held).
class StorageLock {
 public:
  explicit StorageLock(StorageManager* storage)
      : storage_(storage), held_(storage == nullptr || storage->Lock()) {}
  ~StorageLock() {
    if (storage_ != nullptr && held_) storage_->Unlock();
  }
  StorageLock(const StorageLock&) = delete;
  StorageLock& operator=(const StorageLock&) = delete;

  bool held() const { return held_; }

 private:
  StorageManager* storage_;
  bool held_;
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
  // message box), one box at a time and never while a lock of the module is
  // held (see DeferredErrorBox). A mutex that cannot be created leaves the manager without
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
  // previous one; the words the previous one learned and had not written
  // move to the new one and are written; the user cache (when enabled) and
  // the macros are loaded and the updater flag is set; the results of
  // those steps do not change the answer. Any failure before the
  // replacement leaves everything as it was.
  //
  // When that data file is the one loaded already, it is not loaded again:
  // the language stays, with the words it learned, and only the user's
  // files are read again (the cache file merged, so that what other
  // processes saved meanwhile comes in; the macros replaced) and the
  // updater flag set.
  //
  // With the user cache switched off (setting "T13nUserCacheEnabled" at 0,
  // or no settings) the cache is emptied instead of read. The Inits of
  // several threads find and load the data file one after another; none
  // waits for another's reading or writing of the user's files. A data file
  // that cannot be used is reported with a box once this call, and the
  // module call around it, have returned (see DeferredErrorBox).
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
  // Reads the file under the user-cache mutex and merges it: the cache
  // becomes the file's words in the file's order, with the words learned or
  // corrected here since the file was last read or written put in (see
  // UserCache::MergeFile). A missing file counts as one without words. Each
  // entry must be an English word of printable ASCII, one space and a word
  // of Devanagari or printable ASCII; an invalid entry is skipped and logged
  // as a warning (its first 40 UTF-16 units), the others still load, and the
  // answer is then false. A file that cannot be read (damaged, locked)
  // changes nothing and gives false.
  bool LoadUserCacheFile(const std::wstring& path) override;
  // Writes the user cache to its file, oldest word first, when words were
  // learned or corrected here since the file was last read or written, the
  // cache is enabled (setting "T13nUserCacheEnabled", with settings set)
  // and a language is loaded; otherwise there is nothing to save and
  // nothing is logged. With the cache switched off, the cache is emptied.
  //
  // Under the user-cache mutex the file is read and merged first (as
  // LoadUserCacheFile merges it), then the whole cache is written, so that
  // the file keeps what other processes saved and gains what was learned
  // here; afterwards the cache is exactly the file's and nothing counts as
  // changed. The file's invalid entries are left out of the merge; a file
  // that is damaged or too large leaves the cache as it is and is copied to
  // "user_cache.00000.bad" beside it, replacing an older copy, before it is
  // overwritten. A file that is there but cannot be read otherwise (held
  // by another program without sharing, no access, a failed mapping) is
  // not written over: the save fails. Words the loader would reject are
  // not written.
  //
  // Every failure that loses the held words writes one LOG_ERROR line
  // naming the file and the reason: the user-cache mutex not taken within
  // 5000 ms (or missing), no per-user data folder or one that cannot be
  // created, a file that cannot be read, a failed write (with its Win32
  // error code). At the process's exit, with the cache left in use by a
  // thread that the exit ended, or a thread ended inside its work on a file
  // (see base::FileWorkScope), the save gives up at once, without waiting
  // for the mutex or opening a file, and one line in the process says so
  // (written only to a log file open already in the second case).
  //
  // It waits up to 5000 ms for the mutex, so it runs only where a pause is
  // bearable: as an engine goes, when the manager goes (module unload, the
  // last reference's end) and after Init replaced the language. It must
  // never run on the keystroke path. A save that fails leaves the words
  // counted as changed, so the next occasion tries again.
  void SaveUserCacheChanges() override;
  // Learns the choice with the transliterator's AddUserAccepted (overwrite
  // true) while the user cache is enabled. Switched off, nothing is learned
  // and the cache is emptied: it neither ranks candidates nor learns until
  // the setting is back on and an engine reads the file again.
  void LearnUserChoice(const std::wstring& english,
                       const std::wstring& native) override;

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
  // the number of invalid ones, each logged when |log_skipped|. A missing
  // file reads as one without entries.
  StringListReadResult ReadUserCacheFile(const std::wstring& path,
                                         bool log_skipped,
                                         std::vector<UserCacheEntry>* entries,
                                         size_t* skipped) const;
  // Loads the data file in |folder| and puts its transliterator in place of
  // the one held, whose changed words move to it, still to be written;
  // false, with nothing changed, when the file cannot be used. Waits for
  // no other process.
  bool ReplaceLanguage(const std::string& language, const std::string& folder);
  // SaveUserCacheChanges' work once it is known that there is something to
  // save. True when the file was written.
  bool WriteUserCache();
  // Logs, once in the process, that the user cache could not be saved
  // because the process is ending while another of its threads was using
  // |what| ("it": the cache; "a file").
  void LogSaveLostAtExit(const char* what) const;
  // Copies the damaged user-cache file at |path| to "<path>.bad" and logs
  // what happened.
  void KeepDamagedUserCacheFile(const std::wstring& path,
                                bool too_large) const;
  bool UserCacheEnabled() const;
  // Empties the user cache when it is switched off; true when it is on.
  // The caller holds the lock.
  bool KeepUserCacheOnlyWhenEnabled();
  // Creates the per-user data folder when it is missing: ERROR_SUCCESS when
  // it is there afterwards, else the reason.
  DWORD CreateUserDataFolder() const;

  StoragePlaces places_;
  // The boxes of a data file that cannot be used: shown once no lock is
  // held, one at a time.
  ime_t13n::DeferredErrorBox error_box_;
  std::unique_ptr<ime_t13n::Transliterator> transliterator_;
  std::unique_ptr<MutexHolder> user_cache_mutex_;
  std::unique_ptr<MutexHolder> macros_mutex_;
  SettingsInterface* settings_ = nullptr;
  // The data folder of the loaded language; empty without one, or when the
  // transliterator was handed over with SetTransliterator.
  std::string loaded_folder_;
  // Makes the Inits of several threads find and load the data file one
  // after another, so that a language is loaded once; keystrokes never wait
  // for it, and it is never held while waiting for a file's mutex or while
  // a box is open.
  std::mutex init_lock_;
  int language_loads_ = 0;
  int user_cache_writes_ = 0;
};

// The factory of the process's shared storage: a manager over the product's
// places that shows data errors with the system's message box. Null when it
// cannot be made. The caller owns the result.
StorageManager* CreateStorageManager();

}  // namespace ime_shared

#endif  // IME_SHARED_STORAGE_STORAGE_MANAGER_H_
