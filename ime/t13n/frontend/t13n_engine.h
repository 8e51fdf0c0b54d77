// The transliteration engine, the only engine the input method makes: the
// generic engine completed with the handler's mode word, the properties the
// menus and buttons set, the hot keys and the attachment of a core. Also the
// factory that makes an engine for a new input context.
#ifndef IME_T13N_FRONTEND_T13N_ENGINE_H_
#define IME_T13N_FRONTEND_T13N_ENGINE_H_

#include <cstdint>
#include <string>
#include <vector>

#include "ime/shared/frontend/engine.h"
#include "ime/t13n/frontend/core_interface_impl.h"
#include "ime/t13n/frontend/soft_keyboard_layout.h"
#include "ime/t13n/frontend/t13n_module_master.h"

namespace ime_shared {
class T13nCandidateInterface;
}  // namespace ime_shared

namespace ime_t13n {

class T13nEngine : public ime_shared::frontend::Engine,
                   public ime_shared::T13nFrontendInterface {
 public:
  T13nEngine(ime_shared::ContextInterface* context,
             ime_shared::SettingsInterface* settings);
  ~T13nEngine() override;

  // EngineInterface.
  // |which| 1 (sentence mode) is always false; otherwise whether
  // transliteration is on.
  bool GetConversionMode(int32_t which) const override;
  // Ignores its arguments: the context re-reads the mode (update 0x10).
  void SetConversionMode(int32_t which, int32_t value) override;

  // FrontendInterface.
  bool SetCandidates(ime_shared::CandidateInterface* candidates) override;
  bool SetMode(int32_t mode) override;

  // T13nFrontendInterface.
  void SetSchemeList(const std::vector<std::wstring>& names) override;

  // Engine. Setting a property to its current value does nothing; any
  // other change sends the property's command and updates the context with
  // the pending flags and 0x0C, answering what the context answers.
  int32_t SetProperty(int index, int32_t value) override;
  // The process-wide language index stands in for the layout index.
  void SetLayoutIndex(int32_t index) override;
  int32_t GetLayoutIndex() const override;
  bool IsCandidateFlagged(int32_t i) const override;
  // Makes |core| the engine's (a different one replaces and deletes the
  // held core), then sends the attach command and the page-size command;
  // answers the second.
  int32_t AttachCore(ime_shared::CoreInterface* core) override;
  // The keyboard-layout typing path is off.
  bool IsLayoutKey(const ime_shared::KeyEvent& key) override { return false; }
  bool TypeLayoutKey(const ime_shared::KeyEvent& key) override {
    return false;
  }

  // SetProperty(index, property is 0).
  int32_t ToggleProperty(int index);
  void SetLanguageIndex(int32_t index) { SetLayoutIndex(index); }
  int32_t GetLanguageIndex() const { return GetLayoutIndex(); }

  // For the windows: runs |command| through the core, then updates the
  // context with the pending flags or-ed with |extra_flags| (0x0C for the
  // paging and picker keys, 0 for "Delete") and clears them.
  bool ExecuteAndUpdate(const ime_shared::CommandInterface& command,
                        uint32_t extra_flags);
  const std::vector<std::wstring>& scheme_names() const {
    return scheme_names_;
  }
  std::vector<SoftKeyboardLayout>& soft_keyboard_layouts() {
    return soft_keyboard_layouts_;
  }
  const std::vector<SoftKeyboardLayout>& soft_keyboard_layouts() const {
    return soft_keyboard_layouts_;
  }

 protected:
  // Esc (while composing or with the picker shown) cancels and hides the
  // picker; F12 and Ctrl+G toggle transliteration, Ctrl+K the picker,
  // Ctrl+M the custom scheme. Key-downs only.
  bool FilterHotKey(const ime_shared::KeyEvent& key, bool* answer) override;

 private:
  std::vector<SoftKeyboardLayout> soft_keyboard_layouts_;
  ime_shared::T13nCandidateInterface* flagged_view_ = nullptr;
  std::vector<std::wstring> scheme_names_;
};

// What the engine factory makes an engine over. Product() reads the
// installation's values and makes the process's settings store; tests give
// their own.
struct EngineEnvironment {
  ime_shared::SettingsInterface* settings = nullptr;
  // "InstalledVersion"; nothing is made while it is empty.
  std::wstring installed_version;
  // "T13nSupportedLanguages".
  uint32_t supported_mask = 0;
  HandlerMaker handler_maker;
  CorePlaces places = CorePlaces::Process();
};

// The handler maker of the product's cores.
HandlerMaker DefaultHandlerMaker();

// An engine for |context| over the product's installation, or null when
// the product is not installed (no "InstalledVersion") or no core could be
// made. The caller owns it.
ime_shared::EngineInterface* CreateT13nEngine(
    ime_shared::ContextInterface* context);
// The same over |environment|.
ime_shared::EngineInterface* CreateT13nEngine(
    ime_shared::ContextInterface* context,
    const EngineEnvironment& environment);

}  // namespace ime_t13n

#endif  // IME_T13N_FRONTEND_T13N_ENGINE_H_
