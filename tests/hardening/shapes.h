// The data the workloads write, derived from a key and a version so that a
// reader can tell a sound record or file from a torn or invented one.
#ifndef CORVANE_TESTS_HARDENING_SHAPES_H_
#define CORVANE_TESTS_HARDENING_SHAPES_H_

#include <filesystem>
#include <optional>
#include <string>
#include <utility>

#include "table/dataset.h"

namespace corvane::testing {

inline constexpr const char* kShapeDatabase = "SHAPES";
inline constexpr const char* kShapeFile = "SHAPES.EDB";
inline constexpr const char* kShapeTable = "T";
inline constexpr const char* kFilesName = "files.edb";
// Twelve files: the eighth starts a second directory page, and their pages
// outgrow the first extent.
inline constexpr int kFileCount = 12;
// A file that exists with other bytes than it was given: allowed only
// while its writing was not committed.
inline constexpr int kPartialFile = 99;

inline std::string ShapeName(int key, int version) {
  return "r" + std::to_string(key) + "v" + std::to_string(version);
}

// Names the table and defines its six fields and seven indexes.
void DefineShape(table::TCvDataset& table, const std::filesystem::path& dir);
// Sets every field of the current record for (key, version).
void FillShape(table::TCvDataset& table, int key, int version);
// (key, version) of the current record when all its fields agree with
// them; nullopt when any field is not what FillShape wrote.
std::optional<std::pair<int, int>> ReadShape(table::TCvDataset& table);

inline std::string FileName(int i) { return "f" + std::to_string(i) + ".bin"; }
// Sizes from 3000 bytes up, so some files span two pages.
inline std::string FileContent(int i) {
  std::string bytes(static_cast<std::size_t>(3000 + 400 * i), '\0');
  for (std::size_t j = 0; j < bytes.size(); ++j) bytes[j] = static_cast<char>((j * 7 + static_cast<std::size_t>(i)) & 0xFF);
  return bytes;
}

}  // namespace corvane::testing

#endif  // CORVANE_TESTS_HARDENING_SHAPES_H_
