// The seed of a seeded random test: a fresh one for every run, so that runs
// cover ever new streams, and a failing one replayed exactly.
#ifndef IME_SHARED_TESTING_STRESS_SEED_H_
#define IME_SHARED_TESTING_STRESS_SEED_H_

#include <cstdint>

namespace ime_testing {

// The value of KELVANE_STRESS_SEED when it is set, else a random one; the
// seed and how to replay it are printed either way.
uint32_t StressSeed();

}  // namespace ime_testing

#endif  // IME_SHARED_TESTING_STRESS_SEED_H_
