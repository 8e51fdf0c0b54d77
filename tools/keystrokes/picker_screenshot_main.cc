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

#include <cstdio>
#include <string>

#include "ime/shared/settings_table.h"
#include "ime/shared/string_utils.h"
#include "ime/t13n/frontend/grid_keyboard_window.h"
#include "ime/t13n/frontend/t13n_horizontal_window.h"
#include "ime/t13n/frontend/ui_manager.h"
#include "tools/keystrokes/reading_context.h"
#include "tools/keystrokes/screen_capture.h"
#include "tools/keystrokes/window_context.h"
#include "tools/keystrokes/window_session.h"

int main(int argc, char** argv) {
  if (argc < 2 || argc > 3) {
    std::fprintf(stderr, "usage: picker_screenshot OUTPUT_FOLDER [WORD]\n");
    return 2;
  }
  const std::wstring word = ime_shared::Utf8ToWide(argc == 3 ? argv[2] : "namaste");
  const keystrokes::ScreenPictures pictures(ime_shared::Utf8ToWide(argv[1]));
  if (!pictures.Ready()) return 1;

  keystrokes::WindowSession session;
  session.settings()->SetInt(ime_shared::kSettingEnableVignel, 1);
  session.context().caret = RECT{120, 160, 122, 178};
  if (!session.Create(L"screenshot") || !session.UseSampleVignel()) return 1;
  session.Attach();
  ime_t13n::UIManager* ui = session.ui();
  ime_shared::EngineInterface* engine = session.engine();

  int failures = 0;
  // The picker, the cursor resting on KA.
  keystrokes::TapWithControl(engine, 'K', 11);
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
    keystrokes::PumpMessagesFor(500);
    RECT rect = {};
    ::GetWindowRect(picker->hwnd(), &rect);
    if (!picker->magnifier_drawn() || !pictures.Save(L"picker", rect)) {
      ++failures;
    }
    keystrokes::TapWithControl(engine, 'K', 11);
  }

  // The candidate window with the vignel.
  ::SetCursorPos(5, 5);
  for (wchar_t c : word) keystrokes::TapKey(engine, c);
  keystrokes::PumpMessagesFor(300);
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
    if (!pictures.Save(L"vignel", both)) ++failures;
  }

  return failures == 0 ? 0 : 1;
}
