// The input method's windows as the window programs drive them: an engine
// made with the engine factory (attaching it loads the installed language,
// "DataPath") and a UI manager made with the UI manager factory and the
// product's parts, over a WindowContext that leaves the candidate window to
// the input method. The candidates are drawn in "Mangal" (string setting
// "ConvertedTextFontName"), the typed text in "Arial", and the windows
// follow the caret.
#ifndef TOOLS_KEYSTROKES_WINDOW_SESSION_H_
#define TOOLS_KEYSTROKES_WINDOW_SESSION_H_

#include <windows.h>

#include <memory>
#include <string>

#include "ime/shared/frontend/frontend_interfaces.h"
#include "ime/shared/settings.h"
#include "ime/shared/testing/temp_dir.h"
#include "ime/t13n/frontend/ui_manager.h"
#include "tools/keystrokes/sample_vignel.h"
#include "tools/keystrokes/window_context.h"

namespace keystrokes {

class WindowSession {
 public:
  // Sets the fonts and the caret tracking in the settings.
  WindowSession();
  WindowSession(const WindowSession&) = delete;
  WindowSession& operator=(const WindowSession&) = delete;
  // Detaches the engine from the UI manager, then deletes the UI manager,
  // the engine and the sample vignel, in this order.
  ~WindowSession();

  // Makes the UI manager and the engine ("InstalledVersion" |version|).
  // False, with a line on stderr, when either or the candidate window is
  // missing.
  bool Create(const wchar_t* version);
  // Writes the sample vignel into a folder of the program's own and lets the
  // candidate window read vignels from there. False, with a line on stderr,
  // when it cannot be written.
  bool UseSampleVignel();
  // Attaches the engine to the UI manager through the context.
  void Attach();

  ime_shared::Settings* settings() const { return settings_; }
  WindowContext& context() { return context_; }
  ime_t13n::UIManager* ui() const { return ui_.get(); }
  ime_shared::EngineInterface* engine() const { return engine_.get(); }
  // Null until UseSampleVignel succeeded.
  const SampleVignelEnvironment* vignel_environment() const { return vignel_environment_.get(); }

 private:
  ime_shared::Settings* settings_;
  std::unique_ptr<ime_testing::TempDir> vignel_root_;
  std::unique_ptr<SampleVignelEnvironment> vignel_environment_;
  WindowContext context_;
  std::unique_ptr<ime_t13n::UIManager> ui_;
  std::unique_ptr<ime_shared::EngineInterface> engine_;
  bool attached_ = false;
};

}  // namespace keystrokes

#endif  // TOOLS_KEYSTROKES_WINDOW_SESSION_H_
