#include "ime/shared/imm/key_packing.h"

#include <cstring>

#include "gtest/gtest.h"
#include "ime/shared/imm/imm_test_helpers.h"

namespace ime_shared {
namespace imm {
namespace {

using testing_helpers::FakeDesktopPolicy;
using testing_helpers::FakeImm;

TEST(KeyPackingTest, StateBitsFromTheKeyboardState) {
  BYTE keys[256];
  std::memset(keys, 0x80, sizeof(keys));
  EXPECT_EQ(KeyStateBits(keys, true), 0x1FDu) << "Caps Lock not toggled";
  keys[VK_CAPITAL] = 0x01;
  EXPECT_EQ(KeyStateBits(keys, true), 0x1FFu);
  EXPECT_EQ(KeyStateBits(keys, false), 0x1FEu);
  // Toggle bits of other keys mean nothing.
  std::memset(keys, 0x7F, sizeof(keys));
  keys[VK_CAPITAL] = 0;
  EXPECT_EQ(KeyStateBits(keys, false), 0u);
}

TEST(KeyPackingTest, CharacterIsTheFirstAsciiUnitOrNone) {
  FakeImm imm;
  BYTE keys[256] = {};
  struct Case {
    int produced;
    WORD first;
    uint16_t expected;
  };
  const Case cases[] = {
      {1, 'q', 'q'},   {2, '`', '`'},  // a dead key that did not combine
      {0, 'x', 0},     {-1, 'x', 0},   // none
      {1, 0x7F, 0x7F}, {1, 0x80, 0},   // ASCII ends at 127
  };
  for (const Case& c : cases) {
    imm.to_ascii = [&c](UINT, const BYTE*, WORD* out) {
      out[0] = c.first;
      out[1] = 'y';
      return c.produced;
    };
    const KeyEvent event =
        PackKey<FakeDesktopPolicy>(0x00510051, keys, true);
    EXPECT_EQ(event.character, c.expected) << c.produced << " " << c.first;
    EXPECT_EQ(event.virtual_key, 0x51) << "the high word is not the key";
    EXPECT_EQ(event.state, KeyEvent::kDown);
  }
}

}  // namespace
}  // namespace imm
}  // namespace ime_shared
