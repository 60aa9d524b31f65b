#include "platform/file_io.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <utility>

#include "platform/temporary_file.h"

namespace corvane::platform {
namespace {

[[noreturn]] void ThrowSystemError(const std::string& what) {
  throw Error(what + ": " + std::strerror(errno));
}

std::string FolderOf(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

// The file a chain of symbolic links ends at, which need not exist yet;
// `path` itself when it is no link. Relative links are taken from the
// link's folder, as the system does.
std::string FollowLinks(std::string path) {
  for (int hops = 0; hops < 40; ++hops) {
    struct stat info {};
    if (lstat(path.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) return path;
    std::string target(static_cast<std::size_t>(std::max<off_t>(info.st_size, 0)) + 256, '\0');
    const ssize_t n = readlink(path.c_str(), target.data(), target.size());
    if (n < 0) ThrowSystemError("cannot read the link " + path);
    target.resize(static_cast<std::size_t>(n));
    path = target.starts_with('/') || path.find('/') == std::string::npos ? target : FolderOf(path) + "/" + target;
  }
  errno = ELOOP;
  ThrowSystemError("cannot write " + path);
}

void WriteAll(int fd, std::string_view data, const std::string& name) {
  std::size_t written = 0;
  while (written < data.size()) {
    const ssize_t n = write(fd, data.data() + written, data.size() - written);
    if (n < 0) {
      if (errno == EINTR) continue;
      ThrowSystemError("cannot write " + name);
    }
    written += static_cast<std::size_t>(n);
  }
}

// Some file systems cannot sync a folder (EINVAL); the rename stands there
// as well as they allow.
void SyncFolder(const std::string& folder) {
  const int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  const int result = fsync(fd);
  const int error = errno;
  close(fd);
  if (result != 0 && error != EINVAL && error != EROFS) {
    errno = error;
    ThrowSystemError("cannot write " + folder);
  }
}

// Appends what `read_some` gives until it gives nothing, within `limits`.
template <typename ReadSome>
std::string ReadLimited(const ReadLimits& limits, std::size_t expected, ReadSome read_some) {
  std::string data;
  data.reserve(std::min(expected, limits.max_bytes));
  bool head_checked = !limits.check_head;
  char buffer[1 << 16];
  for (;;) {
    const std::size_t got = read_some(buffer, sizeof buffer);
    if (got == 0) break;
    if (got > limits.max_bytes - data.size()) throw InputTooLargeError(limits.max_bytes);
    data.append(buffer, got);
    if (!head_checked && data.size() >= limits.head_bytes) {
      head_checked = true;
      limits.check_head(data);
    }
  }
  if (!head_checked) limits.check_head(data);
  return data;
}

}  // namespace

InputTooLargeError::InputTooLargeError(std::size_t limit)
    : Error("larger than the limit of " + std::to_string(limit) + " bytes"), limit_(limit) {}

std::string ReadFile(const std::string& path, const ReadLimits& limits) {
  const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) ThrowSystemError("cannot open");
  struct Closer {
    int fd;
    ~Closer() { close(fd); }
  } closer{fd};
  struct stat info {};
  if (fstat(fd, &info) == 0 && S_ISDIR(info.st_mode)) throw Error("is a directory");
  std::size_t expected = 0;
  if (S_ISREG(info.st_mode) && info.st_size > 0) {
    expected = static_cast<std::size_t>(info.st_size);
    if (expected > limits.max_bytes) throw InputTooLargeError(limits.max_bytes);
  }
  return ReadLimited(limits, expected, [&](char* buffer, std::size_t size) -> std::size_t {
    for (;;) {
      const ssize_t got = read(fd, buffer, size);
      if (got >= 0) return static_cast<std::size_t>(got);
      if (errno != EINTR) ThrowSystemError("cannot read");
    }
  });
}

std::string ReadStream(std::istream& in, const ReadLimits& limits) {
  return ReadLimited(limits, 0, [&](char* buffer, std::size_t size) -> std::size_t {
    if (!in) return 0;
    in.read(buffer, static_cast<std::streamsize>(size));
    return static_cast<std::size_t>(in.gcount());
  });
}

bool IsSpecialFile(const std::string& path) {
  struct stat info {};
  return stat(path.c_str(), &info) == 0 && !S_ISREG(info.st_mode);
}

void WriteFileAtomically(const std::string& path, std::string_view data) {
  AtomicFileWriter writer(path);
  writer.Write(data);
  writer.Commit();
}

AtomicFileWriter::AtomicFileWriter(std::string path) : path_(FollowLinks(std::move(path))) {
  struct stat info {};
  if (stat(path_.c_str(), &info) != 0 || S_ISREG(info.st_mode)) {
    temp_ = std::make_unique<TemporaryFile>(path_);
    return;
  }
  if (S_ISDIR(info.st_mode)) {
    errno = EISDIR;
    ThrowSystemError("cannot replace " + path_);
  }
  // O_NOCTTY: a terminal named as output must not become ours to control.
  direct_fd_ = open(path_.c_str(), O_WRONLY | O_NOCTTY | O_CLOEXEC);
  if (direct_fd_ < 0) ThrowSystemError("cannot write " + path_);
}

AtomicFileWriter::~AtomicFileWriter() {
  if (direct_fd_ >= 0) close(direct_fd_);
}

void AtomicFileWriter::Write(std::string_view data) {
  if (temp_ == nullptr) return WriteAll(direct_fd_, data, path_);
  WriteAll(temp_->fd(), data, temp_->path());
}

void AtomicFileWriter::Commit() {
  if (temp_ == nullptr) {
    const int fd = std::exchange(direct_fd_, -1);
    if (close(fd) != 0) ThrowSystemError("cannot write " + path_);
    return;
  }
  if (fsync(temp_->fd()) != 0) ThrowSystemError("cannot write " + temp_->path());
  // Renamed while still open and locked, so that no sweep in another
  // process ever sees the finished file unlocked under its temporary name.
  if (rename(temp_->path().c_str(), path_.c_str()) != 0) ThrowSystemError("cannot replace " + path_);
  temp_->Release();
  temp_->CloseOrThrow();
  SyncFolder(FolderOf(path_));
}

}  // namespace corvane::platform
