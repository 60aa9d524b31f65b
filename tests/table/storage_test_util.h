// Shared pieces of the record storage tests: a fresh temporary folder per
// test, the word-list table's definition, and raw file access.
#ifndef CORVANE_TESTS_TABLE_STORAGE_TEST_UTIL_H_
#define CORVANE_TESTS_TABLE_STORAGE_TEST_UTIL_H_

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "../container/container_test_util.h"
#include "platform/error.h"
#include "table/data_manager.h"
#include "table/record_layout.h"

namespace corvane::table::storage_testing {

// The container tests' fresh folder per test, with raw file access.
using TempDirTest = container::testing::TempDirTest;

inline FieldHeader StoredField(const std::string& name, FieldType type, int32_t size = 0) {
  FieldHeader f;
  f.name = name;
  f.type = type;
  f.width = StoredWidth(type, size);
  return f;
}

// HYPLIST: ID (the identifier), NWORD and HWORD strings of 30, the
// declared indexes PrimaryKey (ID) and ByNWORD (NWORD, case-insensitive).
inline TableDefinition WordListDefinition() {
  TableDefinition d;
  d.id_field_name = "ID";
  d.fields = {StoredField("NWORD", FieldType::ftString, 30), StoredField("HWORD", FieldType::ftString, 30)};
  d.indexes.push_back({"PrimaryKey", {-1}, {false}, {true}, false, false, ixPrimary});
  d.indexes.push_back({"ByNWORD", {0}, {true}, {true}, true, false, ixCaseInsensitive});
  return d;
}

// A word-list record buffer holding `nword` and `hword`.
inline std::vector<uint8_t> WordRecord(const RecordLayout& layout, const std::string& nword,
                                       const std::string& hword) {
  std::vector<uint8_t> slot = layout.NewRecord(0);
  const std::string values[] = {nword, hword};
  for (int i = 0; i < 2; ++i) {
    const FieldHeader& f = layout.fields[static_cast<std::size_t>(i)];
    std::memcpy(slot.data() + f.offset, values[i].data(), std::min<std::size_t>(values[i].size(), f.width - 1));
    layout.SetNull(slot.data(), i, false);
  }
  return slot;
}

inline std::string StringField(const RecordLayout& layout, const uint8_t* slot, int field) {
  const FieldHeader& f = layout.fields[static_cast<std::size_t>(field)];
  const char* p = reinterpret_cast<const char*>(slot + f.offset);
  return std::string(p, strnlen(p, static_cast<std::size_t>(f.width)));
}

// The message of the corvane::Error `action` raises; "" when it raises none.
inline std::string ErrorOf(const std::function<void()>& action) {
  try {
    action();
  } catch (const Error& e) {
    return e.what();
  }
  return "";
}

}  // namespace corvane::table::storage_testing

#endif  // CORVANE_TESTS_TABLE_STORAGE_TEST_UTIL_H_
