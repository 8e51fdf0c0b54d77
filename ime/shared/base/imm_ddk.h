// The input-method side of IMM32: the structures an input method reads and
// writes in an input context, the functions IMM32 offers input methods, the
// entry points an input method exports, and their constants. The MinGW-w64
// headers carry only the application side (imm.h); these declarations are
// written from the public documentation of the IME interfaces, whose
// layouts and calling conventions are fixed ABI. The static_asserts pin the
// x64 layout that IMM32 shares with the input method.
//
// Do not include this header together with dimm.h, which declares some of
// the same structures behind its own guard.
#ifndef IME_SHARED_BASE_IMM_DDK_H_
#define IME_SHARED_BASE_IMM_DDK_H_

#include <windows.h>
#include <imm.h>

#include <cstddef>
#include <type_traits>

#if defined(__dimm_h__)
#error "imm_ddk.h and dimm.h declare the same structures; include only one"
#endif

extern "C" {

// ---------------------------------------------------------------------------
// Structures.

// The state IMM32 keeps for one input context; ImmLockIMC gives it to the
// input method.
typedef struct tagINPUTCONTEXT {
  HWND hWnd;  // the window the context's messages go to
  BOOL fOpen;
  POINT ptStatusWndPos;
  POINT ptSoftKbdPos;
  DWORD fdwConversion;
  DWORD fdwSentence;
  union {
    LOGFONTA A;
    LOGFONTW W;
  } lfFont;
  COMPOSITIONFORM cfCompForm;
  CANDIDATEFORM cfCandForm[4];
  HIMCC hCompStr;    // a COMPOSITIONSTRING block
  HIMCC hCandInfo;   // a CANDIDATEINFO block
  HIMCC hGuideLine;  // a GUIDELINE block
  HIMCC hPrivate;    // IMEINFO.dwPrivateDataSize bytes of the input method's
  DWORD dwNumMsgBuf;  // messages waiting in hMsgBuf
  HIMCC hMsgBuf;      // TRANSMSG records for ImmGenerateMessage
  DWORD fdwInit;      // INIT_* bits: which members hold valid values
  DWORD dwReserve[3];
} INPUTCONTEXT, *PINPUTCONTEXT, *NPINPUTCONTEXT, *LPINPUTCONTEXT;

// What ImeInquire reports about the input method.
typedef struct tagIMEINFO {
  DWORD dwPrivateDataSize;
  DWORD fdwProperty;  // IME_PROP_*
  DWORD fdwConversionCaps;
  DWORD fdwSentenceCaps;
  DWORD fdwUICaps;  // UI_CAP_*
  DWORD fdwSCSCaps;
  DWORD fdwSelectCaps;
} IMEINFO, *PIMEINFO, *NPIMEINFO, *LPIMEINFO;

// Header of the composition-string block; every offset is from the start of
// the block, every length in characters (attributes: bytes; clauses: bytes
// of the DWORD array).
typedef struct tagCOMPOSITIONSTRING {
  DWORD dwSize;
  DWORD dwCompReadAttrLen;
  DWORD dwCompReadAttrOffset;
  DWORD dwCompReadClauseLen;
  DWORD dwCompReadClauseOffset;
  DWORD dwCompReadStrLen;
  DWORD dwCompReadStrOffset;
  DWORD dwCompAttrLen;
  DWORD dwCompAttrOffset;
  DWORD dwCompClauseLen;
  DWORD dwCompClauseOffset;
  DWORD dwCompStrLen;
  DWORD dwCompStrOffset;
  DWORD dwCursorPos;
  DWORD dwDeltaStart;
  DWORD dwResultReadClauseLen;
  DWORD dwResultReadClauseOffset;
  DWORD dwResultReadStrLen;
  DWORD dwResultReadStrOffset;
  DWORD dwResultClauseLen;
  DWORD dwResultClauseOffset;
  DWORD dwResultStrLen;
  DWORD dwResultStrOffset;
  DWORD dwPrivateSize;
  DWORD dwPrivateOffset;
} COMPOSITIONSTRING, *PCOMPOSITIONSTRING, *NPCOMPOSITIONSTRING,
    *LPCOMPOSITIONSTRING;

// Header of the candidate-info block: up to 32 CANDIDATELISTs, each at an
// offset from the start of the block.
typedef struct tagCANDIDATEINFO {
  DWORD dwSize;
  DWORD dwCount;
  DWORD dwOffset[32];
  DWORD dwPrivateSize;
  DWORD dwPrivateOffset;
} CANDIDATEINFO, *PCANDIDATEINFO, *NPCANDIDATEINFO, *LPCANDIDATEINFO;

typedef struct tagGUIDELINE {
  DWORD dwSize;
  DWORD dwLevel;  // GL_LEVEL_*
  DWORD dwIndex;  // GL_ID_*
  DWORD dwStrLen;
  DWORD dwStrOffset;
  DWORD dwPrivateSize;
  DWORD dwPrivateOffset;
} GUIDELINE, *PGUIDELINE, *NPGUIDELINE, *LPGUIDELINE;

// One message an input method hands IMM32 for the application.
typedef struct tagTRANSMSG {
  UINT message;
  WPARAM wParam;
  LPARAM lParam;
} TRANSMSG, *PTRANSMSG, *NPTRANSMSG, *LPTRANSMSG;

// The buffer ImeToAsciiEx fills: uMsgCount is its capacity on entry.
typedef struct tagTRANSMSGLIST {
  UINT uMsgCount;
  TRANSMSG TransMsg[1];
} TRANSMSGLIST, *PTRANSMSGLIST, *NPTRANSMSGLIST, *LPTRANSMSGLIST;

// ---------------------------------------------------------------------------
// What IMM32 offers an input method (exported by imm32.dll).

LPINPUTCONTEXT WINAPI ImmLockIMC(HIMC);
BOOL WINAPI ImmUnlockIMC(HIMC);
DWORD WINAPI ImmGetIMCLockCount(HIMC);

HIMCC WINAPI ImmCreateIMCC(DWORD size);
// Returns null on success, the handle on failure.
HIMCC WINAPI ImmDestroyIMCC(HIMCC);
LPVOID WINAPI ImmLockIMCC(HIMCC);
BOOL WINAPI ImmUnlockIMCC(HIMCC);
DWORD WINAPI ImmGetIMCCLockCount(HIMCC);
// The (possibly new) handle of the resized block; null on failure, when the
// old block stays as it was.
HIMCC WINAPI ImmReSizeIMCC(HIMCC, DWORD size);
DWORD WINAPI ImmGetIMCCSize(HIMCC);

// Sends the dwNumMsgBuf messages of hMsgBuf to the context's window and
// sets dwNumMsgBuf to 0.
BOOL WINAPI ImmGenerateMessage(HIMC);
LRESULT WINAPI ImmRequestMessageA(HIMC, WPARAM, LPARAM);
LRESULT WINAPI ImmRequestMessageW(HIMC, WPARAM, LPARAM);

HWND WINAPI ImmCreateSoftKeyboard(UINT type, HWND owner, int x, int y);
BOOL WINAPI ImmDestroySoftKeyboard(HWND);
BOOL WINAPI ImmShowSoftKeyboard(HWND, int show);

// ---------------------------------------------------------------------------
// The entry points an input method exports (Unicode input method), and the
// types of pointers to them, for hosts that load a module themselves.

BOOL WINAPI ImeInquire(LPIMEINFO info, LPWSTR ui_class, DWORD system_info);
BOOL WINAPI ImeConfigure(HKL, HWND, DWORD mode, LPVOID data);
DWORD WINAPI ImeConversionList(HIMC, LPCWSTR source, LPCANDIDATELIST dest,
                               DWORD dest_bytes, UINT flag);
BOOL WINAPI ImeDestroy(UINT reserved);
LRESULT WINAPI ImeEscape(HIMC, UINT escape, LPVOID data);
BOOL WINAPI ImeProcessKey(HIMC, UINT virtual_key, LPARAM key_data,
                          CONST LPBYTE key_state);
BOOL WINAPI ImeSelect(HIMC, BOOL select);
BOOL WINAPI ImeSetActiveContext(HIMC, BOOL active);
UINT WINAPI ImeToAsciiEx(UINT virtual_key, UINT scan_code,
                         CONST LPBYTE key_state, LPTRANSMSGLIST messages,
                         UINT state, HIMC);
BOOL WINAPI NotifyIME(HIMC, DWORD action, DWORD index, DWORD value);
BOOL WINAPI ImeRegisterWord(LPCWSTR reading, DWORD style, LPCWSTR word);
BOOL WINAPI ImeUnregisterWord(LPCWSTR reading, DWORD style, LPCWSTR word);
UINT WINAPI ImeGetRegisterWordStyle(UINT count, LPSTYLEBUFW styles);
UINT WINAPI ImeEnumRegisterWord(REGISTERWORDENUMPROCW callback,
                                LPCWSTR reading, DWORD style, LPCWSTR word,
                                LPVOID data);
BOOL WINAPI ImeSetCompositionString(HIMC, DWORD index, LPCVOID composition,
                                    DWORD composition_bytes, LPCVOID reading,
                                    DWORD reading_bytes);

typedef BOOL(WINAPI* ImeInquireProc)(LPIMEINFO, LPWSTR, DWORD);
typedef BOOL(WINAPI* ImeConfigureProc)(HKL, HWND, DWORD, LPVOID);
typedef DWORD(WINAPI* ImeConversionListProc)(HIMC, LPCWSTR, LPCANDIDATELIST,
                                             DWORD, UINT);
typedef BOOL(WINAPI* ImeDestroyProc)(UINT);
typedef LRESULT(WINAPI* ImeEscapeProc)(HIMC, UINT, LPVOID);
typedef BOOL(WINAPI* ImeProcessKeyProc)(HIMC, UINT, LPARAM, CONST LPBYTE);
typedef BOOL(WINAPI* ImeSelectProc)(HIMC, BOOL);
typedef BOOL(WINAPI* ImeSetActiveContextProc)(HIMC, BOOL);
typedef UINT(WINAPI* ImeToAsciiExProc)(UINT, UINT, CONST LPBYTE,
                                       LPTRANSMSGLIST, UINT, HIMC);
typedef BOOL(WINAPI* NotifyIMEProc)(HIMC, DWORD, DWORD, DWORD);
typedef BOOL(WINAPI* ImeRegisterWordProc)(LPCWSTR, DWORD, LPCWSTR);
typedef BOOL(WINAPI* ImeUnregisterWordProc)(LPCWSTR, DWORD, LPCWSTR);
typedef UINT(WINAPI* ImeGetRegisterWordStyleProc)(UINT, LPSTYLEBUFW);
typedef UINT(WINAPI* ImeEnumRegisterWordProc)(REGISTERWORDENUMPROCW, LPCWSTR,
                                              DWORD, LPCWSTR, LPVOID);
typedef BOOL(WINAPI* ImeSetCompositionStringProc)(HIMC, DWORD, LPCVOID, DWORD,
                                                  LPCVOID, DWORD);

}  // extern "C"

// The pointer types name the entry points' own types.
static_assert(std::is_same<decltype(&ImeInquire), ImeInquireProc>::value,
              "ImeInquireProc");
static_assert(std::is_same<decltype(&ImeConfigure), ImeConfigureProc>::value,
              "ImeConfigureProc");
static_assert(std::is_same<decltype(&ImeConversionList),
                           ImeConversionListProc>::value,
              "ImeConversionListProc");
static_assert(std::is_same<decltype(&ImeDestroy), ImeDestroyProc>::value,
              "ImeDestroyProc");
static_assert(std::is_same<decltype(&ImeEscape), ImeEscapeProc>::value,
              "ImeEscapeProc");
static_assert(std::is_same<decltype(&ImeProcessKey), ImeProcessKeyProc>::value,
              "ImeProcessKeyProc");
static_assert(std::is_same<decltype(&ImeSelect), ImeSelectProc>::value,
              "ImeSelectProc");
static_assert(std::is_same<decltype(&ImeSetActiveContext),
                           ImeSetActiveContextProc>::value,
              "ImeSetActiveContextProc");
static_assert(std::is_same<decltype(&ImeToAsciiEx), ImeToAsciiExProc>::value,
              "ImeToAsciiExProc");
static_assert(std::is_same<decltype(&NotifyIME), NotifyIMEProc>::value,
              "NotifyIMEProc");
static_assert(std::is_same<decltype(&ImeRegisterWord),
                           ImeRegisterWordProc>::value,
              "ImeRegisterWordProc");
static_assert(std::is_same<decltype(&ImeUnregisterWord),
                           ImeUnregisterWordProc>::value,
              "ImeUnregisterWordProc");
static_assert(std::is_same<decltype(&ImeGetRegisterWordStyle),
                           ImeGetRegisterWordStyleProc>::value,
              "ImeGetRegisterWordStyleProc");
static_assert(std::is_same<decltype(&ImeEnumRegisterWord),
                           ImeEnumRegisterWordProc>::value,
              "ImeEnumRegisterWordProc");
static_assert(std::is_same<decltype(&ImeSetCompositionString),
                           ImeSetCompositionStringProc>::value,
              "ImeSetCompositionStringProc");

// ---------------------------------------------------------------------------
// Constants imm.h lacks.

// IMEINFO.fdwProperty.
#ifndef IME_PROP_END_UNLOAD
#define IME_PROP_END_UNLOAD 0x00000001
#endif
#ifndef IME_PROP_KBD_CHAR_FIRST
#define IME_PROP_KBD_CHAR_FIRST 0x00000002
#endif
#ifndef IME_PROP_IGNORE_UPKEYS
#define IME_PROP_IGNORE_UPKEYS 0x00000004
#endif
#ifndef IME_PROP_NEED_ALTKEY
#define IME_PROP_NEED_ALTKEY 0x00000008
#endif
#ifndef IME_PROP_NO_KEYS_ON_CLOSE
#define IME_PROP_NO_KEYS_ON_CLOSE 0x00000010
#endif
#ifndef IME_PROP_ACCEPT_WIDE_VKEY
#define IME_PROP_ACCEPT_WIDE_VKEY 0x00000020
#endif

// IMEINFO.fdwUICaps.
#ifndef UI_CAP_SOFTKBD
#define UI_CAP_SOFTKBD 0x00010000
#endif

// ImeInquire's system information flags.
#ifndef IME_SYSINFO_WINLOGON
#define IME_SYSINFO_WINLOGON 0x00000001
#endif
#ifndef IME_SYSINFO_WOW16
#define IME_SYSINFO_WOW16 0x00000002
#endif

// Extra bytes of an IME UI window: the system keeps the HIMC at offset 0;
// the input method may use the pointer-sized slot after it.
#ifndef IMMGWL_IMC
#define IMMGWL_IMC 0
#endif
#ifndef IMMGWL_PRIVATE
#define IMMGWL_PRIVATE (sizeof(LONG))
#endif
#ifndef IMMGWLP_IMC
#define IMMGWLP_IMC 0
#endif
#ifndef IMMGWLP_PRIVATE
#define IMMGWLP_PRIVATE (sizeof(LONG_PTR))
#endif

// INPUTCONTEXT.fdwInit.
#ifndef INIT_STATUSWNDPOS
#define INIT_STATUSWNDPOS 0x00000001
#endif
#ifndef INIT_CONVERSION
#define INIT_CONVERSION 0x00000002
#endif
#ifndef INIT_SENTENCE
#define INIT_SENTENCE 0x00000004
#endif
#ifndef INIT_LOGFONT
#define INIT_LOGFONT 0x00000008
#endif
#ifndef INIT_COMPFORM
#define INIT_COMPFORM 0x00000010
#endif
#ifndef INIT_SOFTKBDPOS
#define INIT_SOFTKBDPOS 0x00000020
#endif

// NotifyIME(NI_CONTEXTUPDATED) values beside those of imm.h.
#ifndef NI_CONTEXTUPDATED
#define NI_CONTEXTUPDATED 0x0003
#endif
#ifndef IMC_SETCONVERSIONMODE
#define IMC_SETCONVERSIONMODE 0x0002
#endif
#ifndef IMC_SETSENTENCEMODE
#define IMC_SETSENTENCEMODE 0x0004
#endif
#ifndef IMC_SETOPENSTATUS
#define IMC_SETOPENSTATUS 0x0006
#endif

// The notification IMM32 sends the UI window when the soft keyboard goes.
#ifndef IMN_SOFTKBDDESTROYED
#define IMN_SOFTKBDDESTROYED 0x0011
#endif

// ---------------------------------------------------------------------------
// The layout IMM32 shares with the input method (x64 figures; the 32-bit
// ones follow from the same declarations).

#if defined(_WIN64)
static_assert(sizeof(INPUTCONTEXT) == 352, "INPUTCONTEXT is 352 bytes");
static_assert(offsetof(INPUTCONTEXT, fOpen) == 8, "INPUTCONTEXT.fOpen");
static_assert(offsetof(INPUTCONTEXT, fdwConversion) == 28,
              "INPUTCONTEXT.fdwConversion");
static_assert(offsetof(INPUTCONTEXT, lfFont) == 36, "INPUTCONTEXT.lfFont");
static_assert(offsetof(INPUTCONTEXT, cfCompForm) == 128,
              "INPUTCONTEXT.cfCompForm");
static_assert(offsetof(INPUTCONTEXT, cfCandForm) == 156,
              "INPUTCONTEXT.cfCandForm");
static_assert(offsetof(INPUTCONTEXT, hCompStr) == 288,
              "INPUTCONTEXT.hCompStr");
static_assert(offsetof(INPUTCONTEXT, hCandInfo) == 296,
              "INPUTCONTEXT.hCandInfo");
static_assert(offsetof(INPUTCONTEXT, dwNumMsgBuf) == 320,
              "INPUTCONTEXT.dwNumMsgBuf");
static_assert(offsetof(INPUTCONTEXT, hMsgBuf) == 328, "INPUTCONTEXT.hMsgBuf");
static_assert(offsetof(INPUTCONTEXT, fdwInit) == 336, "INPUTCONTEXT.fdwInit");
static_assert(sizeof(TRANSMSG) == 24, "TRANSMSG is 24 bytes");
static_assert(offsetof(TRANSMSGLIST, TransMsg) == 8,
              "TRANSMSGLIST entries start at 8");
#endif
static_assert(sizeof(IMEINFO) == 28, "IMEINFO is 28 bytes");
static_assert(sizeof(COMPOSITIONSTRING) == 100, "COMPOSITIONSTRING is 100 bytes");
static_assert(sizeof(CANDIDATEINFO) == 144, "CANDIDATEINFO is 144 bytes");
static_assert(sizeof(GUIDELINE) == 28, "GUIDELINE is 28 bytes");
static_assert(sizeof(CANDIDATELIST) == 28, "CANDIDATELIST header is 28 bytes");

#endif  // IME_SHARED_BASE_IMM_DDK_H_
