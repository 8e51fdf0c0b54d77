#include "ime/shared/tsf/edit_session.h"

namespace ime_shared {
namespace tsf {

EditSession::~EditSession() = default;

void EditSession::Init(ITfContext* context, TfClientId client_id, DWORD flags,
                       Callback* callback) {
  context_.Reset(context);
  client_id_ = client_id;
  flags_ = flags;
  callback_.reset(callback);
}

HRESULT EditSession::Request(HRESULT* session_result) {
  HRESULT result = E_FAIL;
  HRESULT answer = base::GuardComCall([&]() -> HRESULT {
    if (!context_) return E_UNEXPECTED;
    return context_->RequestEditSession(client_id_, this, flags_, &result);
  });
  if (FAILED(answer)) result = E_FAIL;
  if (session_result != nullptr) *session_result = result;
  return answer;
}

STDMETHODIMP EditSession::DoEditSession(TfEditCookie cookie) {
  return base::GuardComCall([&]() -> HRESULT {
    if (!callback_) return S_OK;
    return callback_->Run(cookie);
  });
}

}  // namespace tsf
}  // namespace ime_shared
