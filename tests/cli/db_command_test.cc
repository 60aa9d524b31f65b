// corvane db over databases built through the engine: listing, schema,
// dumps, lookups, and the check that finds damaged tables.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "cli/cli.h"
#include "table/collation.h"
#include "table/table.h"
#include "support/scratch_dir.h"

namespace corvane::cli {
namespace {

namespace fs = std::filesystem;

struct RunResult {
  int status;
  std::string out, err;
};

RunResult Db(std::vector<std::string> args) {
  args.insert(args.begin(), "db");
  std::istringstream in;
  std::ostringstream out, err;
  const int status = RunCli(args, in, out, err);
  return {status, out.str(), err.str()};
}

class DbCommandTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = test_support::FreshScratchDirForTest("db");
  }
  void TearDown() override { fs::remove_all(dir_); }

  // The word list, in a container file or (`directory`) in a folder, with
  // kalem, ağaç (code page 1254) and Kalem, in that order.
  std::string MakeWordList(bool directory) {
    const std::string db = (dir_ / (directory ? "words" : "words.edb")).string();
    table::TCvTable t;
    if (directory) {
      fs::create_directories(db);
      t.SetDatabaseName(db);
    } else {
      t.SetDatabaseFileName(db);
    }
    t.SetTableName("HYPLIST");
    t.FieldDefs().Add("ID", table::FieldType::ftAutoInc);
    t.FieldDefs().Add("NWORD", table::FieldType::ftString, 30);
    t.FieldDefs().Add("HWORD", table::FieldType::ftString, 30);
    t.IndexDefs().Add("PrimaryKey", "ID", table::ixPrimary);
    t.IndexDefs().Add("ByNWORD", "NWORD", table::ixCaseInsensitive);
    t.CreateTable();
    t.Open();
    for (const auto& [nword, hword] : {std::pair<std::string, std::string>{"kalem", "ka_lem"},
                                       {"a\xF0" "a\xE7", "a_\xF0" "a\xE7"},
                                       {"Kalem", "Ka_lem"}}) {
      t.Insert();
      t.FieldByName("NWORD").SetAsString(nword);
      t.FieldByName("HWORD").SetAsString(hword);
      t.Post();
    }
    return db;
  }

  static std::vector<char> Read(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<char>(std::istreambuf_iterator<char>(in), {});
  }
  static void Write(const std::string& path, const std::vector<char>& bytes) {
    std::ofstream(path, std::ios::binary | std::ios::trunc).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  }

  fs::path dir_;
};

TEST_F(DbCommandTest, TablesSchemaAndDump) {
  for (const bool directory : {false, true}) {
    const std::string db = MakeWordList(directory);
    EXPECT_EQ(Db({"tables", db}).out, "HYPLIST\t3 records\n");

    const RunResult schema = Db({"schema", db, "HYPLIST.dat"});
    ASSERT_EQ(schema.status, kExitOk) << schema.err;
    for (const char* part : {"table HYPLIST: 3 records, version 2.20, last identifier 3", "NWORD", "ftString",
                             "size 30    width 31", "ID                  ftAutoInc     record identifier",
                             "@@NWORD", "PrimaryKey          ID                      primary",
                             "ByNWORD             NWORD                   case-insensitive"}) {
      EXPECT_NE(schema.out.find(part), std::string::npos) << part << "\n" << schema.out;
    }

    EXPECT_EQ(Db({"dump", db, "HYPLIST"}).out,
              "NWORD\tHWORD\tID\nkalem\tka_lem\t1\nağaç\ta_ğaç\t2\nKalem\tKa_lem\t3\n");
    EXPECT_EQ(Db({"dump", db, "HYPLIST", "--index", "@NWORD", "--limit=2"}).out,
              "NWORD\tHWORD\tID\nağaç\ta_ğaç\t2\nkalem\tka_lem\t1\n");
    const RunResult bad_index = Db({"dump", db, "HYPLIST", "--index", "ByHWORD"});
    EXPECT_EQ(bad_index.status, kExitFailure);
    EXPECT_EQ(bad_index.err, "corvane: Error in TCvDataSet.OpenIndex - index \"ByHWORD\" not found!\n");
    EXPECT_EQ(Db({"dump", db, "NOPE"}).err, "corvane: TCvDataset.OpenTable - table \"NOPE\" does not exist.\n");
  }
}

TEST_F(DbCommandTest, LocateFindsWholeValuesCaseSensitivelyUnlessAsked) {
  const std::string db = MakeWordList(false);
  struct Case {
    std::vector<std::string> args;
    std::string row;  // "" when not found
  };
  const Case cases[] = {
      {{"NWORD", "kalem"}, "kalem\tka_lem\t1"},
      {{"NWORD", "Kalem"}, "Kalem\tKa_lem\t3"},
      {{"NWORD", "KALEM"}, ""},
      {{"NWORD", "KALEM", "--ci"}, "kalem\tka_lem\t1"},
      {{"NWORD", "ka", "--partial"}, "kalem\tka_lem\t1"},
      {{"nword", "ağaç"}, "ağaç\ta_ğaç\t2"},
      {{"ID", "3"}, "Kalem\tKa_lem\t3"},
  };
  for (const Case& c : cases) {
    std::vector<std::string> args = {"locate", db, "HYPLIST"};
    args.insert(args.end(), c.args.begin(), c.args.end());
    const RunResult r = Db(args);
    if (c.row.empty()) {
      EXPECT_EQ(r.status, kExitFailure);
      EXPECT_EQ(r.out, "");
      EXPECT_EQ(r.err, "corvane: HYPLIST: no record with " + c.args[0] + " = " + c.args[1] + "\n");
    } else {
      EXPECT_EQ(r.status, kExitOk) << r.err;
      EXPECT_EQ(r.out, "NWORD\tHWORD\tID\n" + c.row + "\n");
    }
  }
}

TEST_F(DbCommandTest, DumpFilterAndFind) {
  const std::string db = MakeWordList(false);  // kalem, ağaç, Kalem
  const std::string head = "NWORD\tHWORD\tID\n";
  const std::string kalem = "kalem\tka_lem\t1\n", agac = "ağaç\ta_ğaç\t2\n", Kalem = "Kalem\tKa_lem\t3\n";
  struct Case {
    std::vector<std::string> args;
    std::string out;
  } const cases[] = {
      {{"dump", db, "HYPLIST", "--filter", "NWORD = 'ka'"}, head + kalem},
      {{"dump", db, "HYPLIST", "--filter", "NWORD = 'ka'", "--filter-options=case-insensitive"}, head + kalem + Kalem},
      {{"dump", db, "HYPLIST", "--filter", "NWORD = 'KA'", "--filter-options=no-partial-compare,case-insensitive"},
       head},
      {{"dump", db, "HYPLIST", "--filter=NWORD like '%ç' or ID = 3", "--index", "@NWORD"}, head + agac + Kalem},
      {{"find", db, "HYPLIST", "NWORD like '%a%'", "--index", "@NWORD"}, head + agac},
      {{"find", db, "HYPLIST", "NWORD like '%a%'", "--index", "@NWORD", "--last"}, head + Kalem},
      {{"find", db, "HYPLIST", "NWORD = 'ka'"}, head},
      {{"find", db, "HYPLIST", "NWORD = 'ka*'"}, head + kalem},
  };
  for (const Case& c : cases) {
    const RunResult r = Db(c.args);
    EXPECT_EQ(r.status, kExitOk) << c.args[3] << ": " << r.err;
    EXPECT_EQ(r.out, c.out) << c.args[3];
  }
  struct Failure {
    std::vector<std::string> args;
    std::string message;
  } const failures[] = {
      {{"dump", db, "HYPLIST", "--filter", "NWORD = 'ağaç' x"}, "End of line expected, but \"x\" found"},
      {{"find", db, "HYPLIST", "NWORD = 'ağa"}, "Unterminated string ağa"},
      {{"find", db, "HYPLIST", "ID = 1.5"}, "'1.5' is not a valid integer value"},
      {{"find", db, "HYPLIST", "  "}, "TCvDataSet.FindRecord - Filter property is blank."},
  };
  for (const Failure& f : failures) {
    const RunResult r = Db(f.args);
    EXPECT_EQ(r.status, kExitFailure);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err, "corvane: " + f.message + "\n");
  }
}

TEST_F(DbCommandTest, CheckPassesSoundTablesAndNamesEachProblem) {
  const std::string file_db = MakeWordList(false);
  const std::string ok = std::string(": ok (1 table, indexes in ") + table::Collation::User().Name() + " order)\n";
  // A check only reads: the file keeps its bytes and its time.
  const std::vector<char> bytes = Read(file_db);
  const fs::file_time_type written = fs::last_write_time(file_db);
  EXPECT_EQ(Db({"check", file_db}).out, file_db + ok);
  EXPECT_EQ(Read(file_db), bytes);
  EXPECT_EQ(fs::last_write_time(file_db), written);
  const std::string db = MakeWordList(true);
  EXPECT_EQ(Db({"check", db, "HYPLIST"}).out, db + ok);

  const std::string dat = db + "/HYPLIST.dat", idx = db + "/HYPLIST.idx";
  const std::vector<char> good_dat = Read(dat), good_idx = Read(idx);
  struct Case {
    const char* what;
    std::function<void(std::vector<char>& dat, std::vector<char>& idx)> damage;
    std::string problem;
  };
  // The ".idx" file ends with the arrays of its 7 indexes, 3 entries each,
  // the key prefixes of @NWORD (3 x 8 bytes, then 16 + 16), then the
  // checks and the sort mark (8 + 7 x 8 + 24 bytes); the third array from
  // the start, @NWORD, holds ağaç, kalem, Kalem = records 1, 0, 2 and ends
  // 13 entries before the prefixes.
  const auto prefixes = [](std::vector<char>& idx) { return idx.end() - 88 - 56; };
  const auto entry = [&](std::vector<char>& idx, int from_end) { return prefixes(idx) - 4 * from_end; };
  const Case cases[] = {
      {"torn tail", [](auto& d, auto&) { d.push_back('x'); }, "HYPLIST.dat: 1 bytes after the last record"},
      {"lost record", [](auto& d, auto&) { d.resize(d.size() - 94); },
       "HYPLIST.dat: 3 records need 402 bytes; the file has 308"},
      {"newer format", [](auto& d, auto&) { d[46] = 0x40; d[47] = 0x40; },
       "HYPLIST.dat: format version 33.200000 is not one this engine reads"},
      {"identifier twice", [](auto& d, auto&) { d[120 + 94 + 62] = 1; },
       "HYPLIST.dat: records 0 and 1 share identifier 1"},
      {"out of order",
       [&](auto&, auto& i) { std::swap_ranges(entry(i, 15), entry(i, 14), entry(i, 14)); },
       "HYPLIST.idx: index @NWORD is out of order at position 1 (records 0 and 1)"},
      {"not a permutation", [&](auto&, auto& i) { std::copy(entry(i, 15), entry(i, 14), entry(i, 14)); },
       "HYPLIST.idx: index @NWORD is not a permutation of 0..2 (position 1 holds 1)"},
      {"damaged key prefixes", [&](auto&, auto& i) { prefixes(i)[3] ^= 1; },
       "HYPLIST.idx: index @NWORD has damaged key prefixes (they will be recomputed)"},
      {"stale", [](auto&, auto& i) { i[0] = 99; },
       "HYPLIST.idx: saved at change counter 99, the table is at 3 (the indexes will be rebuilt)"},
      {"no index file", [](auto&, auto& i) { i.clear(); },
       "HYPLIST.idx: shorter than its 16-byte header (the indexes will be rebuilt)"},
  };
  for (const Case& c : cases) {
    std::vector<char> d = good_dat, i = good_idx;
    c.damage(d, i);
    Write(dat, d);
    Write(idx, i);
    const RunResult r = Db({"check", db});
    EXPECT_EQ(r.status, kExitFailure) << c.what;
    EXPECT_EQ(r.out, "");
    EXPECT_NE(r.err.find(db + ": " + c.problem + "\n"), std::string::npos) << c.what << "\n" << r.err;
  }
}

TEST_F(DbCommandTest, UsageErrors) {
  const std::vector<std::vector<std::string>> calls = {
      {},
      {"drop", "x"},
      {"tables"},
      {"schema", "x"},
      {"locate", "x", "T", "F"},
      {"check", "x", "T", "U"},
      {"dump", "x", "T", "--limit", "-1"},
      {"dump", "x", "T", "--limit", "ten"},
      {"locate", "x", "T", "F", "V", "--index", "I"},
      {"dump", "x", "T", "--ci"},
      {"dump", "x", "T", "--filter-options=case-insensitive"},
      {"dump", "x", "T", "--filter", "N = 1", "--filter-options=exact"},
      {"find", "x", "T"},
      {"find", "x", "T", "N = 1", "--filter", "N = 2"},
      {"dump", "x", "T", "--last"},
      {"tables", "x", "--bogus"},
  };
  for (const auto& args : calls) {
    const RunResult r = Db(args);
    EXPECT_EQ(r.status, kExitUsage) << r.err;
    EXPECT_EQ(r.err.rfind("corvane: ", 0), 0u);
  }
  const RunResult missing = Db({"tables", (dir_ / "none").string()});
  EXPECT_EQ(missing.status, kExitFailure);
  EXPECT_EQ(missing.err, "corvane: " + (dir_ / "none").string() + ": no such file or directory\n");
  // A container that is not there is missing, not damaged.
  const std::string none = (dir_ / "none.edb").string();
  std::istringstream in;
  std::ostringstream out, err;
  EXPECT_EQ(RunCli({"container", "check", none}, in, out, err), kExitFailure);
  EXPECT_EQ(err.str(), none + ": File " + none + " does not exist.\n");
}

}  // namespace
}  // namespace corvane::cli
