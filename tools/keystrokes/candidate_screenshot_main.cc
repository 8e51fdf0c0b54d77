// Pictures of the candidate window and the status window as the screen
// shows them:
//
//   candidate_screenshot OUTPUT_FOLDER WORD...
//
// An engine is made with the engine factory (attaching it loads the
// installed language, "DataPath") and a UI manager with the UI manager
// factory, over a context that leaves the candidate window to the input
// method. Each word is typed key by key; the window's rectangle is then
// copied from the screen and written as OUTPUT_FOLDER\WORD.png, and the
// word is cancelled. The candidates are drawn in "Mangal" (string setting
// "ConvertedTextFontName"), the typed text in "Arial". One line per picture:
//   WORD: PATH WIDTHxHEIGHT candidates=N
// Then the status window, as it shows with transliteration on, off, and
// minimised with the small images, as OUTPUT_FOLDER\status_on.png,
// status_off.png and status_small.png:
//   status_on: PATH WIDTHxHEIGHT
#include <windows.h>

#include <cstdio>
#include <string>

#include "ime/shared/settings_table.h"
#include "ime/shared/string_utils.h"
#include "ime/t13n/frontend/status_window.h"
#include "ime/t13n/frontend/t13n_engine.h"
#include "ime/t13n/frontend/t13n_horizontal_window.h"
#include "ime/t13n/frontend/ui_manager.h"
#include "tools/keystrokes/reading_context.h"
#include "tools/keystrokes/screen_capture.h"
#include "tools/keystrokes/window_context.h"
#include "tools/keystrokes/window_session.h"

namespace {

// Saves the status window as OUTPUT_FOLDER\NAME.png; false when it is not
// shown or cannot be saved.
bool SaveStatusWindow(ime_t13n::UIManager* ui, const keystrokes::ScreenPictures& pictures,
                      const std::wstring& name) {
  auto* status = dynamic_cast<ime_t13n::StatusWindow*>(ui->status_window());
  if (status == nullptr) {
    std::printf("%s: (no status window)\n", ime_shared::WideToUtf8(name).c_str());
    return false;
  }
  status->Refresh();
  keystrokes::PumpMessagesFor(200);
  RECT rect = {};
  ::GetWindowRect(status->hwnd(), &rect);
  return pictures.Save(name, rect, ::IsWindowVisible(status->hwnd()));
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: candidate_screenshot OUTPUT_FOLDER WORD...\n");
    return 2;
  }
  const keystrokes::ScreenPictures pictures(ime_shared::Utf8ToWide(argv[1]));
  if (!pictures.Ready()) return 1;

  keystrokes::WindowSession session;
  if (!session.Create(L"screenshot")) return 1;
  session.Attach();
  ime_shared::Settings* settings = session.settings();
  ime_t13n::UIManager* ui = session.ui();
  ime_shared::EngineInterface* engine = session.engine();

  int failures = 0;
  for (int i = 2; i < argc; ++i) {
    const std::wstring word = ime_shared::Utf8ToWide(argv[i]);
    // The mouse stays off the window, so that no cell is drawn hovered.
    ::SetCursorPos(5, 5);
    for (wchar_t c : word) keystrokes::TapKey(engine, c);
    keystrokes::PumpMessagesFor(300);
    HWND window = ui->candidate_window()->hwnd();
    RECT rect = {};
    ::GetWindowRect(window, &rect);
    const std::string candidates =
        " candidates=" + std::to_string(static_cast<int>(engine->CandidateCount()));
    if (!pictures.Save(word, rect, ::IsWindowVisible(window), candidates)) {
      ++failures;
    }
    // Esc cancels the word.
    keystrokes::TapKey(engine, L'\x1B');
    keystrokes::PumpMessagesFor(100);
  }
  // The status window, away from the mouse, with every button it can show.
  auto* t13n_engine = static_cast<ime_t13n::T13nEngine*>(engine);
  const uint32_t layout = settings->GetInt(ime_shared::kSettingStatusPanelLayout);
  settings->SetInt(ime_shared::kSettingStatusPanelLayout, 0);
  if (!SaveStatusWindow(ui, pictures, L"status_on")) ++failures;
  t13n_engine->SetProperty(ime_shared::frontend::kPropertyTransliterationOn, 0);
  if (!SaveStatusWindow(ui, pictures, L"status_off")) ++failures;
  t13n_engine->SetProperty(ime_shared::frontend::kPropertyTransliterationOn, 1);
  settings->SetInt(ime_shared::kSettingStatusPanelLayout, 3);
  if (!SaveStatusWindow(ui, pictures, L"status_small")) ++failures;
  settings->SetInt(ime_shared::kSettingStatusPanelLayout, layout);
  return failures == 0 ? 0 : 1;
}
