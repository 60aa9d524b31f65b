// The position search of the indexes: a uniform binary search that decides
// where a key goes in a sorted array of N records, and so which of several
// equal keys a search lands on. Inserts, updates, the unique check and every
// search use it, so files written by the engine keep equal keys in the same
// order whoever reads them; it must not be replaced by a textbook lower
// bound.
//
// The probe starts at N div 2 with a step of N div 2 (an empty array gives
// 0 at once). Before each probe the step is halved, never below 1. The key
// is compared with the record at the probe: equal ends the search there (a
// new entry goes before the equal one); a key that sorts before the record
// moves the probe back by the step, one that sorts after moves it forward.
// With the step at 1 a probe below 0 gives 0 and a probe past N - 1 gives N;
// with a larger step a probe outside the array is clamped to 0 or N - 1.
// Once the step is 1 the probe walks one place at a time, and as soon as the
// comparison changes sign between two neighbouring probes the result is the
// probe's position when the key now sorts before the record, or the
// position plus one when it sorts after.
//
// It ends on any array, sorted or not: once the step is 1 the walk keeps one
// direction until the sign changes or it leaves the array, so a damaged
// array gives a wrong position, never a hang.
#ifndef CORVANE_TABLE_POSITION_SEARCH_H_
#define CORVANE_TABLE_POSITION_SEARCH_H_

#include <cstdint>

namespace corvane::table {

// `compare_at(p)` compares the key with the record at position p: <0 when
// the key sorts before it, 0 when equal, >0 when after. Returns a position
// in 0..n.
template <typename CompareAt>
int32_t PositionSearch(int32_t n, CompareAt&& compare_at) {
  if (n <= 0) return 0;
  int32_t pos = n / 2;
  int32_t step = n / 2;
  // Sign of the previous probe's comparison when that probe was the
  // neighbour of this one (the move between them was one place), else 0.
  int neighbour_sign = 0;
  for (;;) {
    step = step / 2 < 1 ? 1 : step / 2;
    const int c = compare_at(pos);
    if (c == 0) return pos;
    const int sign = c < 0 ? -1 : 1;
    if (neighbour_sign != 0 && sign != neighbour_sign) return sign < 0 ? pos : pos + 1;
    pos += sign < 0 ? -step : step;
    if (pos < 0) {
      if (step == 1) return 0;
      pos = 0;
    } else if (pos > n - 1) {
      if (step == 1) return n;
      pos = n - 1;
    }
    neighbour_sign = step == 1 ? sign : 0;
  }
}

}  // namespace corvane::table

#endif  // CORVANE_TABLE_POSITION_SEARCH_H_
