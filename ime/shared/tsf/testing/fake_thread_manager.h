// A fake TSF thread manager with its focused document manager, its
// compartments, its event sources and, unless a test takes it away, the
// UI-element manager of the host (whose bShow answer the test chooses).
#ifndef IME_SHARED_TSF_TESTING_FAKE_THREAD_MANAGER_H_
#define IME_SHARED_TSF_TESTING_FAKE_THREAD_MANAGER_H_

#include <windows.h>

#include <vector>

#include "ime/shared/base/com_object.h"
#include "ime/shared/base/com_ptr.h"
#include "ime/shared/base/tsf_declarations.h"
#include "ime/shared/tsf/testing/fake_compartments.h"
#include "ime/shared/tsf/testing/sink_list.h"

namespace ime_tsf_testing {

// A document manager whose top (and base) context is the one it is given.
class FakeDocumentMgr : public ime_shared::base::ComObject<ITfDocumentMgr> {
 public:
  explicit FakeDocumentMgr(ITfContext* top = nullptr) : top_(top) {}

  void SetTop(ITfContext* top) { top_.Reset(top); }

  STDMETHODIMP CreateContext(TfClientId owner, DWORD flags, IUnknown* store,
                             ITfContext** context, TfEditCookie* cookie) override {
    return E_NOTIMPL;
  }
  STDMETHODIMP Push(ITfContext* context) override { return E_NOTIMPL; }
  STDMETHODIMP Pop(DWORD flags) override { return E_NOTIMPL; }
  STDMETHODIMP GetTop(ITfContext** context) override { return top_.CopyTo(context); }
  STDMETHODIMP GetBase(ITfContext** context) override { return top_.CopyTo(context); }
  STDMETHODIMP EnumContexts(IEnumTfContexts** contexts) override { return E_NOTIMPL; }

 private:
  ime_shared::base::ComPtr<ITfContext> top_;
};

class FakeThreadMgr
    : public ime_shared::base::ComObject<ITfThreadMgr, ITfSource, ITfCompartmentMgr,
                                         ITfUIElementMgr> {
 public:
  // What the host did with one UI element.
  struct ElementRecord {
    DWORD id;
    ime_shared::base::ComPtr<ITfUIElement> element;
    int updates = 0;
    bool ended = false;
    // GetUpdatedFlags as the host read it at each update.
    std::vector<DWORD> flags_read;
  };

  FakeThreadMgr() = default;

  // QueryInterface; ITfUIElementMgr only while |has_ui_element_manager|.
  STDMETHODIMP QueryInterface(REFIID iid, void** out) override;

  // ITfThreadMgr
  STDMETHODIMP Activate(TfClientId* client_id) override;
  STDMETHODIMP Deactivate() override { return S_OK; }
  STDMETHODIMP CreateDocumentMgr(ITfDocumentMgr** document) override { return E_NOTIMPL; }
  STDMETHODIMP EnumDocumentMgrs(IEnumTfDocumentMgrs** documents) override {
    return E_NOTIMPL;
  }
  STDMETHODIMP GetFocus(ITfDocumentMgr** document) override;
  STDMETHODIMP SetFocus(ITfDocumentMgr* document) override;
  STDMETHODIMP AssociateFocus(HWND window, ITfDocumentMgr* document,
                              ITfDocumentMgr** previous) override {
    return E_NOTIMPL;
  }
  STDMETHODIMP IsThreadFocus(BOOL* focus) override;
  STDMETHODIMP GetFunctionProvider(REFCLSID clsid, ITfFunctionProvider** provider) override {
    return E_NOTIMPL;
  }
  STDMETHODIMP EnumFunctionProviders(IEnumTfFunctionProviders** providers) override {
    return E_NOTIMPL;
  }
  STDMETHODIMP GetGlobalCompartment(ITfCompartmentMgr** manager) override {
    return E_NOTIMPL;
  }

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

  // ITfUIElementMgr: Begin answers |begin_show| (or fails with
  // |begin_result|); Update reads the element's updated flags, as a host
  // that draws it would.
  STDMETHODIMP BeginUIElement(ITfUIElement* element, BOOL* show, DWORD* id) override;
  STDMETHODIMP UpdateUIElement(DWORD id) override;
  STDMETHODIMP EndUIElement(DWORD id) override;
  STDMETHODIMP GetUIElement(DWORD id, ITfUIElement** element) override;
  STDMETHODIMP EnumUIElements(IEnumTfUIElements** elements) override { return E_NOTIMPL; }

  // The host moves the focus to |document| (null: none) and tells the
  // thread-manager event sinks (before it moves it, when
  // |notify_before_focus|, as Wine's thread manager does).
  void ChangeFocus(ITfDocumentMgr* document);

  SinkList& sinks() { return sinks_; }
  CompartmentStore& compartments() { return compartments_; }
  const std::vector<ElementRecord>& elements() const { return elements_; }
  // The elements begun and not ended.
  int LiveElements() const;

  bool has_ui_element_manager = true;
  bool notify_before_focus = false;
  BOOL begin_show = FALSE;
  HRESULT begin_result = S_OK;
  HRESULT focus_result = S_OK;
  TfClientId client_id = 0x51;

 private:
  ElementRecord* Find(DWORD id);

  ime_shared::base::ComPtr<ITfDocumentMgr> focus_;
  SinkList sinks_;
  CompartmentStore compartments_;
  std::vector<ElementRecord> elements_;
  DWORD next_element_id_ = 7;
};

}  // namespace ime_tsf_testing

#endif  // IME_SHARED_TSF_TESTING_FAKE_THREAD_MANAGER_H_
