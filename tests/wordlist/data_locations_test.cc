#include "wordlist/data_locations.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "platform/file_io.h"
#include "wordlist/word_list_access.h"

namespace corvane::wordlist {
namespace {

namespace fs = std::filesystem;

TEST(DataLocationsTest, PortableAndInstalledCopies) {
  const fs::path root = fs::temp_directory_path() / ("corvane_locations_" + std::to_string(getpid()));
  fs::create_directories(root / "portable");
  std::ofstream(root / "portable" / kListFileName) << "";
  const std::string portable = (root / "portable").string() + "/";
  const struct {
    const char* what;
    std::string program_dir, xdg, home;
    std::string data_dir, user_dir;
  } kCases[] = {
      {"list beside the program", portable, "/x", "/home/u", portable, portable},
      {"installed, XDG set", "/opt/c/bin/", "/data", "/home/u", "/opt/c/share/corvane-html-hyphenator/",
       "/data/corvane-html-hyphenator/"},
      {"installed, XDG relative", "/usr/bin/", "rel", "/home/u", "/usr/share/corvane-html-hyphenator/",
       "/home/u/.local/share/corvane-html-hyphenator/"},
  };
  for (const auto& c : kCases) {
    const DataLocations where = ResolveDataLocations(c.program_dir, c.xdg, c.home);
    EXPECT_EQ(where.data_dir, c.data_dir) << c.what;
    EXPECT_EQ(where.user_dir, c.user_dir) << c.what;
  }
  fs::remove_all(root);
}

TEST(DataLocationsTest, PrebuiltDatabaseIsCopiedOnlyWhenMissing) {
  const fs::path root = fs::temp_directory_path() / ("corvane_prebuilt_" + std::to_string(getpid()));
  fs::create_directories(root);
  platform::WriteFileAtomically((root / "prebuilt.EDB").string(), "prebuilt");
  const WordListFiles files{(root / "user" / "CVHYPLIST.EDB").string(), "", (root / "prebuilt.EDB").string()};
  InstallPrebuiltDatabase(files);
  EXPECT_EQ(platform::ReadFile(files.database), "prebuilt");
  platform::WriteFileAtomically(files.database, "own");
  InstallPrebuiltDatabase(files);
  EXPECT_EQ(platform::ReadFile(files.database), "own");
  fs::remove_all(root);
}

}  // namespace
}  // namespace corvane::wordlist
