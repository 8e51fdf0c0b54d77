// An input context for the measuring programs: it reads the composition,
// the caret and the page of candidates at every update, as the IMM32
// context does when it fills its blocks, and keeps each result.
#ifndef TOOLS_KEYSTROKES_READING_CONTEXT_H_
#define TOOLS_KEYSTROKES_READING_CONTEXT_H_

#include <string>
#include <vector>

#include "ime/shared/frontend/frontend_interfaces.h"
#include "ime/shared/frontend/key_event.h"

namespace keystrokes {

class ReadingContext : public ime_shared::ContextInterface {
 public:
  int32_t Update(uint32_t flags) override;
  bool IsTextServiceContext() const override { return false; }
  ime_shared::EngineInterface* GetEngine() override { return engine; }
  bool GetCaretRect(std::wstring* text, RECT* out) override { return false; }
  bool Reserved() override { return false; }
  bool GetFlag(int32_t index) override { return false; }

  ime_shared::EngineInterface* engine = nullptr;
  // What the last update read.
  std::wstring composition;
  int32_t caret = 0;
  std::vector<std::wstring> page;
  // Every result, in order.
  std::vector<std::wstring> results;
};

// A key as the keyboard gives it for |c| (a letter, a digit, Space).
ime_shared::KeyEvent KeyFor(wchar_t c, bool down);

// The key-down (test, then handling when eaten) and the release of |c|.
void TapKey(ime_shared::EngineInterface* engine, wchar_t c);

// The key-down and the release of |virtual_key| (giving |character|) with
// the left Ctrl held.
void TapWithControl(ime_shared::EngineInterface* engine, uint16_t virtual_key, wchar_t character);

}  // namespace keystrokes

#endif  // TOOLS_KEYSTROKES_READING_CONTEXT_H_
