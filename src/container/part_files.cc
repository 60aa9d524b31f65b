#include "container/part_files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <set>

#include "container/container_format.h"
#include "platform/error.h"
#include "platform/positioned_io.h"

namespace corvane::container {
namespace {

std::string DirectoryOf(const std::string& path) {
  const std::size_t slash = path.find_last_of('/');
  return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

std::string BaseName(const std::string& path) {
  const std::size_t slash = path.find_last_of('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

[[noreturn]] void ThrowCorrupted(const std::string& path) {
  throw Error("File " + path + " has corrupted header.");
}

// A part that is not there, or that the system will not open, has no header
// to be corrupted: say what the system said.
[[noreturn]] void ThrowCannotOpen(const std::string& path, int error) {
  if (error == ENOENT) throw Error("File " + path + " does not exist.");
  throw Error("Cannot open file " + path + ": " + std::strerror(error));
}

// errno after a failed call; a call that failed without setting it (a
// write of no bytes) counts as an input/output error.
int LastErrno() { return errno != 0 ? errno : EIO; }

bool PwriteAll(int fd, const void* buffer, int64_t n, int64_t offset) {
  return platform::WriteAt(fd, buffer, n, offset) == n;
}

int64_t FileSize(int fd) {
  struct stat info {};
  return fstat(fd, &info) == 0 ? static_cast<int64_t>(info.st_size) : -1;
}

}  // namespace

PartFiles PartFiles::Open(const std::string& path, bool read_only) {
  PartFiles files;
  files.read_only_ = read_only;
  const std::string directory = DirectoryOf(path);
  std::set<std::string> seen;
  std::string current = path;
  for (;;) {
    // A header chain that names a part twice would never end.
    if (!seen.insert(current).second) ThrowCorrupted(path);
    const int fd = open(current.c_str(), (read_only ? O_RDONLY : O_RDWR) | O_CLOEXEC);
    if (fd < 0) ThrowCannotOpen(current, errno);
    files.parts_.push_back({current, fd});
    uint8_t bytes[kPartHeaderSize];
    const auto header = platform::ReadAt(fd, bytes, kPartHeaderSize, 0) == static_cast<int64_t>(kPartHeaderSize)
                            ? PartHeader::Decode(bytes)
                            : std::nullopt;
    if (!header) ThrowCorrupted(current);
    if (files.parts_.size() == 1) {
      files.part_size_ = header->part_size;
    } else if (header->part_size != files.part_size_) {
      ThrowCorrupted(current);
    }
    const int64_t stored = FileSize(fd) - static_cast<int64_t>(kPartHeaderSize);
    // Every part but the last must be full, or container offsets would shift.
    if (stored < 0 || stored > files.Capacity()) ThrowCorrupted(current);
    files.size_ += stored;
    if (header->next_name.empty()) break;
    if (stored != files.Capacity() || header->next_name.find('/') != std::string::npos) {
      ThrowCorrupted(current);
    }
    current = directory + header->next_name;
  }
  return files;
}

PartFiles PartFiles::Create(const std::string& path, int64_t part_size) {
  if (part_size <= static_cast<int64_t>(kPartHeaderSize)) {
    throw Error("TPageFileManager.Create - part size too small.");
  }
  PartFiles files;
  files.part_size_ = part_size;
  const int fd = open(path.c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  if (fd < 0) throw Error("Cannot create file \"" + path + "\"");
  files.parts_.push_back({path, fd});
  files.unsynced_ = true;
  PartHeader header;
  header.part_size = part_size;
  header.next_name.clear();
  const auto bytes = header.Encode();
  errno = 0;
  if (!PwriteAll(fd, bytes.data(), bytes.size(), 0)) {
    // The file could be made but not written: a full disk, whose reason the
    // folder's own check would not find.
    throw Error("Cannot create file \"" + path + "\" (" + std::strerror(LastErrno()) + ")");
  }
  return files;
}

PartFiles::PartFiles(PartFiles&& other) noexcept { *this = std::move(other); }

PartFiles& PartFiles::operator=(PartFiles&& other) noexcept {
  if (this != &other) {
    CloseAll();
    parts_ = std::move(other.parts_);
    part_size_ = other.part_size_;
    size_ = other.size_;
    read_only_ = other.read_only_;
    unsynced_ = other.unsynced_;
    system_error_ = other.system_error_;
    other.parts_.clear();
  }
  return *this;
}

PartFiles::~PartFiles() { CloseAll(); }

void PartFiles::CloseAll() {
  for (Part& part : parts_) {
    if (part.fd >= 0) close(part.fd);
  }
  parts_.clear();
}

int64_t PartFiles::ReadAt(int64_t offset, void* buffer, int64_t n) const {
  auto* p = static_cast<uint8_t*>(buffer);
  int64_t done = 0;
  n = std::min(n, std::max<int64_t>(0, size_ - offset));
  while (done < n) {
    const int64_t at = offset + done;
    const auto part = static_cast<std::size_t>(at / Capacity());
    if (part >= parts_.size()) break;
    const int64_t within = at % Capacity();
    const int64_t chunk = std::min(n - done, Capacity() - within);
    const int64_t got = platform::ReadAt(parts_[part].fd, p + done, chunk, static_cast<int64_t>(kPartHeaderSize) + within);
    done += got;
    if (got < chunk) break;
  }
  return done;
}

bool PartFiles::WriteAt(int64_t offset, const void* buffer, int64_t n) {
  if (read_only_) return false;
  unsynced_ = true;
  const auto* p = static_cast<const uint8_t*>(buffer);
  int64_t done = 0;
  while (done < n) {
    const int64_t at = offset + done;
    const auto part = static_cast<std::size_t>(at / Capacity());
    if (part >= parts_.size()) return false;
    const int64_t within = at % Capacity();
    const int64_t chunk = std::min(n - done, Capacity() - within);
    errno = 0;
    if (!PwriteAll(parts_[part].fd, p + done, chunk, static_cast<int64_t>(kPartHeaderSize) + within)) {
      system_error_ = LastErrno();
      return false;
    }
    done += chunk;
  }
  size_ = std::max(size_, offset + n);
  return true;
}

bool PartFiles::AddPart() {
  const std::string& first = parts_.front().path;
  const std::string directory = DirectoryOf(first);
  std::string name;
  for (int number = 1;; ++number) {
    name = BaseName(first) + std::to_string(number);
    struct stat info {};
    if (stat((directory + name).c_str(), &info) != 0) break;
  }
  const std::string path = directory + name;
  const int fd = open(path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
  if (fd < 0) {
    system_error_ = LastErrno();
    return false;
  }
  PartHeader header;
  header.part_size = part_size_;
  const auto bytes = header.Encode();
  errno = 0;
  if (!PwriteAll(fd, bytes.data(), bytes.size(), 0)) {
    system_error_ = LastErrno();
    close(fd);
    unlink(path.c_str());
    return false;
  }
  // Name the new part in the header of the one before it.
  uint8_t name_field[kPartNameSize] = {};
  std::copy_n(name.begin(), std::min(name.size(), kPartNameSize - 1), name_field);
  if (!PwriteAll(parts_.back().fd, name_field, kPartNameSize, 16)) {
    system_error_ = LastErrno();
    close(fd);
    unlink(path.c_str());
    return false;
  }
  parts_.push_back({path, fd});
  return true;
}

bool PartFiles::Resize(int64_t size) {
  if (read_only_) return false;
  unsynced_ = true;
  while (static_cast<int64_t>(parts_.size()) * Capacity() < size) {
    if (!AddPart()) return false;
  }
  for (std::size_t i = 0; i < parts_.size(); ++i) {
    const int64_t start = static_cast<int64_t>(i) * Capacity();
    const int64_t stored = std::clamp<int64_t>(size - start, 0, Capacity());
    if (ftruncate(parts_[i].fd, static_cast<off_t>(kPartHeaderSize + stored)) != 0) {
      system_error_ = LastErrno();
      return false;
    }
  }
  size_ = size;
  return true;
}

bool PartFiles::Sync() {
  if (!unsynced_) return true;
  bool ok = true;
  for (const Part& part : parts_) {
    if (fdatasync(part.fd) != 0) {
      system_error_ = LastErrno();
      ok = false;
    }
  }
  unsynced_ = !ok;
  return ok;
}

}  // namespace corvane::container
