// Whole-file reads and crash-safe writes.
#ifndef CORVANE_PLATFORM_FILE_IO_H_
#define CORVANE_PLATFORM_FILE_IO_H_

#include <cstddef>
#include <functional>
#include <istream>
#include <limits>
#include <memory>
#include <string>
#include <string_view>

#include "platform/error.h"

namespace corvane::platform {

class TemporaryFile;

// Bounds on a read, so that /dev/zero or an endless pipe ends in an error
// rather than in all of memory.
struct ReadLimits {
  std::size_t max_bytes = std::numeric_limits<std::size_t>::max();
  // Called once with the first `head_bytes` read (or the whole of a shorter
  // input) before more is read; it throws to refuse the input early.
  std::size_t head_bytes = 0;
  std::function<void(std::string_view head)> check_head;
};

// An input longer than ReadLimits::max_bytes: "larger than the limit of N bytes".
class InputTooLargeError : public Error {
 public:
  explicit InputTooLargeError(std::size_t limit);
  std::size_t limit() const { return limit_; }

 private:
  std::size_t limit_;
};

// The whole file; throws corvane::Error with the system's reason.
std::string ReadFile(const std::string& path, const ReadLimits& limits = {});

// Everything left on a stream, as bytes.
std::string ReadStream(std::istream& in, const ReadLimits& limits = {});

// Whether `path` names something that is there but is no regular file (a
// folder, a device, a FIFO, a socket), through symbolic links.
bool IsSpecialFile(const std::string& path);

// Writes `data` to a temporary file beside `path` and renames it over `path`,
// so a failure never leaves a partial file and never harms what was there.
// An existing file keeps its permissions.
void WriteFileAtomically(const std::string& path, std::string_view data);

// The same, for data that comes a piece at a time: Write() appends to the
// temporary file and Commit() renames it over `path`. Until Commit()
// succeeds, `path` is untouched; a writer destroyed without it removes its
// temporary file. Failures throw corvane::Error with the system's reason.
//
// - A symbolic link stays: the file it names is replaced, in that file's
//   folder (a link to no file yet makes that file).
// - A replaced file keeps its mode, and its owner and group where the
//   process may set them.
// - After the rename the folder is synced, so the new name survives a
//   power cut.
// - A device, FIFO or terminal is written to directly, never replaced by a
//   regular file; Commit() then only reports what the writes did.
class AtomicFileWriter {
 public:
  explicit AtomicFileWriter(std::string path);
  ~AtomicFileWriter();
  AtomicFileWriter(const AtomicFileWriter&) = delete;
  AtomicFileWriter& operator=(const AtomicFileWriter&) = delete;

  void Write(std::string_view data);
  void Commit();

 private:
  std::string path_;                    // links followed
  std::unique_ptr<TemporaryFile> temp_;  // null when writing straight to a special file
  int direct_fd_ = -1;
};

}  // namespace corvane::platform

#endif  // CORVANE_PLATFORM_FILE_IO_H_
