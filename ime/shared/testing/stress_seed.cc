#include "ime/shared/testing/stress_seed.h"

#include <cstdio>
#include <cstdlib>
#include <random>

namespace ime_testing {

uint32_t StressSeed() {
  const char* text = std::getenv("KELVANE_STRESS_SEED");
  const uint32_t seed =
      text != nullptr ? static_cast<uint32_t>(std::strtoul(text, nullptr, 10))
                      : std::random_device()();
  std::printf("seed %u (replay with KELVANE_STRESS_SEED=%u)\n", seed, seed);
  std::fflush(stdout);
  return seed;
}

}  // namespace ime_testing
