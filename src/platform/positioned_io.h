// Positioned reads and writes of whole ranges on a POSIX file descriptor.
//
// The system calls may transfer less than asked or be interrupted; these
// loop until the range is done, the file ends, or the call fails.
#ifndef CORVANE_PLATFORM_POSITIONED_IO_H_
#define CORVANE_PLATFORM_POSITIONED_IO_H_

#include <cstdint>

namespace corvane::platform {

// Bytes read at `offset` into `buffer`: `count` unless the file ended or a
// read failed first.
int64_t ReadAt(int fd, void* buffer, int64_t count, int64_t offset);

// Bytes written from `buffer` at `offset`: `count` unless a write failed.
int64_t WriteAt(int fd, const void* buffer, int64_t count, int64_t offset);

}  // namespace corvane::platform

#endif  // CORVANE_PLATFORM_POSITIONED_IO_H_
