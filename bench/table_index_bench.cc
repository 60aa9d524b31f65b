// The index work of the word list: posting 164,000 records in random key
// order into its 7 indexes, and the exact-match searches behind Locate
// (half the words present, half absent, as in the other table benchmarks).
// Records sit in one flat buffer, so the figures are the indexes' own cost
// without the page cache.
#include <benchmark/benchmark.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "platform/locale.h"
#include "table/collation.h"
#include "table/record_layout.h"
#include "table/table_indexes.h"
#include "word_workload.h"

namespace {

using namespace corvane::table;

constexpr int32_t kWords = 164000;

class FlatRecords : public RecordSource {
 public:
  explicit FlatRecords(const RecordLayout& layout) : size_(static_cast<std::size_t>(layout.slot_size)) {
    data_.reserve(size_ * kWords);
  }
  int32_t RecordCount() const override { return count_; }
  const uint8_t* Slot(int32_t r) override { return data_.data() + size_ * static_cast<std::size_t>(r); }
  int32_t Append(const std::vector<uint8_t>& slot) {
    data_.insert(data_.end(), slot.begin(), slot.end());
    return count_++;
  }

 private:
  std::size_t size_;
  std::vector<uint8_t> data_;
  int32_t count_ = 0;
};

RecordLayout WordListLayout() {
  FieldHeader nword;
  nword.name = "NWORD";
  nword.type = FieldType::ftString;
  nword.width = 31;
  FieldHeader hword = nword;
  hword.name = "HWORD";
  return RecordLayout::Make({nword, hword});
}

const std::vector<corvane::bench::WordEntry>& SharedWords() {
  static const auto words = corvane::bench::MakeWordList(kWords);
  return words;
}

struct WordTable {
  WordTable()
      : layout(WordListLayout()),
        records(layout),
        indexes(layout, records, Collation::ForLocale(corvane::platform::kLocaleTurkish)) {
    indexes.AddAutomaticIndexes("ID");
    indexes.AddIndex("PrimaryKey", {-1}, {false}, {true}, false, false, ixPrimary);
    indexes.AddIndex("ByNWORD", {0}, {true}, {true}, true, false, ixCaseInsensitive);
  }
  std::vector<uint8_t> Slot(int32_t id, const std::string& nword, const std::string& hword) const {
    std::vector<uint8_t> slot = layout.NewRecord(id);
    std::memcpy(slot.data() + layout.fields[0].offset, nword.data(), std::min<std::size_t>(nword.size(), 30));
    std::memcpy(slot.data() + layout.fields[1].offset, hword.data(), std::min<std::size_t>(hword.size(), 30));
    layout.SetNull(slot.data(), 0, false);
    layout.SetNull(slot.data(), 1, false);
    return slot;
  }
  void Fill() {
    const auto& words = SharedWords();
    for (int32_t i = 0; i < kWords; ++i) {
      const auto& w = words[static_cast<std::size_t>(i)];
      const int32_t r = records.Append(Slot(i + 1, w.plain, w.marked));
      indexes.OnInsert(r, 2);
    }
  }

  RecordLayout layout;
  FlatRecords records;
  TableIndexes indexes;
};

void BM_Insert164000Into7Indexes(benchmark::State& state) {
  SharedWords();
  for (auto _ : state) {
    state.PauseTiming();
    auto table = std::make_unique<WordTable>();
    state.ResumeTiming();
    table->Fill();
    benchmark::DoNotOptimize(table->indexes.RecordAt(2, 0));
    state.PauseTiming();
    table.reset();
    state.ResumeTiming();
  }
  state.SetItemsProcessed(state.iterations() * kWords);
}
BENCHMARK(BM_Insert164000Into7Indexes)->Unit(benchmark::kMillisecond)->Iterations(3);

WordTable& FilledTable() {
  static WordTable* table = [] {
    auto* t = new WordTable();
    t->Fill();
    return t;
  }();
  return *table;
}

void BM_ExactPositionSearch(benchmark::State& state) {
  WordTable& t = FilledTable();
  const int index = t.indexes.Get("@NWORD");
  std::vector<std::vector<uint8_t>> keys;
  for (const std::string& word : corvane::bench::MakeLookups(SharedWords(), 4096)) {
    keys.push_back(t.Slot(0, word, word));
  }
  std::size_t i = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(t.indexes.FindPosition(index, keys[i++ & 4095].data()));
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_ExactPositionSearch);

void BM_LocateOneWord(benchmark::State& state) {
  WordTable& t = FilledTable();
  std::vector<std::vector<SearchCondition>> searches;
  for (const std::string& word : corvane::bench::MakeLookups(SharedWords(), 4096)) {
    SearchCondition c;
    c.field = 0;
    c.value = t.Slot(0, word, word);
    searches.push_back({c});
  }
  std::size_t i = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(t.indexes.Locate(searches[i++ & 4095], 2, {}));
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_LocateOneWord);

}  // namespace

BENCHMARK_MAIN();
