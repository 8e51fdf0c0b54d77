#include "ime/shared/tsf/testing/fake_context.h"

namespace ime_tsf_testing {

STDMETHODIMP FakeContext::RequestEditSession(TfClientId client_id, ITfEditSession* session,
                                             DWORD flags, HRESULT* session_result) {
  return E_NOTIMPL;
}

STDMETHODIMP FakeContext::InWriteSession(TfClientId client_id, BOOL* writing) {
  if (writing == nullptr) return E_INVALIDARG;
  *writing = FALSE;
  return S_OK;
}

STDMETHODIMP FakeContext::GetSelection(TfEditCookie cookie, ULONG index, ULONG count,
                                       TF_SELECTION* selection, ULONG* fetched) {
  return E_NOTIMPL;
}

STDMETHODIMP FakeContext::SetSelection(TfEditCookie cookie, ULONG count,
                                       const TF_SELECTION* selection) {
  return E_NOTIMPL;
}

STDMETHODIMP FakeContext::GetStart(TfEditCookie cookie, ITfRange** start) { return E_NOTIMPL; }

STDMETHODIMP FakeContext::GetEnd(TfEditCookie cookie, ITfRange** end) { return E_NOTIMPL; }

STDMETHODIMP FakeContext::GetActiveView(ITfContextView** view) { return E_NOTIMPL; }

STDMETHODIMP FakeContext::EnumViews(IEnumTfContextViews** views) { return E_NOTIMPL; }

STDMETHODIMP FakeContext::GetStatus(TF_STATUS* status) { return E_NOTIMPL; }

STDMETHODIMP FakeContext::GetProperty(REFGUID guid, ITfProperty** property) {
  return E_NOTIMPL;
}

STDMETHODIMP FakeContext::GetAppProperty(REFGUID guid, ITfReadOnlyProperty** property) {
  return E_NOTIMPL;
}

STDMETHODIMP FakeContext::TrackProperties(const GUID** properties, ULONG property_count,
                                          const GUID** app_properties,
                                          ULONG app_property_count,
                                          ITfReadOnlyProperty** property) {
  return E_NOTIMPL;
}

STDMETHODIMP FakeContext::EnumProperties(IEnumTfProperties** properties) { return E_NOTIMPL; }

STDMETHODIMP FakeContext::GetDocumentMgr(ITfDocumentMgr** document) {
  return document_.CopyTo(document);
}

STDMETHODIMP FakeContext::CreateRangeBackup(TfEditCookie cookie, ITfRange* range,
                                            ITfRangeBackup** backup) {
  return E_NOTIMPL;
}

}  // namespace ime_tsf_testing
