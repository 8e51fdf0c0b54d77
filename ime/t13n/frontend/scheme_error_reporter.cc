#include "ime/t13n/frontend/scheme_error_reporter.h"

#include <windows.h>

#include <deque>
#include <set>

#include "ime/shared/logging.h"
#include "ime/t13n/frontend/errors_dialog.h"

namespace ime_t13n {

namespace {

SRWLOCK g_lock = SRWLOCK_INIT;
std::set<std::wstring>* g_reported = nullptr;  // never freed: process-wide
std::deque<std::wstring>* g_pending = nullptr;
// An errors dialog is open: the next text waits for it to close.
bool g_showing = false;

void CALLBACK ShowPending(HWND, UINT, UINT_PTR timer, DWORD) {
  ::KillTimer(nullptr, timer);
  ::AcquireSRWLockExclusive(&g_lock);
  const bool busy = g_showing;
  g_showing = true;
  ::ReleaseSRWLockExclusive(&g_lock);
  // A timer that fires inside the open dialog's message loop leaves its
  // text queued: the loop below shows it once that dialog is closed.
  if (busy) return;
  for (;;) {
    std::wstring text;
    ::AcquireSRWLockExclusive(&g_lock);
    const bool any = g_pending != nullptr && !g_pending->empty();
    if (any) {
      text = g_pending->front();
      g_pending->pop_front();
    } else {
      g_showing = false;
    }
    ::ReleaseSRWLockExclusive(&g_lock);
    if (!any) return;
    ErrorsDialog dialog(text);
    if (dialog.DoModal(::GetActiveWindow()) == -1) {
      ime_shared::LogMessage(__FILE__, __LINE__, ime_shared::LOG_ERROR).stream()
          << "the scheme errors could not be shown";
    }
  }
}

class DeferredReporter : public SchemeErrorReporterInterface {
 public:
  void Report(const std::wstring& text) override {
    ::AcquireSRWLockExclusive(&g_lock);
    if (g_pending == nullptr) g_pending = new std::deque<std::wstring>();
    g_pending->push_back(text);
    ::ReleaseSRWLockExclusive(&g_lock);
    // A thread timer fires from the thread's message loop, after the
    // dispatch that read the files has returned; the dialog is owned by
    // the window active then.
    ::SetTimer(nullptr, 0, 0, &ShowPending);
  }
};

}  // namespace

SchemeErrorReporterInterface* DeferredSchemeErrorReporter() {
  static DeferredReporter* reporter = new DeferredReporter();
  return reporter;
}

bool ReportSchemeErrorsOnce(SchemeErrorReporterInterface* reporter,
                            const std::wstring& text) {
  if (reporter == nullptr || text.empty()) return false;
  ::AcquireSRWLockExclusive(&g_lock);
  if (g_reported == nullptr) g_reported = new std::set<std::wstring>();
  const bool first = g_reported->insert(text).second;
  ::ReleaseSRWLockExclusive(&g_lock);
  if (first) reporter->Report(text);
  return first;
}

}  // namespace ime_t13n
