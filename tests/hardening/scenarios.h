// The three workloads the hardening tests put under faults and kills, and
// the checks that tell a sound aftermath from a damaged one.
//
// Each workload records in a Journal what it has committed: a record or a
// file counts as committed once a flush or close that followed it returned.
// Verify then accepts two outcomes only: the files open and every check
// passes with everything committed still there and nothing invented; or
// opening fails with a corvane::Error that says why.
#ifndef CORVANE_TESTS_HARDENING_SCENARIOS_H_
#define CORVANE_TESTS_HARDENING_SCENARIOS_H_

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "support/scratch_dir.h"

namespace corvane::testing {

// What a workload has committed, and what it may have left half-done.
// States are versions of a record or file; kAbsent is "not there".
struct Journal {
  static constexpr int kAbsent = -1;
  // Per key, every state it may be found in after a failure: the committed
  // one and each one written since.
  std::map<int, std::set<int>> possible;
  // A key seen for the first time may also still be absent.
  void Write(int key, int state) {
    const auto [it, fresh] = possible.try_emplace(key);
    if (fresh) it->second.insert(kAbsent);
    it->second.insert(state);
  }
  // A flush or close returned: only the latest state of each key remains.
  void Commit(const std::map<int, int>& latest);
};

// The word list built from a list file of `lines` words, in two batches
// with a flush between them.
void ImportWordList(const std::filesystem::path& dir, int lines, Journal& journal);
// A table with 7 indexes: posts, edits and deletes, flushing between rounds.
void EditIndexedTable(const std::filesystem::path& dir, Journal& journal);
// Files added to a new container until a second directory page and a second
// extent are needed.
void FillContainer(const std::filesystem::path& dir, Journal& journal);

// Empty when the aftermath is sound; otherwise what is wrong. Sets `opened`
// to false when opening failed with a message.
std::vector<std::string> VerifyWordList(const std::filesystem::path& dir, int lines, const Journal& journal,
                                        bool& opened);
std::vector<std::string> VerifyIndexedTable(const std::filesystem::path& dir, const Journal& journal, bool& opened);
std::vector<std::string> VerifyContainer(const std::filesystem::path& dir, const Journal& journal, bool& opened);

// The marked form of word `i` of the generated list (all distinct).
std::string MarkedWord(int i);

// Forgets the stores and managers a failed workload left registered, so the
// next open reads the disk afresh.
void ReleaseStores(const std::filesystem::path& dir);

// A fixture with a folder of its own for each test, emptied by Fresh()
// before every case and removed at the end.
class ScratchFolderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = test_support::ScratchPathForTest("hardening");
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }

  void Fresh() {
    ReleaseStores(dir_);
    std::filesystem::remove_all(dir_);
    std::filesystem::create_directories(dir_);
  }

  std::filesystem::path dir_;
};

}  // namespace corvane::testing

#endif  // CORVANE_TESTS_HARDENING_SCENARIOS_H_
