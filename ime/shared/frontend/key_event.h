// One key transition as the Windows side reports it to the engine: the
// virtual key, the ASCII character the keyboard gives for it (0 when there
// is none or it is not ASCII) and the state of the keyboard.
#ifndef IME_SHARED_FRONTEND_KEY_EVENT_H_
#define IME_SHARED_FRONTEND_KEY_EVENT_H_

#include <cstdint>

namespace ime_shared {

struct KeyEvent {
  // State bits.
  static constexpr uint32_t kDown = 0x001;        // clear for a release
  static constexpr uint32_t kCapsLock = 0x002;    // toggled on
  static constexpr uint32_t kShift = 0x004;       // either Shift key
  static constexpr uint32_t kControl = 0x008;     // either Ctrl key
  static constexpr uint32_t kAlt = 0x010;         // either Alt key
  static constexpr uint32_t kLeftShift = 0x020;
  static constexpr uint32_t kLeftControl = 0x040;
  static constexpr uint32_t kRightShift = 0x080;
  static constexpr uint32_t kRightControl = 0x100;

  uint16_t virtual_key;
  // What ToAscii gives for the key, when below 0x80; 0 otherwise. With Ctrl
  // down it is a control character (Ctrl+G gives 7).
  uint16_t character;
  uint32_t state;

  bool IsDown() const { return (state & kDown) != 0; }
  bool HasShift() const { return (state & kShift) != 0; }
  bool HasControl() const { return (state & kControl) != 0; }
  // The character as the handler compares it: one byte.
  uint8_t Byte() const { return static_cast<uint8_t>(character & 0xFF); }
};

static_assert(sizeof(KeyEvent) == 8, "a key event is 8 bytes");

// The virtual keys the input method looks at.
namespace vk {
constexpr uint16_t kBack = 0x08;
constexpr uint16_t kTab = 0x09;
constexpr uint16_t kReturn = 0x0D;
constexpr uint16_t kShift = 0x10;
constexpr uint16_t kControl = 0x11;
constexpr uint16_t kCapital = 0x14;
constexpr uint16_t kEscape = 0x1B;
constexpr uint16_t kSpace = 0x20;
constexpr uint16_t kPrior = 0x21;
constexpr uint16_t kNext = 0x22;
constexpr uint16_t kEnd = 0x23;
constexpr uint16_t kHome = 0x24;
constexpr uint16_t kLeft = 0x25;
constexpr uint16_t kUp = 0x26;
constexpr uint16_t kRight = 0x27;
constexpr uint16_t kDown = 0x28;
constexpr uint16_t kDelete = 0x2E;
constexpr uint16_t kF12 = 0x7B;
}  // namespace vk

// What ToAscii gives with Ctrl down for G, K and M: the hot keys are known
// by these characters, whatever virtual key the layout reports.
constexpr uint8_t kCtrlG = 7;
constexpr uint8_t kCtrlK = 11;
constexpr uint8_t kCtrlM = 13;

inline bool operator==(const KeyEvent& a, const KeyEvent& b) {
  return a.virtual_key == b.virtual_key && a.character == b.character &&
         a.state == b.state;
}

}  // namespace ime_shared

#endif  // IME_SHARED_FRONTEND_KEY_EVENT_H_
