#include "platform/case_tables.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <string_view>

#include "platform/codepage.h"

namespace corvane::platform {
namespace {

TEST(CaseTablesTest, AsciiTablesChangeOnlyAsciiLetters) {
  for (int b = 0; b < 256; ++b) {
    const bool lower = b >= 'a' && b <= 'z';
    const bool upper = b >= 'A' && b <= 'Z';
    EXPECT_EQ(AsciiUpperTable()[b], lower ? b - 32 : b) << b;
    EXPECT_EQ(AsciiLowerTable()[b], upper ? b + 32 : b) << b;
  }
}

struct CasePair {
  uint8_t from;
  uint8_t to;
};

TEST(CaseTablesTest, TurkishUpperCase) {
  const CasePair cases[] = {
      {'a', 'A'}, {'z', 'Z'},   {'i', 0xDD},  {0xFD, 'I'},  {'I', 'I'},   {0xDD, 0xDD},
      {0xE7, 0xC7}, {0xF0, 0xD0}, {0xF6, 0xD6}, {0xFC, 0xDC}, {0xFE, 0xDE}, {0xE0, 0xC0},
      {0xF9, 0xD9}, {' ', 0x00},  {0x00, 0x00}, {0xF7, 0xF7}, {0xF8, 0xF8}, {0xFF, 0xFF},
      {0xDF, 0xDF}, {0x9A, 0x9A}, {0xB5, 0xB5}, {'5', '5'},   {'_', '_'},
  };
  for (const auto& c : cases) EXPECT_EQ(TurkishUpperTable()[c.from], c.to) << int{c.from};
}

TEST(CaseTablesTest, TurkishLowerCase) {
  const CasePair cases[] = {
      {'A', 'a'},   {'Z', 'z'},   {'I', 0xFD},  {0xDD, 'i'},  {'i', 'i'},   {0xFD, 0xFD},
      {0xC7, 0xE7}, {0xD0, 0xF0}, {0xD6, 0xF6}, {0xDC, 0xFC}, {0xDE, 0xFE}, {0xC0, 0xE0},
      {0xD9, 0xF9}, {0x00, ' '},  {' ', ' '},   {0xD7, 0xD7}, {0xD8, 0xD8}, {0x9F, 0x9F},
      {0x8A, 0x8A}, {'5', '5'},
  };
  for (const auto& c : cases) EXPECT_EQ(TurkishLowerTable()[c.from], c.to) << int{c.from};
}

TEST(CaseTablesTest, TurkishCaseChangesExactlyTheListedBytesAndInverts) {
  const auto& upper = TurkishUpperTable();
  const auto& lower = TurkishLowerTable();
  int upper_changes = 0;
  int lower_changes = 0;
  for (int b = 0; b < 256; ++b) {
    if (upper[b] != b) {
      ++upper_changes;
      EXPECT_EQ(lower[upper[b]], b) << b;
    }
    if (lower[b] != b) {
      ++lower_changes;
      EXPECT_EQ(upper[lower[b]], b) << b;
    }
  }
  // 26 ASCII letters, the 23 of E0-F6, F9-FC, ı, ş and the blank.
  EXPECT_EQ(upper_changes, 26 + 23 + 4 + 1 + 1 + 1);
  EXPECT_EQ(lower_changes, upper_changes);
}

TEST(CaseTablesTest, CollationOrderIsAPermutationWithInverseWeights) {
  const auto& order = TurkishCollationOrder();
  const auto& weights = TurkishCollationWeights();
  std::array<bool, 256> seen{};
  for (int w = 0; w < 256; ++w) {
    EXPECT_FALSE(seen[order[w]]) << "byte listed twice: " << int{order[w]};
    seen[order[w]] = true;
    EXPECT_EQ(weights[order[w]], w);
  }
}

std::string Cp(std::string_view utf8) { return Utf8ToCp1254(utf8).text; }

bool SortsBefore(std::string_view a_utf8, std::string_view b_utf8) {
  const std::string a = Cp(a_utf8);
  const std::string b = Cp(b_utf8);
  const auto& w = TurkishCollationWeights();
  return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(),
                                      [&](char x, char y) {
                                        return w[static_cast<uint8_t>(x)] <
                                               w[static_cast<uint8_t>(y)];
                                      });
}

TEST(CaseTablesTest, CollationPutsTurkishWordsInDictionaryOrder) {
  const char* chains[][4] = {
      {"cam", "Cam", "çam", "dam"},
      {"ılık", "Irak", "iki", "İzmir"},
      {"gül", "Gül", "ğ", "Ğ"},
      {"sus", "Sus", "ş", "Ş"},
      {"o", "ö", "Ö", "p"},
      {"u", "ü", "Ü", "v"},
  };
  for (const auto& chain : chains) {
    for (int k = 0; k + 1 < 4; ++k) {
      EXPECT_TRUE(SortsBefore(chain[k], chain[k + 1])) << chain[k] << " < " << chain[k + 1];
      EXPECT_FALSE(SortsBefore(chain[k + 1], chain[k])) << chain[k + 1] << " < " << chain[k];
    }
  }
}

TEST(CaseTablesTest, CollationSpotChecks) {
  const auto& order = TurkishCollationOrder();
  const auto& w = TurkishCollationWeights();
  EXPECT_EQ(order[0], 0x00);
  EXPECT_EQ(order[1], ' ');
  EXPECT_EQ(order[2], 0x01);
  EXPECT_EQ(order[255], 0x9E);
  // a å à â á ã æ A Å À Â Á Ã Æ ä Ä
  const std::string a_group = Cp("aåàâáãæAÅÀÂÁÃÆäÄb");
  for (size_t k = 0; k + 1 < a_group.size(); ++k) {
    EXPECT_EQ(w[static_cast<uint8_t>(a_group[k + 1])], w[static_cast<uint8_t>(a_group[k])] + 1)
        << k;
  }
  // ß sorts between S and ş; the unassigned bytes close the order.
  EXPECT_LT(w['S'], w[0xDF]);
  EXPECT_LT(w[0xDF], w[0xFE]);
  EXPECT_LT(w['z'], w['{']);
  EXPECT_LT(w[0xF8], w[0x80]);
}

}  // namespace
}  // namespace corvane::platform
