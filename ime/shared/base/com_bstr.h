// BSTR strings handed to COM callers: a copy that reports when it could not
// be allocated, and an owner for the ones the module receives.
#ifndef IME_SHARED_BASE_COM_BSTR_H_
#define IME_SHARED_BASE_COM_BSTR_H_

#include <windows.h>
#include <oleauto.h>

#include <string>

namespace ime_shared {
namespace base {

// Copies |text| into a new BSTR in |*out| (which must not be null); false,
// with |*out| null, when the string could not be allocated. The caller maps
// that to the HRESULT its operation documents.
bool AllocBstr(const std::wstring& text, BSTR* out);
bool AllocBstr(const wchar_t* text, size_t length, BSTR* out);

// The function that allocates the strings above (SysAllocStringLen unless
// replaced). A seam for running out of memory: SetBstrAllocator returns the
// previous allocator; null puts SysAllocStringLen back.
using BstrAllocator = BSTR (*)(const OLECHAR* text, UINT length);
BstrAllocator SetBstrAllocator(BstrAllocator allocator);

// Owns a BSTR and frees it with SysFreeString.
class ScopedBstr {
 public:
  ScopedBstr() = default;
  explicit ScopedBstr(BSTR text) : text_(text) {}
  ScopedBstr(const ScopedBstr&) = delete;
  ScopedBstr& operator=(const ScopedBstr&) = delete;
  ~ScopedBstr() { Reset(); }

  BSTR Get() const { return text_; }
  // The string as a wide string (empty for a null BSTR).
  std::wstring ToString() const;
  // Frees the held string and returns the place for an out-parameter.
  BSTR* Receive() {
    Reset();
    return &text_;
  }
  void Reset(BSTR text = nullptr);
  BSTR Release() {
    BSTR text = text_;
    text_ = nullptr;
    return text;
  }

 private:
  BSTR text_ = nullptr;
};

}  // namespace base
}  // namespace ime_shared

#endif  // IME_SHARED_BASE_COM_BSTR_H_
