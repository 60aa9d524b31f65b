#include "cli/cli.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "platform/file_io.h"
#include "platform/error.h"
#include "support/scratch_dir.h"

namespace corvane::cli {
namespace {

namespace fs = std::filesystem;
using platform::ReadFile;

struct RunResult {
  int status;
  std::string out, err;
};

// Runs the tool without the word list: these tests are about the engine,
// the passes and the files; the word list has tests of its own.
RunResult Cli(std::vector<std::string> args, const std::string& input = "") {
  if (!args.empty() && (args[0] == "hyphenate" || args[0] == "words")) args.push_back("--no-wordlist");
  std::istringstream in(input);
  std::ostringstream out, err;
  const int status = RunCli(args, in, out, err);
  return {status, out.str(), err.str()};
}

class CliFilesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = test_support::FreshScratchDirForTest("cli");
  }
  void TearDown() override { fs::remove_all(dir_); }
  std::string Path(const std::string& name) const { return (dir_ / name).string(); }
  void Write(const std::string& name, const std::string& data) const {
    std::ofstream(Path(name), std::ios::binary) << data;
  }
  std::string Read(const std::string& name) const { return ReadFile(Path(name)); }

  fs::path dir_;
};

TEST(CliTest, UsageAndVersion) {
  struct Case {
    std::vector<std::string> args;
    int status;
  };
  const Case cases[] = {
      {{}, kExitUsage},
      {{"frobnicate"}, kExitUsage},
      {{"hyphenate", "--mode=sideways"}, kExitUsage},
      {{"hyphenate", "--pass"}, kExitUsage},
      {{"hyphenate", "--language="}, kExitUsage},
      {{"hyphenate", "--left-min=0"}, kExitUsage},
      {{"hyphenate", "--bogus"}, kExitUsage},
      {{"hyphenate", "-o", "x", "a", "b"}, kExitUsage},
      {{"hyphenate", "--in-place"}, kExitUsage},
      {{"hyphenate", "--stats=yes"}, kExitUsage},
      {{"words", "extra"}, kExitUsage},
      {{"--help"}, kExitOk},
      {{"hyphenate", "--help"}, kExitOk},
      {{"--version"}, kExitOk},
  };
  for (const Case& c : cases) {
    const RunResult r = Cli(c.args);
    EXPECT_EQ(r.status, c.status) << (c.args.empty() ? "" : c.args[0]) << " " << r.err;
    if (c.status == kExitUsage) {
      EXPECT_NE(r.err.find("corvane: "), std::string::npos);
    }
  }
  EXPECT_EQ(Cli({"--version"}).out.rfind("corvane ", 0), 0u);
}

TEST(CliTest, HyphenateModes) {
  const std::string page = "<p>hyphenation ki&shy;tap</p>";
  EXPECT_EQ(Cli({"hyphenate"}, page).out, "<p>hy&shy;phen&shy;ation ki&shy;tap</p>");
  EXPECT_EQ(Cli({"hyphenate", "--mode=toggle"}, page).out, "<p>hyphenation kitap</p>");
  // Only real soft hyphens go; "&SHY;" is text, U+00AD one only in UTF-8.
  EXPECT_EQ(Cli({"hyphenate", "--mode=unhyphenate"}, "a&SHY;b&shy;c&#xAD;d&#0173;e").out, "a&SHY;bcde");
  EXPECT_EQ(Cli({"hyphenate", "--mode=toggle"}, "<p>ki\xC2\xADtap</p>").out, "<p>kitap</p>");
  // Hyphenating twice gives what hyphenating once gives.
  const std::string once = Cli({"hyphenate"}, page).out;
  EXPECT_EQ(Cli({"hyphenate"}, once).out, once);
}

TEST(CliTest, LanguageOfWordsNoListHolds) {
  const std::string english_page = "<p>kelimeler</p>";
  EXPECT_EQ(Cli({"hyphenate", "--language=tr"}, english_page).out, "<p>ke&shy;li&shy;me&shy;ler</p>");
  EXPECT_EQ(Cli({"hyphenate", "--language=en"}, english_page).out, Cli({"hyphenate"}, english_page).out);
  EXPECT_EQ(Cli({"hyphenate"}, "<p lang=tr-TR>kelimeler</p>").out,
            "<p lang=tr-TR>ke&shy;li&shy;me&shy;ler</p>");
}

TEST(CliTest, StatisticsOfBothPasses) {
  const std::string text = "<p>hyphenation hyphenation table is</p>";
  const RunResult text_pass = Cli({"hyphenate", "--pass=text", "--stats"}, text);
  // English words are Unicode words: every distinct one counts, "is" too.
  EXPECT_EQ(text_pass.err, "Total Words : 4\nUnique Words : 3\nWords Hyphenated : 2\n");
  const RunResult document = Cli({"hyphenate", "--stats"}, text);
  EXPECT_EQ(document.err, "Unique Words : 3\n");
  EXPECT_EQ(document.out, text_pass.out);
}

TEST(CliTest, WordsCommand) {
  EXPECT_EQ(Cli({"words"}, "hyphenation\nHellos\nab-cd\n\nTable\n").out,
            "hy_phen_ation\nH_e_ll_os\nab-cd\n\nTable\n");
  // The engine sees each whole line, tabs and spaces included.
  EXPECT_EQ(Cli({"words", "--engine-only"}, "  concatenation  hyphenation\tx\nlast").out,
            "  con_cate_na_tion  hy_phen_ation\tx\nlast\n");
  // Code page 1254 by default, UTF-8 on request.
  EXPECT_EQ(Cli({"words"}, "\xF6\xF0retmen\n").out, "\xF6\xF0ret_men\n");
  EXPECT_EQ(Cli({"words", "--utf8"}, "öğretmen\n").out, "öğret_men\n");
  // The engine alone reads in blocks: lines that straddle them, and a last
  // line longer than a block with no LF, come out whole.
  std::string input, expected;
  for (int i = 0; i < 150000; ++i) {
    input += "concatenation\n";
    expected += "con_cate_na_tion\n";
  }
  std::string tail;
  for (int i = 0; i < 400000; ++i) tail += "abc ";
  EXPECT_EQ(Cli({"words", "--engine-only"}, input + tail).out, expected + tail + "\n");
}

TEST(CliTest, Utf8DocumentsComeBackAsUtf8) {
  // Emoji cannot live in code page 1254; it passes through as one letter of
  // its word and is never split. The page is Turkish by its letters; the
  // emoji's word is not for the Turkish rule.
  const std::string page = "\xEF\xBB\xBF<p>öğretmenler 🙂hyphenation</p>\r\n";
  const RunResult r = Cli({"hyphenate"}, page);
  EXPECT_EQ(r.status, kExitOk);
  EXPECT_EQ(r.out, "\xEF\xBB\xBF<p>öğ&shy;ret&shy;men&shy;ler 🙂hy&shy;phen&shy;ation</p>\r\n");
  // A stray byte in a page declared UTF-8 stays, and parts words; no soft
  // hyphen lands inside a letter.
  EXPECT_EQ(Cli({"hyphenate", "--language=tr"}, "<meta charset=utf-8>öğretmenler\xFFöğretmenler").out,
            "<meta charset=utf-8>öğ&shy;ret&shy;men&shy;ler\xFFöğ&shy;ret&shy;men&shy;ler");
  // Forced UTF-8 refuses bytes that are not UTF-8.
  EXPECT_EQ(Cli({"hyphenate", "--encoding=utf-8"}, "\xFF").status, kExitFailure);
}

TEST(CliTest, BadInputNeverCrashes) {
  std::string binary;
  // Every byte but NUL, which marks a file as no document at all.
  for (int i = 0; i < 1 << 16; ++i) binary += static_cast<char>(std::max((i * 7919) & 0xFF, 1));
  binary += std::string(1 << 20, 'x');  // a 1 MB token
  binary += "<unterminated &amp &#x12345; <!-- ";
  const RunResult r = Cli({"hyphenate"}, binary);
  EXPECT_EQ(r.status, kExitOk);
  EXPECT_EQ(Cli({"hyphenate", "--mode=unhyphenate"}, r.out).out, binary);
}

TEST_F(CliFilesTest, OutputFilesAndInPlace) {
  Write("a.html", "<p>hyphenation</p>\n");
  Write("b.html", "<p>concatenation</p>\n");
  EXPECT_EQ(Cli({"hyphenate", Path("a.html"), "-o", Path("out.html")}).status, kExitOk);
  EXPECT_EQ(Read("out.html"), "<p>hy&shy;phen&shy;ation</p>\n");
  EXPECT_EQ(Read("a.html"), "<p>hyphenation</p>\n");

  chmod(Path("b.html").c_str(), 0640);
  EXPECT_EQ(Cli({"hyphenate", "--in-place", Path("a.html"), Path("b.html")}).status, kExitOk);
  EXPECT_EQ(Read("b.html"), "<p>con&shy;cate&shy;na&shy;tion</p>\n");
  struct stat info {};
  ASSERT_EQ(stat(Path("b.html").c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0640u);
  // No temporary files are left behind.
  EXPECT_EQ(std::distance(fs::directory_iterator(dir_), fs::directory_iterator()), 3);
}

TEST_F(CliFilesTest, FailuresNameTheFileAndKeepTheOthers) {
  Write("good.html", "hyphenation");
  const RunResult r = Cli({"hyphenate", Path("missing.html"), Path("good.html")});
  EXPECT_EQ(r.status, kExitFailure);
  EXPECT_NE(r.err.find("missing.html: cannot open"), std::string::npos) << r.err;
  EXPECT_EQ(r.out, "hy&shy;phen&shy;ation");

  // An output that cannot be written leaves nothing behind.
  const RunResult w = Cli({"hyphenate", Path("good.html"), "-o", Path("no/such/dir/out.html")});
  EXPECT_EQ(w.status, kExitFailure);
  EXPECT_EQ(Read("good.html"), "hyphenation");
}

TEST_F(CliFilesTest, UserDictionary) {
  Write("dict.txt", "# my words\r\nKi_tap\r\n\r\n  hyphen_ation  \r\nd\xC3\xBCn_ya\n");
  const RunResult r = Cli({"hyphenate", "--dictionary", Path("dict.txt")},
                    "Kitap kitap hyphenation d\xFCnya D\xFCnya");
  EXPECT_EQ(r.out, "Ki&shy;tap ki&shy;tap hyphen&shy;ation d\xFCn&shy;ya D\xFCn&shy;ya");

  // The stem before an apostrophe and capitals find their entry whatever
  // comes first in the page (FD ı, DD İ, 92 ’).
  Write("stems.txt", "ki_tap_lar\xFD\n");
  for (const std::string page : {"kitaplar\xFD\x92n\xFD kitaplar\xFD K\xDDTAPLARI",
                                 "K\xDDTAPLARI kitaplar\xFD kitaplar\xFD\x92n\xFD"}) {
    const RunResult stems = Cli({"hyphenate", "--no-wordlist", "--dictionary", Path("stems.txt")}, page);
    EXPECT_EQ(stems.out.find("la&shy;r"), std::string::npos) << stems.out;
    EXPECT_EQ(stems.out.find("LA&shy;R"), std::string::npos) << stems.out;
  }

  Write("bad.txt", "good\nki tap\n");
  const RunResult bad = Cli({"hyphenate", "--dictionary", Path("bad.txt")}, "x");
  EXPECT_EQ(bad.status, kExitFailure);
  EXPECT_NE(bad.err.find("line 2"), std::string::npos) << bad.err;
}

}  // namespace
}  // namespace corvane::cli

namespace corvane::cli {
namespace {

TEST_F(CliFilesTest, InPlaceJobsGiveWhatOneAtATimeGives) {
  const std::vector<std::string> pages = {"<p>hyphenation</p>", "concatenation <b>dictionary</b>",
                                          "<p>Hyphenation &amp; representation</p>", "", "international"};
  std::vector<std::string> files;
  for (std::size_t i = 0; i < 24; ++i) {
    Write("p" + std::to_string(i), pages[i % pages.size()]);
    files.push_back(Path("p" + std::to_string(i)));
  }
  files.insert(files.begin() + 7, Path("missing.html"));
  std::vector<std::string> args = {"hyphenate", "--in-place", "-v", "-j", "1"};
  args.insert(args.end(), files.begin(), files.end());
  const RunResult one = Cli(args);
  std::vector<std::string> serial;
  for (std::size_t i = 0; i < 24; ++i) serial.push_back(Read("p" + std::to_string(i)));

  for (std::size_t i = 0; i < 24; ++i) Write("p" + std::to_string(i), pages[i % pages.size()]);
  args[4] = "4";
  const RunResult four = Cli(args);
  EXPECT_EQ(four.status, kExitFailure);  // the worst file's status
  EXPECT_EQ(four.status, one.status);
  EXPECT_EQ(four.err, one.err);  // messages in the order of the files
  EXPECT_NE(four.err.find("missing.html: cannot open"), std::string::npos) << four.err;
  for (std::size_t i = 0; i < 24; ++i) EXPECT_EQ(Read("p" + std::to_string(i)), serial[i]) << i;
  EXPECT_EQ(serial[0], "<p>hy&shy;phen&shy;ation</p>");
}

TEST(CliTest, JobsMustBeAPositiveNumber) {
  for (const char* jobs : {"0", "-1", "x", "2x", "", "99999999999"}) {
    EXPECT_EQ(Cli({"hyphenate", "--in-place", "-j", jobs, "a"}).status, kExitUsage) << jobs;
  }
}

}  // namespace
}  // namespace corvane::cli
