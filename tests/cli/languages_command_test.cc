// corvane languages and corvane words with installed pattern sets, on a
// folder of small made-up sets.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "cli/cli.h"
#include "support/scratch_dir.h"

namespace corvane::cli {
namespace {

namespace fs = std::filesystem;

class LanguagesCommandTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = test_support::FreshScratchDirForTest("cli_languages");
    Write("hyph-sr-cyrl.pat.txt", "1ба 1бе\n");
    Write("hyph-sr-cyrl.hyp.txt", "ба-ба-ба\n");
    Write("sets.cnf", "name=serbian lefthyphenmin=1 righthyphenmin=2 file_patterns=hyph-sr-cyrl.pat.txt\n");
    Write("hyph_xx_YY.dic", "ISO8859-1\nLEFTHYPHENMIN 1\nRIGHTHYPHENMIN 1\n1\xe4\n");
  }
  void TearDown() override { fs::remove_all(dir_); }
  void Write(const std::string& name, const std::string& data) const {
    std::ofstream(dir_ / name, std::ios::binary) << data;
  }
  struct Result {
    int status;
    std::string out, err;
  };
  Result Run(std::vector<std::string> args, const std::string& input = "") const {
    args.insert(args.begin() + 1, {"--patterns-dir", dir_.string()});
    std::istringstream in(input);
    std::ostringstream out, err;
    const int status = RunCli(args, in, out, err);
    return {status, out.str(), err.str()};
  }

  fs::path dir_;
};

TEST_F(LanguagesCommandTest, ListsFoundSetsWithMinimumsAndTheBuiltInOnes) {
  const Result r = Run({"languages"});
  ASSERT_EQ(r.status, kExitOk) << r.err;
  EXPECT_NE(r.out.find("sr-cyrl\t" + (dir_ / "hyph-sr-cyrl.pat.txt").string() + "\t1\t2\t" + dir_.string()),
            std::string::npos)
      << r.out;
  EXPECT_NE(r.out.find("xx-yy\t" + (dir_ / "hyph_xx_YY.dic").string() + "\t1\t1\t"), std::string::npos);
  EXPECT_NE(r.out.find("en-us\t(English patterns)\t2\t3\tbuilt in"), std::string::npos);
  EXPECT_NE(r.out.find("tr\t(word list and syllable rule)"), std::string::npos);
}

TEST_F(LanguagesCommandTest, WordsMarkedByTheChosenSet) {
  struct Case {
    std::vector<std::string> args;
    std::string in, out;
  };
  const std::string tex = (dir_ / "hyph-sr-cyrl.pat.txt").string();
  const Case cases[] = {
      // "sr" goes to sr-cyrl; its minimums come from the configuration;
      // exceptions win; the word keeps its capitals.
      {{"words", "--language", "sr"}, "абабе\nБАБАБА\n", "а_ба_бе\nБА_БА_БА\n"},
      {{"words", "--language", "SR-Cyrl-RS", "--left-min", "2"}, "абабе\n", "аба_бе\n"},
      {{"words", "--patterns", tex}, "абабе\n", "аба_бе\n"},  // a file alone: 2 and 2
      {{"words", "--patterns", tex, "--left-min", "1"}, "абабе\n", "а_ба_бе\n"},
      {{"words", "--language", "xx_YY"}, "bäär\nbär\n", "b_ä_är\nb_är\n"},
  };
  for (const Case& c : cases) {
    const Result r = Run(c.args, c.in);
    EXPECT_EQ(r.status, kExitOk) << r.err;
    EXPECT_EQ(r.out, c.out) << c.args[2];
  }
}

TEST_F(LanguagesCommandTest, RefusesBadCallsAndMissingLanguages) {
  EXPECT_EQ(Run({"words", "--language", "sr", "--patterns", "x"}).status, kExitUsage);
  EXPECT_EQ(Run({"words", "--language", "sr", "--left-min", "two"}).status, kExitUsage);
  EXPECT_EQ(Run({"words", "--left-min", "2"}).status, kExitUsage);
  EXPECT_EQ(Run({"languages", "extra"}).status, kExitUsage);
  const Result missing = Run({"words", "--language", "qq"});
  EXPECT_EQ(missing.status, kExitFailure);
  EXPECT_NE(missing.err.find("no hyphenation patterns are installed for the language 'qq'"), std::string::npos);
  EXPECT_EQ(Run({"words", "--patterns", (dir_ / "none.pat.txt").string()}).status, kExitFailure);
}

}  // namespace
}  // namespace corvane::cli
