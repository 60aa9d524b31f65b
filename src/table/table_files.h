// The bytes of a table's ".dat" file ahead of its records: the 56-byte table
// header and one 32-byte slot per stored field.
//
// Table header:
//   offset width content
//   0      4     last assigned record identifier (int32; 0 in a new table)
//   4      21    identifier field name, short string of 20
//   25     3     low three bytes of F (written; ignored on reading)
//   28     4     F, the number of stored fields (int32)
//   32     4     N, the number of records (int32)
//   36     4     reserved: read and kept, never written by a header save
//   40     8     table format version, double (2.2 in a new table)
//   48     1     reserved byte, read and written back unchanged
//   49     1     BLOB compression level (0 none, 1 fastest, 2 default, 3 max)
//   50     1     encrypted flag
//   51     1     low byte of the change counter (written; ignored on reading)
//   52     4     change counter (uint32; grows with every change)
//
// Field slot (F of them from offset 56):
//   0      21    field name, short string of 20
//   21     1     type code (field_types.h)
//   22     2     reserved, 0
//   24     4     stored width in bytes (int32)
//   28     1     required flag
//   29     3     reserved, 0
//
// Records start at D = 56 + 32 F; record r occupies the S bytes at D + r S
// (record_layout.h has the slot itself).
//
// Reading trusts nothing: the header and every count are checked against
// the file's real size before anything is allocated, so a damaged file ends
// in a corvane::Error naming the file, never in a crash or a huge buffer.
#ifndef CORVANE_TABLE_TABLE_FILES_H_
#define CORVANE_TABLE_TABLE_FILES_H_

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "platform/coding.h"
#include "table/record_layout.h"

namespace corvane::container {
class TAbstractFile;
}

namespace corvane::table {

// Stored integers and doubles are little-endian (platform/coding.h).
namespace le = platform;

// A slot larger than this is refused on creation and on reading: one record
// buffer must stay an ordinary allocation, whatever a damaged header says.
inline constexpr int32_t kMaxSlotSize = 16 << 20;

struct TableHeader {
  int32_t last_id = 0;
  std::string id_field_name;
  int32_t field_count = 0;   // F
  int32_t record_count = 0;  // N
  uint32_t reserved36 = 0;   // as read; written only when a file is created
  double version = kTableFormatVersion;
  uint8_t reserved48 = 0;
  uint8_t blob_compression = 0;
  uint8_t encrypted = 0;
  uint32_t change_counter = 0;
};

// The 56 header bytes, offset 36 included (`reserved36`).
void EncodeTableHeader(const TableHeader& header, uint8_t* out);
// Decodes without checking anything but the short-string lengths (clamped
// to 20); ReadTableFile does the checking.
TableHeader DecodeTableHeader(const uint8_t* in);

void EncodeFieldSlot(const FieldHeader& field, uint8_t* out);
FieldHeader DecodeFieldSlot(const uint8_t* in);

// A short string of `capacity`: the length byte, then the bytes. Names longer
// than `capacity` are refused by the callers, so this cuts only as a guard.
void PutShortString(uint8_t* out, const std::string& s, std::size_t capacity);
std::string GetShortString(const uint8_t* in, std::size_t capacity);

// The version printed as the messages print it: two decimals, ".".
std::string FormatVersion(double version);

// "Error in TCvDataManager.OpenTable - Invalid db engine version in file
// NAME.dat (version = 2.30, internalCurrentVersion = 2.20) !" unless the
// version is at most 2.2.
void CheckVersion(double version, const std::string& table_name);

// The stored width a field of `type` must have, or -1 when only a lower
// bound applies (strings, wide strings and bytes: at least 1).
int32_t FixedWidth(FieldType type);

struct TableFile {
  TableHeader header;
  RecordLayout layout;
};

// Reads and checks the header and field slots of an open ".dat" file: the
// version first, then that the file holds the header, F field slots with
// known type codes and sound widths, and N whole records (D + N S at most
// the file size; a longer file is the caller's torn tail to cut). Leaves the
// file position after the last field slot.
TableFile ReadTableFile(container::TAbstractFile& file, const std::string& table_name);

// Checks what a new table is made of, with the creation messages (empty
// or long names, unknown types, widths that do not suit their type, slots
// above kMaxSlotSize, compression level, BLOB block size). The dataset layer
// checks definitions first; this keeps a bad one from writing a table that
// could not be read back.
void CheckNewTable(const std::string& id_field_name, const std::vector<FieldHeader>& fields,
                   uint8_t blob_compression, int32_t blob_block_size);

// The header and field slots of a new, empty table: version 2.2, no
// records, change counter 0.
std::vector<uint8_t> EncodeNewTable(const std::string& id_field_name,
                                    const std::vector<FieldHeader>& fields, uint8_t blob_compression);

// Saves the header in place, leaving bytes 36..39 as they are on disk.
void WriteTableHeader(container::TAbstractFile& file, const TableHeader& header);

}  // namespace corvane::table

#endif  // CORVANE_TABLE_TABLE_FILES_H_
