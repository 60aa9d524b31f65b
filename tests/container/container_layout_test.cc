// The bytes a container file holds, laid out by hand from its format.
#include <gtest/gtest.h>

#include "container/container_check.h"
#include "container/container_format.h"
#include "container/container_file_system.h"
#include "container/user_file_page_map_manager.h"
#include "platform/error.h"
#include "container_test_util.h"

namespace corvane::container {
namespace {

using testing::TempDirTest;

constexpr std::size_t kPart = 280;  // container offset x lies at file offset 280 + x
constexpr std::size_t kPage = 4096;

std::size_t PageAt(int page) { return kPart + page * kPage; }

class ContainerLayoutTest : public TempDirTest {
 protected:
  // XOR of the 32-bit words of a page's data, as its header should hold.
  static uint32_t XorWords(const std::vector<uint8_t>& b, std::size_t from, std::size_t length) {
    uint32_t x = 0;
    for (std::size_t i = 0; i + 4 <= length; i += 4) x ^= U32(b, from + i);
    return x;
  }
};

TEST_F(ContainerLayoutTest, NewContainerIsAPartHeaderAndA256ByteHeader) {
  const std::string path = Path("new.edb");
  { TContainerFileSystem c(path, ContainerSettings{}, true); }
  const std::vector<uint8_t> b = ReadBytes(path);
  ASSERT_EQ(b.size(), 536u);

  std::vector<uint8_t> expected(536, 0);
  const std::string part_signature = "CVMVPART";
  std::copy(part_signature.begin(), part_signature.end(), expected.begin());
  // Part size 2147483647 as a little-endian int64.
  expected[8] = 0xFF; expected[9] = 0xFF; expected[10] = 0xFF; expected[11] = 0x7F;
  const std::string signature = "CVCONTNR";
  std::copy(signature.begin(), signature.end(), expected.begin() + kPart);
  auto put = [&](std::size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) expected[kPart + at + i] = static_cast<uint8_t>(v >> (8 * i));
  };
  put(12, 0x3F800000);  // version 1.0
  put(16, 4096);        // page size
  put(20, 16);          // extent size
  put(24, 1);           // first extent page
  put(48, 1);           // page count
  put(8, 0x3F800000 ^ 4096 ^ 16 ^ 1 ^ 1);
  EXPECT_EQ(b, expected);
}

TEST_F(ContainerLayoutTest, FirstFileGrowsTheContainerByOneExtent) {
  const std::string path = Path("one.edb");
  {
    TContainerFileSystem c(path, ContainerSettings{}, true);
    const int h = c.FileCreate("HYPLIST.dat");
    const std::string data(4064, 'a');
    ASSERT_EQ(c.FileWrite(h, data.data(), 4064), 4064);
    c.FileClose(h);
  }
  const std::vector<uint8_t> b = ReadBytes(path);
  ASSERT_EQ(b.size(), 69912u);  // 17 pages of 4096 after the part header

  // Header counts: one GAM/SGAM pair, one PFS page, one directory page at 4.
  EXPECT_EQ(I32(b, kPart + 28), 1);
  EXPECT_EQ(I32(b, kPart + 32), 1);
  EXPECT_EQ(I32(b, kPart + 36), 1);
  EXPECT_EQ(I32(b, kPart + 40), 4);
  EXPECT_EQ(I32(b, kPart + 44), 1);
  EXPECT_EQ(I32(b, kPart + 48), 17);
  EXPECT_EQ(U32(b, kPart + 8), XorWords(b, kPart + 12, 244));

  // Page types: PFS 1, GAM 2, SGAM 3, directory 4, map 5, data 6.
  const std::pair<int, uint8_t> types[] = {{1, 4}, {2, 2}, {3, 3}, {4, 1}, {5, 5}, {6, 6}};
  for (const auto& [page, type] : types) {
    EXPECT_EQ(b[PageAt(page) + 8], type) << "page " << page;
    EXPECT_EQ(b[PageAt(page) + 9], 0) << "page " << page;   // not encrypted
    EXPECT_EQ(b[PageAt(page) + 10], 0) << "page " << page;  // XOR checksum
  }
  // Pages 1-6 in use: PFS bits 0-5 clear; the rest of the extent free.
  EXPECT_EQ(b[PageAt(1) + 32], 0xC0);
  EXPECT_EQ(b[PageAt(1) + 33], 0xFF);
  EXPECT_EQ(b[PageAt(1) + 32 + 4063], 0xFF);
  EXPECT_EQ(b[PageAt(2) + 32], 0xFE);  // GAM: extent 0 allocated
  EXPECT_EQ(b[PageAt(3) + 32], 0x01);  // SGAM: extent 0 shared
  EXPECT_EQ(U32(b, PageAt(1) + 4), XorWords(b, PageAt(1) + 32, 4064));

  // Directory item 0: map page 5, size 4064, root parent, name.
  const std::size_t item = PageAt(4) + 32;
  EXPECT_EQ(I32(b, item), 5);
  EXPECT_EQ(I32(b, item + 4), 4064);
  EXPECT_EQ(I32(b, item + 40), -1);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(&b[item + 224])), "HYPLIST.dat");
  EXPECT_EQ(I32(b, PageAt(4)), -1);  // end of the directory chain
  // The directory page's checksum covers its 7 items.
  EXPECT_EQ(U32(b, PageAt(4) + 4), XorWords(b, PageAt(4) + 32, 7 * 512));

  // Map page 5 lists data page 6; one data page holds 4064 bytes.
  EXPECT_EQ(I32(b, PageAt(5) + 32), 6);
  EXPECT_EQ(I32(b, PageAt(5)), -1);
  EXPECT_EQ(b[PageAt(6) + 32], 'a');
  EXPECT_EQ(b[PageAt(6) + 32 + 4063], 'a');
  EXPECT_TRUE(CheckContainer(path).empty());
}

TEST_F(ContainerLayoutTest, PageCountsFollowFileSizes) {
  struct Case {
    int64_t size;
    int64_t data_pages;
  };
  for (const Case& c : {Case{1, 1}, Case{4064, 1}, Case{4065, 2}, Case{4064 * 1016, 1016}, Case{4064 * 1016 + 1, 1017}}) {
    const std::string path = Path("sizes.edb");
    TContainerFileSystem container(path, ContainerSettings{}, true);
    const int h = container.FileCreate("f");
    const std::string data(static_cast<std::size_t>(c.size), 'x');
    ASSERT_EQ(container.FileWrite(h, data.data(), c.size), c.size);
    const ContainerEntry e = container.Entries().front();
    const FilePageMap& map = container.PageMaps().GetMaps(e.first_map_page, c.data_pages);
    EXPECT_EQ(static_cast<int64_t>(map.data_pages.size()), c.data_pages) << c.size;
    EXPECT_EQ(map.map_pages.size(), c.data_pages > 1016 ? 2u : 1u) << c.size;
    container.FileClose(h);
  }
}

TEST_F(ContainerLayoutTest, EighthItemStartsASecondDirectoryPage) {
  const std::string path = Path("dir.edb");
  {
    TContainerFileSystem c(path, ContainerSettings{}, true);
    for (int i = 0; i < 8; ++i) c.FileClose(c.FileCreate("file" + std::to_string(i)));
  }
  const std::vector<uint8_t> b = ReadBytes(path);
  EXPECT_EQ(I32(b, kPart + 36), 2);  // directory pages
  EXPECT_EQ(I32(b, kPart + 44), 8);  // items
  const int32_t second = I32(b, PageAt(4));
  EXPECT_GT(second, 4);
  EXPECT_EQ(b[PageAt(second) + 8], 1);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(&b[PageAt(second) + 32 + 224])), "file7");
  EXPECT_TRUE(CheckContainer(path).empty());
}

TEST_F(ContainerLayoutTest, DamagedHeadersDoNotOpen) {
  const std::string path = Path("h.edb");
  { TContainerFileSystem c(path, ContainerSettings{}, true); }
  const std::vector<uint8_t> good = ReadBytes(path);
  const std::string corrupted = "TContainerFileSystem.LoadHeader - Invalid container file, header is corrupted.";
  for (std::size_t at : {kPart + 0, kPart + 12, kPart + 16, kPart + 100, kPart + 255}) {
    std::vector<uint8_t> bad = good;
    bad[at] ^= 0x40;
    WriteBytes(path, bad);
    try {
      TContainerFileSystem c(path, ContainerSettings{}, false);
      ADD_FAILURE() << "opened with byte " << at << " changed";
    } catch (const Error& e) {
      EXPECT_EQ(std::string(e.what()), corrupted) << at;
    }
  }
  for (const std::vector<uint8_t>& bad :
       {std::vector<uint8_t>(good.begin(), good.begin() + 279), [&] { auto b = good; b[0] = 'X'; return b; }()}) {
    WriteBytes(path, bad);
    try {
      TContainerFileSystem c(path, ContainerSettings{}, false);
      ADD_FAILURE() << "opened a bad part header";
    } catch (const Error& e) {
      EXPECT_EQ(std::string(e.what()), "File " + path + " has corrupted header.");
    }
  }
}

TEST_F(ContainerLayoutTest, CountsLargerThanTheFileAreRefused) {
  const std::string path = Path("counts.edb");
  {
    TContainerFileSystem c(path, ContainerSettings{}, true);
    c.FileClose(c.FileCreate("a"));
  }
  const std::vector<uint8_t> good = ReadBytes(path);
  // Each field set to a value the file cannot hold, with the checksum fixed.
  for (std::size_t field : {28u, 32u, 36u, 44u, 48u}) {
    std::vector<uint8_t> bad = good;
    for (int i = 0; i < 4; ++i) bad[kPart + field + i] = i == 3 ? 0x10 : 0x00;
    uint32_t x = 0;
    for (std::size_t i = 12; i < 256; i += 4) x ^= U32(bad, kPart + i);
    for (int i = 0; i < 4; ++i) bad[kPart + 8 + i] = static_cast<uint8_t>(x >> (8 * i));
    WriteBytes(path, bad);
    EXPECT_THROW(TContainerFileSystem(path, ContainerSettings{}, false), Error) << field;
    EXPECT_EQ(ReadBytes(path), bad) << "opening changed the file";
  }
}

TEST_F(ContainerLayoutTest, OwnerMarkIsHeaderByte225UnderTheChecksum) {
  const std::string path = Path("mark.edb");
  { TContainerFileSystem(path, ContainerSettings{}, true).SetOwnerMark(0x42); }
  const std::vector<uint8_t> b = ReadBytes(path);
  EXPECT_EQ(b[kPart + 225], 0x42);
  EXPECT_EQ(U32(b, kPart + 8), XorWords(b, kPart + 12, 244));
  ContainerSettings read_only;
  read_only.read_only = true;
  EXPECT_EQ(TContainerFileSystem(path, read_only, false).OwnerMark(), 0x42);
}

}  // namespace
}  // namespace corvane::container

namespace corvane::container {
namespace {

// The page checksum is the XOR of the data's little-endian 32-bit words (a
// trailing part word left out), whatever the size and alignment.
TEST(PageChecksumTest, IsTheXorOfWholeWords) {
  std::vector<uint8_t> bytes(4096 + 16);
  for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<uint8_t>(i * 131 + 7);
  for (std::size_t offset : {0, 3}) {
    for (std::size_t size : {0, 3, 4, 36, 60, 4064, 4095}) {
      uint32_t expected = 0;
      for (std::size_t w = 4; w <= size; w += 4) expected ^= GetU32(bytes.data() + offset + w - 4);
      EXPECT_EQ(XorChecksum(bytes.data() + offset, size), expected) << offset << " " << size;
    }
  }
}

}  // namespace
}  // namespace corvane::container
