// Times the built module as IMM32 drives it:
//
//   ime_bench LEXICON.tsv [MODULE]
//
// LoadLibraryW of the module (default: the one beside this program), then
// ImeInquire and the first ImeSelect on a real input context (the engine,
// its core and the installed language are made there) and the private
// memory after it. Then every Latin word of the lexicon (the second column
// of rows "Devanagari, Latin, count") is typed key by key, each key a
// key-down and a release through ImeProcessKey and ImeToAsciiEx, and
// committed with Space; the time of a keystroke is that of its key-down
// (both calls), the release is reported apart. Then the same again with an
// IME UI window attached to the input context of an edit control that has
// the caret, its messages relayed to the window, whose UI manager shows the
// candidate window below the caret; that pass is skipped (ui_p99_us=0) when
// the module makes no UI window. Its keystrokes are also reported by kind
// (a word's first letter, which shows the window; the other letters; the
// Space that commits and hides it) with the share of the relay to the UI
// window. The last line is
//   load_ms=F select_ms=F p50_us=F p99_us=F max_us=F ui_p99_us=F
//   private_mb=F keystrokes=N
// (one line). "DataPath" and "InstalledVersion" must be set.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "ime/shared/base/imm_ddk.h"
#include "ime/shared/testing/lexicon_words.h"
#include "ime/shared/testing/measurement.h"
#include "ime/shared/testing/temp_dir.h"
#include "ime/t13n/imm_host/module_driver.h"

namespace {

using ime_t13n::imm_host::DrivenContext;
using ime_t13n::imm_host::KeyResult;
using ime_t13n::imm_host::LoadedModule;

using ime_testing::Percentile;

// The Latin words of the lexicon that the keys can type (letters only).
std::vector<std::wstring> ReadWords(const std::string& text) {
  std::vector<std::wstring> words;
  for (std::wstring& latin : ime_testing::LexiconLatinWords(text)) {
    bool letters = true;
    for (wchar_t c : latin) letters = letters && c >= L'a' && c <= L'z';
    if (letters) words.push_back(std::move(latin));
  }
  return words;
}

// The times of one pass, in microseconds: per keystroke its key-down
// (ImeProcessKey and ImeToAsciiEx, and the relay of the messages to the UI
// window), and apart the key-down's ImeProcessKey, its ImeToAsciiEx and the
// release (both calls).
struct PassTimes {
  std::vector<double> key_downs;
  std::vector<double> process_key;
  std::vector<double> to_ascii;
  std::vector<double> release;
  // The key-downs by kind, and the relay of their messages to the UI
  // window.
  std::vector<double> first_letters;
  std::vector<double> other_letters;
  std::vector<double> spaces;
  std::vector<double> relay;
};

// Relays one key's messages to the UI window, as the system's IME window
// would; the time it took, in microseconds.
double Relay(const KeyResult& result, HWND ui_window) {
  if (ui_window == nullptr) return 0;
  const double start = ime_testing::Now();
  for (const auto& message : result.messages) {
    ::SendMessageW(ui_window, message.message, message.wparam,
                   message.lparam);
  }
  return (ime_testing::Now() - start) * 1e6;
}

// Handles what waits in the thread's queue (the windows' paint and
// mouse-leave messages), outside the timed keystrokes.
void DrainMessages() {
  MSG message;
  while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    ::TranslateMessage(&message);
    ::DispatchMessageW(&message);
  }
}

// One pass over the words. With |ui_window| the messages of every key are
// sent to it.
PassTimes TypeWords(DrivenContext* context,
                    const std::vector<std::wstring>& words, HWND ui_window) {
  PassTimes times;
  auto keystroke = [&](UINT virtual_key, std::vector<double>* kind) {
    const double start = ime_testing::Now();
    double process_key_us = 0;
    KeyResult down = context->Key(virtual_key, true, 10, &process_key_us);
    const double relay_us = Relay(down, ui_window);
    const double released = ime_testing::Now();
    KeyResult up = context->Key(virtual_key, false);
    Relay(up, ui_window);
    const double end = ime_testing::Now();
    const double down_us = (released - start) * 1e6;
    times.key_downs.push_back(down_us);
    times.process_key.push_back(process_key_us);
    times.to_ascii.push_back(down_us - process_key_us - relay_us);
    times.release.push_back((end - released) * 1e6);
    times.relay.push_back(relay_us);
    kind->push_back(down_us);
    if (ui_window != nullptr) DrainMessages();
  };
  for (const std::wstring& word : words) {
    for (size_t i = 0; i < word.size(); ++i) {
      keystroke(ime_t13n::imm_host::VirtualKeyOf(word[i]),
                i == 0 ? &times.first_letters : &times.other_letters);
    }
    keystroke(VK_SPACE, &times.spaces);
  }
  return times;
}

// The edit control whose input context the UI pass types into: the
// candidate window is placed below its caret.
struct EditWindow {
  HWND frame = nullptr;
  HWND edit = nullptr;
  bool Create() {
    frame = ::CreateWindowExW(0, L"STATIC", L"ime_bench",
                              WS_OVERLAPPEDWINDOW | WS_VISIBLE, 40, 40, 480,
                              160, nullptr, nullptr, nullptr, nullptr);
    if (frame == nullptr) return false;
    edit = ::CreateWindowExW(0, L"EDIT", L"", WS_CHILD | WS_VISIBLE | WS_BORDER,
                             16, 40, 420, 32, frame, nullptr, nullptr,
                             nullptr);
    if (edit == nullptr) return false;
    ::SetForegroundWindow(frame);
    ::SetFocus(edit);
    DrainMessages();
    return true;
  }
  ~EditWindow() {
    if (frame != nullptr) ::DestroyWindow(frame);
  }
};

void PrintPart(const char* name, const std::vector<double>& values) {
  std::printf("%s: p50_us=%.1f p99_us=%.1f\n", name, Percentile(values, 0.5),
              Percentile(values, 0.99));
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: ime_bench LEXICON.tsv [MODULE]\n");
    return 2;
  }
  std::string text;
  if (!ime_testing::ReadFileBytes(ime_shared::Utf8ToWide(argv[1]), &text)) {
    std::fprintf(stderr, "cannot read %s\n", argv[1]);
    return 1;
  }
  const std::vector<std::wstring> words = ReadWords(text);
  const std::wstring module_path =
      argc > 2 ? ime_shared::Utf8ToWide(argv[2]) : ime_t13n::imm_host::ModuleBesideProgram();

  LoadedModule module;
  const double load_start = ime_testing::Now();
  if (!module.Load(module_path)) {
    std::fprintf(stderr, "cannot load the module\n");
    return 1;
  }
  const double load_ms = (ime_testing::Now() - load_start) * 1e3;
  const auto& exports = module.exports();
  IMEINFO info;
  wchar_t ui_class[16] = {};
  if (!exports.ImeInquire(&info, ui_class, 0)) {
    std::fprintf(stderr, "ImeInquire failed\n");
    return 1;
  }

  HIMC himc = ::ImmCreateContext();
  const double select_start = ime_testing::Now();
  if (himc == nullptr || !exports.ImeSelect(himc, TRUE)) {
    std::fprintf(stderr,
                 "ImeSelect failed (\"InstalledVersion\" and \"DataPath\" "
                 "must be set)\n");
    return 1;
  }
  const double select_ms = (ime_testing::Now() - select_start) * 1e3;
  const double private_mb =
      static_cast<double>(ime_testing::PrivateBytes()) / (1024.0 * 1024.0);

  DrivenContext context(exports, himc);
  context.Type(L"namaste ");
  if (context.CompositionString(GCS_RESULTSTR).empty()) {
    std::fprintf(stderr, "the module commits nothing: no language?\n");
    return 1;
  }
  const PassTimes pass = TypeWords(&context, words, nullptr);
  const std::vector<double>& times = pass.key_downs;

  // The same with the module's UI window, when it makes one.
  PassTimes ui_pass;
  EditWindow application;
  HWND ui_window = nullptr;
  if (application.Create()) {
    // The input context is the edit's, as IMM32 would have made it.
    if (INPUTCONTEXT* imc = ::ImmLockIMC(himc)) {
      imc->hWnd = application.edit;
      ::ImmUnlockIMC(himc);
    }
    ui_window = ::CreateWindowExW(0, ui_class, L"", WS_POPUP | WS_DISABLED,
                                  0, 0, 0, 0, nullptr, nullptr,
                                  module.handle(), nullptr);
  }
  if (ui_window != nullptr) {
    ::SetWindowLongPtrW(ui_window, IMMGWLP_IMC, reinterpret_cast<LONG_PTR>(himc));
    ::SendMessageW(ui_window, WM_IME_SELECT, TRUE, 0);
    ::SendMessageW(ui_window, WM_IME_SETCONTEXT, TRUE,
                   static_cast<LPARAM>(ISC_SHOWUIALL));
    ui_pass = TypeWords(&context, words, ui_window);
    ::DestroyWindow(ui_window);
  } else {
    std::printf("no IME UI window: the module refused it\n");
  }
  const std::vector<double>& ui_times = ui_pass.key_downs;

  exports.ImeSelect(himc, FALSE);
  ::ImmDestroyContext(himc);
  exports.ImeDestroy(0);
  module.Free();

  std::printf("words=%zu\n", words.size());
  std::printf("kernel object call: us=%.1f\n", ime_testing::KernelObjectCallMicros());
  PrintPart("key-down ImeProcessKey", pass.process_key);
  PrintPart("key-down ImeToAsciiEx", pass.to_ascii);
  PrintPart("release (both calls)", pass.release);
  if (!ui_times.empty()) {
    PrintPart("with UI window: key-down", ui_pass.key_downs);
    PrintPart("with UI window: relay to the UI window", ui_pass.relay);
    PrintPart("with UI window: first letter of a word", ui_pass.first_letters);
    PrintPart("with UI window: other letters", ui_pass.other_letters);
    PrintPart("with UI window: Space", ui_pass.spaces);
  }
  std::printf(
      "load_ms=%.1f select_ms=%.1f p50_us=%.1f p99_us=%.1f max_us=%.1f "
      "ui_p99_us=%.1f private_mb=%.1f keystrokes=%zu\n",
      load_ms, select_ms, Percentile(times, 0.5), Percentile(times, 0.99),
      times.empty() ? 0.0 : *std::max_element(times.begin(), times.end()),
      Percentile(ui_times, 0.99), private_mb, times.size());
  return 0;
}
