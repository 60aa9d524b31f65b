// The millisecond tick counter.
//
// The table engine times bursts of record changes with it; only differences
// between two readings mean anything. Like a 32-bit hardware counter it wraps
// after about 49.7 days, so compare readings by unsigned subtraction
// (`TickCount() - start`), which stays right across one wrap.
#ifndef CORVANE_PLATFORM_CLOCK_H_
#define CORVANE_PLATFORM_CLOCK_H_

#include <cstdint>

namespace corvane::platform {

// Milliseconds of a monotonic clock, truncated to 32 bits. Never goes back
// when the wall clock is set.
uint32_t TickCount();

}  // namespace corvane::platform

#endif  // CORVANE_PLATFORM_CLOCK_H_
