// Field types of the table engine, with their stored type codes.
#ifndef CORVANE_TABLE_FIELD_TYPES_H_
#define CORVANE_TABLE_FIELD_TYPES_H_

#include <cstdint>

namespace corvane::table {

enum class FieldType : uint8_t {
  ftUnknown = 0,
  ftString = 1,
  ftSmallint = 2,
  ftInteger = 3,
  ftWord = 4,
  ftBoolean = 5,
  ftFloat = 6,
  ftCurrency = 7,
  ftBCD = 8,
  ftDate = 9,
  ftTime = 10,
  ftDateTime = 11,
  ftBytes = 12,
  ftAutoInc = 14,  // never stored: the identifier, or stored as ftInteger
  ftBlob = 15,
  ftMemo = 16,
  ftGraphic = 17,
  ftFmtMemo = 18,
  ftWideString = 24,
  ftLargeint = 25,
};

// BLOB, memo, graphic and formatted memo: values live in the BLOB files.
inline bool IsBlobType(FieldType t) {
  return t == FieldType::ftBlob || t == FieldType::ftMemo || t == FieldType::ftGraphic ||
         t == FieldType::ftFmtMemo;
}
inline bool IsStringType(FieldType t) { return t == FieldType::ftString || t == FieldType::ftWideString; }

// A type code that may stand in a stored field slot.
bool IsStoredTypeCode(uint8_t code);

// Index options, as stored in the options byte of an index header.
enum IndexOption : uint8_t {
  ixPrimary = 1,
  ixUnique = 2,
  ixDescending = 4,
  ixCaseInsensitive = 8,
  ixExpression = 16,
  ixNonMaintained = 32,
};

}  // namespace corvane::table

#endif  // CORVANE_TABLE_FIELD_TYPES_H_
