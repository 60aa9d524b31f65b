// Filter expressions over a small table in memory: what each expression
// selects (the whole-table and the one-record evaluation must agree on every
// record), and every message of a bad expression.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "memory_records.h"
#include "platform/error.h"
#include "table/search_parser.h"

namespace corvane::table::testing {
namespace {

// Fields: 0 NWORD string(30), 1 N integer, 2 W wide string(10), 3 B bytes(4),
// 4 FLAG Boolean, 5 AMOUNT float, 6 NOTLAR string(10); identifier ID.
class SearchParserTest : public ::testing::Test {
 protected:
  SearchParserTest()
      : table_({Field("NWORD", FieldType::ftString, 30), Field("N", FieldType::ftInteger),
                Field("W", FieldType::ftWideString, 10), Field("B", FieldType::ftBytes, 4),
                Field("FLAG", FieldType::ftBoolean), Field("AMOUNT", FieldType::ftFloat),
                Field("NOTLAR", FieldType::ftString, 10)}) {
    table_.indexes->AddAutomaticIndexes("ID");
    struct Row {
      const char* word;  // nullptr: empty
      int n;             // 0: empty
    };
    const Row rows[] = {{"ab", 1},   {"abc", 2},  {"ac", 3},        {"abbc", 4}, {"abcd", 5},
                        {nullptr, 6}, {"it's", 0}, {"AB", 7},        {"5", 8},    {"55", 9},
                        {"true", 10}, {"iki", 11}, {"\xFDl\xFDk", 12}, {"Q", 13},   {"a", 14}};
    for (const Row& row : rows) {
      table_.Insert([&](Slot& s) {
        if (row.word != nullptr) {
          table_.records.SetString(s, 0, row.word);
          // W holds the word as UTF-16 (ASCII words only).
          std::vector<uint8_t> wide;
          for (const char* c = row.word; *c != 0; ++c) wide.insert(wide.end(), {static_cast<uint8_t>(*c), 0});
          wide.resize(12, 0);
          table_.records.SetBytes(s, 2, wide);
        }
        if (row.n != 0) table_.records.SetInt(s, 1, row.n);
        if (row.n % 2 == 1) table_.records.SetInt(s, 4, 1);
        if (row.n != 0) table_.records.SetDouble(s, 5, row.n * 0.5);
        if (row.n == 3) table_.records.SetString(s, 6, "x");
      });
    }
  }

  TSearchParser Parser() {
    return TSearchParser(SearchTable{&table_.layout, "ID", &table_.records, table_.indexes.get(), &Turkish()});
  }

  // The NWORD values ("-" for empty) of the records the expression selects,
  // in physical order, after checking that both evaluations agree.
  std::string Select(const std::string& expression, TFilterOptions options = 0) {
    TSearchParser parser = Parser();
    parser.Parse(expression, options);
    const RecordBits& bits = parser.EvaluateTable();
    std::string selected;
    for (int32_t r = 0; r < table_.records.RecordCount(); ++r) {
      const std::vector<uint8_t> slot = table_.records.At(r);
      EXPECT_EQ(parser.EvaluateRecord(slot.data()), bits.Test(r)) << expression << " on record " << r;
      if (!bits.Test(r)) continue;
      selected += selected.empty() ? "" : " ";
      selected += table_.layout.IsNull(slot.data(), 0) ? "-" : reinterpret_cast<const char*>(slot.data());
    }
    return selected;
  }

  std::string ErrorOf(const std::string& expression, TFilterOptions options = 0) {
    TSearchParser parser = Parser();
    try {
      parser.Parse(expression, options);
    } catch (const Error& e) {
      EXPECT_TRUE(parser.Empty());
      return e.what();
    }
    return "";
  }

  Table table_;
};

TEST_F(SearchParserTest, Selections) {
  const unsigned ci = foCaseInsensitive;
  const unsigned exact = foNoPartialCompare;
  struct Case {
    const char* expression;
    unsigned options;
    const char* selected;
  } const cases[] = {
      // partial compare of strings
      {"NWORD = 'ab'", 0, "ab abc abbc abcd"},
      {"NWORD = 'ab'", exact, "ab"},
      {"NWORD = 'ab*'", exact, ""},
      {"NWORD = 'abc*'", 0, "abc abcd"},
      {"NWORD = ''", 0, "-"},
      {"NWORD <> ''", 0, "ab abc ac abbc abcd it's AB 5 55 true iki \xFDl\xFDk Q a"},
      {"NWORD = ''", exact, ""},
      {"NWORD = 'it''s'", 0, "it's"},
      {"NWORD = \"it's\"", exact, "it's"},
      {"NWORD = 'AB'", ci | exact, "ab AB"},
      // numbers and Booleans against a string field: their text, never partial
      {"NWORD = 5", 0, "5"},
      {"NWORD = TRUE", 0, "true"},
      // precedence and grouping
      {"not (NWORD = 'ab' or NWORD = 'ac') and N > 8", exact, "55 true iki \xFDl\xFDk Q a"},
      {"(NWORD = 'ab' or NWORD = 'ac') and N = 3", exact, "ac"},
      {"NWORD = 'ab' or NWORD = 'ac' and N = 1", exact, "ab"},
      {"not not NWORD = 'a'", exact, "a"},
      // empty values sort first
      {"N < 3", 0, "ab abc it's"},
      {"N <= 1", 0, "ab it's"},
      {"N <> 1", 0, "abc ac abbc abcd - it's AB 5 55 true iki \xFDl\xFDk Q a"},
      {"N = ''", exact, "it's"},
      {"N > ''", exact, "ab abc ac abbc abcd - AB 5 55 true iki \xFDl\xFDk Q a"},
      {"N < ''", exact, ""},
      {"N is null", 0, "it's"},
      {"N IS NOT NULL and N <= 2", 0, "ab abc"},
      {"ID >= 14", 0, "Q a"},
      {"FLAG = true and N < 5", 0, "ab ac"},
      {"AMOUNT >= 6.5", 0, "Q a"},
      // like
      {"[NWORD] like 'a%c'", 0, "abc ac abbc"},
      {"NWORD like '%'", 0, "ab abc ac abbc abcd - it's AB 5 55 true iki \xFDl\xFDk Q a"},
      {"NWORD like 'a%%'", 0, "ab abc ac abbc abcd a"},
      {"NWORD like '%%' and N = 6", 0, "-"},
      {"NWORD like '_b'", 0, "ab"},
      {"NWORD not like 'a%'", 0, "- it's AB 5 55 true iki \xFDl\xFDk Q"},
      {"NWORD like 'AB'", ci, "ab AB"},
      {"NWORD like '1'", ci, ""},
      {"NWORD like '\xDD%'", ci, "it's iki"},
      {"NWORD like 'I%'", ci, "\xFDl\xFDk"},
      {"W like 'a_c%'", 0, "abc abcd"},
      {"W like 'AB'", ci, "ab AB"},
      // whole words
      {"NOTLAR = 'x'", 0, "ac"},
      {"B is null and N = 1", 0, "ab"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Select(c.expression, c.options), c.selected) << c.expression << " options " << c.options;
  }
}

TEST_F(SearchParserTest, Messages) {
  struct Case {
    const char* expression;
    const char* message;
  } const cases[] = {
      {"NWORD = 'ab'  x y", "End of line expected, but \"x y\" found"},
      {"NWORD = 'ab' orx", "End of line expected, but \"orx\" found"},
      {"(NWORD = 'ab'  ", "Closing bracket \")\" expected, but \"\" found"},
      {"(NWORD = 'ab' N", "Closing bracket \")\" expected, but \"N\" found"},
      {"[NWORD = 'ab'", "Closing square bracket \"]\" expected, but not found in \"NWORD = 'ab'\""},
      {"[  ] = 'ab'", "Invalid field name \"\""},
      {"NWORD  ~ 'ab'", "Operator expected, but \"~ 'ab'\"  found"},
      {"NWORD notlike 'ab'", "Operator expected, but \"notlike 'ab'\"  found"},
      {"N =  x1", "Number expected, but \"x1\"  found"},
      {"NWORD = 'it''s", "Unterminated string it's"},
      {"FLAG = fals", "Unexpected meet of \"fals\"  found"},
      {"FLAG = trueish", "Unexpected meet of \"trueish\"  found"},
      {"N like 'a%'", "Error in TCvDataSet.PrepareValueBuffer - 'like / not like' operation call with not string field!"},
      {"B like 'a'", "Error in TCvDataSet.PrepareValueBuffer - 'like / not like' operation call with not string field!"},
      {"B = 'ab'", "Error in TCvDataSet.PrepareValueBuffer - unsupported field type!"},
      {"NAME = 'ab'", "Error in TCvDataManager.InternalGetFieldNo - field \"NAME\" not found!"},
      {"[ NO NAME ] = 'ab'", "Error in TCvDataManager.InternalGetFieldNo - field \"NO NAME\" not found!"},
      {"= 'ab'", "Error in TCvDataManager.InternalGetFieldNo - field \"\" not found!"},
      {"NWORD = 'ab' and", "Error in TCvDataManager.InternalGetFieldNo - field \"\" not found!"},
      {"NAME ~", "Error in TCvDataManager.InternalGetFieldNo - field \"NAME\" not found!"},
      {"N = 1.5", "'1.5' is not a valid integer value"},
      {"N = 'x' and NAME = 1", "'x' is not a valid integer value"},
      {"AMOUNT = 1,5", "End of line expected, but \",5\" found"},
      {"ID = 99999999999", "'99999999999' is not a valid integer value"},
  };
  for (const Case& c : cases) EXPECT_EQ(ErrorOf(c.expression), c.message) << c.expression;

  EXPECT_EQ(ErrorOf(std::string(kMaxNesting, '(') + "N = 1" + std::string(kMaxNesting, ')')),
            "Expression nested too deeply (more than " + std::to_string(kMaxNesting) + " levels)");
  EXPECT_EQ(ErrorOf(std::string(kMaxNesting - 1, '(') + "N = 1" + std::string(kMaxNesting - 1, ')')), "");

  TSearchParser parser = Parser();
  parser.Parse("  \t ", 0);
  EXPECT_TRUE(parser.Empty());
  try {
    parser.EvaluateTable();
    ADD_FAILURE() << "a blank expression evaluated";
  } catch (const Error& e) {
    EXPECT_STREQ(e.what(), "TSearchParser.Parse - Expression is blank.");
  }
}

}  // namespace
}  // namespace corvane::table::testing
