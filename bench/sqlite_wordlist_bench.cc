// The word-list workload in SQLite, run as SQLite's users run it at its best,
// beside the table engine on the same rows and keys in the same run:
// a table of ID (the rowid), NWORD and HWORD with the five secondary indexes
// the word list's seven amount to (NWORD, NWORD NOCASE twice, HWORD, HWORD
// NOCASE), 164,000 rows inserted through one prepared statement inside one
// transaction; exact lookups on NWORD (half the keys absent) through one
// prepared statement, inside one read transaction, with a page cache that
// holds the whole database; and opening the database. Before anything is
// timed, every key's answer from SQLite is checked against the table
// engine's: a faster wrong answer would prove nothing.
#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <optional>

#include "word_workload.h"
#include "wordlist/word_list_table.h"

namespace {

using corvane::bench::WordEntry;

std::string DbPath() { return (std::filesystem::temp_directory_path() / "corvane_bench_words.sqlite").string(); }
std::string EnginePath() {
  return (std::filesystem::temp_directory_path() / "corvane_bench_sqlite_side_CVHYPLIST.EDB").string();
}

void Exec(sqlite3* db, const char* sql) {
  char* error = nullptr;
  if (sqlite3_exec(db, sql, nullptr, nullptr, &error) != SQLITE_OK) {
    std::fprintf(stderr, "sqlite: %s: %s\n", sql, error ? error : "?");
    std::exit(1);
  }
}

void CreateAndFill(const std::vector<WordEntry>& words) {
  std::filesystem::remove(DbPath());
  sqlite3* db = nullptr;
  sqlite3_open(DbPath().c_str(), &db);
  Exec(db, "CREATE TABLE HYPLIST(ID INTEGER PRIMARY KEY AUTOINCREMENT, NWORD TEXT, HWORD TEXT)");
  Exec(db, "CREATE INDEX ci_nword ON HYPLIST(NWORD COLLATE NOCASE)");
  Exec(db, "CREATE INDEX nword ON HYPLIST(NWORD)");
  Exec(db, "CREATE INDEX ci_hword ON HYPLIST(HWORD COLLATE NOCASE)");
  Exec(db, "CREATE INDEX hword ON HYPLIST(HWORD)");
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

// SQLite's best configuration for exact lookups: one prepared statement on
// the indexed column, one read transaction, a page cache over the whole file.
class SqliteLookup {
 public:
  SqliteLookup() {
    sqlite3_open_v2(DbPath().c_str(), &db_, SQLITE_OPEN_READONLY, nullptr);
    Exec(db_, "PRAGMA cache_size = -65536");  // 64 MiB
    sqlite3_prepare_v2(db_, "SELECT HWORD FROM HYPLIST WHERE NWORD = ? LIMIT 1", -1, &find_, nullptr);
    Exec(db_, "BEGIN");
  }
  ~SqliteLookup() {
    Exec(db_, "COMMIT");
    sqlite3_finalize(find_);
    sqlite3_close(db_);
  }
  std::optional<std::string> Find(const std::string& key) {
    sqlite3_bind_text(find_, 1, key.data(), static_cast<int>(key.size()), SQLITE_STATIC);
    std::optional<std::string> out;
    if (sqlite3_step(find_) == SQLITE_ROW) {
      out.emplace(reinterpret_cast<const char*>(sqlite3_column_text(find_, 0)),
                  static_cast<std::size_t>(sqlite3_column_bytes(find_, 0)));
    }
    sqlite3_reset(find_);
    return out;
  }

 private:
  sqlite3* db_ = nullptr;
  sqlite3_stmt* find_ = nullptr;
};

struct Fixture {
  std::vector<WordEntry> words = corvane::bench::MakeWordList();
  std::vector<std::string> keys = corvane::bench::MakeLookups(words, 100000);
  Fixture() {
    CreateAndFill(words);
    std::filesystem::remove(EnginePath());
    corvane::wordlist::TWordList list(EnginePath());
    list.CreateEmptyTable();
    for (const WordEntry& w : words) list.Append(w.plain, w.marked);
    list.Close();
    CheckSameAnswers();
  }
  // Every key, both engines: the same HWORD or the same absence.
  void CheckSameAnswers() {
    SqliteLookup sqlite;
    corvane::wordlist::TWordList list(EnginePath());
    list.Open();
    for (const std::string& key : keys) {
      if (sqlite.Find(key) != list.Lookup(key)) {
        std::fprintf(stderr, "different answers for key \"%s\"\n", key.c_str());
        std::exit(1);
      }
    }
  }
};

const Fixture& Data() {
  static const Fixture fixture;
  return fixture;
}

void BM_SqliteInsertRandomOrder(benchmark::State& state) {
  const auto& words = Data().words;
  for (auto _ : state) CreateAndFill(words);
  state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(words.size()));
}
BENCHMARK(BM_SqliteInsertRandomOrder)->Unit(benchmark::kMillisecond)->Iterations(2);

void BM_SqliteInsertSortedOrder(benchmark::State& state) {
  const auto words = corvane::bench::Sorted(Data().words);
  for (auto _ : state) CreateAndFill(words);
  state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(words.size()));
  CreateAndFill(Data().words);  // the lookups below read the random-order file
}
BENCHMARK(BM_SqliteInsertSortedOrder)->Unit(benchmark::kMillisecond)->Iterations(2);

// The two lookups interleave their keys the same way: key i of the shared list.
template <typename Lookup>
void RunLookups(benchmark::State& state, Lookup& lookup) {
  const auto& keys = Data().keys;
  std::size_t i = 0;
  int64_t found = 0;
  for (auto _ : state) found += lookup(keys[i++ % keys.size()]).has_value();
  state.SetItemsProcessed(state.iterations());
  state.counters["found"] = benchmark::Counter(static_cast<double>(found) / static_cast<double>(state.iterations()));
}

void BM_SqliteLookupBest(benchmark::State& state) {
  Data();  // the file must be there before it is opened, when run alone
  SqliteLookup sqlite;
  auto find = [&](const std::string& key) { return sqlite.Find(key); };
  RunLookups(state, find);
}
BENCHMARK(BM_SqliteLookupBest);

void BM_EngineLookup(benchmark::State& state) {
  corvane::wordlist::TWordList list(EnginePath());
  list.Open();
  auto find = [&](const std::string& key) { return list.Lookup(key); };
  RunLookups(state, find);
}
BENCHMARK(BM_EngineLookup);

void BM_SqliteOpen(benchmark::State& state) {
  Data();
  for (auto _ : state) {
    sqlite3* db = nullptr;
    sqlite3_open(DbPath().c_str(), &db);
    sqlite3_stmt* find = nullptr;
    // Opening is lazy; one query makes it read the schema and the first pages.
    sqlite3_prepare_v2(db, "SELECT HWORD FROM HYPLIST WHERE NWORD = 'kale' LIMIT 1", -1, &find, nullptr);
    sqlite3_step(find);
    sqlite3_finalize(find);
    sqlite3_close(db);
  }
}
BENCHMARK(BM_SqliteOpen)->Unit(benchmark::kMillisecond);

void BM_EngineOpenAndLookUp(benchmark::State& state) {
  Data();
  for (auto _ : state) {
    corvane::wordlist::TWordList list(EnginePath());
    list.Open();
    benchmark::DoNotOptimize(list.Lookup("kale"));
    list.Close();
  }
}
BENCHMARK(BM_EngineOpenAndLookUp)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
