#include "ime/t13n/frontend/scheme_error_reporter.h"

#include <windows.h>

#include <deque>
#include <set>

#include "ime/t13n/transliteration/transliterator/data_error_box.h"

namespace ime_t13n {

namespace {

// The title of the box that lists scheme errors.
const wchar_t kSchemeErrorsTitle[] = L"Canonical Scheme Errors";

SRWLOCK g_lock = SRWLOCK_INIT;
std::set<std::wstring>* g_reported = nullptr;  // never freed: process-wide
std::deque<std::wstring>* g_pending = nullptr;

void CALLBACK ShowPending(HWND, UINT, UINT_PTR timer, DWORD) {
  ::KillTimer(nullptr, timer);
  for (;;) {
    std::wstring text;
    ::AcquireSRWLockExclusive(&g_lock);
    const bool any = g_pending != nullptr && !g_pending->empty();
    if (any) {
      text = g_pending->front();
      g_pending->pop_front();
    }
    ::ReleaseSRWLockExclusive(&g_lock);
    if (!any) return;
    SystemErrorBox()->Show(::GetActiveWindow(), text, kSchemeErrorsTitle,
                           MB_OK | MB_ICONWARNING);
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
    // dispatch that read the files has returned.
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
