#include "ime/shared/imm/context.h"

#include "ime/shared/logging.h"

namespace ime_shared {
namespace imm {

void LogContextFailure(const char* operation) noexcept {
  try {
    KELVANE_LOG(LOG_ERROR) << "input context " << operation
                           << " failed on an exception";
  } catch (...) {
  }
}

}  // namespace imm
}  // namespace ime_shared
