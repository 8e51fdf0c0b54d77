#include "ime/shared/imm/ui_window.h"

#include <windows.h>

#include <atomic>
#include <memory>
#include <mutex>
#include <set>
#include <utility>
#include <vector>

#include "ime/shared/base/imm_ddk.h"
#include "ime/shared/base/module_call_scope.h"
#include "ime/shared/imm/context.h"
#include "ime/shared/imm/context_map.h"
#include "ime/shared/logging.h"

namespace ime_shared {
namespace imm {

using base::ModuleCallScope;

const wchar_t kUIWindowClassName[] = L"ZELKORA2";

namespace {

// What a UI window keeps in its window memory at IMMGWLP_PRIVATE.
struct Record {
  HWND window = nullptr;
  std::unique_ptr<UIManagerInterface> manager;
  // The input context the window serves, set by WM_IME_SETCONTEXT and
  // WM_IME_SELECT; null for none.
  HIMC himc = nullptr;
};

// The live records of the process, the manager factory, and the lock that
// guards both. Made on first use.
struct Shared {
  std::mutex lock;
  std::set<Record*> records;
  UIManagerFactory factory;
};

Shared& Globals() {
  static Shared shared;
  return shared;
}

std::atomic<bool> g_detaching{false};

void LogFailure(const char* what) noexcept {
  try {
    KELVANE_LOG(LOG_ERROR) << "IME UI window: " << what
                           << " failed on an exception";
  } catch (...) {
  }
}

Record* RecordOf(HWND window) {
  return reinterpret_cast<Record*>(
      ::GetWindowLongPtrW(window, IMMGWLP_PRIVATE));
}

// The HIMC that IMM32 keeps in the window.
HIMC WindowContextHandle(HWND window) {
  return reinterpret_cast<HIMC>(::GetWindowLongPtrW(window, IMMGWLP_IMC));
}

Context* Find(HIMC himc) {
  return himc != nullptr ? ContextMap::Instance().Find(himc) : nullptr;
}

// The record's current context, found afresh.
Context* CurrentContext(const Record& record) { return Find(record.himc); }

bool IsOpen(Context* context) {
  return context != nullptr && context->IsOpen();
}

// The context the UI manager shows: the current one while it is open.
void AttachOpenContext(Record* record, Context* context) {
  record->manager->AttachEngine(IsOpen(context) ? context : nullptr);
}

bool CreateRecord(HWND window) {
  UIManagerFactory factory;
  {
    Shared& shared = Globals();
    std::lock_guard<std::mutex> hold(shared.lock);
    factory = shared.factory;
  }
  if (!factory) return false;
  std::unique_ptr<UIManagerInterface> manager(factory(window));
  if (!manager) return false;
  std::unique_ptr<Record> record(new Record);
  record->window = window;
  record->manager = std::move(manager);
  {
    Shared& shared = Globals();
    std::lock_guard<std::mutex> hold(shared.lock);
    shared.records.insert(record.get());
  }
  ::SetWindowLongPtrW(window, IMMGWLP_PRIVATE,
                      reinterpret_cast<LONG_PTR>(record.release()));
  return true;
}

void DestroyRecord(HWND window, Record* record) {
  ::SetWindowLongPtrW(window, IMMGWLP_PRIVATE, 0);
  // At process detach the heap and the manager's windows may be gone
  // already: nothing is freed.
  if (g_detaching.load()) return;
  {
    Shared& shared = Globals();
    std::lock_guard<std::mutex> hold(shared.lock);
    shared.records.erase(record);
  }
  delete record;
}

void HandleNotify(Record* record, HWND window, WPARAM command, LPARAM lparam) {
  // Notifications of an input context that has none of ours (deselected,
  // or never selected) change nothing.
  Context* window_context = Find(WindowContextHandle(window));
  if (window_context == nullptr) return;
  Context* context = CurrentContext(*record);
  UIManagerInterface* manager = record->manager.get();
  switch (command) {
    case IMN_CLOSESTATUSWINDOW:
    case IMN_OPENSTATUSWINDOW:
      if (IsOpen(context)) {
        manager->SetOption(kUIOptionStatusWindow,
                           command == IMN_OPENSTATUSWINDOW ? 1 : 0);
        manager->Update(kUpdateMode);
      }
      break;
    case IMN_CLOSECANDIDATE:
      if (context != nullptr) context->SetFlag(kFlagCandidateWindow, false);
      break;
    case IMN_OPENCANDIDATE:
      // While the application positions the composition window, the
      // candidate window follows that position.
      if (context != nullptr && !context->GetFlag(kFlagCompositionWindow)) {
        context->SetFlag(kFlagCandidateWindow, true);
      }
      break;
    case IMN_SETCONVERSIONMODE:
      window_context->ReadConversionStatus();
      if (IsOpen(window_context)) manager->Update(kUpdateMode);
      break;
    case IMN_SETSENTENCEMODE:
      window_context->ReadConversionStatus();
      break;
    case IMN_SETOPENSTATUS:
      if (context != nullptr) AttachOpenContext(record, context);
      break;
    case IMN_SETCANDIDATEPOS:
      // Positions asked for while an update is on its way describe the
      // old text: the update's own IMN_PRIVATE comes first.
      if ((lparam & 1) != 0 && IsOpen(context) &&
          !context->GetFlag(kFlagUpdatePending)) {
        context->SetFlag(kFlagCandidateWindow, true);
        context->SetFlag(kFlagCompositionWindow, false);
        manager->GetCandidateRect();
      }
      break;
    case IMN_SETCOMPOSITIONWINDOW:
      if (IsOpen(context) && !context->GetFlag(kFlagUpdatePending)) {
        context->SetFlag(kFlagCompositionWindow, true);
        context->SetFlag(kFlagCandidateWindow, false);
        manager->GetCandidateRect();
      }
      break;
    case IMN_PRIVATE:
      // The end of one Update of the context: its flags for the windows.
      if (IsOpen(context)) manager->Update(static_cast<uint32_t>(lparam));
      window_context->SetFlag(kFlagUpdatePending, false);
      break;
    default:
      break;
  }
}

// Handles |message| for a window with a record; false for messages that go
// to DefWindowProcW.
bool Handle(Record* record, HWND window, UINT message, WPARAM wparam,
            LPARAM lparam) {
  switch (message) {
    case WM_IME_STARTCOMPOSITION:
    case WM_IME_ENDCOMPOSITION:
      if (Context* context = CurrentContext(*record)) {
        context->SetFlag(kFlagCompositionWindow,
                         message == WM_IME_STARTCOMPOSITION);
      }
      return true;
    case WM_IME_COMPOSITION:
    case WM_IME_CONTROL:
    case WM_IME_COMPOSITIONFULL:
    case WM_IME_CHAR:
    case WM_IME_KEYDOWN:
    case WM_IME_KEYUP:
      return true;
    case WM_IME_SETCONTEXT: {
      record->himc = wparam != 0 ? WindowContextHandle(window) : nullptr;
      Context* context = CurrentContext(*record);
      if (context != nullptr) {
        if ((static_cast<DWORD>(lparam) & ISC_SHOWUICOMPOSITIONWINDOW) == 0) {
          context->SetFlag(kFlagCompositionWindow, false);
        }
        if ((static_cast<DWORD>(lparam) & ISC_SHOWUIALLCANDIDATEWINDOW) == 0) {
          context->SetFlag(kFlagCandidateWindow, false);
        }
      }
      AttachOpenContext(record, context);
      return true;
    }
    case WM_IME_SELECT:
      record->himc = wparam != 0 ? WindowContextHandle(window) : nullptr;
      AttachOpenContext(record, CurrentContext(*record));
      return true;
    case WM_IME_NOTIFY:
      HandleNotify(record, window, wparam, lparam);
      return true;
    default:
      return false;
  }
}

// The records that |select| picks, with their HIMC forgotten, taken out of
// the lock so that their managers can be called.
template <typename Select>
std::vector<Record*> Unbind(Select select) {
  std::vector<Record*> picked;
  Shared& shared = Globals();
  std::lock_guard<std::mutex> hold(shared.lock);
  for (Record* record : shared.records) {
    if (select(*record)) {
      record->himc = nullptr;
      picked.push_back(record);
    }
  }
  return picked;
}

}  // namespace

LRESULT CALLBACK ImeUIWindow::WindowProc(HWND window, UINT message,
                                         WPARAM wparam, LPARAM lparam) {
  // A context that the application deselects while a handler below works
  // on it (through the engine, which may send it messages) stays in memory,
  // marked removed, until the message is done.
  ModuleCallScope call;
  try {
    if (message == WM_CREATE) {
      // No manager, no window.
      if (!CreateRecord(window)) return -1;
      return ::DefWindowProcW(window, message, wparam, lparam);
    }
    Record* record = RecordOf(window);
    if (record == nullptr) {
      if (::ImmIsUIMessageW(nullptr, message, wparam, lparam)) return 0;
      return ::DefWindowProcW(window, message, wparam, lparam);
    }
    LRESULT result = 0;
    if (!Handle(record, window, message, wparam, lparam)) {
      result = ::DefWindowProcW(window, message, wparam, lparam);
    }
    if (message == WM_NCDESTROY) DestroyRecord(window, record);
    return result;
  } catch (...) {
    LogFailure("a message");
    return message == WM_CREATE ? -1 : 0;
  }
}

void ImeUIWindow::SetUIManagerFactory(UIManagerFactory factory) {
  Shared& shared = Globals();
  std::lock_guard<std::mutex> hold(shared.lock);
  shared.factory = std::move(factory);
}

ATOM ImeUIWindow::RegisterUIClass(HINSTANCE instance) {
  WNDCLASSEXW window_class = {};
  window_class.cbSize = sizeof(window_class);
  window_class.style = CS_IME;
  window_class.lpfnWndProc = &ImeUIWindow::WindowProc;
  window_class.cbWndExtra = kUIWindowExtraBytes;
  window_class.hInstance = instance;
  window_class.lpszClassName = kUIWindowClassName;
  const ATOM atom = ::RegisterClassExW(&window_class);
  if (atom != 0) return atom;
  // IMM32 may inquire again without ImeDestroy between: the class this
  // module registered then still serves.
  WNDCLASSEXW registered = {};
  registered.cbSize = sizeof(registered);
  const ATOM found = static_cast<ATOM>(
      ::GetClassInfoExW(instance, kUIWindowClassName, &registered));
  return found != 0 && registered.lpfnWndProc == &ImeUIWindow::WindowProc
             ? found
             : 0;
}

bool ImeUIWindow::UnregisterUIClass(HINSTANCE instance) {
  return ::UnregisterClassW(kUIWindowClassName, instance) != FALSE;
}

void ImeUIWindow::DetachUIManagers(HIMC himc) {
  if (himc == nullptr) return;
  try {
    for (Record* record :
         Unbind([himc](const Record& r) { return r.himc == himc; })) {
      record->manager->AttachEngine(nullptr);
    }
  } catch (...) {
    LogFailure("detaching the UI managers of a context");
  }
}

void ImeUIWindow::DetachAllUIManagers() {
  try {
    for (Record* record : Unbind([](const Record&) { return true; })) {
      record->manager->AttachEngine(nullptr);
    }
  } catch (...) {
    LogFailure("detaching every UI manager");
  }
}

size_t ImeUIWindow::WindowCount() {
  Shared& shared = Globals();
  std::lock_guard<std::mutex> hold(shared.lock);
  return shared.records.size();
}

void ImeUIWindow::SetProcessDetaching(bool detaching) {
  g_detaching.store(detaching);
}

bool ImeUIWindow::IsProcessDetaching() { return g_detaching.load(); }

UIManagerInterface* ImeUIWindow::ManagerOf(HWND window) {
  Shared& shared = Globals();
  std::lock_guard<std::mutex> hold(shared.lock);
  for (Record* record : shared.records) {
    if (record->window == window) return record->manager.get();
  }
  return nullptr;
}

}  // namespace imm
}  // namespace ime_shared
