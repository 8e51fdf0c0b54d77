// A fake TSF context: an event source (key, edit, layout sinks) with
// compartments and its document manager. The text operations are not
// there yet; they answer E_NOTIMPL.
#ifndef IME_SHARED_TSF_TESTING_FAKE_CONTEXT_H_
#define IME_SHARED_TSF_TESTING_FAKE_CONTEXT_H_

#include <windows.h>

#include "ime/shared/base/com_object.h"
#include "ime/shared/base/com_ptr.h"
#include "ime/shared/base/tsf_declarations.h"
#include "ime/shared/tsf/testing/fake_compartments.h"
#include "ime/shared/tsf/testing/sink_list.h"

namespace ime_tsf_testing {

class FakeContext
    : public ime_shared::base::ComObject<ITfContext, ITfSource, ITfCompartmentMgr> {
 public:
  FakeContext() = default;

  void SetDocumentMgr(ITfDocumentMgr* document) { document_.Reset(document); }

  // ITfContext
  STDMETHODIMP RequestEditSession(TfClientId client_id, ITfEditSession* session,
                                  DWORD flags, HRESULT* session_result) override;
  STDMETHODIMP InWriteSession(TfClientId client_id, BOOL* writing) override;
  STDMETHODIMP GetSelection(TfEditCookie cookie, ULONG index, ULONG count,
                            TF_SELECTION* selection, ULONG* fetched) override;
  STDMETHODIMP SetSelection(TfEditCookie cookie, ULONG count,
                            const TF_SELECTION* selection) override;
  STDMETHODIMP GetStart(TfEditCookie cookie, ITfRange** start) override;
  STDMETHODIMP GetEnd(TfEditCookie cookie, ITfRange** end) override;
  STDMETHODIMP GetActiveView(ITfContextView** view) override;
  STDMETHODIMP EnumViews(IEnumTfContextViews** views) override;
  STDMETHODIMP GetStatus(TF_STATUS* status) override;
  STDMETHODIMP GetProperty(REFGUID guid, ITfProperty** property) override;
  STDMETHODIMP GetAppProperty(REFGUID guid, ITfReadOnlyProperty** property) override;
  STDMETHODIMP TrackProperties(const GUID** properties, ULONG property_count,
                               const GUID** app_properties, ULONG app_property_count,
                               ITfReadOnlyProperty** property) override;
  STDMETHODIMP EnumProperties(IEnumTfProperties** properties) override;
  STDMETHODIMP GetDocumentMgr(ITfDocumentMgr** document) override;
  STDMETHODIMP CreateRangeBackup(TfEditCookie cookie, ITfRange* range,
                                 ITfRangeBackup** backup) override;

  // ITfSource
  STDMETHODIMP AdviseSink(REFIID iid, IUnknown* sink, DWORD* cookie) override {
    return sinks_.Advise(iid, sink, cookie);
  }
  STDMETHODIMP UnadviseSink(DWORD cookie) override { return sinks_.Unadvise(cookie); }

  // ITfCompartmentMgr
  STDMETHODIMP GetCompartment(REFGUID guid, ITfCompartment** compartment) override {
    return compartments_.GetCompartment(guid, compartment);
  }
  STDMETHODIMP ClearCompartment(TfClientId client_id, REFGUID guid) override {
    return E_NOTIMPL;
  }
  STDMETHODIMP EnumCompartments(IEnumGUID** guids) override { return E_NOTIMPL; }

  SinkList& sinks() { return sinks_; }
  CompartmentStore& compartments() { return compartments_; }

 private:
  ime_shared::base::ComPtr<ITfDocumentMgr> document_;
  SinkList sinks_;
  CompartmentStore compartments_;
};

// An object that answers nothing but IUnknown: a source without ITfSource,
// an owner without compartments.
class PlainObject : public ime_shared::base::ComObject<IUnknown> {};

}  // namespace ime_tsf_testing

#endif  // IME_SHARED_TSF_TESTING_FAKE_CONTEXT_H_
