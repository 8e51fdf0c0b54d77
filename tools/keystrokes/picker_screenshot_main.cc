// Pictures of the character picker and of a vignel beside the candidate
// window, as the screen shows them:
//
//   picker_screenshot OUTPUT_FOLDER [WORD]      (default word: namaste)
//
// An engine is made with the engine factory (attaching it loads the
// installed language, "DataPath") and a UI manager with the UI manager
// factory and the product's parts, over a context that leaves the candidate
// window to the input method. Ctrl+K shows the picker of the installed
// language with the images of the product's folder (where the installation
// puts them; the script copies the ones the build drew there); the cursor
// rests on the key KA until the picker shows it magnified and names it,
// and the picker is written as OUTPUT_FOLDER\picker.png. Then a vignel is
// scheduled for now (in a folder of the program's own), the word is typed
// key by key, and the candidate window with the vignel image standing out
// of its top-right corner is written as OUTPUT_FOLDER\vignel.png. One line
// per picture:
//   NAME: PATH WIDTHxHEIGHT
#include <windows.h>
#include <objidl.h>
#include <gdiplus.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <string>

#include "ime/shared/frontend/key_event.h"
#include "ime/shared/frontend/supported_language_set.h"
#include "ime/shared/language_identity.h"
#include "ime/shared/settings.h"
#include "ime/shared/settings_table.h"
#include "ime/shared/string_utils.h"
#include "ime/shared/testing/temp_dir.h"
#include "ime/t13n/frontend/grid_keyboard_window.h"
#include "ime/t13n/frontend/t13n_engine.h"
#include "ime/t13n/frontend/t13n_horizontal_window.h"
#include "ime/t13n/frontend/ui_manager.h"
#include "tools/keystrokes/reading_context.h"
#include "tools/keystrokes/sample_vignel.h"
#include "tools/keystrokes/screen_capture.h"
#include "tools/keystrokes/window_context.h"

namespace {

void Wait(DWORD ms) {
  const ULONGLONG end = ::GetTickCount64() + ms;
  while (::GetTickCount64() < end) {
    keystrokes::PumpMessages();
    ::Sleep(10);
  }
}

// The key-down and the release of |virtual_key| with Ctrl held.
void TapWithControl(ime_shared::EngineInterface* engine, uint16_t virtual_key, wchar_t character) {
  ime_shared::KeyEvent key = {virtual_key, character,
                              ime_shared::KeyEvent::kDown | ime_shared::KeyEvent::kControl |
                                  ime_shared::KeyEvent::kLeftControl};
  if (engine->ProcessKey(key)) engine->HandleKey(key);
  key.state = 0;
  if (engine->ProcessKey(key)) engine->HandleKey(key);
}

// Writes |rect| as |name|.png into |folder| and prints a line for it.
bool Save(const std::wstring& folder, const wchar_t* name, const RECT& rect) {
  const std::wstring path = folder + L"\\" + name + L".png";
  const bool saved = keystrokes::SaveScreenRect(rect, path);
  std::printf("%s: %s %ldx%ld\n", ime_shared::WideToUtf8(name).c_str(),
              saved ? ime_shared::WideToUtf8(path).c_str() : "(not saved)",
              rect.right - rect.left, rect.bottom - rect.top);
  return saved;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2 || argc > 3) {
    std::fprintf(stderr, "usage: picker_screenshot OUTPUT_FOLDER [WORD]\n");
    return 2;
  }
  const std::wstring folder = ime_shared::Utf8ToWide(argv[1]);
  const std::wstring word = ime_shared::Utf8ToWide(argc == 3 ? argv[2] : "namaste");
  ::CreateDirectoryW(folder.c_str(), nullptr);

  Gdiplus::GdiplusStartupInput startup;
  ULONG_PTR token = 0;
  if (Gdiplus::GdiplusStartup(&token, &startup, nullptr) != Gdiplus::Ok) {
    std::fprintf(stderr, "GDI+ did not start\n");
    return 1;
  }

  ime_shared::Settings* settings = ime_shared::Settings::GetInstance();
  settings->SetString(0, L"Arial");
  settings->SetString(1, L"Mangal");
  settings->SetInt(ime_shared::kSettingCaretTrack, 1);
  settings->SetInt(ime_shared::kSettingEnableVignel, 1);

  keystrokes::WindowContext context;
  context.caret = RECT{120, 160, 122, 178};
  ime_t13n::UIManagerEnvironment ui_environment;
  ui_environment.settings = settings;
  ui_environment.installed_version = L"screenshot";
  ui_environment.parts = ime_t13n::ProductUIParts();
  ui_environment.text_service = ime_shared::InputMethod::kTextServiceClsid;
  std::unique_ptr<ime_t13n::UIManager> ui(static_cast<ime_t13n::UIManager*>(
      ime_t13n::CreateUIManager(nullptr, ui_environment)));

  ime_t13n::EngineEnvironment environment;
  environment.settings = settings;
  environment.installed_version = L"screenshot";
  environment.supported_mask = ime_shared::ReadSupportedLanguageMask();
  environment.handler_maker = ime_t13n::DefaultHandlerMaker();
  std::unique_ptr<ime_shared::EngineInterface> engine(
      ime_t13n::CreateT13nEngine(&context, environment));
  if (ui == nullptr || engine == nullptr || ui->candidate_window() == nullptr) {
    std::fprintf(stderr, "no engine or no UI manager\n");
    return 1;
  }
  ime_testing::TempDir vignel_root;
  const std::wstring vignels = vignel_root.path() + L"Vignels";
  if (!keystrokes::WriteSampleVignel(vignels)) {
    std::fprintf(stderr, "cannot write the sample vignel\n");
    return 1;
  }
  keystrokes::SampleVignelEnvironment vignel_environment(vignels);
  ime_shared::frontend::VignelSeams seams;
  seams.environment = &vignel_environment;
  ui->candidate_window()->SetVignelSeams(seams);
  context.engine = engine.get();
  context.ui_manager = ui.get();
  ui->AttachEngine(&context);

  int failures = 0;
  // The picker, the cursor resting on KA.
  TapWithControl(engine.get(), 'K', 11);
  auto* picker = dynamic_cast<ime_t13n::GridKeyboardWindow*>(ui->soft_keyboard());
  if (picker == nullptr || !::IsWindowVisible(picker->hwnd()) || picker->layout() == nullptr) {
    std::fprintf(stderr, "the picker did not show\n");
    ++failures;
  } else {
    const ime_t13n::SoftKeyboardLayout& layout = *picker->layout();
    int ka = 0;
    for (int i = 0; i < layout.rows * layout.columns; ++i) {
      if (std::wstring(layout.labels[i]) == L"\x0915") ka = i;
    }
    const RECT cell = picker->geometry().KeyRect(ka);
    POINT at = {(cell.left + cell.right) / 2, (cell.top + cell.bottom) / 2};
    ::ClientToScreen(picker->hwnd(), &at);
    ::SetCursorPos(at.x, at.y);
    // A disabled window hears of the mouse through WM_SETCURSOR.
    ::SendMessageW(picker->hwnd(), WM_SETCURSOR, reinterpret_cast<WPARAM>(picker->hwnd()),
                   MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
    Wait(500);
    RECT rect = {};
    ::GetWindowRect(picker->hwnd(), &rect);
    if (!picker->magnifier_drawn() || !Save(folder, L"picker", rect)) ++failures;
    TapWithControl(engine.get(), 'K', 11);
  }

  // The candidate window with the vignel.
  ::SetCursorPos(5, 5);
  for (wchar_t c : word) keystrokes::TapKey(engine.get(), c);
  Wait(300);
  const ime_shared::frontend::VignelWindow* vignel = ui->candidate_window()->vignel_window();
  if (vignel == nullptr || !::IsWindowVisible(vignel->hwnd())) {
    std::fprintf(stderr, "the vignel did not show\n");
    ++failures;
  } else {
    RECT candidates = {};
    RECT image = {};
    ::GetWindowRect(ui->candidate_window()->hwnd(), &candidates);
    ::GetWindowRect(vignel->hwnd(), &image);
    RECT both = {};
    ::UnionRect(&both, &candidates, &image);
    // With the shadow.
    both.right += 4;
    both.bottom += 4;
    if (!Save(folder, L"vignel", both)) ++failures;
  }

  ui->AttachEngine(nullptr);
  ui.reset();
  engine.reset();
  Gdiplus::GdiplusShutdown(token);
  return failures == 0 ? 0 : 1;
}
