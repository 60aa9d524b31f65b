// What `corvane hyphenate` does with inputs it cannot hyphenate, with
// special files and links, with huge inputs and when it is interrupted.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include "cli/cli.h"
#include "platform/file_io.h"
#include "platform/temporary_file.h"
#include "support/scratch_dir.h"

namespace corvane::cli {
namespace {

namespace fs = std::filesystem;
using namespace std::string_literals;
using platform::ReadFile;

class HyphenateFilesTest : public ::testing::Test {
 protected:
  void SetUp() override { dir_ = test_support::FreshScratchDirForTest("hyphenate_files"); }
  void TearDown() override { fs::remove_all(dir_); }
  std::string Path(const std::string& name) const { return (dir_ / name).string(); }
  void Write(const std::string& name, const std::string& data) const {
    std::ofstream(Path(name), std::ios::binary) << data;
  }
  std::string Read(const std::string& name) const { return ReadFile(Path(name)); }
  int TemporaryFiles() const {
    int count = 0;
    pid_t pid = 0;
    for (const auto& entry : fs::directory_iterator(dir_)) {
      count += platform::ParseTemporaryName(entry.path().filename().string(), &pid) ? 1 : 0;
    }
    return count;
  }

  struct Result {
    int status;
    std::string out, err;
  };
  Result Run(std::vector<std::string> args, const std::string& input = "") const {
    args.push_back("--no-wordlist");
    std::istringstream in(input);
    std::ostringstream out, err;
    const int status = RunCli(args, in, out, err);
    return {status, out.str(), err.str()};
  }

  fs::path dir_;
};

TEST_F(HyphenateFilesTest, WhatIsNoDocumentIsRefusedUntouched) {
  struct Case {
    const char* name;
    std::string bytes;
    const char* reason;
  };
  const Case cases[] = {
      {"book.zip", "PK\3\4mimetypeapplication/epub+zip"s, "zip archive"},
      {"image.png", "\x89PNG\r\n\x1A\n\0\0\0\rIHDR"s, "PNG image"},
      {"paper.pdf", "%PDF-1.4 understanding", "PDF document"},
      {"nul.html", "<p>hyphenation\0</p>"s, "NUL bytes"},
      {"utf16.html", "\xFF\xFE<\0p\0>\0"s, "UTF-16 text"},
      {"utf32.html", "\0\0\xFE\xFF\0\0\0<"s, "UTF-32 text"},
  };
  for (const char* jobs : {"1", "3"}) {
    std::vector<std::string> args = {"hyphenate", "--in-place", "-j", jobs};
    std::string expected_err;
    for (const Case& c : cases) {
      Write(c.name, c.bytes);
      args.push_back(Path(c.name));
      expected_err += "corvane: " + Path(c.name) + ": not an HTML or text document (" + c.reason + ")\n";
    }
    Write("good.html", "hyphenation");
    args.push_back(Path("good.html"));
    const Result r = Run(args);
    EXPECT_EQ(r.status, kExitFailure) << jobs;
    EXPECT_EQ(r.err, expected_err) << jobs;
    for (const Case& c : cases) EXPECT_EQ(Read(c.name), c.bytes) << c.name;
    EXPECT_EQ(Read("good.html"), "hy&shy;phen&shy;ation") << jobs;
  }
  // Nothing is written for a refused input: no output file, nothing on stdout.
  EXPECT_EQ(Run({"hyphenate", Path("book.zip"), "-o", Path("out.html")}).status, kExitFailure);
  EXPECT_FALSE(fs::exists(Path("out.html")));
  const Result piped = Run({"hyphenate"}, "GIF89a understanding");
  EXPECT_EQ(piped.err, "corvane: -: not an HTML or text document (GIF image)\n");
  EXPECT_EQ(piped.out, "");
  EXPECT_EQ(TemporaryFiles(), 0);
}

TEST_F(HyphenateFilesTest, InputsLargerThanTheLimitAreRefused) {
  Write("eleven.html", "hyphenation");
  const Result r = Run({"hyphenate", "--max-input-size=10", "--in-place", Path("eleven.html")});
  EXPECT_EQ(r.status, kExitFailure);
  EXPECT_EQ(r.err, "corvane: " + Path("eleven.html") + ": larger than the limit of 10 bytes (--max-input-size)\n");
  EXPECT_EQ(Read("eleven.html"), "hyphenation");
  const Result piped = Run({"hyphenate", "--max-input-size", "10"}, "hyphenation");
  EXPECT_EQ(piped.err, "corvane: -: larger than the limit of 10 bytes (--max-input-size)\n");
  EXPECT_EQ(Run({"hyphenate", "--max-input-size", "11"}, "hyphenation").out, "hy&shy;phen&shy;ation");

  for (const char* size : {"1K", "64M", "1g", "2T"}) {
    EXPECT_EQ(Run({"hyphenate", "--max-input-size", size}, "x").status, kExitOk) << size;
  }
  for (const char* size : {"0", "", "-1", "1X", "1KB", "K", "99999999999999999999"}) {
    EXPECT_EQ(Run({"hyphenate", "--max-input-size", size}, "x").status, kExitUsage) << size;
  }
}

TEST_F(HyphenateFilesTest, SpecialFilesAreWrittenThroughAndNeverReplaced) {
  Write("page.html", "hyphenation");
  ASSERT_EQ(mknod(Path("null").c_str(), S_IFCHR | 0666, makedev(1, 3)), 0) << "needs root";
  ASSERT_EQ(mkfifo(Path("fifo").c_str(), 0600), 0);
  EXPECT_EQ(Run({"hyphenate", Path("page.html"), "-o", Path("null")}).status, kExitOk);
  EXPECT_TRUE(fs::is_character_file(dir_ / "null"));

  for (const char* special : {"null", "fifo"}) {
    const Result r = Run({"hyphenate", "--in-place", Path(special)});
    EXPECT_EQ(r.status, kExitFailure);
    EXPECT_EQ(r.err, "corvane: " + Path(special) +
                         ": not a regular file (--in-place replaces only regular files)\n");
  }
  EXPECT_TRUE(fs::is_character_file(dir_ / "null"));
  EXPECT_TRUE(fs::is_fifo(dir_ / "fifo"));

  fs::create_symlink("page.html", dir_ / "link.html");
  EXPECT_EQ(Run({"hyphenate", "--in-place", Path("link.html")}).status, kExitOk);
  EXPECT_TRUE(fs::is_symlink(dir_ / "link.html"));
  EXPECT_EQ(Read("page.html"), "hy&shy;phen&shy;ation");
}

// The built tool in a child process, signalled while it writes a large page
// in place: the temporary file goes with it, and the exit is by the signal.
class InterruptedWriteTest : public HyphenateFilesTest {
 protected:
  void SetUp() override {
    HyphenateFilesTest::SetUp();
    std::string page = "<p>";
    while (page.size() < (8u << 20)) page += "understanding hyphenation representation concatenation ";
    page_ = page + "</p>";
    Write("page.html", page_);
  }

  pid_t Start(const std::string& file) const {
    const pid_t pid = fork();
    if (pid == 0) {
      execl(CORVANE_TOOL, "corvane", "hyphenate", "--no-wordlist", "--in-place", file.c_str(), nullptr);
      _exit(127);
    }
    return pid;
  }

  // Signals the child once its temporary file is there; false when it ended first.
  bool SignalWhileWriting(pid_t pid, int signal_number) const {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (TemporaryFiles() == 0) {
      if (waitpid(pid, nullptr, WNOHANG) == pid || std::chrono::steady_clock::now() > deadline) return false;
      std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
    return kill(pid, signal_number) == 0;
  }

  std::string page_;
};

TEST_F(InterruptedWriteTest, SignalsRemoveTheTemporaryFileAndEndByTheSignal) {
  for (int signal_number : {SIGINT, SIGTERM, SIGHUP}) {
    const pid_t pid = Start(Path("page.html"));
    ASSERT_TRUE(SignalWhileWriting(pid, signal_number)) << signal_number;
    int status = 0;
    ASSERT_EQ(waitpid(pid, &status, 0), pid);
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == signal_number) << signal_number << " " << status;
    EXPECT_EQ(TemporaryFiles(), 0) << signal_number;
    EXPECT_EQ(Read("page.html"), page_) << signal_number;
  }
}

TEST_F(InterruptedWriteTest, WhatAKillLeavesTheNextWriteInTheFolderRemoves) {
  const pid_t pid = Start(Path("page.html"));
  ASSERT_TRUE(SignalWhileWriting(pid, SIGKILL));
  ASSERT_EQ(waitpid(pid, nullptr, 0), pid);
  EXPECT_EQ(TemporaryFiles(), 1);
  Write("other.html", "hyphenation");
  // A process of its own: a process sweeps a folder once.
  const pid_t next = Start(Path("other.html"));
  int status = 0;
  ASSERT_EQ(waitpid(next, &status, 0), next);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == kExitOk);
  EXPECT_EQ(Read("other.html"), "hy&shy;phen&shy;ation");
  EXPECT_EQ(TemporaryFiles(), 0);
  EXPECT_EQ(Read("page.html"), page_);
}

}  // namespace
}  // namespace corvane::cli
