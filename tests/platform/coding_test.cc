#include "platform/coding.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace corvane::platform {
namespace {

// Stored bytes written out by hand, least significant first; each field is
// read and written one byte off alignment, as fields of a record slot are.
TEST(CodingTest, FieldsAreLittleEndianAtAnyOffset) {
  const std::vector<uint8_t> u16 = {0x34, 0x12};
  const std::vector<uint8_t> i32 = {0xFE, 0xFF, 0xFF, 0xFF};
  const std::vector<uint8_t> i64 = {0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07, 0x88};
  // 2.2, the version number a new table stores.
  const std::vector<uint8_t> f64 = {0x9A, 0x99, 0x99, 0x99, 0x99, 0x99, 0x01, 0x40};

  uint8_t buffer[9] = {};
  uint8_t* at = buffer + 1;
  const auto stored = [&](std::size_t n) { return std::vector<uint8_t>(at, at + n); };

  PutU16(at, 0x1234);
  EXPECT_EQ(stored(2), u16);
  EXPECT_EQ(GetU16(u16.data()), 0x1234u);
  PutI16(at, -2);
  EXPECT_EQ(GetI16(at), -2);

  PutI32(at, -2);
  EXPECT_EQ(stored(4), i32);
  EXPECT_EQ(GetI32(i32.data()), -2);
  EXPECT_EQ(GetU32(i32.data()), 0xFFFFFFFEu);

  PutI64(at, static_cast<int64_t>(0x8807060504030201ull));
  EXPECT_EQ(stored(8), i64);
  EXPECT_EQ(GetU64(i64.data()), 0x8807060504030201ull);
  EXPECT_LT(GetI64(i64.data()), 0);

  PutDouble(at, 2.2);
  EXPECT_EQ(stored(8), f64);
  EXPECT_EQ(GetDouble(f64.data()), 2.2);
  EXPECT_EQ(buffer[0], 0) << "a write stays within its field";
}

}  // namespace
}  // namespace corvane::platform
