// TSearchParser: evaluating the parsed program for the whole table (bit
// sets) and for one record slot. Conditions agree between the two because
// a record is tested by the same rule the index runs follow
// (record_match.h).
#include "platform/error.h"
#include "table/record_match.h"
#include "table/search_parser.h"

namespace corvane::table {

bool TSearchParser::Holds(const Condition& c, const uint8_t* slot) const {
  return RecordMatches(*table_.layout, *table_.collation, c.search, c.like.get(), slot);
}

void TSearchParser::Select(const Condition& c, RecordBits& bits) {
  const SearchCondition& s = c.search;
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
    SelectMatchingRecords(*table_.layout, *table_.collation, s, c.like.get(), *table_.records, bits);
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
