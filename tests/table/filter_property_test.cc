// Random expressions over a random table: the whole-table evaluation (index
// runs, scans, bit sets) and the one-record evaluation must agree on every
// record, under every combination of filter options.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "memory_records.h"
#include "table/search_parser.h"

namespace corvane::table::testing {
namespace {

// Letters whose case pairs differ between the Turkish tables and a plain
// difference of 32: a A b ı I i İ ç Ç. No blanks: the case-insensitive
// comparison ends at a blank, which is not an order.
const char kLetters[] = {'a', 'A', 'b', '\xFD', 'I', 'i', '\xDD', '\xE7', '\xC7'};

class Generator {
 public:
  explicit Generator(unsigned seed) : rng_(seed) {}

  int Below(int n) { return static_cast<int>(rng_() % static_cast<unsigned>(n)); }

  std::string Word(int max_length) {
    std::string word;
    for (int n = Below(max_length + 1); n > 0; --n) word += kLetters[Below(sizeof kLetters)];
    return word;
  }

  std::string Expression(int depth) {
    switch (depth > 3 ? 0 : Below(4)) {
      case 1: return "not " + Expression(depth + 1);
      case 2: return "(" + Expression(depth + 1) + ") and " + Expression(depth + 1);
      case 3: return Expression(depth + 1) + " or (" + Expression(depth + 1) + ")";
      default: return Condition();
    }
  }

 private:
  std::string Condition() {
    static const char* const kComparisons[] = {"=", "<>", "<", "<=", ">", ">=", "is null", "is not null"};
    const int field = Below(4);
    const bool text = field == 0 || field == 2;
    const char* name = field == 0 ? "NWORD" : field == 1 ? "N" : field == 2 ? "[W]" : "ID";
    if (text && Below(4) == 0) {
      std::string pattern;
      for (int n = Below(5); n > 0; --n) {
        const int pick = Below(4);
        pattern += pick == 0 ? '%' : pick == 1 ? '_' : kLetters[Below(sizeof kLetters)];
      }
      return std::string(name) + (Below(2) ? " like '" : " not like '") + pattern + "'";
    }
    const std::string op = kComparisons[Below(8)];
    if (op == "is null" || op == "is not null") return std::string(name) + " " + op;
    std::string value;
    if (text) {
      value = "'" + Word(3) + (Below(4) == 0 ? "*" : "") + "'";
    } else {
      value = Below(6) == 0 ? "''" : std::to_string(Below(9) - 2);
    }
    return std::string(name) + " " + op + " " + value;
  }

  std::mt19937 rng_;
};

TEST(FilterPropertyTest, TableAndRecordEvaluationsAgree) {
  Table table({Field("NWORD", FieldType::ftString, 6), Field("N", FieldType::ftInteger),
               Field("W", FieldType::ftWideString, 8)});
  table.indexes->AddAutomaticIndexes("ID");
  Generator random(1254);
  for (int i = 0; i < 300; ++i) {
    table.Insert([&](Slot& s) {
      if (random.Below(7) != 0) {
        const std::string word = random.Word(4);
        table.records.SetString(s, 0, word);
        std::vector<uint8_t> wide;
        for (char c : word) wide.insert(wide.end(), {static_cast<uint8_t>(c), 0});
        wide.resize(10, 0);
        table.records.SetBytes(s, 2, wide);
      }
      if (random.Below(5) != 0) table.records.SetInt(s, 1, random.Below(7) - 3);
    });
  }
  TSearchParser parser(SearchTable{&table.layout, "ID", &table.records, table.indexes.get(), &Turkish()});
  int selected = 0;
  for (int round = 0; round < 400; ++round) {
    const std::string expression = random.Expression(0);
    const auto options = static_cast<TFilterOptions>(random.Below(4));
    parser.Parse(expression, options);
    const RecordBits& bits = parser.EvaluateTable();
    for (int32_t r = 0; r < table.records.RecordCount(); ++r) {
      const std::vector<uint8_t> slot = table.records.At(r);
      ASSERT_EQ(parser.EvaluateRecord(slot.data()), bits.Test(r))
          << expression << " (options " << options << ") on record " << r;
      selected += bits.Test(r) ? 1 : 0;
    }
  }
  // Neither everything nor nothing: the expressions do select.
  EXPECT_GT(selected, 400 * 300 / 10);
  EXPECT_LT(selected, 400 * 300 * 9 / 10);
}

}  // namespace
}  // namespace corvane::table::testing
