// The one display attribute of the input method: composition text is drawn
// with a dotted underline and no colours of its own. The text service is its
// provider (it forwards ITfDisplayAttributeProvider here); the composition
// registers the GUID with the category manager and stamps the atom on the
// composition range.
#ifndef IME_SHARED_TSF_DISPLAY_ATTRIBUTE_H_
#define IME_SHARED_TSF_DISPLAY_ATTRIBUTE_H_

#include <windows.h>

#include "ime/shared/base/com_object.h"
#include "ime/shared/base/tsf_declarations.h"

namespace ime_shared {
namespace tsf {

class DisplayAttribute {
 public:
  // The attribute's GUID: the build language's row of the identity tables.
  static const GUID& Guid();
  static const wchar_t kDescription[];
  static TF_DISPLAYATTRIBUTE Attribute();

  // ITfDisplayAttributeProvider::EnumDisplayAttributeInfo: a new enumerator
  // at its start. E_INVALIDARG for a null |out|, E_OUTOFMEMORY.
  static HRESULT Enumerate(IEnumTfDisplayAttributeInfo** out);
  // ITfDisplayAttributeProvider::GetDisplayAttributeInfo: |*out| is set to
  // null first; E_INVALIDARG for a null |out| or any GUID but Guid().
  static HRESULT GetInfo(REFGUID guid, ITfDisplayAttributeInfo** out);

  // The attribute as TSF reads it. No state of its own.
  class Information : public base::ComObject<ITfDisplayAttributeInfo> {
   public:
    STDMETHODIMP GetGUID(GUID* guid) override;
    STDMETHODIMP GetDescription(BSTR* description) override;
    STDMETHODIMP GetAttributeInfo(TF_DISPLAYATTRIBUTE* attribute) override;
    // The attribute cannot be changed: E_NOTIMPL.
    STDMETHODIMP SetAttributeInfo(const TF_DISPLAYATTRIBUTE* attribute) override;
    STDMETHODIMP Reset() override;
  };

  // Enumerates the one attribute.
  class Enumerator : public base::ComObject<IEnumTfDisplayAttributeInfo> {
   public:
    explicit Enumerator(bool done = false) : done_(done) {}

    STDMETHODIMP Clone(IEnumTfDisplayAttributeInfo** out) override;
    // S_OK when |count| attributes were returned, S_FALSE when fewer were
    // (|count| 0 returns none and answers S_OK).
    STDMETHODIMP Next(ULONG count, ITfDisplayAttributeInfo** infos,
                      ULONG* fetched) override;
    STDMETHODIMP Reset() override;
    // S_OK when |count| attributes were skipped, S_FALSE when fewer were.
    STDMETHODIMP Skip(ULONG count) override;

   private:
    // Whether the attribute has been returned or skipped.
    bool done_;
  };
};

}  // namespace tsf
}  // namespace ime_shared

#endif  // IME_SHARED_TSF_DISPLAY_ATTRIBUTE_H_
