// Parses arbitrary text as a filter expression over a small table and, when
// it parses, evaluates it for the whole table and record by record. Input:
// one byte of filter options (low two bits), then the expression. Nothing
// may crash, hang or recurse without bound, and the two evaluations must
// agree on every record.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "platform/error.h"
#include "platform/locale.h"
#include "table/collation.h"
#include "table/field_values.h"
#include "table/search_parser.h"
#include "table/table_indexes.h"

namespace {

using namespace corvane::table;

class Records : public RecordSource {
 public:
  int32_t RecordCount() const override { return static_cast<int32_t>(slots_.size()); }
  const uint8_t* Slot(int32_t r) override { return slots_.at(static_cast<std::size_t>(r)).data(); }
  std::vector<std::vector<uint8_t>> slots_;
};

FieldHeader Field(const char* name, FieldType type, int32_t size = 0) {
  FieldHeader f;
  f.name = name;
  f.type = type;
  f.width = StoredWidth(type, size);
  return f;
}

struct SmallTable {
  SmallTable()
      : layout(RecordLayout::Make({Field("NWORD", FieldType::ftString, 30), Field("N", FieldType::ftInteger),
                                   Field("W", FieldType::ftWideString, 10), Field("B", FieldType::ftBytes, 4),
                                   Field("F", FieldType::ftFloat), Field("D", FieldType::ftDateTime),
                                   Field("OK", FieldType::ftBoolean)})),
        indexes(layout, records, Collation::ForLocale(corvane::platform::kLocaleTurkish)) {
    indexes.AddAutomaticIndexes("ID");
    const char* words[] = {"kalem", "Kalem", "\xE7" "am", "\xFDl\xFDk", "\xDDzmir", "it's", "", "a b", "ab"};
    int n = 0;
    for (const char* word : words) {
      std::vector<uint8_t> slot = layout.NewRecord(++n);
      if (n % 4 != 0) {
        SlotField(layout, 0).SetText(slot.data(), word);
        SlotField(layout, 2).SetText(slot.data(), word);
      }
      if (n % 3 != 0) {
        SlotField(layout, 1).SetInteger(slot.data(), n - 4);
        SlotField(layout, 4).SetFloat(slot.data(), n * 0.25);
        SlotField(layout, 5).SetText(slot.data(), "2024-01-0" + std::to_string(n) + " 10:00");
        SlotField(layout, 6).SetBoolean(slot.data(), n % 2 == 0);
      }
      records.slots_.push_back(slot);
      indexes.OnInsert(static_cast<int32_t>(records.slots_.size() - 1), -1);
    }
  }

  RecordLayout layout;
  Records records;
  TableIndexes indexes;
};

SmallTable& Table() {
  static SmallTable* table = new SmallTable();  // lives for the whole run
  return *table;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  SmallTable& t = Table();
  TSearchParser parser(SearchTable{&t.layout, "ID", &t.records, &t.indexes,
                                   &Collation::ForLocale(corvane::platform::kLocaleTurkish)});
  const std::string expression(reinterpret_cast<const char*>(data) + 1, size - 1);
  try {
    parser.Parse(expression, data[0] & 3);
  } catch (const corvane::Error&) {
    return 0;
  }
  if (parser.Empty()) return 0;
  const RecordBits& bits = parser.EvaluateTable();
  for (int32_t r = 0; r < t.records.RecordCount(); ++r) {
    if (parser.EvaluateRecord(t.records.Slot(r)) != bits.Test(r)) std::abort();
  }
  return 0;
}
