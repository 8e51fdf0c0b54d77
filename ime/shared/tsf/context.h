// The TSF input context of one GUI thread: it binds to the top context of
// the focused document, owns the engine made for that binding, and writes
// what the engine reports into the document through edit sessions and one
// composition marked with the input method's display attribute. It also
// follows where the composition is on screen, so that the candidate window
// can stand beside it, and reports the candidate list to the host as a UI
// element.
//
// Bound (Initialize) -> Uninitialize -> unbound; the thread manager rebinds
// it at every focus change. Keys come in through its Keyboard; the input
// modes and the keyboard's open state through five compartments.
#ifndef IME_SHARED_TSF_CONTEXT_H_
#define IME_SHARED_TSF_CONTEXT_H_

#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>

#include "ime/shared/base/com_object.h"
#include "ime/shared/base/com_ptr.h"
#include "ime/shared/base/tsf_declarations.h"
#include "ime/shared/frontend/frontend_interfaces.h"
#include "ime/shared/frontend/ui_manager_interface.h"
#include "ime/shared/tsf/candidate_ui_element.h"
#include "ime/shared/tsf/composition.h"
#include "ime/shared/tsf/context_compartments.h"
#include "ime/shared/tsf/edit_session.h"
#include "ime/shared/tsf/keyboard.h"
#include "ime/shared/tsf/sink_advisor.h"
#include "ime/shared/tsf/text_service_factories.h"

namespace ime_shared {
namespace tsf {

class Context : public base::ComObject<ITfTextLayoutSink, ITfThreadFocusSink, ITfTextEditSink,
                                       ITfCompartmentEventSink>,
                public SinkAdvisor<ITfTextLayoutSink>,
                public SinkAdvisor<ITfThreadFocusSink>,
                public SinkAdvisor<ITfTextEditSink>,
                public ContextInterface,
                public CompartmentHostInterface {
 public:
  // |engine_factory| makes the engine of each binding, |categories| the
  // category manager that registers the composition's display attribute.
  explicit Context(EngineFactory engine_factory,
                   CategoryManagerFactory categories = CreateCategoryManager);
  ~Context() override;

  // Binds to the top context of the document that has the focus in
  // |thread_manager|: makes the engine, advises the sinks, makes the
  // sessions, the composition, the candidate element, the key sink and the
  // compartments, then attaches the engine to |ui_manager| (borrowed). S_OK
  // unbound when no document has the focus; E_FAIL without an engine; an
  // advise's error at once (what was made stays for Uninitialize).
  HRESULT Initialize(ITfThreadMgr* thread_manager, TfClientId client_id,
                     UIManagerInterface* ui_manager);
  // The same for |focus|, the document manager the thread manager has just
  // given the focus (null: none, the context stays unbound).
  HRESULT InitializeFor(ITfDocumentMgr* focus, ITfThreadMgr* thread_manager,
                        TfClientId client_id, UIManagerInterface* ui_manager);
  // Commits an open composition through the engine, then takes everything
  // down and detaches from the UI manager. S_OK.
  HRESULT Uninitialize();

  // ContextInterface.
  // 0x1-0x2 write the engine's text into the document (write session),
  // 0x4-0x8 follow the candidates with the UI element, 0x10 write the mode
  // compartments; then the UI manager is told. Answers 1.
  int32_t Update(uint32_t flags) override;
  bool IsTextServiceContext() const override { return true; }
  EngineInterface* GetEngine() override { return engine_.get(); }
  // The composition's caret rectangle on screen (all 0 until one was
  // read); |text| is emptied. Always true.
  bool GetCaretRect(std::wstring* text, RECT* out) override;
  bool Reserved() override { return false; }
  // 1: false. 2: whether the input method's own candidate window shows the
  // list (the host does not draw the element). Others: true.
  bool GetFlag(int32_t index) override;

  // CompartmentHostInterface: the engine goes to the UI manager and keys
  // are taken only while the document takes keyboard input.
  void SetKeyboardAvailable(bool available) override;

  // ITfTextLayoutSink: the document moved; the caret rectangle is read
  // again and the candidate window follows it.
  STDMETHODIMP OnLayoutChange(ITfContext* context, TfLayoutCode code,
                              ITfContextView* view) override;
  // ITfThreadFocusSink: the thread's windows gain or lose the focus.
  STDMETHODIMP OnSetThreadFocus() override;
  STDMETHODIMP OnKillThreadFocus() override;
  // ITfTextEditSink: after any edit of the document the caret rectangle is
  // read with the read-only cookie.
  STDMETHODIMP OnEndEdit(ITfContext* context, TfEditCookie read_cookie,
                         ITfEditRecord* record) override;
  // ITfCompartmentEventSink: a mode or keyboard compartment changed.
  STDMETHODIMP OnChange(REFGUID guid) override;

  // Whether the context is bound to a document.
  bool IsBound() const { return static_cast<bool>(context_); }

 private:
  // The write session: the engine's composition and result into the
  // document.
  HRESULT WriteText(TfEditCookie ec);
  // The layout session (or an edit's read-only cookie): the caret rectangle
  // of the composition.
  HRESULT ReadLayout(TfEditCookie ec);
  // Attaches this context to the UI manager (or none while the document
  // takes no keys) and shows the status window, then refreshes it.
  void ShowInUIManager(uint32_t flags);
  void HideFromUIManager();

  const EngineFactory engine_factory_;
  const CategoryManagerFactory categories_;
  std::unique_ptr<EngineInterface> engine_;
  UIManagerInterface* ui_manager_ = nullptr;
  base::ComPtr<ITfContext> context_;
  TfClientId client_id_ = 0;
  std::unique_ptr<EditSession> layout_session_;
  std::unique_ptr<EditSession> write_session_;
  base::ComPtr<Composition> composition_;
  std::unique_ptr<Keyboard> keyboard_;
  std::unique_ptr<CandidateUIManager> candidate_ui_;
  std::unique_ptr<ContextCompartments> compartments_;
  RECT caret_ = {0, 0, 0, 0};
  bool keyboard_available_ = false;
};

}  // namespace tsf
}  // namespace ime_shared

#endif  // IME_SHARED_TSF_CONTEXT_H_
