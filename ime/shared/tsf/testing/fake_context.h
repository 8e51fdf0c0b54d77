// A fake TSF context over an in-memory document: a text buffer with a
// selection, ranges that follow edits, insertion at the selection, the
// compositions the text service starts (which the test, as the host, may
// terminate), the display-attribute property recording a value per range,
// a view with fixed character cells that wraps after a set number of
// characters, the mouse sinks of the compositions, synchronous edit
// sessions (refused on demand), and the event sources and compartments of a
// context.
//
// Edit cookies are checked: reading needs the cookie of the running
// session, writing that of a read-write one; a wrong one answers
// TF_E_NOLOCK and is counted in lock_errors().
#ifndef IME_SHARED_TSF_TESTING_FAKE_CONTEXT_H_
#define IME_SHARED_TSF_TESTING_FAKE_CONTEXT_H_

#include <windows.h>

#include <string>
#include <vector>

#include "ime/shared/base/com_object.h"
#include "ime/shared/base/com_ptr.h"
#include "ime/shared/base/tsf_declarations.h"
#include "ime/shared/tsf/testing/fake_compartments.h"
#include "ime/shared/tsf/testing/sink_list.h"

namespace ime_tsf_testing {

class FakeContext;

// A stretch of the document, [start, end) in units. It moves with edits made
// elsewhere and covers the new text after its own SetText.
class FakeRange : public ime_shared::base::ComObject<ITfRange> {
 public:
  // A range handed out holds a reference to its context; the context's own
  // ranges (of its property, compositions and mouse sinks) do not, and are
  // told when the context goes.
  FakeRange(FakeContext* owner, LONG start, LONG end, bool holds_owner = true);
  ~FakeRange() override;

  LONG start() const { return start_; }
  LONG end() const { return end_; }
  // The document replaced [from, to) by |length| units.
  void Adjust(LONG from, LONG to, LONG length);
  // A copy that does not hold the context.
  ime_shared::base::ComPtr<FakeRange> InnerCopy() const;
  void Forget() { owner_ = nullptr; }
  // Makes the range [start, end) without a cookie (for the fakes).
  void Place(LONG start, LONG end) {
    start_ = start;
    end_ = end;
  }

  STDMETHODIMP GetText(TfEditCookie ec, DWORD flags, WCHAR* text, ULONG max,
                       ULONG* length) override;
  STDMETHODIMP SetText(TfEditCookie ec, DWORD flags, const WCHAR* text, LONG length) override;
  STDMETHODIMP GetFormattedText(TfEditCookie ec, IDataObject** data) override {
    return E_NOTIMPL;
  }
  STDMETHODIMP GetEmbedded(TfEditCookie ec, REFGUID service, REFIID iid,
                           IUnknown** object) override {
    return E_NOTIMPL;
  }
  STDMETHODIMP InsertEmbedded(TfEditCookie ec, DWORD flags, IDataObject* data) override {
    return E_NOTIMPL;
  }
  STDMETHODIMP ShiftStart(TfEditCookie ec, LONG count, LONG* shifted,
                          const TF_HALTCOND* halt) override;
  STDMETHODIMP ShiftEnd(TfEditCookie ec, LONG count, LONG* shifted,
                        const TF_HALTCOND* halt) override;
  STDMETHODIMP ShiftStartToRange(TfEditCookie ec, ITfRange* range, TfAnchor anchor) override;
  STDMETHODIMP ShiftEndToRange(TfEditCookie ec, ITfRange* range, TfAnchor anchor) override;
  STDMETHODIMP ShiftStartRegion(TfEditCookie ec, TfShiftDir direction,
                                BOOL* no_region) override {
    return E_NOTIMPL;
  }
  STDMETHODIMP ShiftEndRegion(TfEditCookie ec, TfShiftDir direction, BOOL* no_region) override {
    return E_NOTIMPL;
  }
  STDMETHODIMP IsEmpty(TfEditCookie ec, BOOL* empty) override;
  STDMETHODIMP Collapse(TfEditCookie ec, TfAnchor anchor) override;
  STDMETHODIMP IsEqualStart(TfEditCookie ec, ITfRange* with, TfAnchor anchor,
                            BOOL* equal) override {
    return E_NOTIMPL;
  }
  STDMETHODIMP IsEqualEnd(TfEditCookie ec, ITfRange* with, TfAnchor anchor,
                          BOOL* equal) override {
    return E_NOTIMPL;
  }
  STDMETHODIMP CompareStart(TfEditCookie ec, ITfRange* with, TfAnchor anchor,
                            LONG* result) override {
    return E_NOTIMPL;
  }
  STDMETHODIMP CompareEnd(TfEditCookie ec, ITfRange* with, TfAnchor anchor,
                          LONG* result) override {
    return E_NOTIMPL;
  }
  STDMETHODIMP AdjustForInsert(TfEditCookie ec, ULONG count, BOOL* ok) override {
    return E_NOTIMPL;
  }
  STDMETHODIMP GetGravity(TfGravity* start, TfGravity* end) override { return E_NOTIMPL; }
  STDMETHODIMP SetGravity(TfEditCookie ec, TfGravity start, TfGravity end) override {
    return E_NOTIMPL;
  }
  STDMETHODIMP Clone(ITfRange** clone) override;
  STDMETHODIMP GetContext(ITfContext** context) override;

 private:
  ime_shared::base::ComPtr<ITfContext> context_;
  FakeContext* owner_;
  LONG start_;
  LONG end_;
};

// A composition the text service started.
class FakeComposition : public ime_shared::base::ComObject<ITfComposition> {
 public:
  FakeComposition(FakeContext* owner, FakeRange* range, ITfCompositionSink* sink);

  STDMETHODIMP GetRange(ITfRange** range) override;
  STDMETHODIMP ShiftStart(TfEditCookie ec, ITfRange* start) override { return E_NOTIMPL; }
  STDMETHODIMP ShiftEnd(TfEditCookie ec, ITfRange* end) override { return E_NOTIMPL; }
  STDMETHODIMP EndComposition(TfEditCookie ec) override;

  FakeRange* range() const { return range_.Get(); }
  ITfCompositionSink* sink() const { return sink_.Get(); }
  void MarkEnded();
  void Forget() { owner_ = nullptr; }

 private:
  FakeContext* owner_;
  ime_shared::base::ComPtr<FakeRange> range_;
  ime_shared::base::ComPtr<ITfCompositionSink> sink_;
  bool ended_ = false;
};

// A property of the document: a value per range, as the text service set
// it. Values follow their text through edits.
class FakeProperty
    : public ime_shared::base::ComObject<
          ime_shared::base::Implements<ITfProperty, ITfReadOnlyProperty>> {
 public:
  FakeProperty(FakeContext* owner, REFGUID guid) : owner_(owner), guid_(guid) {}

  STDMETHODIMP GetType(GUID* guid) override;
  STDMETHODIMP EnumRanges(TfEditCookie ec, IEnumTfRanges** ranges, ITfRange* target) override {
    return E_NOTIMPL;
  }
  STDMETHODIMP GetValue(TfEditCookie ec, ITfRange* range, VARIANT* value) override;
  STDMETHODIMP GetContext(ITfContext** context) override;
  STDMETHODIMP FindRange(TfEditCookie ec, ITfRange* range, ITfRange** found,
                         TfAnchor anchor) override {
    return E_NOTIMPL;
  }
  STDMETHODIMP SetValueStore(TfEditCookie ec, ITfRange* range,
                             ITfPropertyStore* store) override {
    return E_NOTIMPL;
  }
  STDMETHODIMP SetValue(TfEditCookie ec, ITfRange* range, const VARIANT* value) override;
  STDMETHODIMP Clear(TfEditCookie ec, ITfRange* range) override;

  // The VT_I4 value over unit |position|; 0 where none is set.
  LONG ValueAt(LONG position) const;
  void Forget() { owner_ = nullptr; }

 private:
  struct Stretch {
    ime_shared::base::ComPtr<FakeRange> range;
    LONG value;
  };
  FakeContext* owner_;
  const GUID guid_;
  // The last value set over unit |position|; null where none is set.
  const Stretch* StretchAt(LONG position) const;

  std::vector<Stretch> stretches_;
};

// The active view: character |i| of the document lies in cell
// (i % wrap_after, i / wrap_after) of |cell| pixels, from the top-left of
// |screen|.
class FakeContextView : public ime_shared::base::ComObject<ITfContextView> {
 public:
  explicit FakeContextView(FakeContext* owner) : owner_(owner) {}

  STDMETHODIMP GetRangeFromPoint(TfEditCookie ec, const POINT* point, DWORD flags,
                                 ITfRange** range) override {
    return E_NOTIMPL;
  }
  STDMETHODIMP GetTextExt(TfEditCookie ec, ITfRange* range, RECT* rect, BOOL* clipped) override;
  STDMETHODIMP GetScreenExt(RECT* rect) override;
  STDMETHODIMP GetWnd(HWND* window) override;

  void Forget() { owner_ = nullptr; }

  RECT screen = {100, 200, 100 + 20 * 8, 200 + 10 * 16};
  SIZE cell = {8, 16};
  LONG wrap_after = 20;
  // The rectangle answered for any range while set (a document that has not
  // laid out its text yet answers an empty one).
  bool answer_empty = false;

 private:
  FakeContext* owner_;
};

class FakeContext
    : public ime_shared::base::ComObject<ITfContext, ITfSource, ITfCompartmentMgr,
                                         ITfInsertAtSelection, ITfContextComposition,
                                         ITfMouseTracker> {
 public:
  // A mouse sink advised on a range.
  struct MouseSink {
    DWORD cookie;
    ime_shared::base::ComPtr<FakeRange> range;
    ime_shared::base::ComPtr<ITfMouseSink> sink;
  };

  FakeContext();
  ~FakeContext() override;

  void SetDocumentMgr(ITfDocumentMgr* document) { document_.Reset(document); }

  // The document, as the host's user sees it.
  const std::wstring& text() const { return text_; }
  // Replaces the document (no session needed) and puts the selection at its
  // end.
  void SetDocumentText(const std::wstring& text);
  LONG selection_start() const { return selection_->start(); }
  LONG selection_end() const { return selection_->end(); }
  // The display-attribute value over unit |position| (0: none).
  LONG AttributeAt(LONG position) const { return attribute_->ValueAt(position); }
  FakeContextView* view() const { return view_.Get(); }

  // The composition open now (null: none), and how many were started.
  FakeComposition* composition() const { return composition_.Get(); }
  int compositions_started() const { return compositions_started_; }
  // The host ends the open composition: the text service's sink hears of
  // it inside a read-write lock. False without one.
  bool TerminateComposition();
  // A click at |edge| units into the range of the last advised mouse sink
  // with |buttons| (MK_LBUTTON ...); the sink's eaten answer. False without
  // a sink.
  bool Click(ULONG edge, DWORD buttons);
  const std::vector<MouseSink>& mouse_sinks() const { return mouse_sinks_; }

  // What StartComposition answers instead of starting one (a document
  // that takes no composition, a read-only one); S_OK starts it.
  HRESULT start_composition_result = S_OK;

  // Edit sessions: whether to refuse them, the ones refused, and those
  // that wrote. A session requested while another runs is refused too.
  bool refuse_sessions = false;
  int refused_sessions = 0;
  int write_sessions = 0;
  int lock_errors() const { return lock_errors_; }

  // Checks |ec| for a read (or a write) and counts a wrong one.
  bool CanRead(TfEditCookie ec);
  bool CanWrite(TfEditCookie ec);
  // Replaces [from, to) with |text| and moves every range.
  void Replace(LONG from, LONG to, const std::wstring& text, FakeRange* written);
  void Register(FakeRange* range) { ranges_.push_back(range); }
  void Unregister(FakeRange* range);
  void CompositionEnded(FakeComposition* composition);

  // ITfContext
  STDMETHODIMP RequestEditSession(TfClientId client_id, ITfEditSession* session,
                                  DWORD flags, HRESULT* session_result) override;
  STDMETHODIMP InWriteSession(TfClientId client_id, BOOL* writing) override;
  STDMETHODIMP GetSelection(TfEditCookie cookie, ULONG index, ULONG count,
                            TF_SELECTION* selection, ULONG* fetched) override;
  STDMETHODIMP SetSelection(TfEditCookie cookie, ULONG count,
                            const TF_SELECTION* selection) override;
  STDMETHODIMP GetStart(TfEditCookie cookie, ITfRange** start) override;
  STDMETHODIMP GetEnd(TfEditCookie cookie, ITfRange** end) override;
  STDMETHODIMP GetActiveView(ITfContextView** view) override;
  STDMETHODIMP EnumViews(IEnumTfContextViews** views) override { return E_NOTIMPL; }
  STDMETHODIMP GetStatus(TF_STATUS* status) override { return E_NOTIMPL; }
  STDMETHODIMP GetProperty(REFGUID guid, ITfProperty** property) override;
  STDMETHODIMP GetAppProperty(REFGUID guid, ITfReadOnlyProperty** property) override {
    return E_NOTIMPL;
  }
  STDMETHODIMP TrackProperties(const GUID** properties, ULONG property_count,
                               const GUID** app_properties, ULONG app_property_count,
                               ITfReadOnlyProperty** property) override {
    return E_NOTIMPL;
  }
  STDMETHODIMP EnumProperties(IEnumTfProperties** properties) override { return E_NOTIMPL; }
  STDMETHODIMP GetDocumentMgr(ITfDocumentMgr** document) override {
    return document_.CopyTo(document);
  }
  STDMETHODIMP CreateRangeBackup(TfEditCookie cookie, ITfRange* range,
                                 ITfRangeBackup** backup) override {
    return E_NOTIMPL;
  }

  // ITfSource
  STDMETHODIMP AdviseSink(REFIID iid, IUnknown* sink, DWORD* cookie) override {
    return sinks_.Advise(iid, sink, cookie);
  }
  STDMETHODIMP UnadviseSink(DWORD cookie) override { return sinks_.Unadvise(cookie); }

  // ITfCompartmentMgr
  STDMETHODIMP GetCompartment(REFGUID guid, ITfCompartment** compartment) override {
    return compartments_.GetCompartment(guid, compartment);
  }
  STDMETHODIMP ClearCompartment(TfClientId client_id, REFGUID guid) override {
    return E_NOTIMPL;
  }
  STDMETHODIMP EnumCompartments(IEnumGUID** guids) override { return E_NOTIMPL; }

  // ITfInsertAtSelection
  STDMETHODIMP InsertTextAtSelection(TfEditCookie ec, DWORD flags, const WCHAR* text,
                                     LONG length, ITfRange** range) override;
  STDMETHODIMP InsertEmbeddedAtSelection(TfEditCookie ec, DWORD flags, IDataObject* data,
                                         ITfRange** range) override {
    return E_NOTIMPL;
  }

  // ITfContextComposition
  STDMETHODIMP StartComposition(TfEditCookie ec, ITfRange* range, ITfCompositionSink* sink,
                                ITfComposition** composition) override;
  STDMETHODIMP EnumCompositions(IEnumITfCompositionView** compositions) override {
    return E_NOTIMPL;
  }
  STDMETHODIMP FindComposition(TfEditCookie ec, ITfRange* range,
                               IEnumITfCompositionView** compositions) override {
    return E_NOTIMPL;
  }
  STDMETHODIMP TakeOwnership(TfEditCookie ec, ITfCompositionView* view,
                             ITfCompositionSink* sink, ITfComposition** composition) override {
    return E_NOTIMPL;
  }

  // ITfMouseTracker
  STDMETHODIMP AdviseMouseSink(ITfRange* range, ITfMouseSink* sink, DWORD* cookie) override;
  STDMETHODIMP UnadviseMouseSink(DWORD cookie) override;

  SinkList& sinks() { return sinks_; }
  CompartmentStore& compartments() { return compartments_; }

 private:
  // Runs |body| with a new cookie (|write|: a read-write one), then tells
  // the sinks when the document changed.
  template <typename Body>
  HRESULT RunLocked(bool write, Body&& body);
  void TellEdits();

  ime_shared::base::ComPtr<ITfDocumentMgr> document_;
  SinkList sinks_;
  CompartmentStore compartments_;
  std::wstring text_;
  // The selection moves with edits like any range.
  ime_shared::base::ComPtr<FakeRange> selection_;
  std::vector<FakeRange*> ranges_;
  ime_shared::base::ComPtr<FakeProperty> attribute_;
  ime_shared::base::ComPtr<FakeContextView> view_;
  ime_shared::base::ComPtr<FakeComposition> composition_;
  int compositions_started_ = 0;
  std::vector<MouseSink> mouse_sinks_;
  DWORD next_mouse_cookie_ = 0x200;
  TfEditCookie cookie_ = 0;
  TfEditCookie next_cookie_ = 0x1001;
  bool writable_ = false;
  bool locked_ = false;
  int lock_errors_ = 0;
};

// An object that answers nothing but IUnknown: a source without ITfSource,
// an owner without compartments.
class PlainObject : public ime_shared::base::ComObject<IUnknown> {};

}  // namespace ime_tsf_testing

#endif  // IME_SHARED_TSF_TESTING_FAKE_CONTEXT_H_
