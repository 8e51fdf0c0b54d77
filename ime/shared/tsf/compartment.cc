#include "ime/shared/tsf/compartment.h"

#include <oleauto.h>

namespace ime_shared {
namespace tsf {

using base::ComPtr;

Compartment::Compartment(TfClientId client_id, IUnknown* owner, REFGUID guid,
                         ITfCompartmentEventSink* sink)
    : client_id_(client_id), guid_(guid) {
  ComPtr<ITfCompartmentMgr> manager;
  if (FAILED(manager.QueryFrom(owner)) || !manager) return;
  if (FAILED(manager->GetCompartment(guid_, compartment_.Receive()))) {
    compartment_.Reset();
    return;
  }
  if (compartment_ && sink != nullptr) Advise(compartment_.Get(), sink);
}

Compartment::~Compartment() {
  Unadvise();
  compartment_.Reset();
}

HRESULT Compartment::SetValue(int32_t value) {
  if (!compartment_) return E_UNEXPECTED;
  VARIANT variant;
  ::VariantInit(&variant);
  variant.vt = VT_I4;
  variant.lVal = value;
  return compartment_->SetValue(client_id_, &variant);
}

bool Compartment::GetValue(int32_t* value) const {
  if (!compartment_ || value == nullptr) return false;
  VARIANT variant;
  ::VariantInit(&variant);
  HRESULT result = compartment_->GetValue(&variant);
  bool is_int = SUCCEEDED(result) && variant.vt == VT_I4;
  if (is_int) *value = variant.lVal;
  ::VariantClear(&variant);
  return is_int;
}

}  // namespace tsf
}  // namespace ime_shared
