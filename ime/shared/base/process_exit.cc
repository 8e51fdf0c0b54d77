#include "ime/shared/base/process_exit.h"

#include <atomic>

namespace ime_shared {
namespace base {

namespace {

std::atomic<bool> g_exiting{false};

// The FileWorkScopes open in the process, and on this thread.
std::atomic<int> g_file_work{0};
thread_local int t_file_work = 0;

}  // namespace

void SetProcessExiting(bool exiting) { g_exiting.store(exiting); }

bool IsProcessExiting() { return g_exiting.load(); }

bool EnterUnlessExiting(CRITICAL_SECTION* section) {
  if (!IsProcessExiting()) {
    ::EnterCriticalSection(section);
    return true;
  }
  return ::TryEnterCriticalSection(section) != FALSE;
}

bool AcquireExclusiveUnlessExiting(SRWLOCK* lock) {
  if (!IsProcessExiting()) {
    ::AcquireSRWLockExclusive(lock);
    return true;
  }
  return ::TryAcquireSRWLockExclusive(lock) != FALSE;
}

FileWorkScope::FileWorkScope() noexcept {
  ++g_file_work;
  ++t_file_work;
}

FileWorkScope::~FileWorkScope() {
  --t_file_work;
  --g_file_work;
}

bool FileWorkCutShort() {
  return IsProcessExiting() && g_file_work.load() - t_file_work > 0;
}

}  // namespace base
}  // namespace ime_shared
