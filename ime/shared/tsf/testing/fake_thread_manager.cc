#include "ime/shared/tsf/testing/fake_thread_manager.h"

namespace ime_tsf_testing {

using ime_shared::base::ComPtr;

STDMETHODIMP FakeThreadMgr::QueryInterface(REFIID iid, void** out) {
  if (!has_ui_element_manager && IsEqualIID(iid, __uuidof(ITfUIElementMgr))) {
    if (out != nullptr) *out = nullptr;
    return E_NOINTERFACE;
  }
  return ComObject::QueryInterface(iid, out);
}

STDMETHODIMP FakeThreadMgr::Activate(TfClientId* id) {
  if (id == nullptr) return E_INVALIDARG;
  *id = client_id;
  return S_OK;
}

STDMETHODIMP FakeThreadMgr::GetFocus(ITfDocumentMgr** document) {
  if (document == nullptr) return E_INVALIDARG;
  *document = nullptr;
  if (FAILED(focus_result)) return focus_result;
  return focus_.CopyTo(document);
}

STDMETHODIMP FakeThreadMgr::SetFocus(ITfDocumentMgr* document) {
  focus_.Reset(document);
  return S_OK;
}

void FakeThreadMgr::ChangeFocus(ITfDocumentMgr* document) {
  ComPtr<ITfDocumentMgr> previous = focus_;
  if (!notify_before_focus) focus_.Reset(document);
  for (const ComPtr<ITfThreadMgrEventSink>& sink : sinks_.Sinks<ITfThreadMgrEventSink>()) {
    sink->OnSetFocus(document, previous.Get());
  }
  focus_.Reset(document);
}

STDMETHODIMP FakeThreadMgr::IsThreadFocus(BOOL* focus) {
  if (focus == nullptr) return E_INVALIDARG;
  *focus = TRUE;
  return S_OK;
}

STDMETHODIMP FakeThreadMgr::BeginUIElement(ITfUIElement* element, BOOL* show, DWORD* id) {
  if (element == nullptr || show == nullptr || id == nullptr) return E_INVALIDARG;
  if (FAILED(begin_result)) return begin_result;
  ElementRecord record;
  record.id = next_element_id_++;
  record.element.Reset(element);
  elements_.push_back(record);
  *id = record.id;
  *show = begin_show;
  return S_OK;
}

STDMETHODIMP FakeThreadMgr::UpdateUIElement(DWORD id) {
  ElementRecord* record = Find(id);
  if (record == nullptr || record->ended) return E_INVALIDARG;
  ++record->updates;
  ComPtr<ITfCandidateListUIElement> candidates;
  if (SUCCEEDED(candidates.QueryFrom(record->element.Get()))) {
    DWORD flags = 0;
    candidates->GetUpdatedFlags(&flags);
    // |record| may have moved if the element began another one meanwhile.
    Find(id)->flags_read.push_back(flags);
  }
  return S_OK;
}

STDMETHODIMP FakeThreadMgr::EndUIElement(DWORD id) {
  ElementRecord* record = Find(id);
  if (record == nullptr || record->ended) return E_INVALIDARG;
  record->ended = true;
  return S_OK;
}

STDMETHODIMP FakeThreadMgr::GetUIElement(DWORD id, ITfUIElement** element) {
  if (element == nullptr) return E_INVALIDARG;
  *element = nullptr;
  ElementRecord* record = Find(id);
  if (record == nullptr || record->ended) return E_INVALIDARG;
  return record->element.CopyTo(element);
}

int FakeThreadMgr::LiveElements() const {
  int live = 0;
  for (const ElementRecord& record : elements_) {
    if (!record.ended) ++live;
  }
  return live;
}

FakeThreadMgr::ElementRecord* FakeThreadMgr::Find(DWORD id) {
  for (ElementRecord& record : elements_) {
    if (record.id == id) return &record;
  }
  return nullptr;
}

}  // namespace ime_tsf_testing
