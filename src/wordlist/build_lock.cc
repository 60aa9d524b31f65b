#include "wordlist/build_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/error.h"

namespace corvane::wordlist {

namespace {

bool SameFile(const struct stat& a, const struct stat& b) { return a.st_dev == b.st_dev && a.st_ino == b.st_ino; }

}  // namespace

BuildLock::BuildLock(const std::string& database) : path_(LockFileOf(database)) {
  for (;;) {
    fd_ = ::open(path_.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
    if (fd_ < 0) throw Error("Cannot create file " + path_ + " (" + std::strerror(errno) + ")");
    int result = 0;
    do {
      result = ::flock(fd_, LOCK_EX);
    } while (result != 0 && errno == EINTR);
    if (result != 0) {
      const int error = errno;
      ::close(fd_);
      throw Error("Cannot lock file " + path_ + " (" + std::strerror(error) + ")");
    }
    struct stat held {};
    struct stat named {};
    if (::fstat(fd_, &held) == 0 && ::stat(path_.c_str(), &named) == 0 && SameFile(held, named)) return;
    // The holder before us removed the file we waited on.
    ::close(fd_);
  }
}

BuildLock::~BuildLock() {
  // Removed while still held, so that nobody locks this file after us;
  // closing the descriptor then releases the lock.
  ::unlink(path_.c_str());
  ::close(fd_);
}

}  // namespace corvane::wordlist
