#include "wordlist/build_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/error.h"

namespace corvane::wordlist {

BuildLock::BuildLock(const std::string& database) {
  const std::string path = LockFileOf(database);
  fd_ = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
  if (fd_ < 0) throw Error("Cannot create file " + path + " (" + std::strerror(errno) + ")");
  int result = 0;
  do {
    result = ::flock(fd_, LOCK_EX);
  } while (result != 0 && errno == EINTR);
  if (result != 0) {
    const int error = errno;
    ::close(fd_);
    throw Error("Cannot lock file " + path + " (" + std::strerror(error) + ")");
  }
}

BuildLock::~BuildLock() {
  // Closing the descriptor releases the lock.
  if (fd_ >= 0) ::close(fd_);
}

}  // namespace corvane::wordlist
