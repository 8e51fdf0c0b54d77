#include "ime/shared/imm/ime_exports.h"

#include <windows.h>

#include <mutex>
#include <utility>

#include "ime/shared/base/imm_ddk.h"
#include "ime/shared/base/module_call_scope.h"
#include "ime/shared/base/module_handle.h"
#include "ime/shared/imm/context.h"
#include "ime/shared/imm/context_map.h"
#include "ime/shared/imm/ui_window.h"
#include "ime/shared/logging.h"

namespace ime_shared {
namespace imm {

const wchar_t kImeEscapeName[] = L"Tarvel Translit";

namespace {

struct EngineFactoryHolder {
  std::mutex lock;
  EngineFactory factory;
};

EngineFactoryHolder& Holder() {
  static EngineFactoryHolder holder;
  return holder;
}

EngineFactory CurrentEngineFactory() {
  EngineFactoryHolder& holder = Holder();
  std::lock_guard<std::mutex> hold(holder.lock);
  return holder.factory;
}

void LogExportFailure(const char* name) noexcept {
  try {
    KELVANE_LOG(LOG_ERROR) << name << " failed on an exception";
  } catch (...) {
  }
}

Context* FindContext(HIMC himc) { return ContextMap::Instance().Find(himc); }

// Copies at most |units| units of |text| and a NUL into |out|.
void CopyText(const wchar_t* text, wchar_t* out, int units) {
  int i = 0;
  for (; i < units && text[i] != L'\0'; ++i) out[i] = text[i];
  out[i] = L'\0';
}

BOOL NotifyCompositionString(Context* context, DWORD index) {
  switch (index) {
    case CPS_COMPLETE:
    case CPS_CANCEL: {
      EngineInterface* engine = context->GetEngine();
      if (engine == nullptr) return FALSE;
      engine->EndComposition(index == CPS_COMPLETE);
      return TRUE;
    }
    case CPS_CONVERT:
    case CPS_REVERT:
      return TRUE;
    default:
      return FALSE;
  }
}

BOOL NotifyContextUpdated(DWORD value) {
  switch (value) {
    case IMC_SETCONVERSIONMODE:
    case IMC_SETOPENSTATUS:
    case IMC_SETCANDIDATEPOS:
    case IMC_SETCOMPOSITIONFONT:
    case IMC_SETCOMPOSITIONWINDOW:
      return TRUE;
    default:
      return FALSE;
  }
}

}  // namespace

void SetEngineFactory(EngineFactory factory) {
  EngineFactoryHolder& holder = Holder();
  std::lock_guard<std::mutex> hold(holder.lock);
  holder.factory = std::move(factory);
}

}  // namespace imm
}  // namespace ime_shared

using ime_shared::base::ModuleCallScope;
using ime_shared::imm::Context;
using ime_shared::imm::ContextMap;
using ime_shared::imm::FindContext;
using ime_shared::imm::ImeUIWindow;
using ime_shared::imm::LogExportFailure;

extern "C" {

BOOL WINAPI ImeInquire(LPIMEINFO info, LPWSTR ui_class, DWORD system_info) {
  try {
    if (info == nullptr || ui_class == nullptr) return FALSE;
    // Nothing is offered at a clean boot or on the logon desktop.
    if (::GetSystemMetrics(SM_CLEANBOOT) > 0 ||
        (system_info & IME_SYSINFO_WINLOGON) != 0) {
      return FALSE;
    }
    info->dwPrivateDataSize = 0;
    info->fdwProperty = ime_shared::imm::kImeProperties;
    info->fdwConversionCaps = ime_shared::imm::kImeConversionCaps;
    info->fdwSentenceCaps = 0;
    info->fdwUICaps = UI_CAP_SOFTKBD;
    info->fdwSCSCaps = 0;
    info->fdwSelectCaps = SELECT_CAP_CONVERSION;
    ime_shared::imm::CopyText(ime_shared::imm::kUIWindowClassName, ui_class,
                              ime_shared::imm::kUIClassNameUnits - 1);
    return ImeUIWindow::RegisterUIClass(ime_shared::base::CurrentModule()) != 0
               ? TRUE
               : FALSE;
  } catch (...) {
    LogExportFailure("ImeInquire");
    return FALSE;
  }
}

// The exports that reach a context hold a ModuleCallScope: a context the
// application deselects (or frees) inside a message sent during the call is
// deleted only once the outermost call returns.

BOOL WINAPI ImeSelect(HIMC himc, BOOL select) {
  ModuleCallScope call;
  try {
    if (select) {
      return ContextMap::Instance().Select(
                 himc, ime_shared::imm::CurrentEngineFactory())
                 ? TRUE
                 : FALSE;
    }
    // The UI windows still showing the context let go of it first: IMM32
    // may tell them only after the context is gone.
    ImeUIWindow::DetachUIManagers(himc);
    ContextMap::Instance().Remove(himc);
    return TRUE;
  } catch (...) {
    LogExportFailure("ImeSelect");
    return FALSE;
  }
}

BOOL WINAPI ImeProcessKey(HIMC himc, UINT virtual_key, LPARAM key_data,
                          CONST LPBYTE key_state) {
  ModuleCallScope call;
  try {
    Context* context = FindContext(himc);
    if (context == nullptr) return FALSE;
    return context->ProcessKey(virtual_key, key_state);
  } catch (...) {
    LogExportFailure("ImeProcessKey");
    return FALSE;
  }
}

UINT WINAPI ImeToAsciiEx(UINT virtual_key, UINT scan_code,
                         CONST LPBYTE key_state, LPTRANSMSGLIST messages,
                         UINT state, HIMC himc) {
  ModuleCallScope call;
  try {
    Context* context = FindContext(himc);
    if (context == nullptr) return 0;
    return context->ToAsciiEx(virtual_key, scan_code, key_state, messages);
  } catch (...) {
    LogExportFailure("ImeToAsciiEx");
    return 0;
  }
}

BOOL WINAPI NotifyIME(HIMC himc, DWORD action, DWORD index, DWORD value) {
  ModuleCallScope call;
  try {
    Context* context = FindContext(himc);
    if (context == nullptr) return FALSE;
    switch (action) {
      case NI_COMPOSITIONSTR:
        return ime_shared::imm::NotifyCompositionString(context, index);
      case NI_CONTEXTUPDATED:
        return ime_shared::imm::NotifyContextUpdated(value);
      case NI_OPENCANDIDATE:
      case NI_CLOSECANDIDATE:
      case NI_SELECTCANDIDATESTR:
      case NI_CHANGECANDIDATELIST:
      case NI_SETCANDIDATE_PAGESTART:
      case NI_SETCANDIDATE_PAGESIZE:
        return TRUE;
      default:
        return FALSE;
    }
  } catch (...) {
    LogExportFailure("NotifyIME");
    return FALSE;
  }
}

LRESULT WINAPI ImeEscape(HIMC himc, UINT escape, LPVOID data) {
  try {
    switch (escape) {
      case IME_ESC_QUERY_SUPPORT:
        return data != nullptr &&
                       *static_cast<const UINT*>(data) == IME_ESC_IME_NAME
                   ? TRUE
                   : FALSE;
      case IME_ESC_IME_NAME:
        if (data == nullptr) return 0;
        ime_shared::imm::CopyText(ime_shared::imm::kImeEscapeName,
                                  static_cast<wchar_t*>(data),
                                  ime_shared::imm::kImeEscapeNameUnits);
        return TRUE;
      default:
        return 0;
    }
  } catch (...) {
    LogExportFailure("ImeEscape");
    return 0;
  }
}

BOOL WINAPI ImeSetActiveContext(HIMC himc, BOOL active) { return TRUE; }

BOOL WINAPI ImeConfigure(HKL layout, HWND window, DWORD mode, LPVOID data) {
  return TRUE;
}

BOOL WINAPI ImeDestroy(UINT reserved) {
  if (reserved != 0) return FALSE;
  // The next load of the module registers the UI class again, with the
  // window procedure of the code then loaded.
  ImeUIWindow::UnregisterUIClass(ime_shared::base::CurrentModule());
  return TRUE;
}

DWORD WINAPI ImeConversionList(HIMC himc, LPCWSTR source, LPCANDIDATELIST dest,
                               DWORD dest_bytes, UINT flag) {
  return 0;
}

BOOL WINAPI ImeRegisterWord(LPCWSTR reading, DWORD style, LPCWSTR word) {
  return FALSE;
}

BOOL WINAPI ImeUnregisterWord(LPCWSTR reading, DWORD style, LPCWSTR word) {
  return FALSE;
}

UINT WINAPI ImeGetRegisterWordStyle(UINT count, LPSTYLEBUFW styles) {
  return 0;
}

UINT WINAPI ImeEnumRegisterWord(REGISTERWORDENUMPROCW callback,
                                LPCWSTR reading, DWORD style, LPCWSTR word,
                                LPVOID data) {
  return 0;
}

BOOL WINAPI ImeSetCompositionString(HIMC himc, DWORD index,
                                    LPCVOID composition,
                                    DWORD composition_bytes, LPCVOID reading,
                                    DWORD reading_bytes) {
  return FALSE;
}

}  // extern "C"
