// Reads within limits, writes that leave links, devices and modes as they
// were, and the temporary files a killed writer leaves.
#include "platform/file_io.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <streambuf>
#include <thread>

#include "platform/temporary_file.h"
#include "support/scratch_dir.h"

namespace corvane::platform {
namespace {

namespace fs = std::filesystem;

class FileIoTest : public ::testing::Test {
 protected:
  void SetUp() override { dir_ = test_support::FreshScratchDirForTest("file_io"); }
  void TearDown() override { fs::remove_all(dir_); }
  std::string Path(const std::string& name) const { return (dir_ / name).string(); }
  void Write(const std::string& name, const std::string& data) const {
    std::ofstream(Path(name), std::ios::binary) << data;
  }
  std::size_t Entries() const {
    return static_cast<std::size_t>(std::distance(fs::directory_iterator(dir_), fs::directory_iterator{}));
  }

  fs::path dir_;
};

// An input that never ends, as /dev/zero or `yes` on a pipe.
class EndlessBuffer : public std::streambuf {
 protected:
  int_type underflow() override {
    std::fill(std::begin(chunk_), std::end(chunk_), 'y');
    setg(chunk_, chunk_, chunk_ + sizeof chunk_);
    return traits_type::to_int_type('y');
  }

 private:
  char chunk_[4096];
};

TEST_F(FileIoTest, ReadsStopAtTheLimitAndAtARefusedStart) {
  Write("ten", "0123456789");
  ReadLimits limits;
  limits.max_bytes = 10;
  EXPECT_EQ(ReadFile(Path("ten"), limits), "0123456789");
  limits.max_bytes = 9;
  EXPECT_THROW(ReadFile(Path("ten"), limits), InputTooLargeError);
  std::istringstream in("0123456789");
  EXPECT_THROW(ReadStream(in, limits), InputTooLargeError);

  EndlessBuffer endless;
  std::istream forever(&endless);
  limits.max_bytes = 1 << 20;
  EXPECT_THROW(ReadStream(forever, limits), InputTooLargeError);

  // The start is judged once it is in, before the rest is read.
  std::size_t seen = 0;
  limits.head_bytes = 1000;
  limits.check_head = [&](std::string_view head) {
    seen = head.size();
    throw Error("refused");
  };
  EXPECT_THROW(ReadStream(forever, limits), Error);
  EXPECT_GE(seen, 1000u);
  EXPECT_LT(seen, 1000u + (1 << 16));
  EXPECT_THROW(ReadFile(Path("ten"), limits), Error);  // a shorter input is judged whole
  EXPECT_EQ(seen, 10u);
}

TEST_F(FileIoTest, LinksStayAndTheFileTheyNameIsReplaced) {
  fs::create_directory(dir_ / "real");
  Write("real/page.html", "old");
  chmod(Path("real/page.html").c_str(), 0604);
  fs::create_symlink("real/page.html", dir_ / "link.html");
  fs::create_symlink("real/new.html", dir_ / "dangling.html");
  WriteFileAtomically(Path("link.html"), "new");
  WriteFileAtomically(Path("dangling.html"), "made");
  EXPECT_TRUE(fs::is_symlink(dir_ / "link.html"));
  EXPECT_EQ(ReadFile(Path("real/page.html")), "new");
  EXPECT_EQ(fs::status(Path("real/page.html")).permissions() & fs::perms::all, fs::perms(0604));
  EXPECT_TRUE(fs::is_symlink(dir_ / "dangling.html"));
  EXPECT_EQ(ReadFile(Path("real/new.html")), "made");
  EXPECT_EQ(Entries(), 3u);
}

TEST_F(FileIoTest, DevicesAndFifosAreWrittenThroughNeverReplaced) {
  ASSERT_EQ(mknod(Path("null").c_str(), S_IFCHR | 0666, makedev(1, 3)), 0) << "needs root";
  WriteFileAtomically(Path("null"), "into the device");
  EXPECT_TRUE(fs::is_character_file(dir_ / "null"));

  ASSERT_EQ(mkfifo(Path("fifo").c_str(), 0600), 0);
  std::string received;
  std::thread reader([&] { received = ReadFile(Path("fifo")); });
  WriteFileAtomically(Path("fifo"), "through the pipe");
  reader.join();
  EXPECT_EQ(received, "through the pipe");
  EXPECT_TRUE(fs::is_fifo(dir_ / "fifo"));

  fs::create_directory(dir_ / "folder");
  EXPECT_THROW(WriteFileAtomically(Path("folder"), "x"), Error);
  EXPECT_EQ(Entries(), 3u);
}

TEST(TemporaryNameTest, OnlyOurNamesAreRecognised) {
  struct Case {
    const char* name;
    pid_t pid;  // 0: not ours
  };
  const Case cases[] = {
      {"page.html.corvane-123-aB3xYz.tmp", 123},
      {"CVHYPLIST.EDB.corvane-4194304-000000.tmp", 4194304},
      {".corvane-123-aB3xYz.tmp", 0},           // no target name
      {"page.html.corvane-123-aB3xY.tmp", 0},   // five random characters
      {"page.html.corvane--aB3xYz.tmp", 0},     // no process id
      {"page.html.corvane-12a-aB3xYz.tmp", 0},
      {"page.html.corvane-123-aB3x.z.tmp", 0},
      {"page.html.corvane-123-aB3xYz.tmp~", 0},
      {"page.html.corvane-0-aB3xYz.tmp", 0},
      {"page.html", 0},
  };
  for (const Case& c : cases) {
    pid_t pid = 0;
    EXPECT_EQ(ParseTemporaryName(c.name, &pid), c.pid != 0) << c.name;
    if (c.pid != 0) {
      EXPECT_EQ(pid, c.pid) << c.name;
    }
  }
}

// What a killed writer left is removed; a live writer's file, a locked one,
// a folder and names that are not ours stay.
TEST_F(FileIoTest, SweepRemovesOnlyDeadWritersFiles) {
  const pid_t child = fork();
  if (child == 0) _exit(0);
  waitpid(child, nullptr, 0);  // now a process id nobody has
  const std::string dead = std::to_string(child);
  Write("a.html.corvane-" + dead + "-AAAAAA.tmp", "left by a kill");
  Write("b.html.corvane-" + dead + "-BBBBBB.tmp", "locked by a writer elsewhere");
  Write("c.html.corvane-" + std::to_string(getppid()) + "-CCCCCC.tmp", "a live writer's");
  Write("d.html.corvane-" + dead + "-DDDDDD.tmp~", "not ours");
  fs::create_directory(dir_ / ("e.html.corvane-" + dead + "-EEEEEE.tmp"));
  const int locked = open(Path("b.html.corvane-" + dead + "-BBBBBB.tmp").c_str(), O_RDONLY);
  ASSERT_EQ(flock(locked, LOCK_EX), 0);
  RemoveStaleTemporaryFiles(dir_.string());
  close(locked);
  EXPECT_FALSE(fs::exists(Path("a.html.corvane-" + dead + "-AAAAAA.tmp")));
  EXPECT_EQ(Entries(), 4u);
}

}  // namespace
}  // namespace corvane::platform
