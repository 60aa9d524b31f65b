#include "cli/parallel_files.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <set>
#include <vector>

#include "platform/error.h"

namespace corvane::cli {
namespace {

TEST(ParallelFilesTest, EveryIndexRunsOnceOnItsOwnThreadSlot) {
  struct Case {
    std::size_t count;
    int jobs;
  } cases[] = {{0, 4}, {1, 8}, {5, 1}, {100, 3}, {7, 64}, {3, 0}};
  for (const Case& c : cases) {
    std::vector<std::atomic<int>> runs(c.count);
    std::vector<std::atomic<int>> busy(ThreadCount(c.count, c.jobs));
    std::atomic<bool> shared_slot{false};
    RunInParallel(c.count, c.jobs, [&](std::size_t thread, std::size_t i) {
      if (busy[thread]++ != 0) shared_slot = true;  // two threads in one slot
      ++runs[i];
      --busy[thread];
    });
    for (std::size_t i = 0; i < c.count; ++i) EXPECT_EQ(runs[i], 1) << c.count << " " << i;
    EXPECT_FALSE(shared_slot);
    EXPECT_GE(ThreadCount(c.count, c.jobs), 1u);
    EXPECT_LE(ThreadCount(c.count, c.jobs), std::max<std::size_t>(c.count, 1));
  }
}

// Counts the questions that reach it; fails on "broken" until told not to.
class CountingLookup : public html::WordLookup {
 public:
  std::optional<std::string> Find(const std::string& key) override {
    ++asked;
    if (key == "broken" && failing) throw Error("read error");
    if (key == "kitap") return "ki_tap";
    return std::nullopt;
  }
  int asked = 0;
  bool failing = true;
};

TEST(ParallelFilesTest, SharedLookupRemembersAnswersButNotFailures) {
  CountingLookup inner;
  SharedWordLookup shared(inner);
  EXPECT_EQ(shared.Find("kitap"), "ki_tap");
  EXPECT_EQ(shared.Find("kitap"), "ki_tap");
  EXPECT_EQ(shared.Find("absent"), std::nullopt);
  EXPECT_EQ(shared.Find("absent"), std::nullopt);
  EXPECT_EQ(inner.asked, 2);
  EXPECT_THROW(shared.Find("broken"), Error);
  inner.failing = false;
  EXPECT_EQ(shared.Find("broken"), std::nullopt);
  EXPECT_EQ(inner.asked, 4);
}

}  // namespace
}  // namespace corvane::cli
