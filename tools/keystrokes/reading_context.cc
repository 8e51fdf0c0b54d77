#include "tools/keystrokes/reading_context.h"

namespace keystrokes {

int32_t ReadingContext::Update(uint32_t flags) {
  if (engine == nullptr) return 0;
  composition = engine->GetComposition();
  caret = engine->GetCaret();
  page.clear();
  for (int32_t i = 0; i < engine->CandidateCount(); ++i) {
    page.push_back(engine->CandidateAt(i));
  }
  if ((flags & ime_shared::kUpdateResult) != 0 &&
      !engine->GetResult().empty()) {
    results.push_back(engine->GetResult());
  }
  return 1;
}

ime_shared::KeyEvent KeyFor(wchar_t c, bool down) {
  ime_shared::KeyEvent key = {0, static_cast<uint16_t>(c), 0};
  if (c >= L'a' && c <= L'z') {
    key.virtual_key = static_cast<uint16_t>(c - L'a' + L'A');
  } else if (c >= L'A' && c <= L'Z') {
    key.virtual_key = static_cast<uint16_t>(c);
    key.state |= ime_shared::KeyEvent::kShift | ime_shared::KeyEvent::kLeftShift;
  } else if (c == L' ') {
    key.virtual_key = ime_shared::vk::kSpace;
  } else {
    key.virtual_key = static_cast<uint16_t>(c);
  }
  if (down) key.state |= ime_shared::KeyEvent::kDown;
  return key;
}

void TapKey(ime_shared::EngineInterface* engine, wchar_t c) {
  const ime_shared::KeyEvent down = KeyFor(c, true);
  if (engine->ProcessKey(down)) engine->HandleKey(down);
  const ime_shared::KeyEvent up = KeyFor(c, false);
  if (engine->ProcessKey(up)) engine->HandleKey(up);
}

void TapWithControl(ime_shared::EngineInterface* engine, uint16_t virtual_key, wchar_t character) {
  ime_shared::KeyEvent key = {virtual_key, static_cast<uint16_t>(character),
                              ime_shared::KeyEvent::kDown | ime_shared::KeyEvent::kControl |
                                  ime_shared::KeyEvent::kLeftControl};
  if (engine->ProcessKey(key)) engine->HandleKey(key);
  key.state = 0;
  if (engine->ProcessKey(key)) engine->HandleKey(key);
}

}  // namespace keystrokes
