#include "table/field_values.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>

#include "container/pattern_match.h"
#include "platform/error.h"

namespace corvane::table {

namespace {

std::string_view Trim(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
  return s;
}

[[noreturn]] void NotValid(std::string_view text, const char* what) {
  throw ConversionError("'" + std::string(text) + "' is not a valid " + what);
}

// Days since 1970-01-01 of a proleptic Gregorian date, and back.
int64_t DaysFromCivil(int64_t y, int m, int d) {
  y -= m <= 2;
  const int64_t era = (y >= 0 ? y : y - 399) / 400;
  const int64_t yoe = y - era * 400;
  const int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe - 719468;
}

void CivilFromDays(int64_t z, int64_t& y, int& m, int& d) {
  z += 719468;
  const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const int64_t doe = z - era * 146097;
  const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const int64_t mp = (5 * doy + 2) / 153;
  d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  y = yoe + era * 400 + (m <= 2);
}

// Day number 1 is 0001-01-01; the Unix epoch is day 719163.
constexpr int64_t kUnixEpochDay = 719163;

int DaysInMonth(int64_t y, int m) {
  static const int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  const bool leap = (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
  return m == 2 && leap ? 29 : kDays[m - 1];
}

// Reads up to `max_digits` digits (at least one) from `s` at `pos`.
bool ReadNumber(std::string_view s, std::size_t& pos, int max_digits, int& value) {
  int digits = 0;
  value = 0;
  while (pos < s.size() && digits < max_digits && s[pos] >= '0' && s[pos] <= '9') {
    value = value * 10 + (s[pos++] - '0');
    ++digits;
  }
  return digits > 0;
}

bool ParseDate(std::string_view s, std::size_t& pos, int& y, int& m, int& d) {
  // Only a whole date changes the caller's values: a time read as a failed
  // date must leave the default date alone.
  std::size_t at = pos;
  int year, month, day;
  if (!ReadNumber(s, at, 4, year) || at >= s.size() || s[at++] != '-' || !ReadNumber(s, at, 2, month) ||
      at >= s.size() || s[at++] != '-' || !ReadNumber(s, at, 2, day)) {
    return false;
  }
  if (year < 1 || month < 1 || month > 12 || day < 1 || day > DaysInMonth(year, month)) return false;
  pos = at;
  y = year;
  m = month;
  d = day;
  return true;
}

bool ParseTime(std::string_view s, std::size_t& pos, int& h, int& n, int& sec, int& ms) {
  sec = ms = 0;
  if (!ReadNumber(s, pos, 2, h) || pos >= s.size() || s[pos++] != ':' || !ReadNumber(s, pos, 2, n)) return false;
  if (pos < s.size() && s[pos] == ':') {
    ++pos;
    if (!ReadNumber(s, pos, 2, sec)) return false;
    if (pos < s.size() && s[pos] == '.') {
      ++pos;
      const std::size_t start = pos;
      if (!ReadNumber(s, pos, 3, ms)) return false;
      for (std::size_t i = pos - start; i < 3; ++i) ms *= 10;
    }
  }
  return h < 24 && n < 60 && sec < 60;
}

std::string TrimExponent(std::string text) {
  // "1.5e+20" -> "1.5E20", "1e-07" -> "1E-7": the usual general format.
  const std::size_t e = text.find('e');
  if (e == std::string::npos) return text;
  std::string mantissa = text.substr(0, e);
  std::string exponent = text.substr(e + 1);
  std::string sign;
  if (!exponent.empty() && (exponent[0] == '+' || exponent[0] == '-')) {
    if (exponent[0] == '-') sign = "-";
    exponent.erase(0, 1);
  }
  while (exponent.size() > 1 && exponent[0] == '0') exponent.erase(0, 1);
  return mantissa + "E" + sign + exponent;
}

}  // namespace

TimeStamp DateTimeToTimeStamp(TDateTime value) {
  const auto msecs = static_cast<int64_t>(std::llround(value * static_cast<double>(kMSecsPerDay)));
  TimeStamp stamp;
  stamp.date = static_cast<int32_t>(kDateDelta + msecs / kMSecsPerDay);
  stamp.time = static_cast<int32_t>(std::llabs(msecs) % kMSecsPerDay);
  return stamp;
}

TDateTime TimeStampToDateTime(TimeStamp stamp) {
  const double days = static_cast<double>(stamp.date - kDateDelta);
  const double fraction = static_cast<double>(stamp.time) / static_cast<double>(kMSecsPerDay);
  return days < 0 ? days - fraction : days + fraction;
}

TDateTime EncodeDateTime(int year, int month, int day, int hour, int minute, int second, int millisecond) {
  if (year < 1 || year > 9999 || month < 1 || month > 12 || day < 1 || day > DaysInMonth(year, month)) {
    NotValid(std::to_string(year) + "-" + std::to_string(month) + "-" + std::to_string(day), "date");
  }
  TimeStamp stamp;
  stamp.date = static_cast<int32_t>(DaysFromCivil(year, month, day) + kUnixEpochDay);
  stamp.time = ((hour * 60 + minute) * 60 + second) * 1000 + millisecond;
  return TimeStampToDateTime(stamp);
}

std::string DateTimeToText(TDateTime value, FieldType kind) {
  const TimeStamp stamp = DateTimeToTimeStamp(value);
  char date[32] = "";
  char time[32] = "";
  if (kind != FieldType::ftTime) {
    int64_t y;
    int m, d;
    CivilFromDays(stamp.date - kUnixEpochDay, y, m, d);
    std::snprintf(date, sizeof date, "%04lld-%02d-%02d", static_cast<long long>(y), m, d);
  }
  if (kind == FieldType::ftTime || (kind != FieldType::ftDate && stamp.time != 0)) {
    const int ms = stamp.time % 1000, s = stamp.time / 1000 % 60, n = stamp.time / 60000 % 60,
              h = stamp.time / 3600000;
    if (ms != 0) {
      std::snprintf(time, sizeof time, "%02d:%02d:%02d.%03d", h, n, s, ms);
    } else {
      std::snprintf(time, sizeof time, "%02d:%02d:%02d", h, n, s);
    }
  }
  if (*date && *time) return std::string(date) + " " + time;
  return *date ? date : time;
}

TDateTime TextToDateTime(std::string_view text, FieldType kind) {
  const char* what = kind == FieldType::ftDate ? "date" : kind == FieldType::ftTime ? "time" : "date and time";
  const std::string_view s = Trim(text);
  std::size_t pos = 0;
  int y = 1899, m = 12, d = 30, h = 0, n = 0, sec = 0, ms = 0;
  const bool has_date = ParseDate(s, pos, y, m, d);
  if (has_date) {
    if (pos < s.size()) {
      if (s[pos] != ' ' && s[pos] != 'T') NotValid(text, what);
      ++pos;
      if (!ParseTime(s, pos, h, n, sec, ms)) NotValid(text, what);
    }
  } else if (kind == FieldType::ftDate || !ParseTime(s, pos, h, n, sec, ms)) {
    NotValid(text, what);
  }
  if (pos != s.size()) NotValid(text, what);
  return EncodeDateTime(y, m, d, h, n, sec, ms);
}

std::string IntegerToText(int64_t value) { return std::to_string(value); }

std::string FloatToText(double value) {
  if (value == 0) return "0";
  char text[40];
  std::snprintf(text, sizeof text, "%.15g", value);
  return TrimExponent(text);
}

std::string CurrencyToText(int64_t scaled) {
  const bool negative = scaled < 0;
  const uint64_t magnitude = negative ? 0 - static_cast<uint64_t>(scaled) : static_cast<uint64_t>(scaled);
  std::string text = (negative ? "-" : "") + std::to_string(magnitude / 10000);
  std::string decimals = std::to_string(magnitude % 10000 + 10000).substr(1);
  while (!decimals.empty() && decimals.back() == '0') decimals.pop_back();
  if (!decimals.empty()) text += "." + decimals;
  return text;
}

int64_t TextToInteger(std::string_view text) {
  std::string_view s = Trim(text);
  bool negative = false;
  if (!s.empty() && (s[0] == '-' || s[0] == '+')) {
    negative = s[0] == '-';
    s.remove_prefix(1);
  }
  int base = 10;
  if (!s.empty() && s[0] == '$') {
    base = 16;
    s.remove_prefix(1);
  } else if (s.size() > 1 && s[0] == '0' && (s[1] == 'x' || s[1] == 'X')) {
    base = 16;
    s.remove_prefix(2);
  }
  uint64_t magnitude = 0;
  const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), magnitude, base);
  if (s.empty() || ec != std::errc() || end != s.data() + s.size()) NotValid(text, "integer value");
  if (negative) {
    if (magnitude > uint64_t(std::numeric_limits<int64_t>::max()) + 1) NotValid(text, "integer value");
    return static_cast<int64_t>(0 - magnitude);
  }
  if (magnitude > uint64_t(std::numeric_limits<int64_t>::max())) NotValid(text, "integer value");
  return static_cast<int64_t>(magnitude);
}

double TextToFloat(std::string_view text) {
  std::string_view s = Trim(text);
  if (!s.empty() && s[0] == '+') s.remove_prefix(1);
  double value = 0;
  const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), value);
  if (s.empty() || ec != std::errc() || end != s.data() + s.size() || !std::isfinite(value)) {
    NotValid(text, "floating point value");
  }
  return value;
}

bool TextToBoolean(std::string_view text) {
  const std::string_view s = Trim(text);
  if (container::SameName(s, "true") || s == "1" || s == "-1") return true;
  if (container::SameName(s, "false") || s == "0") return false;
  NotValid(text, "boolean value");
}

}  // namespace corvane::table
