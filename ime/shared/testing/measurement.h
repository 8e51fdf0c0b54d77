// What the benchmark and measuring programs read off the process, and the
// figures they print of their timings.
#ifndef IME_SHARED_TESTING_MEASUREMENT_H_
#define IME_SHARED_TESTING_MEASUREMENT_H_

#include <cstddef>
#include <vector>

namespace ime_testing {

// The committed private memory of the process: the sum of its committed
// MEM_PRIVATE regions (a mapped file is not private). Walking the address
// space gives the figure on Windows and under Wine alike, where the process
// counters do not report private usage.
size_t PrivateBytes();

// The number of threads the process has (a thread snapshot's count).
size_t ThreadCount();

// Seconds on the performance counter.
double Now();

// The mean time in microseconds of one call on a kernel object (an event
// set and reset many times). Under Wine each such call is a round trip to
// its server, whose cost differs from machine to machine and dominates the
// keystroke figures: the keystroke road takes the process's dispatch gate
// and the module registry's mutex at every key.
double KernelObjectCallMicros();

// The value at fraction |p| (0 is the least, 1 the greatest) of |values|,
// the nearest rank rounded to the closer one; 0 when there are none.
double Percentile(std::vector<double> values, double p);

}  // namespace ime_testing

#endif  // IME_SHARED_TESTING_MEASUREMENT_H_
