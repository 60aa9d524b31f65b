// A whole file mapped read-only into memory, for data that is used in place
// rather than read (compiled pattern sets in the cache folder).
//
// The mapping is private: later writes to the file through other names do
// not show, and a file replaced by rename keeps its old contents mapped
// while this object lives. (A file shortened in place by another program
// would fault the pages past its new end; this program never does that to
// the files it maps, it only renames over them.)
#ifndef CORVANE_PLATFORM_MAPPED_FILE_H_
#define CORVANE_PLATFORM_MAPPED_FILE_H_

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace corvane::platform {

class MappedFile {
 public:
  // Maps `path`; throws corvane::Error with the system's reason, or when the
  // file is empty or no regular file.
  static std::shared_ptr<const MappedFile> Open(const std::string& path);
  ~MappedFile();
  MappedFile(const MappedFile&) = delete;
  MappedFile& operator=(const MappedFile&) = delete;

  // Aligned to a memory page.
  const uint8_t* Data() const { return data_; }
  size_t Size() const { return size_; }

 private:
  MappedFile(const uint8_t* data, size_t size) : data_(data), size_(size) {}

  const uint8_t* data_;
  size_t size_;
};

}  // namespace corvane::platform

#endif  // CORVANE_PLATFORM_MAPPED_FILE_H_
