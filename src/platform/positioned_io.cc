#include "platform/positioned_io.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>

namespace corvane::platform {
namespace {

// Larger transfers are split: some systems refuse single calls above 2 GB.
constexpr int64_t kMaxTransfer = int64_t{1} << 30;

}  // namespace

int64_t ReadAt(int fd, void* buffer, int64_t count, int64_t offset) {
  auto* bytes = static_cast<char*>(buffer);
  int64_t done = 0;
  while (done < count) {
    const ssize_t n = ::pread(fd, bytes + done, static_cast<size_t>(std::min(count - done, kMaxTransfer)),
                              static_cast<off_t>(offset + done));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    done += n;
  }
  return done;
}

int64_t WriteAt(int fd, const void* buffer, int64_t count, int64_t offset) {
  const auto* bytes = static_cast<const char*>(buffer);
  int64_t done = 0;
  while (done < count) {
    const ssize_t n = ::pwrite(fd, bytes + done, static_cast<size_t>(std::min(count - done, kMaxTransfer)),
                               static_cast<off_t>(offset + done));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    done += n;
  }
  return done;
}

}  // namespace corvane::platform
