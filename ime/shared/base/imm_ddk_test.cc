#include "ime/shared/base/imm_ddk.h"

#include <cstddef>
#include <cstring>

#include "gtest/gtest.h"

namespace {

// The x64 layout IMM32 shares with an input method, as offsets.
TEST(ImmDdkTest, LayoutOfTheSharedStructures) {
  EXPECT_EQ(sizeof(INPUTCONTEXT), 352u);
  EXPECT_EQ(offsetof(INPUTCONTEXT, hWnd), 0u);
  EXPECT_EQ(offsetof(INPUTCONTEXT, fOpen), 8u);
  EXPECT_EQ(offsetof(INPUTCONTEXT, ptStatusWndPos), 12u);
  EXPECT_EQ(offsetof(INPUTCONTEXT, ptSoftKbdPos), 20u);
  EXPECT_EQ(offsetof(INPUTCONTEXT, fdwConversion), 28u);
  EXPECT_EQ(offsetof(INPUTCONTEXT, fdwSentence), 32u);
  EXPECT_EQ(offsetof(INPUTCONTEXT, lfFont), 36u);
  EXPECT_EQ(sizeof(INPUTCONTEXT::lfFont), sizeof(LOGFONTW));
  EXPECT_EQ(offsetof(INPUTCONTEXT, cfCompForm), 128u);
  EXPECT_EQ(offsetof(INPUTCONTEXT, cfCandForm), 156u);
  EXPECT_EQ(offsetof(INPUTCONTEXT, hCompStr), 288u);
  EXPECT_EQ(offsetof(INPUTCONTEXT, hCandInfo), 296u);
  EXPECT_EQ(offsetof(INPUTCONTEXT, hGuideLine), 304u);
  EXPECT_EQ(offsetof(INPUTCONTEXT, hPrivate), 312u);
  EXPECT_EQ(offsetof(INPUTCONTEXT, dwNumMsgBuf), 320u);
  EXPECT_EQ(offsetof(INPUTCONTEXT, hMsgBuf), 328u);
  EXPECT_EQ(offsetof(INPUTCONTEXT, fdwInit), 336u);

  EXPECT_EQ(sizeof(IMEINFO), 28u);
  EXPECT_EQ(offsetof(IMEINFO, fdwSelectCaps), 24u);
  EXPECT_EQ(sizeof(COMPOSITIONSTRING), 100u);
  EXPECT_EQ(offsetof(COMPOSITIONSTRING, dwCompStrLen), 44u);
  EXPECT_EQ(offsetof(COMPOSITIONSTRING, dwCursorPos), 52u);
  EXPECT_EQ(offsetof(COMPOSITIONSTRING, dwResultStrOffset), 88u);
  EXPECT_EQ(sizeof(CANDIDATEINFO), 144u);
  EXPECT_EQ(offsetof(CANDIDATEINFO, dwPrivateSize), 136u);
  EXPECT_EQ(sizeof(GUIDELINE), 28u);
  EXPECT_EQ(sizeof(TRANSMSG), 24u);
  EXPECT_EQ(offsetof(TRANSMSG, wParam), 8u);
  EXPECT_EQ(offsetof(TRANSMSGLIST, TransMsg), 8u);
}

TEST(ImmDdkTest, ConstantsImmHLacks) {
  EXPECT_EQ(IME_PROP_END_UNLOAD | IME_PROP_KBD_CHAR_FIRST |
                IME_PROP_SPECIAL_UI | IME_PROP_CANDLIST_START_FROM_1 |
                IME_PROP_UNICODE | IME_PROP_COMPLETE_ON_UNSELECT,
            0x1E0003);
  EXPECT_EQ(UI_CAP_SOFTKBD, 0x10000);
  EXPECT_EQ(IME_SYSINFO_WINLOGON, 1);
  EXPECT_EQ(IMMGWLP_IMC, 0);
  EXPECT_EQ(IMMGWLP_PRIVATE, 8u);
  EXPECT_EQ(INIT_CONVERSION | INIT_LOGFONT | INIT_COMPFORM, 0x1A);
  EXPECT_EQ(NI_CONTEXTUPDATED, 3);
  EXPECT_EQ(IMC_SETCONVERSIONMODE, 2);
  EXPECT_EQ(IMC_SETSENTENCEMODE, 4);
  EXPECT_EQ(IMC_SETOPENSTATUS, 6);
}

// Memory blocks through the functions declared here (imm32.dll exports
// them; the test links and loads only if the names are right).
TEST(ImmDdkTest, MemoryBlocksOfIMM32) {
  HIMCC block = ImmCreateIMCC(64);
  ASSERT_NE(block, nullptr);
  EXPECT_GE(ImmGetIMCCSize(block), 64u);
  auto* bytes = static_cast<BYTE*>(ImmLockIMCC(block));
  ASSERT_NE(bytes, nullptr);
  EXPECT_EQ(ImmGetIMCCLockCount(block), 1u);
  std::memset(bytes, 0x5A, 64);
  ImmUnlockIMCC(block);
  EXPECT_EQ(ImmGetIMCCLockCount(block), 0u);

  HIMCC resized = ImmReSizeIMCC(block, 4096);
  ASSERT_NE(resized, nullptr);
  EXPECT_GE(ImmGetIMCCSize(resized), 4096u);
  bytes = static_cast<BYTE*>(ImmLockIMCC(resized));
  ASSERT_NE(bytes, nullptr);
  EXPECT_EQ(bytes[63], 0x5A) << "resizing keeps the contents";
  ImmUnlockIMCC(resized);
  EXPECT_EQ(ImmDestroyIMCC(resized), nullptr);
}

TEST(ImmDdkTest, InputContextOfIMM32) {
  HIMC himc = ImmCreateContext();
  ASSERT_NE(himc, nullptr);
  INPUTCONTEXT* context = ImmLockIMC(himc);
  ASSERT_NE(context, nullptr);
  EXPECT_EQ(ImmGetIMCLockCount(himc), 1u);
  context->fOpen = TRUE;
  context->fdwConversion = IME_CMODE_NATIVE;
  context->dwNumMsgBuf = 0;
  ImmUnlockIMC(himc);
  EXPECT_EQ(ImmGetIMCLockCount(himc), 0u);
  // The application's view of the same fields.
  EXPECT_TRUE(ImmGetOpenStatus(himc));
  DWORD conversion = 0;
  DWORD sentence = 0;
  ASSERT_TRUE(ImmGetConversionStatus(himc, &conversion, &sentence));
  EXPECT_EQ(conversion, static_cast<DWORD>(IME_CMODE_NATIVE));
  EXPECT_TRUE(ImmGenerateMessage(himc)) << "nothing to send";
  ImmDestroyContext(himc);
}

TEST(ImmDdkTest, EveryDeclaredFunctionLinks) {
  const void* functions[] = {
      reinterpret_cast<const void*>(&ImmRequestMessageA),
      reinterpret_cast<const void*>(&ImmRequestMessageW),
      reinterpret_cast<const void*>(&ImmCreateSoftKeyboard),
      reinterpret_cast<const void*>(&ImmDestroySoftKeyboard),
      reinterpret_cast<const void*>(&ImmShowSoftKeyboard),
      reinterpret_cast<const void*>(&ImmGenerateMessage),
      reinterpret_cast<const void*>(&ImmGetIMCLockCount),
      reinterpret_cast<const void*>(&ImmGetIMCCLockCount),
  };
  for (const void* function : functions) EXPECT_NE(function, nullptr);
}

}  // namespace
