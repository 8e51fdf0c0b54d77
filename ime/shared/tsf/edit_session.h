// One kind of TSF edit session of a bound context: the document lock the
// text service asks for before it reads or writes the document. TSF hands
// the session an edit cookie, and the session runs its callback with it.
//
// The context owns its sessions (AddRef and Release count nothing) and
// requests them synchronously, so the callback runs inside Request.
#ifndef IME_SHARED_TSF_EDIT_SESSION_H_
#define IME_SHARED_TSF_EDIT_SESSION_H_

#include <windows.h>

#include <memory>

#include "ime/shared/base/callbacks.h"
#include "ime/shared/base/com_object.h"
#include "ime/shared/base/com_ptr.h"
#include "ime/shared/base/tsf_declarations.h"

namespace ime_shared {
namespace tsf {

class EditSession : public base::StackComObject<ITfEditSession> {
 public:
  // What the session does with its cookie; its answer is the session's.
  using Callback = base::ResultCallback1<HRESULT, TfEditCookie>;

  // Read-only and read-write synchronous sessions.
  static constexpr DWORD kReadFlags = TF_ES_SYNC | TF_ES_READ;
  static constexpr DWORD kWriteFlags = TF_ES_SYNC | TF_ES_READWRITE;

  EditSession() = default;
  ~EditSession() override;

  // Binds the session to |context| and |client_id|, requested with |flags|;
  // takes |callback| (a permanent callback; null runs nothing).
  void Init(ITfContext* context, TfClientId client_id, DWORD flags, Callback* callback);

  // Asks TSF for the session. The answer of the request; |session_result|
  // (optional) receives the session's own answer, E_FAIL when it did not
  // run. A refused request loses what the session would have done.
  HRESULT Request(HRESULT* session_result = nullptr);

  // ITfEditSession: runs the callback with |cookie|.
  STDMETHODIMP DoEditSession(TfEditCookie cookie) override;

 private:
  base::ComPtr<ITfContext> context_;
  TfClientId client_id_ = 0;
  DWORD flags_ = 0;
  std::unique_ptr<Callback> callback_;
};

}  // namespace tsf
}  // namespace ime_shared

#endif  // IME_SHARED_TSF_EDIT_SESSION_H_
