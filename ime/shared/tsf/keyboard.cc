#include "ime/shared/tsf/keyboard.h"

#include <utility>

namespace ime_shared {
namespace tsf {

namespace {

bool IsPressed(const BYTE key_state[256], int virtual_key) {
  return (key_state[virtual_key] & 0x80) != 0;
}

}  // namespace

KeyEvent PackKeyEvent(WPARAM wparam, bool down, const BYTE key_state[256]) {
  KeyEvent event = {0, 0, 0};
  event.virtual_key = static_cast<uint16_t>(wparam & 0xFFFF);
  WORD buffer[2] = {0, 0};
  int produced = ::ToAscii(event.virtual_key, ::MapVirtualKeyW(event.virtual_key, 0),
                           key_state, buffer, 0);
  if (produced > 0 && buffer[0] < 0x80) event.character = buffer[0];
  if (down) event.state |= KeyEvent::kDown;
  if ((key_state[VK_CAPITAL] & 0x01) != 0) event.state |= KeyEvent::kCapsLock;
  if (IsPressed(key_state, VK_SHIFT)) event.state |= KeyEvent::kShift;
  if (IsPressed(key_state, VK_CONTROL)) event.state |= KeyEvent::kControl;
  if (IsPressed(key_state, VK_MENU)) event.state |= KeyEvent::kAlt;
  if (IsPressed(key_state, VK_LSHIFT)) event.state |= KeyEvent::kLeftShift;
  if (IsPressed(key_state, VK_LCONTROL)) event.state |= KeyEvent::kLeftControl;
  if (IsPressed(key_state, VK_RSHIFT)) event.state |= KeyEvent::kRightShift;
  if (IsPressed(key_state, VK_RCONTROL)) event.state |= KeyEvent::kRightControl;
  return event;
}

Keyboard::~Keyboard() { Unadvise(); }

HRESULT Keyboard::Advise(ITfContext* context, EngineInterface* engine,
                         std::function<bool()> can_write) {
  Unadvise();
  context_.Reset(context);
  engine_ = engine;
  can_write_ = std::move(can_write);
  return SinkAdvisor<ITfContextKeyEventSink>::Advise(context);
}

void Keyboard::Unadvise() {
  SinkAdvisor<ITfContextKeyEventSink>::Unadvise();
  context_.Reset();
  engine_ = nullptr;
  can_write_ = nullptr;
  pending_ = PendingTest();
}

void Keyboard::set_enabled(bool enabled) {
  enabled_ = enabled;
  if (!enabled) pending_ = PendingTest();
}

STDMETHODIMP Keyboard::OnKeyDown(WPARAM wparam, LPARAM lparam, BOOL* eaten) {
  return Handle(true, wparam, lparam, eaten);
}

STDMETHODIMP Keyboard::OnKeyUp(WPARAM wparam, LPARAM lparam, BOOL* eaten) {
  return Handle(false, wparam, lparam, eaten);
}

STDMETHODIMP Keyboard::OnTestKeyDown(WPARAM wparam, LPARAM lparam, BOOL* eaten) {
  return Test(true, wparam, lparam, eaten);
}

STDMETHODIMP Keyboard::OnTestKeyUp(WPARAM wparam, LPARAM lparam, BOOL* eaten) {
  return Test(false, wparam, lparam, eaten);
}

bool Keyboard::MatchesPending(bool down, WPARAM wparam, LPARAM lparam) const {
  return pending_.valid && pending_.down == down && pending_.wparam == wparam &&
         pending_.lparam == lparam;
}

HRESULT Keyboard::Test(bool down, WPARAM wparam, LPARAM lparam, BOOL* eaten) {
  if (eaten == nullptr) return E_INVALIDARG;
  *eaten = FALSE;
  HRESULT result = base::GuardComCall([&]() -> HRESULT {
    if (!enabled_ || engine_ == nullptr || !CanWrite()) {
      pending_ = PendingTest();
      return S_OK;
    }
    if (MatchesPending(down, wparam, lparam)) {
      *eaten = pending_.eaten ? TRUE : FALSE;
      return S_OK;
    }
    pending_ = PendingTest();
    BYTE key_state[256];
    if (!::GetKeyboardState(key_state)) return E_FAIL;
    const KeyEvent event = PackKeyEvent(wparam, down, key_state);
    const bool answer = engine_->ProcessKey(event);
    pending_.valid = true;
    pending_.down = down;
    pending_.wparam = wparam;
    pending_.lparam = lparam;
    pending_.eaten = answer;
    pending_.event = event;
    *eaten = answer ? TRUE : FALSE;
    return S_OK;
  });
  // Whatever failed, the key goes to the application.
  if (FAILED(result)) *eaten = FALSE;
  return result;
}

HRESULT Keyboard::Handle(bool down, WPARAM wparam, LPARAM lparam, BOOL* eaten) {
  if (eaten == nullptr) return E_INVALIDARG;
  HRESULT result = Test(down, wparam, lparam, eaten);
  // The event the test packed (now, or just before for the same key).
  // An eaten key always has its test.
  const KeyEvent event = pending_.event;
  // This key is used up: the next test of the same key is a new key (an
  // auto-repeated key arrives with the same key data).
  pending_ = PendingTest();
  if (FAILED(result) || !*eaten) return result;
  result = base::GuardComCall([&]() -> HRESULT {
    engine_->HandleKey(event);
    if (engine_ != nullptr && !CanWrite()) {
      // The document refused what the key made: the key goes to the
      // application, and the engine forgets the text nobody sees.
      *eaten = FALSE;
      if (!engine_->GetComposition().empty()) engine_->EndComposition(false);
    }
    return S_OK;
  });
  if (FAILED(result)) *eaten = FALSE;
  return result;
}

}  // namespace tsf
}  // namespace ime_shared
