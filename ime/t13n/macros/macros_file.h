// The user's macros file ("macros.0000" in the per-user data folder) as the
// editor reads and writes it: a string-list file of entries "<macro text>
// <macro target>", shared with every process of the input method under a
// named mutex.
//
// The editor must never lose stored macros without saying so. A file that
// exists but does not read is reported to the caller, and before the first
// write over it the file is moved aside to "macros.0000.bad" (replacing an
// older one), so that the user's old macros stay on disk byte for byte.
#ifndef IME_T13N_MACROS_MACROS_FILE_H_
#define IME_T13N_MACROS_MACROS_FILE_H_

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "ime/shared/scoped_mutex_lock.h"

namespace ime_t13n {

extern const wchar_t kMacrosFileName[];      // "macros.0000"
extern const wchar_t kKeptMacrosFileName[];  // "macros.0000.bad"
// The mutex every process takes around the file: "MUTEXMacros.00000".
extern const wchar_t kMacrosMutexName[];
// The most entries a file holds.
constexpr size_t kMaxSavedMacros = 2000;

struct MacroRow {
  std::wstring text;
  std::wstring target;
};

inline bool operator==(const MacroRow& a, const MacroRow& b) {
  return a.text == b.text && a.target == b.target;
}

// Splits a stored entry at spaces (runs of spaces count as one, leading and
// trailing ones are ignored). True, with the two pieces in |row|, when it
// gives exactly two pieces.
bool SplitMacroEntry(const std::wstring& entry, MacroRow* row);

// Whether every unit of |text| lies in U+0020..U+007E. The input method's
// loader stops at the first entry whose macro text is not.
bool IsPrintableAscii(const std::wstring& text);

// The entries a file of |rows| holds, in the order they are written: the
// rows whose macro text is printable ASCII first, then the others, each
// group in the order given. Nothing is dropped, and a row the input method
// cannot load never hides the rows after it.
std::vector<std::wstring> MacroEntriesToWrite(const std::vector<MacroRow>& rows);

class MacrosFile {
 public:
  enum class ReadResult {
    kRead,        // the file's entries were read
    kMissing,     // there is no file: nothing to read, nothing to keep
    kUnreadable,  // a file is there but did not read (see above)
  };

  // The file in |folder|, guarded by the mutex |mutex_name| (created here
  // with the low-integrity security of shared objects), waited for up to
  // |timeout_ms| by every read and write.
  MacrosFile(const std::wstring& folder, const std::wstring& mutex_name,
             DWORD timeout_ms);
  MacrosFile(const MacrosFile&) = delete;
  MacrosFile& operator=(const MacrosFile&) = delete;

  // "<folder>\macros.0000" and "<folder>\macros.0000.bad"; empty when the
  // folder is unknown.
  std::wstring path() const;
  std::wstring kept_path() const;
  bool has_mutex() const;

  // Creates the folder when missing and reads the file under the mutex
  // (limit 1,000,000 bytes). kRead appends the entries that split into two
  // pieces to |rows| in file order and skips the others. A file that exists
  // but does not read (the mutex not taken in time, too large, rejected by
  // the reader, or one that cannot be opened) gives kUnreadable, is logged,
  // and is moved aside by the next Write.
  ReadResult Read(std::vector<MacroRow>* rows);

  // Writes |rows| (at most kMaxSavedMacros) in the order of
  // MacroEntriesToWrite, under the mutex, which is released before it
  // returns. A file found unreadable is first moved to "macros.0000.bad".
  // False, with a log line, when the mutex is not taken in time (or was
  // never made), when that move fails, or when the write fails; nothing was
  // written then and GetLastError() tells why.
  bool Write(const std::vector<MacroRow>& rows);

  // Whether the next Write moves an unreadable file aside first.
  bool keeps_unreadable_file() const { return keep_unreadable_file_; }

 private:
  std::wstring folder_;
  std::wstring mutex_name_;
  ime_shared::MutexHolder mutex_;
  DWORD timeout_ms_;
  bool keep_unreadable_file_ = false;
};

}  // namespace ime_t13n

#endif  // IME_T13N_MACROS_MACROS_FILE_H_
