// The one TSF composition of a bound context: the range of the document
// that holds the text being typed, marked with the input method's display
// attribute, and the sinks through which the host reports a click on it or
// ends it itself.
//
// The context runs Start, SetText and End inside its write session (their
// |ec| is that session's cookie). A composition is open from Start until End,
// until the host terminates it, or until Detach.
#ifndef IME_SHARED_TSF_COMPOSITION_H_
#define IME_SHARED_TSF_COMPOSITION_H_

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>

#include "ime/shared/base/com_object.h"
#include "ime/shared/base/com_ptr.h"
#include "ime/shared/base/tsf_declarations.h"
#include "ime/shared/frontend/frontend_interfaces.h"

namespace ime_shared {
namespace tsf {

// Makes the category manager that gives the display attribute its atom:
// TSF's own in the text service (CreateCategoryManager), the tests' in
// theirs. An error, or S_OK with a null manager, means none.
using CategoryManagerFactory = std::function<HRESULT(ITfCategoryMgr** out)>;
// TSF's category manager of this thread (CoCreateInstance).
HRESULT CreateCategoryManager(ITfCategoryMgr** out);

class Composition : public base::ComObject<ITfCompositionSink, ITfMouseSink> {
 public:
  explicit Composition(CategoryManagerFactory categories = CreateCategoryManager);
  ~Composition() override;

  // Keeps |context| and |engine| (borrowed), then registers the display
  // attribute with the category manager: S_OK, or the error of that, in
  // which case the composition works all the same and its text is simply
  // not marked.
  HRESULT Init(ITfContext* context, EngineInterface* engine);
  // Lets go of an open composition without writing anything, and of the
  // context and the engine (the binding ends).
  void Detach();

  bool IsOpen() const { return static_cast<bool>(range_); }
  // Whether the engine's text can reach the document: bound, and no
  // composition of this binding has failed to start or to take its text
  // (a document that refuses compositions, a read-only one). The key sink
  // eats keys only while it can.
  bool CanWrite() const { return context_ && engine_ != nullptr && !refused_; }
  // While the host's termination is being handled: the context must not ask
  // for an edit session then (the host holds the document), the result is
  // written with the termination's own cookie.
  bool IsTerminating() const { return terminating_; }
  // The composition's range; null while closed.
  ITfRange* range() const { return range_.Get(); }

  // Opens a composition at the document's selection.
  HRESULT Start(TfEditCookie ec);
  // Writes the engine's composition text into the range with the display
  // attribute, puts the selection at the engine's caret and listens for
  // clicks on the range.
  HRESULT SetText(TfEditCookie ec);
  // Writes the engine's result in place of the composition text, puts the
  // selection after it, clears the attribute and closes the composition.
  HRESULT End(TfEditCookie ec);
  // Makes the document's selection an insertion point |offset| units into
  // the range.
  HRESULT SetSelection(TfEditCookie ec, int32_t offset);

  // ITfCompositionSink. The host ended the composition (a click elsewhere,
  // another program's change): the engine commits, and its result replaces
  // the range's text with |ec|, attribute cleared; the selection stays
  // where the host put it. The composition is closed in every case.
  STDMETHODIMP OnCompositionTerminated(TfEditCookie ec, ITfComposition* composition) override;
  // ITfMouseSink. A click inside the composition moves the engine's caret
  // to |edge|; the click is always eaten.
  STDMETHODIMP OnMouseEvent(ULONG edge, ULONG quadrant, DWORD button_status,
                            BOOL* eaten) override;

 private:
  // Takes the display attribute off |range|.
  void ClearAttribute(TfEditCookie ec, ITfRange* range) const;
  void AdviseMouse();
  void UnadviseMouse();
  // The context's display-attribute property; null when it has none.
  base::ComPtr<ITfProperty> AttributeProperty() const;
  // Stops listening for clicks and forgets the composition and its range.
  void Close();
  // The document refused |what| with |error|: no more text is written in
  // this binding. Returns |error|.
  HRESULT Refused(const char* what, HRESULT error);

  const CategoryManagerFactory categories_;
  base::ComPtr<ITfContext> context_;
  EngineInterface* engine_ = nullptr;
  TfGuidAtom atom_ = TF_INVALID_GUIDATOM;
  base::ComPtr<ITfComposition> composition_;
  base::ComPtr<ITfRange> range_;
  DWORD mouse_cookie_ = TF_INVALID_COOKIE;
  bool terminating_ = false;
  bool refused_ = false;
};

}  // namespace tsf
}  // namespace ime_shared

#endif  // IME_SHARED_TSF_COMPOSITION_H_
