// A table from words to small numbers, for the passes' word collections.
//
// A page has tens of thousands of distinct words and every word of it is
// looked up; the table keeps its entries in one array (open addressing,
// linear probing, at most half full) with each word's hash beside it, so a
// look-up costs one hash and, most of the time, one comparison, and an entry
// costs no allocation of its own. It does not own the words' bytes: each key
// must stay valid as long as the table.
#ifndef CORVANE_HTML_WORD_TABLE_H_
#define CORVANE_HTML_WORD_TABLE_H_

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "html/word_hash.h"

namespace corvane::html {

class WordTable {
 public:
  static constexpr uint32_t kAbsent = UINT32_MAX;

  static uint64_t Hash(std::string_view word) { return WordHash()(word); }

  // The number stored under `word` (whose Hash is `hash`), or kAbsent.
  uint32_t Find(std::string_view word, uint64_t hash) const;
  uint32_t Find(std::string_view word) const { return Find(word, Hash(word)); }

  // Stores `value` (not kAbsent) under `word`, which must not be present.
  void Insert(std::string_view word, uint64_t hash, uint32_t value);

  // Room for `count` words without growing.
  void Reserve(std::size_t count);

  std::size_t size() const { return used_; }

 private:
  struct Slot {
    uint64_t hash = 0;
    const char* data = nullptr;
    std::size_t size = 0;
    uint32_t value = kAbsent;  // kAbsent: the slot is free
  };
  void Place(const Slot& slot);
  void Rehash(std::size_t capacity);

  std::vector<Slot> slots_;
  std::size_t used_ = 0;
};

}  // namespace corvane::html

#endif  // CORVANE_HTML_WORD_TABLE_H_
