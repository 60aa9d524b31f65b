#include "table/record_number_array.h"

#include <algorithm>

namespace corvane::table {

std::size_t RecordNumberArray::FindBlock(int32_t position) const {
  // The last block whose start is not after `position` (position Size()
  // lands in the last block); branch-free, as the probes of a search jump
  // about unpredictably.
  const int32_t* base = starts_.data();
  std::size_t len = starts_.size();
  while (len > 1) {
    const std::size_t half = len / 2;
    base = base[half] <= position ? base + half : base;
    len -= half;
  }
  const auto block = static_cast<std::size_t>(base - starts_.data());
  last_block_ = block;
  return block;
}

void RecordNumberArray::Set(int32_t position, int32_t record) {
  EnsureBlocks();
  const std::size_t b = BlockOf(position);
  blocks_[b][static_cast<std::size_t>(position - starts_[b])] = record;
  if (flat_valid_) flat_[static_cast<std::size_t>(position)] = record;
  // The entry now stands for another record, whose prefix is not known here.
  prefixes_valid_ = false;
  ++generation_;
}

bool RecordNumberArray::SetPrefixes(const std::vector<uint64_t>& by_record) const {
  prefixes_valid_ = false;
  if (!flat_valid_) return false;
  prefixes_.resize(flat_.size());
  for (std::size_t p = 0; p < flat_.size(); ++p) {
    const auto r = static_cast<std::size_t>(flat_[p]);  // a negative number wraps out of range
    if (r >= by_record.size()) return false;
    prefixes_[p] = by_record[r];
  }
  prefixes_valid_ = true;
  return true;
}

bool RecordNumberArray::SetPrefixesInOrder(std::vector<uint64_t> in_order) const {
  prefixes_valid_ = flat_valid_ && in_order.size() == flat_.size();
  if (prefixes_valid_) prefixes_ = std::move(in_order);
  return prefixes_valid_;
}

void RecordNumberArray::BuildFlat() const {
  flat_.resize(static_cast<std::size_t>(size_));
  std::size_t at = 0;
  for (const auto& block : blocks_) {
    std::copy(block.begin(), block.end(), flat_.begin() + static_cast<std::ptrdiff_t>(at));
    at += block.size();
  }
  flat_valid_ = true;
}

void RecordNumberArray::ShiftStarts(std::size_t from_block, int32_t delta) {
  for (std::size_t i = from_block; i < starts_.size(); ++i) starts_[i] += delta;
}

void RecordNumberArray::Insert(int32_t position, int32_t record) {
  EnsureBlocks();
  Changed();
  if (blocks_.empty()) {
    blocks_.push_back({record});
    starts_.push_back(0);
    size_ = 1;
    return;
  }
  const std::size_t b = BlockOf(position);
  auto& block = blocks_[b];
  block.insert(block.begin() + (position - starts_[b]), record);
  ++size_;
  ShiftStarts(b + 1, 1);
  SplitIfFull(b);
}

void RecordNumberArray::SplitIfFull(std::size_t b) {
  if (static_cast<int32_t>(blocks_[b].size()) <= kMaxBlock) return;
  const std::size_t half = blocks_[b].size() / 2;
  std::vector<int32_t> tail(blocks_[b].begin() + static_cast<std::ptrdiff_t>(half), blocks_[b].end());
  blocks_[b].resize(half);
  blocks_.insert(blocks_.begin() + static_cast<std::ptrdiff_t>(b) + 1, std::move(tail));
  starts_.insert(starts_.begin() + static_cast<std::ptrdiff_t>(b) + 1,
                 starts_[b] + static_cast<int32_t>(half));
}

void RecordNumberArray::Erase(int32_t position) {
  EnsureBlocks();
  Changed();
  const std::size_t b = BlockOf(position);
  auto& block = blocks_[b];
  block.erase(block.begin() + (position - starts_[b]));
  --size_;
  ShiftStarts(b + 1, -1);
  if (block.empty()) {
    blocks_.erase(blocks_.begin() + static_cast<std::ptrdiff_t>(b));
    starts_.erase(starts_.begin() + static_cast<std::ptrdiff_t>(b));
    return;
  }
  MergeIfSmall(b);
}

void RecordNumberArray::MergeIfSmall(std::size_t b) {
  const auto size = static_cast<int32_t>(blocks_[b].size());
  if (size >= kMinBlock) return;
  // Merge into the left block of a pair: the right one's start goes away.
  std::size_t left = b;
  if (b + 1 < blocks_.size() && size + static_cast<int32_t>(blocks_[b + 1].size()) <= kMaxBlock) {
    left = b;
  } else if (b > 0 && size + static_cast<int32_t>(blocks_[b - 1].size()) <= kMaxBlock) {
    left = b - 1;
  } else {
    return;
  }
  auto& into = blocks_[left];
  auto& from = blocks_[left + 1];
  into.insert(into.end(), from.begin(), from.end());
  blocks_.erase(blocks_.begin() + static_cast<std::ptrdiff_t>(left) + 1);
  starts_.erase(starts_.begin() + static_cast<std::ptrdiff_t>(left) + 1);
}

void RecordNumberArray::Clear() {
  Changed();
  std::vector<int32_t>().swap(flat_);
  std::vector<uint64_t>().swap(prefixes_);
  blocks_.clear();
  starts_.clear();
  blocks_ready_ = true;
  size_ = 0;
  last_block_ = 0;
}

void RecordNumberArray::Assign(std::vector<int32_t> records) {
  Clear();
  size_ = static_cast<int32_t>(records.size());
  Changed();
  flat_ = std::move(records);
  flat_valid_ = true;
  blocks_ready_ = false;
}

void RecordNumberArray::EnsureBlocks() {
  if (blocks_ready_) return;
  // Half-full blocks leave room for inserts before the first split.
  constexpr std::size_t kFill = kMaxBlock / 2;
  for (std::size_t at = 0; at < flat_.size(); at += kFill) {
    const std::size_t end = std::min(flat_.size(), at + kFill);
    blocks_.emplace_back(flat_.begin() + static_cast<std::ptrdiff_t>(at),
                         flat_.begin() + static_cast<std::ptrdiff_t>(end));
    starts_.push_back(static_cast<int32_t>(at));
  }
  last_block_ = 0;
  blocks_ready_ = true;
}

std::vector<int32_t> RecordNumberArray::ToVector() const {
  std::vector<int32_t> out;
  out.reserve(static_cast<std::size_t>(size_));
  ForEach([&out](int32_t r) { out.push_back(r); });
  return out;
}

}  // namespace corvane::table
