#include "ime/shared/tsf/testing/fake_compartments.h"

#include <oleauto.h>

namespace ime_tsf_testing {

using ime_shared::base::ComPtr;

FakeCompartment::FakeCompartment(REFGUID guid) : guid_(guid) { ::VariantInit(&value_); }

FakeCompartment::~FakeCompartment() { ::VariantClear(&value_); }

STDMETHODIMP FakeCompartment::SetValue(TfClientId client_id, const VARIANT* value) {
  if (value == nullptr) return E_INVALIDARG;
  ::VariantCopy(&value_, const_cast<VARIANT*>(value));
  writes_.push_back(value->vt == VT_I4 ? value->lVal : -1);
  last_writer_ = client_id;
  if (notify_on_write) Notify();
  return S_OK;
}

STDMETHODIMP FakeCompartment::GetValue(VARIANT* value) {
  if (value == nullptr) return E_INVALIDARG;
  ::VariantInit(value);
  if (FAILED(read_result)) return read_result;
  if (value_.vt == VT_EMPTY) return S_FALSE;
  return ::VariantCopy(value, &value_);
}

STDMETHODIMP FakeCompartment::AdviseSink(REFIID iid, IUnknown* sink, DWORD* cookie) {
  return sinks_.Advise(iid, sink, cookie);
}

STDMETHODIMP FakeCompartment::UnadviseSink(DWORD cookie) { return sinks_.Unadvise(cookie); }

void FakeCompartment::Change(const VARIANT& value) {
  ::VariantCopy(&value_, const_cast<VARIANT*>(&value));
  Notify();
}

void FakeCompartment::ChangeInt(int32_t value) {
  VARIANT variant;
  ::VariantInit(&variant);
  variant.vt = VT_I4;
  variant.lVal = value;
  Change(variant);
}

void FakeCompartment::Preset(int32_t value) {
  ::VariantClear(&value_);
  value_.vt = VT_I4;
  value_.lVal = value;
}

int32_t FakeCompartment::IntValue(int32_t fallback) const {
  return value_.vt == VT_I4 ? value_.lVal : fallback;
}

void FakeCompartment::Notify() {
  // Once a loop is seen nobody is told anything more, so that the calls
  // unwind at once.
  if (loop_detected_ || depth_ >= kMaxNotifyDepth) {
    loop_detected_ = true;
    return;
  }
  ++depth_;
  // A snapshot: a sink may unadvise while it is told.
  for (const ComPtr<ITfCompartmentEventSink>& sink :
       sinks_.Sinks<ITfCompartmentEventSink>()) {
    sink->OnChange(guid_);
  }
  --depth_;
}

HRESULT CompartmentStore::GetCompartment(REFGUID guid, ITfCompartment** out) {
  if (out == nullptr) return E_INVALIDARG;
  *out = nullptr;
  for (const GUID& missing : missing_) {
    if (IsEqualGUID(missing, guid)) return E_FAIL;
  }
  FakeCompartment* compartment = Get(guid);
  if (compartment == nullptr) return E_OUTOFMEMORY;
  *out = compartment;
  compartment->AddRef();
  return S_OK;
}

FakeCompartment* CompartmentStore::Get(REFGUID guid) {
  for (const ComPtr<FakeCompartment>& compartment : compartments_) {
    if (IsEqualGUID(compartment->guid(), guid)) return compartment.Get();
  }
  ComPtr<FakeCompartment> made = ime_shared::base::MakeComObject<FakeCompartment>(guid);
  if (!made) return nullptr;
  compartments_.push_back(made);
  return made.Get();
}

bool CompartmentStore::Has(REFGUID guid) const {
  for (const ComPtr<FakeCompartment>& compartment : compartments_) {
    if (IsEqualGUID(compartment->guid(), guid)) return true;
  }
  return false;
}

}  // namespace ime_tsf_testing
