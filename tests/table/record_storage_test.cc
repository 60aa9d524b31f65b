// The record page cache and the write log: budgets, replacement, locking,
// flush limits, and that every read sees the newest bytes whatever mix of
// pages, pending writes and flushes lies behind it.
#include "table/record_storage.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstring>
#include <map>
#include <random>

#include "container/memory_file_system.h"
#include "storage_test_util.h"

namespace corvane::table {
namespace {

using container::TMemoryFile;
using storage_testing::ErrorOf;

// A memory file that records its writes and can be told to write short.
class RecordingFile : public TMemoryFile {
 public:
  RecordingFile() : TMemoryFile(nullptr, "T.dat") { Open(true); }
  int64_t Write(const void* buffer, int64_t count) override {
    writes.push_back({GetPosition(), count});
    if (fail_writes) return count / 2;
    return TMemoryFile::Write(buffer, count);
  }
  std::vector<std::pair<int64_t, int64_t>> writes;
  bool fail_writes = false;
};

constexpr int32_t kSlot = 40;
constexpr int64_t kStart = 10;

std::vector<uint8_t> Filled(int32_t record, int version) {
  std::vector<uint8_t> slot(kSlot);
  for (int i = 0; i < kSlot; ++i) slot[i] = static_cast<uint8_t>(record * 7 + version * 13 + i);
  return slot;
}

TEST(RecordStorageTest, PagePlanFollowsTheMemoryBudget) {
  struct Case {
    int64_t records;
    int32_t slot;
    uint64_t memory;
    bool in_memory, small_cache;
    PagePlan plan;
  };
  const uint64_t gb3 = 3'000'000'000;  // budget 1e9 / 94 = 10,638,297 records
  const Case cases[] = {
      {164000, 94, gb3, false, false, {3, 10638297 / 3 + 1}},
      {10638297, 94, gb3, false, false, {3, 10638297 / 3 + 1}},
      {10638298, 94, gb3, false, false, {25, 1}},
      {164000, 94, gb3, true, false, {25, 1}},
      {164000, 94, gb3, false, true, {25, 1}},
      {0, 94, 0, false, false, {3, 1}},
      {1, 94, 0, false, false, {25, 1}},
      {5, 1, UINT64_MAX, false, false, {3, INT32_MAX}},
  };
  for (const Case& c : cases) {
    const PagePlan p = PlanPages(c.records, c.slot, c.memory, c.in_memory, c.small_cache);
    EXPECT_EQ(p.page_count, c.plan.page_count) << c.records;
    EXPECT_EQ(p.records_per_page, c.plan.records_per_page) << c.records;
  }
}

TEST(RecordStorageTest, WriteLogFlushLimits) {
  struct Case {
    const char* what;
    int pending;
    uint32_t oldest, now;
    uint64_t memory;
    bool flush;
  };
  const Case cases[] = {
      {"empty", 0, 0, 5000, 100, false},
      {"below every limit", 9999, 1000, 2000, 1ull << 40, false},
      {"10000 writes", 10000, 1000, 1000, 1ull << 40, true},
      {"a tenth of memory", 10, 0, 0, 10 * kSlot * 10, true},
      {"just under a tenth", 10, 0, 0, 10 * kSlot * 10 + 10, false},
      {"memory unknown", 10, 0, 0, 0, false},
      {"1000 ms is not too old", 1, 1000, 2000, 1ull << 40, false},
      {"1001 ms is", 1, 1000, 2001, 1ull << 40, true},
      {"across the tick wrap", 1, 0xFFFFFF00u, 0x2F0u, 1ull << 40, true},
      {"young across the wrap", 1, 0xFFFFFF00u, 0x100u, 1ull << 40, false},
  };
  for (const Case& c : cases) {
    TWriteLogArray log(kSlot, kStart);
    for (int r = 0; r < c.pending; ++r) log.Put(r, Filled(r, 0).data(), c.oldest);
    EXPECT_EQ(log.NeedsFlush(c.now, c.memory), c.flush) << c.what;
  }
}

TEST(RecordStorageTest, FlushWritesEachRunOfRecordsOnce) {
  RecordingFile file;
  TWriteLogArray log(kSlot, kStart);
  for (int r : {9, 5, 7, 6, 3, 7}) log.Put(r, Filled(r, r == 7 ? 1 : 0).data(), 0);
  EXPECT_EQ(log.Count(), 5u);
  log.Flush(file);
  using W = std::pair<int64_t, int64_t>;
  std::sort(file.writes.begin(), file.writes.end());
  EXPECT_EQ(file.writes, (std::vector<W>{{kStart + 3 * kSlot, kSlot}, {kStart + 5 * kSlot, 3 * kSlot}, {kStart + 9 * kSlot, kSlot}}));
  EXPECT_EQ(log.Count(), 0u);
  const std::string& data = file.Data();
  const std::vector<uint8_t> seven = Filled(7, 1);
  EXPECT_EQ(data.compare(kStart + 7 * kSlot, kSlot, std::string(seven.begin(), seven.end())), 0);

  // A long run is cut so that no single write stages more than the limit.
  const int32_t run = static_cast<int32_t>(TWriteLogArray::kMaxWriteBytes / kSlot) + 10;
  for (int32_t r = 0; r < run; ++r) log.Put(r, Filled(r, 0).data(), 0);
  file.writes.clear();
  log.Flush(file);
  ASSERT_EQ(file.writes.size(), 2u);
  EXPECT_EQ(file.writes[0].second + file.writes[1].second, int64_t(run) * kSlot);
}

// Random puts and drops, in and out of the append run, against a map.
TEST(RecordStorageTest, WriteLogMatchesAPlainMap) {
  std::mt19937 rng(7);
  for (int round = 0; round < 50; ++round) {
    TWriteLogArray log(kSlot, kStart);
    std::map<int32_t, std::vector<uint8_t>> model;
    int32_t next = static_cast<int32_t>(rng() % 20);
    for (int step = 0; step < 60; ++step) {
      const unsigned what = rng() % 4;
      const int32_t r = what == 0 ? next++ : static_cast<int32_t>(rng() % 40);
      if (what == 3) {
        log.Drop(r);
        model.erase(r);
      } else {
        model[r] = Filled(r, step);
        log.Put(r, model[r].data(), 0);
      }
      ASSERT_EQ(log.Count(), model.size());
    }
    std::vector<uint8_t> page(40 * kSlot, 0xEE), expected(40 * kSlot, 0xEE);
    for (const auto& [r, bytes] : model) std::copy(bytes.begin(), bytes.end(), expected.begin() + r * kSlot);
    log.Overlay(0, 40, page.data());
    ASSERT_EQ(page, expected) << round;
    for (int32_t r = 0; r < 40; ++r) {
      const uint8_t* p = log.Find(r);
      ASSERT_EQ(p != nullptr, model.count(r) == 1) << r;
      if (p != nullptr) {
        ASSERT_EQ(std::vector<uint8_t>(p, p + kSlot), model[r]);
      }
    }
    RecordingFile file;
    file.WriteBuffer(std::vector<uint8_t>(kStart + 40 * kSlot, 0xEE).data(), kStart + 40 * kSlot);
    file.writes.clear();
    log.Flush(file);
    ASSERT_EQ(file.Data().substr(kStart), std::string(expected.begin(), expected.end())) << round;
    int64_t written = 0;
    for (const auto& w : file.writes) written += w.second;
    ASSERT_EQ(written, int64_t(model.size()) * kSlot) << "each pending record written once";
  }
}

TEST(RecordStorageTest, FailedFlushKeepsThePendingWrites) {
  RecordingFile file;
  file.fail_writes = true;
  TWriteLogArray log(kSlot, kStart);
  log.Put(2, Filled(2, 0).data(), 0);
  EXPECT_EQ(ErrorOf([&] { log.Flush(file); }),
            "TWriteLogArray.FlushBuffers - error writing data to blob file, xx = 90, bc = 40");
  ASSERT_NE(log.Find(2), nullptr);
  file.fail_writes = false;
  log.Flush(file);
  EXPECT_EQ(file.Data().size(), size_t(kStart + 3 * kSlot));
}

TEST(RecordStorageTest, ReplacementPrefersIdleThenLeastUsedPages) {
  TRecordPageArray pages(PagePlan{3, 1}, kSlot);
  for (int i = 0; i < 3; ++i) pages.Page(i).Assign(i, i, 1);
  std::vector<uint8_t> slot = Filled(0, 0);
  for (int i = 0; i < 3; ++i) pages.Page(i).AppendRecord(slot.data());
  // Page 0 used three times at 1000, page 1 once at 1020, page 2 current at 1030.
  for (int i = 0; i < 3; ++i) pages.MakeCurrent(0, 1000);
  pages.MakeCurrent(1, 1020);
  pages.MakeCurrent(2, 1030);
  EXPECT_EQ(pages.GetPageToUse(1050), 1) << "none idle for 100 ms: the least used";
  EXPECT_EQ(pages.GetPageToUse(1110), 0) << "only page 0 idle";
  EXPECT_EQ(pages.GetPageToUse(1200), 0) << "both idle: the least recently used, however busy";
  pages.LockRecordPage(0);
  EXPECT_EQ(pages.GetPageToUse(1200), 1) << "locked pages stay";
  pages.LockRecordPage(1);
  EXPECT_EQ(ErrorOf([&] { pages.GetPageToUse(1200); }), "TRecordPageArray.GetPageToUse - There are no free pages.");
  pages.UnlockRecordPage(1);
  EXPECT_EQ(pages.GetPageToUse(1200), 1);
  pages.Page(2).DeleteLastRecord();
  EXPECT_EQ(pages.GetPageToUse(1200), 2) << "a page with no records goes first, even the current one";
  EXPECT_EQ(ErrorOf([&] { pages.LockRecordPage(7); }), "TRecordPageArray.LockRecordPage - Page is already unloaded.");
}

TEST(RecordStorageTest, SlotsOutsideTheTableAreRefused) {
  TMemoryFile file(nullptr, "T.dat");
  file.Open(true);
  RecordStorage storage(file, kSlot, kStart, 0, PagePlan{3, 100});
  for (int r = 0; r < 5; ++r) storage.Append(Filled(r, 0).data());
  storage.Slot(2);
  for (int32_t r : {-1, 5, 6, INT32_MIN, INT32_MAX}) {
    EXPECT_EQ(ErrorOf([&] { storage.Slot(r); }), "TRecordsPage.GetRecordPtr - Cannot find record") << r;
  }
  storage.RemoveLast();
  EXPECT_EQ(ErrorOf([&] { storage.Slot(4); }), "TRecordsPage.GetRecordPtr - Cannot find record");
}

// A memory file that counts its reads and gives nothing past `readable`,
// as a damaged page of a container does.
class DamagedFile : public TMemoryFile {
 public:
  DamagedFile() : TMemoryFile(nullptr, "T.dat") { Open(true); }
  int64_t Read(void* buffer, int64_t count) override {
    ++reads;
    const int64_t at = GetPosition();
    return TMemoryFile::Read(buffer, std::clamp<int64_t>(readable - at, 0, count));
  }
  int64_t readable = INT64_MAX;
  int reads = 0;
};

TEST(RecordStorageTest, BlocksAreReadWhenFirstNeededAndUnreadableRecordsReported) {
  DamagedFile file;
  file.WriteBuffer("0123456789", kStart);
  constexpr int32_t kRecords = 12 * (TRecordsPage::kBlockBytes / kSlot);  // a few blocks
  for (int32_t r = 0; r < kRecords; ++r) file.WriteBuffer(Filled(r, 0).data(), kSlot);
  RecordStorage storage(file, kSlot, kStart, kRecords, PagePlan{3, 1 << 20});
  EXPECT_EQ(std::memcmp(storage.Slot(1), Filled(1, 0).data(), kSlot), 0);
  EXPECT_EQ(storage.Slot(2), storage.Slot(1) + kSlot);
  EXPECT_EQ(file.reads, 1);  // one block, not the table

  // A pending write into a block not read yet is what the block shows.
  storage.Write(kRecords - 2, Filled(kRecords - 2, 5).data());
  EXPECT_EQ(std::memcmp(storage.Slot(kRecords - 2), Filled(kRecords - 2, 5).data(), kSlot), 0);

  // Bytes the file cannot give fail the record's read, every time, while
  // blocks read before stay readable.
  file.readable = kStart + int64_t{kRecords / 2} * kSlot;
  for (int attempt = 0; attempt < 2; ++attempt) {
    EXPECT_EQ(ErrorOf([&] { storage.Slot(kRecords / 2 + 1); }), "TRecordsPage.ReadRecords - Cannot read so many records.");
  }
  EXPECT_EQ(std::memcmp(storage.Slot(3), Filled(3, 0).data(), kSlot), 0);

  // Read in order, the blocks after the one asked for come in the same read.
  file.readable = INT64_MAX;
  const int reads = file.reads;
  for (int32_t r = 0; r < kRecords / 3; ++r) EXPECT_EQ(std::memcmp(storage.Slot(r), Filled(r, 0).data(), kSlot), 0) << r;
  EXPECT_EQ(file.reads, reads + 1);
}

// Random appends, rewrites, removals, reads and flushes against a plain
// vector, for page plans from one big page to many tiny ones: every read,
// and the file after every flush, must match the vector.
TEST(RecordStorageTest, ReadsAlwaysSeeTheNewestBytes) {
  const PagePlan plans[] = {{3, 1 << 20}, {25, 1}, {3, 4}, {2, 7}};
  for (const PagePlan& plan : plans) {
    SCOPED_TRACE(std::to_string(plan.page_count) + " pages of " + std::to_string(plan.records_per_page));
    TMemoryFile file(nullptr, "T.dat");
    file.Open(true);
    file.WriteBuffer("0123456789", kStart);
    std::vector<std::vector<uint8_t>> model;
    for (int r = 0; r < 20; ++r) model.push_back(Filled(r, 0));
    for (const auto& slot : model) file.WriteBuffer(slot.data(), kSlot);
    RecordStorage storage(file, kSlot, kStart, 20, plan);
    std::mt19937 rng(42);
    for (int step = 0; step < 4000; ++step) {
      const auto n = static_cast<int32_t>(model.size());
      switch (rng() % 7) {
        case 0: case 1:
          model.push_back(Filled(n, step));
          storage.Append(model.back().data());
          break;
        case 2:
          if (n > 0) {
            const int32_t r = static_cast<int32_t>(rng() % n);
            model[r] = Filled(r, step);
            storage.Write(r, model[r].data());
          }
          break;
        case 3:
          if (n > 0) {
            // Deletion's move: the last slot into a hole, then drop the last.
            const int32_t r = static_cast<int32_t>(rng() % n);
            const uint8_t* last = storage.Slot(n - 1);
            if (r != n - 1) storage.Write(r, last);
            model[r] = model[n - 1];
            model.pop_back();
            storage.RemoveLast();
          }
          break;
        case 4:
          if (rng() % 8 == 0) {
            storage.FlushLog();
            file.SetSize(storage.DataEnd());
            ASSERT_EQ(file.Data().size(), size_t(kStart + int64_t(model.size()) * kSlot));
            for (std::size_t r = 0; r < model.size(); ++r) {
              ASSERT_EQ(std::memcmp(file.Data().data() + kStart + r * kSlot, model[r].data(), kSlot), 0) << r;
            }
          }
          break;
        default:
          if (n > 1) {
            // Two slots at once, as a comparison holds them.
            const int32_t a = static_cast<int32_t>(rng() % n), b = static_cast<int32_t>(rng() % n);
            const uint8_t* pa = storage.Slot(a);
            const uint8_t* pb = storage.Slot(b);
            ASSERT_EQ(std::memcmp(pa, model[a].data(), kSlot), 0) << a;
            ASSERT_EQ(std::memcmp(pb, model[b].data(), kSlot), 0) << b;
          }
      }
      ASSERT_EQ(storage.Count(), static_cast<int32_t>(model.size()));
    }
  }
}

}  // namespace
}  // namespace corvane::table
