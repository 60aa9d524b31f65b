// Every workload of scenarios.h with its k-th read, write, set-size or flush
// failing, for every k the workload makes (or an even sample of them, see
// CasesFor), once as a passing error and once as a disk that stays broken.
// The failure must surface as a corvane::Error with a message, and the
// aftermath must verify.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <functional>
#include <string>

#include <fstream>

#include "io_faults.h"
#include "platform/error.h"
#include "platform/file_io.h"
#include "scenarios.h"
#include "table/database.h"
#include "wordlist/line_cipher.h"
#include "wordlist/word_list_access.h"
#include "wordlist/word_list_table.h"

namespace corvane::testing {
namespace {

constexpr int kImportLines = 5000;

using Workload = std::function<void(const std::filesystem::path&, Journal&)>;
using Verifier = std::function<std::vector<std::string>(const std::filesystem::path&, const Journal&, bool&)>;

// Every k when CORVANE_IO_FAULTS=all; otherwise about `sample` values of k
// spread evenly over 1..calls, so that a test run stays within seconds.
std::vector<int64_t> CasesFor(int64_t calls, int64_t sample) {
  const char* all = std::getenv("CORVANE_IO_FAULTS");
  const int64_t stride = (all != nullptr && std::string(all) == "all") ? 1 : std::max<int64_t>(1, calls / sample);
  std::vector<int64_t> ks;
  for (int64_t k = 1; k <= calls; k += stride) ks.push_back(k);
  if (ks.back() != calls) ks.push_back(calls);
  return ks;
}

class IoFaultTest : public ScratchFolderTest {
 protected:
  // Runs the workload under one fault; returns false when the fault never
  // came (the workload made fewer calls this time).
  bool RunCase(const Workload& work, const Verifier& verify, int64_t k, FaultMode mode) {
    Fresh();
    Journal journal;
    std::string message = "(none)";
    bool delivered = false;
    {
      IoFaultScope faults(k, mode);
      try {
        work(dir_, journal);
      } catch (const Error& e) {
        message = e.what();
        EXPECT_FALSE(message.empty()) << "k=" << k;
      } catch (const std::exception& e) {
        ADD_FAILURE() << "k=" << k << ": not a corvane::Error: " << e.what();
      }
      delivered = IoFaultDelivered();
    }
    if (!delivered) return false;
    // A workload that fails leaves no table manager behind.
    EXPECT_TRUE(table::DatabaseManagerRegistry().empty()) << "k=" << k;
    ReleaseStores(dir_);
    bool opened = true;
    const std::vector<std::string> problems = verify(dir_, journal, opened);
    EXPECT_EQ(problems, std::vector<std::string>{})
        << "k=" << k << (mode == FaultMode::kOnce ? " once" : " from then on") << ", workload said: " << message;
    (opened ? opened_ : reported_) += 1;
    return true;
  }

  void RunAll(const Workload& work, const Verifier& verify, int64_t sample) {
    Fresh();
    Journal journal;
    ArmIoFaults(0, FaultMode::kOnce);
    work(dir_, journal);
    const int64_t calls = DisarmIoFaults();
    ReleaseStores(dir_);
    ASSERT_GT(calls, 0);
    int cases = 0;
    for (const int64_t k : CasesFor(calls, sample)) {
      for (const FaultMode mode : {FaultMode::kOnce, FaultMode::kFromNow}) {
        if (RunCase(work, verify, k, mode)) ++cases;
        if (HasFailure()) return;
      }
    }
    std::printf("%lld calls; %d cases: %d opened and verified, %d refused to open with a message\n",
                static_cast<long long>(calls), cases, opened_, reported_);
  }

  int opened_ = 0;
  int reported_ = 0;
};

TEST_F(IoFaultTest, WordListImport) {
  RunAll([](const auto& dir, Journal& j) { ImportWordList(dir, kImportLines, j); },
         [](const auto& dir, const Journal& j, bool& opened) { return VerifyWordList(dir, kImportLines, j, opened); },
         12);
}

TEST_F(IoFaultTest, PostsEditsDeletesWithSevenIndexes) { RunAll(EditIndexedTable, VerifyIndexedTable, 12); }

TEST_F(IoFaultTest, ContainerGrowsADirectoryPageAndAnExtent) { RunAll(FillContainer, VerifyContainer, 25); }

// Looking a word up in a writable table writes only the file's last access
// time and syncs that once, not once per table file closed; the read-only
// open the programs use writes nothing at all.
TEST_F(IoFaultTest, LookingAWordUpSyncsOnceAndReadersNever) {
  Fresh();
  Journal journal;
  ImportWordList(dir_, kImportLines, journal);
  ReleaseStores(dir_);
  const std::string path = (dir_ / wordlist::kDatabaseFileName).string();
  std::string word = MarkedWord(77);
  std::erase(word, '_');
  for (const bool read_only : {false, true}) {
    for (const IoCall call : {IoCall::kFlush, IoCall::kWrite, IoCall::kSetSize}) {
      IoFaultScope count(0, FaultMode::kOnce, call);
      wordlist::TWordList list(path);
      read_only ? list.OpenReadOnly() : list.Open();
      EXPECT_EQ(list.Lookup(word), MarkedWord(77));
      list.Close();
      const int64_t expected = !read_only && call != IoCall::kSetSize ? 1 : 0;
      EXPECT_EQ(DisarmIoFaults() > 0, expected > 0) << read_only << " " << static_cast<int>(call);
    }
    ReleaseStores(dir_);
  }
  // A table that cannot be read blames the database and names the remedy.
  wordlist::TWordList list(path);
  list.OpenReadOnly();
  IoFaultScope faults(1, FaultMode::kFromNow, IoCall::kRead);
  try {
    list.Lookup(word);
    ADD_FAILURE() << "a lookup read nothing and did not fail";
  } catch (const wordlist::WordListError& e) {
    EXPECT_EQ(std::string(e.what()).rfind(path + ": ", 0), 0u) << e.what();
    EXPECT_TRUE(std::string(e.what()).ends_with(wordlist::kRebuildHint)) << e.what();
  }
}

// A disk that fills up during a build: the message names the database (not
// the list, not the temporary file) and the system's reason, and the old
// database stays.
TEST_F(IoFaultTest, FullDiskDuringABuildNamesTheDatabaseAndKeepsTheOldOne) {
  Fresh();
  std::string text;
  for (int i = 1; i <= kImportLines; ++i) {
    text += wordlist::LineCipher::Encode(MarkedWord(i), "", static_cast<uint8_t>(i)) + "\r\n";
  }
  const wordlist::WordListFiles files{(dir_ / "words.edb").string(), (dir_ / "words.lst").string(), {}};
  std::ofstream(files.list, std::ios::binary) << text;
  ArmIoFaults(0, FaultMode::kOnce, IoCall::kWrite);
  wordlist::BuildWordList(files);
  const int64_t writes = DisarmIoFaults();
  const std::string before = platform::ReadFile(files.database);
  for (const int64_t k : {int64_t{1}, writes / 2, writes}) {
    IoFaultScope full(k, FaultMode::kFromNow, IoCall::kWrite, ENOSPC);
    try {
      wordlist::BuildWordList(files);
      ADD_FAILURE() << "write " << k << " of " << writes << " failed unnoticed";
    } catch (const Error& e) {
      const std::string message = e.what();
      EXPECT_EQ(message.rfind(files.database + ": ", 0), 0u) << k << ": " << message;
      EXPECT_TRUE(message.ends_with(" (No space left on device)")) << k << ": " << message;
    }
    EXPECT_EQ(platform::ReadFile(files.database), before) << k;
    ReleaseStores(dir_);
  }
}

// One kind of call failing while everything else works: the workload must
// say so. (A write torn once is finished by the next call, as short writes
// are, so writes fail for good here.)
TEST_F(IoFaultTest, EachFailingKindOfCallIsReported) {
  for (const IoCall call : {IoCall::kWrite, IoCall::kFlush}) {
    Fresh();
    Journal journal;
    IoFaultScope faults(1, call == IoCall::kWrite ? FaultMode::kFromNow : FaultMode::kOnce, call);
    EXPECT_THROW(FillContainer(dir_, journal), Error) << static_cast<int>(call);
    EXPECT_TRUE(IoFaultDelivered());
  }
}

}  // namespace
}  // namespace corvane::testing
