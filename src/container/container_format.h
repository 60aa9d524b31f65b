// The bytes of a container file. All integers are little-endian; page
// numbers are signed 32-bit with -1 for "none".
//
// Part file (the disk file; container offset x lies at file offset 280 + x):
//   0    8  "CVMVPART"
//   8    8  part size in bytes, part header included (int64)
//   16 261  name of the next part file, zero-terminated; zero when none
//   277  3  zero
//
// Header (container offset 0, the first 256 bytes of page 0):
//   0    8  "CVCONTNR"
//   8    4  XOR of the 61 words at offsets 12..255
//   12   4  version, float 1.0
//   16   4  page size in bytes        20   4  extent size in pages
//   24   4  first extent page (1)     28   4  GAM/SGAM page pairs
//   32   4  PFS pages                 36   4  directory pages
//   40   4  first directory page      44   4  directory items
//   48   4  pages in the container    52 172  password block
//   224  1  encrypted flag            225  1  owner mark
//   226 30  zero
//
// The owner mark is a reserved byte the container keeps for its owner: zero
// in every container made elsewhere, and set by an owner that wants to tell
// a file it is still filling from a finished one after a crash.
//
// Page header (first 32 bytes of every other page):
//   0    4  next page of a chain, -1 at the end
//   4    4  checksum of the stored data bytes
//   8    1  page type                 9    1  encryption (0 none, 1 Rijndael)
//   10   1  checksum kind (0 XOR words, 1 CRC-16)   11  21  zero
//
// Directory item (512 bytes, 7 to a 4 KB page):
//   0    4  first page-map page       4    8  size
//   12   8  creation time             20   8  last write time
//   28   8  last access time (Windows file times)
//   36   4  attributes (16 directory) 40   4  parent item, -1 root
//   44   4  zero                      48 172  password block
//   220  1  barred                    221  1  deleted
//   222  1  encrypted                 223  1  zero
//   224 260 name, zero-terminated     484 28  zero
#ifndef CORVANE_CONTAINER_CONTAINER_FORMAT_H_
#define CORVANE_CONTAINER_CONTAINER_FORMAT_H_

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>

#include "platform/coding.h"

namespace corvane::container {

inline constexpr int64_t kDefaultPartSize = 2147483647;
inline constexpr std::size_t kPartHeaderSize = 280;
inline constexpr std::size_t kPartNameSize = 261;
inline constexpr std::string_view kPartSignature = "CVMVPART";
inline constexpr std::string_view kContainerSignature = "CVCONTNR";
inline constexpr std::size_t kHeaderSize = 256;
inline constexpr std::size_t kPageHeaderSize = 32;
inline constexpr std::size_t kDirItemSize = 512;
inline constexpr std::size_t kPasswordBlockSize = 172;
inline constexpr std::size_t kMaxNameLength = 259;
inline constexpr int32_t kNoPage = -1;
inline constexpr int32_t kRootItem = -1;
inline constexpr int32_t kAttrDirectory = 0x10;
inline constexpr uint32_t kVersionOne = 0x3F800000;  // 1.0f

enum PageType : uint8_t {
  kPageDirectory = 1,
  kPageGam = 2,
  kPageSgam = 3,
  kPagePfs = 4,
  kPageMap = 5,
  kPageData = 6,
};

enum ChecksumKind : uint8_t { kChecksumXor = 0, kChecksumCrc16 = 1 };
enum PageEncryption : uint8_t { kEncryptionNone = 0, kEncryptionRijndael = 1 };

// Codes a failing page read or write leaves behind.
inline constexpr int kErrHeaderNotRead = -7;
inline constexpr int kErrHeaderNotWritten = -8;
inline constexpr int kErrDataNotRead = -9;
inline constexpr int kErrDataNotWritten = -10;
inline constexpr int kErrChecksum = -11;
inline constexpr int kErrDecryption = -12;
inline constexpr int kErrEncryption = -13;
inline constexpr int kErrUnknownHandle = -6;

using PasswordBlock = std::array<uint8_t, kPasswordBlockSize>;

// Fields are read and written with the little-endian helpers of
// platform/coding.h.
using platform::GetI32;
using platform::GetI64;
using platform::GetU32;
using platform::PutI32;
using platform::PutI64;
using platform::PutU32;

// XOR of the bytes taken as 32-bit little-endian words; a tail of fewer than
// four bytes is not covered.
uint32_t XorChecksum(const uint8_t* data, std::size_t size);
// CRC-16/ARC: reflected polynomial 0xA001, initial value 0, no final XOR.
uint16_t Crc16Arc(const uint8_t* data, std::size_t size);
uint32_t PageChecksum(ChecksumKind kind, const uint8_t* data, std::size_t size);

struct PartHeader {
  int64_t part_size = kDefaultPartSize;
  std::string next_name;  // empty when this is the last part

  std::array<uint8_t, kPartHeaderSize> Encode() const;
  // nullopt when the signature is wrong or the part size is not usable.
  static std::optional<PartHeader> Decode(const uint8_t* bytes);
};

struct ContainerHeader {
  int32_t page_size = 0;
  int32_t extent_size = 0;
  int32_t first_extent_page = 1;
  int32_t gam_pair_count = 0;
  int32_t pfs_page_count = 0;
  int32_t dir_page_count = 0;
  int32_t first_dir_page = 0;
  int32_t dir_item_count = 0;
  int32_t page_count = 1;
  PasswordBlock password{};
  uint8_t encrypted = 0;
  uint8_t owner_mark = 0;

  std::array<uint8_t, kHeaderSize> Encode() const;
  // nullopt when the signature or the checksum does not match.
  static std::optional<ContainerHeader> Decode(const uint8_t* bytes);
};

struct PageHeader {
  int32_t next = kNoPage;
  uint32_t checksum = 0;
  uint8_t type = 0;
  uint8_t encryption = kEncryptionNone;
  uint8_t checksum_kind = kChecksumXor;

  void Encode(uint8_t* out) const;
  static PageHeader Decode(const uint8_t* bytes);
};

struct DirItem {
  int32_t first_map_page = kNoPage;
  int64_t size = 0;
  int64_t creation_time = 0;
  int64_t last_write_time = 0;
  int64_t last_access_time = 0;
  int32_t attributes = 0;
  int32_t parent = kRootItem;
  PasswordBlock password{};
  uint8_t barred = 0;
  uint8_t deleted = 0;
  uint8_t encrypted = 0;
  std::string name;

  bool IsDirectory() const { return (attributes & kAttrDirectory) != 0; }
  void Encode(uint8_t* out) const;
  static DirItem Decode(const uint8_t* bytes);
};

// Sizes that follow from the page and extent sizes.
struct Geometry {
  Geometry(int32_t page_size, int32_t extent_size);

  int32_t page_size;
  int32_t extent_size;     // E
  int32_t data_size;       // D: page size less the page header
  int32_t pfs_bytes;       // P: bytes per PFS page
  int32_t pfs_extents;     // Xp: extents per PFS page
  int32_t gam_bytes;       // G: bytes per GAM (and SGAM) page
  int64_t gam_extents;     // Xg: extents per GAM page
  int32_t items_per_page;  // directory items per page
  int32_t map_entries;     // M: page numbers per page-map page

  int64_t PfsPage(int64_t k) const { return 1 + k * pfs_extents * extent_size; }
  int64_t GamPage(int64_t k) const { return 2 + k * gam_extents * extent_size; }
  int64_t SgamPage(int64_t k) const { return GamPage(k) + 1; }
  int64_t FirstPageOfExtent(int64_t x) const { return 1 + x * extent_size; }
  int64_t ExtentOfPage(int64_t page) const { return (page - 1) / extent_size; }
};

// Now as a Windows file time (100 ns since 1601-01-01 UTC), at the two-second
// resolution of a DOS date-time.
int64_t NowAsFileTime();

}  // namespace corvane::container

#endif  // CORVANE_CONTAINER_CONTAINER_FORMAT_H_
