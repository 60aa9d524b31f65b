// The word-list table in the table engine: 164,000 posts in random and in
// sorted order, exact-match Locate on NWORD (half the keys absent), and
// opening the table with its indexes loaded from the index file. The same
// work in SQLite is in sqlite_wordlist_bench.
#include <benchmark/benchmark.h>

#include <filesystem>

#include "table/variant.h"
#include "word_workload.h"
#include "wordlist/word_list_table.h"

namespace {

using corvane::bench::WordEntry;
using corvane::wordlist::TWordList;

std::string DbPath() { return (std::filesystem::temp_directory_path() / "corvane_bench_CVHYPLIST.EDB").string(); }

void Fill(const std::vector<WordEntry>& words) {
  std::filesystem::remove(DbPath());
  TWordList list(DbPath());
  list.CreateEmptyTable();
  for (const WordEntry& w : words) list.Append(w.plain, w.marked);
  list.Close();
}

void BM_PostRandomOrder(benchmark::State& state) {
  const auto words = corvane::bench::MakeWordList();
  for (auto _ : state) Fill(words);
  state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(words.size()));
}
BENCHMARK(BM_PostRandomOrder)->Unit(benchmark::kMillisecond)->Iterations(2);

void BM_PostSortedOrder(benchmark::State& state) {
  const auto words = corvane::bench::Sorted(corvane::bench::MakeWordList());
  for (auto _ : state) Fill(words);
  state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(words.size()));
}
BENCHMARK(BM_PostSortedOrder)->Unit(benchmark::kMillisecond)->Iterations(2);

void BM_Locate(benchmark::State& state) {
  const auto words = corvane::bench::MakeWordList();
  Fill(words);
  const auto keys = corvane::bench::MakeLookups(words, 100000);
  TWordList list(DbPath());
  list.Open();
  std::size_t i = 0;
  int64_t found = 0;
  for (auto _ : state) found += list.Lookup(keys[i++ % keys.size()]).has_value();
  state.SetItemsProcessed(state.iterations());
  state.counters["found"] = static_cast<double>(found);
}
BENCHMARK(BM_Locate);

void BM_OpenTable(benchmark::State& state) {
  Fill(corvane::bench::MakeWordList());
  for (auto _ : state) {
    TWordList list(DbPath());
    list.Open();
    benchmark::DoNotOptimize(list.RecordCount());
    list.Close();
  }
}
BENCHMARK(BM_OpenTable)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
