// The text service's state for one activated GUI thread: the thread's TSF
// thread manager, the UI manager of the input method's own windows, the
// module's activation hold, and the one Context, which follows the keyboard
// focus from document to document (every focus change unbinds it and binds
// it to the newly focused document, with a new engine; the hold keeps what
// the engines share alive in between).
#ifndef IME_SHARED_TSF_THREAD_MANAGER_H_
#define IME_SHARED_TSF_THREAD_MANAGER_H_

#include <windows.h>

#include <memory>

#include "ime/shared/base/com_object.h"
#include "ime/shared/base/com_ptr.h"
#include "ime/shared/base/tsf_declarations.h"
#include "ime/shared/frontend/ui_manager_interface.h"
#include "ime/shared/tsf/context.h"
#include "ime/shared/tsf/sink_advisor.h"
#include "ime/shared/tsf/text_service_factories.h"

namespace ime_shared {
namespace tsf {

class ThreadManager : public base::ComObject<ITfThreadMgrEventSink>,
                      public SinkAdvisor<ITfThreadMgrEventSink> {
 public:
  explicit ThreadManager(TextServiceFactories factories);
  ~ThreadManager() override;

  // Keeps |thread_manager| and |client_id|, advises the event sink, makes
  // the Context and the UI manager, takes the activation hold and binds the
  // Context to the focused document. E_FAIL without a UI manager,
  // E_OUTOFMEMORY, or the advise's error; whatever was made stays for
  // Uninit.
  HRESULT Init(ITfThreadMgr* thread_manager, TfClientId client_id);
  // Unbinds and releases the Context, unadvises, releases the thread
  // manager, deletes the UI manager and, last, lets go of the hold. Safe
  // after a failed Init.
  void Uninit();

  Context* context() const { return context_.Get(); }
  UIManagerInterface* ui_manager() const { return ui_manager_.get(); }

  // ITfThreadMgrEventSink. A focus change rebinds the Context to the newly
  // focused document (none: unbound); the other events change nothing.
  STDMETHODIMP OnInitDocumentMgr(ITfDocumentMgr* document) override;
  STDMETHODIMP OnUninitDocumentMgr(ITfDocumentMgr* document) override;
  STDMETHODIMP OnSetFocus(ITfDocumentMgr* focus, ITfDocumentMgr* previous) override;
  STDMETHODIMP OnPushContext(ITfContext* context) override;
  STDMETHODIMP OnPopContext(ITfContext* context) override;

 private:
  const TextServiceFactories factories_;
  base::ComPtr<ITfThreadMgr> thread_manager_;
  TfClientId client_id_ = 0;
  base::ComPtr<Context> context_;
  std::unique_ptr<UIManagerInterface> ui_manager_;
  std::unique_ptr<ActivationHoldInterface> activation_hold_;
};

}  // namespace tsf
}  // namespace ime_shared

#endif  // IME_SHARED_TSF_THREAD_MANAGER_H_
