#include "ime/shared/tsf/testing/sink_list.h"

namespace ime_tsf_testing {

using ime_shared::base::ComPtr;

HRESULT SinkList::Advise(REFIID iid, IUnknown* sink, DWORD* cookie) {
  ++advise_calls;
  if (sink == nullptr || cookie == nullptr) return E_INVALIDARG;
  *cookie = TF_INVALID_COOKIE;
  if (FAILED(advise_result)) return advise_result;
  for (const IID& refused : refused_) {
    if (IsEqualIID(iid, refused)) return CONNECT_E_CANNOTCONNECT;
  }
  ComPtr<IUnknown> typed;
  if (FAILED(sink->QueryInterface(iid, reinterpret_cast<void**>(typed.Receive())))) {
    return CONNECT_E_CANNOTCONNECT;
  }
  *cookie = next_cookie_++;
  last_cookie = *cookie;
  entries_.push_back({*cookie, iid, ComPtr<IUnknown>(sink)});
  return S_OK;
}

HRESULT SinkList::Unadvise(DWORD cookie) {
  ++unadvise_calls;
  for (auto it = entries_.begin(); it != entries_.end(); ++it) {
    if (it->cookie != cookie) continue;
    // Released after the entry is gone: the sink's release may call back.
    ComPtr<IUnknown> sink = it->sink;
    entries_.erase(it);
    return S_OK;
  }
  return CONNECT_E_NOCONNECTION;
}

size_t SinkList::Count(REFIID iid) const {
  size_t count = 0;
  for (const Entry& entry : entries_) {
    if (IsEqualIID(entry.iid, iid)) ++count;
  }
  return count;
}

bool SinkList::HasCookie(DWORD cookie) const {
  for (const Entry& entry : entries_) {
    if (entry.cookie == cookie) return true;
  }
  return false;
}

}  // namespace ime_tsf_testing
