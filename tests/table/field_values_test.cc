// Conversions between field values, text and variants: the date
// arithmetic and the number forms that Locate's search values go through.
#include <gtest/gtest.h>

#include "platform/error.h"
#include "table/field_defs.h"
#include "table/field_values.h"
#include "table/variant.h"

namespace corvane::table {
namespace {

TEST(FieldValuesTest, DatesAndTimesRoundTripThroughTextAndTimeStamps) {
  struct Case {
    int y, m, d, h, n, s, ms;
    std::string text;
    int32_t day;  // the time stamp's day number
  };
  const Case cases[] = {
      {1899, 12, 30, 0, 0, 0, 0, "1899-12-30", 693594},
      {1, 1, 1, 0, 0, 0, 0, "0001-01-01", 1},
      {2024, 2, 29, 13, 45, 10, 0, "2024-02-29 13:45:10", 738945},
      {1850, 6, 1, 6, 0, 0, 250, "1850-06-01 06:00:00.250", 675485},  // before day 0: time still counts forward
      {9999, 12, 31, 23, 59, 59, 999, "9999-12-31 23:59:59.999", 3652059},
  };
  for (const Case& c : cases) {
    const TDateTime value = EncodeDateTime(c.y, c.m, c.d, c.h, c.n, c.s, c.ms);
    EXPECT_EQ(DateTimeToText(value), c.text);
    EXPECT_EQ(TextToDateTime(c.text), value) << c.text;
    const TimeStamp stamp = DateTimeToTimeStamp(value);
    EXPECT_EQ(stamp.date, c.day) << c.text;
    EXPECT_EQ(stamp.time, ((c.h * 60 + c.n) * 60 + c.s) * 1000 + c.ms) << c.text;
    EXPECT_EQ(TimeStampToDateTime(stamp), value) << c.text;
  }
  EXPECT_EQ(DateTimeToText(EncodeDateTime(2024, 1, 2, 3, 4, 5), FieldType::ftDate), "2024-01-02");
  EXPECT_EQ(DateTimeToText(EncodeDateTime(2024, 1, 2, 3, 4, 5), FieldType::ftTime), "03:04:05");
  EXPECT_EQ(TextToDateTime("12:30", FieldType::ftTime), 0.5 + 30.0 / 1440);
  EXPECT_EQ(TextToDateTime(" 2024-01-02 ", FieldType::ftDate), EncodeDateTime(2024, 1, 2));
}

TEST(FieldValuesTest, TextThatDoesNotConvertNamesItself) {
  const std::pair<std::function<void()>, std::string> cases[] = {
      {[] { TextToDateTime("2023-02-29", FieldType::ftDate); }, "'2023-02-29' is not a valid date"},
      {[] { TextToDateTime("12:30", FieldType::ftDate); }, "'12:30' is not a valid date"},
      {[] { TextToDateTime("24:00", FieldType::ftTime); }, "'24:00' is not a valid time"},
      {[] { TextToDateTime("2024-01-02 x"); }, "'2024-01-02 x' is not a valid date and time"},
      {[] { TextToInteger("12x"); }, "'12x' is not a valid integer value"},
      {[] { TextToInteger(""); }, "'' is not a valid integer value"},
      {[] { TextToInteger("9223372036854775808"); }, "'9223372036854775808' is not a valid integer value"},
      {[] { TextToFloat("1,5"); }, "'1,5' is not a valid floating point value"},
      {[] { TextToFloat("inf"); }, "'inf' is not a valid floating point value"},
      {[] { TextToBoolean("yes"); }, "'yes' is not a valid boolean value"},
  };
  for (const auto& [action, message] : cases) {
    try {
      action();
      ADD_FAILURE() << "no error for: " << message;
    } catch (const ConversionError& e) {
      EXPECT_EQ(e.what(), message);
    }
  }
  EXPECT_EQ(TextToInteger("-9223372036854775808"), INT64_MIN);
  EXPECT_EQ(TextToInteger(" $ff"), 255);
  EXPECT_EQ(TextToInteger("0x10"), 16);
  EXPECT_TRUE(TextToBoolean("TRUE"));
  EXPECT_FALSE(TextToBoolean("0"));
}

TEST(FieldValuesTest, NumbersAndVariantsAsText) {
  EXPECT_EQ(FloatToText(0.1), "0.1");
  EXPECT_EQ(FloatToText(-2.5e20), "-2.5E20");
  EXPECT_EQ(FloatToText(1e-7), "1E-7");
  EXPECT_EQ(FloatToText(1.0 / 3), "0.333333333333333");
  EXPECT_EQ(CurrencyToText(125000), "12.5");
  EXPECT_EQ(CurrencyToText(-1), "-0.0001");
  EXPECT_EQ(CurrencyToText(30000), "3");

  const std::pair<Variant, std::string> variants[] = {
      {Variant(static_cast<short>(-7)), "-7"},
      {Variant(2147483647), "2147483647"},
      {Variant(int64_t{1} << 40), "1099511627776"},
      {Variant(0.1f), "0.1"},
      {Variant(3.0e25f), "3E25"},
      {Variant(2.25), "2.25"},
      {Variant::Currency(4.56789), "4.5679"},
      {Variant::DateTime(EncodeDateTime(2024, 3, 1, 8)), "2024-03-01 08:00:00"},
      {Variant("kalem"), "kalem"},
      {Variant(true), "true"},
      {Variant(false), "false"},
  };
  for (const auto& [value, text] : variants) EXPECT_EQ(value.ToText(), text) << value.Type();

  for (const Variant& v : {Variant(), Variant::Null(), Variant::OfKind(varWord, 1), Variant::Array({1, 2})}) {
    try {
      v.ToText();
      ADD_FAILURE() << v.Type();
    } catch (const Error& e) {
      EXPECT_EQ(e.what(), "TCvDataset.PrepareAndLocate - Unsupported variant type " + std::to_string(v.Type()));
    }
  }
}

TEST(FieldValuesTest, SlotFieldsStoreValuesByTheLayout) {
  std::vector<FieldHeader> fields;
  for (const auto& [name, type, size] : std::vector<std::tuple<std::string, FieldType, int>>{
           {"S", FieldType::ftString, 5}, {"SI", FieldType::ftSmallint, 0}, {"W", FieldType::ftWord, 0},
           {"WS", FieldType::ftWideString, 6}, {"D", FieldType::ftDate, 0}, {"BY", FieldType::ftBytes, 3}}) {
    fields.push_back(FieldHeader{name, type, StoredWidth(type, size), false, 0});
  }
  const RecordLayout layout = RecordLayout::Make(fields);
  std::vector<uint8_t> slot = layout.NewRecord(1);
  const SlotField s(layout, 0), si(layout, 1), w(layout, 2), ws(layout, 3), d(layout, 4), by(layout, 5);

  s.SetText(slot.data(), "abcdefgh");
  EXPECT_EQ(s.GetText(slot.data()), "abcde") << "cut to the size";
  s.SetText(slot.data(), "ab");
  EXPECT_EQ(s.GetText(slot.data()), "ab") << "the rest of the old value is gone";
  EXPECT_EQ(slot[static_cast<std::size_t>(layout.fields[0].offset) + 2], 0);

  si.SetText(slot.data(), "-32768");
  EXPECT_EQ(si.GetInteger(slot.data()), -32768);
  EXPECT_THROW(si.SetInteger(slot.data(), 32768), Error);
  w.SetInteger(slot.data(), 65535);
  EXPECT_EQ(w.GetText(slot.data()), "65535");

  ws.SetText(slot.data(), "\xFE" "ekerli");  // şekerli: 8 bytes hold 3 characters and the end
  EXPECT_EQ(ws.GetText(slot.data()), "\xFE" "ek");
  EXPECT_EQ(slot[static_cast<std::size_t>(layout.fields[3].offset)], 0x5F);  // U+015F, little-endian
  EXPECT_EQ(slot[static_cast<std::size_t>(layout.fields[3].offset) + 1], 0x01);

  EXPECT_TRUE(d.IsNull(slot.data()));
  d.SetDateTime(slot.data(), EncodeDateTime(2024, 2, 29, 23));
  EXPECT_EQ(d.GetText(slot.data()), "2024-02-29") << "a date keeps no time";
  d.SetText(slot.data(), " ");
  EXPECT_TRUE(d.IsNull(slot.data())) << "blank text empties a non-string field";

  by.SetText(slot.data(), std::string("\x01\x00\x02\x03", 4));
  EXPECT_EQ(by.GetText(slot.data()), std::string("\x01\x00\x02", 3));
  EXPECT_EQ(layout.GetId(slot.data()), 1) << "no field reaches the identifier";

  EXPECT_EQ(SplitFieldList(" NWORD ; HWORD,,ID "), (std::vector<std::string>{"NWORD", "HWORD", "ID"}));
}

}  // namespace
}  // namespace corvane::table
