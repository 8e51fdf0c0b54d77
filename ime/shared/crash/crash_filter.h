// What the crash handler decides and does around a dump: whether a fault
// is the module's own and not yet reported today (CrashFilter), and the
// start of the crash reporter once a dump is written (LaunchCrashReporter).
// Both run on the handler's dump thread while the faulting thread waits.
#ifndef IME_SHARED_CRASH_CRASH_FILTER_H_
#define IME_SHARED_CRASH_CRASH_FILTER_H_

#include <windows.h>

#include <cstdint>
#include <string>

namespace ime_shared {

// Invalid-parameter and pure-call reports carry this record; it is written
// into the dump as the assertion stream.
enum CrashAssertionKind : uint32_t {
  kInvalidParameterReport = 1,
  kPureCallReport = 2,
};

constexpr size_t kCrashAssertionTextLength = 128;

struct CrashAssertion {
  // NUL-terminated, cut to 127 units.
  wchar_t expression[kCrashAssertionTextLength];
  wchar_t function[kCrashAssertionTextLength];
  wchar_t file[kCrashAssertionTextLength];
  uint32_t line;
  uint32_t kind;  // CrashAssertionKind
};
static_assert(sizeof(CrashAssertion) == 776, "the assertion stream is 776 bytes");

// Fills |assertion| with the texts (null ones read as empty, longer ones
// are cut), the line and the kind.
void FillCrashAssertion(const wchar_t* expression, const wchar_t* function,
                        const wchar_t* file, unsigned int line,
                        CrashAssertionKind kind, CrashAssertion* assertion);

// Today's date as year * 10000 + month * 100 + day.
class CrashDateInterface {
 public:
  virtual ~CrashDateInterface() = default;
  virtual DWORD Today() const = 0;
};

// Starts a program with a parameter line, without waiting for it. True
// when it started.
class ProgramStarterInterface {
 public:
  virtual ~ProgramStarterInterface() = default;
  virtual bool Start(const std::wstring& path,
                     const std::wstring& parameters) = 0;
};

// The context that the handler hands to its callbacks: what they consult in
// place of the system. A null context, or a null member, means the system:
// the UTC date of GetSystemTime, the module that this code is linked into,
// ShellExecuteW.
struct CrashSeams {
  const CrashDateInterface* date = nullptr;
  // The allocation base of the image whose faults count as the module's.
  const void* module_base = nullptr;
  ProgramStarterInterface* starter = nullptr;
};

// The date that |seams| gives as today.
DWORD CrashToday(const CrashSeams* seams);
// The allocation base that |seams| counts as the module's.
const void* CrashModuleBase(const CrashSeams* seams);

// The registry value under the per-user product key that holds the date
// of the last report (REG_DWORD, year * 10000 + month * 100 + day).
extern const wchar_t kLastReportValue[];
// Stores |date| as the last report's date. False when it cannot be written.
bool StoreLastReportDate(DWORD date);

// The reporter program in the installation folder, and the version it is
// told.
extern const wchar_t kCrashReporterProgram[];  // "CrashReport.exe"
extern const wchar_t kCrashReporterVersion[];  // "1.0.4.0"

// Answers whether a fault is to be dumped: false when "LastReport" holds
// today's date; otherwise true when the exception address lies in the
// module, or when a walk of the faulting stack meets a frame of the module.
// False without exception pointers. |assertion| is not looked at: reports
// of the runtime arrive with pointers built from the reporting thread.
bool CrashFilter(const CrashSeams* context, EXCEPTION_POINTERS* exception,
                 const CrashAssertion* assertion);

// Walks the stack of |context| (copied; the original is left alone) and
// answers whether a frame's address lies in the image based at
// |module_base|. The first frame is the context's own address.
bool StackHasModuleFrame(const CONTEXT& context, const void* module_base);

// Starts "CrashReport.exe" of the installation folder with
// "--file_version=1.0.4.0 <dump id>" when the dump was written and that
// program exists. True when it was started; false, with nothing started,
// when the installation folder is unknown, the program is missing or the
// dump was not written.
bool LaunchCrashReporter(const wchar_t* dump_folder, const wchar_t* dump_id,
                         const CrashSeams* context,
                         EXCEPTION_POINTERS* exception,
                         const CrashAssertion* assertion, bool dump_written);

}  // namespace ime_shared

#endif  // IME_SHARED_CRASH_CRASH_FILTER_H_
