#include "ime/shared/imm/message_queue.h"

#include "ime/shared/logging.h"

namespace ime_shared {
namespace imm {

void LogLostMessages(const char* where, size_t count) noexcept {
  try {
    KELVANE_LOG(LOG_ERROR) << "input context messages lost in " << where
                           << ": " << count;
  } catch (...) {
  }
}

}  // namespace imm
}  // namespace ime_shared
