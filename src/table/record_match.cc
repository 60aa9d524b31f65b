#include "table/record_match.h"

#include <string>
#include <string_view>

#include "platform/coding.h"
#include "platform/error.h"
#include "table/key_compare.h"

namespace corvane::table {
namespace {

[[noreturn]] void Unsupported() {
  throw Error("TCvDataSet.IsRecordMatches - Unsupported search operation in TCvDataSet.IsRecordMatches");
}

// The bytes of a string field up to its terminator, or the UTF-16 units of
// a wide string up to a zero unit.
std::string_view TextOf(const FieldHeader& f, const uint8_t* slot) {
  const auto* p = reinterpret_cast<const char*>(slot + f.offset);
  const auto width = static_cast<std::size_t>(f.width);
  std::size_t n = 0;
  if (f.type == FieldType::ftString) {
    while (n < width && p[n] != 0) ++n;
    return {p, n};
  }
  while (n + 1 < width && (p[n] != 0 || p[n + 1] != 0)) n += 2;
  return {p, n};
}

std::u16string Utf16(std::string_view bytes) {
  std::u16string out(bytes.size() / 2, u'\0');
  for (std::size_t i = 0; i < out.size(); ++i) {
    out[i] = static_cast<char16_t>(platform::GetU16(reinterpret_cast<const uint8_t*>(bytes.data()) + 2 * i));
  }
  return out;
}

bool Like(const RecordLayout& layout, const Collation& collation, const SearchCondition& c,
          const LikePattern* like, const uint8_t* slot) {
  const FieldHeader& f = layout.fields[static_cast<std::size_t>(c.field)];
  if (!IsStringType(f.type)) Unsupported();
  const std::string_view value = layout.IsNull(slot, c.field) ? std::string_view() : TextOf(f, slot);
  const bool narrow = f.type == FieldType::ftString;
  if (like != nullptr) return narrow ? like->Matches(value) : like->Matches(Utf16(value));
  const std::string_view pattern = TextOf(f, c.value.data());
  return narrow ? LikePattern(pattern, c.case_insensitive, collation).Matches(value)
                : LikePattern(Utf16(pattern), c.case_insensitive, collation).Matches(Utf16(value));
}

// RecordMatches without the check of the field number, which a scan makes
// once; inlined into the scan, whose calls run once per record.
inline bool Matches(const RecordLayout& layout, const Collation& collation, const SearchCondition& c,
                    const LikePattern* like, const uint8_t* slot) {
  switch (c.op) {
    case SearchCondition::kIsNull: return c.field >= 0 && layout.IsNull(slot, c.field);
    case SearchCondition::kIsNotNull: return c.field < 0 || !layout.IsNull(slot, c.field);
    default: break;
  }
  if (static_cast<int32_t>(c.value.size()) < layout.slot_size) Unsupported();
  if (c.op == SearchCondition::kLike || c.op == SearchCondition::kNotLike) {
    if (c.field < 0) Unsupported();
    return Like(layout, collation, c, like, slot) == (c.op == SearchCondition::kLike);
  }
  if (c.field >= 0 && layout.IsNull(c.value.data(), c.field)) return false;
  // r compares the value with the record; the operators read the record
  // against the value.
  const int r = KeyComparator::CompareField(layout, collation, c.field, c.value.data(), slot, c.case_insensitive,
                                            c.partial);
  switch (c.op) {
    case SearchCondition::kEqual: return r == 0;
    case SearchCondition::kNotEqual: return r != 0;
    case SearchCondition::kLess: return r > 0;
    case SearchCondition::kLessOrEqual: return r >= 0;
    case SearchCondition::kGreater: return r < 0;
    case SearchCondition::kGreaterOrEqual: return r <= 0;
    default: Unsupported();
  }
}

}  // namespace

bool RecordMatches(const RecordLayout& layout, const Collation& collation, const SearchCondition& c,
                   const LikePattern* like, const uint8_t* slot) {
  if (c.field < -1 || c.field >= static_cast<int32_t>(layout.fields.size())) Unsupported();
  return Matches(layout, collation, c, like, slot);
}

void SelectMatchingRecords(const RecordLayout& layout, const Collation& collation, const SearchCondition& c,
                           const LikePattern* like, RecordSource& records, RecordBits& bits) {
  if (c.field < -1 || c.field >= static_cast<int32_t>(layout.fields.size())) Unsupported();
  const int32_t count = bits.Count();
  for (int32_t r = 0; r < count; ++r) {
    if (Matches(layout, collation, c, like, records.Slot(r))) bits.Set(r);
  }
}

}  // namespace corvane::table
