#include "ime/shared/imm/key_packing.h"

namespace ime_shared {
namespace imm {

uint32_t KeyStateBits(const BYTE* key_state, bool down) {
  struct Bit {
    UINT virtual_key;
    uint32_t bit;
  };
  static constexpr Bit kDownBits[] = {
      {VK_SHIFT, KeyEvent::kShift},          {VK_CONTROL, KeyEvent::kControl},
      {VK_MENU, KeyEvent::kAlt},             {VK_LSHIFT, KeyEvent::kLeftShift},
      {VK_LCONTROL, KeyEvent::kLeftControl}, {VK_RSHIFT, KeyEvent::kRightShift},
      {VK_RCONTROL, KeyEvent::kRightControl},
  };
  uint32_t state = down ? KeyEvent::kDown : 0;
  if ((key_state[VK_CAPITAL] & 0x01) != 0) state |= KeyEvent::kCapsLock;
  for (const Bit& entry : kDownBits) {
    if (IsKeyDown(key_state, entry.virtual_key)) state |= entry.bit;
  }
  return state;
}

}  // namespace imm
}  // namespace ime_shared
