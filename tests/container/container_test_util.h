// A fresh temporary folder per test, and raw access to container files.
#ifndef CORVANE_TESTS_CONTAINER_CONTAINER_TEST_UTIL_H_
#define CORVANE_TESTS_CONTAINER_CONTAINER_TEST_UTIL_H_

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "support/scratch_dir.h"

namespace corvane::container::testing {

class TempDirTest : public ::testing::Test {
 public:
  void SetUp() override {
    dir_ = test_support::FreshScratchDirForTest("container");
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }

  std::string Path(const std::string& name) const { return (dir_ / name).string(); }

  static std::vector<uint8_t> ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
  }
  static void WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::ofstream(path, std::ios::binary | std::ios::trunc)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  }
  static uint32_t U32(const std::vector<uint8_t>& b, std::size_t at) {
    return uint32_t(b[at]) | uint32_t(b[at + 1]) << 8 | uint32_t(b[at + 2]) << 16 | uint32_t(b[at + 3]) << 24;
  }
  static int32_t I32(const std::vector<uint8_t>& b, std::size_t at) { return static_cast<int32_t>(U32(b, at)); }

  std::filesystem::path dir_;
};

}  // namespace corvane::container::testing

#endif  // CORVANE_TESTS_CONTAINER_CONTAINER_TEST_UTIL_H_
