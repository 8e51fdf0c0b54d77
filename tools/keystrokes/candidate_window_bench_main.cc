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

#include <algorithm>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "ime/shared/frontend/supported_language_set.h"
#include "ime/shared/language_identity.h"
#include "ime/shared/settings.h"
#include "ime/shared/settings_table.h"
#include "ime/shared/string_utils.h"
#include "ime/shared/testing/temp_dir.h"
#include "ime/t13n/frontend/grid_keyboard_window.h"
#include "ime/t13n/frontend/status_window.h"
#include "ime/t13n/frontend/t13n_engine.h"
#include "ime/t13n/frontend/t13n_horizontal_window.h"
#include "ime/t13n/frontend/ui_manager.h"
#include "tools/keystrokes/reading_context.h"
#include "tools/keystrokes/sample_vignel.h"
#include "tools/keystrokes/window_context.h"

namespace {

double Percentile(std::vector<double> values, double p) {
  if (values.empty()) return 0;
  std::sort(values.begin(), values.end());
  const size_t index =
      std::min(values.size() - 1, static_cast<size_t>(p * (values.size() - 1) + 0.5));
  return values[index];
}

// The Latin column of each row of the lexicon: Devanagari, Latin, count.
std::vector<std::wstring> LatinWords(const std::string& text) {
  std::vector<std::wstring> words;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    const std::string line = text.substr(start, end - start);
    start = end + 1;
    const size_t tab = line.find('\t');
    if (tab == std::string::npos) continue;
    const size_t tab2 = line.find('\t', tab + 1);
    std::wstring latin = ime_shared::Utf8ToWide(
        line.substr(tab + 1, tab2 == std::string::npos ? std::string::npos : tab2 - tab - 1));
    if (!latin.empty() && latin.back() == L'\r') latin.pop_back();
    if (!latin.empty()) words.push_back(latin);
  }
  return words;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: candidate_window_bench LEXICON.tsv\n");
    return 2;
  }
  std::string text;
  if (!ime_testing::ReadFileBytes(ime_shared::Utf8ToWide(argv[1]), &text)) {
    std::fprintf(stderr, "cannot read %s\n", argv[1]);
    return 1;
  }
  const std::vector<std::wstring> words = LatinWords(text);

  ime_shared::Settings* settings = ime_shared::Settings::GetInstance();
  settings->SetString(0, L"Arial");
  settings->SetString(1, L"Mangal");
  settings->SetInt(ime_shared::kSettingCaretTrack, 1);

  keystrokes::WindowContext context;
  ime_t13n::UIManagerEnvironment ui_environment;
  ui_environment.settings = settings;
  ui_environment.installed_version = L"bench";
  ui_environment.parts = ime_t13n::ProductUIParts();
  ui_environment.text_service = ime_shared::InputMethod::kTextServiceClsid;
  std::unique_ptr<ime_t13n::UIManager> ui(
      static_cast<ime_t13n::UIManager*>(ime_t13n::CreateUIManager(nullptr, ui_environment)));

  ime_t13n::EngineEnvironment environment;
  environment.settings = settings;
  environment.installed_version = L"bench";
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
  // Ctrl+K shows the character picker.
  ime_shared::KeyEvent control_k = {'K', 11,
                                    ime_shared::KeyEvent::kDown | ime_shared::KeyEvent::kControl |
                                        ime_shared::KeyEvent::kLeftControl};
  if (engine->ProcessKey(control_k)) engine->HandleKey(control_k);
  control_k.state = 0;
  if (engine->ProcessKey(control_k)) engine->HandleKey(control_k);
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
      keystrokes::TapKey(engine.get(), c);
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
              vignel_environment.file_operations());
  std::printf(
      "ui_p50_us=%.1f ui_p99_us=%.1f ui_max_us=%.1f keystrokes=%zu drawing_objects_first=%d "
      "drawing_objects_end=%d\n",
      Percentile(update_us, 0.5), Percentile(update_us, 0.99), Percentile(update_us, 1.0),
      update_us.size(), objects_first, objects_end);
  ui->AttachEngine(nullptr);
  ui.reset();
  engine.reset();
  return 0;
}
