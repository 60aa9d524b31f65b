// The ".dat" header and field slots, byte by byte, and how reading treats
// damaged and newer files.
#include "table/table_files.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>

#include "container/memory_file_system.h"
#include "storage_test_util.h"

namespace corvane::table {
namespace {

using container::TMemoryFile;
using storage_testing::ErrorOf;
using storage_testing::StoredField;

std::vector<FieldHeader> WordListFields() {
  return {StoredField("NWORD", FieldType::ftString, 30), StoredField("HWORD", FieldType::ftString, 30)};
}

// The header and slots of the word-list table, laid out by hand.
std::vector<uint8_t> HandMadeWordList() {
  std::vector<uint8_t> b(120, 0);
  b[4] = 2;  // "ID"
  b[5] = 'I';
  b[6] = 'D';
  b[25] = 2;  // low bytes of F
  b[28] = 2;  // F
  const uint8_t version[8] = {0x9A, 0x99, 0x99, 0x99, 0x99, 0x99, 0x01, 0x40};  // 2.2
  std::copy(version, version + 8, b.begin() + 40);
  const char* names[] = {"NWORD", "HWORD"};
  for (int i = 0; i < 2; ++i) {
    uint8_t* slot = b.data() + 56 + 32 * i;
    slot[0] = 5;
    std::memcpy(slot + 1, names[i], 5);
    slot[21] = 1;   // string
    slot[24] = 31;  // width
  }
  return b;
}

struct OpenFile {
  TMemoryFile file{nullptr, "HYPLIST.dat"};
  explicit OpenFile(const std::vector<uint8_t>& bytes) {
    file.Open(true);
    file.WriteBuffer(bytes.data(), static_cast<int64_t>(bytes.size()));
  }
  std::vector<uint8_t> Bytes() const { return {file.Data().begin(), file.Data().end()}; }
};

TEST(TableFilesTest, WordListHeaderHasTheDocumentedBytes) {
  EXPECT_EQ(EncodeNewTable("ID", WordListFields(), 0), HandMadeWordList());

  std::vector<uint8_t> bytes = HandMadeWordList();
  bytes.resize(120 + 3 * 94, 0);
  bytes[32] = 3;  // N
  OpenFile f(bytes);
  const TableFile t = ReadTableFile(f.file, "HYPLIST");
  EXPECT_EQ(t.header.id_field_name, "ID");
  EXPECT_EQ(t.header.record_count, 3);
  ASSERT_EQ(t.layout.fields.size(), 2u);
  EXPECT_EQ(t.layout.fields[1].name, "HWORD");
  EXPECT_EQ(t.layout.fields[1].offset, 31);
  EXPECT_EQ(t.layout.data_size, 62);
  EXPECT_EQ(t.layout.null_size, 1);
  EXPECT_EQ(t.layout.slot_size, 94);
  EXPECT_EQ(t.layout.data_start, 120);
  EXPECT_EQ(f.file.GetPosition(), 120);  // records follow the last field slot
}

TEST(TableFilesTest, NullFlagsAndTrailerGrowWithTheFieldCount) {
  struct Case {
    int fields;
    int32_t null_size, trailer;
  };
  for (const Case c : {Case{1, 1, 32}, Case{9, 2, 32}, Case{120, 15, 32}, Case{130, 17, 34}}) {
    std::vector<FieldHeader> fields;
    for (int i = 0; i < c.fields; ++i) fields.push_back(StoredField("F" + std::to_string(i), FieldType::ftInteger));
    OpenFile f(EncodeNewTable("ID", fields, 0));
    const RecordLayout layout = ReadTableFile(f.file, "T").layout;
    EXPECT_EQ(layout.null_size, c.null_size) << c.fields;
    EXPECT_EQ(layout.slot_size - layout.data_size, c.trailer) << c.fields;
    EXPECT_EQ(layout.data_start, 56 + 32 * c.fields) << c.fields;
  }
}

TEST(TableFilesTest, SavingTheHeaderLeavesOffset36AsItWas) {
  std::vector<uint8_t> bytes = HandMadeWordList();
  bytes[36] = 0xDE, bytes[37] = 0xAD, bytes[38] = 0xBE, bytes[39] = 0xEF;
  OpenFile f(bytes);
  TableHeader h = ReadTableFile(f.file, "HYPLIST").header;
  h.reserved36 = 0;
  h.last_id = 5;
  h.change_counter = 300;
  WriteTableHeader(f.file, h);
  const std::vector<uint8_t> after = f.Bytes();
  EXPECT_EQ(std::vector<uint8_t>(after.begin() + 36, after.begin() + 40), (std::vector<uint8_t>{0xDE, 0xAD, 0xBE, 0xEF}));
  EXPECT_EQ(after[0], 5);
  EXPECT_EQ(after[51], 300 & 0xFF);
  EXPECT_EQ(after.size(), bytes.size());
}

TEST(TableFilesTest, VersionsAboveTwoPointTwoAreRefused) {
  struct Case {
    double version;
    std::string error;
  };
  const std::string prefix = "Error in TCvDataManager.OpenTable - Invalid db engine version in file HYPLIST.dat ";
  const Case cases[] = {
      {2.2, ""},
      {1.0, ""},
      {2.3, prefix + "(version = 2.30, internalCurrentVersion = 2.20) !"},
      {3.02, prefix + "(version = 3.02, internalCurrentVersion = 2.20) !"},
      {std::numeric_limits<double>::quiet_NaN(), prefix + "(version = nan, internalCurrentVersion = 2.20) !"},
  };
  for (const Case& c : cases) {
    std::vector<uint8_t> bytes = HandMadeWordList();
    le::PutDouble(bytes.data() + 40, c.version);
    OpenFile f(bytes);
    EXPECT_EQ(ErrorOf([&] { ReadTableFile(f.file, "HYPLIST"); }), c.error) << c.version;
  }
}

TEST(TableFilesTest, DamagedHeadersGiveClearErrors) {
  struct Case {
    const char* what;
    std::function<void(std::vector<uint8_t>&)> damage;
    std::string error;
  };
  auto field_slot = [](std::vector<uint8_t>& b, int i) { return b.data() + 56 + 32 * i; };
  const Case cases[] = {
      {"short file", [](auto& b) { b.resize(40); }, "the file has 40 bytes, fewer than a table header"},
      {"many fields", [](auto& b) { le::PutI32(b.data() + 28, 1000000); }, "the header names 1000000 fields but the file has room for 7"},
      {"negative fields", [](auto& b) { le::PutI32(b.data() + 28, -1); }, "names -1 fields"},
      {"records beyond the file", [](auto& b) { le::PutI32(b.data() + 32, 3); }, "the header counts 3 records but the file holds 2"},
      {"huge record count", [](auto& b) { le::PutI32(b.data() + 32, INT32_MAX); }, "counts 2147483647 records"},
      {"negative records", [](auto& b) { le::PutI32(b.data() + 32, -1); }, "counts -1 records"},
      {"unknown type", [&](auto& b) { field_slot(b, 1)[21] = 13; }, "field #1 has the unknown type code 13"},
      {"auto-increment type", [&](auto& b) { field_slot(b, 0)[21] = 14; }, "field #0 has the unknown type code 14"},
      {"zero width", [&](auto& b) { le::PutI32(field_slot(b, 0) + 24, 0); }, "field #0 has the width 0 for its type code 1"},
      {"negative width", [&](auto& b) { le::PutI32(field_slot(b, 1) + 24, -31); }, "has the width -31"},
      {"width that overflows", [&](auto& b) { le::PutI32(field_slot(b, 0) + 24, INT32_MAX); }, "has the width 2147483647"},
      {"sum beyond the limit", [&](auto& b) {
         le::PutI32(field_slot(b, 0) + 24, 10 << 20);
         le::PutI32(field_slot(b, 1) + 24, 10 << 20);
       }, "the fields need more than 16 MB per record"},
      {"integer of two bytes", [&](auto& b) {
         field_slot(b, 0)[21] = 3;
         le::PutI32(field_slot(b, 0) + 24, 2);
       }, "field #0 has the width 2 for its type code 3"},
      {"BLOB taking bytes", [&](auto& b) { field_slot(b, 0)[21] = 15; }, "has the width 31 for its type code 15"},
      {"long field name", [&](auto& b) { field_slot(b, 1)[0] = 21; }, "field #1 has a name longer than 20 bytes"},
      {"long identifier name", [](auto& b) { b[4] = 200; }, "the identifier name is longer than 20 bytes"},
      {"compression level", [](auto& b) { b[49] = 4; }, "unknown BLOB compression level 4"},
      {"old table with too many fields", [](auto& b) {
         le::PutDouble(b.data() + 40, 1.0);
         le::PutI32(b.data() + 28, 65);
         b.resize(56 + 32 * 65, 0);
       }, "65 fields in a table of format version 1.00"},
  };
  for (const Case& c : cases) {
    std::vector<uint8_t> bytes = HandMadeWordList();
    le::PutI32(bytes.data() + 32, 2);
    bytes.resize(120 + 2 * 94, 0);
    c.damage(bytes);
    OpenFile f(bytes);
    const std::string error = ErrorOf([&] { ReadTableFile(f.file, "HYPLIST"); });
    EXPECT_EQ(error.rfind("Error in TCvDataManager.OpenTable - damaged file HYPLIST.dat: ", 0), 0u) << c.what << ": " << error;
    EXPECT_NE(error.find(c.error), std::string::npos) << c.what << ": " << error;
  }
}

}  // namespace
}  // namespace corvane::table
