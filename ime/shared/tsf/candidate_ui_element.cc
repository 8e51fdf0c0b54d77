#include "ime/shared/tsf/candidate_ui_element.h"

#include <cwchar>

#include "ime/shared/base/com_bstr.h"
#include "ime/shared/language_identity.h"

namespace ime_shared {
namespace tsf {

using base::ComPtr;
using base::GuardComCall;

const wchar_t ExternalCandidateUI::kDescription[] = L"ExternalCandidateUI";

const GUID& ExternalCandidateUI::Guid() { return InputMethod::kCandidateUIElementGuid; }

ExternalCandidateUI::ExternalCandidateUI(ITfUIElementMgr* manager, ITfDocumentMgr* document,
                                         EngineInterface* engine)
    : manager_(manager), document_(document), engine_(engine) {}

ExternalCandidateUI::~ExternalCandidateUI() {
  // An element still live in the host's list is taken out of it.
  End();
}

void ExternalCandidateUI::Begin() {
  host_shows_ = true;
  if (!manager_ || IsBegun()) return;
  BOOL show = TRUE;
  DWORD id = TF_INVALID_UIELEMENTID;
  if (FAILED(manager_->BeginUIElement(this, &show, &id))) {
    show = TRUE;
    id = TF_INVALID_UIELEMENTID;
  }
  id_ = id;
  host_shows_ = show != FALSE;
}

void ExternalCandidateUI::Notify() {
  if (!manager_ || !IsBegun()) return;
  updated_flags_ = kAllChanged;
  manager_->UpdateUIElement(id_);
}

void ExternalCandidateUI::End() {
  if (!manager_ || !IsBegun()) return;
  // Kept through the calls: the host may call back into the element.
  ComPtr<ITfUIElementMgr> manager = manager_;
  DWORD id = id_;
  updated_flags_ = kAllChanged;
  manager->UpdateUIElement(id);
  id_ = TF_INVALID_UIELEMENTID;
  host_shows_ = true;
  manager->EndUIElement(id);
}

void ExternalCandidateUI::Detach() {
  document_.Reset();
  manager_.Reset();
  engine_ = nullptr;
  updated_flags_ = 0;
  id_ = TF_INVALID_UIELEMENTID;
  host_shows_ = true;
}

UINT ExternalCandidateUI::CandidateCount() const {
  if (engine_ == nullptr) return 0;
  int32_t count = engine_->CandidateCount();
  return count > 0 ? static_cast<UINT>(count) : 0;
}

STDMETHODIMP ExternalCandidateUI::GetDescription(BSTR* description) {
  if (description == nullptr) return E_INVALIDARG;
  return base::AllocBstr(kDescription, wcslen(kDescription), description) ? S_OK : E_FAIL;
}

STDMETHODIMP ExternalCandidateUI::GetGUID(GUID* guid) {
  if (guid == nullptr) return E_INVALIDARG;
  *guid = Guid();
  return S_OK;
}

STDMETHODIMP ExternalCandidateUI::Show(BOOL show) { return E_NOTIMPL; }

STDMETHODIMP ExternalCandidateUI::IsShown(BOOL* shown) {
  if (shown == nullptr) return E_INVALIDARG;
  *shown = IsBegun() && host_shows_ ? TRUE : FALSE;
  return S_OK;
}

STDMETHODIMP ExternalCandidateUI::GetUpdatedFlags(DWORD* flags) {
  if (flags == nullptr) return E_INVALIDARG;
  *flags = updated_flags_;
  updated_flags_ = 0;
  return S_OK;
}

STDMETHODIMP ExternalCandidateUI::GetDocumentMgr(ITfDocumentMgr** document) {
  return document_.CopyTo(document);
}

STDMETHODIMP ExternalCandidateUI::GetCount(UINT* count) {
  return GuardComCall([&]() -> HRESULT {
    if (count == nullptr) return E_INVALIDARG;
    *count = CandidateCount();
    return S_OK;
  });
}

STDMETHODIMP ExternalCandidateUI::GetSelection(UINT* index) {
  return GuardComCall([&]() -> HRESULT {
    if (index == nullptr) return E_INVALIDARG;
    int32_t selection = engine_ != nullptr ? engine_->CandidateSelection() : 0;
    *index = selection > 0 ? static_cast<UINT>(selection) : 0;
    return S_OK;
  });
}

STDMETHODIMP ExternalCandidateUI::GetString(UINT index, BSTR* text) {
  return GuardComCall([&]() -> HRESULT {
    if (text == nullptr) return E_INVALIDARG;
    *text = nullptr;
    // Hosts ask for indexes of a page they read earlier; after a commit or a
    // page change the list may be shorter or gone.
    if (index >= CandidateCount()) return E_INVALIDARG;
    std::wstring candidate = engine_->CandidateAt(static_cast<int32_t>(index));
    return base::AllocBstr(candidate, text) ? S_OK : E_FAIL;
  });
}

STDMETHODIMP ExternalCandidateUI::GetPageIndex(UINT* index, UINT size, UINT* page_count) {
  return GuardComCall([&]() -> HRESULT {
    if (page_count == nullptr) return E_INVALIDARG;
    // The engine shows one page at a time: it is the only page, starting at
    // 0. A host that asked for the page count allocates one entry and reads
    // it back, so the start is written whenever there is room for it.
    *page_count = 1;
    if (index != nullptr && size >= 1) index[0] = 0;
    if (index != nullptr && size >= 2) index[1] = CandidateCount();
    return S_OK;
  });
}

STDMETHODIMP ExternalCandidateUI::SetPageIndex(UINT* index, UINT page_count) {
  return GuardComCall([&]() -> HRESULT {
    if (index == nullptr || page_count == 0) return E_INVALIDARG;
    if (page_count > 1 && engine_ != nullptr) {
      // The host's second page starts where it wants the first to end.
      engine_->ResizePage(static_cast<int32_t>(index[1]));
    }
    return S_OK;
  });
}

STDMETHODIMP ExternalCandidateUI::GetCurrentPage(UINT* page) {
  if (page == nullptr) return E_INVALIDARG;
  *page = 0;
  return S_OK;
}

STDMETHODIMP ExternalCandidateUI::SetSelection(UINT index) {
  return GuardComCall([&]() -> HRESULT {
    if (engine_ != nullptr) engine_->SelectCandidate(static_cast<int32_t>(index), false);
    return S_OK;
  });
}

STDMETHODIMP ExternalCandidateUI::Finalize() {
  return GuardComCall([&]() -> HRESULT {
    if (engine_ != nullptr) engine_->EndComposition(true);
    return S_OK;
  });
}

STDMETHODIMP ExternalCandidateUI::Abort() {
  return GuardComCall([&]() -> HRESULT {
    if (engine_ != nullptr) engine_->EndComposition(false);
    return S_OK;
  });
}

CandidateUIManager::CandidateUIManager(ITfThreadMgr* thread_manager, EngineInterface* engine)
    : engine_(engine) {
  ComPtr<ITfUIElementMgr> manager;
  ComPtr<ITfDocumentMgr> document;
  if (thread_manager != nullptr) {
    manager.QueryFrom(thread_manager);
    if (FAILED(thread_manager->GetFocus(document.Receive()))) document.Reset();
  }
  element_ = base::MakeComObject<ExternalCandidateUI>(manager.Get(), document.Get(), engine);
}

CandidateUIManager::~CandidateUIManager() {
  if (!element_) return;
  element_->End();
  element_->Detach();
}

void CandidateUIManager::Update() {
  const bool has_candidates = engine_ != nullptr && engine_->CandidateCount() > 0;
  switch (state_) {
    case kIdle:
      if (!has_candidates) return;
      if (element_ && !element_->IsBegun()) element_->Begin();
      if (element_ && element_->IsBegun() && !element_->HostShows()) {
        element_->Notify();
        state_ = kHostDraws;
      } else {
        state_ = kOwnWindow;
      }
      return;
    case kHostDraws:
      element_->Notify();
      if (has_candidates) return;
      element_->End();
      state_ = kIdle;
      return;
    case kOwnWindow:
      if (has_candidates) return;
      if (element_) element_->End();
      state_ = kIdle;
      return;
  }
}

}  // namespace tsf
}  // namespace ime_shared
