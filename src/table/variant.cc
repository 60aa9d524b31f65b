#include "table/variant.h"

#include <cmath>
#include <cstdio>

#include "platform/error.h"
#include "table/field_values.h"

namespace corvane::table {

Variant Variant::Null() {
  Variant v;
  v.type_ = varNull;
  return v;
}

Variant Variant::Currency(double value) {
  Variant v;
  v.type_ = varCurrency;
  v.int_ = std::llround(value * 10000);
  return v;
}

Variant Variant::DateTime(double value) {
  Variant v;
  v.type_ = varDate;
  v.float_ = value;
  return v;
}

Variant Variant::OfKind(VarType kind, int64_t value) {
  Variant v;
  v.type_ = kind;
  v.int_ = value;
  return v;
}

Variant Variant::Array(std::vector<Variant> elements) {
  Variant v;
  v.type_ = varArray | varVariant;
  v.elements_ = std::move(elements);
  return v;
}

std::string Variant::ToText() const {
  switch (type_) {
    case varSmallint: case varInteger: case varInt64: return IntegerToText(int_);
    case varSingle: {
      if (float_ == 0) return "0";
      char text[32];
      std::snprintf(text, sizeof text, "%.7g", float_);
      // Same exponent style as doubles.
      const std::string s = text;
      return s.find('e') == std::string::npos ? s : FloatToText(std::stod(s));
    }
    case varDouble: return FloatToText(float_);
    case varCurrency: return CurrencyToText(int_);
    case varDate: return DateTimeToText(float_);
    case varOleStr: case varString: return text_;
    case varBoolean: return int_ != 0 ? "true" : "false";
    default:
      throw Error("TCvDataset.PrepareAndLocate - Unsupported variant type " + std::to_string(type_));
  }
}

}  // namespace corvane::table
