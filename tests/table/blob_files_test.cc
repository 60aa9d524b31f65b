// BLOB values: the bytes of both files, every compression level, block
// reuse, CRC checking and damaged header files.
#include "table/blob_files.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <random>

#include "container/memory_file_system.h"
#include "storage_test_util.h"
#include "table/table_files.h"

namespace corvane::table {
namespace {

using container::TMemoryFile;
using storage_testing::ErrorOf;

struct Files {
  TMemoryFile bif{nullptr, "T.bif"};
  TMemoryFile bdf{nullptr, "T.bdf"};
  Files() {
    bif.Open(true);
    bdf.Open(true);
  }
  BlobFiles Open(uint8_t compression, int32_t block_size = 512, bool read_only = false) {
    return BlobFiles(bif, bdf, "T", compression, block_size, read_only);
  }
  std::vector<uint8_t> Index() const { return {bif.Data().begin(), bif.Data().end()}; }
  void Patch(TMemoryFile& file, int64_t at, const std::vector<uint8_t>& bytes) {
    file.SetPosition(at);
    file.WriteBuffer(bytes.data(), static_cast<int64_t>(bytes.size()));
  }
};

std::string RandomBytes(std::size_t n, unsigned seed) {
  std::mt19937 rng(seed);
  std::string s(n, '\0');
  for (char& c : s) c = static_cast<char>(rng());
  return s;
}

std::vector<uint8_t> I32(int32_t v) {
  std::vector<uint8_t> b(4);
  le::PutI32(b.data(), v);
  return b;
}

TEST(BlobFilesTest, FilesHoldTheDocumentedBytes) {
  Files f;
  BlobFiles blobs = f.Open(0, 16);
  blobs.Write(7, 2, "hello");
  std::vector<uint8_t> expected = {'C', 'V', 'B', 'F', 16, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0};
  const uint32_t crc = static_cast<uint32_t>(crc32(0, reinterpret_cast<const Bytef*>("hello"), 5));
  const int32_t header[] = {7, 2, 0, 1, 5, 5, static_cast<int32_t>(crc)};
  for (int32_t v : header) {
    const std::vector<uint8_t> b = I32(v);
    expected.insert(expected.end(), b.begin(), b.end());
  }
  expected.insert(expected.end(), {0, 0, 0, 0});  // stored as is; reserved
  EXPECT_EQ(f.Index(), expected);
  EXPECT_EQ(f.bdf.Data(), std::string("hello") + std::string(11, '\0'));
}

TEST(BlobFilesTest, ValuesRoundTripAtEveryLevelAndSize) {
  const std::string values[] = {"x", std::string(511, 'a'), RandomBytes(512, 1), RandomBytes(513, 2),
                                std::string(20000, 'q'), RandomBytes(5000, 3)};
  for (uint8_t level = 0; level <= 3; ++level) {
    Files f;
    {
      BlobFiles blobs = f.Open(level);
      for (std::size_t i = 0; i < std::size(values); ++i) blobs.Write(static_cast<int32_t>(i + 1), 0, values[i]);
      for (std::size_t i = 0; i < std::size(values); ++i) {
        EXPECT_EQ(blobs.Read(static_cast<int32_t>(i + 1), 0), values[i]) << int(level) << " " << i;
      }
      EXPECT_EQ(blobs.Read(99, 0), "");
    }
    BlobFiles again = f.Open(level, 4096);  // the stored block size wins
    EXPECT_EQ(again.BlockSize(), 512);
    for (std::size_t i = 0; i < std::size(values); ++i) {
      EXPECT_EQ(again.Read(static_cast<int32_t>(i + 1), 0), values[i]) << int(level) << " " << i;
    }
    // Compressed, the repetitive values fit one block each; random bytes
    // never shrink and are kept as they are: 1 + 1 + 1 + 2 + 40 + 10 blocks
    // without compression, 1 + 1 + 1 + 2 + 1 + 10 with it.
    EXPECT_EQ(f.bdf.Data().size(), (level == 0 ? 55u : 16u) * 512) << int(level);
  }
}

TEST(BlobFilesTest, FreedBlocksAreReused) {
  Files f;
  BlobFiles blobs = f.Open(0, 100);
  blobs.Write(1, 0, std::string(350, 'a'));  // blocks 0-3
  blobs.Write(2, 0, std::string(100, 'b'));  // block 4
  blobs.Write(1, 0, std::string(150, 'c'));  // new run 5-6, old 0-3 freed
  const std::size_t size = f.bdf.Data().size();
  EXPECT_EQ(size, 700u);
  blobs.Write(3, 0, std::string(400, 'd'));  // fits the freed 0-3
  blobs.Write(3, 1, std::string(1, 'e'));    // a hole is gone, so: the end
  EXPECT_EQ(f.bdf.Data().size(), 800u);
  blobs.Write(2, 0, "");                     // removed
  blobs.Write(4, 0, std::string(90, 'f'));   // into its block
  EXPECT_EQ(f.bdf.Data().size(), 800u);
  EXPECT_EQ(blobs.Read(1, 0), std::string(150, 'c'));
  EXPECT_EQ(blobs.Read(2, 0), "");
  EXPECT_EQ(blobs.Read(3, 0), std::string(400, 'd'));
  EXPECT_EQ(blobs.Read(4, 0), std::string(90, 'f'));
  EXPECT_EQ(blobs.ValueCount(), 4u);
}

TEST(BlobFilesTest, RemovingARecordTakesAllItsFieldsOnly) {
  Files f;
  {
    BlobFiles blobs = f.Open(2);
    for (int32_t id = 1; id <= 4; ++id) {
      for (int32_t field = 0; field < 3; ++field) blobs.Write(id, field, std::to_string(id * 10 + field));
    }
    blobs.Remove(2);
    blobs.Remove(4);
    blobs.Remove(9);
    EXPECT_EQ(blobs.ValueCount(), 6u);
    EXPECT_EQ(f.Index().size(), 16u + 6 * 32);
  }
  BlobFiles blobs = f.Open(2);
  for (int32_t id = 1; id <= 4; ++id) {
    for (int32_t field = 0; field < 3; ++field) {
      EXPECT_EQ(blobs.Read(id, field), id % 2 == 0 ? "" : std::to_string(id * 10 + field)) << id << " " << field;
    }
  }
}

TEST(BlobFilesTest, ChangedBytesFailTheCrc) {
  for (uint8_t level : {0, 3}) {
    Files f;
    BlobFiles blobs = f.Open(level);
    blobs.Write(1, 0, std::string(3000, 'z'));
    f.Patch(f.bdf, 2, {0x5A ^ 0xFF});
    EXPECT_EQ(ErrorOf([&] { blobs.Read(1, 0); }), "Error in TCvDataManager.InternalReadBLOBValue - crc error")
        << int(level);
  }
}

TEST(BlobFilesTest, DamagedHeaderFilesGiveClearErrors) {
  struct Case {
    const char* what;
    std::vector<std::pair<int64_t, std::vector<uint8_t>>> patches;
    std::string error;
  };
  // Two values: (1, 0) in blocks 0-1 (600 bytes), (2, 0) in block 2 (10 bytes).
  const int64_t h1 = 16, h2 = 48;
  const Case cases[] = {
      {"magic", {{0, {'X'}}}, "not a BLOB header file"},
      {"zero block size", {{4, I32(0)}}, "block size 0"},
      {"huge block size", {{4, I32(INT32_MAX)}}, "block size 2147483647"},
      {"count beyond the file", {{8, I32(1000)}}, "1000 value headers in a file with room for 2"},
      {"negative count", {{8, I32(-1)}}, "-1 value headers"},
      {"run beyond the data file", {{h2 + 8, I32(3)}}, "value header #1 does not fit the data file"},
      {"negative first block", {{h2 + 8, I32(-1)}}, "value header #1 does not fit"},
      {"overlapping runs", {{h2 + 8, I32(1)}}, "two values share blocks"},
      {"stored bytes beyond the blocks", {{h1 + 20, I32(1025)}}, "value header #0 does not fit"},
      {"raw length differs", {{h1 + 16, I32(601)}}, "value header #0 does not fit"},
      {"unknown compression", {{h1 + 28, {4}}}, "value header #0 does not fit"},
      {"impossible inflation", {{h1 + 28, {1}}, {h1 + 16, I32(INT32_MAX)}}, "value header #0 does not fit"},
      {"no blocks", {{h2 + 12, I32(0)}}, "value header #1 does not fit"},
      {"same key twice", {{h2, I32(1)}}, "value header #1 repeats a record and field"},
  };
  for (const Case& c : cases) {
    Files f;
    {
      BlobFiles blobs = f.Open(0);
      blobs.Write(1, 0, RandomBytes(600, 4));
      blobs.Write(2, 0, "0123456789");
    }
    for (const auto& [at, bytes] : c.patches) f.Patch(f.bif, at, bytes);
    const std::string error = ErrorOf([&] { f.Open(0); });
    EXPECT_EQ(error.rfind("Error in TCvDataManager.OpenTable - damaged file T.bif: ", 0), 0u) << c.what << ": " << error;
    EXPECT_NE(error.find(c.error), std::string::npos) << c.what << ": " << error;
  }
}

TEST(BlobFilesTest, AnInterruptedRemovalStillOpens) {
  Files f;
  std::vector<uint8_t> second;
  {
    BlobFiles blobs = f.Open(0);
    blobs.Write(1, 0, "first");
    blobs.Write(2, 0, "second");
    second = f.Index();
  }
  // The last header was moved over the first, but the count was not yet cut.
  f.Patch(f.bif, 16, std::vector<uint8_t>(second.begin() + 48, second.begin() + 80));
  BlobFiles blobs = f.Open(0);
  EXPECT_EQ(blobs.ValueCount(), 1u);
  EXPECT_EQ(blobs.Read(2, 0), "second");
  EXPECT_EQ(blobs.Read(1, 0), "");
}

}  // namespace
}  // namespace corvane::table
