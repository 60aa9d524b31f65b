#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <thread>

#include "platform/app_dir.h"
#include "platform/cache_folder.h"
#include "platform/clock.h"
#include "platform/memory.h"
#include "support/scratch_dir.h"

namespace corvane::platform {
namespace {

struct MemInfoCase {
  const char* name;
  const char* text;
  std::optional<uint64_t> bytes;
};

TEST(MemoryTest, ParsesMemAvailable) {
  const MemInfoCase cases[] = {
      {"typical",
       "MemTotal:       16314208 kB\nMemFree:          512000 kB\n"
       "MemAvailable:    8000000 kB\nBuffers:          102400 kB\n",
       uint64_t{8000000} * 1024},
      {"first line", "MemAvailable: 1 kB", 1024},
      {"tab and crlf", "MemAvailable:\t42 kB\r\n", 42 * 1024},
      {"no unit", "MemAvailable: 4096\n", 4096},
      {"missing", "MemTotal: 100 kB\nMemFree: 50 kB\n", std::nullopt},
      {"empty", "", std::nullopt},
      {"only as a suffix", "XMemAvailable: 5 kB\n", std::nullopt},
      {"no number", "MemAvailable: kB\n", std::nullopt},
      {"strange unit", "MemAvailable: 5 MB\n", std::nullopt},
      {"overflow", "MemAvailable: 99999999999999999999 kB\n", std::nullopt},
      {"overflow by unit", "MemAvailable: 18014398509481984 kB\n", std::nullopt},
  };
  for (const auto& c : cases) EXPECT_EQ(ParseMemAvailable(c.text), c.bytes) << c.name;
}

TEST(MemoryTest, ReportsSomeMemory) { EXPECT_GT(AvailablePhysicalMemory(), 0u); }

TEST(ClockTest, CountsMillisecondsForward) {
  const uint32_t start = TickCount();
  std::this_thread::sleep_for(std::chrono::milliseconds(20));
  const uint32_t elapsed = TickCount() - start;
  EXPECT_GE(elapsed, 20u);
  EXPECT_LT(elapsed, 60000u);
}

TEST(AppDirTest, IsTheAbsoluteFolderOfThisProgram) {
  const std::string dir = AppDir();
  ASSERT_FALSE(dir.empty());
  EXPECT_EQ(dir.back(), '/');
  EXPECT_EQ(dir.front(), '/');
  EXPECT_TRUE(std::filesystem::is_directory(dir));
  const auto program = std::filesystem::read_symlink("/proc/self/exe").filename();
  EXPECT_TRUE(std::filesystem::exists(dir + program.string()));
  EXPECT_EQ(AppDir(), dir);
}

TEST(CacheFolderTest, FollowsTheXdgRulesAndIsMadeForTheUserAlone) {
  struct Case {
    const char* xdg;
    const char* home;
    const char* folder;
  } cases[] = {
      {"/c", "/h", "/c/corvane/"}, {"/c/", "/h", "/c/corvane/"}, {"rel", "/h", "/h/.cache/corvane/"},
      {"", "/h/", "/h/.cache/corvane/"}, {"", "", ""}, {"rel", "rel", ""},
  };
  for (const Case& c : cases) EXPECT_EQ(ResolveCacheFolder(c.xdg, c.home), c.folder) << c.xdg << " " << c.home;

  const std::filesystem::path scratch = test_support::FreshScratchDirForTest("platform");
  const char* saved = std::getenv("XDG_CACHE_HOME");
  const std::string saved_value = saved == nullptr ? "" : saved;
  setenv("XDG_CACHE_HOME", (scratch / "a" / "b").c_str(), 1);
  const std::optional<std::string> made = UserCacheFolder();
  // A plain file where the folder should be: no folder, and no error.
  std::ofstream((scratch / "file").string()) << "x";
  setenv("XDG_CACHE_HOME", (scratch / "file").c_str(), 1);
  const std::optional<std::string> blocked = UserCacheFolder();
  saved == nullptr ? unsetenv("XDG_CACHE_HOME") : setenv("XDG_CACHE_HOME", saved_value.c_str(), 1);

  ASSERT_TRUE(made.has_value());
  EXPECT_EQ(*made, (scratch / "a" / "b" / "corvane").string() + "/");
  EXPECT_EQ(std::filesystem::status(*made).permissions(), std::filesystem::perms::owner_all);
  EXPECT_FALSE(blocked.has_value());
  std::filesystem::remove_all(scratch);
}

}  // namespace
}  // namespace corvane::platform
