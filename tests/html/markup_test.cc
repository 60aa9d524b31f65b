#include "html/markup.h"

#include <gtest/gtest.h>

namespace corvane::html {
namespace {

// Renders the kinds as one letter per byte: . text, h hidden, t tag, r reference,
// l letter reference.
std::string Kinds(std::string_view text) {
  std::string out;
  for (ByteKind k : ClassifyMarkup(text)) out += ".htrl"[static_cast<int>(k)];
  return out;
}

TEST(MarkupTest, ClassifiesEveryByte) {
  struct Case {
    std::string text, kinds;
  };
  const Case cases[] = {
      {"ab <b>cd</b>", "...ttt..tttt"},
      {"a<!--x>y-->b", ".hhhhhhhhhh."},
      {"a<!--x", ".hhhhh"},               // unterminated comment runs to the end
      {"<!-->x-->y", "hhhhhhhhh."},       // the "-->" must come after "<!--"
      {"a<b", ".tt"},                     // unterminated tag runs to the end
      {"<pre>a b</pre>c", "ttttthhhtttttt."},
      {"<PRE x>a</pre >c", "ttttttthttttttt."},
      {"<code>a</codex>b</code>", "tttttthhhhhhhhhhttttttt"},  // "</codex" does not close code
      {"<script>x", "tttttttth"},
      {"<kbd/>x</kbd>", "tttttthtttttt"},
      {"<b>x</b>", "ttt.tttt"},
      {"go www.x.tr now", "...hhhhhhhh...."},
      {"<a>http://a.b/?q=1&amp;r</a>", "ttthhhhhhhhhhhhhhhhhhhhhtttt"},
      {"mail ed@x.org.", ".....hhhhhhhhh"},
      {"&micro;s &#173; &#x;", "lllllll..rrrrrr.rrrr"},   // µ is a letter, the soft hyphen not
      {"G&uuml;z k&#x131;z &#95; &#8217;", ".llllll. .lllllll. rrrrr rrrrrrr"},  // "_" is no letter
      {"<title>kitap</title>", "ttttttthhhhhtttttttt"},
      {"AT&T; & ; &;", "..rrr. . . ."},
      {"&amp", "...."},
      // A quoted attribute value holds "<" and ">"; unterminated, it runs to the end.
      {"<a t=\"x>y\" u='<!--'>z", "tttttttttttttttttttt."},
      {"<a t=\"x>y", "ttttttttt"},
      {"<!x=\">\">", "tttttt.."},
  };
  for (const Case& c : cases) {
    std::string expected = c.kinds;
    // Spaces in the expectations stand for text bytes, for readability.
    for (char& k : expected) k = k == ' ' ? '.' : k;
    EXPECT_EQ(Kinds(c.text), expected) << c.text;
  }
}

TEST(MarkupTest, BlankingKeepsLineBreaksTagsAndLetters) {
  const std::string text = "a<!--x\r\ny-->&amp;<pre>p\nq</pre>www.z &uuml;&quot;";
  const std::string blank = BlankHiddenText(text, ClassifyMarkup(text));
  EXPECT_EQ(blank, "a     \r\n         <pre> \n </pre>      &uuml;      ");
  EXPECT_EQ(blank.size(), text.size());
}

TEST(MarkupTest, PathologicalInputsStayLinear) {
  // Each must finish quickly; a quadratic scan would take minutes.
  for (const std::string& text : {std::string(1 << 20, '<'), std::string(1 << 20, '&'),
                                  "<pre>" + std::string(1 << 20, '<') + "/",
                                  "&" + std::string(1 << 20, 'a'), std::string(1 << 20, '@')}) {
    EXPECT_EQ(ClassifyMarkup(text).size(), text.size());
  }
}

}  // namespace
}  // namespace corvane::html
