#include "table/record_storage.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <new>
#include <stdexcept>
#include <string>

#include "container/abstract_file.h"
#include "platform/clock.h"
#include "platform/error.h"
#include "platform/memory.h"

namespace corvane::table {

namespace {

// A page not touched for this long may be replaced before busier ones.
constexpr uint32_t kIdleMs = 100;

[[noreturn]] void ReallocFailed() { throw Error("TRecordsPage.SetMaxRecordCount - Unable to realloc memory."); }
[[noreturn]] void CannotFindRecord() { throw Error("TRecordsPage.GetRecordPtr - Cannot find record"); }

}  // namespace

PagePlan PlanPages(int64_t record_count, int32_t slot_size, uint64_t available_memory, bool in_memory,
                   bool small_cache) {
  const uint64_t budget = slot_size > 0 ? available_memory / 3 / static_cast<uint64_t>(slot_size) : 0;
  if (!in_memory && !small_cache && record_count >= 0 && static_cast<uint64_t>(record_count) <= budget) {
    return {3, static_cast<int32_t>(std::min<uint64_t>(budget / 3 + 1, INT32_MAX))};
  }
  return {25, 1};
}

// ---- TRecordsPage ----

TRecordsPage::TRecordsPage(int32_t slot_size) : slot_size_(slot_size) {
  while (slot_size_ > 0 && block_shift_ < 30 &&
         (std::size_t{2} << block_shift_) * static_cast<std::size_t>(slot_size_) <= kBlockBytes) {
    ++block_shift_;
  }
}

void TRecordsPage::Assign(int32_t page_number, int32_t first, int32_t capacity) {
  page_number_ = page_number;
  first_ = first;
  capacity_ = capacity;
  count_ = 0;
  data_.clear();
  blocks_.clear();
  lock_count = 0;
  uses = 0;
  last_tick = 0;
}

void TRecordsPage::SetMaxRecordCount(int32_t count) {
  try {
    const std::size_t bytes = static_cast<std::size_t>(count) * static_cast<std::size_t>(slot_size_);
    // Ordinary pages: blocks come in one at a time, and a huge page would
    // clear 2 MiB for each. A page of text whose lookups read a hundred
    // blocks then costs about 2 ms and 14 MB less; lookups spread over the
    // whole table run a few hundredths slower for the address translations.
    if (data_.capacity() < bytes) data_.reserve(bytes);
  } catch (const std::bad_alloc&) {
    ReallocFailed();
  } catch (const std::length_error&) {
    ReallocFailed();
  }
}

void TRecordsPage::ReadRecords(container::TAbstractFile& file, int64_t data_start, int32_t count,
                               const TWriteLogArray& log) {
  if (count < 0 || count > capacity_) throw Error("TRecordsPage.ReadRecords - Cannot read so many records.");
  const int64_t start = data_start + static_cast<int64_t>(first_) * slot_size_;
  const int64_t in_file = std::clamp<int64_t>((file.GetSize() - start) / slot_size_, 0, count);
  // Records past the file's end must be appends still waiting in the log;
  // checked before any memory is taken for them.
  for (auto i = static_cast<int32_t>(in_file); i < count; ++i) {
    if (log.Find(first_ + i) == nullptr) throw Error("TRecordsPage.ReadRecords - Cannot read so many records.");
  }
  SetMaxRecordCount(count);
  // The bytes stay untouched until their block is read, so memory is only
  // taken for the blocks a caller asks for.
  data_.resize(static_cast<std::size_t>(count) * static_cast<std::size_t>(slot_size_));
  count_ = count;
  blocks_.assign(BlockCount(count), 0);
  if (blocks_.size() == 1) ReadBlock(0, file, data_start, log);
}

void TRecordsPage::ReadBlock(int32_t block, container::TAbstractFile& file, int64_t data_start,
                             const TWriteLogArray& log) {
  const auto first = static_cast<std::size_t>(block);
  std::size_t blocks = 1;
  if (first > 0 && blocks_[first - 1] != 0) {
    const std::size_t ahead = std::max<std::size_t>(1, kReadAheadBytes / (static_cast<std::size_t>(slot_size_) << block_shift_));
    while (blocks < ahead && first + blocks < blocks_.size() && blocks_[first + blocks] == 0) ++blocks;
  }
  const int32_t from = block << block_shift_;
  const int32_t count = static_cast<int32_t>(std::min<int64_t>(count_ - from, static_cast<int64_t>(blocks) << block_shift_));
  uint8_t* out = data_.data() + static_cast<std::size_t>(from) * slot_size_;
  const auto bytes = static_cast<int64_t>(count) * slot_size_;
  file.SetPosition(data_start + static_cast<int64_t>(first_ + from) * slot_size_);
  const int64_t got = bytes > 0 ? file.Read(out, bytes) : 0;
  const auto whole = static_cast<int32_t>(std::max<int64_t>(got, 0) / slot_size_);
  log.Overlay(first_ + from, count, out);
  // A record the file could not give (damaged, cut short) that no pending
  // write supplies keeps its block out, so asking again fails again instead
  // of handing out stale bytes; it fails the read when it is in the block
  // asked for.
  bool asked_for_ok = true;
  for (std::size_t b = 0; b < blocks; ++b) {
    const int32_t begin = static_cast<int32_t>(b) << block_shift_;
    const int32_t end = std::min(count, begin + (int32_t{1} << block_shift_));
    bool ok = true;
    for (int32_t i = std::max(whole, begin); i < end && ok; ++i) ok = log.Find(first_ + from + i) != nullptr;
    if (ok) blocks_[first + b] = 1;
    if (b == 0) asked_for_ok = ok;
  }
  if (!asked_for_ok) throw Error("TRecordsPage.ReadRecords - Cannot read so many records.");
}

uint8_t* TRecordsPage::GetRecordPtr(int32_t record) {
  const uint32_t i = static_cast<uint32_t>(record) - static_cast<uint32_t>(first_);
  if (page_number_ < 0 || i >= static_cast<uint32_t>(count_)) CannotFindRecord();
  return data_.data() + static_cast<std::size_t>(i) * slot_size_;
}

void TRecordsPage::AppendRecord(const uint8_t* slot) {
  if (count_ >= capacity_) throw Error("TRecordsPage.AppendRecord - Page overflow.");
  const std::size_t at = data_.size();
  try {
    data_.resize(at + static_cast<std::size_t>(slot_size_));
  } catch (const std::bad_alloc&) {
    ReallocFailed();
  } catch (const std::length_error&) {
    ReallocFailed();
  }
  std::memcpy(data_.data() + at, slot, static_cast<std::size_t>(slot_size_));
  // A block begun by this record holds only records appended since, all in
  // memory; a block already there keeps its flag, its other records still
  // coming from the file when it is read.
  if (BlockCount(count_ + 1) > blocks_.size()) blocks_.push_back(1);
  ++count_;
}

void TRecordsPage::DeleteLastRecord() {
  if (count_ == 0) throw Error("TRecordsPage.DeleteLastRecord - Page is already empty.");
  --count_;
  data_.resize(static_cast<std::size_t>(count_) * slot_size_);
  blocks_.resize(BlockCount(count_));
}

// ---- TRecordPageArray ----

TRecordPageArray::TRecordPageArray(const PagePlan& plan, int32_t slot_size)
    : plan_(plan), slot_size_(slot_size), pages_(static_cast<std::size_t>(plan.page_count), TRecordsPage(slot_size)) {}

int TRecordPageArray::LoadedPageOf(int32_t record) const {
  if (record < 0) return -1;
  const int32_t number = record / plan_.records_per_page;
  for (std::size_t i = 0; i < pages_.size(); ++i) {
    if (pages_[i].PageNumber() == number) return static_cast<int>(i);
  }
  return -1;
}

int TRecordPageArray::GetPageToUse(uint32_t now) {
  const int n = static_cast<int>(pages_.size());
  for (int i = 0; i < n; ++i) {
    if (!pages_[i].Loaded()) return i;
  }
  for (int i = 0; i < n; ++i) {
    if (pages_[i].Count() == 0 && pages_[i].lock_count == 0) return i;
  }
  int best = -1;
  uint32_t best_idle = 0;
  for (int i = 0; i < n; ++i) {
    if (i == current_ || pages_[i].lock_count > 0) continue;
    const uint32_t idle = now - pages_[i].last_tick;
    if (idle >= kIdleMs && (best < 0 || idle > best_idle)) {
      best = i;
      best_idle = idle;
    }
  }
  if (best >= 0) return best;
  for (int i = 0; i < n; ++i) {
    if (i == current_ || pages_[i].lock_count > 0) continue;
    if (best < 0 || pages_[i].uses < pages_[best].uses) best = i;
  }
  if (best >= 0) return best;
  throw Error("TRecordPageArray.GetPageToUse - There are no free pages.");
}

void TRecordPageArray::MakeCurrent(int index, uint32_t now) {
  TRecordsPage& page = Page(index);
  ++page.uses;
  page.last_tick = now;
  current_ = index;
  RefreshCurrent();
}

void TRecordPageArray::RefreshCurrent() {
  if (current_ < 0 || !Page(current_).Loaded()) {
    current_first_ = 0;
    current_count_ = 0;
    current_data_ = nullptr;
    current_blocks_ = nullptr;
    return;
  }
  TRecordsPage& page = Page(current_);
  current_first_ = page.First();
  current_count_ = static_cast<uint32_t>(page.Count());
  current_data_ = page.Data();
  current_blocks_ = page.BlockFlags();
  current_shift_ = page.BlockShift();
}

void TRecordPageArray::LockRecordPage(int32_t record) {
  const int i = LoadedPageOf(record);
  const uint32_t at = static_cast<uint32_t>(record) - (i < 0 ? 0u : static_cast<uint32_t>(Page(i).First()));
  if (i < 0 || at >= static_cast<uint32_t>(Page(i).Count())) {
    throw Error("TRecordPageArray.LockRecordPage - Page is already unloaded.");
  }
  ++Page(i).lock_count;
}

void TRecordPageArray::UnlockRecordPage(int32_t record) {
  const int i = LoadedPageOf(record);
  if (i >= 0 && Page(i).lock_count > 0) --Page(i).lock_count;
}

// ---- TWriteLogArray ----

TWriteLogArray::TWriteLogArray(int32_t slot_size, int64_t data_start)
    : slot_size_(slot_size), data_start_(data_start) {}

void TWriteLogArray::Put(int32_t record, const uint8_t* slot, uint32_t now) {
  const auto size = static_cast<std::size_t>(slot_size_);
  if (Count() == 0) oldest_tick_ = now;
  if (InRun(record)) {
    std::memmove(run_.data() + static_cast<std::size_t>(record - run_first_) * size, slot, size);
    return;
  }
  const bool extends = run_count_ == 0 ? pending_.count(record) == 0 : int64_t(run_first_) + run_count_ == record;
  if (!extends) {
    PutApart(record, slot);
    return;
  }
  if (run_count_ == 0) run_first_ = record;
  run_.insert(run_.end(), slot, slot + size);
  ++run_count_;
  // The record may have waited apart before the run reached it; the run is newer.
  if (!pending_.empty()) pending_.erase(record);
}

void TWriteLogArray::PutApart(int32_t record, const uint8_t* slot) {
  const auto size = static_cast<std::size_t>(slot_size_);
  auto it = pending_.lower_bound(record);
  if (it != pending_.end() && it->first == record) {
    std::memmove(arena_.data() + it->second, slot, size);
    return;
  }
  const std::size_t at = arena_.size();
  arena_.insert(arena_.end(), slot, slot + size);
  try {
    pending_.emplace_hint(it, record, at);
  } catch (...) {
    arena_.resize(at);
    throw;
  }
}

const uint8_t* TWriteLogArray::Find(int32_t record) const {
  if (InRun(record)) return run_.data() + static_cast<std::size_t>(record - run_first_) * slot_size_;
  const auto it = pending_.find(record);
  return it == pending_.end() ? nullptr : arena_.data() + it->second;
}

void TWriteLogArray::Drop(int32_t record) {
  if (InRun(record)) {
    // Records after it in the run stay pending, apart from the run.
    for (int32_t r = record + 1; r < run_first_ + run_count_; ++r) PutApart(r, Find(r));
    run_count_ = record - run_first_;
    run_.resize(static_cast<std::size_t>(run_count_) * slot_size_);
  } else {
    pending_.erase(record);
  }
  if (pending_.empty()) arena_.clear();
}

void TWriteLogArray::Overlay(int32_t first, int32_t count, uint8_t* page) const {
  const auto size = static_cast<std::size_t>(slot_size_);
  const int64_t end = int64_t(first) + count;
  const int64_t from = std::max<int64_t>(first, run_first_);
  const int64_t to = std::min<int64_t>(end, int64_t(run_first_) + run_count_);
  if (from < to) {
    std::memcpy(page + static_cast<std::size_t>(from - first) * size,
                run_.data() + static_cast<std::size_t>(from - run_first_) * size, static_cast<std::size_t>(to - from) * size);
  }
  for (auto it = pending_.lower_bound(first); it != pending_.end() && it->first < end; ++it) {
    std::memcpy(page + static_cast<std::size_t>(it->first - first) * size, arena_.data() + it->second, size);
  }
}

bool TWriteLogArray::NeedsFlush(uint32_t now, uint64_t available_memory) const {
  const std::size_t count = Count();
  if (count == 0) return false;
  if (count >= kMaxPendingWrites) return true;
  if (available_memory > 0 && PendingBytes() >= available_memory / 10) return true;
  return now - oldest_tick_ > kMaxAgeMs;
}

void TWriteLogArray::WriteAt(container::TAbstractFile& file, int32_t first, const uint8_t* bytes, std::size_t size) {
  const int64_t position = data_start_ + static_cast<int64_t>(first) * slot_size_;
  file.SetPosition(position);
  if (file.Write(bytes, static_cast<int64_t>(size)) != static_cast<int64_t>(size)) {
    throw Error("TWriteLogArray.FlushBuffers - error writing data to blob file, xx = " + std::to_string(position) +
                ", bc = " + std::to_string(size));
  }
}

void TWriteLogArray::Flush(container::TAbstractFile& file) {
  const auto size = static_cast<std::size_t>(slot_size_);
  const auto per_write = static_cast<int32_t>(std::max<std::size_t>(kMaxWriteBytes / size, 1));
  for (int32_t done = 0; done < run_count_; done += per_write) {
    const int32_t n = std::min(per_write, run_count_ - done);
    WriteAt(file, run_first_ + done, run_.data() + static_cast<std::size_t>(done) * size, static_cast<std::size_t>(n) * size);
  }
  auto it = pending_.begin();
  while (it != pending_.end()) {
    const int32_t first = it->first;
    int32_t next = first;
    staging_.clear();
    while (it != pending_.end() && it->first == next && (staging_.empty() || staging_.size() + size <= kMaxWriteBytes)) {
      staging_.insert(staging_.end(), arena_.data() + it->second, arena_.data() + it->second + size);
      ++next;
      ++it;
    }
    WriteAt(file, first, staging_.data(), staging_.size());
  }
  run_count_ = 0;
  run_.clear();
  pending_.clear();
  arena_.clear();
}

// ---- RecordStorage ----

RecordStorage::RecordStorage(container::TAbstractFile& file, int32_t slot_size, int64_t data_start,
                             int32_t record_count, const PagePlan& plan)
    : file_(file),
      slot_size_(slot_size),
      data_start_(data_start),
      count_(record_count),
      pages_(plan, slot_size),
      log_(slot_size, data_start) {}

void RecordStorage::CheckRecord(int32_t r) const {
  if (r < 0 || r >= count_) CannotFindRecord();
}

const uint8_t* RecordStorage::SlotSlow(int32_t r) {
  CheckRecord(r);
  const uint32_t now = platform::TickCount();
  int i = pages_.LoadedPageOf(r);
  if (i < 0) {
    i = pages_.GetPageToUse(now);
    TRecordsPage& page = pages_.Page(i);
    const int32_t per_page = pages_.Plan().records_per_page;
    const int32_t number = r / per_page;
    const int32_t first = number * per_page;
    page.Assign(number, first, per_page);
    pages_.RefreshCurrent();  // the page may have been the current one
    try {
      page.ReadRecords(file_, data_start_, std::min(per_page, count_ - first), log_);
    } catch (...) {
      page.Assign(-1, 0, 0);
      throw;
    }
  }
  pages_.Page(i).EnsureRead(r, file_, data_start_, log_);
  pages_.MakeCurrent(i, now);
  return pages_.Find(r);
}

void RecordStorage::Append(const uint8_t* slot) {
  if (count_ == INT32_MAX) throw Error("TRecordsPage.AppendRecord - Page overflow.");
  const int32_t r = count_;
  log_.Put(r, slot, platform::TickCount());
  const int i = pages_.LoadedPageOf(r);
  if (i >= 0) {
    try {
      pages_.Page(i).AppendRecord(slot);
    } catch (...) {
      log_.Drop(r);
      pages_.RefreshCurrent();
      throw;
    }
  }
  ++count_;
  pages_.RefreshCurrent();
}

void RecordStorage::Write(int32_t r, const uint8_t* slot) {
  CheckRecord(r);
  log_.Put(r, slot, platform::TickCount());
  const int i = pages_.LoadedPageOf(r);
  if (i >= 0) std::memmove(pages_.Page(i).GetRecordPtr(r), slot, static_cast<std::size_t>(slot_size_));
}

void RecordStorage::RemoveLast() {
  if (count_ == 0) throw Error("TRecordsPage.DeleteLastRecord - Page is already empty.");
  const int32_t r = count_ - 1;
  const int i = pages_.LoadedPageOf(r);
  if (i >= 0) pages_.Page(i).DeleteLastRecord();
  log_.Drop(r);
  --count_;
  pages_.RefreshCurrent();
}

bool RecordStorage::FlushIfDue() {
  if (!available_memory_) available_memory_ = platform::AvailablePhysicalMemory();
  if (!log_.NeedsFlush(platform::TickCount(), *available_memory_)) return false;
  FlushLog();
  return true;
}

void RecordStorage::FlushLog() {
  if (log_.Count() == 0) return;
  log_.Flush(file_);
  available_memory_ = platform::AvailablePhysicalMemory();
}

}  // namespace corvane::table
