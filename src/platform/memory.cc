#include "platform/memory.h"

#include <fcntl.h>
#include <unistd.h>

#include <limits>
#include <string>

namespace corvane::platform {
namespace {

constexpr std::string_view kKey = "MemAvailable:";

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::optional<uint64_t> ParseLine(std::string_view line) {
  line.remove_prefix(kKey.size());
  size_t i = 0;
  while (i < line.size() && IsBlank(line[i])) ++i;
  if (i == line.size() || line[i] < '0' || line[i] > '9') return std::nullopt;
  uint64_t value = 0;
  for (; i < line.size() && line[i] >= '0' && line[i] <= '9'; ++i) {
    const uint64_t digit = static_cast<uint64_t>(line[i] - '0');
    if (value > (std::numeric_limits<uint64_t>::max() - digit) / 10) return std::nullopt;
    value = value * 10 + digit;
  }
  while (i < line.size() && IsBlank(line[i])) ++i;
  std::string_view unit = line.substr(i);
  while (!unit.empty() && (IsBlank(unit.back()) || unit.back() == '\r')) unit.remove_suffix(1);
  uint64_t scale;
  if (unit == "kB") {
    scale = 1024;
  } else if (unit.empty()) {
    scale = 1;
  } else {
    return std::nullopt;
  }
  if (value > std::numeric_limits<uint64_t>::max() / scale) return std::nullopt;
  return value * scale;
}

uint64_t FreePagesBytes() {
  const long pages = sysconf(_SC_AVPHYS_PAGES);
  const long page_size = sysconf(_SC_PAGESIZE);
  if (pages <= 0 || page_size <= 0) return 0;
  return static_cast<uint64_t>(pages) * static_cast<uint64_t>(page_size);
}

}  // namespace

std::optional<uint64_t> ParseMemAvailable(std::string_view meminfo) {
  size_t start = 0;
  while (start < meminfo.size()) {
    size_t end = meminfo.find('\n', start);
    if (end == std::string_view::npos) end = meminfo.size();
    const std::string_view line = meminfo.substr(start, end - start);
    if (line.starts_with(kKey)) return ParseLine(line);
    start = end + 1;
  }
  return std::nullopt;
}

uint64_t AvailablePhysicalMemory() {
  // The line sits near the top; a plain read costs far less than a stream
  // for every table opened.
  const int fd = open("/proc/meminfo", O_RDONLY | O_CLOEXEC);
  if (fd >= 0) {
    char buffer[4096];
    const ssize_t got = read(fd, buffer, sizeof buffer);
    close(fd);
    if (got > 0) {
      if (const auto bytes = ParseMemAvailable(std::string_view(buffer, static_cast<std::size_t>(got)))) return *bytes;
    }
  }
  return FreePagesBytes();
}

}  // namespace corvane::platform
