// KeyComparator: the order of record slots under one index.
//
// Key fields are compared in order and the first that differs decides:
//   - the record identifier (field -1) compares as a signed integer and
//     decides alone, never inverted: identifiers are unique, so nothing after
//     it could tell two records apart;
//   - otherwise two empty values (null flag set) are equal and an empty value
//     sorts before any other;
//   - strings go through the Collation (case-insensitively when the field's
//     bit or the index's all-case-insensitive byte is set), wide strings
//     through Collation::CompareWide;
//   - small integer, integer and large integer compare signed, word unsigned;
//     Boolean as false < true (any non-zero value is true); float, currency
//     and date-time as doubles, with NaN after every number so the order
//     stays total; date and time by the int32 in their first four bytes;
//   - BCD as its 8 bytes taken as one unsigned big-endian number: the engine
//     stores no BCD values, and this keeps equal values together with a total
//     order;
//   - anything else (bytes fields are refused as keys, but a damaged file may
//     name one) by its raw bytes.
// A descending field inverts its result. Equal keys compare equal; there is
// no tie-break.
//
// A search key is a slot-shaped buffer holding the values at their fields'
// places. In partial mode a string or wide-string key value is compared over
// its own length only, so "kal" equals "kalem".
//
// Comparisons read the slots in place and never allocate.
#ifndef CORVANE_TABLE_KEY_COMPARE_H_
#define CORVANE_TABLE_KEY_COMPARE_H_

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "table/collation.h"
#include "table/record_layout.h"

namespace corvane::table {

class KeyComparator {
 public:
  // `layout` and `collation` must outlive the comparator. Key fields outside
  // the layout compare equal (an index naming them is refused earlier).
  KeyComparator(const RecordLayout& layout, const IndexHeader& index, const Collation& collation);

  int KeyFieldCount() const { return static_cast<int>(parts_.size()); }

  // <0, 0, >0 as slot `a` sorts before, with, after slot `b`, over the first
  // `key_fields` key fields (negative: all).
  int Compare(const uint8_t* a, const uint8_t* b, int key_fields = -1) const {
    return CompareKey(a, b, false, key_fields);
  }
  // A search key against a record. An index of one string field, the key
  // of every automatic string index, is compared inline: each probe of each
  // search comes here.
  int CompareKey(const uint8_t* key, const uint8_t* record, bool partial, int key_fields = -1) const {
    if (!single_string_ || partial || key_fields == 0) return CompareKeys(key, record, partial, key_fields);
    const Part& part = parts_[0];
    const int byte = null_offset_ + part.field / 8;
    const int bit = part.field % 8;
    const bool key_null = (key[byte] >> bit) & 1;
    const bool record_null = (record[byte] >> bit) & 1;
    const int c = key_null || record_null
                      ? (key_null == record_null ? 0 : (key_null ? -1 : 1))
                      : collation_->CompareField(key + part.offset, record + part.offset,
                                                 static_cast<std::size_t>(part.width),
                                                 part.case_insensitive);
    return part.descending ? -c : c;
  }

  // Key prefixes, for an index whose first key field is an ascending,
  // case-sensitive string under a weight-table collation: a number per
  // slot (Collation::Prefix of that field, kNullPrefix when the field is
  // empty) whose order agrees with the full comparison wherever two
  // prefixes differ. Searches keep them beside the index array so most
  // probes never read a record.
  static constexpr uint64_t kNullPrefix = 1;  // no string packs to 1: ranks never follow a zero
  bool HasPrefixes() const { return has_prefixes_; }
  uint64_t Prefix(const uint8_t* slot) const {
    const Part& part = parts_[0];
    if ((slot[null_offset_ + part.field / 8] >> (part.field % 8)) & 1) return kNullPrefix;
    return collation_->Prefix(slot + part.offset, static_cast<std::size_t>(part.width));
  }
  // CompareKey(key, record, false, key_fields) for a key that is not empty
  // (key_prefix != kNullPrefix), given both prefixes; `record_slot()` is
  // called only when the prefixes cannot decide. key_fields must not be 0.
  template <typename RecordSlot>
  int CompareKeyPrefixed(const uint8_t* key, uint64_t key_prefix, uint64_t record_prefix,
                         RecordSlot&& record_slot, int key_fields) const {
    if (key_prefix != record_prefix) {
      if (record_prefix == kNullPrefix) return 1;  // an empty value sorts first
      return key_prefix < record_prefix ? -1 : 1;
    }
    // A prefix ending in zero holds the whole string: the first field is
    // equal, and nothing else is compared when it is the only one.
    if ((key_prefix & 0xFF) == 0 && (key_fields == 1 || parts_.size() == 1)) return 0;
    return CompareKey(key, record_slot(), false, key_fields);
  }

  // One field of two slots, ascending, with the same rules (field -1: the
  // identifier). Search conditions compare through this.
  static int CompareField(const RecordLayout& layout, const Collation& collation, int32_t field,
                          const uint8_t* key, const uint8_t* record, bool case_insensitive,
                          bool partial);

 private:
  struct Part {
    int32_t field = -1;
    FieldType type = FieldType::ftUnknown;
    int32_t offset = 0;
    int32_t width = 0;
    bool descending = false;
    bool case_insensitive = false;
  };
  static Part MakePart(const RecordLayout& layout, int32_t field, bool case_insensitive);
  static int ComparePart(const Part& part, const Collation& collation, int32_t id_offset,
                         int32_t null_offset, const uint8_t* key, const uint8_t* record,
                         bool partial);

  int CompareKeys(const uint8_t* key, const uint8_t* record, bool partial, int key_fields) const;

  std::vector<Part> parts_;
  bool single_string_ = false;  // one key field, a string
  bool has_prefixes_ = false;
  const Collation* collation_;
  int32_t id_offset_;
  int32_t null_offset_;
};

}  // namespace corvane::table

#endif  // CORVANE_TABLE_KEY_COMPARE_H_
