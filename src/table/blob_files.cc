#include "table/blob_files.h"

#include <zlib.h>

#include <algorithm>
#include <climits>
#include <cstring>

#include "container/abstract_file.h"
#include "platform/error.h"
#include "table/table_files.h"

namespace corvane::table {

namespace {

constexpr uint8_t kMagic[4] = {'C', 'V', 'B', 'F'};
// Deflate cannot expand data by more than this factor, so a header that
// claims more is damaged (and would make us allocate for nothing).
constexpr int64_t kMaxInflateRatio = 1032;

[[noreturn]] void CrcError() { throw Error("Error in TCvDataManager.InternalReadBLOBValue - crc error"); }

int ZlibLevel(uint8_t compression) {
  switch (compression) {
    case 1: return Z_BEST_SPEED;
    case 3: return Z_BEST_COMPRESSION;
    default: return Z_DEFAULT_COMPRESSION;
  }
}

uint32_t Crc(const uint8_t* data, std::size_t size) {
  uLong crc = crc32(0L, Z_NULL, 0);
  // crc32 takes a 32-bit length; values are below 2 GB, but stay exact anyway.
  while (size > 0) {
    const auto n = static_cast<uInt>(std::min<std::size_t>(size, 1u << 30));
    crc = crc32(crc, data, n);
    data += n;
    size -= n;
  }
  return static_cast<uint32_t>(crc);
}

}  // namespace

BlobFiles::BlobFiles(container::TAbstractFile& bif, container::TAbstractFile& bdf, const std::string& table_name,
                     uint8_t compression, int32_t block_size, bool read_only)
    : bif_(bif),
      bdf_(bdf),
      table_name_(table_name),
      compression_(compression),
      block_size_(block_size),
      read_only_(read_only) {
  Load();
}

void BlobFiles::WriteEmpty(container::TAbstractFile& bif, int32_t block_size) {
  uint8_t raw[kBlobFileHeaderSize] = {};
  std::memcpy(raw, kMagic, 4);
  le::PutI32(raw + 4, block_size);
  bif.SetPosition(0);
  bif.WriteBuffer(raw, sizeof raw);
  bif.SetSize(sizeof raw);
}

void BlobFiles::Damaged(const std::string& what) const {
  throw Error("Error in TCvDataManager.OpenTable - damaged file " + table_name_ + ".bif: " + what);
}

void BlobFiles::Load() {
  const int64_t size = bif_.GetSize();
  if (size == 0) {
    if (block_size_ < 1 || block_size_ > kMaxBlobBlockSize) block_size_ = 512;
    if (!read_only_) WriteEmpty(bif_, block_size_);
    return;
  }
  if (size < static_cast<int64_t>(kBlobFileHeaderSize)) Damaged("the header is cut short");
  uint8_t raw[kBlobFileHeaderSize];
  bif_.SetPosition(0);
  bif_.ReadBuffer(raw, sizeof raw);
  if (std::memcmp(raw, kMagic, 4) != 0) Damaged("not a BLOB header file");
  block_size_ = le::GetI32(raw + 4);
  if (block_size_ < 1 || block_size_ > kMaxBlobBlockSize) Damaged("block size " + std::to_string(block_size_));
  const int32_t count = le::GetI32(raw + 8);
  const int64_t room = (size - static_cast<int64_t>(kBlobFileHeaderSize)) / static_cast<int64_t>(kBlobValueHeaderSize);
  if (count < 0 || count > room) Damaged(std::to_string(count) + " value headers in a file with room for " + std::to_string(room));

  std::vector<uint8_t> bytes(static_cast<std::size_t>(count) * kBlobValueHeaderSize);
  bif_.ReadBuffer(bytes.data(), static_cast<int64_t>(bytes.size()));
  const int64_t data_size = bdf_.GetSize();
  std::vector<std::pair<int32_t, int32_t>> runs;
  for (int32_t i = 0; i < count; ++i) {
    const uint8_t* p = bytes.data() + static_cast<std::size_t>(i) * kBlobValueHeaderSize;
    Header h;
    h.id = le::GetI32(p);
    h.field = le::GetI32(p + 4);
    h.first = le::GetI32(p + 8);
    h.blocks = le::GetI32(p + 12);
    h.length = le::GetI32(p + 16);
    h.stored = le::GetI32(p + 20);
    h.crc = le::GetU32(p + 24);
    h.compression = p[28];
    const std::string which = "value header #" + std::to_string(i) + " ";
    const bool sound = h.first >= 0 && h.blocks >= 1 && h.length > 0 && h.stored > 0 && h.compression <= 3 &&
                       h.stored <= int64_t(h.blocks) * block_size_ &&
                       (int64_t(h.first) + h.blocks) * block_size_ <= data_size &&
                       (h.compression == 0 ? h.length == h.stored
                                           : int64_t(h.length) <= int64_t(h.stored) * kMaxInflateRatio + 1024);
    if (!sound) Damaged(which + "does not fit the data file");
    const auto key = std::make_pair(h.id, h.field);
    if (by_key_.count(key) != 0) {
      // A removal that stopped between moving the last header and writing
      // the count leaves the last header twice; anything else is damage.
      const Header& twin = headers_[by_key_[key]];
      const bool same = i == count - 1 && twin.first == h.first && twin.blocks == h.blocks && twin.crc == h.crc;
      if (!same) Damaged(which + "repeats a record and field");
      continue;
    }
    by_key_[key] = headers_.size();
    headers_.push_back(h);
    runs.emplace_back(h.first, h.blocks);
  }
  std::sort(runs.begin(), runs.end());
  int32_t end = 0;
  for (const auto& [first, blocks] : runs) {
    if (first < end) Damaged("two values share blocks");
    if (first > end) free_[end] = first - end;
    end = first + blocks;
  }
  end_block_ = end;
}

void BlobFiles::WriteHeader(std::size_t index) {
  const Header& h = headers_[index];
  uint8_t raw[kBlobValueHeaderSize] = {};
  le::PutI32(raw, h.id);
  le::PutI32(raw + 4, h.field);
  le::PutI32(raw + 8, h.first);
  le::PutI32(raw + 12, h.blocks);
  le::PutI32(raw + 16, h.length);
  le::PutI32(raw + 20, h.stored);
  le::PutU32(raw + 24, h.crc);
  raw[28] = h.compression;
  bif_.SetPosition(static_cast<int64_t>(kBlobFileHeaderSize + index * kBlobValueHeaderSize));
  bif_.WriteBuffer(raw, sizeof raw);
}

void BlobFiles::WriteCount() {
  uint8_t raw[4];
  le::PutI32(raw, static_cast<int32_t>(headers_.size()));
  bif_.SetPosition(8);
  bif_.WriteBuffer(raw, sizeof raw);
}

int32_t BlobFiles::Allocate(int32_t blocks) {
  for (auto it = free_.begin(); it != free_.end(); ++it) {
    if (it->second < blocks) continue;
    const auto [first, count] = *it;
    free_.erase(it);
    if (count > blocks) free_[first + blocks] = count - blocks;
    return first;
  }
  if (end_block_ > INT32_MAX - blocks || int64_t(end_block_ + blocks) * block_size_ > INT64_MAX / 2) {
    throw Error("Error in TCvDataManager.WriteBLOBValue - the BLOB data file is full");
  }
  const int32_t first = end_block_;
  end_block_ += blocks;
  return first;
}

void BlobFiles::Release(int32_t first, int32_t blocks) {
  auto next = free_.lower_bound(first);
  if (next != free_.end() && next->first == first + blocks) {
    blocks += next->second;
    next = free_.erase(next);
  }
  if (next != free_.begin()) {
    auto prev = std::prev(next);
    if (prev->first + prev->second == first) {
      first = prev->first;
      blocks += prev->second;
      free_.erase(prev);
    }
  }
  if (first + blocks == end_block_) {
    end_block_ = first;
  } else {
    free_[first] = blocks;
  }
}

std::string BlobFiles::Read(int32_t id, int32_t field) {
  const auto it = by_key_.find({id, field});
  if (it == by_key_.end()) return {};
  const Header& h = headers_[it->second];
  std::string stored(static_cast<std::size_t>(h.stored), '\0');
  bdf_.SetPosition(int64_t(h.first) * block_size_);
  if (bdf_.Read(stored.data(), h.stored) != h.stored) CrcError();
  if (Crc(reinterpret_cast<const uint8_t*>(stored.data()), stored.size()) != h.crc) CrcError();
  if (h.compression == 0) return stored;
  std::string value(static_cast<std::size_t>(h.length), '\0');
  uLongf length = static_cast<uLongf>(h.length);
  const int rc = uncompress(reinterpret_cast<Bytef*>(value.data()), &length,
                            reinterpret_cast<const Bytef*>(stored.data()), static_cast<uLong>(stored.size()));
  if (rc != Z_OK || length != static_cast<uLongf>(h.length)) CrcError();
  return value;
}

void BlobFiles::Write(int32_t id, int32_t field, std::string_view value) {
  if (read_only_) throw Error("Error in TCvDataManager.WriteBLOBValue - table is read only.");
  if (value.size() > static_cast<std::size_t>(INT32_MAX)) {
    throw Error("Error in TCvDataManager.WriteBLOBValue - a BLOB value must be smaller than 2 GB");
  }
  const auto found = by_key_.find({id, field});
  if (value.empty()) {
    if (found != by_key_.end()) RemoveAt(found->second);
    return;
  }

  Header h;
  h.id = id;
  h.field = field;
  h.length = static_cast<int32_t>(value.size());
  std::string packed;
  if (compression_ > 0) {
    uLongf size = compressBound(static_cast<uLong>(value.size()));
    packed.resize(size);
    const int rc = compress2(reinterpret_cast<Bytef*>(packed.data()), &size,
                             reinterpret_cast<const Bytef*>(value.data()), static_cast<uLong>(value.size()),
                             ZlibLevel(compression_));
    if (rc == Z_OK && size < value.size()) {
      packed.resize(size);
      h.compression = compression_;
    }
  }
  const std::string_view stored = h.compression != 0 ? std::string_view(packed) : value;
  h.stored = static_cast<int32_t>(stored.size());
  h.crc = Crc(reinterpret_cast<const uint8_t*>(stored.data()), stored.size());
  h.blocks = static_cast<int32_t>((int64_t(h.stored) + block_size_ - 1) / block_size_);
  h.first = Allocate(h.blocks);

  std::string blocks(static_cast<std::size_t>(h.blocks) * static_cast<std::size_t>(block_size_), '\0');
  std::memcpy(blocks.data(), stored.data(), stored.size());
  const int64_t position = int64_t(h.first) * block_size_;
  bdf_.SetPosition(position);
  if (bdf_.Write(blocks.data(), static_cast<int64_t>(blocks.size())) != static_cast<int64_t>(blocks.size())) {
    Release(h.first, h.blocks);
    throw Error("TWriteLogArray.FlushBuffers - error writing data to blob file, xx = " + std::to_string(position) +
                ", bc = " + std::to_string(blocks.size()));
  }

  if (found != by_key_.end()) {
    const std::size_t index = found->second;
    const Header old = headers_[index];
    headers_[index] = h;
    try {
      WriteHeader(index);
    } catch (...) {
      headers_[index] = old;
      Release(h.first, h.blocks);
      throw;
    }
    Release(old.first, old.blocks);
    return;
  }
  headers_.push_back(h);
  try {
    WriteHeader(headers_.size() - 1);
    WriteCount();
  } catch (...) {
    headers_.pop_back();
    Release(h.first, h.blocks);
    throw;
  }
  by_key_[{id, field}] = headers_.size() - 1;
}

void BlobFiles::RemoveAt(std::size_t index) {
  const std::size_t last = headers_.size() - 1;
  const Header gone = headers_[index];
  if (index != last) {
    headers_[index] = headers_[last];
    WriteHeader(index);
    by_key_[{headers_[index].id, headers_[index].field}] = index;
  }
  headers_.pop_back();
  by_key_.erase({gone.id, gone.field});
  WriteCount();
  bif_.SetSize(static_cast<int64_t>(kBlobFileHeaderSize + headers_.size() * kBlobValueHeaderSize));
  Release(gone.first, gone.blocks);
}

void BlobFiles::Remove(int32_t id) {
  if (read_only_) throw Error("Error in TCvDataManager.WriteBLOBValue - table is read only.");
  for (auto it = by_key_.lower_bound({id, INT32_MIN}); it != by_key_.end() && it->first.first == id;
       it = by_key_.lower_bound({id, INT32_MIN})) {
    RemoveAt(it->second);
  }
}

void BlobFiles::Flush() {
  bif_.Flush();
  bdf_.Flush();
}

}  // namespace corvane::table
