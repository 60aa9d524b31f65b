// A hash for the short byte strings that words are.
//
// The passes hash every word of a page, most of them a few bytes long; the
// library's general string hash spends more on its set-up than on such
// words. This one reads eight bytes at a time and mixes with one multiply
// per step, which spreads the words of real pages evenly enough for the
// tables that hold them.
#ifndef CORVANE_HTML_WORD_HASH_H_
#define CORVANE_HTML_WORD_HASH_H_

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

namespace corvane::html {

struct WordHash {
  std::size_t operator()(std::string_view word) const {
    constexpr uint64_t kMultiplier = 0x9E3779B97F4A7C15ULL;
    uint64_t h = word.size() * kMultiplier;
    const char* p = word.data();
    std::size_t n = word.size();
    for (; n >= 8; n -= 8, p += 8) {
      uint64_t chunk;
      std::memcpy(&chunk, p, 8);
      h = (h ^ chunk) * kMultiplier;
      h ^= h >> 29;
    }
    if (n > 0) {
      uint64_t chunk = 0;
      std::memcpy(&chunk, p, n);
      h = (h ^ chunk) * kMultiplier;
      h ^= h >> 29;
    }
    return static_cast<std::size_t>(h ^ (h >> 32));
  }
};

}  // namespace corvane::html

#endif  // CORVANE_HTML_WORD_HASH_H_
