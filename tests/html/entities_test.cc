#include "html/entities.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace corvane::html {
namespace {

constexpr std::string_view kRowNames[kNamedReferenceCount] = {
    "&quot;",   "&amp;",    "&lt;",     "&gt;",     "&nbsp;",   "&iexcl;",
    "&cent;",   "&pound;",  "&curren;", "&yen;",    "&brvbar;", "&sect;",
    "&uml;",    "&copy;",   "&ordf;",   "&laquo;",  "&not;",    "&shy;",
    "&reg;",    "&macr;",   "&deg;",    "&plusmn;", "&sup2;",   "&sup3;",
    "&acute;",  "&micro;",  "&para;",   "&middot;", "&cedil;",  "&sup1;",
    "&ordm;",   "&raquo;",  "&frac14;", "&frac12;", "&frac34;", "&iquest;",
    "&Agrave;", "&Aacute;", "&Acirc;",  "&Atilde;", "&Auml;",   "&Aring;",
    "&AElig;",  "&Ccedil;", "&Egrave;", "&Eacute;", "&Ecirc;",  "&Euml;",
    "&Igrave;", "&Iacute;", "&Icirc;",  "&Iuml;",   "&ETH;",    "&Ntilde;",
    "&Ograve;", "&Oacute;", "&Ocirc;",  "&Otilde;", "&Ouml;",   "&times;",
    "&Oslash;", "&Ugrave;", "&Uacute;", "&Ucirc;",  "&Uuml;",   "&Yacute;",
    "&THORN;",  "&szlig;",  "&agrave;", "&aacute;", "&acirc;",  "&atilde;",
    "&auml;",   "&aring;",  "&aelig;",  "&ccedil;", "&egrave;", "&eacute;",
    "&ecirc;",  "&euml;",   "&igrave;", "&iacute;", "&icirc;",  "&iuml;",
    "&eth;",    "&ntilde;", "&ograve;", "&oacute;", "&ocirc;",  "&otilde;",
    "&ouml;",   "&divide;", "&oslash;", "&ugrave;", "&uacute;", "&ucirc;",
    "&uuml;",   "&yacute;", "&thorn;",  "&yuml;",
};

TEST(NamedReferencesTest, RowsInOrderWithCodesAndNumericForms) {
  const int kFirstCodes[4] = {34, 38, 60, 62};
  auto rows = NamedReferences();
  for (int i = 0; i < kNamedReferenceCount; ++i) {
    const int row = i + 1;
    SCOPED_TRACE(row);
    EXPECT_EQ(rows[i].name, kRowNames[i]);
    const int code = row <= 4 ? kFirstCodes[i] : 155 + row;
    EXPECT_EQ(rows[i].code, code);
    EXPECT_EQ(rows[i].numeric, "&#" + std::to_string(code) + ";");

    // Every row is found by its own name and decodes as its numeric form.
    EXPECT_EQ(FindNamedReference(rows[i].name), &rows[i]);
    EXPECT_EQ(DecodeReference(rows[i].name), DecodeReference(rows[i].numeric));
    EXPECT_TRUE(DecodeReference(rows[i].name).has_value());
  }
}

TEST(NamedReferencesTest, LookupIsExactAndCaseSensitive) {
  const NamedReference* upper = FindNamedReference("&Auml;");
  const NamedReference* lower = FindNamedReference("&auml;");
  ASSERT_NE(upper, nullptr);
  ASSERT_NE(lower, nullptr);
  EXPECT_EQ(upper->code, 196);
  EXPECT_EQ(lower->code, 228);

  for (std::string_view miss :
       {"&AUML;", "&AMP;", "&amp", "&amp ", "amp;", "&;", "", "&frac14;x"}) {
    SCOPED_TRACE(miss);
    EXPECT_EQ(FindNamedReference(miss), nullptr);
  }
}

TEST(CodeToByteTest, ControlCodesAndNoBreakSpaceBecomeSpace) {
  for (int code = 0; code < 256; ++code) {
    SCOPED_TRACE(code);
    const int expected = (code < 32 || code == 160) ? 32 : code;
    EXPECT_EQ(CodeToByte(static_cast<uint8_t>(code)), expected);
  }
}

TEST(NumericReferenceTest, WhatConverts) {
  struct Case {
    std::string_view reference;
    std::optional<int> value;
  };
  const Case kCases[] = {
      {"&#65;", 65},     {"&#65 ", 65},     {"&#065;", 65},   {"&#+65;", 65},
      {"&#x41;", 65},    {"&#X41;", 65},    {"&#xf;", 15},    {"&#xFf;", 255},
      {"&#0;", 0},       {"&#-0;", 0},      {"&#-5;", -5},    {"&#300;", 300},
      // Too long, empty, or not a number of the allowed forms.
      {"&#0065;", std::nullopt}, {"&#1000;", std::nullopt},
      {"&#x041;", std::nullopt}, {"&#;", std::nullopt},
      {"&# ", std::nullopt},     {"&#x;", std::nullopt},
      {"&#+;", std::nullopt},    {"&#x4G;", std::nullopt},
      {"&#1a;", std::nullopt},   {"&#$41;", std::nullopt},
      {"&#x-1;", std::nullopt},  {"&#+-5;", std::nullopt},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.reference);
    EXPECT_EQ(NumericReferenceValue(c.reference), c.value);
  }
}

TEST(DecodeReferenceTest, TurkishLettersBeyondTheTable) {
  struct Case {
    std::string_view reference;
    std::optional<uint8_t> byte;
  };
  const Case kCases[] = {
      {"&#305;", 0xFD},   {"&#x131;", 0xFD},  {"&#X131;", 0xFD},  {"&#00305;", 0xFD},
      {"&#x0131;", 0xFD}, {"&#351 ", 0xFE},   {"&#304;", 0xDD},   {"&#287;", 0xF0},
      {"&#286;", 0xD0},   {"&#350;", 0xDE},   {"&#338;", 0x8C},   {"&#339;", 0x9C},
      {"&#352;", 0x8A},   {"&#353;", 0x9A},   {"&#376;", 0x9F},   {"&#402;", 0x83},
      {"&gbreve;", 0xF0}, {"&Gbreve;", 0xD0}, {"&scedil;", 0xFE}, {"&Scedil;", 0xDE},
      {"&inodot;", 0xFD}, {"&imath;", 0xFD},  {"&Idot;", 0xDD},
      // Everything else keeps the table's meaning.
      {"&#0065;", std::nullopt}, {"&#x00fc;", std::nullopt}, {"&#8217;", std::nullopt},
      {"&#306;", std::nullopt},  {"&#-305;", std::nullopt},  {"&#+305;", std::nullopt},
      {"&#99999999999999999999305;", std::nullopt}, {"&IDOT;", std::nullopt},
      {"&idot;", std::nullopt},  {"&gbreve ", std::nullopt}, {"&#x13 1;", std::nullopt},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.reference);
    EXPECT_EQ(DecodeReference(c.reference), c.byte);
  }
}

}  // namespace
}  // namespace corvane::html
