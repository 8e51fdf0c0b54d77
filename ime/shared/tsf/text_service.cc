#include "ime/shared/tsf/text_service.h"

#include <cwchar>

#include "ime/shared/base/com_bstr.h"
#include "ime/shared/tsf/display_attribute.h"

namespace ime_shared {
namespace tsf {

using base::GuardComCall;

const wchar_t TextService::kDisplayName[] = L"Tarvel Translit";

TextService::~TextService() { Deactivate(); }

STDMETHODIMP TextService::Activate(ITfThreadMgr* thread_manager, TfClientId client_id) {
  HRESULT result = GuardComCall([&]() -> HRESULT {
    // A second activation without a deactivation starts over.
    if (thread_manager_) Deactivate();
    thread_manager_ = base::MakeComObject<ThreadManager>(GetTextServiceFactories());
    if (!thread_manager_) return E_OUTOFMEMORY;
    return thread_manager_->Init(thread_manager, client_id);
  });
  if (FAILED(result)) Deactivate();
  return result;
}

STDMETHODIMP TextService::Deactivate() {
  if (!thread_manager_) return S_OK;
  base::ComPtr<ThreadManager> thread_manager;
  thread_manager.Attach(thread_manager_.Detach());
  thread_manager->Uninit();
  return S_OK;
}

STDMETHODIMP TextService::ActivateEx(ITfThreadMgr* thread_manager, TfClientId client_id,
                                     DWORD flags) {
  return Activate(thread_manager, client_id);
}

STDMETHODIMP TextService::EnumDisplayAttributeInfo(IEnumTfDisplayAttributeInfo** out) {
  return GuardComCall([&]() -> HRESULT { return DisplayAttribute::Enumerate(out); });
}

STDMETHODIMP TextService::GetDisplayAttributeInfo(REFGUID guid, ITfDisplayAttributeInfo** out) {
  return GuardComCall([&]() -> HRESULT { return DisplayAttribute::GetInfo(guid, out); });
}

STDMETHODIMP TextService::GetDisplayName(BSTR* name) {
  if (name == nullptr) return E_INVALIDARG;
  return base::AllocBstr(kDisplayName, wcslen(kDisplayName), name) ? S_OK : E_FAIL;
}

STDMETHODIMP TextService::Show(HWND parent, LANGID language, REFGUID profile) { return S_OK; }

}  // namespace tsf
}  // namespace ime_shared
