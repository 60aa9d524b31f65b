// Whole-file reads and crash-safe writes.
#ifndef CORVANE_PLATFORM_FILE_IO_H_
#define CORVANE_PLATFORM_FILE_IO_H_

#include <istream>
#include <memory>
#include <string>
#include <string_view>

namespace corvane::platform {

// The whole file; throws corvane::Error with the system's reason.
std::string ReadFile(const std::string& path);

// Everything left on a stream, as bytes.
std::string ReadStream(std::istream& in);

// Writes `data` to a temporary file beside `path` and renames it over `path`,
// so a failure never leaves a partial file and never harms what was there.
// An existing file keeps its permissions.
void WriteFileAtomically(const std::string& path, std::string_view data);

// The same, for data that comes a piece at a time: Write() appends to the
// temporary file and Commit() renames it over `path`. Until Commit()
// succeeds, `path` is untouched; a writer destroyed without it removes its
// temporary file. Failures throw corvane::Error with the system's reason.
class AtomicFileWriter {
 public:
  explicit AtomicFileWriter(std::string path);
  ~AtomicFileWriter();
  AtomicFileWriter(const AtomicFileWriter&) = delete;
  AtomicFileWriter& operator=(const AtomicFileWriter&) = delete;

  void Write(std::string_view data);
  void Commit();

 private:
  class TemporaryFile;
  std::string path_;
  std::unique_ptr<TemporaryFile> temp_;
};

}  // namespace corvane::platform

#endif  // CORVANE_PLATFORM_FILE_IO_H_
