#include "platform/mapped_file.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/error.h"

namespace corvane::platform {
namespace {

[[noreturn]] void Fail(const std::string& what, const std::string& path, int error) {
  throw Error("cannot " + what + " " + path + ": " + std::strerror(error));
}

}  // namespace

std::shared_ptr<const MappedFile> MappedFile::Open(const std::string& path) {
  // Without blocking: a FIFO under the name would wait for a writer forever.
  const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) Fail("open", path, errno);
  struct stat info;
  if (fstat(fd, &info) != 0) {
    const int error = errno;
    close(fd);
    Fail("read", path, error);
  }
  if (!S_ISREG(info.st_mode) || info.st_size <= 0) {
    close(fd);
    throw Error("cannot map " + path + ": not a regular file with data");
  }
  const auto size = static_cast<size_t>(info.st_size);
  // Populated at once: the pages are all read anyway, and one call costs
  // less than a fault per page.
  void* data = mmap(nullptr, size, PROT_READ, MAP_PRIVATE | MAP_POPULATE, fd, 0);
  const int error = errno;
  close(fd);
  if (data == MAP_FAILED) Fail("map", path, error);
  return std::shared_ptr<const MappedFile>(new MappedFile(static_cast<const uint8_t*>(data), size));
}

MappedFile::~MappedFile() { munmap(const_cast<uint8_t*>(data_), size_); }

}  // namespace corvane::platform
