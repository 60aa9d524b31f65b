#include "html/word_table.h"

#include <cstring>

namespace corvane::html {
namespace {

template <typename T>
T Load(const char* p) {
  T value;
  std::memcpy(&value, p, sizeof value);
  return value;
}

// memcmp(a, b, n) == 0 for the few bytes of a word, without a call: two
// overlapping loads cover any length from 4 to 16.
bool SameBytes(const char* a, const char* b, std::size_t n) {
  if (n >= 8) {
    if (n > 16) return std::memcmp(a, b, n) == 0;
    return Load<uint64_t>(a) == Load<uint64_t>(b) && Load<uint64_t>(a + n - 8) == Load<uint64_t>(b + n - 8);
  }
  if (n >= 4) return Load<uint32_t>(a) == Load<uint32_t>(b) && Load<uint32_t>(a + n - 4) == Load<uint32_t>(b + n - 4);
  for (std::size_t i = 0; i < n; ++i) {
    if (a[i] != b[i]) return false;
  }
  return true;
}

}  // namespace

uint32_t WordTable::Find(std::string_view word, uint64_t hash) const {
  if (slots_.empty()) return kAbsent;
  const std::size_t mask = slots_.size() - 1;
  for (std::size_t i = hash & mask;; i = (i + 1) & mask) {
    const Slot& slot = slots_[i];
    if (slot.value == kAbsent) return kAbsent;
    if (slot.hash == hash && slot.size == word.size() && SameBytes(slot.data, word.data(), word.size())) {
      return slot.value;
    }
  }
}

void WordTable::Insert(std::string_view word, uint64_t hash, uint32_t value) {
  if ((used_ + 1) * 2 > slots_.size()) Rehash(slots_.empty() ? 64 : slots_.size() * 2);
  Place({hash, word.data(), word.size(), value});
  ++used_;
}

void WordTable::Reserve(std::size_t count) {
  std::size_t capacity = 64;
  while (capacity < count * 2) capacity *= 2;
  if (capacity > slots_.size()) Rehash(capacity);
}

void WordTable::Place(const Slot& slot) {
  const std::size_t mask = slots_.size() - 1;
  std::size_t i = slot.hash & mask;
  while (slots_[i].value != kAbsent) i = (i + 1) & mask;
  slots_[i] = slot;
}

void WordTable::Rehash(std::size_t capacity) {
  std::vector<Slot> old(capacity);
  old.swap(slots_);
  for (const Slot& slot : old) {
    if (slot.value != kAbsent) Place(slot);
  }
}

}  // namespace corvane::html
