// SlotField: the typed access to one field of a record slot (field_values.h).
#include <cmath>
#include <cstring>

#include "platform/codepage.h"
#include "platform/coding.h"
#include "platform/error.h"
#include "table/field_values.h"

namespace corvane::table {

namespace {

bool IsIntegerType(FieldType t) {
  return t == FieldType::ftSmallint || t == FieldType::ftWord || t == FieldType::ftInteger ||
         t == FieldType::ftLargeint || t == FieldType::ftAutoInc;
}

bool IsDateType(FieldType t) {
  return t == FieldType::ftDate || t == FieldType::ftTime || t == FieldType::ftDateTime;
}

// UTF-16LE code units of a wide string, up to the zero unit, as code page
// 1254 ("?" for characters the code page lacks).
std::string WideToText(const uint8_t* p, int width) {
  std::u32string chars;
  for (int i = 0; i + 1 < width; i += 2) {
    char32_t unit = static_cast<char32_t>(p[i] | p[i + 1] << 8);
    if (unit == 0) break;
    if (unit >= 0xD800 && unit < 0xDC00 && i + 3 < width) {
      const char32_t low = static_cast<char32_t>(p[i + 2] | p[i + 3] << 8);
      if (low >= 0xDC00 && low < 0xE000) {
        unit = 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00);
        i += 2;
      }
    }
    chars.push_back(unit);
  }
  std::string text;
  for (char32_t c : chars) text.push_back(static_cast<char>(platform::UnicodeToCp1254(c).value_or('?')));
  return text;
}

}  // namespace

SlotField::SlotField(const RecordLayout& layout, int field)
    : layout_(&layout), header_(&layout.fields.at(static_cast<std::size_t>(field))), field_(field) {}

bool SlotField::IsNumeric() const {
  const FieldType t = Type();
  return IsIntegerType(t) || t == FieldType::ftFloat || t == FieldType::ftCurrency || t == FieldType::ftBCD;
}

void SlotField::Clear(uint8_t* slot) const {
  std::memset(Data(slot), 0, static_cast<std::size_t>(header_->width));
  layout_->SetNull(slot, field_, true);
}

std::string SlotField::GetText(const uint8_t* slot) const {
  if (IsNull(slot)) return "";
  const uint8_t* p = Data(slot);
  const int width = header_->width;
  switch (Type()) {
    case FieldType::ftString: {
      const void* zero = std::memchr(p, 0, static_cast<std::size_t>(width));
      const auto length = zero ? static_cast<const uint8_t*>(zero) - p : width;
      return std::string(reinterpret_cast<const char*>(p), static_cast<std::size_t>(length));
    }
    case FieldType::ftWideString: return WideToText(p, width);
    case FieldType::ftBytes: return std::string(reinterpret_cast<const char*>(p), static_cast<std::size_t>(width));
    case FieldType::ftBoolean: return GetBoolean(slot) ? "True" : "False";
    case FieldType::ftFloat: case FieldType::ftCurrency: return FloatToText(GetFloat(slot));
    case FieldType::ftBCD: return CurrencyToText(platform::GetI64(p));
    case FieldType::ftDate: case FieldType::ftTime: case FieldType::ftDateTime:
      return DateTimeToText(GetDateTime(slot), Type());
    default:
      if (IsIntegerType(Type())) return IntegerToText(GetInteger(slot));
      return "";
  }
}

void SlotField::SetText(uint8_t* slot, std::string_view text) const {
  uint8_t* p = Data(slot);
  const auto width = static_cast<std::size_t>(header_->width);
  switch (Type()) {
    case FieldType::ftString: {
      const std::size_t n = std::min(text.size(), width - 1);
      std::memset(p, 0, width);
      std::memcpy(p, text.data(), n);
      MarkSet(slot);
      return;
    }
    case FieldType::ftWideString: {
      std::memset(p, 0, width);
      const std::size_t units = width >= 2 ? (width - 2) / 2 : 0;
      for (std::size_t i = 0; i < text.size() && i < units; ++i) {
        const char32_t c = platform::Cp1254ToUnicode(static_cast<uint8_t>(text[i]));
        platform::PutU16(p + 2 * i, static_cast<uint16_t>(c));  // every code page character lies in the basic plane
      }
      MarkSet(slot);
      return;
    }
    case FieldType::ftBytes:
      std::memset(p, 0, width);
      std::memcpy(p, text.data(), std::min(text.size(), width));
      MarkSet(slot);
      return;
    default:
      break;
  }
  if (text.find_first_not_of(" \t") == std::string_view::npos) {
    Clear(slot);
  } else if (Type() == FieldType::ftBoolean) {
    SetBoolean(slot, TextToBoolean(text));
  } else if (IsIntegerType(Type())) {
    SetInteger(slot, TextToInteger(text));
  } else if (IsDateType(Type())) {
    SetDateTime(slot, TextToDateTime(text, Type()));
  } else if (IsNumeric()) {
    SetFloat(slot, TextToFloat(text));
  }
}

int64_t SlotField::GetInteger(const uint8_t* slot) const {
  if (IsNull(slot)) return 0;
  const uint8_t* p = Data(slot);
  switch (Type()) {
    case FieldType::ftSmallint: return platform::GetI16(p);
    case FieldType::ftWord: return platform::GetU16(p);
    case FieldType::ftInteger: case FieldType::ftAutoInc: return platform::GetI32(p);
    case FieldType::ftLargeint: return platform::GetI64(p);
    case FieldType::ftBoolean: return GetBoolean(slot) ? 1 : 0;
    case FieldType::ftString: case FieldType::ftWideString: return TextToInteger(GetText(slot));
    default: return std::llround(GetFloat(slot));
  }
}

void SlotField::SetInteger(uint8_t* slot, int64_t value) const {
  uint8_t* p = Data(slot);
  const auto check = [&](int64_t low, int64_t high) {
    if (value < low || value > high) {
      throw Error(std::to_string(value) + " is not a valid value for field '" + header_->name +
                  "'. The allowed range is " + std::to_string(low) + " to " + std::to_string(high));
    }
  };
  switch (Type()) {
    case FieldType::ftSmallint: check(INT16_MIN, INT16_MAX); platform::PutU16(p, static_cast<uint16_t>(value)); break;
    case FieldType::ftWord: check(0, UINT16_MAX); platform::PutU16(p, static_cast<uint16_t>(value)); break;
    case FieldType::ftInteger: case FieldType::ftAutoInc:
      check(INT32_MIN, INT32_MAX);
      platform::PutU32(p, static_cast<uint32_t>(value));
      break;
    case FieldType::ftLargeint: platform::PutU64(p, static_cast<uint64_t>(value)); break;
    case FieldType::ftBoolean: SetBoolean(slot, value != 0); return;
    case FieldType::ftString: case FieldType::ftWideString: case FieldType::ftBytes:
      SetText(slot, IntegerToText(value));
      return;
    case FieldType::ftBCD: platform::PutU64(p, static_cast<uint64_t>(value * 10000)); break;
    default: SetFloat(slot, static_cast<double>(value)); return;
  }
  MarkSet(slot);
}

double SlotField::GetFloat(const uint8_t* slot) const {
  if (IsNull(slot)) return 0;
  switch (Type()) {
    case FieldType::ftFloat: case FieldType::ftCurrency: return platform::GetDouble(Data(slot));
    case FieldType::ftBCD: return static_cast<double>(platform::GetI64(Data(slot))) / 10000.0;
    case FieldType::ftDate: case FieldType::ftTime: case FieldType::ftDateTime: return GetDateTime(slot);
    case FieldType::ftString: case FieldType::ftWideString: return TextToFloat(GetText(slot));
    default: return static_cast<double>(GetInteger(slot));
  }
}

void SlotField::SetFloat(uint8_t* slot, double value) const {
  switch (Type()) {
    case FieldType::ftFloat: case FieldType::ftCurrency: platform::PutDouble(Data(slot), value); break;
    case FieldType::ftBCD: platform::PutU64(Data(slot), static_cast<uint64_t>(std::llround(value * 10000))); break;
    case FieldType::ftDate: case FieldType::ftTime: case FieldType::ftDateTime: SetDateTime(slot, value); return;
    case FieldType::ftString: case FieldType::ftWideString: case FieldType::ftBytes:
      SetText(slot, FloatToText(value));
      return;
    default: SetInteger(slot, std::llround(value)); return;
  }
  MarkSet(slot);
}

TDateTime SlotField::GetDateTime(const uint8_t* slot) const {
  if (IsNull(slot)) return 0;
  const uint8_t* p = Data(slot);
  switch (Type()) {
    case FieldType::ftDate: {
      const auto date = platform::GetI32(p);
      return date == 0 ? 0 : TimeStampToDateTime({date, 0});
    }
    case FieldType::ftTime: return TimeStampToDateTime({kDateDelta, platform::GetI32(p)});
    case FieldType::ftDateTime: {
      const auto msecs = static_cast<int64_t>(platform::GetDouble(p));
      return TimeStampToDateTime({static_cast<int32_t>(msecs / kMSecsPerDay),
                                  static_cast<int32_t>(msecs % kMSecsPerDay)});
    }
    case FieldType::ftString: case FieldType::ftWideString: return TextToDateTime(GetText(slot));
    default: return GetFloat(slot);
  }
}

void SlotField::SetDateTime(uint8_t* slot, TDateTime value) const {
  const TimeStamp stamp = DateTimeToTimeStamp(value);
  uint8_t* p = Data(slot);
  switch (Type()) {
    case FieldType::ftDate: platform::PutU32(p, static_cast<uint32_t>(stamp.date)); break;
    case FieldType::ftTime: platform::PutU32(p, static_cast<uint32_t>(stamp.time)); break;
    case FieldType::ftDateTime:
      platform::PutDouble(p, static_cast<double>(int64_t{stamp.date} * kMSecsPerDay + stamp.time));
      break;
    case FieldType::ftString: case FieldType::ftWideString: SetText(slot, DateTimeToText(value)); return;
    default: SetFloat(slot, value); return;
  }
  MarkSet(slot);
}

bool SlotField::GetBoolean(const uint8_t* slot) const {
  if (IsNull(slot)) return false;
  switch (Type()) {
    case FieldType::ftBoolean: return platform::GetU16(Data(slot)) != 0;
    case FieldType::ftString: case FieldType::ftWideString: return TextToBoolean(GetText(slot));
    default: return GetFloat(slot) != 0;
  }
}

void SlotField::SetBoolean(uint8_t* slot, bool value) const {
  switch (Type()) {
    case FieldType::ftBoolean: platform::PutU16(Data(slot), value ? 1 : 0); MarkSet(slot); return;
    case FieldType::ftString: case FieldType::ftWideString: SetText(slot, value ? "True" : "False"); return;
    default: SetInteger(slot, value ? 1 : 0); return;
  }
}

}  // namespace corvane::table
