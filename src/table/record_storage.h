// Record slots over a table's ".dat" file: the record page cache, the write
// log, and RecordStorage, which puts the two together.
//
// Record r lives at D + r S in the file (table_files.h). Reads go through
// the page cache (TRecordPageArray of TRecordsPage): page p holds records
// p P .. p P + P - 1, read from the file in one pass. Writes go to the write
// log (TWriteLogArray) and, when the record's page is loaded, into the page
// as well, so a loaded page always shows the newest bytes; a page loaded
// later takes the records that have a pending write from the log. The log
// reaches the file in large sorted writes, one per run of consecutive
// records, when a limit is reached or the owner asks.
//
// Invariant: every record below N is in the file or in the log (or both,
// the log being newer), and a loaded page holds every record of its range
// that is below N.
//
// A page is read block by block, a block being the records of about
// kBlockBytes: a block's records come from the file (and the log) the first
// time one of them is asked for, with the blocks after it up to
// kReadAheadBytes when the block before it is in (a read in order). Opening a large table and looking up a few
// records so reads a few blocks instead of the whole table, and a record
// the file cannot give (a damaged page, a short file) is reported when that
// record is asked for.
//
// Slot(r) costs a bounds check, a look at the block's flag and a
// multiplication while r lies in the current page (the page of the last
// slow lookup); with the whole table in one big page, as a table that fits
// in memory has, every lookup is that once its block is in. Ticks are read
// and uses counted only when the current page changes.
#ifndef CORVANE_TABLE_RECORD_STORAGE_H_
#define CORVANE_TABLE_RECORD_STORAGE_H_

#include <cstdint>
#include <map>
#include <memory>
#include <new>
#include <optional>
#include <utility>
#include <vector>

namespace corvane::container {
class TAbstractFile;
}

namespace corvane::table {

class TWriteLogArray;

// How many pages the cache has and how many records each holds.
struct PagePlan {
  int page_count = 25;
  int32_t records_per_page = 1;
};

// A third of the available memory, divided by S, is the record budget. When
// all N records fit in it, the table is not in memory and the small-cache
// setting is off, the cache is 3 pages of budget div 3 + 1 records (memory
// is taken only as records are loaded, not for the whole page); otherwise
// 25 pages of 1 record.
PagePlan PlanPages(int64_t record_count, int32_t slot_size, uint64_t available_memory, bool in_memory,
                   bool small_cache);

// Leaves new elements of a vector uninitialised: a page's bytes are read from
// the file or copied in right after it grows, so zeroing them first would
// only write the whole page twice.
template <typename T>
struct UninitialisedAllocator : std::allocator<T> {
  template <typename U>
  struct rebind {
    using other = UninitialisedAllocator<U>;
  };
  UninitialisedAllocator() = default;
  template <typename U>
  UninitialisedAllocator(const UninitialisedAllocator<U>&) noexcept {}
  template <typename U>
  void construct(U* p) noexcept {
    ::new (static_cast<void*>(p)) U;
  }
  template <typename U, typename... Args>
  void construct(U* p, Args&&... args) {
    ::new (static_cast<void*>(p)) U(std::forward<Args>(args)...);
  }
};

class TRecordsPage {
 public:
  explicit TRecordsPage(int32_t slot_size);

  // The bytes a block of records takes at most: small, as lookups spread
  // over a table want one record from each block they read.
  static constexpr std::size_t kBlockBytes = 16 << 10;
  // The bytes read at once when the block before is in already: a table
  // read in order goes in large reads.
  static constexpr std::size_t kReadAheadBytes = 128 << 10;

  bool Loaded() const { return page_number_ >= 0; }
  int32_t PageNumber() const { return page_number_; }
  int32_t First() const { return first_; }
  int32_t Count() const { return count_; }
  uint8_t* Data() { return data_.data(); }
  // One flag per block of 2^BlockShift() records: 1 when its records are in.
  const uint8_t* BlockFlags() const { return blocks_.data(); }
  int BlockShift() const { return block_shift_; }

  // Makes this page number `page_number` (records from `first`, at most
  // `capacity`), empty; -1 unloads it.
  void Assign(int32_t page_number, int32_t first, int32_t capacity);
  // Takes `count` records from the file, a pending write taking the place
  // of a record's file bytes; blocks are read when first needed (EnsureRead),
  // a page of one block at once. Records neither in the file nor in the log
  // raise "TRecordsPage.ReadRecords - Cannot read so many records.", here
  // when the file is too short for them, else when their block is read.
  void ReadRecords(container::TAbstractFile& file, int64_t data_start, int32_t count,
                   const TWriteLogArray& log);
  // Reads the block of `record` (a record of this page) unless it is in.
  void EnsureRead(int32_t record, container::TAbstractFile& file, int64_t data_start,
                  const TWriteLogArray& log) {
    const uint32_t i = static_cast<uint32_t>(record) - static_cast<uint32_t>(first_);
    if (i < static_cast<uint32_t>(count_) && blocks_[i >> block_shift_] == 0) {
      ReadBlock(static_cast<int32_t>(i >> block_shift_), file, data_start, log);
    }
  }
  uint8_t* GetRecordPtr(int32_t record);
  void AppendRecord(const uint8_t* slot);
  void DeleteLastRecord();
  // Room for `count` records without reallocating.
  void SetMaxRecordCount(int32_t count);

  int lock_count = 0;
  uint32_t uses = 0;
  uint32_t last_tick = 0;

 private:
  void ReadBlock(int32_t block, container::TAbstractFile& file, int64_t data_start, const TWriteLogArray& log);
  std::size_t BlockCount(int32_t records) const {
    return (static_cast<std::size_t>(records) + (std::size_t{1} << block_shift_) - 1) >> block_shift_;
  }

  int32_t slot_size_;
  int block_shift_ = 0;
  int32_t page_number_ = -1;
  int32_t first_ = 0;
  int32_t capacity_ = 0;
  int32_t count_ = 0;
  std::vector<uint8_t, UninitialisedAllocator<uint8_t>> data_;
  std::vector<uint8_t> blocks_;
};

class TRecordPageArray {
 public:
  TRecordPageArray(const PagePlan& plan, int32_t slot_size);

  const PagePlan& Plan() const { return plan_; }
  TRecordsPage& Page(int index) { return pages_[static_cast<std::size_t>(index)]; }

  // The slot of `record` when it lies in the current page and its block is
  // in, else null.
  const uint8_t* Find(int32_t record) const {
    const uint32_t i = static_cast<uint32_t>(record) - static_cast<uint32_t>(current_first_);
    return i < current_count_ && current_blocks_[i >> current_shift_] != 0
               ? current_data_ + static_cast<std::size_t>(i) * slot_size_
               : nullptr;
  }
  // The loaded page that holds `record`'s range, or -1.
  int LoadedPageOf(int32_t record) const;
  // A page slot to load into: an unused slot; else a page with no records;
  // else, of the unlocked pages other than the current one, the least
  // recently used among those idle for 100 ms, else the least used.
  // "TRecordPageArray.GetPageToUse - There are no free pages." otherwise.
  int GetPageToUse(uint32_t now);
  void MakeCurrent(int index, uint32_t now);
  // Re-reads the current page's extent after it changed.
  void RefreshCurrent();

  // "TRecordPageArray.LockRecordPage - Page is already unloaded." when the
  // record's page is not loaded. A locked page is never replaced.
  void LockRecordPage(int32_t record);
  void UnlockRecordPage(int32_t record);

 private:
  PagePlan plan_;
  int32_t slot_size_;
  std::vector<TRecordsPage> pages_;
  int current_ = -1;
  int32_t current_first_ = 0;
  uint32_t current_count_ = 0;
  const uint8_t* current_data_ = nullptr;
  const uint8_t* current_blocks_ = nullptr;
  int current_shift_ = 0;
};

// Pending slot writes, newest bytes per record. Consecutive records, as
// appends make them, collect in one run of bytes that reaches the file in a
// single write; other records wait in an ordered map and are written run by
// run of consecutive numbers.
class TWriteLogArray {
 public:
  static constexpr std::size_t kMaxPendingWrites = 10000;
  static constexpr uint32_t kMaxAgeMs = 1000;
  // The largest single write, so that staging stays small.
  static constexpr std::size_t kMaxWriteBytes = 4 << 20;

  TWriteLogArray(int32_t slot_size, int64_t data_start);

  void Put(int32_t record, const uint8_t* slot, uint32_t now);
  // The pending bytes of `record`, or null.
  const uint8_t* Find(int32_t record) const;
  void Drop(int32_t record);
  // Copies the pending writes of records first .. first + count - 1 into
  // `page` (record `first` at its start).
  void Overlay(int32_t first, int32_t count, uint8_t* page) const;

  std::size_t Count() const { return static_cast<std::size_t>(run_count_) + pending_.size(); }
  uint64_t PendingBytes() const { return uint64_t(Count()) * uint64_t(slot_size_); }
  // 10000 pending writes, pending bytes at least a tenth of the available
  // memory (a limit skipped when that is unknown, 0), or the oldest pending
  // write more than 1000 ms old at `now`.
  bool NeedsFlush(uint32_t now, uint64_t available_memory) const;
  // Writes every pending slot, each run of consecutive records as one write
  // of at most kMaxWriteBytes; the log is empty afterwards. A short write
  // raises "TWriteLogArray.FlushBuffers - error writing data to blob file,
  // xx = <position>, bc = <bytes>" and keeps the log, so nothing is lost.
  void Flush(container::TAbstractFile& file);

 private:
  bool InRun(int32_t record) const {
    return static_cast<uint32_t>(record) - static_cast<uint32_t>(run_first_) < static_cast<uint32_t>(run_count_);
  }
  void PutApart(int32_t record, const uint8_t* slot);
  void WriteAt(container::TAbstractFile& file, int32_t first, const uint8_t* bytes, std::size_t size);

  int32_t slot_size_;
  int64_t data_start_;
  int32_t run_first_ = 0;
  int32_t run_count_ = 0;
  std::vector<uint8_t> run_;                // records run_first_ .. + run_count_ - 1
  std::map<int32_t, std::size_t> pending_;  // other records -> offset in arena_
  std::vector<uint8_t> arena_;
  std::vector<uint8_t> staging_;
  uint32_t oldest_tick_ = 0;
};

class RecordStorage {
 public:
  // Over the records of an open ".dat" file: `record_count` slots of
  // `slot_size` bytes from `data_start`. The file stays the caller's.
  RecordStorage(container::TAbstractFile& file, int32_t slot_size, int64_t data_start,
                int32_t record_count, const PagePlan& plan);

  int32_t Count() const { return count_; }
  int32_t SlotSize() const { return slot_size_; }
  int64_t DataStart() const { return data_start_; }
  // D + N S: the length the file has once the log is flushed.
  int64_t DataEnd() const { return data_start_ + int64_t(count_) * slot_size_; }

  // Record `r`'s slot. It stays valid until a slot of a third page is
  // asked for, or the table changes; so two records can be compared.
  // "TRecordsPage.GetRecordPtr - Cannot find record" when r is not below N.
  const uint8_t* Slot(int32_t r) {
    if (const uint8_t* p = pages_.Find(r)) return p;
    return SlotSlow(r);
  }

  // Record N; N grows.
  void Append(const uint8_t* slot);
  void Write(int32_t r, const uint8_t* slot);
  // Forgets record N - 1; N shrinks.
  void RemoveLast();

  void LockRecordPage(int32_t r) { pages_.LockRecordPage(r); }
  void UnlockRecordPage(int32_t r) { pages_.UnlockRecordPage(r); }

  // Flushes the log when one of its limits is reached; true when it did.
  bool FlushIfDue();
  void FlushLog();

  const TRecordPageArray& Pages() const { return pages_; }
  const TWriteLogArray& Log() const { return log_; }

 private:
  const uint8_t* SlotSlow(int32_t r);
  void CheckRecord(int32_t r) const;

  container::TAbstractFile& file_;
  int32_t slot_size_;
  int64_t data_start_;
  int32_t count_;
  TRecordPageArray pages_;
  TWriteLogArray log_;
  // For the write log's limit: asked for at the first change, so a table
  // opened only to be read never asks.
  std::optional<uint64_t> available_memory_;
};

}  // namespace corvane::table

#endif  // CORVANE_TABLE_RECORD_STORAGE_H_
