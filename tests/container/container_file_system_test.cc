#include "container/container_file_system.h"

#include <gtest/gtest.h>

#include <signal.h>
#include <sys/resource.h>

#include <random>

#include "container/container_check.h"
#include "container/user_file_page_map_manager.h"
#include "container_test_util.h"
#include "platform/error.h"

namespace corvane::container {
namespace {

using testing::TempDirTest;

class ContainerFileSystemTest : public TempDirTest {
 protected:
  std::unique_ptr<TContainerFileSystem> Create(ContainerSettings settings = {}) {
    return std::make_unique<TContainerFileSystem>(Path("c.edb"), settings, true);
  }
  std::unique_ptr<TContainerFileSystem> Reopen(ContainerSettings settings = {}) {
    return std::make_unique<TContainerFileSystem>(Path("c.edb"), settings, false);
  }
  static std::string ReadAll(TContainerFileSystem& c, const std::string& name) {
    const int h = c.FileOpen(name, kModeRead);
    EXPECT_GE(h, 0) << name;
    std::string data;
    char chunk[65536];
    for (int64_t n; (n = c.FileRead(h, chunk, sizeof chunk)) > 0;) data.append(chunk, static_cast<std::size_t>(n));
    c.FileClose(h);
    return data;
  }
  static void WriteAll(TContainerFileSystem& c, const std::string& name, const std::string& data) {
    const int h = c.FileCreate(name);
    ASSERT_GE(h, 0) << name;
    ASSERT_EQ(c.FileWrite(h, data.data(), static_cast<int64_t>(data.size())), static_cast<int64_t>(data.size()));
    c.FileClose(h);
  }
};

TEST_F(ContainerFileSystemTest, ReadsAndWritesAtPositions) {
  auto c = Create();
  const int h = c->FileCreate("f");
  EXPECT_EQ(c->FileWrite(h, "x", 1), 1);  // one byte: one data page, one map page
  EXPECT_EQ(c->FileGetSize(h), 1);
  const FilePageMap& map = c->PageMaps().GetMaps(c->Entries()[0].first_map_page, 1);
  EXPECT_EQ(map.data_pages.size(), 1u);
  EXPECT_EQ(map.map_pages.size(), 1u);

  const std::string text(10000, 'q');
  c->FileSeek(h, 0, 0);
  EXPECT_EQ(c->FileWrite(h, text.data(), 10000), 10000);
  char buffer[16];
  EXPECT_EQ(c->FileRead(h, buffer, 10), 0);  // at the end
  EXPECT_EQ(c->FileSeek(h, -4, 2), 9996);
  EXPECT_EQ(c->FileRead(h, buffer, 10), 4);
  EXPECT_EQ(c->FileSeek(h, 5000, 0), 5000);
  EXPECT_EQ(c->FileWrite(h, "ABC", 3), 3);
  EXPECT_EQ(c->FileSeek(h, 20000, 0), 20000);  // past the end: the gap reads as zeros
  EXPECT_EQ(c->FileWrite(h, "Z", 1), 1);
  c->FileClose(h);
  c.reset();

  c = Reopen();
  const std::string back = ReadAll(*c, "F");
  ASSERT_EQ(back.size(), 20001u);
  EXPECT_EQ(back.substr(4998, 7), "qqABCqq");
  EXPECT_EQ(back.substr(10000, 10000), std::string(10000, '\0'));
  EXPECT_EQ(back.back(), 'Z');
  EXPECT_TRUE(CheckContainer(Path("c.edb")).empty());
}

TEST_F(ContainerFileSystemTest, SetSizeCutsAndExtends) {
  auto c = Create();
  WriteAll(*c, "f", std::string(9000, 'a'));
  const int h = c->FileOpen("f", kModeReadWrite);
  EXPECT_EQ(c->FileSetSize(h, 100), 100);
  EXPECT_EQ(c->FileSetSize(h, 5000), 5000);  // cut bytes come back as zeros
  c->FileClose(h);
  const std::string back = ReadAll(*c, "f");
  EXPECT_EQ(back, std::string(100, 'a') + std::string(4900, '\0'));
  c.reset();
  EXPECT_TRUE(CheckContainer(Path("c.edb")).empty());
}

TEST_F(ContainerFileSystemTest, OpenModesAndSharing) {
  auto c = Create();
  WriteAll(*c, "f", "hello");
  // Opening with the write mode empties the file.
  int h = c->FileOpen("f", kModeWrite);
  EXPECT_EQ(c->FileGetSize(h), 0);
  c->FileClose(h);
  EXPECT_EQ(c->FileOpen("missing", kModeRead), -1);
  // An exclusive open refuses a second open, and the other way round.
  h = c->FileOpen("f", kModeReadWrite | kShareExclusive);
  EXPECT_EQ(c->FileOpen("f", kModeRead | kShareShared), -1);
  c->FileClose(h);
  h = c->FileOpen("f", kModeRead | kShareShared);
  EXPECT_EQ(c->FileOpen("f", kModeRead | kShareExclusive), -1);
  // An open file can be neither deleted nor renamed.
  EXPECT_FALSE(c->DeleteFile("f"));
  EXPECT_FALSE(c->RenameFile("f", "g"));
  c->FileClose(h);
  EXPECT_TRUE(c->RenameFile("f", "g"));
  EXPECT_FALSE(c->FileExists("f"));
  EXPECT_TRUE(c->FileExists("G"));
  EXPECT_TRUE(c->DeleteFile("g"));
  EXPECT_FALSE(c->FileExists("g"));
}

TEST_F(ContainerFileSystemTest, DeletedItemsAndPagesAreReused) {
  auto c = Create();
  WriteAll(*c, "a", std::string(50000, 'a'));
  WriteAll(*c, "b", "b");
  const int32_t pages_before = c->Pages().PageCount();
  ASSERT_TRUE(c->DeleteFile("a"));
  WriteAll(*c, "c", std::string(50000, 'c'));
  EXPECT_EQ(c->Entries().front().name, "c");  // item 0 reused
  EXPECT_EQ(c->Pages().PageCount(), pages_before);
  c.reset();
  EXPECT_TRUE(CheckContainer(Path("c.edb")).empty());
}

TEST_F(ContainerFileSystemTest, DirectoriesAndFinding) {
  auto c = Create();
  ASSERT_TRUE(c->ForceDirectories("data/tables"));
  WriteAll(*c, "data/tables/HYPLIST.dat", "d");
  WriteAll(*c, "data\\tables\\HYPLIST.idx", "i");
  WriteAll(*c, "data/tables/other.dat", "o");
  WriteAll(*c, "top.dat", "t");
  EXPECT_EQ(c->FileCreate("nowhere/x"), -1);
  EXPECT_THROW(c->ForceDirectories("top.dat/x"), Error);

  SearchRec rec;
  std::vector<std::string> found;
  for (int r = c->FindFirst("data/tables/*.DAT", 0, rec); r == 0; r = c->FindNext(rec)) {
    found.push_back(rec.entry.name);
  }
  c->FindClose(rec);
  EXPECT_EQ(found, (std::vector<std::string>{"HYPLIST.dat", "other.dat"}));
  found.clear();
  for (int r = c->FindFirst("*", kAttrDirectory, rec); r == 0; r = c->FindNext(rec)) found.push_back(rec.entry.name);
  EXPECT_EQ(found, (std::vector<std::string>{"data", "top.dat"}));
  EXPECT_NE(c->FindFirst("data/?????.idx", 0, rec), 0);
  EXPECT_EQ(c->FindFirst("data/tables/???????.idx", 0, rec), 0);
  EXPECT_TRUE(c->RenameFile("top.dat", "data/moved.dat"));
  EXPECT_EQ(ReadAll(*c, "data/moved.dat"), "t");
  EXPECT_EQ(c->PathOf(c->Entries().back().item), "data/moved.dat");
}

TEST_F(ContainerFileSystemTest, SmallPartsSpreadOverSeveralFiles) {
  ContainerSettings settings;
  settings.part_size = 280 + 10000;  // pages straddle part boundaries
  std::mt19937 rng(7);
  std::string data(300000, '\0');
  for (char& ch : data) ch = static_cast<char>(rng());
  {
    auto c = Create(settings);
    WriteAll(*c, "big", data);
  }
  EXPECT_TRUE(std::filesystem::exists(Path("c.edb1")));
  EXPECT_TRUE(std::filesystem::exists(Path("c.edb30")));
  auto c = Reopen();
  EXPECT_EQ(ReadAll(*c, "big"), data);
  c.reset();
  EXPECT_TRUE(CheckContainer(Path("c.edb")).empty());
  std::filesystem::remove(Path("c.edb7"));
  EXPECT_THROW(Reopen(), Error);
}

TEST_F(ContainerFileSystemTest, ReadOnlyContainersRefuseWrites) {
  { auto c = Create(); WriteAll(*c, "f", "keep"); }
  ContainerSettings read_only;
  read_only.read_only = true;
  auto c = Reopen(read_only);
  EXPECT_TRUE(c->ReadOnly());
  EXPECT_EQ(c->FileOpen("f", kModeReadWrite), -1);
  EXPECT_EQ(c->FileCreate("g"), -1);
  EXPECT_FALSE(c->DeleteFile("f"));
  EXPECT_EQ(ReadAll(*c, "f"), "keep");
}

TEST_F(ContainerFileSystemTest, PasswordProtectedContainers) {
  ContainerSettings settings;
  settings.password = "s3cret";
  {
    auto c = Create(settings);
    WriteAll(*c, "f", "private words");
  }
  const std::vector<uint8_t> raw = ReadBytes(Path("c.edb"));
  EXPECT_EQ(std::search(raw.begin(), raw.end(), std::begin("private") , std::end("private") - 1), raw.end());
  EXPECT_EQ(raw[280 + 224], 1);  // encrypted flag
  EXPECT_EQ(ReadAll(*Reopen(settings), "f"), "private words");
  try {
    Reopen();
    ADD_FAILURE() << "opened without the password";
  } catch (const Error& e) {
    EXPECT_EQ(std::string(e.what()),
              "TContainerFileSystem.Create - invalid password specified, file name = " + Path("c.edb"));
  }
  EXPECT_TRUE(CheckContainer(Path("c.edb"), "s3cret").empty());
  settings.password = std::string(33, 'p');
  EXPECT_THROW(Create(settings), Error);
}

TEST_F(ContainerFileSystemTest, DamageIsReportedNotFollowed) {
  {
    auto c = Create();
    WriteAll(*c, "f", std::string(20000, 'f'));
  }
  const std::vector<uint8_t> good = ReadBytes(Path("c.edb"));
  std::vector<uint8_t> b;
  // Changes bytes and, unless asked not to, fixes the page's checksum, so the
  // damage is in what the page says rather than in how it was stored.
  auto damaged = [&](std::size_t at, std::vector<uint8_t> bytes, bool fix_checksum = true) {
    std::copy(bytes.begin(), bytes.end(), b.begin() + static_cast<long>(at));
    const std::size_t page = (at - 280) / 4096;
    const std::size_t length = page == 4 ? 7 * 512 : 4064;
    uint32_t x = 0;
    for (std::size_t i = 0; i < length; i += 4) x ^= U32(b, 280 + page * 4096 + 32 + i);
    if (fix_checksum) {
      for (int i = 0; i < 4; ++i) b[280 + page * 4096 + 4 + i] = static_cast<uint8_t>(x >> (8 * i));
    }
    WriteBytes(Path("c.edb"), b);
  };
  const std::size_t dir_item = 280 + 4 * 4096 + 32;
  const std::size_t map_page = 280 + 5 * 4096;
  // A data page's checksum no longer matches: the read stops short.
  b = good;
  damaged(280 + 6 * 4096 + 100, {0x55}, false);
  {
    auto c = Reopen();
    const int h = c->FileOpen("f", kModeRead);
    std::string buffer(20000, '\0');
    EXPECT_EQ(c->FileRead(h, buffer.data(), 20000), 0);
    EXPECT_EQ(c->LastError(), kErrChecksum);
  }
  EXPECT_FALSE(CheckContainer(Path("c.edb")).empty());
  // A size far beyond the file, a map page pointing outside, a looping chain.
  b = good;
  damaged(dir_item + 4, {0, 0, 0, 0, 0, 0, 0, 0x10});
  EXPECT_THROW(ReadAll(*Reopen(), "f"), Error);
  std::vector<std::string> problems = CheckContainer(Path("c.edb"));
  ASSERT_FALSE(problems.empty());
  EXPECT_NE(problems.front().find("Invalid page No in map chain"), std::string::npos) << problems.front();
  // A map entry outside the container.
  b = good;
  damaged(map_page + 32, {0xFF, 0xFF, 0, 0});
  EXPECT_THROW(ReadAll(*Reopen(), "f"), Error);
  // A file needing two map pages whose chain loops back to its first.
  b = good;
  damaged(dir_item + 4, {0xC0, 0xFF, 0x00, 0x00, 0, 0, 0, 0});  // 65,472 bytes: 17 pages
  b[280 + 48] = 0xFF;  // pretend the container is large enough
  damaged(map_page, {5, 0, 0, 0});
  problems = CheckContainer(Path("c.edb"));
  ASSERT_FALSE(problems.empty());
}

// Growing a file whose map pages are exactly full starts a new map page;
// the chain must reach it.
TEST_F(ContainerFileSystemTest, AppendAfterAFullMapPageKeepsTheChain) {
  const std::string full(static_cast<std::size_t>(1016 * 4064), 'f');  // 1016 data pages: one full map page
  {
    auto c = Create();
    WriteAll(*c, "f", full);
    const int h = c->FileOpen("f", kModeReadWrite);
    c->FileSeek(h, 0, 2);
    ASSERT_EQ(c->FileWrite(h, "tail", 4), 4);
    c->FileClose(h);
  }
  EXPECT_EQ(CheckContainer(Path("c.edb")), std::vector<std::string>{});
  auto c = Reopen();
  EXPECT_EQ(ReadAll(*c, "f"), full + "tail");
}

// A file written in one session, never read, does not stay in memory.
TEST_F(ContainerFileSystemTest, WritingKeepsThePageCacheBounded) {
  ContainerSettings settings;
  settings.page_size_kb = 1;
  auto c = Create(settings);
  const int h = c->FileCreate("big");
  const std::string chunk(1 << 20, 'b');
  for (int i = 0; i < 24; ++i) ASSERT_EQ(c->FileWrite(h, chunk.data(), 1 << 20), 1 << 20);
  c->FileClose(h);
  EXPECT_LT(c->Pages().CachedPageCount(), 20000u);  // 24 MB are about 25,000 pages of 1 KB
}

// An interrupted write can leave the PFS map behind the pages it describes;
// the next writable open must believe the directory and page maps instead.
TEST_F(ContainerFileSystemTest, WritableOpenMendsFreeSpaceMaps) {
  const std::string kept(9000, 'k');  // three data pages and a map page
  int32_t used_page = 0;
  {
    auto c = Create();
    WriteAll(*c, "kept", kept);
    used_page = c->PageMaps().GetMaps(c->Entries().front().first_map_page, 3).data_pages[1];
    const Geometry& g = c->Pages().geometry();
    std::vector<uint8_t> pfs(static_cast<std::size_t>(g.pfs_bytes));
    ASSERT_TRUE(c->Pages().ReadPage(1, pfs.data(), g.pfs_bytes));
    pfs[static_cast<std::size_t>(used_page - 1) / 8] |= static_cast<uint8_t>(1u << ((used_page - 1) % 8));  // used, said free
    const int32_t idle = c->Pages().PageCount() - 1;
    pfs[static_cast<std::size_t>(idle - 1) / 8] &= static_cast<uint8_t>(~(1u << ((idle - 1) % 8)));  // idle, said used
    ASSERT_TRUE(c->Pages().WritePage(1, pfs.data(), g.pfs_bytes, kPagePfs, kNoPage));
    c->Flush();
  }
  EXPECT_EQ(CheckContainer(Path("c.edb")).size(), 2u);
  {
    auto c = Reopen();
    // The page that PFS called free is not handed to the next file.
    WriteAll(*c, "next", std::string(4064, 'n'));
  }
  EXPECT_EQ(CheckContainer(Path("c.edb")), std::vector<std::string>{});
  auto c = Reopen();
  EXPECT_EQ(ReadAll(*c, "kept"), kept);
}

}  // namespace
}  // namespace corvane::container

namespace corvane::container {
namespace {

// The disk refuses to grow the file (a file-size limit stands in for a full
// disk): the write fails with a message and what was stored stays readable.
TEST_F(ContainerFileSystemTest, FailedGrowthKeepsWhatWasStored) {
  {
    auto c = Create();
    WriteAll(*c, "kept", std::string(30000, 'k'));
  }
  const auto size = static_cast<rlim_t>(std::filesystem::file_size(Path("c.edb")));
  struct rlimit old_limit {};
  getrlimit(RLIMIT_FSIZE, &old_limit);
  signal(SIGXFSZ, SIG_IGN);
  struct rlimit limit = old_limit;
  limit.rlim_cur = size + 4096;
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limit), 0);
  bool failed = false;
  try {
    auto c = Reopen();
    const int h = c->FileCreate("big");
    const std::string data(200000, 'b');
    failed = c->FileWrite(h, data.data(), static_cast<int64_t>(data.size())) != static_cast<int64_t>(data.size());
    c->FileClose(h);
    c->Flush();
  } catch (const Error& e) {
    failed = true;
    EXPECT_NE(std::string(e.what()).find("TFreeSpaceManager.GetPages"), std::string::npos) << e.what();
  }
  setrlimit(RLIMIT_FSIZE, &old_limit);
  EXPECT_TRUE(failed);
  auto c = Reopen();
  EXPECT_EQ(ReadAll(*c, "kept"), std::string(30000, 'k'));
}

}  // namespace
}  // namespace corvane::container
