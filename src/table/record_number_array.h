// RecordNumberArray: the array of one index, a sequence of int32 record
// numbers addressed by position, that stays cheap to insert into and erase
// from anywhere.
//
// The entries live in blocks of at most kMaxBlock numbers; `starts_` holds
// the position of each block's first entry, so reaching a position is a
// binary search over a few hundred block starts and an insert or erase moves
// at most one block's entries and bumps the later starts. A block that grows
// past kMaxBlock splits in two; one that shrinks below kMinBlock merges with
// a neighbour when the two fit, so the block count stays proportional to the
// size. Sequential walks hit a cached last block and cost O(1) per step.
//
// Searching is what an open word list mostly does, and there the block
// lookup is a good part of each probe. So once an array has been read many
// times since it last changed (an eighth of its size in reads, at least
// kFlatAfterReads), it keeps a flat copy and reads come straight from it
// until the next insert or erase drops the copy. Building the copy costs
// about what a hundred searches do; a table being filled never reads enough
// between two changes to build one.
//
// Beside the flat copy the owner may keep one 64-bit sort key per entry
// (the key prefixes of an index search), valid exactly as long as the copy.
// Building them reads every record once, about what 2,500 searches of
// 164,000 records cost, so they wait until the copy has served as many
// searches as it took reads to appear (an eighth of the size, at least
// kFlatAfterReads): a table changed now and then between runs of searches
// pays a small share of its search time for them, a table being filled
// nothing.
//
// An array that is assigned whole (loaded from an index file, or built) keeps
// only the flat copy until its first change makes the blocks: an open word
// list that is only searched never pays for them.
//
// Positions and order are exactly those of a plain array; the class only
// changes what inserts cost. Not thread-safe (the cache is mutable), like the
// rest of a table.
#ifndef CORVANE_TABLE_RECORD_NUMBER_ARRAY_H_
#define CORVANE_TABLE_RECORD_NUMBER_ARRAY_H_

#include <algorithm>
#include <cstdint>
#include <vector>

namespace corvane::table {

class RecordNumberArray {
 public:
  static constexpr int32_t kMaxBlock = 1024;
  static constexpr int32_t kMinBlock = 128;
  static constexpr int64_t kFlatAfterReads = 4096;

  RecordNumberArray() = default;

  int32_t Size() const { return size_; }
  bool Empty() const { return size_ == 0; }

  // Positions must lie in 0..Size()-1 (Insert: 0..Size()); callers check.
  int32_t At(int32_t position) const {
    if (flat_valid_) return flat_[static_cast<std::size_t>(position)];
    if (++reads_since_change_ > flat_threshold_) BuildFlat();
    const std::size_t b = BlockOf(position);
    return blocks_[b][static_cast<std::size_t>(position - starts_[b])];
  }
  // The flat copy, or null while there is none.
  const int32_t* FlatData() const { return flat_valid_ ? flat_.data() : nullptr; }
  // The per-entry prefixes in position order, or null while there are none.
  const uint64_t* Prefixes() const { return prefixes_valid_ ? prefixes_.data() : nullptr; }
  // Counts a search that could use prefixes; true when there is a flat copy
  // and enough searches have gone by since it was built to build them.
  bool PrefixesWanted() const {
    return flat_valid_ && ++searches_since_flat_ > flat_threshold_;
  }
  // Sets the prefixes from `by_record` (indexed by record number) while the
  // flat copy exists; false, leaving none, when an entry lies outside it.
  bool SetPrefixes(const std::vector<uint64_t>& by_record) const;
  // A number that changes whenever the entries may have: prefixes made for
  // the entries at one generation do not fit another.
  uint64_t Generation() const { return generation_; }
  // Sets prefixes already in position order (stored with the array); false,
  // leaving none, without a flat copy or when the count differs.
  bool SetPrefixesInOrder(std::vector<uint64_t> in_order) const;

  void Set(int32_t position, int32_t record);
  void Insert(int32_t position, int32_t record);
  void Erase(int32_t position);

  void Clear();
  // Replaces the contents (building, loading), taking the vector as the
  // flat copy.
  void Assign(std::vector<int32_t> records);
  std::vector<int32_t> ToVector() const;

  // Calls f(record) for every entry in order.
  template <typename F>
  void ForEach(F&& f) const {
    if (!blocks_ready_) {
      for (int32_t r : flat_) f(r);
      return;
    }
    for (const auto& block : blocks_) {
      for (int32_t r : block) f(r);
    }
  }

 private:
  // The block holding `position` (for Insert, the block it goes into).
  // Inline: every probe of a search comes through here.
  std::size_t BlockOf(int32_t position) const {
    const std::size_t cached = last_block_;
    if (cached < blocks_.size() && position >= starts_[cached] &&
        position < starts_[cached] + static_cast<int32_t>(blocks_[cached].size())) {
      return cached;
    }
    return FindBlock(position);
  }
  std::size_t FindBlock(int32_t position) const;
  void BuildFlat() const;
  // Makes the blocks from the flat copy if they are not there yet.
  void EnsureBlocks();
  void Changed() {
    ++generation_;
    flat_valid_ = false;
    prefixes_valid_ = false;
    searches_since_flat_ = 0;
    reads_since_change_ = 0;
    flat_threshold_ = std::max<int64_t>(kFlatAfterReads, size_ / 8);
  }
  void ShiftStarts(std::size_t from_block, int32_t delta);
  void SplitIfFull(std::size_t block);
  void MergeIfSmall(std::size_t block);

  std::vector<std::vector<int32_t>> blocks_;
  std::vector<int32_t> starts_;
  // False while the contents live only in the flat copy (flat_valid_ then
  // holds too).
  bool blocks_ready_ = true;
  int32_t size_ = 0;
  mutable std::size_t last_block_ = 0;
  // The flat copy for reading, valid only while nothing changed.
  mutable std::vector<int32_t> flat_;
  mutable bool flat_valid_ = false;
  mutable int64_t reads_since_change_ = 0;
  int64_t flat_threshold_ = kFlatAfterReads;
  // The owner's prefixes, valid only while the flat copy is.
  mutable std::vector<uint64_t> prefixes_;
  mutable bool prefixes_valid_ = false;
  mutable int64_t searches_since_flat_ = 0;
  uint64_t generation_ = 0;
};

}  // namespace corvane::table

#endif  // CORVANE_TABLE_RECORD_NUMBER_ARRAY_H_
