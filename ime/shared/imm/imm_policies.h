// The system calls an IMM32 input context makes, gathered in three policies
// so that the context and its message queue can run over plain memory in
// tests:
//   lock policy     every call on the input context and its memory blocks
//                   (ImmLockIMC, ImmLockIMCC, ImmReSizeIMCC, ...);
//   message policy  ImmGenerateMessage and the conversion-status calls;
//   desktop policy  the keyboard translation, the caret, device contexts and
//                   window coordinates.
// The Windows* policies below are the product's: thin forwards to the
// system.
#ifndef IME_SHARED_IMM_IMM_POLICIES_H_
#define IME_SHARED_IMM_IMM_POLICIES_H_

#include <windows.h>

#include "ime/shared/base/imm_ddk.h"

namespace ime_shared {
namespace imm {

struct WindowsImmLockPolicy {
  static INPUTCONTEXT* LockIMC(HIMC himc) { return ::ImmLockIMC(himc); }
  static void UnlockIMC(HIMC himc) { ::ImmUnlockIMC(himc); }
  static HIMCC CreateIMCC(DWORD size) { return ::ImmCreateIMCC(size); }
  // The handle of the resized block; null on failure (the old one stays).
  static HIMCC ReSizeIMCC(HIMCC block, DWORD size) {
    return ::ImmReSizeIMCC(block, size);
  }
  static DWORD GetIMCCSize(HIMCC block) { return ::ImmGetIMCCSize(block); }
  static void* LockIMCC(HIMCC block) { return ::ImmLockIMCC(block); }
  static void UnlockIMCC(HIMCC block) { ::ImmUnlockIMCC(block); }
};

struct WindowsImmMessagePolicy {
  static bool GenerateMessage(HIMC himc) {
    return ::ImmGenerateMessage(himc) != FALSE;
  }
  static bool GetConversionStatus(HIMC himc, DWORD* conversion,
                                  DWORD* sentence) {
    return ::ImmGetConversionStatus(himc, conversion, sentence) != FALSE;
  }
  static bool SetConversionStatus(HIMC himc, DWORD conversion,
                                  DWORD sentence) {
    return ::ImmSetConversionStatus(himc, conversion, sentence) != FALSE;
  }
};

struct WindowsDesktopPolicy {
  // The scan code of a virtual key (MapVirtualKeyW with MAPVK_VK_TO_VSC).
  static UINT ScanCodeOf(UINT virtual_key) {
    return ::MapVirtualKeyW(virtual_key, 0);
  }
  // ToAscii: the number of characters written to |out| (0 for none).
  static int ToAscii(UINT virtual_key, UINT scan_code, const BYTE* key_state,
                     WORD* out) {
    return ::ToAscii(virtual_key, scan_code, key_state, out, 0);
  }
  // A device context of |window| (null: the screen); every one must go back
  // through ReleaseDC.
  static HDC GetDC(HWND window) { return ::GetDC(window); }
  static void ReleaseDC(HWND window, HDC dc) { ::ReleaseDC(window, dc); }
  // The font currently selected in |dc|.
  static bool GetCurrentFont(HDC dc, LOGFONTW* font) {
    HGDIOBJ object = ::GetCurrentObject(dc, OBJ_FONT);
    return object != nullptr &&
           ::GetObjectW(object, sizeof(LOGFONTW), font) == sizeof(LOGFONTW);
  }
  static bool GetCaretPos(POINT* point) { return ::GetCaretPos(point) != FALSE; }
  static bool ClientToScreen(HWND window, POINT* point) {
    return ::ClientToScreen(window, point) != FALSE;
  }
  static bool IsWindow(HWND window) { return ::IsWindow(window) != FALSE; }
};

}  // namespace imm
}  // namespace ime_shared

#endif  // IME_SHARED_IMM_IMM_POLICIES_H_
