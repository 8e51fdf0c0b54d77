// How the errors found in custom scheme files reach the user. The scheme
// files are read inside a dispatch (at every attach of a core, so at every
// focus change): a modal box there would run its message loop while the
// input context is still being set up. A text is therefore reported once
// per process, and shown later, from the thread's own message loop.
#ifndef IME_T13N_FRONTEND_SCHEME_ERROR_REPORTER_H_
#define IME_T13N_FRONTEND_SCHEME_ERROR_REPORTER_H_

#include <string>

namespace ime_t13n {

class SchemeErrorReporterInterface {
 public:
  virtual ~SchemeErrorReporterInterface() = default;
  // Shows |text| (the messages joined by "\r\n") to the user, at the
  // latest once the current dispatch has returned. Must not block.
  virtual void Report(const std::wstring& text) = 0;
};

// The process's reporter: queues the text and shows it from the message
// loop of the calling thread (a zero-delay thread timer), in a box owned
// by the window active then.
SchemeErrorReporterInterface* DeferredSchemeErrorReporter();

// Hands |text| to |reporter| unless this process reported the same text
// before. False when it was not handed over.
bool ReportSchemeErrorsOnce(SchemeErrorReporterInterface* reporter,
                            const std::wstring& text);

}  // namespace ime_t13n

#endif  // IME_T13N_FRONTEND_SCHEME_ERROR_REPORTER_H_
