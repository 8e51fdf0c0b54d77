// The sinks advised on a fake TSF event source: what ITfSource::AdviseSink
// and UnadviseSink do, with records for the tests and switches that make
// the source refuse.
#ifndef IME_SHARED_TSF_TESTING_SINK_LIST_H_
#define IME_SHARED_TSF_TESTING_SINK_LIST_H_

#include <windows.h>
#include <olectl.h>

#include <cstddef>
#include <vector>

#include "ime/shared/base/com_ptr.h"
#include "ime/shared/base/tsf_declarations.h"

namespace ime_tsf_testing {

class SinkList {
 public:
  // AdviseSink: E_INVALIDARG for a null sink or cookie; |advise_result|
  // when it is a failure; CONNECT_E_CANNOTCONNECT for a refused IID or a
  // sink that does not answer |iid|; else a new cookie.
  HRESULT Advise(REFIID iid, IUnknown* sink, DWORD* cookie);
  // UnadviseSink: CONNECT_E_NOCONNECTION for an unknown cookie.
  HRESULT Unadvise(DWORD cookie);

  // The advised sinks of interface I, in advise order.
  template <typename I>
  std::vector<ime_shared::base::ComPtr<I>> Sinks() const {
    std::vector<ime_shared::base::ComPtr<I>> sinks;
    for (const Entry& entry : entries_) {
      if (!IsEqualIID(entry.iid, __uuidof(I))) continue;
      ime_shared::base::ComPtr<I> sink;
      if (SUCCEEDED(sink.QueryFrom(entry.sink.Get()))) sinks.push_back(sink);
    }
    return sinks;
  }
  size_t Count(REFIID iid) const;
  size_t size() const { return entries_.size(); }
  bool HasCookie(DWORD cookie) const;

  // Makes AdviseSink refuse sinks of |iid| (as Wine's context does for the
  // layout sink).
  void Refuse(REFIID iid) { refused_.push_back(iid); }

  HRESULT advise_result = S_OK;
  int advise_calls = 0;
  int unadvise_calls = 0;
  DWORD last_cookie = TF_INVALID_COOKIE;

 private:
  struct Entry {
    DWORD cookie;
    IID iid;
    ime_shared::base::ComPtr<IUnknown> sink;
  };
  std::vector<Entry> entries_;
  std::vector<IID> refused_;
  DWORD next_cookie_ = 0x1000;
};

}  // namespace ime_tsf_testing

#endif  // IME_SHARED_TSF_TESTING_SINK_LIST_H_
