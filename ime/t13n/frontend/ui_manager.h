// The owner of every window the input method draws itself: the candidate
// window, the floating status window, the character picker, the main menu
// and the language-bar buttons. The integration layer makes one per IMM32
// UI window (or per TSF thread), tells it which input context is current
// and passes on the engine's update flags; the UI manager turns them into
// window refreshes. It holds no text of its own.
#ifndef IME_T13N_FRONTEND_UI_MANAGER_H_
#define IME_T13N_FRONTEND_UI_MANAGER_H_

#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>

#include "ime/shared/frontend/ui_manager_interface.h"
#include "ime/t13n/frontend/ui_parts.h"

namespace ime_shared {
class ContextInterface;
class SettingsInterface;
}  // namespace ime_shared

namespace ime_t13n {

class T13nEngine;
class T13nHorizontalWindow;

class UIManager : public ime_shared::UIManagerInterface {
 public:
  // Makes the parts in this order: language bar, status window, main menu,
  // candidate window; creates the candidate window's and then the status
  // window's window (a status window that cannot be created is dropped);
  // last binds the language bar to the menu, |module| and |text_service|.
  // Nothing is shown. |owner| is the IMM32 UI window (null under TSF);
  // |settings| is borrowed; |module| (null: the binary this code is linked
  // into) holds the windows' resources.
  UIManager(HWND owner, ime_shared::SettingsInterface* settings, HINSTANCE module,
            const UIParts& parts, const GUID& text_service);
  // Takes the language-bar buttons away and unbinds the bar, destroys the
  // status and candidate windows and the character picker's window, then
  // deletes the main menu, the language bar and the character picker.
  ~UIManager() override;
  UIManager(const UIManager&) = delete;
  UIManager& operator=(const UIManager&) = delete;

  // UIManagerInterface.
  // Nothing when |context| and the engine it gives now are the ones
  // attached. Otherwise every part gets them, and everything is refreshed
  // (Update with 63). An engine other than the transliteration engine
  // counts as none.
  void AttachEngine(ime_shared::ContextInterface* context) override;
  // Option 16 (show or hide the status window) is recorded in the status
  // window; others are ignored.
  void SetOption(int32_t option, int32_t value) override;
  // Without a context the character picker hides; bits 0x1-0x8 show, move
  // or hide the candidate window; 0x10 refreshes the status window, then
  // the language bar; 0x20 makes the character picker on first use and
  // refreshes it.
  void Update(uint32_t flags) override;
  // Moves the candidate window to the context's caret rectangle.
  bool GetCandidateRect() override;

  ime_shared::ContextInterface* context() const { return context_; }
  T13nEngine* engine() const { return engine_; }
  // The windows and parts, null when absent.
  T13nHorizontalWindow* candidate_window() const { return candidate_window_; }
  StatusWindowInterface* status_window() const { return status_window_; }
  SoftKeyboardInterface* soft_keyboard() const { return soft_keyboard_.get(); }
  MainMenuInterface* main_menu() const { return main_menu_.get(); }
  LanguageBarInterface* language_bar() const { return language_bar_.get(); }
  HWND owner() const { return owner_; }

 private:
  // Makes the character picker if it does not exist yet; false when it
  // cannot be made (a later request tries again).
  bool EnsureSoftKeyboard();

  HWND owner_;
  ime_shared::ContextInterface* context_ = nullptr;
  T13nEngine* engine_ = nullptr;
  ime_shared::SettingsInterface* settings_;
  HINSTANCE module_;
  UIParts parts_;
  std::unique_ptr<SoftKeyboardInterface> soft_keyboard_;
  std::unique_ptr<LanguageBarInterface> language_bar_;
  // Owned through their windows: each deletes itself with its window.
  StatusWindowInterface* status_window_ = nullptr;
  std::unique_ptr<MainMenuInterface> main_menu_;
  T13nHorizontalWindow* candidate_window_ = nullptr;
};

// What the UI manager factory makes a UI manager over. The product's comes
// from the installation; tests give their own.
struct UIManagerEnvironment {
  ime_shared::SettingsInterface* settings = nullptr;
  // "InstalledVersion"; nothing is made while it is empty.
  std::wstring installed_version;
  // The binary holding the windows' resources; null: the one this code is
  // linked into.
  HINSTANCE module = nullptr;
  UIParts parts;
  // The class identifier of the text service of the build's language.
  GUID text_service = GUID();
};

// The UI manager of the IMM32 UI window |window| (null under TSF), over the
// product's installation: null when the product is not installed (no
// "InstalledVersion") or the settings store cannot be had. The caller owns
// it.
ime_shared::UIManagerInterface* CreateUIManager(HWND window);
// The same over |environment| (null settings: none can be had).
ime_shared::UIManagerInterface* CreateUIManager(HWND window,
                                                const UIManagerEnvironment& environment);

}  // namespace ime_t13n

#endif  // IME_T13N_FRONTEND_UI_MANAGER_H_
