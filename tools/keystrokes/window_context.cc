#include "tools/keystrokes/window_context.h"

#include "ime/shared/testing/measurement.h"

namespace keystrokes {

int32_t WindowContext::Update(uint32_t flags) {
  if (engine != nullptr && (flags & ime_shared::kUpdateResult) != 0 &&
      !engine->GetResult().empty()) {
    results.push_back(engine->GetResult());
  }
  if (ui_manager != nullptr) {
    const double start = ime_testing::Now();
    ui_manager->Update(flags);
    update_seconds_ += ime_testing::Now() - start;
  }
  return 1;
}

bool WindowContext::GetCaretRect(std::wstring* text, RECT* out) {
  if (text != nullptr) text->clear();
  if (out != nullptr) *out = caret;
  return true;
}

double WindowContext::TakeUpdateSeconds() {
  const double seconds = update_seconds_;
  update_seconds_ = 0;
  return seconds;
}

void PumpMessages() {
  MSG message;
  while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    ::TranslateMessage(&message);
    ::DispatchMessageW(&message);
  }
}

void PumpMessagesFor(DWORD ms) {
  const ULONGLONG end = ::GetTickCount64() + ms;
  while (::GetTickCount64() < end) {
    PumpMessages();
    ::Sleep(10);
  }
}

}  // namespace keystrokes
