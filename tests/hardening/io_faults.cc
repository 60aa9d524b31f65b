#include "io_faults.h"

#include <dlfcn.h>
#include <sys/types.h>
#include <unistd.h>

#include <cerrno>

namespace corvane::testing {
namespace {

struct State {
  bool armed = false;
  int64_t calls = 0;
  int64_t fail_at = 0;
  FaultMode mode = FaultMode::kOnce;
  IoCall only = IoCall::kAny;
  bool delivered = false;
  int error = EIO;
};

State& Faults() {
  static State state;
  return state;
}

enum class Verdict { kPass, kFail, kTear };

// Counts one call and says what becomes of it.
Verdict Judge(IoCall call, std::size_t count) {
  State& s = Faults();
  if (!s.armed || (s.only != IoCall::kAny && s.only != call)) return Verdict::kPass;
  ++s.calls;
  if (s.fail_at <= 0) return Verdict::kPass;
  const bool hit = s.calls == s.fail_at;
  if (hit) s.delivered = true;
  if (!hit && !(s.mode == FaultMode::kFromNow && s.calls > s.fail_at)) return Verdict::kPass;
  return hit && call == IoCall::kWrite && count > 1 ? Verdict::kTear : Verdict::kFail;
}

template <typename F>
F Real(const char* name) {
  static_assert(sizeof(F) == sizeof(void*));
  void* symbol = dlsym(RTLD_NEXT, name);
  F f;
  __builtin_memcpy(&f, &symbol, sizeof f);
  return f;
}

}  // namespace

void ArmIoFaults(int64_t fail_at, FaultMode mode, IoCall only, int error) {
  Faults() = State{true, 0, fail_at, mode, only, false, error};
}

int64_t DisarmIoFaults() {
  Faults().armed = false;
  return Faults().calls;
}

bool IoFaultDelivered() { return Faults().delivered; }

int FaultError() { return Faults().error; }

}  // namespace corvane::testing

using corvane::testing::IoCall;
using corvane::testing::Judge;
using corvane::testing::Real;
using corvane::testing::Verdict;

extern "C" {

ssize_t pread(int fd, void* buffer, size_t count, off_t offset) {
  static const auto real = Real<ssize_t (*)(int, void*, size_t, off_t)>("pread");
  if (Judge(IoCall::kRead, count) != Verdict::kPass) {
    errno = corvane::testing::FaultError();
    return -1;
  }
  return real(fd, buffer, count, offset);
}

ssize_t pwrite(int fd, const void* buffer, size_t count, off_t offset) {
  static const auto real = Real<ssize_t (*)(int, const void*, size_t, off_t)>("pwrite");
  switch (Judge(IoCall::kWrite, count)) {
    case Verdict::kPass:
      return real(fd, buffer, count, offset);
    case Verdict::kTear:
      return real(fd, buffer, count / 2, offset);
    case Verdict::kFail:
      break;
  }
  errno = corvane::testing::FaultError();
  return -1;
}

int ftruncate(int fd, off_t length) {
  static const auto real = Real<int (*)(int, off_t)>("ftruncate");
  if (Judge(IoCall::kSetSize, 0) != Verdict::kPass) {
    errno = corvane::testing::FaultError();
    return -1;
  }
  return real(fd, length);
}

int fsync(int fd) {
  static const auto real = Real<int (*)(int)>("fsync");
  if (Judge(IoCall::kFlush, 0) != Verdict::kPass) {
    errno = corvane::testing::FaultError();
    return -1;
  }
  return real(fd);
}

int fdatasync(int fd) {
  static const auto real = Real<int (*)(int)>("fdatasync");
  if (Judge(IoCall::kFlush, 0) != Verdict::kPass) {
    errno = corvane::testing::FaultError();
    return -1;
  }
  return real(fd);
}

}  // extern "C"
