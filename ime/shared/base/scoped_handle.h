// Scoped owners of Win32 handles.
#ifndef IME_SHARED_BASE_SCOPED_HANDLE_H_
#define IME_SHARED_BASE_SCOPED_HANDLE_H_

#include <windows.h>

#include <utility>

namespace ime_shared {
namespace base {

// Owns a handle and releases it with Traits::Close. Traits::Invalid() is the
// value that means "no handle".
template <typename Traits>
class ScopedGenericHandle {
 public:
  using Handle = typename Traits::Handle;

  ScopedGenericHandle() : handle_(Traits::Invalid()) {}
  explicit ScopedGenericHandle(Handle handle) : handle_(handle) {}
  ScopedGenericHandle(ScopedGenericHandle&& other) noexcept
      : handle_(other.Release()) {}
  ScopedGenericHandle& operator=(ScopedGenericHandle&& other) noexcept {
    Reset(other.Release());
    return *this;
  }
  ScopedGenericHandle(const ScopedGenericHandle&) = delete;
  ScopedGenericHandle& operator=(const ScopedGenericHandle&) = delete;
  ~ScopedGenericHandle() { Reset(); }

  Handle Get() const { return handle_; }
  bool IsValid() const { return handle_ != Traits::Invalid(); }
  explicit operator bool() const { return IsValid(); }

  // Gives up ownership without closing.
  Handle Release() { return std::exchange(handle_, Traits::Invalid()); }

  void Reset(Handle handle = Traits::Invalid()) {
    if (handle_ != handle && IsValid()) Traits::Close(handle_);
    handle_ = handle;
  }

 private:
  Handle handle_;
};

// Kernel objects whose "none" value is NULL (mutexes, events, sections,
// processes, threads, tokens).
struct KernelHandleTraits {
  using Handle = HANDLE;
  static Handle Invalid() { return nullptr; }
  static void Close(Handle h) { ::CloseHandle(h); }
};

// Files, whose "none" value is INVALID_HANDLE_VALUE.
struct FileHandleTraits {
  using Handle = HANDLE;
  static Handle Invalid() { return INVALID_HANDLE_VALUE; }
  static void Close(Handle h) { ::CloseHandle(h); }
};

// Memory from LocalAlloc, as the security conversion functions return it.
struct LocalMemoryTraits {
  using Handle = HLOCAL;
  static Handle Invalid() { return nullptr; }
  static void Close(Handle h) { ::LocalFree(h); }
};

using ScopedHandle = ScopedGenericHandle<KernelHandleTraits>;
using ScopedFileHandle = ScopedGenericHandle<FileHandleTraits>;
using ScopedLocalMemory = ScopedGenericHandle<LocalMemoryTraits>;

}  // namespace base
}  // namespace ime_shared

#endif  // IME_SHARED_BASE_SCOPED_HANDLE_H_
