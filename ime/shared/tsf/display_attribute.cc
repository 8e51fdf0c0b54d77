#include "ime/shared/tsf/display_attribute.h"

#include "ime/shared/base/com_bstr.h"
#include "ime/shared/language_identity.h"

namespace ime_shared {
namespace tsf {

using base::ComPtr;
using base::GuardComCall;
using base::MakeComObject;

const wchar_t DisplayAttribute::kDescription[] = L"ZIME Input Attribute";

const GUID& DisplayAttribute::Guid() { return InputMethod::kDisplayAttributeGuid; }

TF_DISPLAYATTRIBUTE DisplayAttribute::Attribute() {
  TF_DISPLAYATTRIBUTE attribute = {};
  attribute.crText.type = TF_CT_NONE;
  attribute.crBk.type = TF_CT_NONE;
  attribute.lsStyle = TF_LS_DOT;
  attribute.fBoldLine = FALSE;
  attribute.crLine.type = TF_CT_NONE;
  attribute.bAttr = TF_ATTR_INPUT;
  return attribute;
}

HRESULT DisplayAttribute::Enumerate(IEnumTfDisplayAttributeInfo** out) {
  if (out == nullptr) return E_INVALIDARG;
  *out = nullptr;
  ComPtr<Enumerator> enumerator = MakeComObject<Enumerator>();
  if (!enumerator) return E_OUTOFMEMORY;
  *out = enumerator.Detach();
  return S_OK;
}

HRESULT DisplayAttribute::GetInfo(REFGUID guid, ITfDisplayAttributeInfo** out) {
  if (out == nullptr) return E_INVALIDARG;
  *out = nullptr;
  if (!IsEqualGUID(guid, Guid())) return E_INVALIDARG;
  ComPtr<Information> info = MakeComObject<Information>();
  if (!info) return E_OUTOFMEMORY;
  *out = info.Detach();
  return S_OK;
}

STDMETHODIMP DisplayAttribute::Information::GetGUID(GUID* guid) {
  if (guid == nullptr) return E_INVALIDARG;
  *guid = Guid();
  return S_OK;
}

STDMETHODIMP DisplayAttribute::Information::GetDescription(BSTR* description) {
  if (description == nullptr) return E_INVALIDARG;
  return base::AllocBstr(kDescription, wcslen(kDescription), description)
             ? S_OK
             : E_OUTOFMEMORY;
}

STDMETHODIMP DisplayAttribute::Information::GetAttributeInfo(
    TF_DISPLAYATTRIBUTE* attribute) {
  if (attribute == nullptr) return E_INVALIDARG;
  *attribute = Attribute();
  return S_OK;
}

STDMETHODIMP DisplayAttribute::Information::SetAttributeInfo(
    const TF_DISPLAYATTRIBUTE* attribute) {
  return E_NOTIMPL;
}

STDMETHODIMP DisplayAttribute::Information::Reset() { return E_NOTIMPL; }

STDMETHODIMP DisplayAttribute::Enumerator::Clone(IEnumTfDisplayAttributeInfo** out) {
  if (out == nullptr) return E_INVALIDARG;
  *out = nullptr;
  ComPtr<Enumerator> copy = MakeComObject<Enumerator>(done_);
  if (!copy) return E_OUTOFMEMORY;
  *out = copy.Detach();
  return S_OK;
}

STDMETHODIMP DisplayAttribute::Enumerator::Next(ULONG count,
                                                ITfDisplayAttributeInfo** infos,
                                                ULONG* fetched) {
  if (fetched != nullptr) *fetched = 0;
  if (count == 0) return S_OK;
  if (infos == nullptr) return E_INVALIDARG;
  if (done_) return S_FALSE;
  ComPtr<Information> info = MakeComObject<Information>();
  if (!info) return E_OUTOFMEMORY;
  infos[0] = info.Detach();
  done_ = true;
  if (fetched != nullptr) *fetched = 1;
  // There is one attribute: a caller that asked for more got fewer.
  return count == 1 ? S_OK : S_FALSE;
}

STDMETHODIMP DisplayAttribute::Enumerator::Reset() {
  done_ = false;
  return S_OK;
}

STDMETHODIMP DisplayAttribute::Enumerator::Skip(ULONG count) {
  if (count == 0) return S_OK;
  if (done_) return S_FALSE;
  done_ = true;
  return count == 1 ? S_OK : S_FALSE;
}

}  // namespace tsf
}  // namespace ime_shared
