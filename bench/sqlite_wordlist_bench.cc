// The word-list workload in SQLite, for comparison with the table engine:
// a table of ID, NWORD and HWORD with the same seven indexes, 164,000 rows
// inserted one statement at a time inside one transaction, exact-match
// lookups on NWORD (half absent), and opening the database.
#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <filesystem>

#include "word_workload.h"

namespace {

using corvane::bench::WordEntry;

std::string DbPath() { return (std::filesystem::temp_directory_path() / "corvane_bench_words.sqlite").string(); }

void Exec(sqlite3* db, const char* sql) { sqlite3_exec(db, sql, nullptr, nullptr, nullptr); }

void CreateAndFill(const std::vector<WordEntry>& words) {
  std::filesystem::remove(DbPath());
  sqlite3* db = nullptr;
  sqlite3_open(DbPath().c_str(), &db);
  Exec(db, "CREATE TABLE HYPLIST(ID INTEGER PRIMARY KEY AUTOINCREMENT, NWORD TEXT, HWORD TEXT)");
  Exec(db, "CREATE INDEX ci_nword ON HYPLIST(NWORD COLLATE NOCASE)");
  Exec(db, "CREATE INDEX nword ON HYPLIST(NWORD)");
  Exec(db, "CREATE INDEX ci_hword ON HYPLIST(HWORD COLLATE NOCASE)");
  Exec(db, "CREATE INDEX hword ON HYPLIST(HWORD)");
  Exec(db, "CREATE INDEX primarykey ON HYPLIST(ID)");
  Exec(db, "CREATE INDEX bynword ON HYPLIST(NWORD COLLATE NOCASE)");
  Exec(db, "BEGIN");
  sqlite3_stmt* insert = nullptr;
  sqlite3_prepare_v2(db, "INSERT INTO HYPLIST(NWORD, HWORD) VALUES(?, ?)", -1, &insert, nullptr);
  for (const WordEntry& w : words) {
    sqlite3_bind_text(insert, 1, w.plain.data(), static_cast<int>(w.plain.size()), SQLITE_STATIC);
    sqlite3_bind_text(insert, 2, w.marked.data(), static_cast<int>(w.marked.size()), SQLITE_STATIC);
    sqlite3_step(insert);
    sqlite3_reset(insert);
  }
  sqlite3_finalize(insert);
  Exec(db, "COMMIT");
  sqlite3_close(db);
}

void BM_SqliteInsertRandomOrder(benchmark::State& state) {
  const auto words = corvane::bench::MakeWordList();
  for (auto _ : state) CreateAndFill(words);
  state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(words.size()));
}
BENCHMARK(BM_SqliteInsertRandomOrder)->Unit(benchmark::kMillisecond);

void BM_SqliteInsertSortedOrder(benchmark::State& state) {
  const auto words = corvane::bench::Sorted(corvane::bench::MakeWordList());
  for (auto _ : state) CreateAndFill(words);
  state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(words.size()));
}
BENCHMARK(BM_SqliteInsertSortedOrder)->Unit(benchmark::kMillisecond);

void BM_SqliteLookup(benchmark::State& state) {
  const auto words = corvane::bench::MakeWordList();
  CreateAndFill(words);
  const auto keys = corvane::bench::MakeLookups(words, 100000);
  sqlite3* db = nullptr;
  sqlite3_open(DbPath().c_str(), &db);
  sqlite3_stmt* find = nullptr;
  sqlite3_prepare_v2(db, "SELECT HWORD FROM HYPLIST WHERE NWORD = ? LIMIT 1", -1, &find, nullptr);
  std::size_t i = 0;
  int64_t found = 0;
  for (auto _ : state) {
    const std::string& key = keys[i++ % keys.size()];
    sqlite3_bind_text(find, 1, key.data(), static_cast<int>(key.size()), SQLITE_STATIC);
    found += sqlite3_step(find) == SQLITE_ROW;
    sqlite3_reset(find);
  }
  sqlite3_finalize(find);
  sqlite3_close(db);
  state.SetItemsProcessed(state.iterations());
  state.counters["found"] = static_cast<double>(found);
}
BENCHMARK(BM_SqliteLookup);

void BM_SqliteOpen(benchmark::State& state) {
  CreateAndFill(corvane::bench::MakeWordList());
  for (auto _ : state) {
    sqlite3* db = nullptr;
    sqlite3_open(DbPath().c_str(), &db);
    sqlite3_stmt* count = nullptr;
    // Opening is lazy; one query makes it read the schema and the first pages.
    sqlite3_prepare_v2(db, "SELECT HWORD FROM HYPLIST WHERE NWORD = 'kale' LIMIT 1", -1, &count, nullptr);
    sqlite3_step(count);
    sqlite3_finalize(count);
    sqlite3_close(db);
  }
}
BENCHMARK(BM_SqliteOpen)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
