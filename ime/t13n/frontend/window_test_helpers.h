// Helpers of the window tests of the transliteration front end: the
// Devanagari font the windows draw with, the candidate window over a real
// keystroke road, fakes of the menus, and reading windows back from the
// screen.
#ifndef IME_T13N_FRONTEND_WINDOW_TEST_HELPERS_H_
#define IME_T13N_FRONTEND_WINDOW_TEST_HELPERS_H_

#include <windows.h>
#include <shellapi.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <functional>
#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

#include "gtest/gtest.h"
#include "ime/shared/frontend/frontend_window_test_helpers.h"
#include "ime/shared/frontend/menu_interface.h"
#include "ime/shared/frontend/popup_test_helpers.h"
#include "ime/shared/settings_table.h"
#include "ime/shared/testing/child_process.h"
#include "ime/shared/testing/scratch_registry_key.h"
#include "ime/shared/url_launcher.h"
#include "ime/t13n/frontend/t13n_handler_test_helpers.h"
#include "ime/t13n/frontend/t13n_horizontal_window.h"

namespace ime_t13n {
namespace testing_helpers {

// The face the candidate font is asked for: Windows' Devanagari font, which
// Wine gives through its replacement by "Lohit Devanagari".
constexpr wchar_t kDevanagariFace[] = L"Mangal";
constexpr wchar_t kDevanagariFile[] = L"Lohit Devanagari";

// Whether |face| draws Devanagari in this process.
inline bool FaceDrawsDevanagari(const wchar_t* face) {
  ime_shared::base::ScopedWindowDC screen(nullptr);
  LOGFONTW description = {};
  description.lfHeight = -16;
  description.lfCharSet = DEFAULT_CHARSET;
  wcsncpy(description.lfFaceName, face, LF_FACESIZE - 1);
  ime_shared::base::ScopedFont font(::CreateFontIndirectW(&description));
  ime_shared::base::ScopedSelectObject select(screen.Get(), font.Get());
  WORD glyph = 0xFFFF;
  ::GetGlyphIndicesW(screen.Get(), L"\x0915", 1, &glyph, GGI_MARK_NONEXISTING_GLYPHS);
  return glyph != 0xFFFF;
}

// Runs the selected tests of the suites named at construction with
// "Mangal" drawing Devanagari. Wine reads its font replacements once, when
// a process starts: when "Mangal" is not there yet, the replacement is set
// and the program runs again, with the same arguments, in a new process
// whose outcome becomes this one's.
class DevanagariFontEnvironment : public ::testing::Environment {
 public:
  explicit DevanagariFontEnvironment(std::initializer_list<const char*> suites)
      : suites_(suites.begin(), suites.end()) {}

  void SetUp() override {
    if (!AnySelected() || FaceDrawsDevanagari(kDevanagariFace)) return;
    ime_testing::RegistryPlace replacements(HKEY_CURRENT_USER,
                                            L"Software\\Wine\\Fonts\\Replacements");
    ASSERT_EQ(replacements.SetString(kDevanagariFace, kDevanagariFile), ERROR_SUCCESS)
        << "could not set Wine's font replacement Mangal = Lohit Devanagari";
    wchar_t again[8] = {};
    if (::GetEnvironmentVariableW(L"KELVANE_FONT_RERUN", again, 8) > 0) {
      // A second round without the font: the tests say what is missing.
      return;
    }
    ::SetEnvironmentVariableW(L"KELVANE_FONT_RERUN", L"1");
    wchar_t path[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring program = path;
    program = program.substr(program.find_last_of(L'\\') + 1);
    program = program.substr(0, program.size() - 4);  // ".exe"
    ime_testing::ChildProcess child;
    ASSERT_TRUE(child.Start(program, Arguments()))
        << "could not run the program again with Wine's font replacement";
    const int code = child.Wait(115000);
    std::fwrite(child.output().data(), 1, child.output().size(), stdout);
    if (code == -1) {
      std::printf("the program, run again with Wine's font replacement, did not end in 115 s\n");
    }
    std::fflush(stdout);
    ::ExitProcess(static_cast<UINT>(code));
  }

 private:
  bool AnySelected() const {
    const ::testing::UnitTest* unit = ::testing::UnitTest::GetInstance();
    for (int i = 0; i < unit->total_test_suite_count(); ++i) {
      const ::testing::TestSuite* suite = unit->GetTestSuite(i);
      for (const std::string& name : suites_) {
        if (name == suite->name() && suite->test_to_run_count() > 0) return true;
      }
    }
    return false;
  }
  // This process's arguments, without the program.
  static std::wstring Arguments() {
    int count = 0;
    LPWSTR* arguments = ::CommandLineToArgvW(::GetCommandLineW(), &count);
    std::wstring joined;
    for (int i = 1; i < count; ++i) {
      joined += (i > 1 ? L" \"" : L"\"") + std::wstring(arguments[i]) + L"\"";
    }
    ::LocalFree(arguments);
    return joined;
  }

  std::vector<std::string> suites_;
};

// A main menu that records where it was asked to open.
class RecordingMenu : public ime_shared::MenuInterface {
 public:
  void Show(POINT point, HWND owner, const RECT* exclude) override {
    shown.push_back(point);
    owners.push_back(owner);
  }
  std::vector<POINT> shown;
  std::vector<HWND> owners;
};

// A menu tracker that looks at the menu instead of showing it and answers
// a chosen item.
class ChoosingTracker : public ime_shared::frontend::MenuTrackerInterface {
 public:
  UINT Track(HMENU popup, UINT flags, POINT point, HWND owner, const RECT* exclude) override {
    ++calls;
    at = point;
    this->owner = owner;
    items.clear();
    grayed.clear();
    for (int i = 0; i < ::GetMenuItemCount(popup); ++i) {
      const UINT id = ::GetMenuItemID(popup, i);
      items.push_back(id);
      if ((::GetMenuState(popup, i, MF_BYPOSITION) & MF_GRAYED) != 0) grayed.push_back(id);
    }
    return choice;
  }
  UINT choice = 0;
  int calls = 0;
  POINT at = {};
  HWND owner = nullptr;
  std::vector<UINT> items;
  std::vector<UINT> grayed;
};

using ime_shared::testing_helpers::FixedUserName;
using ime_shared::testing_helpers::RecordingShell;

// The candidate window over a real keystroke road: the context leaves the
// candidate window to the input method (flag 2), gives a caret rectangle,
// and every update it is told about reaches the window as the UI manager
// would pass it on.
class CandidateWindowWorld {
 public:
  CandidateWindowWorld() {
    world.settings.SetString(0, L"Arial");
    world.settings.SetString(1, kDevanagariFace);
    world.settings.SetInt(ime_shared::kSettingCaretTrack, 1);
    engine = world.engine();
    engine->SetWebSeams(&user_name, &shell);
    ime_shared::testing_helpers::FakeContext& context = world.context();
    context.flags[2] = true;
    context.caret_rect = RECT{200, 300, 202, 318};
    window = new T13nHorizontalWindow(&world.settings);
    created = window->Create(nullptr, &main_menu);
    window->SetCandidateMenuSeams(&tracker, &user_name);
    window->Attach(&context, engine);
    auto previous = context.on_update;
    context.on_update = [this, previous](uint32_t flags) {
      if (previous) previous(flags);
      if ((flags & 0x0F) != 0 && window != nullptr) window->Show();
    };
  }
  ~CandidateWindowWorld() {
    world.context().on_update = nullptr;
    if (window != nullptr) window->Destroy();
  }

  HWND hwnd() const { return window->hwnd(); }
  RECT WindowRect() const {
    RECT rect = {};
    ::GetWindowRect(hwnd(), &rect);
    return rect;
  }
  // Cell |i| of the candidate row in client coordinates.
  RECT CellClientRect(int i) const {
    RECT rect = window->cells()[i].rect;
    const POINT origin = window->candidate_row_origin();
    ::OffsetRect(&rect, origin.x, origin.y);
    return rect;
  }
  POINT CellCentre(int i) const {
    const RECT rect = CellClientRect(i);
    return POINT{(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
  }
  // The centre of button |i| in client coordinates.
  POINT ButtonCentre(int i) const {
    const ime_shared::frontend::ButtonRecord& b = window->buttons()[i];
    return POINT{b.x + b.width / 2, b.y + b.height / 2};
  }
  // A press and a release of |down|/|up| at |client|, as the pop-up sees
  // them.
  void Click(POINT client, UINT down = WM_LBUTTONDOWN, UINT up = WM_LBUTTONUP) {
    ime_shared::testing_helpers::MouseAt(hwnd(), client, WM_MOUSEMOVE);
    ime_shared::testing_helpers::MouseAt(hwnd(), client, down);
    ime_shared::testing_helpers::MouseAt(hwnd(), client, up);
  }

  KeystrokeWorld world;
  T13nEngine* engine = nullptr;
  T13nHorizontalWindow* window = nullptr;
  bool created = false;
  RecordingMenu main_menu;
  ChoosingTracker tracker;
  FixedUserName user_name{L"someone"};
  RecordingShell shell;
};

// The pixels of |rect| (screen) as the screen shows them, top-down rows of
// 0x00RRGGBB.
inline std::vector<uint32_t> ReadScreen(const RECT& rect) {
  const int width = rect.right - rect.left;
  const int height = rect.bottom - rect.top;
  std::vector<uint32_t> pixels(static_cast<size_t>(width) * height);
  ime_shared::base::ScopedWindowDC screen(nullptr);
  ime_shared::base::ScopedMemoryDC memory(::CreateCompatibleDC(screen.Get()));
  void* bits = nullptr;
  ime_shared::base::ScopedBitmap bitmap(
      ime_shared::base::CreateTopDownDib32(screen.Get(), width, height, &bits));
  if (!bitmap || bits == nullptr) return pixels;
  {
    ime_shared::base::ScopedSelectObject select(memory.Get(), bitmap.Get());
    ::BitBlt(memory.Get(), 0, 0, width, height, screen.Get(), rect.left, rect.top, SRCCOPY);
  }
  ::GdiFlush();
  const auto* source = static_cast<const uint32_t*>(bits);
  for (size_t i = 0; i < pixels.size(); ++i) pixels[i] = source[i] & 0xFFFFFF;
  return pixels;
}

// This thread's windows of class |class_name|: the visible ones, or with
// |visible_only| false the hidden ones too.
inline std::vector<HWND> ThreadWindowsOfClass(const wchar_t* class_name,
                                              bool visible_only = true) {
  struct Search {
    const wchar_t* name;
    bool visible_only;
    std::vector<HWND> found;
  } search = {class_name, visible_only, {}};
  ::EnumThreadWindows(
      ::GetCurrentThreadId(),
      [](HWND window, LPARAM lparam) -> BOOL {
        auto* s = reinterpret_cast<Search*>(lparam);
        wchar_t name[64] = {};
        ::GetClassNameW(window, name, 64);
        if (std::wcscmp(name, s->name) == 0 && (!s->visible_only || ::IsWindowVisible(window))) {
          s->found.push_back(window);
        }
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

inline std::wstring WindowText(HWND window) {
  wchar_t text[4096] = {};
  ::GetWindowTextW(window, text, 4096);
  return text;
}

// Acts on each dialog box this thread opens, from a timer that fires inside
// the dialog's own message loop: |act| gets the dialog once, when it is
// seen. Also counts how many dialogs were open at once. One driver at a
// time.
class DialogDriver {
 public:
  explicit DialogDriver(std::function<void(HWND dialog)> act) : act_(std::move(act)) {
    Current() = this;
    timer_ = ::SetTimer(nullptr, 0, 20, &Tick);
  }
  ~DialogDriver() {
    ::KillTimer(nullptr, timer_);
    Current() = nullptr;
  }
  DialogDriver(const DialogDriver&) = delete;
  DialogDriver& operator=(const DialogDriver&) = delete;

  size_t most_open() const { return most_open_; }
  int seen() const { return seen_; }

 private:
  static DialogDriver*& Current() {
    static DialogDriver* current = nullptr;
    return current;
  }
  static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
    DialogDriver* driver = Current();
    if (driver == nullptr) return;
    const std::vector<HWND> dialogs = ThreadWindowsOfClass(L"#32770");
    if (dialogs.size() > driver->most_open_) driver->most_open_ = dialogs.size();
    if (dialogs.empty() || dialogs[0] == driver->last_) return;
    driver->last_ = dialogs[0];
    ++driver->seen_;
    driver->act_(dialogs[0]);
  }

  std::function<void(HWND)> act_;
  UINT_PTR timer_ = 0;
  HWND last_ = nullptr;
  size_t most_open_ = 0;
  int seen_ = 0;
};

}  // namespace testing_helpers
}  // namespace ime_t13n

#endif  // IME_T13N_FRONTEND_WINDOW_TEST_HELPERS_H_
