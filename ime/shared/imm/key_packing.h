// Builds the engine's key event from what IMM32 gives an input method: a
// virtual key and the 256-byte keyboard state.
#ifndef IME_SHARED_IMM_KEY_PACKING_H_
#define IME_SHARED_IMM_KEY_PACKING_H_

#include <windows.h>

#include <cstdint>

#include "ime/shared/frontend/key_event.h"

namespace ime_shared {
namespace imm {

// The state bits of a key event read from |key_state| (the high bit of an
// entry: the key is down; the low bit of VK_CAPITAL: Caps Lock is on), with
// the key-down bit as given.
uint32_t KeyStateBits(const BYTE* key_state, bool down);

// Whether |virtual_key| is down in |key_state|.
inline bool IsKeyDown(const BYTE* key_state, UINT virtual_key) {
  return (key_state[virtual_key & 0xFF] & 0x80) != 0;
}

// The key event of |virtual_key| (its low 16 bits), with the character the
// keyboard gives for it: the first unit the desktop policy's ToAscii
// produces, or 0 when it produces none or one above 127.
template <typename DesktopPolicy>
KeyEvent PackKey(UINT virtual_key, const BYTE* key_state, bool down) {
  KeyEvent event;
  event.virtual_key = static_cast<uint16_t>(virtual_key & 0xFFFF);
  event.character = 0;
  event.state = KeyStateBits(key_state, down);
  WORD buffer[2] = {0, 0};
  const int produced = DesktopPolicy::ToAscii(
      event.virtual_key, DesktopPolicy::ScanCodeOf(event.virtual_key),
      key_state, buffer);
  if (produced >= 1 && buffer[0] <= 127) event.character = buffer[0];
  return event;
}

}  // namespace imm
}  // namespace ime_shared

#endif  // IME_SHARED_IMM_KEY_PACKING_H_
