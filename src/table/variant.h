// Variant: a value of one of the kinds a caller may hand to Locate and
// SetRange, with the kind numbers callers know from variant-typed
// interfaces (varSmallint = 2, varString = 256, ...).
//
// The engine turns a value into text and the text into a field-typed search
// value, so every supported kind has a text form: integers in decimal,
// floating values in the shortest form that reads back the same (singles
// to 7 significant digits, doubles to 15), currency with up to four
// decimals, date-times as "yyyy-mm-dd hh:nn:ss" (see field_values.h),
// Booleans as "true" / "false". The decimal separator is always ".".
// Null has no text; the kinds without a conversion (empty, bytes, words,
// arrays, ...) fail with "TCvDataset.PrepareAndLocate - Unsupported variant
// type " + their kind number.
#ifndef CORVANE_TABLE_VARIANT_H_
#define CORVANE_TABLE_VARIANT_H_

#include <cstdint>
#include <string>
#include <vector>

namespace corvane::table {

enum VarType : uint16_t {
  varEmpty = 0,
  varNull = 1,
  varSmallint = 2,
  varInteger = 3,
  varSingle = 4,
  varDouble = 5,
  varCurrency = 6,
  varDate = 7,
  varOleStr = 8,
  varBoolean = 11,
  varVariant = 12,
  varShortInt = 16,
  varByte = 17,
  varWord = 18,
  varLongWord = 19,
  varInt64 = 20,
  varString = 0x100,
  varArray = 0x2000,
};

class Variant {
 public:
  Variant() = default;  // varEmpty (unassigned)
  Variant(short v) : type_(varSmallint), int_(v) {}
  Variant(int v) : type_(varInteger), int_(v) {}
  Variant(long v) : type_(varInt64), int_(v) {}
  Variant(long long v) : type_(varInt64), int_(v) {}
  Variant(float v) : type_(varSingle), float_(v) {}
  Variant(double v) : type_(varDouble), float_(v) {}
  Variant(bool v) : type_(varBoolean), int_(v ? 1 : 0) {}
  Variant(const char* v) : type_(varString), text_(v) {}
  Variant(std::string v) : type_(varString), text_(std::move(v)) {}

  static Variant Null();
  // `value` in currency units; kept to four decimals as currency is.
  static Variant Currency(double value);
  // A date-time in days since 30 December 1899 (field_values.h).
  static Variant DateTime(double value);
  // An unsigned or small integer kind (varByte, varWord, varLongWord,
  // varShortInt): held, but not convertible for a search.
  static Variant OfKind(VarType kind, int64_t value);
  // A variant array (kind varArray | varVariant): one value per field.
  static Variant Array(std::vector<Variant> elements);

  // The kind number.
  int Type() const { return type_; }
  bool IsNull() const { return type_ == varNull; }
  bool IsArray() const { return (type_ & varArray) != 0; }
  const std::vector<Variant>& Elements() const { return elements_; }

  // The value's text, as described above; throws for null and for kinds
  // without a conversion.
  std::string ToText() const;

 private:
  int type_ = varEmpty;
  int64_t int_ = 0;  // integers, Booleans, currency scaled by 10000
  double float_ = 0;
  std::string text_;
  std::vector<Variant> elements_;
};

}  // namespace corvane::table

#endif  // CORVANE_TABLE_VARIANT_H_
