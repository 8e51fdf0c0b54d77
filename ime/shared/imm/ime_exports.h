// The IMM32 entry points of the input method: ImeInquire, ImeSelect,
// ImeProcessKey, ImeToAsciiEx, NotifyIME, ImeEscape, ImeSetActiveContext,
// ImeConfigure, ImeDestroy, ImeConversionList, ImeRegisterWord,
// ImeUnregisterWord, ImeGetRegisterWordStyle, ImeEnumRegisterWord and
// ImeSetCompositionString (declared in imm_ddk.h, defined in
// ime_exports.cc; the module's .def file exports them).
//
// The exports find the HIMC's context in the ContextMap and forward to it.
// Every one of them catches everything and fails open: a key is then not
// eaten, and the call answers FALSE or 0.
//
// The engine that ImeSelect makes for a new context comes from a factory
// that the module installs (SetEngineFactory); the IME UI window's UI
// manager likewise (ImeUIWindow::SetUIManagerFactory).
#ifndef IME_SHARED_IMM_IME_EXPORTS_H_
#define IME_SHARED_IMM_IME_EXPORTS_H_

#include <windows.h>

#include "ime/shared/base/imm_ddk.h"
#include "ime/shared/imm/context_map.h"

namespace ime_shared {
namespace imm {

// What ImeInquire reports about the input method.
constexpr DWORD kImeProperties =
    IME_PROP_END_UNLOAD | IME_PROP_KBD_CHAR_FIRST | IME_PROP_SPECIAL_UI |
    IME_PROP_CANDLIST_START_FROM_1 | IME_PROP_UNICODE |
    IME_PROP_COMPLETE_ON_UNSELECT;
constexpr DWORD kImeConversionCaps =
    IME_CMODE_NATIVE | IME_CMODE_FULLSHAPE | IME_CMODE_SYMBOL;
static_assert(kImeProperties == 0x1E0003, "IMEINFO.fdwProperty");
static_assert(kImeConversionCaps == 0x409, "IMEINFO.fdwConversionCaps");

// The UI class name buffer of ImeInquire holds this many units with the NUL.
constexpr int kUIClassNameUnits = 16;

// The name ImeEscape(IME_ESC_IME_NAME) answers, and the units it may take
// without the NUL.
extern const wchar_t kImeEscapeName[];  // "Tarvel Translit"
constexpr int kImeEscapeNameUnits = 15;

// The factory of the engines of new contexts; null (the default) makes
// every ImeSelect(TRUE) fail.
void SetEngineFactory(EngineFactory factory);

}  // namespace imm
}  // namespace ime_shared

#endif  // IME_SHARED_IMM_IME_EXPORTS_H_
