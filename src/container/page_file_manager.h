// TPageFileManager: the container's header and its pages.
//
// Pages are read whole, checked against their checksum and kept in memory;
// written pages wait in memory and go to disk in page order when Flush is
// called, when the container closes, or when too many are waiting. Data
// pages are written before the pages that point at them (maps, directory,
// free-space maps) and the header last, so a write that fails part way
// leaves what was stored before readable.
#ifndef CORVANE_CONTAINER_PAGE_FILE_MANAGER_H_
#define CORVANE_CONTAINER_PAGE_FILE_MANAGER_H_

#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "container/container_format.h"
#include "container/part_files.h"

namespace corvane::container {

// Encrypts and decrypts page data in place; null when pages are stored plain.
class PageCipher {
 public:
  virtual ~PageCipher() = default;
  virtual bool Encrypt(int32_t page, uint8_t* data, std::size_t size) const = 0;
  virtual bool Decrypt(int32_t page, uint8_t* data, std::size_t size) const = 0;
};

class TPageFileManager {
 public:
  // Creates a new container file: the part header and a 256-byte header.
  TPageFileManager(const std::string& path, int32_t page_size_kb, int32_t extent_size,
                   int64_t part_size, const PasswordBlock* password);
  // Opens an existing container and checks its header against the file.
  TPageFileManager(const std::string& path, bool read_only);
  ~TPageFileManager();

  const ContainerHeader& Header() const { return header_; }
  ContainerHeader& MutableHeader() { header_dirty_ = true; return header_; }
  const Geometry& geometry() const { return geometry_; }
  int32_t DataSize() const { return geometry_.data_size; }
  int32_t PageCount() const { return header_.page_count; }
  bool ReadOnly() const { return files_.ReadOnly(); }
  const PartFiles& Files() const { return files_; }
  int LastError() const { return last_error_; }
  // Pages held in memory, clean and dirty; bounded whatever the workload.
  std::size_t CachedPageCount() const { return cache_.size(); }
  void SetCipher(std::unique_ptr<PageCipher> cipher) { cipher_ = std::move(cipher); }

  // Reads `length` data bytes of page `page` into `out` (and its header into
  // `header` when given). False, with LastError() set, on a short read, a
  // checksum mismatch or a failed decryption.
  bool ReadPage(int32_t page, uint8_t* out, int32_t length, PageHeader* header = nullptr);
  // Copies `count` bytes from `offset` of the full data area of `page`, as
  // ReadPage of the whole area would and with the same checks: a small read
  // (one index entry, a few records) copies what it asked for, not a page.
  bool ReadPagePart(int32_t page, int32_t offset, int32_t count, uint8_t* out);
  // Reads the full data areas of `count` pages into `out`, one after another;
  // pages that follow each other on disk are read with one call. Returns how
  // many pages were read before the first failure.
  std::size_t ReadFullPages(const int32_t* pages, std::size_t count, uint8_t* out);
  // Queues `length` bytes as the new content of `page`.
  bool WritePage(int32_t page, const uint8_t* data, int32_t length, uint8_t type, int32_t next,
                 bool encrypted = false);

  // Adds `count` pages at the end; false when the disk refused.
  bool Grow(int32_t count);
  // Writes every waiting page and the header, then syncs the disk file.
  // A failure's message ends with the system's reason when it has one
  // ("... (No space left on device)").
  void Flush();

 private:
  struct CachedPage {
    PageHeader header;
    std::vector<uint8_t> data;  // `length` bytes as the owner wrote them, plain
    int32_t length = 0;
    bool dirty = false;
    bool encrypted = false;
  };

  void ValidateHeader(const std::string& path) const;
  CachedPage* LoadPage(int32_t page, int32_t length);
  // Checks a page as stored in `raw` (header and data) and decrypts its data
  // in place; false with LastError() set when it is not sound.
  bool VerifyStoredPage(int32_t page, uint8_t* raw, int32_t length, PageHeader& header);
  void WriteWaitingPages();
  bool WriteHeader();
  void TrimCache();
  // " (<the system's reason>)" after a failed disk write, else empty.
  std::string SystemCause() const;

  PartFiles files_;
  ContainerHeader header_;
  Geometry geometry_{4096, 16};
  bool header_dirty_ = false;
  int last_error_ = 0;
  std::unique_ptr<PageCipher> cipher_;
  std::unordered_map<int32_t, CachedPage> cache_;
  std::size_t dirty_count_ = 0;
};

}  // namespace corvane::container

#endif  // CORVANE_CONTAINER_PAGE_FILE_MANAGER_H_
