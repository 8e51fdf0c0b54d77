// An application with the built module, for the tests of the built module
// in applications (the user cache that applications share, the scenarios):
// it loads "Kelvane_<language>.ime" from beside itself and plays IMM32's
// part on input contexts of windows of its own.
//
//   application_test_child steps <step>...
//     Does the steps in order on its main thread, then frees the module:
//       select            a new input context of its window selects the
//                         module (a new engine, which reads the user cache)
//       deselect          the context is deselected and freed (its engine
//                         goes, writing what it learned)
//       choose:<word>:<n> types <word> and commits its <n>th candidate with
//                         Ctrl and the digit, which the module learns;
//                         prints "chose <word> <candidate>" ("-" when there
//                         is no such candidate)
//       first:<word>      types <word>, prints "first <word> <candidate>" of
//                         its first candidate, and cancels with Esc
//       signal:<event>    sets the named event
//       wait:<event>      waits up to 60 s for the named event
//   application_test_child threads <milliseconds> <exit>
//     Two threads, each with a window of its own, for <milliseconds>: one
//     keeps one input context and types and commits words one after
//     another, each followed by 150 letters typed on without a space and
//     cancelled; the other selects a fresh context, types and commits a word
//     and deselects it, over and over. Each commit chooses the word's
//     second candidate, which is learned. Prints "learned <word>
//     <candidate>" for the last choice of every word that came first when
//     typed again, then frees the module (exit "free"); or prints that line
//     as each choice is learned before the exit begins and ends the process
//     with ExitProcess while both threads are still typing (exit "now").
//   application_test_child data-error
//     For a language whose data cannot be used: the application posts a
//     message to its window, then selects an input context, whose language
//     fails to load and shows the data error box. The posted message, run
//     by the box's message loop, selects a second context of the window and
//     then has a second thread select a context of its own. A watcher
//     thread presses OK on each box of the process once both have returned
//     (or after 30 s). Prints "inner select returned", "thread select
//     returned", "outer select returned" as each select returns, then
//     "boxes <n>" (the boxes seen) and "boxes at once <n>" (the most open
//     at the same time).
//
// Words are Latin letters; output is UTF-8, one line each.
// Exit codes: 0 done, 2 bad arguments, 3 the module did not load, 4 an
// input context could not be made or selected, 5 a wait timed out.
#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "ime/shared/base/imm_ddk.h"
#include "ime/t13n/imm_host/module_driver.h"
#include "ime/t13n/user_cache_sharing_test_words.h"
#include "ime/shared/testing/program_arguments.h"

namespace {

using ime_t13n::imm_host::DrivenContext;
using ime_t13n::imm_host::LoadedModule;
using ime_t13n::imm_host::ModuleExports;
using ime_t13n::imm_host::ToUtf8;
using ime_t13n::testing_helpers::kSharingWords;

const wchar_t kWindowClass[] = L"UserCacheSharingApplication";

// Lines from both threads stay whole.
std::mutex g_output_lock;

void PrintLine(const std::string& line) {
  std::lock_guard<std::mutex> lock(g_output_lock);
  std::fputs((line + "\n").c_str(), stdout);
  std::fflush(stdout);
}

// The message that the data error scenario posts to its window, and what
// the window does with it.
constexpr UINT kDataErrorSelectMessage = WM_APP + 1;
LRESULT HandleDataErrorSelect();

LRESULT CALLBACK ApplicationProc(HWND window, UINT message, WPARAM wparam,
                                 LPARAM lparam) {
  // The input method's messages are the application's to read; none is
  // passed on to a default IME window.
  if (message >= WM_IME_STARTCOMPOSITION && message <= WM_IME_KEYLAST) {
    return 0;
  }
  if (message == WM_IME_NOTIFY || message == WM_IME_SETCONTEXT) return 0;
  if (message == kDataErrorSelectMessage) return HandleDataErrorSelect();
  return ::DefWindowProcW(window, message, wparam, lparam);
}

// A window of the calling thread and the input context it selects, as an
// application's edit control has them.
class Application {
 public:
  explicit Application(const ModuleExports& exports) : exports_(exports) {
    window_ = ::CreateWindowExW(0, kWindowClass, L"", WS_POPUP, 0, 0, 200,
                                100, nullptr, nullptr,
                                ::GetModuleHandleW(nullptr), nullptr);
  }
  ~Application() {
    Deselect();
    if (window_ != nullptr) ::DestroyWindow(window_);
  }

  bool Select() {
    Deselect();
    if (window_ == nullptr) return false;
    himc_ = ::ImmCreateContext();
    if (himc_ == nullptr) return false;
    ::ImmAssociateContext(window_, himc_);
    if (INPUTCONTEXT* imc = ::ImmLockIMC(himc_)) {
      imc->hWnd = window_;
      ::ImmUnlockIMC(himc_);
    }
    if (!exports_.ImeSelect(himc_, TRUE)) return false;
    context_.reset(new DrivenContext(exports_, himc_));
    return true;
  }

  void Deselect() {
    if (himc_ == nullptr) return;
    context_.reset();
    exports_.ImeSelect(himc_, FALSE);
    ::ImmAssociateContext(window_, nullptr);
    ::ImmDestroyContext(himc_);
    himc_ = nullptr;
  }

  HWND window() const { return window_; }

  // Types |word| and commits its |n|th candidate; the candidate, or empty
  // when there is none.
  std::wstring Choose(const std::wstring& word, int n) {
    if (context_ == nullptr) return std::wstring();
    context_->Type(word);
    const std::vector<std::wstring> candidates = context_->Candidates();
    if (n < 1 || n > 9 || static_cast<int>(candidates.size()) < n) {
      context_->Press(VK_ESCAPE);
      return std::wstring();
    }
    context_->SetModifier(VK_CONTROL, true);
    context_->Press('0' + n);
    context_->SetModifier(VK_CONTROL, false);
    return context_->CompositionString(GCS_RESULTSTR) == candidates[n - 1]
               ? candidates[n - 1]
               : std::wstring();
  }

  std::wstring First(const std::wstring& word) {
    if (context_ == nullptr) return std::wstring();
    context_->Type(word);
    const std::vector<std::wstring> candidates = context_->Candidates();
    context_->Press(VK_ESCAPE);
    return candidates.empty() ? std::wstring() : candidates.front();
  }

 private:
  const ModuleExports& exports_;
  HWND window_ = nullptr;
  HIMC himc_ = nullptr;
  std::unique_ptr<DrivenContext> context_;
};

// "a:b:c" split at its colons.
std::vector<std::wstring> Fields(const std::wstring& step) {
  std::vector<std::wstring> fields;
  size_t start = 0;
  while (true) {
    const size_t colon = step.find(L':', start);
    fields.push_back(step.substr(start, colon - start));
    if (colon == std::wstring::npos) return fields;
    start = colon + 1;
  }
}

int RunSteps(const ModuleExports& exports,
             const std::vector<std::wstring>& steps) {
  Application application(exports);
  for (const std::wstring& step : steps) {
    const std::vector<std::wstring> fields = Fields(step);
    const std::wstring& verb = fields[0];
    if (verb == L"select" && fields.size() == 1) {
      if (!application.Select()) return 4;
    } else if (verb == L"deselect" && fields.size() == 1) {
      application.Deselect();
    } else if (verb == L"choose" && fields.size() == 3) {
      const std::wstring chosen =
          application.Choose(fields[1], _wtoi(fields[2].c_str()));
      PrintLine("chose " + ToUtf8(fields[1]) + " " +
                (chosen.empty() ? "-" : ToUtf8(chosen)));
    } else if (verb == L"first" && fields.size() == 2) {
      const std::wstring first = application.First(fields[1]);
      PrintLine("first " + ToUtf8(fields[1]) + " " +
                (first.empty() ? "-" : ToUtf8(first)));
    } else if ((verb == L"signal" || verb == L"wait") && fields.size() == 2) {
      HANDLE event = ::CreateEventW(nullptr, TRUE, FALSE, fields[1].c_str());
      if (event == nullptr) return 2;
      DWORD wait = WAIT_OBJECT_0;
      if (verb == L"signal") {
        ::SetEvent(event);
      } else {
        wait = ::WaitForSingleObject(event, 60000);
      }
      ::CloseHandle(event);
      if (wait != WAIT_OBJECT_0) return 5;
    } else {
      return 2;
    }
  }
  return 0;
}

// The words each thread types, twenty each.
constexpr int kThreadWords = 20;
const wchar_t* const* const kTypistWords = kSharingWords;
const wchar_t* const* const kChurnerWords = kSharingWords + kThreadWords;

// The last choice of every word a thread committed.
using Learned = std::map<std::wstring, std::wstring>;

// Whether each learned choice is printed as it is learned (the process
// ends under its threads), and whether the exit has begun. A thread that
// the exit ends may still run for a moment; what it learns then is learned
// after the exit began, and is not printed.
std::atomic<bool> g_print_as_learned{false};
std::atomic<bool> g_exit_begun{false};

// Commits the second candidate of |word| and, when it comes first the next
// time (it was learned), records it.
void Learn(Application* application, const std::wstring& word,
           Learned* learned) {
  const std::wstring chosen = application->Choose(word, 2);
  if (!chosen.empty() && application->First(word) == chosen) {
    (*learned)[word] = chosen;
    if (g_print_as_learned && !g_exit_begun) {
      PrintLine("learned " + ToUtf8(word) + " " + ToUtf8(chosen));
    }
  }
}

void Typist(const ModuleExports& exports, const std::atomic<bool>& stop,
            Learned* learned, bool* ok) {
  Application application(exports);
  if (!application.Select()) {
    *ok = false;
    return;
  }
  for (size_t i = 0; !stop; ++i) {
    const std::wstring word = kTypistWords[i % kThreadWords];
    Learn(&application, word, learned);
    // Text typed on without a space keeps the language busy for a while
    // at each key.
    std::wstring long_word;
    while (long_word.size() < 150) long_word += word;
    application.First(long_word);
  }
}

void Churner(const ModuleExports& exports, const std::atomic<bool>& stop,
             Learned* learned, bool* ok) {
  Application application(exports);
  for (size_t i = 0; !stop; ++i) {
    if (!application.Select()) {
      *ok = false;
      return;
    }
    const std::wstring word = kChurnerWords[i % kThreadWords];
    Learn(&application, word, learned);
    application.Deselect();
  }
}

int RunThreads(LoadedModule* module, DWORD milliseconds, bool exit_now) {
  g_print_as_learned = exit_now;
  // The first line is written before the threads start: under Wine a
  // thread that the exit ends while it is first handed a file's descriptor
  // (here, the output's) leaves it to whichever file is opened next.
  if (exit_now) PrintLine("typing");
  std::atomic<bool> stop{false};
  Learned typed;
  Learned churned;
  bool typist_ok = true;
  bool churner_ok = true;
  std::thread typist(Typist, std::cref(module->exports()), std::cref(stop),
                     &typed, &typist_ok);
  std::thread churner(Churner, std::cref(module->exports()), std::cref(stop),
                      &churned, &churner_ok);
  ::Sleep(milliseconds);
  // The process ends under both threads, wherever they are.
  if (exit_now) {
    g_exit_begun = true;
    ::ExitProcess(0);
  }
  stop = true;
  typist.join();
  churner.join();
  if (!typist_ok || !churner_ok) return 4;
  for (const Learned* learned : {&typed, &churned}) {
    for (const auto& word : *learned) {
      PrintLine("learned " + ToUtf8(word.first) + " " + ToUtf8(word.second));
    }
  }
  module->Free();
  return 0;
}

// The data error box scenario (see the top of the file).
class DataErrorScenario {
 public:
  explicit DataErrorScenario(const ModuleExports& exports)
      : exports_(exports),
        done_(::CreateEventW(nullptr, TRUE, FALSE, nullptr)) {}
  ~DataErrorScenario() { ::CloseHandle(done_); }

  int Run() {
    Application outer(exports_);
    Application inner(exports_);
    inner_ = &inner;
    g_scenario = this;
    std::thread watcher(&DataErrorScenario::Watch, this);
    // Posted before the select: the box's message loop runs it.
    ::PostMessageW(outer.window(), kDataErrorSelectMessage, 0, 0);
    const bool selected = outer.Select();
    PrintLine("outer select returned");
    // Without a box the posted message is still waiting.
    MSG message;
    while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      ::DispatchMessageW(&message);
    }
    ::SetEvent(done_);
    stopped_ = true;
    watcher.join();
    g_scenario = nullptr;
    PrintLine("boxes " + std::to_string(boxes_.size()));
    PrintLine("boxes at once " + std::to_string(most_at_once_));
    if (!selected || !inner_selected_ || !thread_selected_) return 4;
    return thread_returned_ ? 0 : 5;
  }

  // The posted message: the second context of the window, then a context
  // of another thread.
  static LRESULT HandleSelectMessage() {
    DataErrorScenario* scenario = g_scenario;
    if (scenario == nullptr) return 0;
    scenario->inner_selected_ = scenario->inner_->Select();
    PrintLine("inner select returned");
    HANDLE returned = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
    std::thread other([scenario, returned] {
      Application application(scenario->exports_);
      scenario->thread_selected_ = application.Select();
      PrintLine("thread select returned");
      ::SetEvent(returned);
    });
    // Left behind when it does not return: the process then ends with 5.
    if (::WaitForSingleObject(returned, 60000) == WAIT_OBJECT_0) {
      other.join();
      scenario->thread_returned_ = true;
      ::CloseHandle(returned);
    } else {
      other.detach();
    }
    ::SetEvent(scenario->done_);
    return 0;
  }

 private:
  // The visible message boxes (dialogs) of this process.
  static std::vector<HWND> OpenBoxes() {
    std::vector<HWND> boxes;
    ::EnumWindows(
        [](HWND window, LPARAM found) -> BOOL {
          DWORD process = 0;
          ::GetWindowThreadProcessId(window, &process);
          wchar_t name[16] = {};
          ::GetClassNameW(window, name, 16);
          if (process == ::GetCurrentProcessId() &&
              std::wstring(name) == L"#32770" && ::IsWindowVisible(window)) {
            reinterpret_cast<std::vector<HWND>*>(found)->push_back(window);
          }
          return TRUE;
        },
        reinterpret_cast<LPARAM>(&boxes));
    return boxes;
  }

  // Watches the boxes as a user at the screen would: counts them and, once
  // the selects made inside the box have returned (or after 30 s), presses
  // OK on each.
  void Watch() {
    DWORD waited = 0;
    while (!stopped_) {
      const std::vector<HWND> open = OpenBoxes();
      most_at_once_ = std::max(most_at_once_, open.size());
      for (HWND box : open) boxes_.insert(box);
      const bool answer = ::WaitForSingleObject(done_, 0) == WAIT_OBJECT_0 ||
                          waited >= 30000;
      if (answer) {
        for (HWND box : open) {
          HWND ok = ::GetDlgItem(box, IDOK);
          if (ok != nullptr) ::PostMessageW(ok, BM_CLICK, 0, 0);
        }
      }
      ::Sleep(50);
      waited += 50;
    }
  }

  static DataErrorScenario* g_scenario;

  const ModuleExports& exports_;
  HANDLE done_;
  Application* inner_ = nullptr;
  std::atomic<bool> stopped_{false};
  bool inner_selected_ = false;
  bool thread_selected_ = false;
  bool thread_returned_ = false;
  std::set<HWND> boxes_;
  size_t most_at_once_ = 0;
};

DataErrorScenario* DataErrorScenario::g_scenario = nullptr;

LRESULT HandleDataErrorSelect() {
  return DataErrorScenario::HandleSelectMessage();
}

}  // namespace

int main() {
  const std::vector<std::wstring> args = ime_testing::ProgramArguments();

  WNDCLASSEXW wc = {};
  wc.cbSize = sizeof(wc);
  wc.lpfnWndProc = &ApplicationProc;
  wc.hInstance = ::GetModuleHandleW(nullptr);
  wc.lpszClassName = kWindowClass;
  if (::RegisterClassExW(&wc) == 0) return 4;

  LoadedModule module;
  if (!module.Load(ime_t13n::imm_host::ModuleBesideProgram())) return 3;
  if (args.size() >= 2 && args[1] == L"steps") {
    const int code = RunSteps(
        module.exports(), std::vector<std::wstring>(args.begin() + 2,
                                                    args.end()));
    module.Free();
    return code;
  }
  if (args.size() == 2 && args[1] == L"data-error") {
    const int code = DataErrorScenario(module.exports()).Run();
    module.Free();
    return code;
  }
  if (args.size() == 4 && args[1] == L"threads" &&
      (args[3] == L"free" || args[3] == L"now")) {
    return RunThreads(&module, static_cast<DWORD>(_wtoi(args[2].c_str())),
                      args[3] == L"now");
  }
  return 2;
}
