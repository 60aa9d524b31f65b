#include "table/key_compare.h"

#include <cmath>
#include <cstring>
#include <string>

#include "platform/coding.h"

namespace corvane::table {
namespace {

template <typename T>
int Sign(T a, T b) {
  return a < b ? -1 : (b < a ? 1 : 0);
}

// Numbers first, NaN last, -0 equal to +0.
int CompareDoubles(double a, double b) {
  const bool na = std::isnan(a);
  const bool nb = std::isnan(b);
  if (na || nb) return na == nb ? 0 : (na ? 1 : -1);
  return Sign(a, b);
}

std::string_view Bytes(const uint8_t* slot, int32_t offset, int32_t width) {
  return {reinterpret_cast<const char*>(slot + offset), static_cast<std::size_t>(width)};
}

long StringLength(std::string_view s) {
  const void* zero = std::memchr(s.data(), 0, s.size());
  return zero ? static_cast<const char*>(zero) - s.data() : static_cast<long>(s.size());
}

long WideLength(std::string_view s) {
  long n = 0;
  for (std::size_t i = 0; i + 1 < s.size(); i += 2, ++n) {
    if (s[i] == 0 && s[i + 1] == 0) break;
  }
  return n;
}

}  // namespace

KeyComparator::Part KeyComparator::MakePart(const RecordLayout& layout, int32_t field,
                                            bool case_insensitive) {
  Part part;
  part.field = field;
  if (field >= 0 && field < static_cast<int32_t>(layout.fields.size())) {
    const FieldHeader& f = layout.fields[static_cast<std::size_t>(field)];
    part.type = f.type;
    part.offset = f.offset;
    part.width = f.width;
    part.case_insensitive = case_insensitive && IsStringType(f.type);
  } else if (field != -1) {
    part.type = FieldType::ftUnknown;  // width 0: compares equal
  }
  return part;
}

KeyComparator::KeyComparator(const RecordLayout& layout, const IndexHeader& index,
                             const Collation& collation)
    : collation_(&collation), id_offset_(layout.IdOffset()), null_offset_(layout.NullOffset()) {
  parts_.reserve(index.fields.size());
  for (std::size_t k = 0; k < index.fields.size(); ++k) {
    const bool ci = k < index.case_insensitive.size() ? index.CaseInsensitive(k)
                                                      : index.all_case_insensitive != 0;
    Part part = MakePart(layout, index.fields[k], ci);
    part.descending = k < index.ascending.size() ? index.Descending(k) : index.all_descending != 0;
    parts_.push_back(part);
  }
  single_string_ = parts_.size() == 1 && parts_[0].type == FieldType::ftString;
  has_prefixes_ = !parts_.empty() && parts_[0].type == FieldType::ftString &&
                  parts_[0].field >= 0 && !parts_[0].descending && !parts_[0].case_insensitive &&
                  collation.UsesTable();
}

int KeyComparator::ComparePart(const Part& part, const Collation& collation, int32_t id_offset,
                               int32_t null_offset, const uint8_t* key, const uint8_t* record,
                               bool partial) {
  if (part.field == -1) return Sign(platform::GetI32(key + id_offset), platform::GetI32(record + id_offset));

  const int byte = null_offset + part.field / 8;
  const int bit = part.field % 8;
  const bool key_null = (key[byte] >> bit) & 1;
  const bool record_null = (record[byte] >> bit) & 1;
  if (key_null || record_null) return key_null == record_null ? 0 : (key_null ? -1 : 1);

  const uint8_t* a = key + part.offset;
  const uint8_t* b = record + part.offset;
  switch (part.type) {
    case FieldType::ftString:
      return collation.CompareField(a, b, static_cast<std::size_t>(part.width), part.case_insensitive,
                                    partial ? StringLength(Bytes(key, part.offset, part.width)) : -1);
    case FieldType::ftWideString: {
      const std::string_view sa = Bytes(key, part.offset, part.width);
      const std::string_view sb = Bytes(record, part.offset, part.width);
      return collation.CompareWide(sa, sb, part.case_insensitive, partial ? WideLength(sa) : -1);
    }
    case FieldType::ftSmallint:
      return Sign(platform::GetI16(a), platform::GetI16(b));
    case FieldType::ftWord:
      return Sign(platform::GetU16(a), platform::GetU16(b));
    case FieldType::ftBoolean:
      return Sign(platform::GetU16(a) != 0, platform::GetU16(b) != 0);
    case FieldType::ftInteger:
    case FieldType::ftAutoInc:
    case FieldType::ftDate:
    case FieldType::ftTime:
      return Sign(platform::GetI32(a), platform::GetI32(b));
    case FieldType::ftLargeint:
      return Sign(platform::GetI64(a), platform::GetI64(b));
    case FieldType::ftFloat:
    case FieldType::ftCurrency:
    case FieldType::ftDateTime:
      return CompareDoubles(platform::GetDouble(a), platform::GetDouble(b));
    default: {
      // BCD and whatever a damaged file may name: raw bytes, first byte
      // most significant.
      if (part.width <= 0) return 0;
      const int c = std::memcmp(a, b, static_cast<std::size_t>(part.width));
      return c < 0 ? -1 : (c > 0 ? 1 : 0);
    }
  }
}

int KeyComparator::CompareKeys(const uint8_t* key, const uint8_t* record, bool partial,
                               int key_fields) const {
  std::size_t n = parts_.size();
  if (key_fields >= 0 && static_cast<std::size_t>(key_fields) < n) n = static_cast<std::size_t>(key_fields);
  for (std::size_t k = 0; k < n; ++k) {
    const Part& part = parts_[k];
    const int c = ComparePart(part, *collation_, id_offset_, null_offset_, key, record, partial);
    if (part.field == -1) return c;
    if (c != 0) return part.descending ? -c : c;
  }
  return 0;
}

int KeyComparator::CompareField(const RecordLayout& layout, const Collation& collation,
                                int32_t field, const uint8_t* key, const uint8_t* record,
                                bool case_insensitive, bool partial) {
  const Part part = MakePart(layout, field, case_insensitive);
  return ComparePart(part, collation, layout.IdOffset(), layout.NullOffset(), key, record, partial);
}

}  // namespace corvane::table
