// The candidate window of the transliteration input method: the generic
// candidate window with its fonts taken from the transliteration settings
// (face names "EnglishFontName" and "ConvertedTextFontName", sizes in
// points "T13nEnglishFontSize" and "T13nConvertedTextFontSize"), its page
// buttons and candidate menu run through the transliteration engine.
#ifndef IME_T13N_FRONTEND_T13N_HORIZONTAL_WINDOW_H_
#define IME_T13N_FRONTEND_T13N_HORIZONTAL_WINDOW_H_

#include <cstdint>
#include <string>

#include "ime/shared/frontend/horizontal_window.h"
#include "ime/t13n/frontend/candidate_context_menu.h"

namespace ime_t13n {

class T13nEngine;

class T13nHorizontalWindow : public ime_shared::frontend::HorizontalWindow {
 public:
  explicit T13nHorizontalWindow(ime_shared::SettingsInterface* settings);
  ~T13nHorizontalWindow() override;

  // Creates the window (see HorizontalWindow::Create); the candidate menu
  // loads from the same module.
  bool Create(HINSTANCE module, ime_shared::MenuInterface* main_menu);
  // Binds the context and its engine (either may be null): the rows, the
  // candidate menu and the page buttons use the engine from now on.
  void Attach(ime_shared::ContextInterface* context, T13nEngine* engine);

  // Rebuilds a font only when its face or size setting changed; loads the
  // button and logo images the first time.
  void Refresh() override;

  // Seams of the candidate menu (borrowed; null restores the system's).
  void SetCandidateMenuSeams(ime_shared::frontend::MenuTrackerInterface* tracker,
                             ime_shared::UserNameInterface* user_name);

 protected:
  bool RunCommand(const ime_shared::CommandInterface& command, uint32_t extra_flags) override;
  void OpenCandidateMenu(int index, POINT screen) override;

 private:
  T13nEngine* t13n_engine_ = nullptr;
  CandidateContextMenu candidate_menu_;
  // What the fonts were made for; -1 none yet.
  std::wstring english_face_;
  std::wstring converted_face_;
  int english_size_ = -1;
  int converted_size_ = -1;
  bool images_loaded_ = false;
};

}  // namespace ime_t13n

#endif  // IME_T13N_FRONTEND_T13N_HORIZONTAL_WINDOW_H_
