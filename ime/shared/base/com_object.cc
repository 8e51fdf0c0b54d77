#include "ime/shared/base/com_object.h"

namespace ime_shared {
namespace base {

bool IsSameObject(IUnknown* a, IUnknown* b) {
  if (a == nullptr || b == nullptr) return a == b;
  ComPtr<IUnknown> identity_a;
  ComPtr<IUnknown> identity_b;
  if (FAILED(identity_a.QueryFrom(a)) || FAILED(identity_b.QueryFrom(b))) return false;
  return identity_a.Get() == identity_b.Get();
}

}  // namespace base
}  // namespace ime_shared
