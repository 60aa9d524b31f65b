// The layout of a table's records, and the headers of its fields and
// indexes as stored.
//
// Record slot (S bytes; W = sum of field widths, Z = null-flag bytes):
//   0          W   field values in field order
//   W          4   record identifier (int32)
//   W + 4      Z   null flags: bit i set = field i has no value
//   W + 4 + Z  13  checksum of an encrypted record (zero otherwise)
//   W + 17 + Z ..  zero filler up to S = W + max(Z + 17, 32)
// Z = (F + 7) div 8, or 8 for tables of format version below 1.24.
//
// Value encodings: string, characters ended by a zero byte within width
// (Size + 1) bytes; wide string, Size + 2 bytes as they are; small integer,
// word and Boolean, 2 bytes; integer, 4; large integer, 8; float and
// currency, 8-byte double; BCD, 8 opaque bytes; date, int32 day number
// (1 January of year 1 is day 1; 0 = no value) in the first 4 of 8 bytes;
// time, int32 milliseconds since midnight in the first 4 of 8 bytes;
// date-time, double milliseconds since the start of day 1; bytes, Size raw
// bytes; BLOB types take no bytes.
#ifndef CORVANE_TABLE_RECORD_LAYOUT_H_
#define CORVANE_TABLE_RECORD_LAYOUT_H_

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "table/field_types.h"

namespace corvane::table {

inline constexpr double kTableFormatVersion = 2.2;
inline constexpr std::size_t kTableHeaderSize = 56;
inline constexpr std::size_t kFieldSlotSize = 32;
inline constexpr std::size_t kMaxStoredNameLength = 20;  // short string of 20

struct FieldHeader {
  std::string name;
  FieldType type = FieldType::ftUnknown;
  int32_t width = 0;  // stored bytes in the slot
  bool required = false;
  int32_t offset = 0;  // within the slot; set by RecordLayout
};

struct RecordLayout {
  std::vector<FieldHeader> fields;
  int32_t data_size = 0;   // W
  int32_t null_size = 0;   // Z
  int32_t slot_size = 0;   // S
  int32_t data_start = 0;  // D = 56 + 32 F

  // Offsets, W, Z, S and D for `fields` in a table of `version`.
  static RecordLayout Make(std::vector<FieldHeader> fields, double version = kTableFormatVersion);

  int32_t IdOffset() const { return data_size; }
  int32_t NullOffset() const { return data_size + 4; }

  int32_t GetId(const uint8_t* slot) const;
  void SetId(uint8_t* slot, int32_t id) const;
  bool IsNull(const uint8_t* slot, int field) const {
    return (slot[NullOffset() + field / 8] >> (field % 8)) & 1;
  }
  void SetNull(uint8_t* slot, int field, bool null) const;
  // A new record: zeros, every null flag set, the given identifier.
  std::vector<uint8_t> NewRecord(int32_t id) const;
};

// Stored width of a field of `type` with the size given in its definition;
// -1 when the size is not allowed for the type.
int32_t StoredWidth(FieldType type, int32_t size);

// The size a field definition shows for a stored field (width - 1 for
// strings, width - 2 for wide strings, the width for bytes, else 0).
int32_t DefinitionSize(FieldType type, int32_t width);

struct IndexHeader {
  std::string name;
  std::vector<int32_t> fields;  // positions among stored fields; -1 = identifier
  std::vector<bool> ascending;
  std::vector<bool> case_insensitive;
  uint8_t all_case_insensitive = 0;
  uint8_t all_descending = 0;
  uint8_t options = 0;  // IndexOption bits

  bool Descending(std::size_t k) const { return all_descending || !ascending[k]; }
  bool CaseInsensitive(std::size_t k) const { return all_case_insensitive || case_insensitive[k]; }
};

}  // namespace corvane::table

#endif  // CORVANE_TABLE_RECORD_LAYOUT_H_
