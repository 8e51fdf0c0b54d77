// The connection of one TSF event sink to its event source: the advise
// cookie and the source's ITfSource, undone by Unadvise or at destruction.
//
// SinkAdvisorBase<Sink> connects a sink given by the caller (a compartment
// advises its owner's sink). SinkAdvisor<Sink> is the base of an object that
// is the sink itself; Advise(source) connects that object. An object with
// several advisors names the one it means:
//
//   class Context : public ComObject<ITfTextEditSink, ITfTextLayoutSink, ...>,
//                   public SinkAdvisor<ITfTextEditSink>,
//                   public SinkAdvisor<ITfTextLayoutSink> { ... };
//   SinkAdvisor<ITfTextEditSink>::Advise(context);
#ifndef IME_SHARED_TSF_SINK_ADVISOR_H_
#define IME_SHARED_TSF_SINK_ADVISOR_H_

#include <windows.h>

#include "ime/shared/base/com_ptr.h"
#include "ime/shared/base/tsf_declarations.h"

namespace ime_shared {
namespace tsf {

template <typename Sink>
class SinkAdvisorBase {
 public:
  SinkAdvisorBase() = default;
  SinkAdvisorBase(const SinkAdvisorBase&) = delete;
  SinkAdvisorBase& operator=(const SinkAdvisorBase&) = delete;
  virtual ~SinkAdvisorBase() { Unadvise(); }

  // Connects |sink| to |source|'s ITfSource. E_INVALIDARG for a null
  // source; E_UNEXPECTED when already connected (the first connection
  // stays) or for a null sink; E_NOINTERFACE when |source| has no
  // ITfSource; else the result of AdviseSink.
  HRESULT Advise(IUnknown* source, Sink* sink) {
    if (source == nullptr) return E_INVALIDARG;
    if (IsAdvised()) return E_UNEXPECTED;
    base::ComPtr<ITfSource> events;
    if (FAILED(events.QueryFrom(source)) || !events) return E_NOINTERFACE;
    if (sink == nullptr) return E_UNEXPECTED;
    DWORD cookie = TF_INVALID_COOKIE;
    HRESULT result = events->AdviseSink(__uuidof(Sink), sink, &cookie);
    if (FAILED(result)) return result;
    cookie_ = cookie;
    source_ = events;
    return result;
  }

  // Undoes the connection; nothing when there is none.
  void Unadvise() {
    if (!IsAdvised()) return;
    base::ComPtr<ITfSource> source = source_;
    DWORD cookie = cookie_;
    cookie_ = TF_INVALID_COOKIE;
    source_.Reset();
    if (source) source->UnadviseSink(cookie);
  }

  bool IsAdvised() const { return cookie_ != TF_INVALID_COOKIE; }
  DWORD cookie() const { return cookie_; }

 private:
  DWORD cookie_ = TF_INVALID_COOKIE;
  base::ComPtr<ITfSource> source_;
};

template <typename Sink>
class SinkAdvisor : public SinkAdvisorBase<Sink> {
 public:
  using SinkAdvisorBase<Sink>::Advise;

  // Connects the object that derives from this advisor, as its Sink
  // interface. E_UNEXPECTED when the object is no Sink.
  HRESULT Advise(IUnknown* source) {
    return SinkAdvisorBase<Sink>::Advise(source, dynamic_cast<Sink*>(this));
  }
};

}  // namespace tsf
}  // namespace ime_shared

#endif  // IME_SHARED_TSF_SINK_ADVISOR_H_
