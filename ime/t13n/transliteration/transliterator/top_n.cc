#include "ime/t13n/transliteration/transliterator/top_n.h"

#include "ime/shared/logging.h"

namespace ime_t13n {

void TopNEmptyCheckFailed(const char* file, int line) {
  ime_shared::LogMessage(file, line, ime_shared::LOG_FATAL).stream()
      << "Check failed: !empty(). ";
}

}  // namespace ime_t13n
