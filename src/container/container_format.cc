#include "container/container_format.h"

#include <ctime>

namespace corvane::container {
namespace {

void PutBytes(uint8_t* out, std::string_view s) { std::memcpy(out, s.data(), s.size()); }

// A zero-terminated name of at most `limit` bytes.
std::string GetName(const uint8_t* p, std::size_t limit) {
  std::size_t n = 0;
  while (n < limit && p[n] != 0) ++n;
  return std::string(reinterpret_cast<const char*>(p), n);
}

}  // namespace

uint32_t XorChecksum(const uint8_t* data, std::size_t size) {
  // Eight bytes at a time: the XOR of little-endian 64-bit words folds to the
  // XOR of their two 32-bit halves.
  // Four lanes side by side, so that the XORs do not wait on each other.
  const std::size_t words = size / 4;
  uint64_t lanes[4] = {0, 0, 0, 0};
  std::size_t i = 0;
  for (; i + 8 <= words; i += 8) {
    for (int lane = 0; lane < 4; ++lane) {
      uint64_t w;
      std::memcpy(&w, data + 4 * i + 8 * static_cast<std::size_t>(lane), 8);
      lanes[lane] ^= w;
    }
  }
  uint64_t wide = lanes[0] ^ lanes[1] ^ lanes[2] ^ lanes[3];
  for (; i + 2 <= words; i += 2) {
    uint64_t w;
    std::memcpy(&w, data + 4 * i, 8);
    wide ^= w;
  }
  uint32_t x = static_cast<uint32_t>(wide) ^ static_cast<uint32_t>(wide >> 32);
  if (i < words) x ^= GetU32(data + 4 * i);
  return x;
}

uint16_t Crc16Arc(const uint8_t* data, std::size_t size) {
  static const auto table = [] {
    std::array<uint16_t, 256> t{};
    for (int i = 0; i < 256; ++i) {
      uint16_t c = static_cast<uint16_t>(i);
      for (int k = 0; k < 8; ++k) c = (c & 1) ? static_cast<uint16_t>((c >> 1) ^ 0xA001) : c >> 1;
      t[i] = c;
    }
    return t;
  }();
  uint16_t crc = 0;
  for (std::size_t i = 0; i < size; ++i) crc = static_cast<uint16_t>((crc >> 8) ^ table[(crc ^ data[i]) & 0xFF]);
  return crc;
}

uint32_t PageChecksum(ChecksumKind kind, const uint8_t* data, std::size_t size) {
  return kind == kChecksumCrc16 ? Crc16Arc(data, size) : XorChecksum(data, size);
}

std::array<uint8_t, kPartHeaderSize> PartHeader::Encode() const {
  std::array<uint8_t, kPartHeaderSize> out{};
  PutBytes(out.data(), kPartSignature);
  PutI64(out.data() + 8, part_size);
  PutBytes(out.data() + 16, std::string_view(next_name).substr(0, kPartNameSize - 1));
  return out;
}

std::optional<PartHeader> PartHeader::Decode(const uint8_t* bytes) {
  if (std::memcmp(bytes, kPartSignature.data(), kPartSignature.size()) != 0) return std::nullopt;
  PartHeader h;
  h.part_size = GetI64(bytes + 8);
  // A part must hold at least one container byte beyond its own header.
  if (h.part_size <= static_cast<int64_t>(kPartHeaderSize)) return std::nullopt;
  h.next_name = GetName(bytes + 16, kPartNameSize);
  return h;
}

std::array<uint8_t, kHeaderSize> ContainerHeader::Encode() const {
  std::array<uint8_t, kHeaderSize> out{};
  PutBytes(out.data(), kContainerSignature);
  PutU32(out.data() + 12, kVersionOne);
  PutI32(out.data() + 16, page_size);
  PutI32(out.data() + 20, extent_size);
  PutI32(out.data() + 24, first_extent_page);
  PutI32(out.data() + 28, gam_pair_count);
  PutI32(out.data() + 32, pfs_page_count);
  PutI32(out.data() + 36, dir_page_count);
  PutI32(out.data() + 40, first_dir_page);
  PutI32(out.data() + 44, dir_item_count);
  PutI32(out.data() + 48, page_count);
  std::memcpy(out.data() + 52, password.data(), password.size());
  out[224] = encrypted;
  out[225] = owner_mark;
  PutU32(out.data() + 8, XorChecksum(out.data() + 12, kHeaderSize - 12));
  return out;
}

std::optional<ContainerHeader> ContainerHeader::Decode(const uint8_t* bytes) {
  if (std::memcmp(bytes, kContainerSignature.data(), kContainerSignature.size()) != 0) {
    return std::nullopt;
  }
  if (GetU32(bytes + 8) != XorChecksum(bytes + 12, kHeaderSize - 12)) return std::nullopt;
  ContainerHeader h;
  h.page_size = GetI32(bytes + 16);
  h.extent_size = GetI32(bytes + 20);
  h.first_extent_page = GetI32(bytes + 24);
  h.gam_pair_count = GetI32(bytes + 28);
  h.pfs_page_count = GetI32(bytes + 32);
  h.dir_page_count = GetI32(bytes + 36);
  h.first_dir_page = GetI32(bytes + 40);
  h.dir_item_count = GetI32(bytes + 44);
  h.page_count = GetI32(bytes + 48);
  std::memcpy(h.password.data(), bytes + 52, h.password.size());
  h.encrypted = bytes[224];
  h.owner_mark = bytes[225];
  return h;
}

void PageHeader::Encode(uint8_t* out) const {
  std::memset(out, 0, kPageHeaderSize);
  PutI32(out, next);
  PutU32(out + 4, checksum);
  out[8] = type;
  out[9] = encryption;
  out[10] = checksum_kind;
}

PageHeader PageHeader::Decode(const uint8_t* bytes) {
  PageHeader h;
  h.next = GetI32(bytes);
  h.checksum = GetU32(bytes + 4);
  h.type = bytes[8];
  h.encryption = bytes[9];
  h.checksum_kind = bytes[10];
  return h;
}

void DirItem::Encode(uint8_t* out) const {
  std::memset(out, 0, kDirItemSize);
  PutI32(out, first_map_page);
  PutI64(out + 4, size);
  PutI64(out + 12, creation_time);
  PutI64(out + 20, last_write_time);
  PutI64(out + 28, last_access_time);
  PutI32(out + 36, attributes);
  PutI32(out + 40, parent);
  std::memcpy(out + 48, password.data(), password.size());
  out[220] = barred;
  out[221] = deleted;
  out[222] = encrypted;
  PutBytes(out + 224, std::string_view(name).substr(0, kMaxNameLength));
}

DirItem DirItem::Decode(const uint8_t* bytes) {
  DirItem item;
  item.first_map_page = GetI32(bytes);
  item.size = GetI64(bytes + 4);
  item.creation_time = GetI64(bytes + 12);
  item.last_write_time = GetI64(bytes + 20);
  item.last_access_time = GetI64(bytes + 28);
  item.attributes = GetI32(bytes + 36);
  item.parent = GetI32(bytes + 40);
  std::memcpy(item.password.data(), bytes + 48, item.password.size());
  item.barred = bytes[220];
  item.deleted = bytes[221];
  item.encrypted = bytes[222];
  item.name = GetName(bytes + 224, 260);
  return item;
}

Geometry::Geometry(int32_t page_size_in, int32_t extent_size_in)
    : page_size(page_size_in), extent_size(extent_size_in) {
  data_size = page_size - static_cast<int32_t>(kPageHeaderSize);
  const int64_t bits = int64_t{data_size} * 8;
  pfs_bytes = static_cast<int32_t>((bits - bits % extent_size) / 8);
  pfs_extents = static_cast<int32_t>(int64_t{pfs_bytes} * 8 / extent_size);
  gam_bytes = static_cast<int32_t>((bits - bits % pfs_extents) / 8);
  gam_extents = int64_t{gam_bytes} * 8;
  items_per_page = data_size / static_cast<int32_t>(kDirItemSize);
  map_entries = data_size / 4;
}

int64_t NowAsFileTime() {
  // DOS date-times count local time in two-second steps; offsets from UTC are
  // whole minutes, so the step is the same in UTC.
  int64_t seconds = static_cast<int64_t>(std::time(nullptr));
  seconds -= seconds % 2;
  constexpr int64_t kUnixEpochInFileTimeSeconds = 11644473600LL;
  return (seconds + kUnixEpochInFileTimeSeconds) * 10000000LL;
}

}  // namespace corvane::container
