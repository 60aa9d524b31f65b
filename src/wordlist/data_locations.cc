#include "wordlist/data_locations.h"

#include <cstdlib>
#include <filesystem>
#include <system_error>

#include "platform/app_dir.h"
#include "wordlist/word_list_table.h"

namespace corvane::wordlist {
namespace {

namespace fs = std::filesystem;

std::string WithSlash(std::string dir) {
  if (dir.empty() || dir.back() != '/') dir += '/';
  return dir;
}

std::string Environment(const char* name) {
  const char* value = std::getenv(name);
  return value == nullptr ? std::string() : std::string(value);
}

}  // namespace

DataLocations ResolveDataLocations(const std::string& program_dir, const std::string& xdg_data_home,
                                   const std::string& home) {
  std::error_code ec;
  if (fs::exists(program_dir + kListFileName, ec)) return {program_dir, program_dir};
  const fs::path prefix = fs::path(program_dir).parent_path().parent_path();
  DataLocations locations;
  locations.data_dir = WithSlash((prefix / "share" / kDataFolderName).string());
  // Relative values are ignored, as the XDG rules ask.
  std::string base;
  if (!xdg_data_home.empty() && xdg_data_home.front() == '/') {
    base = xdg_data_home;
  } else if (!home.empty()) {
    base = WithSlash(home) + ".local/share";
  } else {
    base = fs::temp_directory_path(ec).string();
  }
  locations.user_dir = WithSlash(WithSlash(base) + kDataFolderName);
  return locations;
}

DataLocations DefaultDataLocations() {
  return ResolveDataLocations(platform::AppDir(), Environment("XDG_DATA_HOME"), Environment("HOME"));
}

}  // namespace corvane::wordlist
