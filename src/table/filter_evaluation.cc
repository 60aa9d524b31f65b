// TSearchParser: evaluating the parsed program for the whole table (bit
// sets) and for one record slot. Conditions agree between the two because
// both compare through the key comparison of the indexes.
#include <string_view>

#include "platform/error.h"
#include "table/key_compare.h"
#include "table/search_parser.h"

namespace corvane::table {
namespace {

// The text of a string field, or the UTF-16 units of a wide string, up to
// the terminator; an empty value reads as empty text.
std::string_view StringValue(const RecordLayout& layout, int32_t field, const uint8_t* slot) {
  if (layout.IsNull(slot, field)) return {};
  const FieldHeader& f = layout.fields[static_cast<std::size_t>(field)];
  const auto* p = reinterpret_cast<const char*>(slot + f.offset);
  const auto width = static_cast<std::size_t>(f.width);
  std::size_t n = 0;
  while (n < width && p[n] != 0) ++n;
  return {p, n};
}

std::u16string WideValue(const RecordLayout& layout, int32_t field, const uint8_t* slot) {
  std::u16string units;
  if (layout.IsNull(slot, field)) return units;
  const FieldHeader& f = layout.fields[static_cast<std::size_t>(field)];
  const uint8_t* p = slot + f.offset;
  for (int32_t i = 0; i + 1 < f.width; i += 2) {
    const auto unit = static_cast<char16_t>(p[i] | p[i + 1] << 8);
    if (unit == 0) break;
    units.push_back(unit);
  }
  return units;
}

}  // namespace

bool TSearchParser::Holds(const Condition& c, const uint8_t* slot) const {
  const RecordLayout& layout = *table_.layout;
  const SearchCondition& s = c.search;
  switch (s.op) {
    // The identifier (field -1) is never empty.
    case SearchCondition::kIsNull: return s.field >= 0 && layout.IsNull(slot, s.field);
    case SearchCondition::kIsNotNull: return s.field < 0 || !layout.IsNull(slot, s.field);
    case SearchCondition::kLike:
    case SearchCondition::kNotLike: {
      const bool like = c.type == FieldType::ftString ? c.like->Matches(StringValue(layout, s.field, slot))
                                                      : c.like->Matches(WideValue(layout, s.field, slot));
      return like == (s.op == SearchCondition::kLike);
    }
    default: break;
  }
  // r compares the condition's value with the record; the operators read
  // the record against the value.
  const int r = KeyComparator::CompareField(layout, *table_.collation, s.field, s.value.data(), slot,
                                            s.case_insensitive, s.partial);
  switch (s.op) {
    case SearchCondition::kEqual: return r == 0;
    case SearchCondition::kNotEqual: return r != 0;
    case SearchCondition::kLess: return r > 0;
    case SearchCondition::kLessOrEqual: return r >= 0;
    case SearchCondition::kGreater: return r < 0;
    case SearchCondition::kGreaterOrEqual: return r <= 0;
    default:
      throw Error("TCvDataSet.IsRecordMatches - Unsupported search operation in TCvDataSet.IsRecordMatches");
  }
}

void TSearchParser::Select(const Condition& c, RecordBits& bits) {
  const SearchCondition& s = c.search;
  RecordSource& records = *table_.records;
  const int32_t count = bits.Count();
  if (s.field < 0 && (s.op == SearchCondition::kIsNull || s.op == SearchCondition::kIsNotNull)) {
    if (s.op == SearchCondition::kIsNotNull) bits.SetAll();
    return;
  }
  bool scan = s.op == SearchCondition::kLike || s.op == SearchCondition::kNotLike;
  if (!scan) {
    // Fields without an automatic index (bytes, BLOBs, or a table whose
    // declared indexes replaced them) are scanned instead.
    const std::string& name =
        s.field < 0 ? table_.id_field_name : table_.layout->fields[static_cast<std::size_t>(s.field)].name;
    const bool by_case = s.case_insensitive && IsStringType(c.type);
    scan = table_.indexes->Find((by_case ? "@@" : "@") + name) < 0;
  }
  if (scan) {
    for (int32_t r = 0; r < count; ++r) {
      if (Holds(c, records.Slot(r))) bits.Set(r);
    }
    return;
  }
  for (const int32_t r : table_.indexes->GetMatchedRecordsArray(s, false, nullptr)) bits.Set(r);
}

RecordBits& TSearchParser::Push() {
  if (depth_ == stack_.size()) stack_.resize(stack_.size() + 5);
  return stack_[depth_++];
}

const RecordBits& TSearchParser::EvaluateTable() {
  if (program_.empty()) throw Error("TSearchParser.Parse - Expression is blank.");
  const int32_t count = table_.records->RecordCount();
  depth_ = 0;
  for (const Step& step : program_) {
    switch (step.kind) {
      case Kind::kCondition: {
        RecordBits& bits = Push();
        bits.Reset(count);
        Select(conditions_[static_cast<std::size_t>(step.condition)], bits);
        break;
      }
      case Kind::kNot: stack_[depth_ - 1].Complement(); break;
      case Kind::kAnd: stack_[depth_ - 2].And(stack_[depth_ - 1]); --depth_; break;
      case Kind::kOr: stack_[depth_ - 2].Or(stack_[depth_ - 1]); --depth_; break;
    }
  }
  return stack_[0];
}

bool TSearchParser::EvaluateRecord(const uint8_t* slot) {
  if (program_.empty()) return false;
  truths_.clear();
  for (const Step& step : program_) {
    switch (step.kind) {
      case Kind::kCondition:
        truths_.push_back(Holds(conditions_[static_cast<std::size_t>(step.condition)], slot) ? 1 : 0);
        break;
      case Kind::kNot: truths_.back() = truths_.back() ? 0 : 1; break;
      case Kind::kAnd: {
        const char right = truths_.back();
        truths_.pop_back();
        truths_.back() = static_cast<char>(truths_.back() && right);
        break;
      }
      case Kind::kOr: {
        const char right = truths_.back();
        truths_.pop_back();
        truths_.back() = static_cast<char>(truths_.back() || right);
        break;
      }
    }
  }
  return truths_.back() != 0;
}

}  // namespace corvane::table
