// COM objects without a class library: reference counting, QueryInterface
// over a table of the interfaces an object answers, the module lock, and a
// guard that keeps C++ exceptions inside the module.
//
// An object lists its interfaces; each entry is an interface it derives from
// or Implements<Interface, Bases...>, which also answers the IIDs of the
// interface's own bases (they share its vtable):
//
//   class Element : public ComObject<
//       Implements<ITfCandidateListUIElementBehavior,
//                  ITfCandidateListUIElement, ITfUIElement>> { ... };
//   class Service : public ComObject<ITfDisplayAttributeProvider,
//       Implements<ITfFnConfigure, ITfFunction>> { ... };
//
//   ComPtr<Service> service = MakeComObject<Service>();  // null: no memory
//
// IUnknown is always answered with the first entry's pointer, so that every
// query for it gives the same identity. A ComObject starts with no
// reference (MakeComObject gives the first), holds the module lock from
// construction to destruction and deletes itself at the last Release.
// A StackComObject answers QueryInterface the same way but its AddRef and
// Release count nothing: its owner creates and deletes it and makes sure
// nobody holds it longer.
#ifndef IME_SHARED_BASE_COM_OBJECT_H_
#define IME_SHARED_BASE_COM_OBJECT_H_

#include <windows.h>
#include <unknwn.h>

#include <array>
#include <cstddef>
#include <new>
#include <utility>

#include "ime/shared/base/com_module_lock.h"
#include "ime/shared/base/com_ptr.h"
#include "ime/shared/base/module_call_scope.h"

namespace ime_shared {
namespace base {

// A table entry: |Interface| is a base of the object; the IIDs of |Bases|
// (bases of |Interface|) are answered with the same pointer.
template <typename Interface, typename... Bases>
struct Implements {};

namespace internal {

template <typename Entry>
struct EntryTraits {
  using Interface = Entry;
  static constexpr size_t kIidCount = 1;
  static constexpr std::array<const IID*, 1> Iids() { return {{&__uuidof(Entry)}}; }
};

template <typename I, typename... Bases>
struct EntryTraits<Implements<I, Bases...>> {
  using Interface = I;
  static constexpr size_t kIidCount = 1 + sizeof...(Bases);
  static constexpr std::array<const IID*, kIidCount> Iids() {
    return {{&__uuidof(I), &__uuidof(Bases)...}};
  }
};

// One row of an object's table: an IID and how to reach the interface.
template <typename Object>
struct QueryEntry {
  const IID* iid;
  IUnknown* (*cast)(Object* object);
};

template <typename Object, typename Interface>
IUnknown* CastTo(Object* object) {
  return static_cast<Interface*>(object);
}

template <typename Object, typename Entry>
constexpr std::array<QueryEntry<Object>, EntryTraits<Entry>::kIidCount> RowsOf() {
  std::array<QueryEntry<Object>, EntryTraits<Entry>::kIidCount> rows{};
  const auto iids = EntryTraits<Entry>::Iids();
  for (size_t i = 0; i < iids.size(); ++i) {
    rows[i] = {iids[i], &CastTo<Object, typename EntryTraits<Entry>::Interface>};
  }
  return rows;
}

template <typename Object, typename... Entries>
constexpr auto QueryTable() {
  std::array<QueryEntry<Object>, (EntryTraits<Entries>::kIidCount + ...)> table{};
  size_t next = 0;
  auto append = [&](const auto& rows) {
    for (const auto& row : rows) table[next++] = row;
  };
  (append(RowsOf<Object, Entries>()), ...);
  return table;
}

// QueryInterface over |table|; IUnknown gives the first row's pointer.
template <typename Object, size_t N>
HRESULT QueryFromTable(Object* object, const std::array<QueryEntry<Object>, N>& table,
                       REFIID iid, void** out) {
  if (out == nullptr) return E_POINTER;
  IUnknown* found = nullptr;
  if (IsEqualIID(iid, IID_IUnknown)) {
    found = table[0].cast(object);
  } else {
    for (const QueryEntry<Object>& row : table) {
      if (IsEqualIID(iid, *row.iid)) {
        found = row.cast(object);
        break;
      }
    }
  }
  *out = found;
  if (found == nullptr) return E_NOINTERFACE;
  found->AddRef();
  return S_OK;
}

}  // namespace internal

// The reference-counted base of the module's COM objects.
template <typename... Entries>
class ComObject : public internal::EntryTraits<Entries>::Interface... {
 public:
  ComObject(const ComObject&) = delete;
  ComObject& operator=(const ComObject&) = delete;

  STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
    static constexpr auto kTable = internal::QueryTable<ComObject, Entries...>();
    return internal::QueryFromTable<ComObject>(this, kTable, iid, out);
  }
  STDMETHODIMP_(ULONG) AddRef() override {
    return static_cast<ULONG>(::InterlockedIncrement(&references_));
  }
  STDMETHODIMP_(ULONG) Release() override {
    LONG left = ::InterlockedDecrement(&references_);
    if (left == 0) {
      // A destructor that calls out (ending a UI element in the host) may be
      // handed a reference and get it back: that must not delete it again.
      references_ = 1;
      delete this;
    }
    return static_cast<ULONG>(left);
  }

 protected:
  ComObject() : module_lock_(GetModuleLock()) { module_lock_->Lock(); }
  virtual ~ComObject() { module_lock_->Unlock(); }

  // The object's IUnknown (its identity), without a reference added.
  IUnknown* Identity() {
    static constexpr auto kTable = internal::QueryTable<ComObject, Entries...>();
    return kTable[0].cast(this);
  }

 private:
  volatile LONG references_ = 0;
  ModuleLockInterface* const module_lock_;
};

// An object whose lifetime its owner manages: AddRef and Release answer 1
// and count nothing.
template <typename... Entries>
class StackComObject : public internal::EntryTraits<Entries>::Interface... {
 public:
  StackComObject(const StackComObject&) = delete;
  StackComObject& operator=(const StackComObject&) = delete;

  STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
    static constexpr auto kTable = internal::QueryTable<StackComObject, Entries...>();
    return internal::QueryFromTable<StackComObject>(this, kTable, iid, out);
  }
  STDMETHODIMP_(ULONG) AddRef() override { return 1; }
  STDMETHODIMP_(ULONG) Release() override { return 1; }

 protected:
  StackComObject() = default;
  virtual ~StackComObject() = default;
};

// A new T with its first reference; null when it could not be made (no
// memory, or its constructor threw).
template <typename T, typename... Args>
ComPtr<T> MakeComObject(Args&&... args) noexcept {
  ComPtr<T> object;
  try {
    object.Reset(new T(std::forward<Args>(args)...));
  } catch (...) {
    object.Reset();
  }
  return object;
}

// Whether |a| and |b| are the same COM object: their IUnknown pointers are
// equal. Two nulls are the same; a null and an object are not.
bool IsSameObject(IUnknown* a, IUnknown* b);

// Runs |body| (returning an HRESULT) so that no C++ exception leaves a COM
// method: running out of memory answers E_OUTOFMEMORY, anything else E_FAIL.
// The call is a module call (ModuleCallScope): what the body defers until
// the module's calls have returned (a box, an object to free) runs once the
// thread's outermost one has, with none of the module's locks held.
template <typename Body>
HRESULT GuardComCall(Body&& body) noexcept {
  ModuleCallScope call;
  try {
    return body();
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  } catch (...) {
    return E_FAIL;
  }
}

}  // namespace base
}  // namespace ime_shared

#endif  // IME_SHARED_BASE_COM_OBJECT_H_
