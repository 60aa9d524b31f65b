// The two filter queries of filter_bench in SQLite, on the same 200,000
// words with an index on NWORD: a range on NWORD, and LIKE '%lar'
// (case-sensitive, as the engine's "like" is without its option), each
// stepping through every selected row.
#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <filesystem>

#include "word_workload.h"

namespace {

std::string DbPath() { return (std::filesystem::temp_directory_path() / "corvane_bench_filter.sqlite").string(); }

sqlite3* Database() {
  static sqlite3* db = [] {
    std::filesystem::remove(DbPath());
    sqlite3* d = nullptr;
    sqlite3_open(DbPath().c_str(), &d);
    sqlite3_exec(d, "CREATE TABLE HYPLIST(ID INTEGER PRIMARY KEY AUTOINCREMENT, NWORD TEXT, HWORD TEXT);"
                    "CREATE INDEX nword ON HYPLIST(NWORD); PRAGMA case_sensitive_like = ON; BEGIN",
                 nullptr, nullptr, nullptr);
    sqlite3_stmt* insert = nullptr;
    sqlite3_prepare_v2(d, "INSERT INTO HYPLIST(NWORD, HWORD) VALUES(?, ?)", -1, &insert, nullptr);
    for (const auto& w : corvane::bench::MakeWordList(200000)) {
      sqlite3_bind_text(insert, 1, w.plain.data(), static_cast<int>(w.plain.size()), SQLITE_TRANSIENT);
      sqlite3_bind_text(insert, 2, w.marked.data(), static_cast<int>(w.marked.size()), SQLITE_TRANSIENT);
      sqlite3_step(insert);
      sqlite3_reset(insert);
    }
    sqlite3_finalize(insert);
    sqlite3_exec(d, "COMMIT; ANALYZE", nullptr, nullptr, nullptr);
    return d;
  }();
  return db;
}

void Query(benchmark::State& state, const char* sql) {
  sqlite3_stmt* query = nullptr;
  sqlite3_prepare_v2(Database(), sql, -1, &query, nullptr);
  int64_t selected = 0;
  for (auto _ : state) {
    selected = 0;
    while (sqlite3_step(query) == SQLITE_ROW) selected += sqlite3_column_int(query, 0) > 0;
    sqlite3_reset(query);
  }
  sqlite3_finalize(query);
  state.counters["selected"] = static_cast<double>(selected);
}

void BM_SqliteRange(benchmark::State& state) {
  Query(state, "SELECT ID FROM HYPLIST WHERE NWORD >= 'k' AND NWORD < 'l'");
}
BENCHMARK(BM_SqliteRange)->Unit(benchmark::kMillisecond);

void BM_SqliteLikeSuffix(benchmark::State& state) { Query(state, "SELECT ID FROM HYPLIST WHERE NWORD LIKE '%lar'"); }
BENCHMARK(BM_SqliteLikeSuffix)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
