// Filter expressions over the 200,000-record word list in the table engine:
// a range on NWORD (served by the @NWORD index through two position
// searches and a bit-set "and") and a "like '%lar'" scan of every record,
// each parsed and evaluated for the whole table. The same queries in SQLite
// are in sqlite_filter_bench.
#include <benchmark/benchmark.h>

#include <filesystem>

#include "table/collation.h"
#include "table/search_parser.h"
#include "word_workload.h"
#include "wordlist/word_list_table.h"

namespace {

using corvane::wordlist::TWordList;
using namespace corvane::table;

constexpr std::size_t kWords = 200000;

std::string DbPath() { return (std::filesystem::temp_directory_path() / "corvane_bench_filter.EDB").string(); }

// The word list, built once per run, open.
TWordList& WordList() {
  static TWordList* list = [] {
    std::filesystem::remove(DbPath());
    auto* l = new TWordList(DbPath());
    l->CreateEmptyTable();
    for (const auto& w : corvane::bench::MakeWordList(kWords)) l->Append(w.plain, w.marked);
    l->Close();
    l->Open();
    return l;
  }();
  return *list;
}

void Evaluate(benchmark::State& state, const std::string& expression) {
  TCvDataManager& data = *WordList().Table().DataManager();
  TSearchParser parser(SearchTable::Of(data, Collation::User()));
  parser.Parse(expression, 0);
  parser.EvaluateTable();  // indexes current, pages cached
  int64_t selected = 0;
  for (auto _ : state) {
    parser.Parse(expression, 0);
    const RecordBits& bits = parser.EvaluateTable();
    state.PauseTiming();
    selected = 0;
    for (int32_t r = 0; r < bits.Count(); ++r) selected += bits.Test(r) ? 1 : 0;
    state.ResumeTiming();
  }
  state.counters["records"] = static_cast<double>(data.RecordCount());
  state.counters["selected"] = static_cast<double>(selected);
}

void BM_FilterRange(benchmark::State& state) { Evaluate(state, "NWORD >= 'k' and NWORD < 'l'"); }
BENCHMARK(BM_FilterRange)->Unit(benchmark::kMillisecond);

void BM_FilterLikeSuffix(benchmark::State& state) { Evaluate(state, "NWORD like '%lar'"); }
BENCHMARK(BM_FilterLikeSuffix)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
