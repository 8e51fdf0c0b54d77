#include "ime/shared/tsf/context.h"

#include <utility>

#include "ime/shared/logging.h"

namespace ime_shared {
namespace tsf {

using base::ComPtr;
using base::GuardComCall;

Context::Context(EngineFactory engine_factory, CategoryManagerFactory categories)
    : engine_factory_(std::move(engine_factory)), categories_(std::move(categories)) {}

Context::~Context() {
  // The thread manager uninitialises the context before it lets go of it;
  // this only covers a context released while bound.
  if (IsBound() || engine_) Uninitialize();
}

HRESULT Context::Initialize(ITfThreadMgr* thread_manager, TfClientId client_id,
                            UIManagerInterface* ui_manager) {
  // Kept even when the binding fails, for Uninitialize.
  client_id_ = client_id;
  ui_manager_ = ui_manager;
  return GuardComCall([&]() -> HRESULT {
    if (thread_manager == nullptr) return E_INVALIDARG;
    ComPtr<ITfDocumentMgr> document;
    HRESULT answer = thread_manager->GetFocus(document.Receive());
    if (FAILED(answer)) return answer;
    return InitializeFor(document.Get(), thread_manager, client_id, ui_manager);
  });
}

HRESULT Context::InitializeFor(ITfDocumentMgr* focus, ITfThreadMgr* thread_manager,
                               TfClientId client_id, UIManagerInterface* ui_manager) {
  return GuardComCall([&]() -> HRESULT {
    client_id_ = client_id;
    ui_manager_ = ui_manager;
    if (thread_manager == nullptr) return E_INVALIDARG;
    if (focus == nullptr) return S_OK;
    ComPtr<ITfContext> top;
    HRESULT result = focus->GetTop(top.Receive());
    if (FAILED(result)) return result;
    if (!top) return S_OK;
    context_ = top;

    engine_.reset();
    if (engine_factory_) engine_.reset(engine_factory_(this));
    if (!engine_) return E_FAIL;

    result = SinkAdvisor<ITfTextLayoutSink>::Advise(context_.Get());
    if (FAILED(result)) return result;
    result = SinkAdvisor<ITfTextEditSink>::Advise(context_.Get());
    if (FAILED(result)) return result;
    result = SinkAdvisor<ITfThreadFocusSink>::Advise(thread_manager);
    if (FAILED(result)) return result;

    layout_session_ = std::make_unique<EditSession>();
    layout_session_->Init(context_.Get(), client_id_, EditSession::kReadFlags,
                          base::NewPermanentCallback(this, &Context::ReadLayout));
    write_session_ = std::make_unique<EditSession>();
    write_session_->Init(context_.Get(), client_id_, EditSession::kWriteFlags,
                         base::NewPermanentCallback(this, &Context::WriteText));

    composition_ = base::MakeComObject<Composition>(categories_);
    if (!composition_) return E_OUTOFMEMORY;
    if (FAILED(composition_->Init(context_.Get(), engine_.get()))) {
      // Without the category manager the text goes in without its
      // underline; typing still works.
      KELVANE_LOG(LOG_WARNING) << "the display attribute could not be registered";
    }

    candidate_ui_ = std::make_unique<CandidateUIManager>(thread_manager, engine_.get());
    keyboard_ = std::make_unique<Keyboard>();
    // Keys are taken only while the composition can write what they make.
    result = keyboard_->Advise(context_.Get(), engine_.get(), [this] {
      return composition_ && composition_->CanWrite();
    });
    if (FAILED(result)) return result;

    compartments_ = std::make_unique<ContextCompartments>(
        client_id_, thread_manager, context_.Get(),
        static_cast<ITfCompartmentEventSink*>(this), engine_.get(), this);
    // Writes the conversion mode and opens the keyboard; the compartments
    // then tell whether the document takes keys (SetKeyboardAvailable).
    compartments_->Start();
    Update(kUpdateMode);
    return S_OK;
  });
}

HRESULT Context::Uninitialize() {
  HRESULT result = GuardComCall([&]() -> HRESULT {
    if (keyboard_) {
      keyboard_->Unadvise();
      keyboard_.reset();
    }
    if (composition_) {
      // What was typed goes into the document before the engine goes.
      if (composition_->IsOpen() && engine_) engine_->EndComposition(true);
      composition_->Detach();
      composition_.Reset();
    }
    HideFromUIManager();
    // The parts that borrow the engine go first.
    compartments_.reset();
    candidate_ui_.reset();
    engine_.reset();
    write_session_.reset();
    layout_session_.reset();
    SinkAdvisor<ITfThreadFocusSink>::Unadvise();
    SinkAdvisor<ITfTextLayoutSink>::Unadvise();
    SinkAdvisor<ITfTextEditSink>::Unadvise();
    context_.Reset();
    client_id_ = 0;
    ui_manager_ = nullptr;
    keyboard_available_ = false;
    return S_OK;
  });
  if (FAILED(result)) {
    KELVANE_LOG(LOG_ERROR) << "unbinding the text service's context failed";
  }
  return S_OK;
}

int32_t Context::Update(uint32_t flags) {
  HRESULT result = GuardComCall([&]() -> HRESULT {
    // While the host terminates the composition it holds the document: the
    // composition writes the result with the host's own cookie.
    const bool terminating = composition_ && composition_->IsTerminating();
    if ((flags & kUpdateCompositionAndResult) != 0 && write_session_ && !terminating) {
      write_session_->Request();
    }
    if ((flags & kUpdateCandidateList) != 0 && candidate_ui_) candidate_ui_->Update();
    if ((flags & kUpdateMode) != 0 && compartments_) compartments_->WriteModes();
    ShowInUIManager(flags);
    return S_OK;
  });
  if (FAILED(result)) {
    KELVANE_LOG(LOG_ERROR) << "updating the document failed";
    return 0;
  }
  return 1;
}

bool Context::GetCaretRect(std::wstring* text, RECT* out) {
  if (text != nullptr) text->clear();
  if (out != nullptr) *out = caret_;
  return true;
}

bool Context::GetFlag(int32_t index) {
  switch (index) {
    case 1:
      return false;
    case 2:
      return candidate_ui_ && candidate_ui_->DrawsOwnWindow();
    default:
      return true;
  }
}

void Context::SetKeyboardAvailable(bool available) {
  keyboard_available_ = available;
  if (keyboard_) keyboard_->set_enabled(available);
  if (ui_manager_ != nullptr) ui_manager_->AttachEngine(available && engine_ ? this : nullptr);
}

STDMETHODIMP Context::OnLayoutChange(ITfContext* context, TfLayoutCode code,
                                     ITfContextView* view) {
  return GuardComCall([&]() -> HRESULT {
    if (layout_session_) layout_session_->Request();
    if (ui_manager_ != nullptr) ui_manager_->GetCandidateRect();
    return S_OK;
  });
}

STDMETHODIMP Context::OnSetThreadFocus() {
  return GuardComCall([&]() -> HRESULT {
    ShowInUIManager(kUpdateMode);
    return S_OK;
  });
}

STDMETHODIMP Context::OnKillThreadFocus() {
  return GuardComCall([&]() -> HRESULT {
    HideFromUIManager();
    return S_OK;
  });
}

STDMETHODIMP Context::OnEndEdit(ITfContext* context, TfEditCookie read_cookie,
                                ITfEditRecord* record) {
  return GuardComCall([&]() -> HRESULT {
    ReadLayout(read_cookie);
    return S_OK;
  });
}

STDMETHODIMP Context::OnChange(REFGUID guid) {
  if (!compartments_) return S_OK;
  return compartments_->OnChange(guid);
}

HRESULT Context::WriteText(TfEditCookie ec) {
  if (!composition_ || !engine_) return S_OK;
  const bool composing = !engine_->GetComposition().empty();
  if (composition_->IsOpen()) {
    if (composing) {
      composition_->SetText(ec);
    } else {
      composition_->End(ec);
    }
  } else if (!composition_->CanWrite()) {
    // The document refused a composition in this binding: nothing more is
    // started (the key sink gives the keys to the application).
  } else if (!engine_->GetResult().empty()) {
    // A result without a visible composition (a key that ends the old
    // composition and commits): opened and closed around the result.
    if (SUCCEEDED(composition_->Start(ec))) {
      composition_->SetText(ec);
      composition_->End(ec);
    }
  } else if (composing) {
    if (SUCCEEDED(composition_->Start(ec))) composition_->SetText(ec);
  }
  return S_OK;
}

HRESULT Context::ReadLayout(TfEditCookie ec) {
  if (!composition_ || !composition_->IsOpen() || !context_) return S_OK;
  ITfRange* range = composition_->range();
  BOOL empty = TRUE;
  HRESULT result = range->IsEmpty(ec, &empty);
  if (FAILED(result)) return result;
  if (empty) return S_OK;
  ComPtr<ITfContextView> view;
  result = context_->GetActiveView(view.Receive());
  if (FAILED(result)) return result;
  if (!view) return E_FAIL;
  ComPtr<ITfRange> start;
  ComPtr<ITfRange> end;
  if (FAILED(range->Clone(start.Receive())) || FAILED(range->Clone(end.Receive())) || !start ||
      !end) {
    return E_FAIL;
  }
  start->Collapse(ec, TF_ANCHOR_START);
  end->Collapse(ec, TF_ANCHOR_END);
  RECT whole = {};
  BOOL clipped = FALSE;
  result = view->GetTextExt(ec, range, &whole, &clipped);
  if (FAILED(result)) return result;
  // Some documents answer an empty rectangle at the origin before they
  // have laid the text out: the old caret stays.
  if (::IsRectEmpty(&whole) && whole.left == 0) return result;
  RECT first = {};
  RECT last = {};
  result = view->GetTextExt(ec, start.Get(), &first, &clipped);
  if (FAILED(result)) return result;
  result = view->GetTextExt(ec, end.Get(), &last, &clipped);
  if (FAILED(result)) return result;
  RECT caret = {first.left, last.top, first.left, last.bottom};
  if (last.bottom != first.bottom) {
    // The composition wraps: the candidates go under its second line, from
    // the view's left edge.
    RECT screen = {};
    if (SUCCEEDED(view->GetScreenExt(&screen))) caret.left = caret.right = screen.left;
  }
  caret_ = caret;
  return result;
}

void Context::ShowInUIManager(uint32_t flags) {
  if (ui_manager_ == nullptr) return;
  ui_manager_->AttachEngine(keyboard_available_ && engine_ ? this : nullptr);
  ui_manager_->SetOption(kUIOptionStatusWindow, 1);
  ui_manager_->Update(flags);
}

void Context::HideFromUIManager() {
  if (ui_manager_ == nullptr) return;
  ui_manager_->AttachEngine(nullptr);
  ui_manager_->SetOption(kUIOptionStatusWindow, 0);
  ui_manager_->Update(kUpdateMode);
}

}  // namespace tsf
}  // namespace ime_shared
