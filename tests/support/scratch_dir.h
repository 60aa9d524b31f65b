// A folder of its own for each test case, so that cases and concurrent test
// programs never see each other's files.
#ifndef CORVANE_TESTS_SUPPORT_SCRATCH_DIR_H_
#define CORVANE_TESTS_SUPPORT_SCRATCH_DIR_H_

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <string>

namespace corvane::test_support {

// temp/corvane_<area>_<process>_<test name>; nothing is made there.
inline std::filesystem::path ScratchPathForTest(const std::string& area) {
  return std::filesystem::temp_directory_path() /
         ("corvane_" + area + "_" + std::to_string(getpid()) + "_" +
          ::testing::UnitTest::GetInstance()->current_test_info()->name());
}

// The same folder, made empty.
inline std::filesystem::path FreshScratchDirForTest(const std::string& area) {
  const std::filesystem::path dir = ScratchPathForTest(area);
  std::filesystem::remove_all(dir);
  std::filesystem::create_directories(dir);
  return dir;
}

}  // namespace corvane::test_support

#endif  // CORVANE_TESTS_SUPPORT_SCRATCH_DIR_H_
