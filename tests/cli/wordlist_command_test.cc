#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "cli/cli.h"
#include "platform/file_io.h"
#include "platform/error.h"
#include "platform/temporary_file.h"
#include "wordlist/line_cipher.h"
#include "wordlist/word_list_access.h"
#include "wordlist/word_list_table.h"
#include "support/scratch_dir.h"

namespace corvane::cli {
namespace {

namespace fs = std::filesystem;
using platform::ReadFile;

class WordListCommandTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = test_support::FreshScratchDirForTest("wordlist");
  }
  void TearDown() override { fs::remove_all(dir_); }

  std::string Db() const { return (dir_ / "CVHYPLIST.EDB").string(); }
  std::string List() const { return (dir_ / "cvhype.lst").string(); }

  void WriteList(const std::vector<std::string>& marked, const std::string& end = "\r\n") {
    std::string text;
    for (std::size_t i = 0; i < marked.size(); ++i) {
      text += wordlist::LineCipher::Encode(marked[i], "", static_cast<uint8_t>(i));
      if (i + 1 < marked.size()) text += "\r\n";
    }
    text += end;
    std::ofstream(List(), std::ios::binary) << text;
  }

  struct Result {
    int status;
    std::string out, err;
  };
  Result Run(std::vector<std::string> args, const std::string& input = "") {
    args.insert(args.end(), {"--db", Db(), "--list", List()});
    std::istringstream in(input);
    std::ostringstream out, err;
    const int status = RunCli(args, in, out, err);
    return {status, out.str(), err.str()};
  }

  bool TemporaryFileLeft() const {
    pid_t pid = 0;
    for (const auto& entry : fs::directory_iterator(dir_)) {
      if (platform::ParseTemporaryName(entry.path().filename().string(), &pid)) return true;
    }
    return false;
  }

  fs::path dir_;
};

TEST_F(WordListCommandTest, WorkedExampleThroughTheTable) {
  WriteList({"mer_ha_ba", "d\xFCn_ya", "ki_tap", "bir"});
  const Result r = Run({"hyphenate", "--pass=text", "--stats", "--encoding=cp1254"},
                       "<p>Merhaba d\xFCnya, bu bir kitap.</p>");
  EXPECT_EQ(r.status, kExitOk) << r.err;
  EXPECT_EQ(r.out, "<p>Mer&shy;ha&shy;ba d\xFCn&shy;ya, bu bir ki&shy;tap.</p>");
  EXPECT_EQ(r.err, "Total Words : 5\nUnique Words : 4\nWords Hyphenated : 3\n");
}

TEST_F(WordListCommandTest, BuildLookupAndStats) {
  WriteList({"ki_tap", "\xDDs_tan_bul", "program"});
  Result r = Run({"wordlist", "build"});
  EXPECT_EQ(r.status, kExitOk) << r.err;
  EXPECT_NE(r.out.find("3 words"), std::string::npos);
  r = Run({"wordlist", "lookup", "Kitap", "\xDDstanbul", "absent"});
  EXPECT_EQ(r.out, "Ki_tap\n\xDDs_tan_bul\nabsent\n");
  EXPECT_NE(r.err.find("absent: not in the word list"), std::string::npos);
  r = Run({"wordlist", "stats"});
  EXPECT_NE(r.out.find("Words : 3"), std::string::npos) << r.out;
  EXPECT_FALSE(TemporaryFileLeft());
}

// A build killed outright leaves its temporary file; the next one removes it.
TEST_F(WordListCommandTest, BuildRemovesWhatAKilledBuildLeft) {
  const pid_t child = fork();
  if (child == 0) _exit(0);
  waitpid(child, nullptr, 0);
  std::ofstream(Db() + ".corvane-" + std::to_string(child) + "-Zz09Zz.tmp") << "half a database";
  WriteList({"ki_tap"});
  // In a process of its own: a process sweeps a folder once.
  const pid_t build = fork();
  if (build == 0) _exit(Run({"wordlist", "build"}).status);
  int status = 0;
  ASSERT_EQ(waitpid(build, &status, 0), build);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == kExitOk);
  EXPECT_FALSE(TemporaryFileLeft());
}

TEST_F(WordListCommandTest, ListFileEdgeCases) {
  struct Case {
    std::vector<std::string> words;
    std::string end;
    int records;
  };
  // Ends with a line end: no empty entry; an extra empty line adds one; a
  // last line without a line end still counts.
  for (const Case& c : {Case{{"ki_tap", "bir"}, "\r\n", 2}, Case{{"ki_tap", "bir"}, "\r\n\r\n", 3},
                        Case{{"ki_tap", "bir"}, "", 2}}) {
    WriteList(c.words, c.end);
    ASSERT_EQ(Run({"wordlist", "build"}).status, kExitOk);
    wordlist::TWordList list(Db());
    list.Open();
    EXPECT_EQ(list.RecordCount(), c.records) << c.end.size();
  }
  std::ofstream(List(), std::ios::binary) << "";
  ASSERT_EQ(Run({"wordlist", "build"}).status, kExitOk);
}

TEST_F(WordListCommandTest, FailuresNameTheLineAndKeepTheOldDatabase) {
  WriteList({"ki_tap"});
  ASSERT_EQ(Run({"wordlist", "build"}).status, kExitOk);
  const std::string before = ReadFile(Db());

  std::ofstream(List(), std::ios::binary) << "4A\r\n4B\r\n";  // two digits: no byte
  Result r = Run({"wordlist", "build"});
  EXPECT_EQ(r.status, kExitFailure);
  EXPECT_NE(r.err.find("line 1: '$' is not a valid integer value"), std::string::npos) << r.err;
  EXPECT_EQ(ReadFile(Db()), before);  // a failed build never replaces the database
  EXPECT_FALSE(TemporaryFileLeft());

  // A finished table holding fewer records than the list has lines (lost
  // under the build) is refused, naming the database.
  const wordlist::WordListFiles files{Db(), List(), {}};
  EXPECT_NO_THROW(wordlist::CheckBuiltWordList(Db(), 1, files));
  try {
    wordlist::CheckBuiltWordList(Db(), 2, files);
    ADD_FAILURE() << "a short table passed";
  } catch (const Error& e) {
    EXPECT_EQ(std::string(e.what()), Db() + ": the new word list holds 1 of the 2 words of " + List() +
                                         "; the database was left as it was");
  }

  fs::remove(List());
  r = Run({"wordlist", "build"});
  EXPECT_EQ(r.status, kExitFailure);
  EXPECT_NE(r.err.find("File not found"), std::string::npos) << r.err;
}

TEST_F(WordListCommandTest, BadLineFarIntoALongList) {
  std::vector<std::string> words(100000, "ki_tap");
  words.push_back("x");
  WriteList(words);
  // Corrupt line 100,001 after encoding: a pair that is not hexadecimal.
  std::string text = ReadFile(List());
  text.replace(text.size() - 4, 2, "G1");
  std::ofstream(List(), std::ios::binary) << text;
  const Result r = Run({"wordlist", "build"});
  EXPECT_EQ(r.status, kExitFailure);
  EXPECT_NE(r.err.find("line 100001: '$G1' is not a valid integer value"), std::string::npos) << r.err;
}

// Builds and first-use lookups with no database yet, started at once in
// processes of their own: each waits for the build under way, none fails,
// and the database ends whole, with nothing left beside it.
TEST_F(WordListCommandTest, ConcurrentBuildsAndFirstUseLookups) {
  constexpr int kWords = 20000;
  std::vector<std::string> words;
  for (int i = 0; i < kWords; ++i) words.push_back("ki_tap" + std::to_string(i));
  WriteList(words);
  std::vector<pid_t> children;
  for (int i = 0; i < 8; ++i) {
    const pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
      const bool build = i % 2 == 0;
      const Result r = build ? Run({"wordlist", "build"}) : Run({"wordlist", "lookup", "kitap77"});
      const bool right = build ? r.out == Db() + ": " + std::to_string(kWords) + " words\n" : r.out == "ki_tap77\n";
      _exit(r.status == kExitOk && right ? 0 : 1);
    }
    children.push_back(pid);
  }
  for (const pid_t pid : children) {
    int status = -1;
    ASSERT_EQ(waitpid(pid, &status, 0), pid);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
  }
  wordlist::TWordList list(Db());
  list.OpenReadOnly();
  EXPECT_EQ(list.RecordCount(), kWords);
  std::vector<std::string> left;
  for (const auto& entry : fs::directory_iterator(dir_)) left.push_back(entry.path().filename().string());
  std::sort(left.begin(), left.end());
  EXPECT_EQ(left, (std::vector<std::string>{"CVHYPLIST.EDB", "cvhype.lst"}));
}

TEST_F(WordListCommandTest, SmallOrDamagedDatabases) {
  WriteList({"ki_tap"});
  // An interrupted build leaves a small file: the next use rebuilds it.
  std::ofstream(Db(), std::ios::binary) << std::string(1000, 'x');
  Result r = Run({"wordlist", "lookup", "kitap"});
  EXPECT_EQ(r.out, "ki_tap\n");
  // A file of 16 MiB that is not a database: the engine's message and a hint,
  // as soon as a Turkish word needs the list.
  std::ofstream(Db(), std::ios::binary) << std::string(wordlist::kMinDatabaseSize, 'x');
  r = Run({"hyphenate", "--language=tr"}, "kitap");
  EXPECT_EQ(r.status, kExitFailure);
  EXPECT_NE(r.err.find("TCvDataset.OpenTable - "), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("corvane wordlist build"), std::string::npos) << r.err;
}

}  // namespace
}  // namespace corvane::cli
