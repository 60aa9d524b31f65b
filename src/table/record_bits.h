// RecordBits: one bit per physical record of a table, the result of a
// filter expression evaluated for the whole table.
//
// Bits past the record count are kept clear, so a complement never selects
// records that do not exist.
#ifndef CORVANE_TABLE_RECORD_BITS_H_
#define CORVANE_TABLE_RECORD_BITS_H_

#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

namespace corvane::table {

class RecordBits {
 public:
  // Clears every bit and sizes the set for `count` records.
  void Reset(int32_t count) {
    count_ = count < 0 ? 0 : count;
    words_.assign((static_cast<std::size_t>(count_) + 63) / 64, 0);
  }
  int32_t Count() const { return count_; }

  bool Test(int32_t record) const {
    return record >= 0 && record < count_ &&
           ((words_[static_cast<std::size_t>(record) / 64] >> (record % 64)) & 1) != 0;
  }
  // Records outside 0..Count()-1 are ignored.
  void Set(int32_t record) {
    if (record >= 0 && record < count_) words_[static_cast<std::size_t>(record) / 64] |= uint64_t{1} << (record % 64);
  }
  void SetAll() {
    for (uint64_t& w : words_) w = ~uint64_t{0};
    ClearTail();
  }
  void Complement() {
    for (uint64_t& w : words_) w = ~w;
    ClearTail();
  }
  // Both sets must have the same count.
  void And(const RecordBits& other) {
    for (std::size_t i = 0; i < words_.size(); ++i) words_[i] &= other.words_[i];
  }
  void Or(const RecordBits& other) {
    for (std::size_t i = 0; i < words_.size(); ++i) words_[i] |= other.words_[i];
  }
  void Swap(RecordBits& other) {
    words_.swap(other.words_);
    std::swap(count_, other.count_);
  }

 private:
  void ClearTail() {
    if (count_ % 64 != 0) words_.back() &= (uint64_t{1} << (count_ % 64)) - 1;
  }

  std::vector<uint64_t> words_;
  int32_t count_ = 0;
};

}  // namespace corvane::table

#endif  // CORVANE_TABLE_RECORD_BITS_H_
