// Fake TSF compartments: values held in memory, every write reported to the
// advised ITfCompartmentEventSinks at once (as Wine's compartments do, even
// when the value did not change), and a store of them by GUID that a fake
// owner (thread manager, context) answers ITfCompartmentMgr from.
#ifndef IME_SHARED_TSF_TESTING_FAKE_COMPARTMENTS_H_
#define IME_SHARED_TSF_TESTING_FAKE_COMPARTMENTS_H_

#include <windows.h>

#include <cstdint>
#include <vector>

#include "ime/shared/base/com_object.h"
#include "ime/shared/base/com_ptr.h"
#include "ime/shared/base/tsf_declarations.h"
#include "ime/shared/tsf/testing/sink_list.h"

namespace ime_tsf_testing {

class FakeCompartment
    : public ime_shared::base::ComObject<ITfCompartment, ITfSource> {
 public:
  // Notifications nested deeper than this count as a loop: from then on
  // the compartment tells nobody, so that a test of a runaway write cycle
  // fails instead of overflowing the stack or running for ever.
  static constexpr int kMaxNotifyDepth = 32;

  explicit FakeCompartment(REFGUID guid);
  ~FakeCompartment() override;

  // ITfCompartment
  STDMETHODIMP SetValue(TfClientId client_id, const VARIANT* value) override;
  STDMETHODIMP GetValue(VARIANT* value) override;
  // ITfSource
  STDMETHODIMP AdviseSink(REFIID iid, IUnknown* sink, DWORD* cookie) override;
  STDMETHODIMP UnadviseSink(DWORD cookie) override;

  // Another client writes |value| (the sinks hear of it).
  void Change(const VARIANT& value);
  void ChangeInt(int32_t value);
  // Sets the value without telling anyone.
  void Preset(int32_t value);

  const GUID& guid() const { return guid_; }
  // The value as an integer; |fallback| unless it is VT_I4.
  int32_t IntValue(int32_t fallback = -1) const;
  VARTYPE type() const { return value_.vt; }

  // Every SetValue call (not Change), with the integer written.
  const std::vector<int32_t>& writes() const { return writes_; }
  TfClientId last_writer() const { return last_writer_; }
  bool loop_detected() const { return loop_detected_; }
  SinkList& sinks() { return sinks_; }

  bool notify_on_write = true;
  // A failure that GetValue answers instead of the value.
  HRESULT read_result = S_OK;

 private:
  void Notify();

  const GUID guid_;
  VARIANT value_;
  std::vector<int32_t> writes_;
  TfClientId last_writer_ = 0;
  int depth_ = 0;
  bool loop_detected_ = false;
  SinkList sinks_;
};

// The compartments of one fake owner, made on first use like TSF's.
class CompartmentStore {
 public:
  // ITfCompartmentMgr::GetCompartment. A GUID marked missing answers
  // E_FAIL.
  HRESULT GetCompartment(REFGUID guid, ITfCompartment** out);
  // The compartment |guid|, made when it does not exist yet.
  FakeCompartment* Get(REFGUID guid);
  // Whether GetCompartment was ever asked for |guid| (or Get made it).
  bool Has(REFGUID guid) const;
  void MarkMissing(REFGUID guid) { missing_.push_back(guid); }

 private:
  std::vector<ime_shared::base::ComPtr<FakeCompartment>> compartments_;
  std::vector<GUID> missing_;
};

}  // namespace ime_tsf_testing

#endif  // IME_SHARED_TSF_TESTING_FAKE_COMPARTMENTS_H_
