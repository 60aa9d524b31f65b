// Opens arbitrary bytes as a container and reads every file in it; also runs
// the integrity check. Nothing may crash, hang or allocate without bound.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "container/container_check.h"
#include "container/container_file_system.h"
#include "platform/error.h"

namespace {

std::string InputPath() {
  static const std::string path = "/tmp/corvane_fuzz_" + std::to_string(getpid()) + ".edb";
  return path;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string path = InputPath();
  FILE* f = std::fopen(path.c_str(), "wb");
  if (f == nullptr) return 0;
  std::fwrite(data, 1, size, f);
  std::fclose(f);
  try {
    corvane::container::ContainerSettings settings;
    settings.read_only = true;
    corvane::container::TContainerFileSystem c(path, settings, false);
    std::vector<char> buffer(1 << 16);
    for (const auto& entry : c.Entries()) {
      const int h = c.FileOpen(c.PathOf(entry.item), corvane::container::kModeRead);
      if (h < 0) continue;
      try {
        while (c.FileRead(h, buffer.data(), static_cast<int64_t>(buffer.size())) > 0) {
        }
      } catch (const corvane::Error&) {
      }
      c.FileClose(h);
    }
  } catch (const corvane::Error&) {
  }
  corvane::container::CheckContainer(path);
  return 0;
}
