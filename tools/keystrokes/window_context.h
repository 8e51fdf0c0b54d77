// An input context for the programs that show the candidate window: it
// leaves the candidate window to the input method, places it at a fixed
// caret rectangle and passes every update on to its UI manager, timing each
// pass.
#ifndef TOOLS_KEYSTROKES_WINDOW_CONTEXT_H_
#define TOOLS_KEYSTROKES_WINDOW_CONTEXT_H_

#include <windows.h>

#include <string>
#include <vector>

#include "ime/shared/frontend/frontend_interfaces.h"
#include "ime/shared/frontend/ui_manager_interface.h"

namespace keystrokes {

class WindowContext : public ime_shared::ContextInterface {
 public:
  int32_t Update(uint32_t flags) override;
  bool IsTextServiceContext() const override { return false; }
  ime_shared::EngineInterface* GetEngine() override { return engine; }
  bool GetCaretRect(std::wstring* text, RECT* out) override;
  bool Reserved() override { return false; }
  // The application leaves the candidate window to the input method.
  bool GetFlag(int32_t index) override { return index == 2; }

  // Seconds spent in the UI manager's Update since the last call.
  double TakeUpdateSeconds();

  ime_shared::EngineInterface* engine = nullptr;
  ime_shared::UIManagerInterface* ui_manager = nullptr;
  RECT caret = {100, 100, 102, 118};
  // Every result, in order.
  std::vector<std::wstring> results;

 private:
  double update_seconds_ = 0;
};

// Dispatches the messages waiting in this thread's queue.
void PumpMessages();
// Dispatches this thread's messages for |ms| milliseconds, so that the
// windows paint and their timers fire.
void PumpMessagesFor(DWORD ms);

}  // namespace keystrokes

#endif  // TOOLS_KEYSTROKES_WINDOW_CONTEXT_H_
