// A Wine application with an edit control, into which words are typed
// through the input-method module, in the ways the demonstration and the
// scenario tests need:
//
//   imm_host --layout
//       Prints the installed keyboard layout whose input method is the
//       module (the setup tool installs it: "Strevane.exe --action=install")
//       and its file.
//   imm_host --system WORD
//       Through the system's IMM32: activates the installed layout, types
//       WORD into the edit with SendInput, prints the composition and the
//       candidates the edit's input context holds, then completes the
//       composition with ImmNotifyIME(NI_COMPOSITIONSTR, CPS_COMPLETE) and
//       prints the edit's text.
//   imm_host --host WORD [--module=PATH] [--screenshot=PNG]
//       The host plays IMM32's part (Wine 8 loses the messages an input
//       method returns from ImeToAsciiEx on 64-bit and makes no window of
//       its UI class): the layout is not activated; the host loads the
//       installed module (or PATH), gives the edit an input context of its
//       own, selects the module into it, makes the UI window, whose UI
//       manager shows the candidate window, and passes every key that
//       SendInput delivers through ImeProcessKey and ImeToAsciiEx, sending
//       the messages to the edit. Types WORD and prints the composition,
//       the candidates, the caret and the candidate window (its place, and
//       the dark pixels of its text as the screen shows them; with PNG also
//       a picture of the application and the window, copied from the
//       screen); then Space; then "kya" and Esc into an emptied edit; then
//       F12 and "abc" into an emptied edit. Prints the edit's text after
//       each.
//
// Output lines are "name: value" in UTF-8; places are screen pixels:
//   caret: X Y HEIGHT
//   candidate window: visible LEFT TOP WIDTH HEIGHT | hidden | none
// Exit codes: 0 done, 2 bad arguments, 3 a step failed (the line
// "error: ..." says which).
#include <windows.h>
#include <objidl.h>
#include <gdiplus.h>

#include <cstdint>
#include <cstdio>
#include <initializer_list>
#include <string>
#include <vector>

#include "ime/shared/base/gdi_objects.h"
#include "ime/shared/base/imm_ddk.h"
#include "ime/t13n/imm_host/module_driver.h"

namespace {

using ime_t13n::imm_host::Message;
using ime_t13n::imm_host::ModuleExports;
using ime_t13n::imm_host::ToUtf8;

void Print(const std::string& name, const std::wstring& value) {
  const std::string line = name + ": " + ToUtf8(value) + "\n";
  DWORD written = 0;
  ::WriteFile(::GetStdHandle(STD_OUTPUT_HANDLE), line.data(),
              static_cast<DWORD>(line.size()), &written, nullptr);
}

int Fail(const std::wstring& what) {
  Print("error", what);
  return 3;
}

std::wstring ModuleFileName() {
  std::wstring code;
  for (const char* c = IME_LANGUAGE_CODE; *c != '\0'; ++c) code += *c;
  return L"Kelvane_" + code + L".ime";
}

std::wstring SystemModulePath() {
  wchar_t folder[MAX_PATH];
  ::GetSystemDirectoryW(folder, MAX_PATH);
  return std::wstring(folder) + L"\\" + ModuleFileName();
}

std::wstring Hex(UINT_PTR value) {
  wchar_t text[32];
  std::swprintf(text, 32, L"%08llX", static_cast<unsigned long long>(value));
  return text;
}

std::wstring Join(const std::vector<std::wstring>& items) {
  std::wstring out;
  for (const std::wstring& item : items) {
    if (!out.empty()) out += L", ";
    out += item;
  }
  return out;
}

// The installed layout whose input method is the module; null when none.
HKL FindModuleLayout() {
  const int count = ::GetKeyboardLayoutList(0, nullptr);
  std::vector<HKL> layouts(count > 0 ? count : 1);
  const int got = ::GetKeyboardLayoutList(count, layouts.data());
  for (int i = 0; i < got; ++i) {
    wchar_t file[MAX_PATH] = {};
    if (::ImmGetIMEFileNameW(layouts[i], file, MAX_PATH) == 0) continue;
    std::wstring name(file);
    name = name.substr(name.find_last_of(L"\\/") + 1);
    if (::lstrcmpiW(name.c_str(), ModuleFileName().c_str()) == 0) {
      return layouts[i];
    }
  }
  return nullptr;
}

// Handles what waits in the queue until nothing has come for |idle_ms|
// (at most |max_ms| in all).
using KeyFilter = bool (*)(const MSG& message);
KeyFilter g_key_filter = nullptr;

void Pump(DWORD idle_ms = 40, DWORD max_ms = 2000) {
  const DWORD start = ::GetTickCount();
  DWORD last = start;
  while (::GetTickCount() - start < max_ms &&
         ::GetTickCount() - last < idle_ms) {
    MSG message;
    if (!::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
      continue;
    }
    last = ::GetTickCount();
    if (g_key_filter != nullptr && g_key_filter(message)) continue;
    ::TranslateMessage(&message);
    ::DispatchMessageW(&message);
  }
}

void SendKey(UINT virtual_key) {
  INPUT input[2] = {};
  input[0].type = INPUT_KEYBOARD;
  input[0].ki.wVk = static_cast<WORD>(virtual_key);
  input[0].ki.wScan = static_cast<WORD>(::MapVirtualKeyW(virtual_key, 0));
  input[1] = input[0];
  input[1].ki.dwFlags = KEYEVENTF_KEYUP;
  ::SendInput(2, input, sizeof(INPUT));
  Pump();
}

void SendText(const std::wstring& text) {
  for (wchar_t character : text) {
    const UINT virtual_key = ime_t13n::imm_host::VirtualKeyOf(character);
    if (virtual_key != 0) SendKey(virtual_key);
  }
}

// The application: a top-level window with one edit control.
struct Application {
  HWND frame = nullptr;
  HWND edit = nullptr;

  bool Create() {
    frame = ::CreateWindowExW(0, L"STATIC", L"Kelvane host",
                              WS_OVERLAPPEDWINDOW | WS_VISIBLE, 40, 40, 480,
                              160, nullptr, nullptr, nullptr, nullptr);
    if (frame == nullptr) return false;
    edit = ::CreateWindowExW(0, L"EDIT", L"",
                             WS_CHILD | WS_VISIBLE | WS_BORDER | ES_AUTOHSCROLL,
                             16, 40, 420, 32, frame, nullptr, nullptr,
                             nullptr);
    if (edit == nullptr) return false;
    Focus();
    Pump();
    return true;
  }
  void Focus() {
    ::SetForegroundWindow(frame);
    ::SetFocus(edit);
  }
  std::wstring Text() const {
    wchar_t text[512] = {};
    ::SendMessageW(edit, WM_GETTEXT, 512, reinterpret_cast<LPARAM>(text));
    return text;
  }
  void Clear() { ::SendMessageW(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"")); }
  ~Application() {
    if (frame != nullptr) ::DestroyWindow(frame);
  }
};

std::wstring CompositionOf(HIMC himc, DWORD index) {
  const LONG bytes = ::ImmGetCompositionStringW(himc, index, nullptr, 0);
  if (bytes <= 0) return std::wstring();
  std::wstring text(bytes / sizeof(wchar_t), L'\0');
  ::ImmGetCompositionStringW(himc, index, &text[0], bytes);
  return text;
}

std::vector<std::wstring> CandidatesOf(HIMC himc) {
  std::vector<std::wstring> strings;
  const DWORD bytes = ::ImmGetCandidateListW(himc, 0, nullptr, 0);
  if (bytes == 0) return strings;
  std::vector<BYTE> buffer(bytes);
  auto* list = reinterpret_cast<CANDIDATELIST*>(buffer.data());
  if (::ImmGetCandidateListW(himc, 0, list, bytes) != bytes) return strings;
  for (DWORD i = 0; i < list->dwCount; ++i) {
    strings.push_back(
        reinterpret_cast<const wchar_t*>(buffer.data() + list->dwOffset[i]));
  }
  return strings;
}

int ShowLayout() {
  HKL layout = FindModuleLayout();
  if (layout == nullptr) return Fail(L"the module's layout is not installed");
  wchar_t file[MAX_PATH] = {};
  ::ImmGetIMEFileNameW(layout, file, MAX_PATH);
  Print("layout", Hex(reinterpret_cast<UINT_PTR>(layout)));
  Print("layout file", file);
  return 0;
}

int TypeThroughSystem(const std::wstring& word) {
  HKL layout = FindModuleLayout();
  if (layout == nullptr) return Fail(L"the module's layout is not installed");
  Application application;
  if (!application.Create()) return Fail(L"no application window");
  const std::wstring id = Hex(reinterpret_cast<UINT_PTR>(layout));
  HKL active = ::LoadKeyboardLayoutW(id.c_str(), KLF_ACTIVATE);
  if (active != layout || ::GetKeyboardLayout(0) != layout) {
    return Fail(L"the layout " + id + L" does not activate");
  }
  Print("active layout", Hex(reinterpret_cast<UINT_PTR>(::GetKeyboardLayout(0))));
  application.Focus();
  Pump();

  SendText(word);
  Print("typed", word);
  HIMC himc = ::ImmGetContext(application.edit);
  if (himc == nullptr) return Fail(L"the edit has no input context");
  Print("composition", CompositionOf(himc, GCS_COMPSTR));
  Print("candidates", Join(CandidatesOf(himc)));
  ::ImmNotifyIME(himc, NI_COMPOSITIONSTR, CPS_COMPLETE, 0);
  Pump();
  Print("composition after complete", CompositionOf(himc, GCS_COMPSTR));
  ::ImmReleaseContext(application.edit, himc);
  Print("edit", application.Text());
  return 0;
}

// The pixels of |rect| as the screen shows them, top row first, as
// 0x00RRGGBB; empty when they cannot be read.
std::vector<uint32_t> ScreenPixels(const RECT& rect) {
  const int width = rect.right - rect.left;
  const int height = rect.bottom - rect.top;
  std::vector<uint32_t> pixels;
  if (width <= 0 || height <= 0) return pixels;
  HDC screen = ::GetDC(nullptr);
  HDC memory = ::CreateCompatibleDC(screen);
  void* bits = nullptr;
  HBITMAP bitmap =
      ime_shared::base::CreateTopDownDib32(screen, width, height, &bits);
  if (memory != nullptr && bitmap != nullptr) {
    HGDIOBJ old = ::SelectObject(memory, bitmap);
    if (::BitBlt(memory, 0, 0, width, height, screen, rect.left, rect.top,
                 SRCCOPY)) {
      ::GdiFlush();
      const auto* first = static_cast<const uint32_t*>(bits);
      pixels.assign(first, first + static_cast<size_t>(width) * height);
      for (uint32_t& pixel : pixels) pixel &= 0xFFFFFF;
    }
    ::SelectObject(memory, old);
  }
  if (bitmap != nullptr) ::DeleteObject(bitmap);
  if (memory != nullptr) ::DeleteDC(memory);
  ::ReleaseDC(nullptr, screen);
  return pixels;
}

// Pixels dark enough to be text: the window's skin, borders and buttons
// are light, its text black.
size_t DarkPixels(const std::vector<uint32_t>& pixels) {
  size_t dark = 0;
  for (uint32_t pixel : pixels) {
    if ((pixel & 0xFF) < 0x50 && ((pixel >> 8) & 0xFF) < 0x50 &&
        ((pixel >> 16) & 0xFF) < 0x50) {
      ++dark;
    }
  }
  return dark;
}

// Writes |rect| of the screen to |path| as PNG.
bool SaveScreenPng(const RECT& rect, const std::wstring& path) {
  namespace gp = Gdiplus;
  const std::vector<uint32_t> pixels = ScreenPixels(rect);
  if (pixels.empty()) return false;
  gp::GdiplusStartupInput startup;
  ULONG_PTR token = 0;
  if (gp::GdiplusStartup(&token, &startup, nullptr) != gp::Ok) return false;
  bool saved = false;
  UINT count = 0;
  UINT bytes = 0;
  gp::DllExports::GdipGetImageEncodersSize(&count, &bytes);
  std::vector<BYTE> buffer(bytes);
  auto* codecs = reinterpret_cast<gp::ImageCodecInfo*>(buffer.data());
  if (bytes > 0 &&
      gp::DllExports::GdipGetImageEncoders(count, bytes, codecs) == gp::Ok) {
    for (UINT i = 0; i < count; ++i) {
      if (codecs[i].MimeType == nullptr ||
          std::wstring(codecs[i].MimeType) != L"image/png") {
        continue;
      }
      const int width = rect.right - rect.left;
      gp::GpBitmap* image = nullptr;
      if (gp::DllExports::GdipCreateBitmapFromScan0(
              width, rect.bottom - rect.top, width * 4, PixelFormat32bppRGB,
              reinterpret_cast<BYTE*>(const_cast<uint32_t*>(pixels.data())),
              &image) == gp::Ok) {
        saved = gp::DllExports::GdipSaveImageToFile(
                    image, path.c_str(), &codecs[i].Clsid, nullptr) == gp::Ok;
        gp::DllExports::GdipDisposeImage(image);
      }
      break;
    }
  }
  gp::GdiplusShutdown(token);
  return saved;
}

// The input method's candidate window on this thread; null when it has
// none.
HWND CandidateWindow() {
  HWND found = nullptr;
  ::EnumThreadWindows(
      ::GetCurrentThreadId(),
      [](HWND window, LPARAM out) -> BOOL {
        wchar_t name[32] = {};
        ::GetClassNameW(window, name, 32);
        if (std::wstring(name) != L"IMEHORIZONTAL") return TRUE;
        *reinterpret_cast<HWND*>(out) = window;
        return FALSE;
      },
      reinterpret_cast<LPARAM>(&found));
  return found;
}

std::wstring Numbers(std::initializer_list<LONG> values) {
  std::wstring out;
  for (LONG value : values) {
    if (!out.empty()) out += L' ';
    out += std::to_wstring(value);
  }
  return out;
}

// Prints the caret's place.
void PrintCaret() {
  GUITHREADINFO info = {};
  info.cbSize = sizeof(info);
  if (!::GetGUIThreadInfo(::GetCurrentThreadId(), &info) ||
      info.hwndCaret == nullptr) {
    Print("caret", L"none");
    return;
  }
  POINT top_left = {info.rcCaret.left, info.rcCaret.top};
  ::ClientToScreen(info.hwndCaret, &top_left);
  Print("caret", Numbers({top_left.x, top_left.y,
                          info.rcCaret.bottom - info.rcCaret.top}));
}

// Prints the candidate window's state and, while it shows, the dark pixels
// the screen shows in it.
void PrintCandidateWindow() {
  HWND window = CandidateWindow();
  if (window == nullptr) {
    Print("candidate window", L"none");
    return;
  }
  if (!::IsWindowVisible(window)) {
    Print("candidate window", L"hidden");
    return;
  }
  RECT rect = {};
  ::GetWindowRect(window, &rect);
  Print("candidate window",
        L"visible " + Numbers({rect.left, rect.top, rect.right - rect.left,
                               rect.bottom - rect.top}));
  Print("candidate text pixels",
        std::to_wstring(DarkPixels(ScreenPixels(rect))));
}

// Saves the application's window and the candidate window beside its caret
// as |path|. Only the application's client area is taken: without a window
// manager (the virtual display) nothing draws its frame.
void SaveScreenshot(HWND frame, const std::wstring& path) {
  RECT picture = {};
  ::GetClientRect(frame, &picture);
  ::MapWindowPoints(frame, nullptr, reinterpret_cast<POINT*>(&picture), 2);
  HWND candidates = CandidateWindow();
  if (candidates != nullptr && ::IsWindowVisible(candidates)) {
    RECT rect = {};
    ::GetWindowRect(candidates, &rect);
    ::UnionRect(&picture, &picture, &rect);
  }
  RECT screen = {0, 0, ::GetSystemMetrics(SM_CXSCREEN),
                 ::GetSystemMetrics(SM_CYSCREEN)};
  ::IntersectRect(&picture, &picture, &screen);
  if (!SaveScreenPng(picture, path)) {
    Print("screenshot", L"not saved");
    return;
  }
  Print("screenshot", path);
}

// The host's own input context and the module it drives.
struct HostedInputMethod {
  ModuleExports exports;
  HIMC himc = nullptr;
  HWND edit = nullptr;
  HWND ui_window = nullptr;
  WNDPROC edit_proc = nullptr;
};
HostedInputMethod g_hosted;

// The edit's WM_IME_* messages go on to the UI window, as the system's IME
// window would pass them.
LRESULT CALLBACK EditProc(HWND window, UINT message, WPARAM wparam,
                          LPARAM lparam) {
  if (g_hosted.ui_window != nullptr &&
      (message == WM_IME_STARTCOMPOSITION || message == WM_IME_COMPOSITION ||
       message == WM_IME_ENDCOMPOSITION || message == WM_IME_NOTIFY)) {
    ::SendMessageW(g_hosted.ui_window, message, wparam, lparam);
  }
  return ::CallWindowProcW(g_hosted.edit_proc, window, message, wparam,
                           lparam);
}

// The messages one ImeToAsciiEx gave, as IMM32 takes them: from the list,
// or all of them from the context's buffer when the list was too small.
std::vector<Message> TakeMessages(UINT count, const TRANSMSGLIST* list) {
  std::vector<Message> messages;
  INPUTCONTEXT* context = ::ImmLockIMC(g_hosted.himc);
  if (context == nullptr) return messages;
  if (count > list->uMsgCount || context->dwNumMsgBuf > 0) {
    const auto* buffer =
        static_cast<const TRANSMSG*>(::ImmLockIMCC(context->hMsgBuf));
    if (buffer != nullptr) {
      for (DWORD i = 0; i < context->dwNumMsgBuf; ++i) {
        messages.push_back(
            {buffer[i].message, buffer[i].wParam, buffer[i].lParam});
      }
      ::ImmUnlockIMCC(context->hMsgBuf);
    }
    context->dwNumMsgBuf = 0;
  } else {
    for (UINT i = 0; i < count; ++i) {
      messages.push_back({list->TransMsg[i].message, list->TransMsg[i].wParam,
                          list->TransMsg[i].lParam});
    }
  }
  ::ImmUnlockIMC(g_hosted.himc);
  return messages;
}

// Every key for the edit goes to the input method first; an eaten key's
// messages go to the edit, and the key itself goes no further.
bool HostKey(const MSG& message) {
  if ((message.message != WM_KEYDOWN && message.message != WM_KEYUP) ||
      message.hwnd != g_hosted.edit) {
    return false;
  }
  BYTE key_state[256];
  ::GetKeyboardState(key_state);
  const UINT virtual_key = static_cast<UINT>(message.wParam);
  if (!g_hosted.exports.ImeProcessKey(g_hosted.himc, virtual_key,
                                      message.lParam, key_state)) {
    return false;
  }
  const UINT scan = (static_cast<UINT>(message.lParam) >> 16) & 0xFF;
  WORD characters[2] = {0, 0};
  const int produced =
      ::ToAscii(virtual_key, scan, key_state, characters, 0);
  std::vector<BYTE> storage(sizeof(TRANSMSGLIST) + 10 * sizeof(TRANSMSG));
  auto* list = reinterpret_cast<TRANSMSGLIST*>(storage.data());
  list->uMsgCount = 10;
  const UINT count = g_hosted.exports.ImeToAsciiEx(
      virtual_key | ((produced > 0 ? characters[0] : 0u) << 16),
      scan | (message.message == WM_KEYUP ? 0x8000 : 0), key_state, list, 0,
      g_hosted.himc);
  for (const Message& out : TakeMessages(count, list)) {
    ::SendMessageW(g_hosted.edit, out.message, out.wparam, out.lparam);
  }
  return true;
}

int HostPlaysImm(const std::wstring& word, const std::wstring& module_path,
                 const std::wstring& screenshot) {
  Application application;
  if (!application.Create()) return Fail(L"no application window");
  if (FindModuleLayout() == ::GetKeyboardLayout(0) &&
      FindModuleLayout() != nullptr) {
    return Fail(L"the module's layout is active");
  }
  HMODULE module = ::LoadLibraryW(module_path.c_str());
  if (module == nullptr) return Fail(L"cannot load " + module_path);
  if (g_hosted.exports.Resolve(module) != 19) {
    return Fail(L"the module lacks exports");
  }
  Print("module", module_path);

  IMEINFO info;
  wchar_t ui_class[16] = {};
  if (!g_hosted.exports.ImeInquire(&info, ui_class, 0)) {
    return Fail(L"ImeInquire failed");
  }
  g_hosted.edit = application.edit;
  g_hosted.himc = ::ImmCreateContext();
  HIMC previous = ::ImmAssociateContext(application.edit, g_hosted.himc);
  // The system leaves the context's window for the IME to find; a host
  // that made the context itself sets it.
  INPUTCONTEXT* context = ::ImmLockIMC(g_hosted.himc);
  if (context == nullptr) return Fail(L"the input context cannot be locked");
  context->hWnd = application.edit;
  ::ImmUnlockIMC(g_hosted.himc);
  if (!g_hosted.exports.ImeSelect(g_hosted.himc, TRUE)) {
    return Fail(L"ImeSelect failed (is \"InstalledVersion\" set?)");
  }

  // The UI window, as IMM32 would make it; the module refuses it when it
  // has no UI manager to give it.
  g_hosted.ui_window = ::CreateWindowExW(0, ui_class, L"", WS_POPUP | WS_DISABLED,
                                         0, 0, 0, 0, nullptr, nullptr, module,
                                         nullptr);
  Print("ui window", g_hosted.ui_window != nullptr
                         ? L"made"
                         : L"refused by the module");
  if (g_hosted.ui_window != nullptr) {
    ::SetWindowLongPtrW(g_hosted.ui_window, IMMGWLP_IMC,
                        reinterpret_cast<LONG_PTR>(g_hosted.himc));
    ::SendMessageW(g_hosted.ui_window, WM_IME_SELECT, TRUE,
                   reinterpret_cast<LPARAM>(::GetKeyboardLayout(0)));
    ::SendMessageW(g_hosted.ui_window, WM_IME_SETCONTEXT, TRUE,
                   static_cast<LPARAM>(ISC_SHOWUIALL));
  }
  g_hosted.edit_proc = reinterpret_cast<WNDPROC>(::SetWindowLongPtrW(
      application.edit, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&EditProc)));
  g_key_filter = &HostKey;
  application.Focus();
  Pump();

  SendText(word);
  Print("typed", word);
  Print("composition", CompositionOf(g_hosted.himc, GCS_COMPSTR));
  Print("candidates", Join(CandidatesOf(g_hosted.himc)));
  PrintCaret();
  PrintCandidateWindow();
  if (!screenshot.empty()) SaveScreenshot(application.frame, screenshot);
  SendKey(VK_SPACE);
  Print("typed", word + L" + Space");
  Print("edit", application.Text());

  application.Clear();
  SendText(L"kya");
  Print("typed", L"kya");
  Print("edit", application.Text());
  PrintCandidateWindow();
  SendKey(VK_ESCAPE);
  Print("typed", L"Esc");
  Print("edit", application.Text());
  PrintCandidateWindow();

  application.Clear();
  SendKey(VK_F12);
  SendText(L"abc");
  Print("typed", L"F12 + abc");
  Print("edit", application.Text());
  SendKey(VK_F12);

  g_key_filter = nullptr;
  ::SetWindowLongPtrW(application.edit, GWLP_WNDPROC,
                      reinterpret_cast<LONG_PTR>(g_hosted.edit_proc));
  if (g_hosted.ui_window != nullptr) {
    ::SendMessageW(g_hosted.ui_window, WM_IME_SELECT, FALSE, 0);
    ::DestroyWindow(g_hosted.ui_window);
  }
  g_hosted.exports.ImeSelect(g_hosted.himc, FALSE);
  ::ImmAssociateContext(application.edit, previous);
  ::ImmDestroyContext(g_hosted.himc);
  g_hosted.exports.ImeDestroy(0);
  ::FreeLibrary(module);
  return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  const std::wstring mode = argc > 1 ? argv[1] : L"";
  if (mode == L"--layout" && argc == 2) return ShowLayout();
  if (mode == L"--system" && argc == 3) return TypeThroughSystem(argv[2]);
  if (mode == L"--host" && argc >= 3) {
    std::wstring module = SystemModulePath();
    std::wstring screenshot;
    for (int i = 3; i < argc; ++i) {
      const std::wstring option = argv[i];
      const size_t equals = option.find(L'=');
      const std::wstring name = option.substr(0, equals);
      const std::wstring value =
          equals == std::wstring::npos ? L"" : option.substr(equals + 1);
      if (name == L"--module" && !value.empty()) {
        module = value;
      } else if (name == L"--screenshot" && !value.empty()) {
        screenshot = value;
      } else {
        return 2;
      }
    }
    return HostPlaysImm(argv[2], module, screenshot);
  }
  std::fprintf(stderr,
               "usage: imm_host --layout | --system WORD | "
               "--host WORD [--module=PATH] [--screenshot=PNG]\n");
  return 2;
}
