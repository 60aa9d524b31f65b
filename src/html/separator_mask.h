// Where the separators (space, tab, CR, LF) are in a block of 64 bytes, as
// the bits of one number.
//
// The passes split whole pages into words; testing 64 bytes at a time with
// vector compares, then walking the bits, costs a small part of testing
// each byte on its own.
#ifndef CORVANE_HTML_SEPARATOR_MASK_H_
#define CORVANE_HTML_SEPARATOR_MASK_H_

#include <cstddef>
#include <cstdint>
#include <string_view>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "html/markup.h"

namespace corvane::html {

// Bit i is set when bytes[i] is a separator, for i < count (at most 64);
// the bits from count on are set too, so that a block's end reads as one.
inline uint64_t SeparatorMask(const char* bytes, std::size_t count) {
  uint64_t mask = count >= 64 ? 0 : ~uint64_t{0} << count;
  std::size_t i = 0;
#if defined(__SSE2__)
  const __m128i space = _mm_set1_epi8(' ');
  const __m128i tab = _mm_set1_epi8('\t');
  const __m128i cr = _mm_set1_epi8('\r');
  const __m128i lf = _mm_set1_epi8('\n');
  for (; i + 16 <= count; i += 16) {
    const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes + i));
    const __m128i hit = _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(b, space), _mm_cmpeq_epi8(b, tab)),
                                     _mm_or_si128(_mm_cmpeq_epi8(b, cr), _mm_cmpeq_epi8(b, lf)));
    mask |= static_cast<uint64_t>(static_cast<uint16_t>(_mm_movemask_epi8(hit))) << i;
  }
#endif
  for (; i < count; ++i) mask |= uint64_t{IsWordSeparator(static_cast<uint8_t>(bytes[i]))} << i;
  return mask;
}

// Calls `on_run(start, end)` for each maximal run of set bits over bytes
// [0, n), in order, where `block_mask(base, count)` gives the bits of bytes
// [base, base + count) (count at most 64), those from count on clear.
template <typename BlockMask, typename OnRun>
void ForEachRunOfSetBits(std::size_t n, BlockMask&& block_mask, OnRun&& on_run) {
  constexpr std::size_t kNone = SIZE_MAX;
  std::size_t run_start = kNone;
  for (std::size_t base = 0; base < n; base += 64) {
    const uint64_t bits = block_mask(base, n - base < 64 ? n - base : 64);
    // Alternately the next start (a set bit) and the next end (a clear bit).
    for (unsigned pos = 0;;) {
      if (run_start == kNone) {
        const uint64_t starts = bits >> pos << pos;
        if (starts == 0) break;
        pos = static_cast<unsigned>(__builtin_ctzll(starts));
        run_start = base + pos;
      }
      const uint64_t ends = ~bits >> pos << pos;
      if (ends == 0) break;
      pos = static_cast<unsigned>(__builtin_ctzll(ends));
      on_run(run_start, base + pos);
      run_start = kNone;
    }
  }
  if (run_start != kNone) on_run(run_start, n);
}

// Calls `on_word(start, end)` for each run of bytes of `text` between
// separators.
template <typename OnWord>
void ForEachSeparatedWord(std::string_view text, OnWord&& on_word) {
  ForEachRunOfSetBits(
      text.size(), [&](std::size_t base, std::size_t count) { return ~SeparatorMask(text.data() + base, count); },
      on_word);
}

}  // namespace corvane::html

#endif  // CORVANE_HTML_SEPARATOR_MASK_H_
