// BLOB values of a table: the ".bif" file holds one header per stored
// value, the ".bdf" file the values themselves in blocks.
//
// ".bif":
//   offset width content
//   0      4     "CVBF"
//   4      4     block size B (int32, 1 .. 16 MB)
//   8      4     number of value headers E (int32)
//   12     4     reserved, 0
//   16     32 E  value headers, in no particular order
//
// Value header (32 bytes):
//   0      4     record identifier (int32)
//   4      4     field number among the stored fields (int32)
//   8      4     first block (int32)
//   12     4     block count (int32)
//   16     4     value length in bytes, before compression (int32)
//   20     4     stored length in bytes (int32)
//   24     4     CRC-32 of the stored bytes
//   28     1     compression: 0 stored as is, else the table's level (1..3)
//   29     3     reserved, 0
//
// ".bdf": block b occupies bytes b B .. b B + B - 1. A value's stored bytes
// fill its blocks first .. first + count - 1 from the start; the rest of
// the last block is zero. Blocks no header names are free.
//
// Values are keyed by record identifier and field, so they follow a record
// when deletion moves its slot. An empty value has no header. A value is
// compressed with zlib at the table's level (1 fastest, 2 default, 3 best)
// unless that would not make it smaller. A rewrite goes to free blocks
// first and releases the old ones only after the new header is written, so
// a failed write leaves the old value readable. The headers are checked
// against both files' sizes when opened (runs inside ".bdf", no two runs
// overlapping, lengths that fit), so reading allocates only what the files
// can hold; a value whose bytes do not match their CRC raises "Error in
// TCvDataManager.InternalReadBLOBValue - crc error".
#ifndef CORVANE_TABLE_BLOB_FILES_H_
#define CORVANE_TABLE_BLOB_FILES_H_

#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace corvane::container {
class TAbstractFile;
}

namespace corvane::table {

inline constexpr std::size_t kBlobFileHeaderSize = 16;
inline constexpr std::size_t kBlobValueHeaderSize = 32;
inline constexpr int32_t kMaxBlobBlockSize = 16 << 20;

class BlobFiles {
 public:
  // Over the two open files of table `table_name` (for messages). An empty
  // ".bif" is given a header with `block_size` unless `read_only`.
  BlobFiles(container::TAbstractFile& bif, container::TAbstractFile& bdf, const std::string& table_name,
            uint8_t compression, int32_t block_size, bool read_only);

  // Writes the header of an empty ".bif".
  static void WriteEmpty(container::TAbstractFile& bif, int32_t block_size);

  int32_t BlockSize() const { return block_size_; }
  std::size_t ValueCount() const { return headers_.size(); }

  std::string Read(int32_t id, int32_t field);
  // An empty value removes the stored one.
  void Write(int32_t id, int32_t field, std::string_view value);
  // Removes every value of record `id`.
  void Remove(int32_t id);
  void Flush();

 private:
  struct Header {
    int32_t id = 0;
    int32_t field = 0;
    int32_t first = 0;
    int32_t blocks = 0;
    int32_t length = 0;
    int32_t stored = 0;
    uint32_t crc = 0;
    uint8_t compression = 0;
  };

  void Load();
  void WriteHeader(std::size_t index);
  void WriteCount();
  void RemoveAt(std::size_t index);
  int32_t Allocate(int32_t blocks);
  void Release(int32_t first, int32_t blocks);
  [[noreturn]] void Damaged(const std::string& what) const;

  container::TAbstractFile& bif_;
  container::TAbstractFile& bdf_;
  std::string table_name_;
  uint8_t compression_;
  int32_t block_size_;
  bool read_only_;
  std::vector<Header> headers_;
  std::map<std::pair<int32_t, int32_t>, std::size_t> by_key_;  // (id, field) -> index
  std::map<int32_t, int32_t> free_;                           // first block -> count
  int32_t end_block_ = 0;  // blocks from here on are free
};

}  // namespace corvane::table

#endif  // CORVANE_TABLE_BLOB_FILES_H_
