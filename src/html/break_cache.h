// The breaks of the distinct spellings of one language met on a page, each
// found once; private to the pattern pass.
#ifndef CORVANE_HTML_BREAK_CACHE_H_
#define CORVANE_HTML_BREAK_CACHE_H_

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "html/pattern_language_pass.h"
#include "hyphenation/word_reader.h"

namespace corvane::html {

// The breaks of each distinct spelling of one language, found once: a page
// repeats its words many times. Open addressing over one array, spellings
// and breaks kept in two growing buffers, so that a lookup allocates nothing.
class BreakCache {
 public:
  BreakCache(const PatternLanguage& language, const hyphenation::OwnBreaks* own)
      : language_(language), own_(own), slots_(kFirstSlots) {}

  // Byte offsets within `word` before which a soft hyphen goes; valid until
  // the next call.
  std::span<const uint32_t> Breaks(std::string_view word) {
    const uint64_t hash = Hash(word) | 1;  // 0 marks a free slot
    std::size_t at = hash & (slots_.size() - 1);
    for (;; at = (at + 1) & (slots_.size() - 1)) {
      const Slot& slot = slots_[at];
      if (slot.hash == 0) break;
      if (slot.hash == hash && Same(keys_.data() + slot.key_at, slot.key_size, word)) {
        return {breaks_.data() + slot.breaks_at, slot.breaks_size};
      }
    }
    Slot& slot = slots_[at];
    slot.hash = hash;
    slot.key_at = keys_.size();
    slot.key_size = word.size();
    keys_.append(word);
    slot.breaks_at = breaks_.size();
    for (std::size_t b : hyphenation::WordBreaks(*language_.set, word, language_.minimums, language_.turkic, own_)) {
      breaks_.push_back(static_cast<uint32_t>(b));
    }
    slot.breaks_size = breaks_.size() - slot.breaks_at;
    const std::span<const uint32_t> found{breaks_.data() + slot.breaks_at, slot.breaks_size};
    if (++count_ * 2 > slots_.size()) Grow();
    return found;
  }

  std::size_t size() const { return count_; }

  // How many of this cache's spellings `other` holds too.
  std::size_t CountIn(const BreakCache& other) const {
    std::size_t count = 0;
    for (const Slot& slot : slots_) {
      if (slot.hash != 0 && other.Holds(Key(slot), slot.hash)) ++count;
    }
    return count;
  }

 private:
  static constexpr std::size_t kFirstSlots = 1024;
  struct Slot {
    uint64_t hash = 0;
    std::size_t key_at = 0;
    std::size_t key_size = 0;
    std::size_t breaks_at = 0;
    std::size_t breaks_size = 0;
  };

  static uint64_t Load8(const char* p) {
    uint64_t v;
    std::memcpy(&v, p, 8);
    return v;
  }
  static uint64_t Load4(const char* p) {
    uint32_t v;
    std::memcpy(&v, p, 4);
    return v;
  }

  // A word's hash from a few fixed-size loads, which may overlap: most
  // words are short, and a copy of a varying length is a call to memcpy.
  static uint64_t Hash(std::string_view word) {
    constexpr uint64_t kMultiplier = 0x9E3779B97F4A7C15ULL;
    const char* p = word.data();
    const std::size_t n = word.size();
    uint64_t a = 0;
    uint64_t b = 0;
    if (n >= 8) {
      uint64_t h = n * kMultiplier;
      for (std::size_t i = 0; i + 8 < n; i += 8) h = ((h ^ Load8(p + i)) * kMultiplier) ^ (h >> 29);
      a = h;
      b = Load8(p + n - 8);
    } else if (n >= 4) {
      a = Load4(p);
      b = Load4(p + n - 4);
    } else if (n > 0) {
      a = (uint64_t{static_cast<uint8_t>(p[0])} << 16) | (uint64_t{static_cast<uint8_t>(p[n / 2])} << 8) |
          static_cast<uint8_t>(p[n - 1]);
    }
    uint64_t h = (a ^ (n * kMultiplier)) * kMultiplier;
    h = (h ^ (h >> 29) ^ b) * kMultiplier;
    return h ^ (h >> 32);
  }

  // Whether the kept spelling at `kept` is `word`, eight bytes at a time:
  // most words are shorter than the call to memcmp would cost.
  static bool Same(const char* kept, std::size_t size, std::string_view word) {
    if (size != word.size()) return false;
    std::size_t i = 0;
    for (; i + 8 <= size; i += 8) {
      uint64_t a, b;
      std::memcpy(&a, kept + i, 8);
      std::memcpy(&b, word.data() + i, 8);
      if (a != b) return false;
    }
    for (; i < size; ++i) {
      if (kept[i] != word[i]) return false;
    }
    return true;
  }

  std::string_view Key(const Slot& slot) const { return std::string_view(keys_).substr(slot.key_at, slot.key_size); }

  bool Holds(std::string_view word, uint64_t hash) const {
    for (std::size_t at = hash & (slots_.size() - 1);; at = (at + 1) & (slots_.size() - 1)) {
      if (slots_[at].hash == 0) return false;
      if (slots_[at].hash == hash && Key(slots_[at]) == word) return true;
    }
  }

  void Grow() {
    std::vector<Slot> old(slots_.size() * 2);
    old.swap(slots_);
    for (const Slot& slot : old) {
      if (slot.hash == 0) continue;
      std::size_t at = slot.hash & (slots_.size() - 1);
      while (slots_[at].hash != 0) at = (at + 1) & (slots_.size() - 1);
      slots_[at] = slot;
    }
  }

  const PatternLanguage& language_;
  const hyphenation::OwnBreaks* own_;
  std::vector<Slot> slots_;
  std::string keys_;
  std::vector<uint32_t> breaks_;
  std::size_t count_ = 0;
};

}  // namespace corvane::html

#endif  // CORVANE_HTML_BREAK_CACHE_H_
