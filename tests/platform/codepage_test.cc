#include "platform/codepage.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/error.h"

namespace corvane::platform {
namespace {

struct ByteCase {
  uint8_t byte;
  char32_t code_point;
};

// Written from the published code page chart, not from the implementation.
constexpr ByteCase kByteLayout[] = {
    {0x00, U'\0'},   {0x41, U'A'},    {0x7F, U'\x7F'}, {0x80, U'€'},    {0x81, U'\x81'},
    {0x82, U'‚'},    {0x83, U'ƒ'},    {0x84, U'„'},    {0x85, U'…'},    {0x86, U'†'},
    {0x87, U'‡'},    {0x88, U'ˆ'},    {0x89, U'‰'},    {0x8A, U'Š'},    {0x8B, U'‹'},
    {0x8C, U'Œ'},    {0x8D, U'\x8D'}, {0x8E, U'\x8E'}, {0x8F, U'\x8F'}, {0x90, U'\x90'},
    {0x91, U'‘'},    {0x92, U'’'},    {0x93, U'“'},    {0x94, U'”'},    {0x95, U'•'},
    {0x96, U'–'},    {0x97, U'—'},    {0x98, U'˜'},    {0x99, U'™'},    {0x9A, U'š'},
    {0x9B, U'›'},    {0x9C, U'œ'},    {0x9D, U'\x9D'}, {0x9E, U'\x9E'}, {0x9F, U'Ÿ'},
    {0xA0, U'\xA0'}, {0xA9, U'©'},    {0xB5, U'µ'},    {0xC7, U'Ç'},    {0xD0, U'Ğ'},
    {0xD6, U'Ö'},    {0xD7, U'×'},    {0xDC, U'Ü'},    {0xDD, U'İ'},    {0xDE, U'Ş'},
    {0xDF, U'ß'},    {0xE7, U'ç'},    {0xF0, U'ğ'},    {0xF6, U'ö'},    {0xF7, U'÷'},
    {0xFC, U'ü'},    {0xFD, U'ı'},    {0xFE, U'ş'},    {0xFF, U'ÿ'},
};

TEST(CodePageTest, ByteLayoutMatchesTheChart) {
  for (const auto& c : kByteLayout) {
    SCOPED_TRACE(testing::Message() << "byte 0x" << std::hex << int{c.byte});
    EXPECT_EQ(Cp1254ToUnicode(c.byte), c.code_point);
    EXPECT_EQ(UnicodeToCp1254(c.code_point), c.byte);
  }
}

TEST(CodePageTest, EveryByteRoundTrips) {
  std::string all;
  for (int b = 0; b < 256; ++b) {
    EXPECT_EQ(UnicodeToCp1254(Cp1254ToUnicode(static_cast<uint8_t>(b))), b);
    all += static_cast<char>(b);
  }
  const std::string utf8 = Cp1254ToUtf8(all);
  ASSERT_TRUE(IsValidUtf8(utf8));
  const DecodedUtf8 back = Utf8ToCp1254(utf8);
  EXPECT_EQ(back.text, all);
  // The placeholder byte's own character has to ride in the side list.
  EXPECT_EQ(back.unmappable, std::vector<char32_t>{U'\x8F'});
  EXPECT_EQ(Cp1254ToUtf8(back.text, back.unmappable, kUnmappablePlaceholder, false), utf8);
}

TEST(CodePageTest, CharactersTheCodePageCannotHold) {
  // Latin-1 letters displaced by the Turkish ones, C1 controls of assigned
  // bytes, and characters from far outside.
  for (char32_t c : {U'Ð', U'Ý', U'Þ', U'ð', U'ý', U'þ', U'\x80', U'\x8A', U'\x9F', U'Ā',
                     U'中', U'\uFEFF', U'\uFFFD', U'😀', char32_t{0x10FFFF}, char32_t{0x110000}}) {
    EXPECT_FALSE(UnicodeToCp1254(c).has_value()) << std::hex << uint32_t{c};
  }
}

struct DecodeCase {
  const char* name;
  std::string utf8;
  std::string text;
  std::vector<char32_t> unmappable;
  bool had_bom;
};

TEST(CodePageTest, DecodesUtf8) {
  const char p = static_cast<char>(kUnmappablePlaceholder);
  const DecodeCase cases[] = {
      {"empty", "", "", {}, false},
      {"bom only", "\xEF\xBB\xBF", "", {}, true},
      {"ascii", "<p>hello</p>", "<p>hello</p>", {}, false},
      {"turkish", "İstanbul'da ılık şğüöç ĞÜŞÖÇ",
       "\xDDstanbul'da \xFDl\xFDk \xFE\xF0\xFC\xF6\xE7 \xD0\xDC\xDE\xD6\xC7", {}, false},
      {"bom and text", "\xEF\xBB\xBFçay €5", "\xE7" "ay \x80" "5", {}, true},
      {"emoji", "a😀b", std::string("a") + p + "b", {U'😀'}, false},
      {"cjk and icelandic", "中Þ文", std::string{p, p, p}, {U'中', U'Þ', U'文'}, false},
      {"placeholder's own character", "x\u008Fy", std::string("x") + p + "y", {U'\x8F'}, false},
      {"bom not at start", "a\xEF\xBB\xBF", std::string("a") + p, {U'\uFEFF'}, false},
      {"long ascii then unmappable", "0123456789abcdef😀0123456789",
       std::string("0123456789abcdef") + p + "0123456789", {U'😀'}, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const DecodedUtf8 d = Utf8ToCp1254(c.utf8);
    EXPECT_EQ(d.text, c.text);
    EXPECT_EQ(d.unmappable, c.unmappable);
    EXPECT_EQ(d.had_bom, c.had_bom);
    EXPECT_EQ(Cp1254ToUtf8(d.text, d.unmappable, kUnmappablePlaceholder, d.had_bom), c.utf8);
  }
}

TEST(CodePageTest, AsciiPlaceholderStillRoundTrips) {
  const std::string utf8 = "why? 😀 ok?";
  const DecodedUtf8 d = Utf8ToCp1254(utf8, '?');
  EXPECT_EQ(d.text, "why? ? ok?");
  EXPECT_EQ(d.unmappable, (std::vector<char32_t>{U'?', U'😀', U'?'}));
  EXPECT_EQ(Cp1254ToUtf8(d.text, d.unmappable, '?', false), utf8);
}

TEST(CodePageTest, PlaceholdersBeyondTheSideListKeepTheirOwnCharacter) {
  const std::string text = "a\x8F" "b\x8F" "c";
  EXPECT_EQ(Cp1254ToUtf8(text, {U'中'}, kUnmappablePlaceholder, false), "a中b\u008Fc");
  EXPECT_EQ(Cp1254ToUtf8(text, {U'中', U'😀', U'x'}, kUnmappablePlaceholder, true),
            "\xEF\xBB\xBF" "a中b😀c");
  EXPECT_EQ(Cp1254ToUtf8("\x80\xDD\xFE"), "€İş");
}

TEST(CodePageTest, SideListWithInvalidCodePointIsRefused) {
  EXPECT_THROW(Cp1254ToUtf8("\x8F", {char32_t{0xD800}}, kUnmappablePlaceholder, false), Error);
  EXPECT_THROW(Cp1254ToUtf8("\x8F", {char32_t{0x110000}}, kUnmappablePlaceholder, false), Error);
}

TEST(CodePageTest, AcceptsEveryBoundaryOfStrictUtf8) {
  for (const char* s : {"\x7F", "\xC2\x80", "\xDF\xBF", "\xE0\xA0\x80", "\xED\x9F\xBF",
                        "\xEE\x80\x80", "\xEF\xBF\xBF", "\xF0\x90\x80\x80", "\xF4\x8F\xBF\xBF"}) {
    EXPECT_TRUE(IsValidUtf8(s)) << s;
    EXPECT_NO_THROW(Utf8ToCp1254(s));
  }
}

TEST(CodePageTest, RejectsInvalidUtf8) {
  const std::string cases[] = {
      "\x80",                        // lone continuation byte
      "\xC0\xAF",                    // overlong '/'
      "\xC1\xBF",                    // overlong U+007F
      "\xE0\x9F\xBF",                // overlong U+07FF
      "\xF0\x8F\xBF\xBF",            // overlong U+FFFF
      "\xED\xA0\x80",                // surrogate D800
      "\xED\xBF\xBF",                // surrogate DFFF
      "\xF4\x90\x80\x80",            // U+110000
      "\xF5\x80\x80\x80",            // lead byte beyond the range
      "\xFF",                        // never valid
      "\xC3",                        // truncated at the end
      "\xE2\x82",                    // truncated at the end
      "\xF0\x9F\x98",                // truncated at the end
      "\xC3" "A",                    // truncated by an ASCII byte
      "\xE2\x82\xC3\xA7",            // truncated by another sequence
      "abcdefgh\xC3(abcdefgh",       // fault between two runs of ASCII
      "abcdefghijklmnopqrstuvwx\x80",
      std::string("ab\0\xC3", 4),    // a zero byte does not end the text
  };
  for (const auto& s : cases) {
    EXPECT_FALSE(IsValidUtf8(s)) << testing::PrintToString(s);
    EXPECT_THROW(Utf8ToCp1254(s), Error) << testing::PrintToString(s);
  }
}

TEST(CodePageTest, PlainAscii) {
  EXPECT_TRUE(IsPlainAscii(""));
  EXPECT_TRUE(IsPlainAscii(std::string("0123456789abcdef\x7F\0", 18)));
  EXPECT_FALSE(IsPlainAscii("\x80"));
  EXPECT_FALSE(IsPlainAscii("0123456789abcd\xFD"));
  EXPECT_FALSE(IsPlainAscii("01234567\xFF" "9abcdef0"));
}

}  // namespace
}  // namespace corvane::platform
