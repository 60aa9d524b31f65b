// A workload in a child process killed with SIGKILL at random moments; the
// files it leaves must either be judged unfinished by the start-up rule
// (and so rebuilt) or open, check clean and hold only sound records.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <functional>
#include <random>
#include <thread>

#include "scenarios.h"
#include "wordlist/word_list_table.h"

namespace corvane::testing {
namespace {

constexpr int kImportLines = 12000;

int Kills() {
  const char* kills = std::getenv("CORVANE_CRASH_KILLS");
  return kills != nullptr ? std::max(1, std::atoi(kills)) : 25;
}

class CrashTest : public ScratchFolderTest {
 protected:
  // Runs `work` in a child; kills it after `delay` unless zero. Returns
  // whether the child was killed before it ended.
  bool RunChild(const std::function<void()>& work, std::chrono::microseconds delay) {
    Fresh();
    const pid_t pid = fork();
    if (pid == 0) {
      try {
        work();
      } catch (...) {
        _exit(2);
      }
      _exit(0);
    }
    if (delay.count() > 0) {
      std::this_thread::sleep_for(delay);
      kill(pid, SIGKILL);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    if (WIFEXITED(status)) {
      EXPECT_EQ(WEXITSTATUS(status), 0);
    }
    return WIFSIGNALED(status);
  }

  // Times one undisturbed run, then kills Kills() runs at random moments
  // within that time and judges each aftermath.
  void KillAtRandom(const std::function<void()>& work, const std::function<void(bool killed)>& judge) {
    const auto start = std::chrono::steady_clock::now();
    RunChild(work, std::chrono::microseconds(0));
    const auto span = std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - start);
    judge(false);
    std::mt19937 random(12);
    std::uniform_int_distribution<int64_t> moment(1, std::max<int64_t>(2, span.count()));
    for (int i = 0; i < Kills() && !HasFailure(); ++i) {
      judge(RunChild(work, std::chrono::microseconds(moment(random))));
    }
  }

};

TEST_F(CrashTest, KilledImportIsRebuiltOrComplete) {
  const std::string db = (dir_ / wordlist::kDatabaseFileName).string();
  Journal complete;
  for (int i = 1; i <= kImportLines; ++i) complete.possible[i] = {0};
  std::uintmax_t full_size = 0;
  int rebuilt = 0, sound = 0, sized_but_unfinished = 0;
  KillAtRandom(
      [&] {
        Journal ignored;
        ImportWordList(dir_, kImportLines, ignored);
      },
      [&](bool killed) {
        std::error_code ec;
        const std::uintmax_t size = std::filesystem::file_size(db, ec);
        if (!killed) full_size = size;
        // The start-up rule, its size scaled to this list: too small or
        // marked unfinished means rebuild.
        const bool unfinished = wordlist::TWordList::BuildUnfinished(db);
        if (ec || size < full_size || unfinished) {
          sized_but_unfinished += !ec && size >= full_size;
          ++rebuilt;
          return;
        }
        bool opened = true;
        EXPECT_EQ(VerifyWordList(dir_, kImportLines, complete, opened), std::vector<std::string>{})
            << (killed ? "killed" : "not killed");
        EXPECT_TRUE(opened);
        ++sound;
      });
  std::printf("import: %d rebuilt (%d of them past the size test), %d complete\n", rebuilt, sized_but_unfinished,
              sound);
}

TEST_F(CrashTest, KilledPostsLeaveSoundRecords) {
  // Which round committed is the child's secret: any record may be
  // absent or in either version, but none may be torn or doubled, and
  // the files must check clean once opened.
  Journal any;
  for (int key = 0; key < 200; ++key) any.possible[key] = {Journal::kAbsent, 0, 1};
  int sound = 0, reported = 0;
  KillAtRandom(
      [&] {
        Journal ignored;
        EditIndexedTable(dir_, ignored);
      },
      [&](bool) {
        bool opened = true;
        EXPECT_EQ(VerifyIndexedTable(dir_, any, opened), std::vector<std::string>{});
        (opened ? sound : reported) += 1;
      });
  std::printf("posts: %d opened and sound, %d refused to open with a message\n", sound, reported);
}

}  // namespace
}  // namespace corvane::testing
