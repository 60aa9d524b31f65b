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

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "html/markup.h"

namespace corvane::html {

// Bit i is set when bytes[i] is a separator, for i < count (at most 64);
// the bits from count on are set too, so that a block's end reads as one.
inline uint64_t SeparatorMask(const char* bytes, std::size_t count) {
#if defined(__SSE2__)
  if (count == 64) {
    uint64_t mask = 0;
    const __m128i space = _mm_set1_epi8(' ');
    const __m128i tab = _mm_set1_epi8('\t');
    const __m128i cr = _mm_set1_epi8('\r');
    const __m128i lf = _mm_set1_epi8('\n');
    for (int k = 0; k < 4; ++k) {
      const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes + 16 * k));
      const __m128i hit = _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(b, space), _mm_cmpeq_epi8(b, tab)),
                                       _mm_or_si128(_mm_cmpeq_epi8(b, cr), _mm_cmpeq_epi8(b, lf)));
      mask |= static_cast<uint64_t>(static_cast<uint16_t>(_mm_movemask_epi8(hit))) << (16 * k);
    }
    return mask;
  }
#endif
  uint64_t mask = count >= 64 ? 0 : ~uint64_t{0} << count;
  for (std::size_t i = 0; i < count && i < 64; ++i) {
    mask |= uint64_t{IsWordSeparator(static_cast<uint8_t>(bytes[i]))} << i;
  }
  return mask;
}

}  // namespace corvane::html

#endif  // CORVANE_HTML_SEPARATOR_MASK_H_
