#include "platform/app_dir.h"

#include <filesystem>
#include <system_error>

namespace corvane::platform {
namespace {

std::string FindAppDir() {
  std::error_code ec;
  std::filesystem::path dir = std::filesystem::read_symlink("/proc/self/exe", ec).parent_path();
  if (ec || dir.empty()) dir = std::filesystem::current_path(ec);
  std::string text = ec ? std::string(".") : dir.string();
  if (text.empty() || text.back() != '/') text += '/';
  return text;
}

}  // namespace

std::string AppDir() {
  static const std::string dir = FindAppDir();
  return dir;
}

}  // namespace corvane::platform
