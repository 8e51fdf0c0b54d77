#include "ime/shared/base/module_call_scope.h"

#include <vector>

namespace ime_shared {
namespace base {

namespace {

struct Deferred {
  void (*release)(void*);
  void* object;
};

// Plain values only, so that no thread of the host needs a destructor run
// at its exit for the module's sake.
thread_local int t_depth = 0;
thread_local std::vector<Deferred>* t_deferred = nullptr;

void RunDeferred() {
  while (t_deferred != nullptr) {
    std::vector<Deferred>* releases = t_deferred;
    t_deferred = nullptr;
    // The releases run as one more call: what they hand over in turn waits
    // until all of them are done.
    ++t_depth;
    for (const Deferred& deferred : *releases) {
      deferred.release(deferred.object);
    }
    --t_depth;
    delete releases;
  }
}

}  // namespace

ModuleCallScope::ModuleCallScope() noexcept { ++t_depth; }

ModuleCallScope::~ModuleCallScope() {
  if (--t_depth == 0) RunDeferred();
}

bool ReleaseAfterModuleCalls(void (*release)(void*), void* object) noexcept {
  if (t_depth == 0) {
    release(object);
    return true;
  }
  try {
    if (t_deferred == nullptr) t_deferred = new std::vector<Deferred>;
    t_deferred->push_back(Deferred{release, object});
    return true;
  } catch (...) {
    return false;
  }
}

}  // namespace base
}  // namespace ime_shared
