// An in-memory table for the index tests: record slots in a vector, served
// through RecordSource the way the page cache serves them. Slot() hands out
// one shared buffer, so code that holds two slots at once reads garbage and
// fails its test, as it would against the real cache. Table puts indexes
// over it and changes records the way TCvDataManager does.
#ifndef CORVANE_TESTS_TABLE_MEMORY_RECORDS_H_
#define CORVANE_TESTS_TABLE_MEMORY_RECORDS_H_

#include <gtest/gtest.h>

#include <cstdint>
#include <algorithm>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "table/record_layout.h"
#include "platform/locale.h"
#include "table/collation.h"
#include "table/key_compare.h"
#include "table/table_indexes.h"

namespace corvane::table::testing {

inline FieldHeader Field(const std::string& name, FieldType type, int32_t size = 0) {
  FieldHeader f;
  f.name = name;
  f.type = type;
  f.width = StoredWidth(type, size);
  return f;
}

class MemoryRecords : public RecordSource {
 public:
  explicit MemoryRecords(const RecordLayout& layout) : layout_(layout) {}

  int32_t RecordCount() const override { return static_cast<int32_t>(slots_.size()); }
  const uint8_t* Slot(int32_t r) override {
    ++reads_;
    shared_ = slots_.at(static_cast<std::size_t>(r));
    return shared_.data();
  }

  // A new record buffer with the next identifier.
  std::vector<uint8_t> New() { return layout_.NewRecord(++last_id_); }
  int32_t Append(const std::vector<uint8_t>& slot) {
    slots_.push_back(slot);
    return RecordCount() - 1;
  }
  std::vector<uint8_t>& At(int32_t r) { return slots_.at(static_cast<std::size_t>(r)); }
  // What a physical delete does to the slots: the last moves into `r`.
  void RemoveMovingLast(int32_t r) {
    slots_[static_cast<std::size_t>(r)] = slots_.back();
    slots_.pop_back();
  }
  int64_t Reads() const { return reads_; }

  void SetString(std::vector<uint8_t>& slot, int field, const std::string& text) const {
    const FieldHeader& f = layout_.fields.at(static_cast<std::size_t>(field));
    std::memset(slot.data() + f.offset, 0, static_cast<std::size_t>(f.width));
    std::memcpy(slot.data() + f.offset, text.data(),
                std::min(text.size(), static_cast<std::size_t>(f.width - 1)));
    layout_.SetNull(slot.data(), field, false);
  }
  void SetInt(std::vector<uint8_t>& slot, int field, int64_t v) const {
    const FieldHeader& f = layout_.fields.at(static_cast<std::size_t>(field));
    for (int i = 0; i < f.width; ++i) slot[static_cast<std::size_t>(f.offset + i)] = static_cast<uint8_t>(v >> (8 * i));
    layout_.SetNull(slot.data(), field, false);
  }
  void SetDouble(std::vector<uint8_t>& slot, int field, double d) const {
    int64_t bits;
    std::memcpy(&bits, &d, sizeof bits);
    SetInt(slot, field, bits);
  }
  void SetBytes(std::vector<uint8_t>& slot, int field, const std::vector<uint8_t>& bytes) const {
    const FieldHeader& f = layout_.fields.at(static_cast<std::size_t>(field));
    std::memcpy(slot.data() + f.offset, bytes.data(), std::min<std::size_t>(bytes.size(), f.width));
    layout_.SetNull(slot.data(), field, false);
  }

 private:
  const RecordLayout& layout_;
  std::vector<std::vector<uint8_t>> slots_;
  std::vector<uint8_t> shared_;
  int32_t last_id_ = 0;
  int64_t reads_ = 0;
};

using Slot = std::vector<uint8_t>;
using Fill = std::function<void(Slot&)>;

inline std::vector<FieldHeader> WordList() {
  return {Field("NWORD", FieldType::ftString, 30), Field("HWORD", FieldType::ftString, 30)};
}

inline const Collation& Turkish() { return Collation::ForLocale(platform::kLocaleTurkish); }

// A table in memory with its indexes; the clock stands still unless moved.
struct Table {
  explicit Table(std::vector<FieldHeader> fields)
      : layout(RecordLayout::Make(std::move(fields))),
        records(layout),
        indexes(std::make_unique<TableIndexes>(layout, records, Turkish())) {
    indexes->SetTickSource([this] { return now; });
  }
  int32_t Insert(const Fill& fill, int current = -1) {
    Slot s = records.New();
    fill(s);
    const int32_t r = records.Append(s);
    indexes->OnInsert(r, current);
    return r;
  }
  int32_t InsertWord(const std::string& word, int current = -1) {
    return Insert([&](Slot& s) { records.SetString(s, 0, word); }, current);
  }
  void Update(int32_t r, const Fill& fill, int current = -1) {
    const Slot old = records.At(r);
    fill(records.At(r));
    indexes->OnUpdate(r, old.data(), current);
  }
  void Delete(int32_t r, int current = -1) {
    indexes->OnDelete(r, records.RecordCount() - 1, current);
    records.RemoveMovingLast(r);
  }
  std::vector<int32_t> Order(int index) {
    std::vector<int32_t> out;
    for (int32_t p = 0; p < records.RecordCount(); ++p) out.push_back(indexes->RecordAt(index, p));
    return out;
  }
  std::vector<std::string> Words(int index) {
    std::vector<std::string> out;
    for (int32_t r : Order(index)) {
      const Slot& s = records.At(r);
      out.push_back(layout.IsNull(s.data(), 0) ? "<null>" : reinterpret_cast<const char*>(s.data()));
    }
    return out;
  }
  // A permutation of 0..N-1 in key order.
  void ExpectSorted(int index) {
    const std::vector<int32_t> order = Order(index);
    std::vector<int32_t> sorted = order;
    std::sort(sorted.begin(), sorted.end());
    for (std::size_t i = 0; i < sorted.size(); ++i) ASSERT_EQ(sorted[i], static_cast<int32_t>(i));
    const KeyComparator c(layout, indexes->Header(index), Turkish());
    for (std::size_t p = 1; p < order.size(); ++p) {
      ASSERT_LE(c.Compare(records.At(order[p - 1]).data(), records.At(order[p]).data()), 0)
          << indexes->Header(index).name << " at " << p;
    }
  }
  SearchCondition Condition(int field, const Fill& value,
                            SearchCondition::Operator op = SearchCondition::kEqual) {
    SearchCondition c;
    c.field = field;
    c.value = layout.NewRecord(0);
    value(c.value);
    c.op = op;
    return c;
  }

  RecordLayout layout;
  MemoryRecords records;
  std::unique_ptr<TableIndexes> indexes;
  uint32_t now = 0;
};

}  // namespace corvane::table::testing

#endif  // CORVANE_TESTS_TABLE_MEMORY_RECORDS_H_
