// TSearchParser: the condition expressions of a table (a dataset's Filter,
// the find family and the master/detail link), parsed once and evaluated
// either for the whole table, as a bit per physical record, or for one
// record slot. Both evaluations give the same answer for every record.
//
// Grammar (keywords and word operators match without regard to case, after
// blanks, and only as whole words: followed by a letter, digit or "_" they
// are read as names, so NOTLAR = 'x' names the field NOTLAR):
//   expression := term { "or" term }
//   term       := factor { "and" factor }
//   factor     := "not" factor | "(" expression ")" | condition
//   condition  := field operator [value]
//   field      := "[" name "]" (trimmed, not empty) | run of letters, digits, "_"
//   operator   := "=" | "<>" | "<=" | ">=" | "<" | ">" | "like" | "not like"
//                 | "is null" | "is not null"      (tried in this order)
//   value      := 'text' | "text" (a doubled quote stands for one)
//                 | true | false | number (digits, ".", "+", "-")
// Text after the expression is an error. Brackets nest at most
// kMaxNesting deep. A field is looked up as soon as it is read, a value
// converted to the field's stored encoding as soon as it is read.
//
// Values. Strings convert to the field's type as field text does
// (field_values.h); the decimal separator is always ".". A Boolean or a
// number against a string field is its text ("true", "false", the number as
// written). "like" and "not like" need a string or wide-string field; bytes
// and BLOB fields take no values.
//
// Partial compare (unless kNoPartialCompare): a string literal compares
// over its own length only, after a trailing "*" is dropped from a literal
// that is not empty; an empty literal turns "=" into "is null" and "<>"
// into "is not null". Numbers and Booleans never compare partially.
// kCaseInsensitive compares strings without regard to case, through the
// field's "@@" index, and makes "like" ignore case.
//
// Comparisons follow the key comparison of the indexes: empty values sort
// before all others, so "<", "<=" and "<>" also hold for records whose
// field is empty; "like" reads an empty value as empty text. A value that
// converts to empty (an empty literal for a number field without partial
// compare) compares as empty: "=" holds for empty fields, ">" for the rest.
//
// The whole-table evaluation takes each comparison's records from the
// field's automatic index by one position search, scans the records for
// "like", and combines bit sets on a stack that grows 5 at a time.
//
// Failures raise corvane::Error with the engine's messages; a value that
// does not convert raises ConversionError ("'x' is not a valid integer
// value"). The rest of the expression quoted in a message starts after the
// blanks at the error position.
#ifndef CORVANE_TABLE_SEARCH_PARSER_H_
#define CORVANE_TABLE_SEARCH_PARSER_H_

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "table/like_pattern.h"
#include "table/record_bits.h"
#include "table/record_layout.h"
#include "table/table_indexes.h"

namespace corvane::table {

class Collation;
class TCvDataManager;

// The dataset's FilterOptions.
enum TFilterOption : unsigned { foCaseInsensitive = 1, foNoPartialCompare = 2 };
using TFilterOptions = unsigned;

inline constexpr int kMaxNesting = 200;

// The table an expression is about. Everything must outlive the parser.
struct SearchTable {
  const RecordLayout* layout = nullptr;
  std::string id_field_name;
  RecordSource* records = nullptr;
  TableIndexes* indexes = nullptr;
  const Collation* collation = nullptr;

  static SearchTable Of(TCvDataManager& data, const Collation& collation);
};

class TSearchParser {
 public:
  explicit TSearchParser(SearchTable table);
  ~TSearchParser();
  TSearchParser(const TSearchParser&) = delete;
  TSearchParser& operator=(const TSearchParser&) = delete;

  // Parses `expression`, replacing what was parsed before; on failure the
  // parser holds no items. Text that is empty after trimming gives none.
  void Parse(const std::string& expression, TFilterOptions options);
  const std::string& Expression() const { return expression_; }
  bool Empty() const { return program_.empty(); }

  // The whole table; raises "TSearchParser.Parse - Expression is blank."
  // without items. The result stays valid until the next call.
  const RecordBits& EvaluateTable();
  // One record slot of the table (false without items).
  bool EvaluateRecord(const uint8_t* slot);

 private:
  enum class Kind : uint8_t { kCondition, kNot, kAnd, kOr };
  struct Condition {
    SearchCondition search;  // field, value buffer, operator, flags
    FieldType type = FieldType::ftUnknown;
    std::unique_ptr<LikePattern> like;  // for "like" and "not like"
  };
  struct Step {
    Kind kind;
    int condition;  // for kCondition, into conditions_
  };
  class Reader;

  void Emit(Kind kind) { program_.push_back({kind, -1}); }
  bool Holds(const Condition& c, const uint8_t* slot) const;
  void Select(const Condition& c, RecordBits& bits);
  RecordBits& Push();

  SearchTable table_;
  std::string expression_;
  std::vector<Condition> conditions_;
  std::vector<Step> program_;  // postfix: operands before their operator
  std::vector<RecordBits> stack_;  // of the whole-table evaluation
  std::size_t depth_ = 0;
  std::vector<char> truths_;  // the stack of the one-record evaluation
};

}  // namespace corvane::table

#endif  // CORVANE_TABLE_SEARCH_PARSER_H_
