// A counted reference to a COM interface: AddRef when a pointer is taken,
// Release when it is dropped.
//
//   ComPtr<ITfDocumentMgr> document;
//   thread_manager->GetFocus(document.Receive());   // an out-parameter
//   ComPtr<ITfSource> source;
//   if (SUCCEEDED(source.QueryFrom(document.Get()))) ...
#ifndef IME_SHARED_BASE_COM_PTR_H_
#define IME_SHARED_BASE_COM_PTR_H_

#include <windows.h>
#include <unknwn.h>

#include <cstddef>
#include <utility>

namespace ime_shared {
namespace base {

template <typename T>
class ComPtr {
 public:
  ComPtr() = default;
  ComPtr(std::nullptr_t) {}  // NOLINT: a null reference
  // Takes a reference of its own: |pointer| stays the caller's.
  explicit ComPtr(T* pointer) : pointer_(pointer) { AddRefHeld(); }
  ComPtr(const ComPtr& other) : pointer_(other.pointer_) { AddRefHeld(); }
  ComPtr(ComPtr&& other) noexcept : pointer_(other.Detach()) {}
  // From a pointer to a derived class (an object to one of its interfaces).
  template <typename U>
  ComPtr(const ComPtr<U>& other) : pointer_(other.Get()) {  // NOLINT
    AddRefHeld();
  }
  ~ComPtr() { Reset(); }

  ComPtr& operator=(const ComPtr& other) {
    Reset(other.pointer_);
    return *this;
  }
  ComPtr& operator=(ComPtr&& other) noexcept {
    if (this != &other) {
      T* taken = other.Detach();
      Reset();
      pointer_ = taken;
    }
    return *this;
  }
  ComPtr& operator=(std::nullptr_t) {
    Reset();
    return *this;
  }

  T* Get() const { return pointer_; }
  T* operator->() const { return pointer_; }
  T& operator*() const { return *pointer_; }
  explicit operator bool() const { return pointer_ != nullptr; }

  // Holds |pointer| with a reference of its own, dropping the old one.
  void Reset(T* pointer = nullptr) {
    if (pointer != nullptr) pointer->AddRef();
    T* old = pointer_;
    pointer_ = pointer;
    if (old != nullptr) old->Release();
  }

  // Takes over a reference the caller already owns.
  void Attach(T* pointer) {
    T* old = pointer_;
    pointer_ = pointer;
    if (old != nullptr) old->Release();
  }

  // Gives the held reference to the caller.
  T* Detach() { return std::exchange(pointer_, nullptr); }

  // Drops the held reference and returns the place for an out-parameter
  // that hands over a new one.
  T** Receive() {
    Reset();
    return &pointer_;
  }

  // Gives the caller a new reference of its own (an out-parameter of ours);
  // E_INVALIDARG for a null |out|.
  HRESULT CopyTo(T** out) const {
    if (out == nullptr) return E_INVALIDARG;
    *out = pointer_;
    if (pointer_ != nullptr) pointer_->AddRef();
    return S_OK;
  }

  // Holds |object|'s interface T, or nothing: the result of QueryInterface
  // (E_NOINTERFACE for a null |object|).
  HRESULT QueryFrom(IUnknown* object) {
    Reset();
    if (object == nullptr) return E_NOINTERFACE;
    return object->QueryInterface(__uuidof(T), reinterpret_cast<void**>(&pointer_));
  }

  // |this|'s interface U in |out|.
  template <typename U>
  HRESULT As(ComPtr<U>* out) const {
    if (out == nullptr) return E_INVALIDARG;
    return out->QueryFrom(pointer_);
  }

 private:
  void AddRefHeld() {
    if (pointer_ != nullptr) pointer_->AddRef();
  }

  T* pointer_ = nullptr;
};

template <typename T, typename U>
bool operator==(const ComPtr<T>& a, const ComPtr<U>& b) {
  return a.Get() == b.Get();
}
template <typename T, typename U>
bool operator!=(const ComPtr<T>& a, const ComPtr<U>& b) {
  return a.Get() != b.Get();
}
template <typename T>
bool operator==(const ComPtr<T>& a, std::nullptr_t) {
  return a.Get() == nullptr;
}
template <typename T>
bool operator!=(const ComPtr<T>& a, std::nullptr_t) {
  return a.Get() != nullptr;
}

}  // namespace base
}  // namespace ime_shared

#endif  // IME_SHARED_BASE_COM_PTR_H_
