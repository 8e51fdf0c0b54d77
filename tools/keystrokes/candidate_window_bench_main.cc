// Times the UI manager's part of every keystroke with the candidate window
// on screen:
//
//   candidate_window_bench LEXICON.tsv
//
// An engine is made with the engine factory (attaching it loads the
// installed language, "DataPath") and a UI manager with the UI manager
// factory and the product's parts, over a context that leaves the candidate
// window to the input method and passes every update on to the UI manager.
// Besides the candidate window (and the status window) the character
// picker is shown (Ctrl+K; its images come from the product's folder, where
// the script puts them) and a vignel is scheduled for now (in a folder of
// the program's own), so that its image stands beside the candidate window
// while typing. Every Latin word of
// the lexicon is typed key by key (a key-down, tested then handled, and a
// release) and committed with Space. Per keystroke (down and release), the
// time spent in UIManager::Update is summed; p50, p99 and max are printed
// over the keystrokes that updated the windows. The fonts, image lists and
// skins the candidate window has made are counted after the first word and
// at the end: they are made at the first show only. The line before the
// last tells whether the picker and the vignel were shown and how many file
// operations the vignel store made over all the keystrokes. The last line is
//   ui_p50_us=F ui_p99_us=F ui_max_us=F keystrokes=N drawing_objects_first=N
//   drawing_objects_end=N
// (one line).
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "ime/shared/string_utils.h"
#include "ime/shared/testing/lexicon_words.h"
#include "ime/shared/testing/measurement.h"
#include "ime/t13n/frontend/grid_keyboard_window.h"
#include "ime/t13n/frontend/status_window.h"
#include "ime/t13n/frontend/t13n_horizontal_window.h"
#include "ime/t13n/frontend/ui_manager.h"
#include "tools/keystrokes/reading_context.h"
#include "tools/keystrokes/window_context.h"
#include "tools/keystrokes/window_session.h"

using ime_testing::Percentile;

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: candidate_window_bench LEXICON.tsv\n");
    return 2;
  }
  std::vector<std::wstring> words;
  if (!ime_testing::ReadLexiconLatinWords(ime_shared::Utf8ToWide(argv[1]), &words)) {
    std::fprintf(stderr, "cannot read %s\n", argv[1]);
    return 1;
  }

  keystrokes::WindowSession session;
  if (!session.Create(L"bench") || !session.UseSampleVignel()) return 1;
  session.Attach();
  keystrokes::WindowContext& context = session.context();
  ime_t13n::UIManager* ui = session.ui();
  ime_shared::EngineInterface* engine = session.engine();
  // Ctrl+K shows the character picker.
  keystrokes::TapWithControl(engine, 'K', 11);
  auto* picker = dynamic_cast<ime_t13n::GridKeyboardWindow*>(ui->soft_keyboard());
  const bool picker_shown = picker != nullptr && ::IsWindowVisible(picker->hwnd());
  auto* status = dynamic_cast<ime_t13n::StatusWindow*>(ui->status_window());
  const bool status_shown = status != nullptr && ::IsWindowVisible(status->hwnd());
  context.TakeUpdateSeconds();
  // The mouse stays off the window.
  ::SetCursorPos(5, 5);

  std::vector<double> update_us;
  int shown_keystrokes = 0;
  int vignel_keystrokes = 0;
  int objects_first = -1;
  for (const std::wstring& word : words) {
    for (wchar_t c : word + L" ") {
      keystrokes::TapKey(engine, c);
      const double seconds = context.TakeUpdateSeconds();
      if (seconds > 0) update_us.push_back(seconds * 1e6);
      if (::IsWindowVisible(ui->candidate_window()->hwnd())) ++shown_keystrokes;
      const ime_shared::frontend::VignelWindow* vignel = ui->candidate_window()->vignel_window();
      if (vignel != nullptr && ::IsWindowVisible(vignel->hwnd())) ++vignel_keystrokes;
      keystrokes::PumpMessages();
    }
    if (objects_first < 0) objects_first = ui->candidate_window()->drawing_objects_made();
  }
  const int objects_end = ui->candidate_window()->drawing_objects_made();
  std::printf("words=%zu committed=%zu keystrokes_with_window=%d\n", words.size(),
              context.results.size(), shown_keystrokes);
  std::printf("picker_shown=%d status_window=%d keystrokes_with_vignel=%d "
              "vignel_file_operations=%d\n",
              picker_shown ? 1 : 0, status_shown ? 1 : 0, vignel_keystrokes,
              session.vignel_environment()->file_operations());
  std::printf(
      "ui_p50_us=%.1f ui_p99_us=%.1f ui_max_us=%.1f keystrokes=%zu drawing_objects_first=%d "
      "drawing_objects_end=%d\n",
      Percentile(update_us, 0.5), Percentile(update_us, 0.99), Percentile(update_us, 1.0),
      update_us.size(), objects_first, objects_end);
  return 0;
}
