#include "platform/locale.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include "platform/codepage.h"

namespace corvane::platform {
namespace {

struct EnvCase {
  const char* lc_all;
  const char* lc_collate;
  const char* lang;
  int expected;
};

TEST(LocaleTest, FirstSetVariableDecides) {
  const EnvCase cases[] = {
      {nullptr, nullptr, nullptr, 1033},
      {"", "", "", 1033},
      {nullptr, nullptr, "tr_TR.UTF-8", 1055},
      {"", "", "tr", 1055},
      {nullptr, "tr_TR", "en_US.UTF-8", 1055},
      {"", "tr_TR.ISO-8859-9", nullptr, 1055},
      {"C", nullptr, "tr_TR.UTF-8", 1033},
      {"en_US.UTF-8", "tr_TR", "tr_TR", 1033},
      {"tr_TR@euro", "en_US", nullptr, 1055},
      {"TR_tr", nullptr, nullptr, 1055},
      {"tr-TR", nullptr, nullptr, 1055},
      {"tr.UTF-8", nullptr, nullptr, 1055},
      {"trv_TW", nullptr, "tr_TR", 1033},
      {"t", nullptr, nullptr, 1033},
      {"POSIX", nullptr, nullptr, 1033},
      {nullptr, nullptr, "de_DE.UTF-8", 1033},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(LocaleIdFromEnvironment(c.lc_all, c.lc_collate, c.lang), c.expected)
        << (c.lc_all ? c.lc_all : "(null)") << " / " << (c.lc_collate ? c.lc_collate : "(null)")
        << " / " << (c.lang ? c.lang : "(null)");
  }
}

TEST(LocaleTest, UserLocaleFollowsTheEnvironment) {
  EXPECT_EQ(UserLocaleId(), LocaleIdFromEnvironment(std::getenv("LC_ALL"),
                                                    std::getenv("LC_COLLATE"), std::getenv("LANG")));
  EXPECT_EQ(&AnsiCase::User(), &AnsiCase::ForLocale(UserLocaleId()));
}

struct LetterCase {
  uint8_t byte;
  uint8_t upper;
  uint8_t lower;
};

void ExpectLetters(const AnsiCase& c, const std::vector<LetterCase>& letters) {
  for (const auto& l : letters) {
    SCOPED_TRACE(testing::Message() << "byte 0x" << std::hex << int{l.byte});
    EXPECT_EQ(c.Upper(l.byte), l.upper);
    EXPECT_EQ(c.Lower(l.byte), l.lower);
    EXPECT_EQ(c.UpperTable()[l.byte], l.upper);
    EXPECT_EQ(c.LowerTable()[l.byte], l.lower);
  }
}

// Bytes cased the same way under both locales.
const std::vector<LetterCase> kSharedLetters = {
    {'a', 'A', 'a'},    {'Z', 'Z', 'z'},    {0xE7, 0xC7, 0xE7}, {0xC7, 0xC7, 0xE7},
    {0xF0, 0xD0, 0xF0}, {0xD0, 0xD0, 0xF0}, {0xFE, 0xDE, 0xFE}, {0xDE, 0xDE, 0xFE},
    {0xF6, 0xD6, 0xF6}, {0xDC, 0xDC, 0xFC}, {0xE0, 0xC0, 0xE0}, {0xF8, 0xD8, 0xF8},
    {0xD8, 0xD8, 0xF8}, {0x9A, 0x8A, 0x9A}, {0x8A, 0x8A, 0x9A}, {0x9C, 0x8C, 0x9C},
    {0x8C, 0x8C, 0x9C}, {0xFF, 0x9F, 0xFF}, {0x9F, 0x9F, 0xFF}, {0xD7, 0xD7, 0xD7},
    {0xF7, 0xF7, 0xF7}, {0xB5, 0xB5, 0xB5}, {0xDF, 0xDF, 0xDF}, {0xAA, 0xAA, 0xAA},
    {' ', ' ', ' '},    {0x00, 0x00, 0x00}, {'7', '7', '7'},    {0x80, 0x80, 0x80},
};

TEST(LocaleTest, TurkishCasing) {
  const AnsiCase& tr = AnsiCase::ForLocale(1055);
  ExpectLetters(tr, kSharedLetters);
  ExpectLetters(tr, {{'i', 0xDD, 'i'}, {0xDD, 0xDD, 'i'}, {0xFD, 'I', 0xFD}, {'I', 'I', 0xFD}});
  EXPECT_EQ(tr.Upper(Utf8ToCp1254("istanbul'da ılık çiğ").text),
            Utf8ToCp1254("İSTANBUL'DA ILIK ÇİĞ").text);
  EXPECT_EQ(tr.Lower(Utf8ToCp1254("IŞIK İZMİR").text), Utf8ToCp1254("ışık izmir").text);
}

TEST(LocaleTest, EnglishCasingFoldsTheDottedAndDotlessI) {
  const AnsiCase& en = AnsiCase::ForLocale(1033);
  ExpectLetters(en, kSharedLetters);
  ExpectLetters(en, {{'i', 'I', 'i'}, {0xDD, 0xDD, 'i'}, {0xFD, 'I', 0xFD}, {'I', 'I', 'i'}});
  EXPECT_EQ(en.Upper(Utf8ToCp1254("istanbul'da ılık").text), "ISTANBUL'DA ILIK");
  EXPECT_EQ(en.Lower(Utf8ToCp1254("IŞIK İZMİR").text), Utf8ToCp1254("işik izmir").text);
  EXPECT_EQ(&AnsiCase::ForLocale(1031), &en);
}

TEST(LocaleTest, TurkishCasingIsABijectionOnLetters) {
  const AnsiCase& tr = AnsiCase::ForLocale(1055);
  for (int b = 0; b < 256; ++b) {
    const auto byte = static_cast<uint8_t>(b);
    if (tr.Upper(byte) != byte) {
      EXPECT_EQ(tr.Lower(tr.Upper(byte)), byte) << b;
    }
    if (tr.Lower(byte) != byte) {
      EXPECT_EQ(tr.Upper(tr.Lower(byte)), byte) << b;
    }
  }
}

}  // namespace
}  // namespace corvane::platform
