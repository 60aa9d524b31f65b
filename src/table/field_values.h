// Field values: between the stored bytes of a record slot, numbers and
// text.
//
// Dates and times. A TDateTime counts days since 30 December 1899 with the
// time of day as the fraction, as date-time values do in variant-typed
// interfaces. Slots hold the time-stamp form instead: a day number (1
// January of year 1 is day 1) and milliseconds since midnight; a date field
// keeps the day number (0 = no value) in its first 4 bytes, a time field the
// milliseconds, a date-time field the double day * 86400000 + milliseconds.
//
// Text forms (there are no regional settings, so one fixed form is used
// both ways): dates "yyyy-mm-dd", times "hh:nn:ss" with ".zzz" when the
// milliseconds are not zero, date-times "yyyy-mm-dd hh:nn:ss[.zzz]", the
// time left out at midnight. Reading also takes "hh:nn" and a date-time
// without its time. Floating values use "." and 15 significant digits;
// Booleans read "True" / "False" and accept true/false in any case, 1, 0
// and -1; BCD values are kept as currency, scaled integers of four
// decimals.
//
// Text that does not convert raises ConversionError with the messages
// "'x' is not a valid integer value", "... floating point value", "...
// boolean value", "... date", "... time", "... date and time". Setting a
// non-string field to empty text makes it null.
#ifndef CORVANE_TABLE_FIELD_VALUES_H_
#define CORVANE_TABLE_FIELD_VALUES_H_

#include <cstdint>
#include <string>
#include <string_view>

#include "table/record_layout.h"

namespace corvane::table {

using TDateTime = double;

struct TimeStamp {
  int32_t date = 0;  // day number, 1 January of year 1 = 1
  int32_t time = 0;  // milliseconds since midnight
};

inline constexpr int32_t kDateDelta = 693594;  // day number of 30 December 1899
inline constexpr int64_t kMSecsPerDay = 86400000;

TimeStamp DateTimeToTimeStamp(TDateTime value);
TDateTime TimeStampToDateTime(TimeStamp stamp);
// Raises "'y-m-d' is not a valid date" for days outside the calendar.
TDateTime EncodeDateTime(int year, int month, int day, int hour = 0, int minute = 0, int second = 0,
                         int millisecond = 0);

// `kind` is ftDate, ftTime or ftDateTime; anything else counts as ftDateTime.
std::string DateTimeToText(TDateTime value, FieldType kind = FieldType::ftDateTime);
TDateTime TextToDateTime(std::string_view text, FieldType kind = FieldType::ftDateTime);

std::string IntegerToText(int64_t value);
std::string FloatToText(double value);
// Currency as a count of ten-thousandths: "12.5", "-0.0001", "3".
std::string CurrencyToText(int64_t scaled);
int64_t TextToInteger(std::string_view text);
double TextToFloat(std::string_view text);
bool TextToBoolean(std::string_view text);

// One field of a record slot, addressed through the table's layout.
// `field` is a stored field position; BLOB types hold nothing in the slot
// and are read and written through the data manager instead.
class SlotField {
 public:
  SlotField(const RecordLayout& layout, int field);

  FieldType Type() const { return header_->type; }
  bool IsNull(const uint8_t* slot) const { return layout_->IsNull(slot, field_); }
  void Clear(uint8_t* slot) const;

  // Text: strings as stored (up to the zero byte), wide strings converted
  // to code page 1254, bytes raw, the others in the forms above; null reads
  // as empty text.
  std::string GetText(const uint8_t* slot) const;
  // Strings longer than the field are cut to it.
  void SetText(uint8_t* slot, std::string_view text) const;

  int64_t GetInteger(const uint8_t* slot) const;
  void SetInteger(uint8_t* slot, int64_t value) const;
  double GetFloat(const uint8_t* slot) const;
  void SetFloat(uint8_t* slot, double value) const;
  TDateTime GetDateTime(const uint8_t* slot) const;
  void SetDateTime(uint8_t* slot, TDateTime value) const;
  bool GetBoolean(const uint8_t* slot) const;
  void SetBoolean(uint8_t* slot, bool value) const;

 private:
  bool IsNumeric() const;
  uint8_t* Data(uint8_t* slot) const { return slot + header_->offset; }
  const uint8_t* Data(const uint8_t* slot) const { return slot + header_->offset; }
  void MarkSet(uint8_t* slot) const { layout_->SetNull(slot, field_, false); }

  const RecordLayout* layout_;
  const FieldHeader* header_;
  int field_;
};

}  // namespace corvane::table

#endif  // CORVANE_TABLE_FIELD_VALUES_H_
