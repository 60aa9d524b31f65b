// TableIndexes: searching by conditions, and the record search of Locate.
//
// A condition's records are a run (or, for "not equal", two runs) of the
// field's automatic index, found by one position search: "=" the records
// whose key equals the value, "<" everything before them, "<=" everything
// up to their end, and so on. Empty values sort first, so "<" also holds the
// records whose field is empty; IsRecordMatches (record_match.h) gives the
// same answer for one record. A condition whose value is empty matches
// nothing (Locate with a null value fails); kIsNull and kIsNotNull test the
// flag instead.
#include <string>

#include "platform/error.h"
#include "table/record_match.h"
#include "table/table_indexes_impl.h"

namespace corvane::table {
namespace {

bool ValueIsNull(const RecordLayout& layout, const SearchCondition& c) {
  if (c.field < 0) return false;
  if (static_cast<std::size_t>(layout.NullOffset() + c.field / 8) >= c.value.size()) return true;
  return layout.IsNull(c.value.data(), c.field);
}

bool FieldIsText(const RecordLayout& layout, int32_t field) {
  return field >= 0 && field < static_cast<int32_t>(layout.fields.size()) &&
         IsStringType(layout.fields[static_cast<std::size_t>(field)].type);
}

[[noreturn]] void Unsupported() {
  throw Error(
      "TCvDataSet.IsRecordMatches - Unsupported search operation in TCvDataSet.IsRecordMatches");
}

}  // namespace

std::vector<int32_t> TableIndexes::GetMatchedRecordsArray(const SearchCondition& condition,
                                                          bool count_only, int64_t* count) {
  Impl& m = *impl_;
  if (count) *count = 0;
  if (condition.op == SearchCondition::kLike || condition.op == SearchCondition::kNotLike) {
    throw Error(
        "TCvDataSet.GetMatchedRecordsArray - Like operator is not supported in "
        "GetMatchedRecordsArray procedure.");
  }
  if (condition.field < -1 || condition.field >= static_cast<int32_t>(m.layout.fields.size())) {
    Unsupported();
  }
  const bool ci = condition.case_insensitive && FieldIsText(m.layout, condition.field);
  if (m.condition_index.empty()) m.condition_index.assign(m.layout.fields.size() + 1, {-2, -2});
  int& cached = m.condition_index[static_cast<std::size_t>(condition.field + 1)][ci ? 1 : 0];
  if (cached == -2) {
    const std::string& field = condition.field == -1
                                   ? m.id_field_name
                                   : m.layout.fields[static_cast<std::size_t>(condition.field)].name;
    cached = Get((ci ? "@@" : "@") + field);
  }
  IndexState& s = m.State(cached);

  const bool null_test =
      condition.op == SearchCondition::kIsNull || condition.op == SearchCondition::kIsNotNull;
  const uint8_t* key = nullptr;
  if (null_test) {
    // The identifier is never empty: no records are null, all are not.
    if (condition.field < 0 && condition.op == SearchCondition::kIsNull) return {};
    m.key_buffer.assign(static_cast<std::size_t>(m.layout.slot_size), 0);
    if (condition.field >= 0) m.layout.SetNull(m.key_buffer.data(), condition.field, true);
    key = m.key_buffer.data();
  } else {
    if (static_cast<int32_t>(condition.value.size()) < m.layout.slot_size) Unsupported();
    if (ValueIsNull(m.layout, condition)) return {};
    key = condition.value.data();
    std::vector<int32_t> found;
    if (condition.op == SearchCondition::kEqual &&
        m.EqualMatchesInFile(s, key, condition.partial, count_only, count, found)) {
      return found;
    }
  }
  m.EnsureCurrent(s);
  const int32_t n = s.array.Size();
  int32_t first = 0;
  int32_t last = 0;
  if (!(null_test && condition.field < 0)) {
    const int32_t pos = m.Search(s, key, condition.partial, 1);
    m.EqualRun(s, key, condition.partial, 1, pos, &first, &last);
  }
  // Runs in index order; a descending key field puts "before" at the end.
  const bool desc = s.header.Descending(0);
  const int32_t below_end = desc ? n : first;  // [below_begin, below_end): records before the value
  const int32_t below_begin = desc ? last : 0;
  const int32_t above_begin = desc ? 0 : last;
  const int32_t above_end = desc ? first : n;
  struct Range {
    int32_t begin, end;
  };
  Range ranges[2] = {{0, 0}, {0, 0}};
  switch (condition.op) {
    case SearchCondition::kEqual:
    case SearchCondition::kIsNull:
      ranges[0] = {first, last};
      break;
    case SearchCondition::kNotEqual:
    case SearchCondition::kIsNotNull:
      ranges[0] = {0, first};
      ranges[1] = {last, n};
      break;
    case SearchCondition::kLess:
      ranges[0] = {below_begin, below_end};
      break;
    case SearchCondition::kLessOrEqual:
      ranges[0] = desc ? Range{first, n} : Range{0, last};
      break;
    case SearchCondition::kGreater:
      ranges[0] = {above_begin, above_end};
      break;
    case SearchCondition::kGreaterOrEqual:
      ranges[0] = desc ? Range{0, last} : Range{first, n};
      break;
    default:
      Unsupported();
  }
  const int64_t total = int64_t{ranges[0].end - ranges[0].begin} + (ranges[1].end - ranges[1].begin);
  if (count) *count = total;
  std::vector<int32_t> out;
  if (count_only) return out;
  out.reserve(static_cast<std::size_t>(total));
  for (const Range& r : ranges) {
    for (int32_t p = r.begin; p < r.end; ++p) out.push_back(s.array.At(p));
  }
  return out;
}

bool TableIndexes::IsRecordMatches(int32_t record, const SearchCondition& condition) {
  Impl& m = *impl_;
  if (condition.field < -1 || condition.field >= static_cast<int32_t>(m.layout.fields.size())) {
    Unsupported();
  }
  if (record < 0 || record >= m.records.RecordCount()) return false;
  return RecordMatches(m.layout, m.collation, condition, nullptr, m.records.Slot(record));
}

int32_t TableIndexes::Locate(const std::vector<SearchCondition>& conditions, int current_index,
                             const std::function<bool(int32_t)>& visible) {
  Impl& m = *impl_;
  const int32_t n = m.records.RecordCount();
  if (n <= 0 || conditions.empty()) return -1;
  for (const SearchCondition& c : conditions) {
    const bool null_test = c.op == SearchCondition::kIsNull || c.op == SearchCondition::kIsNotNull;
    if (!null_test && ValueIsNull(m.layout, c)) return -1;
  }

  // The condition with the fewest matches; one with at most a twentieth of
  // the records is good enough to stop asking.
  std::size_t chosen = 0;
  if (conditions.size() > 1) {
    int64_t best = -1;
    for (std::size_t i = 0; i < conditions.size(); ++i) {
      int64_t count = 0;
      GetMatchedRecordsArray(conditions[i], true, &count);
      if (count <= n / 20) {
        chosen = i;
        break;
      }
      if (best < 0 || count < best) {
        best = count;
        chosen = i;
      }
    }
  }
  // The chosen condition's matches, filtered in place into the candidates.
  std::vector<int32_t> candidates = GetMatchedRecordsArray(conditions[chosen], false, nullptr);
  std::size_t kept = 0;
  for (const int32_t r : candidates) {
    bool ok = true;
    for (std::size_t i = 0; ok && i < conditions.size(); ++i) {
      if (i != chosen) ok = IsRecordMatches(r, conditions[i]);
    }
    if (ok && (!visible || visible(r))) candidates[kept++] = r;
  }
  candidates.resize(kept);
  if (candidates.empty()) return -1;

  const bool by_index = current_index >= 0;
  IndexState* order = by_index ? &m.State(current_index) : nullptr;
  if (order) m.EnsureCurrent(*order);

  if (candidates.size() > 9) {
    // Walk the current order and stop at the first candidate.
    std::vector<bool> marked(static_cast<std::size_t>(n));
    for (int32_t r : candidates) marked[static_cast<std::size_t>(r)] = true;
    if (!by_index) {
      for (int32_t r = 0; r < n; ++r) {
        if (marked[static_cast<std::size_t>(r)]) return r;
      }
      return -1;
    }
    for (int32_t p = 0; p < order->array.Size(); ++p) {
      const int32_t r = order->array.At(p);
      if (r >= 0 && r < n && marked[static_cast<std::size_t>(r)]) return r;
    }
    return -1;
  }
  // Few candidates: keep the one that sorts first by the current index (the
  // earlier on equal keys); in physical order, the lowest number.
  int32_t result = candidates[0];
  for (std::size_t i = 1; i < candidates.size(); ++i) {
    const int32_t r = candidates[i];
    if (!by_index) {
      if (result > r) result = r;
      continue;
    }
    const uint8_t* provisional = m.CopySlot(result, m.key_buffer);
    if (order->comparator.Compare(provisional, m.records.Slot(r)) > 0) result = r;
  }
  return result;
}

}  // namespace corvane::table
