// The key sink of a bound TSF context: each key the host reports is packed
// into a KeyEvent from the thread's keyboard state and given to the engine,
// which first says whether it eats the key (the test) and then handles it.
//
// Hosts differ in how they call the sink: some test a key twice, some send
// the key-down without a test. The engine's test has effects of its own,
// so it runs once per key: a key-down or key-up uses the answer of the test
// just made for the same key (same direction, virtual key and key data), a
// repeated test reuses that answer, and a key without a test is tested once.
//
// Keys are eaten only while the engine's text can reach the document: when
// the document refuses it, the key that found out goes to the application
// after all, and so do the keys after it (the key sink fails open).
//
// The object is owned by the context (AddRef and Release count nothing).
#ifndef IME_SHARED_TSF_KEYBOARD_H_
#define IME_SHARED_TSF_KEYBOARD_H_

#include <windows.h>

#include <cstdint>
#include <functional>

#include "ime/shared/base/com_object.h"
#include "ime/shared/base/com_ptr.h"
#include "ime/shared/base/tsf_declarations.h"
#include "ime/shared/frontend/frontend_interfaces.h"
#include "ime/shared/frontend/key_event.h"
#include "ime/shared/tsf/sink_advisor.h"

namespace ime_shared {
namespace tsf {

// The key event of virtual key |wparam| (its low 16 bits) in keyboard state
// |key_state| (256 entries, as GetKeyboardState fills them): the character
// ToAscii gives (0 when none or not ASCII) and the state bits.
KeyEvent PackKeyEvent(WPARAM wparam, bool down, const BYTE key_state[256]);

class Keyboard : public base::StackComObject<ITfContextKeyEventSink>,
                 public SinkAdvisor<ITfContextKeyEventSink> {
 public:
  Keyboard() = default;
  ~Keyboard() override;

  // Keeps |context| and |engine| (borrowed) and advises the key sink on the
  // context. |can_write| tells whether the engine's text can reach the
  // document (none: always). The result of the advise.
  HRESULT Advise(ITfContext* context, EngineInterface* engine,
                 std::function<bool()> can_write = nullptr);
  // Unadvises and drops the context and the engine.
  void Unadvise();

  // Keys are looked at only while enabled (the document takes keys).
  void set_enabled(bool enabled);
  bool enabled() const { return enabled_; }

  // ITfContextKeyEventSink. Every call answers E_INVALIDARG for a null
  // |eaten| and E_FAIL when the keyboard state cannot be read; a key the
  // engine does not eat is left to the application.
  STDMETHODIMP OnKeyDown(WPARAM wparam, LPARAM lparam, BOOL* eaten) override;
  STDMETHODIMP OnKeyUp(WPARAM wparam, LPARAM lparam, BOOL* eaten) override;
  STDMETHODIMP OnTestKeyDown(WPARAM wparam, LPARAM lparam, BOOL* eaten) override;
  STDMETHODIMP OnTestKeyUp(WPARAM wparam, LPARAM lparam, BOOL* eaten) override;

 private:
  // The last test that no key-down or key-up has used yet, with the key
  // event it packed (the key-down hands the same event to the engine:
  // reading the character again costs as much as the rest of the key under
  // Wine).
  struct PendingTest {
    bool valid = false;
    bool down = false;
    WPARAM wparam = 0;
    LPARAM lparam = 0;
    bool eaten = false;
    KeyEvent event = {0, 0, 0};
  };

  HRESULT Test(bool down, WPARAM wparam, LPARAM lparam, BOOL* eaten);
  HRESULT Handle(bool down, WPARAM wparam, LPARAM lparam, BOOL* eaten);
  bool MatchesPending(bool down, WPARAM wparam, LPARAM lparam) const;
  bool CanWrite() const { return !can_write_ || can_write_(); }

  base::ComPtr<ITfContext> context_;
  EngineInterface* engine_ = nullptr;
  std::function<bool()> can_write_;
  bool enabled_ = false;
  PendingTest pending_;
};

}  // namespace tsf
}  // namespace ime_shared

#endif  // IME_SHARED_TSF_KEYBOARD_H_
