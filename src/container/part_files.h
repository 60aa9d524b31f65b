// The disk files that hold a container's bytes: a first part file and, when
// the container outgrows it, further parts named after it with a number
// appended ("db.edb", "db.edb1", ...). Each part starts with a part header
// and holds at most part size - 280 container bytes; the header of each part
// names the next one.
#ifndef CORVANE_CONTAINER_PART_FILES_H_
#define CORVANE_CONTAINER_PART_FILES_H_

#include <cstdint>
#include <string>
#include <vector>

namespace corvane::container {

class PartFiles {
 public:
  // Opens the first part and every part its headers name. Throws
  // corvane::Error: "File <name> does not exist." or "Cannot open file
  // <name>: <reason>" when a part cannot be opened, "File <name> has
  // corrupted header." when its header is not valid.
  static PartFiles Open(const std::string& path, bool read_only);
  // Creates (or empties) the first part with the given part size.
  static PartFiles Create(const std::string& path, int64_t part_size);

  PartFiles(PartFiles&& other) noexcept;
  PartFiles& operator=(PartFiles&& other) noexcept;
  ~PartFiles();

  // Container bytes now stored.
  int64_t Size() const { return size_; }
  bool ReadOnly() const { return read_only_; }
  int64_t PartSize() const { return part_size_; }
  std::size_t PartCount() const { return parts_.size(); }
  const std::string& PartPath(std::size_t i) const { return parts_[i].path; }

  // Reads up to `n` bytes at container offset `offset`; returns the count read.
  int64_t ReadAt(int64_t offset, void* buffer, int64_t n) const;
  // Writes all `n` bytes or returns false.
  bool WriteAt(int64_t offset, const void* buffer, int64_t n);
  // Grows (creating parts as needed) or shrinks the container to `size`
  // bytes; false when the disk refused.
  bool Resize(int64_t size);
  // Syncs every part when something was written or resized since the last
  // sync that went through; a container only read costs no sync.
  bool Sync();
  // The system's error number of the last write, resize or sync that
  // failed (0 when none has), so that failures can say why.
  int SystemError() const { return system_error_; }

 private:
  struct Part {
    std::string path;
    int fd = -1;
  };

  PartFiles() = default;
  int64_t Capacity() const { return part_size_ - 280; }
  bool AddPart();
  void CloseAll();

  std::vector<Part> parts_;
  int64_t part_size_ = 0;
  int64_t size_ = 0;
  bool read_only_ = false;
  bool unsynced_ = false;
  int system_error_ = 0;
};

}  // namespace corvane::container

#endif  // CORVANE_CONTAINER_PART_FILES_H_
