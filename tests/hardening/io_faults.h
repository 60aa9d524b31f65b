// A failing disk for tests: this program's own definitions of pread, pwrite,
// ftruncate, fsync and fdatasync stand in front of the C library's, so every
// read, write, set-size and flush the container and the disk stores make
// passes through here. While armed, the calls are counted, and the k-th one
// (1-based) fails:
//
//   kOnce     that call alone fails; later calls work again (a transient
//             error the code must not paper over)
//   kFromNow  that call and every later one fail (the disk went away)
//
// A failing write moves half of its bytes first and reports the short count
// (then EIO when called again), so torn writes are covered as well as
// refused ones; other calls fail with EIO at once.
//
// Only this test program links it: the interposed symbols would change
// every program they were linked into.
#ifndef CORVANE_TESTS_HARDENING_IO_FAULTS_H_
#define CORVANE_TESTS_HARDENING_IO_FAULTS_H_

#include <cerrno>
#include <cstdint>

namespace corvane::testing {

enum class FaultMode { kOnce, kFromNow };
// Which calls are counted (and so may fail).
enum class IoCall { kAny, kRead, kWrite, kSetSize, kFlush };

// Starts counting; the `fail_at`-th call fails (0: none fails, only count),
// with errno `error` (ENOSPC plays a full disk).
void ArmIoFaults(int64_t fail_at, FaultMode mode, IoCall only = IoCall::kAny, int error = EIO);
// Stops counting and failing; returns the calls counted while armed.
int64_t DisarmIoFaults();
// True once the armed fault has been delivered.
bool IoFaultDelivered();
// The errno failing calls set.
int FaultError();

// Arms for the lifetime of the object.
class IoFaultScope {
 public:
  IoFaultScope(int64_t fail_at, FaultMode mode, IoCall only = IoCall::kAny, int error = EIO) {
    ArmIoFaults(fail_at, mode, only, error);
  }
  ~IoFaultScope() { DisarmIoFaults(); }
  IoFaultScope(const IoFaultScope&) = delete;
  IoFaultScope& operator=(const IoFaultScope&) = delete;
};

}  // namespace corvane::testing

#endif  // CORVANE_TESTS_HARDENING_IO_FAULTS_H_
