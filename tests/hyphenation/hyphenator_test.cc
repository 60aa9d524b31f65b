#include "hyphenation/hyphenator.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace corvane::hyphenation {
namespace {

struct WordCase {
  const char* word;
  const char* marked;
};

// Code page 1254 bytes are spelled out: ö \xF6, ğ \xF0, İ \xDD.
constexpr WordCase kWorkedExamples[] = {
    {"hyphenation", "hy_phen_ation"},
    {"HYPHENATION", "HY_PHEN_ATION"},
    {"Programming", "Pro_gram_ming"},
    {"concatenation", "con_cate_na_tion"},
    {"merhaba", "mer_haba"},
    {"\xF6\xF0retmen", "\xF6\xF0ret_men"},
    {"table", "table"},
    {"hellos", "h_e_ll_os"},
    {"Hellos", "H_e_ll_os"},
    {"HELLOS", "H_E_LL_OS"},
    {"ab-cd", "ab-cd"},
    {"+123-", "+123-"},
    {"abcd", "abcd"},
    {"\xDDstanbul", "\xDDs_tan_bul"},
    {"internationalization", "in_ter_na_tion_al_iza_tion"},
    {"", ""},
};

TCorvaneHyphenator MakeAsOwned() {
  TCorvaneHyphenator h;
  h.SetExceptionList({"h_e_ll_os"});
  return h;
}

TEST(HyphenatorTest, WorkedExamples) {
  TCorvaneHyphenator h = MakeAsOwned();
  for (const WordCase& c : kWorkedExamples) {
    EXPECT_EQ(h.HyphenateWord(c.word), c.marked) << c.word;
    h.SetInput(c.word);
    h.Hyphenate();
    EXPECT_EQ(h.OutPut(), c.marked) << c.word;
  }
}

TEST(HyphenatorTest, TokensAreSplitBySpacesOnly) {
  const WordCase cases[] = {
      {"  hyphenation  concatenation  ", "  hy_phen_ation  con_cate_na_tion  "},
      {"hyphenation", "hy_phen_ation"},
      {"   ", "   "},
      {"", ""},
      // A tab or line break stays inside its token and matches nothing; not
      // being a word boundary, it does not stop a break right after it.
      {"hyphenation\tconcatenation", "hy_phen_ation\t_con_cate_na_tion"},
      {"table\r\nhyphenation table", "table\r\nhy_phen_ation table"},
      // Punctuation and digits match nothing but do not stop the letters
      // beside them from being marked.
      {"(hyphenation), 2concatenation", "(hy_phen_ation), 2con_cate_na_tion"},
      {"a hyphenation-free text", "a hyphenation-free text"},
      {"x+123-y hyphenation", "x+123-y hy_phen_ation"},
  };
  TCorvaneHyphenator h = MakeAsOwned();
  for (const WordCase& c : cases) {
    h.SetInput(c.word);
    h.Hyphenate();
    EXPECT_EQ(h.OutPut(), c.marked) << c.word;
  }
}

TEST(HyphenatorTest, ExceptionEntries) {
  struct Case {
    std::vector<std::string> list;
    char mark;
    const char* word;
    const char* marked;
  };
  const Case cases[] = {
      // Capitals in an entry never equal a lowered word.
      {{"H_e_ll_os"}, '_', "hellos", "hel_los"},
      {{"H_e_ll_os"}, '_', "Hellos", "Hel_los"},
      // The entry's marks must be the current mark.
      {{"h=e=ll=os"}, '_', "hellos", "hel_los"},
      {{"h=e=ll=os"}, '=', "hellos", "h=e=ll=os"},
      {{"h_e_ll_os"}, '=', "hellos", "hel=los"},
      // The first matching entry wins.
      {{"hel_los", "h_e_ll_os"}, '_', "hellos", "hel_los"},
      // Entries may break where the patterns may not.
      {{"a_bcd"}, '_', "ABCD", "A_BCD"},
      {{"hyphenati_on"}, '_', "HyPhenation", "HyPhenati_on"},
      // The "-" rule comes first.
      {{"ab-cd"}, '_', "ab-cd", "ab-cd"},
      // An entry with a doubled mark keeps it; with one step-over per
      // character the rest of the case falls out of step.
      {{"he__llo"}, '_', "HELLO", "HE__Llo"},
  };
  for (const Case& c : cases) {
    TCorvaneHyphenator h;
    h.SetMark(c.mark);
    h.SetExceptionList(c.list);
    EXPECT_EQ(h.HyphenateWord(c.word), c.marked) << c.list[0] << " " << c.word;
  }
}

TEST(HyphenatorTest, ChangesTakeEffectAtTheNextCall) {
  TCorvaneHyphenator h = MakeAsOwned();
  EXPECT_EQ(h.HyphenateWord("hellos"), "h_e_ll_os");

  h.SetMark('=');
  EXPECT_EQ(h.HyphenateWord("hyphenation"), "hy=phen=ation");
  EXPECT_EQ(h.HyphenateWord("hellos"), "hel=los");

  std::vector<std::string> list = {"h=ello=s"};
  h.SetExceptionList(list);
  list[0] = "hel=los";  // the engine holds its own copy
  EXPECT_EQ(h.HyphenateWord("hellos"), "h=ello=s");
  EXPECT_EQ(h.ExceptionList(), std::vector<std::string>{"h=ello=s"});

  h.SetExceptionList({});
  EXPECT_EQ(h.HyphenateWord("hellos"), "hel=los");
}

TEST(HyphenatorTest, ReadOnlyProperties) {
  TCorvaneHyphenator h;
  EXPECT_EQ(h.Mark(), '_');
  EXPECT_TRUE(h.Input().empty());
  EXPECT_TRUE(h.OutPut().empty());
  EXPECT_TRUE(h.ExceptionList().empty());
  const std::string notice = h.copyright();
  EXPECT_FALSE(notice.empty());

  h.SetInput("hyphenation");
  h.Hyphenate();
  h.SetOutPut("changed");
  h.SetCopyright("changed");
  EXPECT_EQ(h.OutPut(), "hy_phen_ation");
  EXPECT_EQ(h.copyright(), notice);
  EXPECT_EQ(h.Input(), "hyphenation");
}

TEST(HyphenatorTest, WordsHoldingTheMarkKeepTheirBytes) {
  const WordCase cases[] = {
      {"hyphen_ation", "hy_phen_a_tion"},
      {"Hyphen_Ation", "Hy_phen_A_tion"},
      {"HYPHENATION_", "HY_PHEN_ATION_"},
      {"_", "_"},
  };
  TCorvaneHyphenator h = MakeAsOwned();
  for (const WordCase& c : cases) EXPECT_EQ(h.HyphenateWord(c.word), c.marked) << c.word;
}

}  // namespace
}  // namespace corvane::hyphenation
