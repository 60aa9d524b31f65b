// The bytes of a table's ".idx" file (layout in table_indexes.h).
//
// Reading follows what the engine has always accepted and nothing more:
//   - the 16-byte file header is read only from a file of at least 16 bytes;
//     an index count X below the number of stored fields F means the headers
//     are missing;
//   - each index header is read piece by piece, every piece only when the
//     file still holds enough bytes for it (more than 20 for the name, more
//     than 3 for K, 4 x K for the field numbers, B each for the two flag
//     sets, one each for the two "all" bytes); the options byte only for a
//     table of version 2.2 or later (version + 0.001 > 2.2) and only when a
//     byte is left;
//   - the arrays only when every header was read, the saved change counter
//     equals the table's and the file holds N numbers for every index;
//   - the sort mark only when exactly its 24 bytes follow the arrays, its
//     magic is right and its check number matches the bytes before it;
//   - or the array checks and the sort mark (what Save writes), when
//     exactly 8 + 8 X + 24 bytes follow the arrays:
//       0   8   "CVIXSUMS"
//       8   8X  the check number of each array's bytes, in header order
//       then the sort mark, whose check number covers the headers and this
//       block but not the arrays. So the headers and the mark can be
//       trusted from a few bytes, and each array, read when first needed,
//       by its own check. A reader that knows only the plain mark sees no
//       mark in such a file and checks the order instead;
//   - or, between the arrays and the array checks, the key prefixes of
//     P >= 1 indexes (P x 8N bytes, then 16 + 16P bytes), when the bytes
//     after the arrays come to exactly that:
//       P arrays of N prefixes (uint64 each, in array order), by index
//       0   8   "CVIXKEYS"
//       8   8   P
//       16  16P for each prefix array: its index number (uint64, rising,
//               below X) and PrefixCheckNumber of its bytes
//     The sort mark's check number covers this block too. A reader that
//     does not know it sees no mark and checks the order instead.
// On top of that a header is refused when its name's length byte exceeds 20,
// K is below 1, a field number is not -1 and not a stored field, or a key
// field's type cannot be a key. Counts are checked against the bytes left
// before anything is allocated, so a damaged file costs at most its own size.
#ifndef CORVANE_TABLE_INDEX_FILE_H_
#define CORVANE_TABLE_INDEX_FILE_H_

#include <cstdint>
#include <functional>
#include <span>
#include <vector>

#include "table/record_layout.h"
#include "table/record_number_array.h"

namespace corvane::table {

inline constexpr double kIndexFormatVersion = 2.2;
inline constexpr std::size_t kIndexFileHeaderSize = 16;

// Whether a field of `type` may be a key field.
bool IsKeyType(FieldType type);

struct DecodedIndexFile {
  uint32_t change_counter = 0;  // the file's, or the table's when unreadable
  double version = 0;           // likewise
  bool headers_read = false;    // the file header and all X index headers
  std::vector<IndexHeader> headers;
  bool arrays_read = false;  // headers read and: N = 0, or counter equal and N per index held
  std::vector<std::vector<int32_t>> arrays;  // one per header when arrays_read and N > 0
  uint64_t sorted_by = 0;  // the sort mark's collation mark; 0 without an intact mark
  std::size_t arrays_offset = 0;  // where the arrays start, once the headers are read
  // With the array checks: one per header; an array whose bytes give
  // another number is not the one that was saved in order.
  std::vector<uint64_t> array_checks;
  // With intact checks: the stored key prefixes, by rising index number.
  struct StoredPrefixes {
    std::size_t index = 0;
    uint64_t offset = 0;  // in the file
    uint64_t check = 0;   // of its 8N bytes
  };
  std::vector<StoredPrefixes> prefixes;
};

// One index's key prefixes to store, in array order (N of them).
struct KeyPrefixBlock {
  std::size_t index = 0;
  std::vector<uint64_t> prefixes;
};

inline constexpr std::size_t kSortMarkSize = 24;

// The collation mark a file's last kSortMarkSize bytes name, when they are a
// sort mark, else 0. Not checked: a hint of the order to expect, which the
// load then verifies.
uint64_t PeekSortMark(std::span<const uint8_t> last_bytes);

// The bytes the array checks and sort mark take after the arrays.
inline std::size_t ArrayChecksSize(std::size_t index_count) { return 8 + 8 * index_count + kSortMarkSize; }

// The bytes the key prefixes' description, the array checks and the sort
// mark take at the file's end (P prefix arrays, X indexes).
inline std::size_t IndexTailSize(std::size_t prefix_count, std::size_t index_count) {
  return (prefix_count == 0 ? 0 : 16 + 16 * prefix_count) + ArrayChecksSize(index_count);
}

// The check number of one array's stored bytes.
uint64_t ArrayCheckNumber(std::span<const uint8_t> bytes);
// The check number of one index's stored key prefixes.
uint64_t PrefixCheckNumber(std::span<const uint8_t> bytes);

// `layout` gives F and the field types; `record_count` is N.
DecodedIndexFile DecodeIndexFile(std::span<const uint8_t> bytes, const RecordLayout& layout,
                                 double table_version, uint32_t table_change_counter,
                                 int32_t record_count);

// The headers from the first bytes of a file of `file_size` bytes, without
// its arrays: headers_read tells whether `prefix` held them all; then
// arrays_offset is set, and when the file ends in intact array checks,
// given by `read_tail` (the file's last IndexTailSize(P, X) bytes, or empty
// when they cannot be read), and the counter is the table's, sorted_by,
// array_checks and prefixes are set too. arrays_read stays false: the
// caller reads each array itself at arrays_offset + 4 N i.
DecodedIndexFile DecodeIndexHeaders(std::span<const uint8_t> prefix, uint64_t file_size,
                                    const RecordLayout& layout, double table_version,
                                    uint32_t table_change_counter, int32_t record_count,
                                    const std::function<std::vector<uint8_t>(std::size_t)>& read_tail);

// The whole file: header, every index header with its options byte, then
// each array when `record_count` > 0 (arrays[i] must hold record_count
// entries), followed, unless `collation_mark` is 0, by the array checks
// and the sort mark naming it, preceded by `prefixes` (rising index numbers)
// when there are any.
std::vector<uint8_t> EncodeIndexFile(uint32_t change_counter, const std::vector<IndexHeader>& headers,
                                     const std::vector<const RecordNumberArray*>& arrays,
                                     int32_t record_count, uint64_t collation_mark,
                                     const std::vector<KeyPrefixBlock>& prefixes = {});

}  // namespace corvane::table

#endif  // CORVANE_TABLE_INDEX_FILE_H_
