#include "ime/shared/base/process_exit.h"

#include <atomic>

namespace ime_shared {
namespace base {

namespace {

std::atomic<bool> g_exiting{false};

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

}  // namespace base
}  // namespace ime_shared
