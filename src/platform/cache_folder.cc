#include "platform/cache_folder.h"

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <system_error>

namespace corvane::platform {
namespace {

constexpr const char* kFolderName = "corvane";

std::string Environment(const char* name) {
  const char* value = std::getenv(name);
  return value == nullptr ? std::string() : std::string(value);
}

}  // namespace

std::string ResolveCacheFolder(const std::string& xdg_cache_home, const std::string& home) {
  std::string base;
  if (!xdg_cache_home.empty() && xdg_cache_home.front() == '/') {
    base = xdg_cache_home;
  } else if (!home.empty() && home.front() == '/') {
    base = home + (home.back() == '/' ? "" : "/") + ".cache";
  } else {
    return "";
  }
  if (base.back() != '/') base += '/';
  return base + kFolderName + '/';
}

std::optional<std::string> UserCacheFolder() {
  namespace fs = std::filesystem;
  const std::string folder = ResolveCacheFolder(Environment("XDG_CACHE_HOME"), Environment("HOME"));
  if (folder.empty()) return std::nullopt;
  std::error_code ec;
  if (!fs::is_directory(folder, ec)) {
    fs::create_directories(folder, ec);
    // The cache may reveal which files the user works with: theirs alone.
    if (!ec) fs::permissions(folder, fs::perms::owner_all, ec);
    if (ec || !fs::is_directory(folder, ec)) return std::nullopt;
  }
  if (access(folder.c_str(), W_OK | X_OK) != 0) return std::nullopt;
  return folder;
}

}  // namespace corvane::platform
