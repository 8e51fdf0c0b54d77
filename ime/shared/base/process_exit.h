// When a process ends (ExitProcess, or its main function returning), the
// system first ends every other thread of it wherever it was, and only then
// lets the modules' entries run their detach. A lock that one of those
// threads held is never released again: the detach must not wait for it,
// or the process hangs instead of ending.
//
// The module's entry marks the process as exiting before it tears anything
// down; from then on the locks of the module's own objects are only tried.
// A lock that is taken guards data that no thread is changing; one that is
// not was held by a thread that ended, and what it guards is left alone.
#ifndef IME_SHARED_BASE_PROCESS_EXIT_H_
#define IME_SHARED_BASE_PROCESS_EXIT_H_

#include <windows.h>

namespace ime_shared {
namespace base {

// Set by the module's entry (DllMain's detach with a non-null reserved
// pointer); a module freed while the process goes on leaves it unset.
void SetProcessExiting(bool exiting);
bool IsProcessExiting();

// Take the lock and answer true, waiting as long as it takes; while the
// process is exiting, take it only when it is free now, else answer false
// at once.
bool EnterUnlessExiting(CRITICAL_SECTION* section);
bool AcquireExclusiveUnlessExiting(SRWLOCK* lock);

// Marks the calling thread's work in the file system (opening, mapping,
// reading, writing, copying or moving a file, making a folder) for the
// scope. A thread that the exit ends inside such work leaves it unfinished;
// under Wine it may also leave the descriptor of a file that was being
// handed to it queued for the process, where the next file any thread opens
// receives it in place of its own, and Wine then ends the process on an
// assertion. Once such work was cut short the module opens no file at the
// exit (FileWorkCutShort).
class FileWorkScope {
 public:
  FileWorkScope() noexcept;
  ~FileWorkScope();
  FileWorkScope(const FileWorkScope&) = delete;
  FileWorkScope& operator=(const FileWorkScope&) = delete;
};

// While the process is exiting: whether a thread other than the calling one
// is inside a FileWorkScope, that is, the exit ended it there. False while
// the process is not exiting.
bool FileWorkCutShort();

}  // namespace base
}  // namespace ime_shared

#endif  // IME_SHARED_BASE_PROCESS_EXIT_H_
