// TSearchParser: reading an expression into conditions and a postfix
// program. Evaluation is in filter_evaluation.cc.
#include "table/search_parser.h"

#include <utility>

#include "container/abstract_file.h"
#include "platform/codepage.h"
#include "platform/error.h"
#include "table/data_manager.h"
#include "table/field_defs.h"
#include "table/field_values.h"

namespace corvane::table {
namespace {

using Op = SearchCondition::Operator;

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

// Letters of code page 1254 (ASCII letters, Š Œ š œ Ÿ and the accented
// letters from À on, without × and ÷), digits and "_".
bool IsNameChar(char ch) {
  const auto c = static_cast<uint8_t>(ch);
  if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_') return true;
  if (c == 0x8A || c == 0x8C || c == 0x9A || c == 0x9C || c == 0x9F) return true;
  return c >= 0xC0 && c != 0xD7 && c != 0xF7;
}

char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; }

std::string InQuotes(const std::string& text) { return "\"" + text + "\""; }

std::string Trimmed(const std::string& text) {
  std::size_t begin = 0;
  std::size_t end = text.size();
  while (begin < end && IsBlank(text[begin])) ++begin;
  while (end > begin && IsBlank(text[end - 1])) --end;
  return text.substr(begin, end - begin);
}

bool NeedsValue(Op op) { return op != SearchCondition::kIsNull && op != SearchCondition::kIsNotNull; }

// A comparison with a value that converted to empty compares as the key
// comparison does, empty values first: it becomes a test of the null flag,
// or a test that always or never holds (the identifier is never empty).
void CompareWithEmpty(SearchCondition& c) {
  switch (c.op) {
    case SearchCondition::kEqual:
    case SearchCondition::kLessOrEqual: c.op = SearchCondition::kIsNull; return;
    case SearchCondition::kNotEqual:
    case SearchCondition::kGreater: c.op = SearchCondition::kIsNotNull; return;
    case SearchCondition::kLess: c.field = -1; c.op = SearchCondition::kIsNull; return;
    case SearchCondition::kGreaterOrEqual: c.field = -1; c.op = SearchCondition::kIsNotNull; return;
    default: return;
  }
}

int32_t IdentifierFromText(const std::string& text) {
  const int64_t value = TextToInteger(text);
  if (value < INT32_MIN || value > INT32_MAX) throw ConversionError("'" + text + "' is not a valid integer value");
  return static_cast<int32_t>(value);
}

}  // namespace

SearchTable SearchTable::Of(TCvDataManager& data, const Collation& collation) {
  return SearchTable{&data.Layout(), data.IdFieldName(), &data, &data.Indexes(), &collation};
}

// One pass over the text: a recursive descent that appends conditions and
// postfix steps to the parser.
class TSearchParser::Reader {
 public:
  Reader(TSearchParser& parser, const std::string& text, TFilterOptions options)
      : parser_(parser), text_(text), options_(options) {}

  void ReadAll() {
    ReadExpression(0);
    SkipBlanks();
    if (pos_ < text_.size()) throw Error("End of line expected, but " + InQuotes(Rest()) + " found");
  }

 private:
  struct Field {
    int32_t number;  // -1 = identifier
    FieldType type;
  };

  void ReadExpression(int depth) {
    ReadTerm(depth);
    while (Keyword("or")) {
      ReadTerm(depth);
      parser_.Emit(Kind::kOr);
    }
  }

  void ReadTerm(int depth) {
    ReadFactor(depth);
    while (Keyword("and")) {
      ReadFactor(depth);
      parser_.Emit(Kind::kAnd);
    }
  }

  void ReadFactor(int depth) {
    // "not not ..." recurses as brackets do, so both count.
    if (depth >= kMaxNesting) {
      throw Error("Expression nested too deeply (more than " + std::to_string(kMaxNesting) + " levels)");
    }
    if (Keyword("not")) {
      ReadFactor(depth + 1);
      parser_.Emit(Kind::kNot);
      return;
    }
    SkipBlanks();
    if (pos_ < text_.size() && text_[pos_] == '(') {
      ++pos_;
      ReadExpression(depth + 1);
      SkipBlanks();
      if (pos_ >= text_.size() || text_[pos_] != ')') {
        throw Error("Closing bracket " + InQuotes(")") + " expected, but " + InQuotes(Rest()) + " found");
      }
      ++pos_;
      return;
    }
    ReadCondition();
  }

  void ReadCondition() {
    const Field field = ReadField();
    Condition c;
    c.type = field.type;
    c.search.field = field.number;
    c.search.op = ReadOperator();
    c.search.case_insensitive = (options_ & foCaseInsensitive) != 0;
    if (NeedsValue(c.search.op)) ReadValue(field, c);
    parser_.conditions_.push_back(std::move(c));
    parser_.program_.push_back({Kind::kCondition, static_cast<int>(parser_.conditions_.size() - 1)});
  }

  Field ReadField() {
    SkipBlanks();
    std::string name;
    if (pos_ < text_.size() && text_[pos_] == '[') {
      ++pos_;
      const std::size_t close = text_.find(']', pos_);
      if (close == std::string::npos) {
        throw Error("Closing square bracket " + InQuotes("]") + " expected, but not found in " + InQuotes(Rest()));
      }
      name = Trimmed(text_.substr(pos_, close - pos_));
      pos_ = close + 1;
      if (name.empty()) throw Error("Invalid field name " + InQuotes(name));
    } else {
      const std::size_t begin = pos_;
      while (pos_ < text_.size() && IsNameChar(text_[pos_])) ++pos_;
      name = text_.substr(begin, pos_ - begin);
    }
    return Lookup(name);
  }

  // As the data manager's InternalGetFieldNo: stored fields first, then the
  // identifier.
  Field Lookup(const std::string& name) const {
    const RecordLayout& layout = *parser_.table_.layout;
    for (std::size_t i = 0; i < layout.fields.size(); ++i) {
      if (SameName(layout.fields[i].name, name)) return {static_cast<int32_t>(i), layout.fields[i].type};
    }
    if (SameName(parser_.table_.id_field_name, name)) return {-1, FieldType::ftAutoInc};
    throw Error("Error in TCvDataManager.InternalGetFieldNo - field " + InQuotes(name) + " not found!");
  }

  Op ReadOperator() {
    SkipBlanks();
    static const std::pair<const char*, Op> kSymbols[] = {
        {"=", SearchCondition::kEqual},        {"<>", SearchCondition::kNotEqual},
        {"<=", SearchCondition::kLessOrEqual}, {">=", SearchCondition::kGreaterOrEqual},
        {"<", SearchCondition::kLess},         {">", SearchCondition::kGreater}};
    for (const auto& [symbol, op] : kSymbols) {
      const std::string_view s(symbol);
      if (text_.compare(pos_, s.size(), s) == 0) {
        pos_ += s.size();
        return op;
      }
    }
    if (Words({"like"})) return SearchCondition::kLike;
    if (Words({"not", "like"})) return SearchCondition::kNotLike;
    if (Words({"is", "null"})) return SearchCondition::kIsNull;
    if (Words({"is", "not", "null"})) return SearchCondition::kIsNotNull;
    throw Error("Operator expected, but " + InQuotes(Rest()) + "  found");
  }

  void ReadValue(const Field& field, Condition& c) {
    SkipBlanks();
    const char first = pos_ < text_.size() ? text_[pos_] : '\0';
    if (first == '\'' || first == '"') {
      ReadString(field, c, ReadLiteral(first));
    } else if (first == 't' || first == 'T' || first == 'f' || first == 'F') {
      if (Keyword("true")) {
        PrepareValueBuffer(field, c, "true");
      } else if (Keyword("false")) {
        PrepareValueBuffer(field, c, "false");
      } else {
        throw Error("Unexpected meet of " + InQuotes(Rest()) + "  found");
      }
    } else {
      const std::size_t begin = pos_;
      while (pos_ < text_.size() && ((text_[pos_] >= '0' && text_[pos_] <= '9') || text_[pos_] == '.' ||
                                     text_[pos_] == '+' || text_[pos_] == '-')) {
        ++pos_;
      }
      if (pos_ == begin) throw Error("Number expected, but " + InQuotes(Rest()) + "  found");
      PrepareValueBuffer(field, c, text_.substr(begin, pos_ - begin));
    }
  }

  // The literal's text after the opening quote at pos_, doubled quotes as one.
  std::string ReadLiteral(char quote) {
    std::string literal;
    ++pos_;
    for (;;) {
      if (pos_ >= text_.size()) throw Error("Unterminated string " + literal);
      const char ch = text_[pos_++];
      if (ch != quote) {
        literal += ch;
      } else if (pos_ < text_.size() && text_[pos_] == quote) {
        literal += quote;
        ++pos_;
      } else {
        return literal;
      }
    }
  }

  void ReadString(const Field& field, Condition& c, std::string literal) {
    const bool partial = (options_ & foNoPartialCompare) == 0;
    if (partial) {
      if (literal.empty() && c.search.op == SearchCondition::kEqual) {
        c.search.op = SearchCondition::kIsNull;
        return;
      }
      if (literal.empty() && c.search.op == SearchCondition::kNotEqual) {
        c.search.op = SearchCondition::kIsNotNull;
        return;
      }
      if (!literal.empty() && literal.back() == '*') literal.pop_back();
    }
    PrepareValueBuffer(field, c, literal);
    c.search.partial = partial && IsStringType(field.type);
  }

  // The text in the field's stored encoding, in a
  // record-shaped buffer at the field's place.
  void PrepareValueBuffer(const Field& field, Condition& c, const std::string& text) {
    const bool like = c.search.op == SearchCondition::kLike || c.search.op == SearchCondition::kNotLike;
    if (like && !IsStringType(field.type)) {
      throw Error(
          "Error in TCvDataSet.PrepareValueBuffer - 'like / not like' operation call with not string field!");
    }
    if (field.type == FieldType::ftBytes || IsBlobType(field.type) || field.type == FieldType::ftUnknown) {
      throw Error("Error in TCvDataSet.PrepareValueBuffer - unsupported field type!");
    }
    const RecordLayout& layout = *parser_.table_.layout;
    c.search.value = layout.NewRecord(0);
    if (field.number < 0 && Trimmed(text).empty()) {
      CompareWithEmpty(c.search);  // as for any other number field
    } else if (field.number < 0) {
      layout.SetId(c.search.value.data(), IdentifierFromText(text));
    } else {
      SlotField(layout, field.number).SetText(c.search.value.data(), text);
    }
    if (like) {
      const Collation& collation = *parser_.table_.collation;
      if (field.type == FieldType::ftString) {
        c.like = std::make_unique<LikePattern>(text, c.search.case_insensitive, collation);
      } else {
        std::u16string units;
        for (char ch : text) units.push_back(static_cast<char16_t>(platform::Cp1254ToUnicode(static_cast<uint8_t>(ch))));
        c.like = std::make_unique<LikePattern>(units, c.search.case_insensitive, collation);
      }
    } else if (field.number >= 0 && layout.IsNull(c.search.value.data(), field.number)) {
      CompareWithEmpty(c.search);
    }
  }

  void SkipBlanks() {
    while (pos_ < text_.size() && IsBlank(text_[pos_])) ++pos_;
  }
  std::string Rest() const { return text_.substr(pos_); }

  // Whether `word` (lower case) stands at pos_ after blanks as a whole word;
  // if so it is consumed.
  bool Keyword(std::string_view word) {
    SkipBlanks();
    if (!WordAt(pos_, word)) return false;
    pos_ += word.size();
    return true;
  }
  bool WordAt(std::size_t at, std::string_view word) const {
    if (text_.size() - at < word.size()) return false;
    for (std::size_t i = 0; i < word.size(); ++i) {
      if (Lower(text_[at + i]) != word[i]) return false;
    }
    return at + word.size() == text_.size() || !IsNameChar(text_[at + word.size()]);
  }
  // A word operator: its words in order with blanks between them.
  bool Words(std::initializer_list<std::string_view> words) {
    std::size_t at = pos_;
    bool first = true;
    for (std::string_view word : words) {
      if (!first) {
        const std::size_t before = at;
        while (at < text_.size() && IsBlank(text_[at])) ++at;
        if (at == before) return false;
      }
      first = false;
      if (!WordAt(at, word)) return false;
      at += word.size();
    }
    pos_ = at;
    return true;
  }

  TSearchParser& parser_;
  const std::string& text_;
  TFilterOptions options_;
  std::size_t pos_ = 0;
};

TSearchParser::TSearchParser(SearchTable table) : table_(std::move(table)) {}

TSearchParser::~TSearchParser() = default;

void TSearchParser::Parse(const std::string& expression, TFilterOptions options) {
  expression_ = expression;
  conditions_.clear();
  program_.clear();
  if (Trimmed(expression).empty()) return;
  program_.reserve(expression.size() / 2);
  try {
    Reader(*this, expression_, options).ReadAll();
  } catch (...) {
    conditions_.clear();
    program_.clear();
    throw;
  }
}

}  // namespace corvane::table
