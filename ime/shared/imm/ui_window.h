// The IME UI window: IMM32 makes one window of the input method's UI class
// ("ZELKORA2") per input context that shows the input method, and forwards
// it the context's WM_IME_* messages. Each window owns one UI manager (the
// candidate window, status window, character picker ...) and keeps it in
// step with the input context: which context is current, whether it is
// open, and what each update changed.
//
// The window's record keeps the HIMC it serves, never a context object: the
// context is looked up in the ContextMap for every message, so that a
// context deselected before the window hears of it is simply not found.
// Deselecting a context first detaches every UI manager that shows it
// (DetachUIManagers), so that no manager holds a freed context either.
//
// All of this runs on the thread that owns the input context and never lets
// an exception out to the system.
#ifndef IME_SHARED_IMM_UI_WINDOW_H_
#define IME_SHARED_IMM_UI_WINDOW_H_

#include <windows.h>

#include <functional>
#include <memory>

#include "ime/shared/frontend/ui_manager_interface.h"

namespace ime_shared {
namespace imm {

// The UI class of the input method, reported by ImeInquire.
extern const wchar_t kUIWindowClassName[];  // "ZELKORA2"

// Bytes of window memory of the UI class: the HIMC that IMM32 keeps at
// IMMGWLP_IMC and the window's record at IMMGWLP_PRIVATE.
constexpr int kUIWindowExtraBytes = 2 * sizeof(LONG_PTR);

// Makes the UI manager of a new UI window; null when none can be made (the
// window is then not created). The caller owns the manager.
using UIManagerFactory = std::function<UIManagerInterface*(HWND window)>;

class ImeUIWindow {
 public:
  // The window procedure of the UI class.
  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wparam,
                                     LPARAM lparam);

  // Replaces the factory of the windows' UI managers (the module installs
  // the product's; until then, and with null, no UI window can be made).
  static void SetUIManagerFactory(UIManagerFactory factory);

  // Registers the UI class for |instance| (style CS_IME, kUIWindowExtraBytes
  // of window memory, no icon, cursor or brush). The class atom (also when
  // this procedure's class is registered for |instance| already), or 0 when
  // registering fails.
  static ATOM RegisterUIClass(HINSTANCE instance);
  // Unregisters the UI class of |instance|, so that a later load of the
  // module registers it afresh with its own window procedure. False when it
  // was not registered or a window of it still exists.
  static bool UnregisterUIClass(HINSTANCE instance);

  // Detaches every UI manager that shows |himc| (AttachEngine with no
  // context) and makes its window forget the HIMC: run before the HIMC's
  // context is deleted.
  static void DetachUIManagers(HIMC himc);
  // Detaches every UI manager from its context (module unload).
  static void DetachAllUIManagers();
  // Live UI windows with a record, over all threads.
  static size_t WindowCount();

  // Set while the module is being detached from the process: windows
  // destroyed then free nothing, since the heap and the UI manager's own
  // windows may already be gone.
  static void SetProcessDetaching(bool detaching);
  static bool IsProcessDetaching();

  // The UI manager of a live UI window; null for other windows.
  static UIManagerInterface* ManagerOf(HWND window);
};

}  // namespace imm
}  // namespace ime_shared

#endif  // IME_SHARED_IMM_UI_WINDOW_H_
