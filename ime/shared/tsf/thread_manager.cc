#include "ime/shared/tsf/thread_manager.h"

#include <utility>

#include "ime/shared/logging.h"

namespace ime_shared {
namespace tsf {

using base::GuardComCall;

ThreadManager::ThreadManager(TextServiceFactories factories)
    : factories_(std::move(factories)) {}

ThreadManager::~ThreadManager() { Uninit(); }

HRESULT ThreadManager::Init(ITfThreadMgr* thread_manager, TfClientId client_id) {
  return GuardComCall([&]() -> HRESULT {
    if (thread_manager == nullptr) return E_INVALIDARG;
    thread_manager_.Reset(thread_manager);
    client_id_ = client_id;
    HRESULT result = SinkAdvisor<ITfThreadMgrEventSink>::Advise(thread_manager);
    if (FAILED(result)) return result;
    context_ = base::MakeComObject<Context>(factories_.engine);
    if (!context_) return E_OUTOFMEMORY;
    if (factories_.ui_manager) ui_manager_.reset(factories_.ui_manager());
    if (!ui_manager_) return E_FAIL;
    // Before the first engine: what the engines share is made once for the
    // thread's whole activation, not once per focused document.
    if (factories_.activation_hold) activation_hold_ = factories_.activation_hold();
    // Unbound (S_OK) when no document has the focus yet; any other failure
    // leaves the context half bound until the next focus change.
    context_->Initialize(thread_manager_.Get(), client_id_, ui_manager_.get());
    return S_OK;
  });
}

void ThreadManager::Uninit() {
  HRESULT result = GuardComCall([&]() -> HRESULT {
    if (context_) {
      context_->Uninitialize();
      context_.Reset();
    }
    SinkAdvisor<ITfThreadMgrEventSink>::Unadvise();
    thread_manager_.Reset();
    ui_manager_.reset();
    client_id_ = 0;
    // Last, with every engine gone: letting go frees what they shared (the
    // user cache saved) unless another thread still holds it.
    activation_hold_.reset();
    return S_OK;
  });
  if (FAILED(result)) KELVANE_LOG(LOG_ERROR) << "deactivating the text service failed";
}

STDMETHODIMP ThreadManager::OnInitDocumentMgr(ITfDocumentMgr* document) { return S_OK; }

STDMETHODIMP ThreadManager::OnUninitDocumentMgr(ITfDocumentMgr* document) { return S_OK; }

STDMETHODIMP ThreadManager::OnSetFocus(ITfDocumentMgr* focus, ITfDocumentMgr* previous) {
  return GuardComCall([&]() -> HRESULT {
    if (!context_ || !thread_manager_) return S_OK;
    // Kept through the calls: TSF may deactivate us from inside them.
    base::ComPtr<Context> context = context_;
    context->Uninitialize();
    // The document comes from the event, not from GetFocus: Wine's thread
    // manager tells its sinks before it changes its focus, and GetFocus
    // still answers the document that lost it.
    context->InitializeFor(focus, thread_manager_.Get(), client_id_, ui_manager_.get());
    return S_OK;
  });
}

STDMETHODIMP ThreadManager::OnPushContext(ITfContext* context) { return S_OK; }

STDMETHODIMP ThreadManager::OnPopContext(ITfContext* context) { return S_OK; }

}  // namespace tsf
}  // namespace ime_shared
