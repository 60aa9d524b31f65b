#include "table/index_file.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <optional>
#include <string>

#include "table/table_files.h"

namespace corvane::table {
namespace {

constexpr char kSortMarkMagic[8] = {'C', 'V', 'I', 'X', 'S', 'O', 'R', 'T'};
constexpr char kChecksMagic[8] = {'C', 'V', 'I', 'X', 'S', 'U', 'M', 'S'};
constexpr char kKeysMagic[8] = {'C', 'V', 'I', 'X', 'K', 'E', 'Y', 'S'};

// A check number over the bytes, eight at a time: any change to the arrays
// or headers of a saved file, short of a deliberate forgery, changes it.
uint64_t CheckNumber(std::span<const uint8_t> bytes) {
  constexpr uint64_t kMul = 0x9E3779B97F4A7C15ull;
  uint64_t h = bytes.size() * kMul;
  std::size_t i = 0;
  for (; i + 8 <= bytes.size(); i += 8) {
    h = (h ^ le::GetU64(bytes.data() + i)) * kMul;
    h ^= h >> 29;
  }
  for (; i < bytes.size(); ++i) h = (h ^ bytes[i]) * kMul;
  return h ^ (h >> 32);
}

// The same mixing over four interleaved lanes of eight bytes, whose chains
// run side by side: the key prefixes are twice the size of an array and
// checked whenever they are read.
uint64_t FourLaneCheckNumber(std::span<const uint8_t> bytes) {
  constexpr uint64_t kMul = 0x9E3779B97F4A7C15ull;
  uint64_t h[4] = {bytes.size() * kMul, 1, 2, 3};
  std::size_t i = 0;
  for (; i + 32 <= bytes.size(); i += 32) {
    for (std::size_t lane = 0; lane < 4; ++lane) {
      h[lane] = (h[lane] ^ le::GetU64(bytes.data() + i + 8 * lane)) * kMul;
      h[lane] ^= h[lane] >> 29;
    }
  }
  uint8_t lanes[40];
  for (std::size_t lane = 0; lane < 4; ++lane) le::PutU64(lanes + 8 * lane, h[lane]);
  le::PutU64(lanes + 32, CheckNumber(bytes.subspan(i)));
  return CheckNumber(lanes);
}

// The collation mark of an intact sort mark ending `bytes`, else 0.
uint64_t ReadSortMark(std::span<const uint8_t> bytes) {
  if (bytes.size() < kSortMarkSize) return 0;
  const uint8_t* mark = bytes.data() + bytes.size() - kSortMarkSize;
  if (std::memcmp(mark, kSortMarkMagic, sizeof kSortMarkMagic) != 0) return 0;
  if (le::GetU64(mark + 16) != CheckNumber(bytes.first(bytes.size() - 8))) return 0;
  return le::GetU64(mark + 8);
}

}  // namespace

uint64_t PeekSortMark(std::span<const uint8_t> last_bytes) {
  if (last_bytes.size() != kSortMarkSize) return 0;
  if (std::memcmp(last_bytes.data(), kSortMarkMagic, sizeof kSortMarkMagic) != 0) return 0;
  return le::GetU64(last_bytes.data() + 8);
}

namespace {

// The check number of the array checks' sort mark: the headers, the checks
// block and the mark's first 16 bytes, as if they followed each other.
uint64_t ChecksMarkNumber(std::span<const uint8_t> headers, std::span<const uint8_t> tail) {
  std::vector<uint8_t> covered(headers.begin(), headers.end());
  covered.insert(covered.end(), tail.begin(), tail.end() - 8);
  return CheckNumber(covered);
}

// The number of prefix arrays P that `after_arrays` bytes after the arrays
// hold with the checks and mark, or -1 when no P gives that size.
int64_t PrefixCount(uint64_t after_arrays, std::size_t count, int32_t record_count) {
  const uint64_t plain = ArrayChecksSize(count);
  if (after_arrays == plain) return 0;
  if (record_count <= 0 || after_arrays < plain + 16) return -1;
  const uint64_t each = 8 * static_cast<uint64_t>(record_count) + 16;
  const uint64_t rest = after_arrays - plain - 16;
  if (rest % each != 0 || rest / each == 0 || rest / each > count) return -1;
  return static_cast<int64_t>(rest / each);
}

// Reads the key prefixes' description at the start of `tail`: P rising
// index numbers below `count`, each with its check.
bool ReadPrefixDescription(std::span<const uint8_t> tail, std::size_t prefix_count, std::size_t count,
                           uint64_t first_offset, int32_t record_count, DecodedIndexFile& out) {
  if (prefix_count == 0) return true;
  if (std::memcmp(tail.data(), kKeysMagic, sizeof kKeysMagic) != 0) return false;
  if (le::GetU64(tail.data() + 8) != prefix_count) return false;
  const uint64_t block_bytes = 8 * static_cast<uint64_t>(record_count);
  for (std::size_t j = 0; j < prefix_count; ++j) {
    const uint64_t index = le::GetU64(tail.data() + 16 + 16 * j);
    if (index >= count || (j > 0 && index <= out.prefixes.back().index)) return false;
    out.prefixes.push_back({static_cast<std::size_t>(index), first_offset + block_bytes * j,
                            le::GetU64(tail.data() + 24 + 16 * j)});
  }
  return true;
}

// Reads the file's end `tail` (IndexTailSize(P, count) bytes) for `count`
// arrays, filling sorted_by, array_checks and prefixes when it is intact.
// The prefix arrays, when P > 0, start at `arrays_end`.
void ReadArrayChecks(std::span<const uint8_t> headers, std::span<const uint8_t> tail, std::size_t count,
                     std::size_t prefix_count, uint64_t arrays_end, int32_t record_count,
                     DecodedIndexFile& out) {
  if (tail.size() != IndexTailSize(prefix_count, count)) return;
  const std::span<const uint8_t> sums = tail.last(ArrayChecksSize(count));
  if (std::memcmp(sums.data(), kChecksMagic, sizeof kChecksMagic) != 0) return;
  const uint8_t* mark = tail.data() + tail.size() - kSortMarkSize;
  if (std::memcmp(mark, kSortMarkMagic, sizeof kSortMarkMagic) != 0) return;
  if (le::GetU64(mark + 16) != ChecksMarkNumber(headers, tail)) return;
  if (!ReadPrefixDescription(tail, prefix_count, count, arrays_end, record_count, out)) {
    out.prefixes.clear();
    return;
  }
  out.sorted_by = le::GetU64(mark + 8);
  out.array_checks.clear();
  for (std::size_t i = 0; i < count; ++i) out.array_checks.push_back(le::GetU64(sums.data() + 8 + 8 * i));
}

// Reads forward through the file; every read states the bytes it needs.
class Reader {
 public:
  explicit Reader(std::span<const uint8_t> bytes) : bytes_(bytes) {}

  std::size_t Left() const { return bytes_.size() - pos_; }
  std::size_t Position() const { return pos_; }
  const uint8_t* Take(std::size_t n) {
    const uint8_t* p = bytes_.data() + pos_;
    pos_ += n;
    return p;
  }
  uint32_t U32() { return le::GetU32(Take(4)); }
  int32_t I32() { return le::GetI32(Take(4)); }
  double Double() { return le::GetDouble(Take(8)); }

 private:
  std::span<const uint8_t> bytes_;
  std::size_t pos_ = 0;
};

class Writer {
 public:
  void U8(uint8_t v) { out_.push_back(v); }
  void U32(uint32_t v) { le::PutU32(Append(4), v); }
  void I32(int32_t v) { le::PutI32(Append(4), v); }
  void U64(uint64_t v) { le::PutU64(Append(8), v); }
  void Double(double d) { le::PutDouble(Append(8), d); }
  void ShortString20(const std::string& s) {
    const std::size_t n = std::min(s.size(), kMaxStoredNameLength);
    U8(static_cast<uint8_t>(n));
    for (std::size_t i = 0; i < kMaxStoredNameLength; ++i) U8(i < n ? static_cast<uint8_t>(s[i]) : 0);
  }
  void Bits(const std::vector<bool>& flags, std::size_t k) {
    for (std::size_t byte = 0; byte < (k + 7) / 8; ++byte) {
      uint8_t v = 0;
      for (std::size_t bit = 0; bit < 8; ++bit) {
        const std::size_t i = byte * 8 + bit;
        if (i < k && i < flags.size() && flags[i]) v = static_cast<uint8_t>(v | (1u << bit));
      }
      U8(v);
    }
  }
  void Bytes(const char* p, std::size_t n) { out_.insert(out_.end(), p, p + n); }
  std::span<const uint8_t> Written() const { return out_; }
  void Patch64(std::size_t at, uint64_t v) { le::PutU64(out_.data() + at, v); }
  std::vector<uint8_t> Take() { return std::move(out_); }
  void Reserve(std::size_t n) { out_.reserve(n); }

 private:
  // The n bytes just added at the end, for a field to be written into.
  uint8_t* Append(std::size_t n) {
    out_.resize(out_.size() + n);
    return out_.data() + out_.size() - n;
  }

  std::vector<uint8_t> out_;
};

std::vector<bool> ReadBits(const uint8_t* p, std::size_t k) {
  std::vector<bool> flags(k);
  for (std::size_t i = 0; i < k; ++i) flags[i] = (p[i / 8] >> (i % 8)) & 1;
  return flags;
}

std::optional<IndexHeader> ReadIndexHeader(Reader& in, const RecordLayout& layout, bool has_options) {
  IndexHeader h;
  if (in.Left() <= kMaxStoredNameLength) return std::nullopt;
  const uint8_t* name = in.Take(kMaxStoredNameLength + 1);
  if (name[0] > kMaxStoredNameLength) return std::nullopt;
  h.name.assign(reinterpret_cast<const char*>(name + 1), name[0]);

  if (in.Left() <= 3) return std::nullopt;
  const int32_t k = in.I32();
  if (k < 1 || static_cast<uint64_t>(k) * 4 > in.Left()) return std::nullopt;
  const auto field_count = static_cast<int32_t>(layout.fields.size());
  h.fields.reserve(static_cast<std::size_t>(k));
  for (int32_t i = 0; i < k; ++i) {
    const int32_t f = in.I32();
    if (f < -1 || f >= field_count) return std::nullopt;
    if (f >= 0 && !IsKeyType(layout.fields[static_cast<std::size_t>(f)].type)) return std::nullopt;
    h.fields.push_back(f);
  }

  const std::size_t b = (static_cast<std::size_t>(k) + 7) / 8;
  if (in.Left() < b) return std::nullopt;
  h.ascending = ReadBits(in.Take(b), static_cast<std::size_t>(k));
  if (in.Left() < b) return std::nullopt;
  h.case_insensitive = ReadBits(in.Take(b), static_cast<std::size_t>(k));
  if (in.Left() < 1) return std::nullopt;
  h.all_case_insensitive = *in.Take(1);
  if (in.Left() < 1) return std::nullopt;
  h.all_descending = *in.Take(1);
  if (has_options && in.Left() >= 1) h.options = *in.Take(1);
  return h;
}

}  // namespace

bool IsKeyType(FieldType type) {
  switch (type) {
    case FieldType::ftString: case FieldType::ftSmallint: case FieldType::ftInteger:
    case FieldType::ftWord: case FieldType::ftBoolean: case FieldType::ftFloat:
    case FieldType::ftCurrency: case FieldType::ftBCD: case FieldType::ftDate:
    case FieldType::ftTime: case FieldType::ftDateTime: case FieldType::ftWideString:
    case FieldType::ftLargeint:
      return true;
    default:
      return false;
  }
}

uint64_t ArrayCheckNumber(std::span<const uint8_t> bytes) { return CheckNumber(bytes); }

uint64_t PrefixCheckNumber(std::span<const uint8_t> bytes) { return FourLaneCheckNumber(bytes); }

namespace {

// The file header and every index header; false when they are not all there.
bool ReadHeaders(Reader& in, const RecordLayout& layout, double table_version, DecodedIndexFile& out) {
  out.change_counter = in.U32();
  const int32_t count = in.I32();
  out.version = in.Double();
  if (count < static_cast<int32_t>(layout.fields.size())) return false;

  const bool has_options = table_version + 0.001 > kIndexFormatVersion;
  // No reserve by `count`: it is only as true as the file. Each header takes
  // at least 33 bytes, so the loop ends with the bytes.
  for (int32_t i = 0; i < count; ++i) {
    std::optional<IndexHeader> h = ReadIndexHeader(in, layout, has_options);
    if (!h) {
      out.headers.clear();
      return false;
    }
    out.headers.push_back(std::move(*h));
  }
  out.headers_read = true;
  out.arrays_offset = in.Position();
  return true;
}

// Writes the prefix arrays and their description; returns where the
// description (the part of the tail the sort mark covers) starts.
std::size_t WritePrefixes(Writer& out, const std::vector<KeyPrefixBlock>& prefixes) {
  std::vector<uint64_t> checks;
  for (const KeyPrefixBlock& block : prefixes) {
    const std::size_t start = out.Written().size();
    for (uint64_t v : block.prefixes) out.U64(v);
    checks.push_back(FourLaneCheckNumber(out.Written().subspan(start)));
  }
  const std::size_t description = out.Written().size();
  if (prefixes.empty()) return description;
  out.Bytes(kKeysMagic, sizeof kKeysMagic);
  out.U64(prefixes.size());
  for (std::size_t j = 0; j < prefixes.size(); ++j) {
    out.U64(prefixes[j].index);
    out.U64(checks[j]);
  }
  return description;
}

}  // namespace

DecodedIndexFile DecodeIndexFile(std::span<const uint8_t> bytes, const RecordLayout& layout,
                                 double table_version, uint32_t table_change_counter,
                                 int32_t record_count) {
  DecodedIndexFile out;
  out.change_counter = table_change_counter;
  out.version = table_version;
  if (bytes.size() < kIndexFileHeaderSize) return out;

  Reader in(bytes);
  if (!ReadHeaders(in, layout, table_version, out)) return out;

  if (record_count <= 0) {
    out.arrays_read = true;
    return out;
  }
  const uint64_t needed = uint64_t{4} * static_cast<uint64_t>(record_count) * out.headers.size();
  if (out.change_counter != table_change_counter || needed > in.Left()) return out;
  out.arrays.resize(out.headers.size());
  for (auto& array : out.arrays) {
    array.resize(static_cast<std::size_t>(record_count));
    if constexpr (std::endian::native == std::endian::little) {
      // The stored little-endian numbers are already this machine's.
      std::memcpy(array.data(), in.Take(array.size() * 4), array.size() * 4);
    } else {
      for (int32_t& r : array) r = in.I32();
    }
  }
  out.arrays_read = true;
  if (in.Left() == kSortMarkSize) {
    out.sorted_by = ReadSortMark(bytes);
    return out;
  }
  const int64_t prefix_count = PrefixCount(in.Left(), out.headers.size(), record_count);
  if (prefix_count < 0) return out;
  const std::size_t tail = IndexTailSize(static_cast<std::size_t>(prefix_count), out.headers.size());
  ReadArrayChecks(bytes.first(out.arrays_offset), bytes.last(tail), out.headers.size(),
                  static_cast<std::size_t>(prefix_count), in.Position(), record_count, out);
  return out;
}

DecodedIndexFile DecodeIndexHeaders(std::span<const uint8_t> prefix, uint64_t file_size,
                                    const RecordLayout& layout, double table_version,
                                    uint32_t table_change_counter, int32_t record_count,
                                    const std::function<std::vector<uint8_t>(std::size_t)>& read_tail) {
  DecodedIndexFile out;
  out.change_counter = table_change_counter;
  out.version = table_version;
  if (prefix.size() < kIndexFileHeaderSize) return out;
  Reader in(prefix);
  if (!ReadHeaders(in, layout, table_version, out) || record_count <= 0) return out;
  const std::size_t count = out.headers.size();
  const uint64_t arrays_end = out.arrays_offset + uint64_t{4} * static_cast<uint64_t>(record_count) * count;
  if (out.change_counter != table_change_counter || file_size < arrays_end) return out;
  const int64_t prefix_count = PrefixCount(file_size - arrays_end, count, record_count);
  if (prefix_count < 0) return out;
  const auto p = static_cast<std::size_t>(prefix_count);
  const std::vector<uint8_t> tail = read_tail(IndexTailSize(p, count));
  ReadArrayChecks(prefix.first(out.arrays_offset), tail, count, p, arrays_end, record_count, out);
  return out;
}

std::vector<uint8_t> EncodeIndexFile(uint32_t change_counter, const std::vector<IndexHeader>& headers,
                                     const std::vector<const RecordNumberArray*>& arrays,
                                     int32_t record_count, uint64_t collation_mark,
                                     const std::vector<KeyPrefixBlock>& prefixes) {
  Writer out;
  if (record_count > 0) {
    out.Reserve(kIndexFileHeaderSize + kSortMarkSize +
                headers.size() * (64 + 4 * static_cast<std::size_t>(record_count)) +
                prefixes.size() * (16 + 8 * static_cast<std::size_t>(record_count)));
  }
  out.U32(change_counter);
  out.I32(static_cast<int32_t>(headers.size()));
  out.Double(kIndexFormatVersion);
  for (const IndexHeader& h : headers) {
    out.ShortString20(h.name);
    out.I32(static_cast<int32_t>(h.fields.size()));
    for (int32_t f : h.fields) out.I32(f);
    out.Bits(h.ascending, h.fields.size());
    out.Bits(h.case_insensitive, h.fields.size());
    out.U8(h.all_case_insensitive);
    out.U8(h.all_descending);
    out.U8(h.options);
  }
  if (record_count > 0) {
    for (const RecordNumberArray* array : arrays) {
      array->ForEach([&out](int32_t r) { out.I32(r); });
    }
    if (collation_mark != 0) {
      const std::size_t arrays_end = out.Written().size();
      const std::size_t array_bytes = 4 * static_cast<std::size_t>(record_count);
      const std::size_t arrays_offset = arrays_end - array_bytes * arrays.size();
      const std::size_t tail_start = WritePrefixes(out, prefixes);
      out.Bytes(kChecksMagic, sizeof kChecksMagic);
      for (std::size_t i = 0; i < arrays.size(); ++i) {
        out.U64(CheckNumber(out.Written().subspan(arrays_offset + i * array_bytes, array_bytes)));
      }
      out.Bytes(kSortMarkMagic, sizeof kSortMarkMagic);
      out.U64(collation_mark);
      out.U64(0);  // room for the check number, taken over what precedes it
      const std::span<const uint8_t> all = out.Written();
      const uint64_t check = ChecksMarkNumber(all.first(arrays_offset), all.subspan(tail_start));
      out.Patch64(all.size() - 8, check);
    }
  }
  return out.Take();
}

}  // namespace corvane::table
