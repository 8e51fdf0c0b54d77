#include "ime/shared/imm/context_map.h"

#include "ime/shared/logging.h"

namespace ime_shared {
namespace imm {

void LogMapFailure(const char* operation) noexcept {
  try {
    KELVANE_LOG(LOG_ERROR) << "input context map " << operation
                           << " failed on an exception";
  } catch (...) {
  }
}

}  // namespace imm
}  // namespace ime_shared
