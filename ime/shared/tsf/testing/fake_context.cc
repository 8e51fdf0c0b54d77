#include "ime/shared/tsf/testing/fake_context.h"

#include <oleauto.h>
#include <olectl.h>

#include <algorithm>
#include <cwchar>

namespace ime_tsf_testing {

using ime_shared::base::ComPtr;
using ime_shared::base::MakeComObject;

namespace {

// The fakes' own ranges: every ITfRange the fake context sees is one.
FakeRange* AsFake(ITfRange* range) { return static_cast<FakeRange*>(range); }

template <typename T>
HRESULT Give(const ComPtr<T>& object, T** out) {
  if (out == nullptr) return E_INVALIDARG;
  *out = object.Get();
  if (*out == nullptr) return E_OUTOFMEMORY;
  (*out)->AddRef();
  return S_OK;
}

}  // namespace

// FakeRange

FakeRange::FakeRange(FakeContext* owner, LONG start, LONG end, bool holds_owner)
    : owner_(owner), start_(start), end_(end) {
  if (holds_owner) context_.Reset(owner);
  owner_->Register(this);
}

FakeRange::~FakeRange() {
  if (owner_ != nullptr) owner_->Unregister(this);
}

void FakeRange::Adjust(LONG from, LONG to, LONG length) {
  const LONG delta = length - (to - from);
  // An anchor before the change stays, one after it moves with the text
  // after it, one inside the replaced text goes to the end of the new text.
  // Anchors at an insertion point stay before the inserted text.
  if (start_ > from) start_ = start_ >= to ? start_ + delta : from + length;
  if (end_ > from) end_ = end_ >= to ? end_ + delta : from + length;
  if (end_ < start_) end_ = start_;
}

ComPtr<FakeRange> FakeRange::InnerCopy() const {
  if (owner_ == nullptr) return ComPtr<FakeRange>();
  return MakeComObject<FakeRange>(owner_, start_, end_, false);
}

STDMETHODIMP FakeRange::GetText(TfEditCookie ec, DWORD flags, WCHAR* text, ULONG max,
                                ULONG* length) {
  if (owner_ == nullptr) return E_FAIL;
  if (!owner_->CanRead(ec)) return TF_E_NOLOCK;
  const std::wstring& all = owner_->text();
  const ULONG count = std::min<ULONG>(max, static_cast<ULONG>(end_ - start_));
  if (text != nullptr) wmemcpy(text, all.c_str() + start_, count);
  if (length != nullptr) *length = count;
  return S_OK;
}

STDMETHODIMP FakeRange::SetText(TfEditCookie ec, DWORD flags, const WCHAR* text, LONG length) {
  if (owner_ == nullptr) return E_FAIL;
  if (!owner_->CanWrite(ec)) return TF_E_NOLOCK;
  if (text == nullptr && length != 0) return E_INVALIDARG;
  if (length < 0) length = static_cast<LONG>(wcslen(text));
  owner_->Replace(start_, end_, std::wstring(text != nullptr ? text : L"", length), this);
  return S_OK;
}

STDMETHODIMP FakeRange::ShiftStart(TfEditCookie ec, LONG count, LONG* shifted,
                                   const TF_HALTCOND* halt) {
  if (owner_ == nullptr) return E_FAIL;
  if (!owner_->CanRead(ec)) return TF_E_NOLOCK;
  const LONG size = static_cast<LONG>(owner_->text().size());
  const LONG moved = std::max<LONG>(0, std::min<LONG>(size, start_ + count));
  if (shifted != nullptr) *shifted = moved - start_;
  start_ = moved;
  if (end_ < start_) end_ = start_;
  return S_OK;
}

STDMETHODIMP FakeRange::ShiftEnd(TfEditCookie ec, LONG count, LONG* shifted,
                                 const TF_HALTCOND* halt) {
  if (owner_ == nullptr) return E_FAIL;
  if (!owner_->CanRead(ec)) return TF_E_NOLOCK;
  const LONG size = static_cast<LONG>(owner_->text().size());
  const LONG moved = std::max<LONG>(0, std::min<LONG>(size, end_ + count));
  if (shifted != nullptr) *shifted = moved - end_;
  end_ = moved;
  if (start_ > end_) start_ = end_;
  return S_OK;
}

STDMETHODIMP FakeRange::ShiftStartToRange(TfEditCookie ec, ITfRange* range, TfAnchor anchor) {
  if (owner_ == nullptr || range == nullptr) return E_INVALIDARG;
  if (!owner_->CanRead(ec)) return TF_E_NOLOCK;
  start_ = anchor == TF_ANCHOR_START ? AsFake(range)->start() : AsFake(range)->end();
  if (end_ < start_) end_ = start_;
  return S_OK;
}

STDMETHODIMP FakeRange::ShiftEndToRange(TfEditCookie ec, ITfRange* range, TfAnchor anchor) {
  if (owner_ == nullptr || range == nullptr) return E_INVALIDARG;
  if (!owner_->CanRead(ec)) return TF_E_NOLOCK;
  end_ = anchor == TF_ANCHOR_START ? AsFake(range)->start() : AsFake(range)->end();
  if (start_ > end_) start_ = end_;
  return S_OK;
}

STDMETHODIMP FakeRange::IsEmpty(TfEditCookie ec, BOOL* empty) {
  if (owner_ == nullptr || empty == nullptr) return E_INVALIDARG;
  if (!owner_->CanRead(ec)) return TF_E_NOLOCK;
  *empty = start_ == end_ ? TRUE : FALSE;
  return S_OK;
}

STDMETHODIMP FakeRange::Collapse(TfEditCookie ec, TfAnchor anchor) {
  if (owner_ == nullptr) return E_FAIL;
  if (!owner_->CanRead(ec)) return TF_E_NOLOCK;
  if (anchor == TF_ANCHOR_START) {
    end_ = start_;
  } else {
    start_ = end_;
  }
  return S_OK;
}

STDMETHODIMP FakeRange::Clone(ITfRange** clone) {
  if (clone == nullptr) return E_INVALIDARG;
  *clone = nullptr;
  if (owner_ == nullptr) return E_FAIL;
  ComPtr<FakeRange> copy = MakeComObject<FakeRange>(owner_, start_, end_, true);
  if (!copy) return E_OUTOFMEMORY;
  *clone = copy.Detach();
  return S_OK;
}

STDMETHODIMP FakeRange::GetContext(ITfContext** context) {
  if (context == nullptr) return E_INVALIDARG;
  *context = owner_;
  if (owner_ != nullptr) owner_->AddRef();
  return S_OK;
}

// FakeComposition

FakeComposition::FakeComposition(FakeContext* owner, FakeRange* range, ITfCompositionSink* sink)
    : owner_(owner), range_(range), sink_(sink) {}

STDMETHODIMP FakeComposition::GetRange(ITfRange** range) {
  if (range == nullptr) return E_INVALIDARG;
  *range = nullptr;
  if (ended_ || !range_) return E_FAIL;
  return range_->Clone(range);
}

STDMETHODIMP FakeComposition::EndComposition(TfEditCookie ec) {
  if (ended_ || owner_ == nullptr) return E_FAIL;
  if (!owner_->CanWrite(ec)) return TF_E_NOLOCK;
  MarkEnded();
  return S_OK;
}

void FakeComposition::MarkEnded() {
  if (ended_) return;
  ended_ = true;
  ComPtr<FakeComposition> self(this);
  sink_.Reset();
  if (owner_ != nullptr) owner_->CompositionEnded(this);
}

// FakeProperty

STDMETHODIMP FakeProperty::GetType(GUID* guid) {
  if (guid == nullptr) return E_INVALIDARG;
  *guid = guid_;
  return S_OK;
}

STDMETHODIMP FakeProperty::GetValue(TfEditCookie ec, ITfRange* range, VARIANT* value) {
  if (owner_ == nullptr || range == nullptr || value == nullptr) return E_INVALIDARG;
  if (!owner_->CanRead(ec)) return TF_E_NOLOCK;
  ::VariantInit(value);
  const Stretch* stretch = StretchAt(AsFake(range)->start());
  if (stretch != nullptr) {
    value->vt = VT_I4;
    value->lVal = stretch->value;
  }
  return S_OK;
}

STDMETHODIMP FakeProperty::GetContext(ITfContext** context) {
  if (context == nullptr) return E_INVALIDARG;
  *context = owner_;
  if (owner_ != nullptr) owner_->AddRef();
  return S_OK;
}

STDMETHODIMP FakeProperty::SetValue(TfEditCookie ec, ITfRange* range, const VARIANT* value) {
  if (owner_ == nullptr || range == nullptr || value == nullptr) return E_INVALIDARG;
  if (!owner_->CanWrite(ec)) return TF_E_NOLOCK;
  if (value->vt != VT_I4) return E_INVALIDARG;
  FakeRange* target = AsFake(range);
  // A new value replaces the values inside its range.
  stretches_.erase(std::remove_if(stretches_.begin(), stretches_.end(),
                                  [&](const Stretch& stretch) {
                                    return stretch.range->start() >= target->start() &&
                                           stretch.range->end() <= target->end();
                                  }),
                   stretches_.end());
  stretches_.push_back({target->InnerCopy(), value->lVal});
  return S_OK;
}

STDMETHODIMP FakeProperty::Clear(TfEditCookie ec, ITfRange* range) {
  if (owner_ == nullptr) return E_INVALIDARG;
  if (!owner_->CanWrite(ec)) return TF_E_NOLOCK;
  if (range == nullptr) {
    stretches_.clear();
    return S_OK;
  }
  FakeRange* target = AsFake(range);
  stretches_.erase(std::remove_if(stretches_.begin(), stretches_.end(),
                                  [&](const Stretch& stretch) {
                                    return stretch.range->start() < target->end() &&
                                           stretch.range->end() > target->start();
                                  }),
                   stretches_.end());
  return S_OK;
}

LONG FakeProperty::ValueAt(LONG position) const {
  const Stretch* stretch = StretchAt(position);
  return stretch != nullptr ? stretch->value : 0;
}

const FakeProperty::Stretch* FakeProperty::StretchAt(LONG position) const {
  const Stretch* found = nullptr;
  for (const Stretch& stretch : stretches_) {
    if (stretch.range->start() <= position && position < stretch.range->end()) {
      found = &stretch;
    }
  }
  return found;
}

// FakeContextView

STDMETHODIMP FakeContextView::GetTextExt(TfEditCookie ec, ITfRange* range, RECT* rect,
                                         BOOL* clipped) {
  if (owner_ == nullptr || range == nullptr || rect == nullptr) return E_INVALIDARG;
  if (!owner_->CanRead(ec)) return TF_E_NOLOCK;
  if (clipped != nullptr) *clipped = FALSE;
  if (answer_empty) {
    *rect = RECT{0, 0, 0, 0};
    return S_OK;
  }
  auto cell_of = [&](LONG index) {
    const LONG column = index % wrap_after;
    const LONG row = index / wrap_after;
    const LONG left = screen.left + column * cell.cx;
    const LONG top = screen.top + row * cell.cy;
    return RECT{left, top, left + cell.cx, top + cell.cy};
  };
  const FakeRange* target = AsFake(range);
  if (target->start() == target->end()) {
    // An insertion point: a line as high as a cell at the left of cell
    // |start|.
    RECT at = cell_of(target->start());
    at.right = at.left;
    *rect = at;
    return S_OK;
  }
  RECT all = cell_of(target->start());
  for (LONG index = target->start() + 1; index < target->end(); ++index) {
    const RECT next = cell_of(index);
    ::UnionRect(&all, &all, &next);
  }
  *rect = all;
  return S_OK;
}

STDMETHODIMP FakeContextView::GetScreenExt(RECT* rect) {
  if (rect == nullptr) return E_INVALIDARG;
  *rect = screen;
  return S_OK;
}

STDMETHODIMP FakeContextView::GetWnd(HWND* window) {
  if (window == nullptr) return E_INVALIDARG;
  *window = nullptr;
  return S_OK;
}

// FakeContext

FakeContext::FakeContext() {
  selection_ = MakeComObject<FakeRange>(this, 0, 0, false);
  attribute_ = MakeComObject<FakeProperty>(this, GUID_PROP_ATTRIBUTE);
  view_ = MakeComObject<FakeContextView>(this);
}

FakeContext::~FakeContext() {
  for (FakeRange* range : ranges_) range->Forget();
  ranges_.clear();
  if (attribute_) attribute_->Forget();
  if (view_) view_->Forget();
  if (composition_) composition_->Forget();
}

void FakeContext::SetDocumentText(const std::wstring& text) {
  Replace(0, static_cast<LONG>(text_.size()), text, nullptr);
  const LONG end = static_cast<LONG>(text_.size());
  selection_->Place(end, end);
}

bool FakeContext::TerminateComposition() {
  if (!composition_) return false;
  ComPtr<FakeComposition> composition = composition_;
  ComPtr<ITfCompositionSink> sink(composition->sink());
  RunLocked(true, [&]() {
    if (sink) sink->OnCompositionTerminated(cookie_, composition.Get());
    composition->MarkEnded();
  });
  return true;
}

bool FakeContext::Click(ULONG edge, DWORD buttons) {
  if (mouse_sinks_.empty()) return false;
  ComPtr<ITfMouseSink> sink = mouse_sinks_.back().sink;
  BOOL eaten = FALSE;
  sink->OnMouseEvent(edge, 0, buttons, &eaten);
  return eaten != FALSE;
}

bool FakeContext::CanRead(TfEditCookie ec) {
  if (locked_ && ec == cookie_) return true;
  ++lock_errors_;
  return false;
}

bool FakeContext::CanWrite(TfEditCookie ec) {
  if (locked_ && writable_ && ec == cookie_) return true;
  ++lock_errors_;
  return false;
}

void FakeContext::Replace(LONG from, LONG to, const std::wstring& text, FakeRange* written) {
  const LONG size = static_cast<LONG>(text_.size());
  from = std::max<LONG>(0, std::min(from, size));
  to = std::max(from, std::min(to, size));
  text_.replace(static_cast<size_t>(from), static_cast<size_t>(to - from), text);
  const LONG length = static_cast<LONG>(text.size());
  const std::vector<FakeRange*> ranges = ranges_;
  for (FakeRange* range : ranges) {
    if (range == written) continue;
    // Other ranges over exactly the written text are copies of it (the
    // composition's range and its clones): they cover the new text too.
    if (written != nullptr && range != selection_.Get() && range->start() == from &&
        range->end() == to) {
      range->Place(from, from + length);
    } else {
      range->Adjust(from, to, length);
    }
  }
  if (written != nullptr) written->Place(from, from + length);
}

void FakeContext::Unregister(FakeRange* range) {
  ranges_.erase(std::remove(ranges_.begin(), ranges_.end(), range), ranges_.end());
}

void FakeContext::CompositionEnded(FakeComposition* composition) {
  if (composition_.Get() == composition) composition_.Reset();
}

template <typename Body>
HRESULT FakeContext::RunLocked(bool write, Body&& body) {
  const std::wstring before = text_;
  locked_ = true;
  writable_ = write;
  cookie_ = next_cookie_++;
  body();
  locked_ = false;
  writable_ = false;
  cookie_ = 0;
  if (text_ != before) TellEdits();
  return S_OK;
}

void FakeContext::TellEdits() {
  RunLocked(false, [&]() {
    for (const ComPtr<ITfTextEditSink>& sink : sinks_.Sinks<ITfTextEditSink>()) {
      sink->OnEndEdit(this, cookie_, nullptr);
    }
  });
  for (const ComPtr<ITfTextLayoutSink>& sink : sinks_.Sinks<ITfTextLayoutSink>()) {
    sink->OnLayoutChange(this, TF_LC_CHANGE, view_.Get());
  }
}

STDMETHODIMP FakeContext::RequestEditSession(TfClientId client_id, ITfEditSession* session,
                                             DWORD flags, HRESULT* session_result) {
  if (session == nullptr || session_result == nullptr) return E_INVALIDARG;
  *session_result = E_FAIL;
  if (refuse_sessions || locked_) {
    ++refused_sessions;
    return E_FAIL;
  }
  const bool write = (flags & TF_ES_READWRITE) == TF_ES_READWRITE;
  if (write) ++write_sessions;
  return RunLocked(write, [&]() { *session_result = session->DoEditSession(cookie_); });
}

STDMETHODIMP FakeContext::InWriteSession(TfClientId client_id, BOOL* writing) {
  if (writing == nullptr) return E_INVALIDARG;
  *writing = locked_ && writable_ ? TRUE : FALSE;
  return S_OK;
}

STDMETHODIMP FakeContext::GetSelection(TfEditCookie cookie, ULONG index, ULONG count,
                                       TF_SELECTION* selection, ULONG* fetched) {
  if (selection == nullptr || fetched == nullptr) return E_INVALIDARG;
  *fetched = 0;
  if (!CanRead(cookie)) return TF_E_NOLOCK;
  if (count == 0) return S_OK;
  ComPtr<FakeRange> range =
      MakeComObject<FakeRange>(this, selection_->start(), selection_->end(), true);
  selection[0].range = range.Detach();
  selection[0].style.ase = TF_AE_END;
  selection[0].style.fInterimChar = FALSE;
  *fetched = 1;
  return S_OK;
}

STDMETHODIMP FakeContext::SetSelection(TfEditCookie cookie, ULONG count,
                                       const TF_SELECTION* selection) {
  if (selection == nullptr || count == 0 || selection[0].range == nullptr) return E_INVALIDARG;
  if (!CanWrite(cookie)) return TF_E_NOLOCK;
  selection_->Place(AsFake(selection[0].range)->start(), AsFake(selection[0].range)->end());
  return S_OK;
}

STDMETHODIMP FakeContext::GetStart(TfEditCookie cookie, ITfRange** start) {
  if (start == nullptr) return E_INVALIDARG;
  *start = nullptr;
  if (!CanRead(cookie)) return TF_E_NOLOCK;
  *start = MakeComObject<FakeRange>(this, 0, 0, true).Detach();
  return S_OK;
}

STDMETHODIMP FakeContext::GetEnd(TfEditCookie cookie, ITfRange** end) {
  if (end == nullptr) return E_INVALIDARG;
  *end = nullptr;
  if (!CanRead(cookie)) return TF_E_NOLOCK;
  const LONG size = static_cast<LONG>(text_.size());
  *end = MakeComObject<FakeRange>(this, size, size, true).Detach();
  return S_OK;
}

STDMETHODIMP FakeContext::GetActiveView(ITfContextView** view) {
  if (view == nullptr) return E_INVALIDARG;
  *view = view_.Get();
  view_->AddRef();
  return S_OK;
}

STDMETHODIMP FakeContext::GetProperty(REFGUID guid, ITfProperty** property) {
  if (property == nullptr) return E_INVALIDARG;
  *property = nullptr;
  if (!IsEqualGUID(guid, GUID_PROP_ATTRIBUTE)) return E_INVALIDARG;
  *property = attribute_.Get();
  attribute_->AddRef();
  return S_OK;
}

STDMETHODIMP FakeContext::InsertTextAtSelection(TfEditCookie ec, DWORD flags, const WCHAR* text,
                                                LONG length, ITfRange** range) {
  if (range != nullptr) *range = nullptr;
  if ((flags & TF_IAS_QUERYONLY) != 0) {
    if (range == nullptr) return E_INVALIDARG;
    if (!CanRead(ec)) return TF_E_NOLOCK;
    *range =
        MakeComObject<FakeRange>(this, selection_->start(), selection_->end(), true).Detach();
    return S_OK;
  }
  if (!CanWrite(ec)) return TF_E_NOLOCK;
  if (text == nullptr && length != 0) return E_INVALIDARG;
  if (length < 0) length = static_cast<LONG>(wcslen(text));
  const LONG at = selection_->start();
  Replace(at, selection_->end(), std::wstring(text != nullptr ? text : L"", length), nullptr);
  selection_->Place(at + length, at + length);
  if (range != nullptr && (flags & TF_IAS_NOQUERY) == 0) {
    *range = MakeComObject<FakeRange>(this, at, at + length, true).Detach();
  }
  return S_OK;
}

STDMETHODIMP FakeContext::StartComposition(TfEditCookie ec, ITfRange* range,
                                           ITfCompositionSink* sink,
                                           ITfComposition** composition) {
  if (composition == nullptr || range == nullptr) return E_INVALIDARG;
  *composition = nullptr;
  if (!CanWrite(ec)) return TF_E_NOLOCK;
  if (FAILED(start_composition_result)) return start_composition_result;
  ComPtr<FakeRange> inner = AsFake(range)->InnerCopy();
  composition_ = MakeComObject<FakeComposition>(this, inner.Get(), sink);
  ++compositions_started_;
  return Give(composition_, reinterpret_cast<FakeComposition**>(composition));
}

STDMETHODIMP FakeContext::AdviseMouseSink(ITfRange* range, ITfMouseSink* sink, DWORD* cookie) {
  if (range == nullptr || sink == nullptr || cookie == nullptr) return E_INVALIDARG;
  *cookie = next_mouse_cookie_++;
  mouse_sinks_.push_back({*cookie, AsFake(range)->InnerCopy(), ComPtr<ITfMouseSink>(sink)});
  return S_OK;
}

STDMETHODIMP FakeContext::UnadviseMouseSink(DWORD cookie) {
  for (auto it = mouse_sinks_.begin(); it != mouse_sinks_.end(); ++it) {
    if (it->cookie != cookie) continue;
    MouseSink gone = *it;
    mouse_sinks_.erase(it);
    return S_OK;
  }
  return CONNECT_E_NOCONNECTION;
}

}  // namespace ime_tsf_testing
