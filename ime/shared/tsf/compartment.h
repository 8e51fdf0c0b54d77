// One TSF compartment of a thread manager or a context: its value is written
// with the text service's client id, and its change events go to the sink
// given at construction. An owner without such a compartment leaves the
// object empty: writes then fail with E_UNEXPECTED and nothing is heard.
#ifndef IME_SHARED_TSF_COMPARTMENT_H_
#define IME_SHARED_TSF_COMPARTMENT_H_

#include <windows.h>

#include <cstdint>

#include "ime/shared/base/com_ptr.h"
#include "ime/shared/base/tsf_declarations.h"
#include "ime/shared/tsf/sink_advisor.h"

namespace ime_shared {
namespace tsf {

class Compartment : public SinkAdvisorBase<ITfCompartmentEventSink> {
 public:
  // |owner|'s compartment |guid| (through its ITfCompartmentMgr); with a
  // |sink|, that sink is advised on it.
  Compartment(TfClientId client_id, IUnknown* owner, REFGUID guid,
              ITfCompartmentEventSink* sink);
  // Unadvises the sink and releases the compartment.
  ~Compartment() override;

  const GUID& guid() const { return guid_; }
  bool IsPresent() const { return static_cast<bool>(compartment_); }

  // Writes |value| as VT_I4. E_UNEXPECTED without a compartment.
  HRESULT SetValue(int32_t value);
  // The value when it is a VT_I4; false without a compartment, on a read
  // error or for a value of another type.
  bool GetValue(int32_t* value) const;

 private:
  const TfClientId client_id_;
  const GUID guid_;
  base::ComPtr<ITfCompartment> compartment_;
};

}  // namespace tsf
}  // namespace ime_shared

#endif  // IME_SHARED_TSF_COMPARTMENT_H_
