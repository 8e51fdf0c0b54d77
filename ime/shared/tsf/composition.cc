#include "ime/shared/tsf/composition.h"

#include <utility>

#include "ime/shared/logging.h"
#include "ime/shared/tsf/display_attribute.h"

namespace ime_shared {
namespace tsf {

using base::ComPtr;
using base::GuardComCall;

namespace {

// Sets |*flag| for the lifetime of the scope.
class FlagScope {
 public:
  explicit FlagScope(bool* flag) : flag_(flag) { *flag_ = true; }
  ~FlagScope() { *flag_ = false; }
  FlagScope(const FlagScope&) = delete;
  FlagScope& operator=(const FlagScope&) = delete;

 private:
  bool* flag_;
};

LONG Length(const std::wstring& text) { return static_cast<LONG>(text.size()); }

}  // namespace

HRESULT CreateCategoryManager(ITfCategoryMgr** out) {
  return ::CoCreateInstance(CLSID_TF_CategoryMgr, nullptr, CLSCTX_ALL, IID_ITfCategoryMgr,
                            reinterpret_cast<void**>(out));
}

Composition::Composition(CategoryManagerFactory categories)
    : categories_(std::move(categories)) {}

Composition::~Composition() { UnadviseMouse(); }

HRESULT Composition::Init(ITfContext* context, EngineInterface* engine) {
  // Kept first: the text goes into the document with or without its
  // underline.
  context_.Reset(context);
  engine_ = engine;
  refused_ = false;
  atom_ = TF_INVALID_GUIDATOM;
  return GuardComCall([&]() -> HRESULT {
    if (!categories_) return E_FAIL;
    ComPtr<ITfCategoryMgr> categories;
    HRESULT result = categories_(categories.Receive());
    if (FAILED(result)) return result;
    if (!categories) return E_FAIL;
    TfGuidAtom atom = TF_INVALID_GUIDATOM;
    result = categories->RegisterGUID(DisplayAttribute::Guid(), &atom);
    if (FAILED(result)) return result;
    atom_ = atom;
    return S_OK;
  });
}

void Composition::Detach() {
  Close();
  context_.Reset();
  engine_ = nullptr;
  refused_ = false;
}

HRESULT Composition::Start(TfEditCookie ec) {
  if (!CanWrite()) return E_UNEXPECTED;
  ComPtr<ITfInsertAtSelection> insert;
  ComPtr<ITfContextComposition> compose;
  if (FAILED(insert.QueryFrom(context_.Get())) || !insert ||
      FAILED(compose.QueryFrom(context_.Get())) || !compose) {
    return Refused("a composition", E_NOINTERFACE);
  }
  ComPtr<ITfRange> at;
  HRESULT result =
      insert->InsertTextAtSelection(ec, TF_IAS_QUERYONLY, nullptr, 0, at.Receive());
  if (FAILED(result) || !at) {
    return Refused("the insertion point", FAILED(result) ? result : E_FAIL);
  }
  ComPtr<ITfComposition> composition;
  result = compose->StartComposition(ec, at.Get(), this, composition.Receive());
  // A document may decline a composition and still answer S_OK.
  if (FAILED(result) || !composition) {
    return Refused("a composition", FAILED(result) ? result : E_FAIL);
  }
  ComPtr<ITfRange> range;
  result = composition->GetRange(range.Receive());
  if (FAILED(result) || !range) {
    composition->EndComposition(ec);
    return Refused("the composition's range", FAILED(result) ? result : E_FAIL);
  }
  composition_ = composition;
  range_ = range;
  return S_OK;
}

HRESULT Composition::SetText(TfEditCookie ec) {
  if (!IsOpen() || engine_ == nullptr) return E_UNEXPECTED;
  const std::wstring& text = engine_->GetComposition();
  HRESULT result = range_->SetText(ec, 0, text.c_str(), Length(text));
  if (FAILED(result)) return Refused("the composition text", result);
  SetSelection(ec, engine_->GetCaret());
  ComPtr<ITfProperty> attribute =
      atom_ != TF_INVALID_GUIDATOM ? AttributeProperty() : ComPtr<ITfProperty>();
  if (attribute) {
    VARIANT value;
    ::VariantInit(&value);
    value.vt = VT_I4;
    value.lVal = static_cast<LONG>(atom_);
    attribute->SetValue(ec, range_.Get(), &value);
  }
  AdviseMouse();
  return S_OK;
}

HRESULT Composition::End(TfEditCookie ec) {
  if (!IsOpen() || engine_ == nullptr) return E_UNEXPECTED;
  const std::wstring result = engine_->GetResult();
  HRESULT answer = range_->SetText(ec, 0, result.c_str(), Length(result));
  if (SUCCEEDED(answer)) {
    SetSelection(ec, Length(result));
  } else {
    Refused("the committed text", answer);
  }
  ComPtr<ITfComposition> composition = composition_;
  ClearAttribute(ec, range_.Get());
  Close();
  composition->EndComposition(ec);
  return answer;
}

HRESULT Composition::SetSelection(TfEditCookie ec, int32_t offset) {
  if (!IsOpen() || !context_) return E_UNEXPECTED;
  ComPtr<ITfRange> at;
  HRESULT result = range_->Clone(at.Receive());
  if (FAILED(result) || !at) return FAILED(result) ? result : E_FAIL;
  LONG shifted = 0;
  result = at->ShiftStart(ec, offset, &shifted, nullptr);
  if (FAILED(result)) return result;
  result = at->Collapse(ec, TF_ANCHOR_START);
  if (FAILED(result)) return result;
  TF_SELECTION selection = {};
  selection.range = at.Get();
  selection.style.ase = TF_AE_NONE;
  selection.style.fInterimChar = FALSE;
  return context_->SetSelection(ec, 1, &selection);
}

STDMETHODIMP Composition::OnCompositionTerminated(TfEditCookie ec,
                                                  ITfComposition* composition) {
  return GuardComCall([&]() -> HRESULT {
    if (!IsOpen()) return S_OK;
    // Kept: the engine's commit below may end in a call that closes us.
    ComPtr<Composition> self(this);
    ComPtr<ITfRange> range = range_;
    std::wstring result;
    bool commit = false;
    {
      FlagScope terminating(&terminating_);
      if (engine_ != nullptr && !engine_->GetComposition().empty()) {
        engine_->EndComposition(true);
        result = engine_->GetResult();
        commit = true;
      }
    }
    // The host already ended the composition: its range is written with
    // the host's cookie, nothing else is asked of it.
    if (commit) range->SetText(ec, 0, result.c_str(), Length(result));
    ClearAttribute(ec, range.Get());
    Close();
    return S_OK;
  });
}

STDMETHODIMP Composition::OnMouseEvent(ULONG edge, ULONG quadrant, DWORD button_status,
                                       BOOL* eaten) {
  if (eaten == nullptr) return E_INVALIDARG;
  *eaten = TRUE;
  return GuardComCall([&]() -> HRESULT {
    if (engine_ != nullptr) {
      engine_->MoveCaret(static_cast<int32_t>(button_status), static_cast<int32_t>(edge));
    }
    return S_OK;
  });
}

void Composition::ClearAttribute(TfEditCookie ec, ITfRange* range) const {
  ComPtr<ITfProperty> attribute = AttributeProperty();
  if (attribute && range != nullptr) attribute->Clear(ec, range);
}

void Composition::AdviseMouse() {
  UnadviseMouse();
  ComPtr<ITfMouseTracker> tracker;
  if (FAILED(tracker.QueryFrom(context_.Get())) || !tracker) return;
  DWORD cookie = TF_INVALID_COOKIE;
  if (FAILED(tracker->AdviseMouseSink(range_.Get(), this, &cookie))) return;
  mouse_cookie_ = cookie;
}

void Composition::UnadviseMouse() {
  if (mouse_cookie_ == TF_INVALID_COOKIE) return;
  const DWORD cookie = mouse_cookie_;
  mouse_cookie_ = TF_INVALID_COOKIE;
  ComPtr<ITfMouseTracker> tracker;
  if (SUCCEEDED(tracker.QueryFrom(context_.Get())) && tracker) {
    tracker->UnadviseMouseSink(cookie);
  }
}

ComPtr<ITfProperty> Composition::AttributeProperty() const {
  ComPtr<ITfProperty> property;
  if (!context_ || FAILED(context_->GetProperty(GUID_PROP_ATTRIBUTE, property.Receive()))) {
    property.Reset();
  }
  return property;
}

void Composition::Close() {
  UnadviseMouse();
  composition_.Reset();
  range_.Reset();
}

HRESULT Composition::Refused(const char* what, HRESULT error) {
  if (!refused_) {
    KELVANE_LOG(LOG_WARNING) << "the document refused " << what << " (0x" << std::hex
                             << static_cast<unsigned long>(error)
                             << "); keys go to the application until the next focus change";
  }
  refused_ = true;
  return error;
}

}  // namespace tsf
}  // namespace ime_shared
