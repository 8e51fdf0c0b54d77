#include "ime/shared/base/com_bstr.h"

#include <atomic>
#include <limits>

namespace ime_shared {
namespace base {

namespace {

BSTR SystemAllocator(const OLECHAR* text, UINT length) {
  return ::SysAllocStringLen(text, length);
}

std::atomic<BstrAllocator> g_allocator{&SystemAllocator};

}  // namespace

bool AllocBstr(const wchar_t* text, size_t length, BSTR* out) {
  if (out == nullptr) return false;
  *out = nullptr;
  // A BSTR's length prefix counts bytes in 32 bits.
  if (length > std::numeric_limits<UINT>::max() / sizeof(OLECHAR) - 1) return false;
  if (text == nullptr && length != 0) return false;
  *out = g_allocator.load()(text, static_cast<UINT>(length));
  return *out != nullptr;
}

bool AllocBstr(const std::wstring& text, BSTR* out) {
  return AllocBstr(text.c_str(), text.size(), out);
}

BstrAllocator SetBstrAllocator(BstrAllocator allocator) {
  return g_allocator.exchange(allocator != nullptr ? allocator : &SystemAllocator);
}

std::wstring ScopedBstr::ToString() const {
  if (text_ == nullptr) return std::wstring();
  return std::wstring(text_, ::SysStringLen(text_));
}

void ScopedBstr::Reset(BSTR text) {
  if (text_ != nullptr && text_ != text) ::SysFreeString(text_);
  text_ = text;
}

}  // namespace base
}  // namespace ime_shared
