// TableIndexes: keeping the arrays sorted as records are inserted, rewritten
// and deleted, and the unique-key check of Post.
//
// Only current arrays are maintained; an array that is not current is
// incomplete and is rebuilt before its next use (or, on a table of more than
// 10 records, before an insert or delete). Bursts of changes to a table of
// at most 10 records maintain only the dataset's current index, so a loop
// that refills a tiny table does not keep every index sorted.
#include <string>

#include "platform/error.h"
#include "table/table_indexes_impl.h"

namespace corvane::table {
namespace {

constexpr int32_t kSmallTable = 10;        // records; larger tables maintain every index
constexpr uint32_t kBurstGapMs = 1000;     // changes closer than this form a burst
constexpr int kBurstLimit = 100;           // changes in a burst before the throttle acts

}  // namespace

bool TableIndexes::Impl::MaintainAll(int32_t records_before) {
  const uint32_t now = tick ? tick() : 0;
  // Unsigned difference: right across one wrap of the tick counter.
  if (have_last_tick && now - last_tick < kBurstGapMs) {
    if (burst <= kBurstLimit) ++burst;
  } else {
    burst = 0;
  }
  have_last_tick = true;
  last_tick = now;
  return records_before > kSmallTable || burst <= kBurstLimit;
}

void TableIndexes::OnInsert(int32_t record, int current_index) {
  Impl& m = *impl_;
  m.ReadAllFromFile();  // arrays still in the file describe the table before this change
  const int32_t before = record;  // the new record is number N - 1
  const bool all = m.MaintainAll(before);
  const uint8_t* key = nullptr;
  for (std::size_t i = 0; i < m.indexes.size(); ++i) {
    IndexState& s = m.indexes[i];
    if (m.defer_maintenance && (s.header.options & (ixPrimary | ixUnique)) == 0) {
      if (s.current) m.Drop(s);
      s.deferred = true;
      continue;
    }
    if (!s.current) {
      // Built now it already holds the new record.
      if (before > kSmallTable) m.Build(s);
      continue;
    }
    if (!all && static_cast<int>(i) != current_index) {
      m.Drop(s);
      continue;
    }
    if (s.array.Size() != before) {  // out of step with the table: start over later
      m.Drop(s);
      continue;
    }
    if (key == nullptr) key = m.CopySlot(record, m.key_buffer);
    // A key after every other (a rising identifier, a list appended in
    // order) is where the position search would end anyway: at the end.
    const int32_t size = s.array.Size();
    const bool last = size > 0 && s.comparator.Compare(key, m.records.Slot(s.array.At(size - 1))) > 0;
    s.array.Insert(last ? size : m.Search(s, key, false), record);
  }
}

void TableIndexes::OnUpdate(int32_t record, const uint8_t* old_slot, int current_index) {
  Impl& m = *impl_;
  m.appended_only = false;
  m.ReadAllFromFile();  // arrays still in the file describe the table before this change
  const bool all = m.MaintainAll(m.records.RecordCount());
  const uint8_t* key = nullptr;
  for (std::size_t i = 0; i < m.indexes.size(); ++i) {
    IndexState& s = m.indexes[i];
    if (!s.current) continue;
    if (!all && static_cast<int>(i) != current_index) {
      m.Drop(s);
      continue;
    }
    // The record's entry still sits where its old key put it; while looking
    // for it, its own entry reads as the old slot so the array stays sorted.
    const int32_t old_pos = m.FindRecordPosition(s, old_slot, record);
    if (old_pos < 0) {
      m.Drop(s);
      continue;
    }
    s.array.Erase(old_pos);
    if (key == nullptr) key = m.CopySlot(record, m.key_buffer);
    // A key after every other (a rising identifier, a list appended in
    // order) is where the position search would end anyway: at the end.
    const int32_t size = s.array.Size();
    const bool last = size > 0 && s.comparator.Compare(key, m.records.Slot(s.array.At(size - 1))) > 0;
    s.array.Insert(last ? size : m.Search(s, key, false), record);
  }
}

void TableIndexes::OnDelete(int32_t record, int32_t last, int current_index) {
  Impl& m = *impl_;
  m.appended_only = false;
  m.ReadAllFromFile();  // arrays still in the file describe the table before this change
  const int32_t before = m.records.RecordCount();
  const bool all = m.MaintainAll(before);
  // A failure leaves every array suspect: they are rebuilt from the slots
  // on their next use rather than trusted half-maintained.
  auto fail = [&m](const std::string& message) {
    for (IndexState& s : m.indexes) m.Drop(s);
    throw Error(message);
  };
  for (std::size_t i = 0; i < m.indexes.size(); ++i) {
    IndexState& s = m.indexes[i];
    if (!s.current) {
      if (before <= kSmallTable) continue;
      m.Build(s);
    }
    if (!all && static_cast<int>(i) != current_index) {
      m.Drop(s);
      continue;
    }
    const int32_t at = record >= 0 && record < before
                           ? m.FindRecordPosition(s, m.CopySlot(record, m.key_buffer), record)
                           : -1;
    if (at < 0) {
      fail("TCvDataManager.DeleteRecordPhys - invalid record Number, recPos = " +
           std::to_string(record));
    }
    if (record != last) {
      const int32_t last_at = last >= 0 && last < before
                                  ? m.FindRecordPosition(s, m.CopySlot(last, m.key_buffer), last)
                                  : -1;
      if (last_at < 0) {
        fail("TCvDataManager.DeleteRecordPhys - invalid record Number, last = " +
             std::to_string(last));
      }
      s.array.Set(last_at, record);
    }
    s.array.Erase(at);
  }
}

std::optional<std::string> TableIndexes::FindKeyViolation(const uint8_t* slot) {
  Impl& m = *impl_;
  const int32_t id = m.layout.GetId(slot);
  for (IndexState& s : m.indexes) {
    if ((s.header.options & ixUnique) == 0) continue;
    m.EnsureCurrent(s);
    const int32_t pos = m.Search(s, slot, false);
    int32_t first = 0;
    int32_t last = 0;
    m.EqualRun(s, slot, false, -1, pos, &first, &last);
    for (int32_t p = first; p < last; ++p) {
      if (m.layout.GetId(m.records.Slot(s.array.At(p))) != id) return s.header.name;
    }
  }
  return std::nullopt;
}

}  // namespace corvane::table
