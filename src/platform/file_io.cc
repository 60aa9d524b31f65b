#include "platform/file_io.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <iterator>
#include <sstream>
#include <utility>

#include "platform/error.h"

namespace corvane::platform {
namespace {

[[noreturn]] void ThrowSystemError(const std::string& what) {
  throw Error(what + ": " + std::strerror(errno));
}

mode_t ModeForNewFile() {
  const mode_t mask = umask(0);
  umask(mask);
  return 0666 & ~mask;
}

}  // namespace

// Closes the descriptor and removes the temporary file unless released.
class AtomicFileWriter::TemporaryFile {
 public:
  explicit TemporaryFile(const std::string& target) : path_(target + ".XXXXXX") {
    fd_ = mkstemp(path_.data());
    if (fd_ < 0) ThrowSystemError("cannot create a temporary file beside " + target);
  }
  ~TemporaryFile() {
    if (fd_ >= 0) close(fd_);
    if (!released_) unlink(path_.c_str());
  }
  TemporaryFile(const TemporaryFile&) = delete;
  TemporaryFile& operator=(const TemporaryFile&) = delete;

  int fd() const { return fd_; }
  const std::string& path() const { return path_; }
  void CloseOrThrow() {
    const int fd = fd_;
    fd_ = -1;
    if (close(fd) != 0) ThrowSystemError("cannot write " + path_);
  }
  void Release() { released_ = true; }

 private:
  std::string path_;
  int fd_ = -1;
  bool released_ = false;
};

std::string ReadFile(const std::string& path) {
  const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) ThrowSystemError("cannot open");
  struct stat info {};
  if (fstat(fd, &info) == 0 && S_ISDIR(info.st_mode)) {
    close(fd);
    throw Error("is a directory");
  }
  std::string data;
  if (info.st_size > 0) data.reserve(static_cast<std::size_t>(info.st_size));
  char buffer[1 << 16];
  for (;;) {
    const ssize_t got = read(fd, buffer, sizeof buffer);
    if (got == 0) break;
    if (got < 0) {
      if (errno == EINTR) continue;
      const int saved = errno;
      close(fd);
      errno = saved;
      ThrowSystemError("cannot read");
    }
    data.append(buffer, static_cast<std::size_t>(got));
  }
  close(fd);
  return data;
}

std::string ReadStream(std::istream& in) {
  std::ostringstream buffer;
  buffer << in.rdbuf();
  return std::move(buffer).str();
}

void WriteFileAtomically(const std::string& path, std::string_view data) {
  AtomicFileWriter writer(path);
  writer.Write(data);
  writer.Commit();
}

AtomicFileWriter::AtomicFileWriter(std::string path)
    : path_(std::move(path)), temp_(std::make_unique<TemporaryFile>(path_)) {
  struct stat existing {};
  const mode_t mode = stat(path_.c_str(), &existing) == 0 ? (existing.st_mode & 07777) : ModeForNewFile();
  if (fchmod(temp_->fd(), mode) != 0) ThrowSystemError("cannot write " + temp_->path());
}

AtomicFileWriter::~AtomicFileWriter() = default;

void AtomicFileWriter::Write(std::string_view data) {
  std::size_t written = 0;
  while (written < data.size()) {
    const ssize_t n = write(temp_->fd(), data.data() + written, data.size() - written);
    if (n < 0) {
      if (errno == EINTR) continue;
      ThrowSystemError("cannot write " + temp_->path());
    }
    written += static_cast<std::size_t>(n);
  }
}

void AtomicFileWriter::Commit() {
  if (fsync(temp_->fd()) != 0) ThrowSystemError("cannot write " + temp_->path());
  temp_->CloseOrThrow();
  if (rename(temp_->path().c_str(), path_.c_str()) != 0) ThrowSystemError("cannot replace " + path_);
  temp_->Release();
}

}  // namespace corvane::platform
