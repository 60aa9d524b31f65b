#include "html/tokenizer.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "html/entities.h"

namespace corvane::html {
namespace {

// Elements as "<NAME>" for tags and "[text]" for decoded text runs.
std::vector<std::string> Describe(const THTMLParser& parser) {
  std::vector<std::string> out;
  for (const auto& element : parser.Elements()) {
    if (element->Kind() == ElementKind::kTag) {
      out.push_back("<" + static_cast<const THTMLTag&>(*element).Name() + ">");
    } else {
      out.push_back("[" + static_cast<const THTMLText&>(*element).Text() + "]");
    }
  }
  return out;
}

std::vector<std::string> TextsOfParse(const THTMLParser& parser) {
  std::vector<std::string> out;
  for (const auto& element : parser.Elements()) {
    if (auto* text = dynamic_cast<const THTMLText*>(element.get())) {
      out.push_back(text->Text());
    }
  }
  return out;
}

std::vector<std::string> TextsOfFastPath(const THTMLParser& parser) {
  std::vector<std::string> out;
  parser.ParseTexts([&](std::string_view text, std::size_t) { out.emplace_back(text); });
  return out;
}

TEST(DecodeTextTest, LineFeedsSpacesAndReferences) {
  struct Case {
    std::string_view raw;
    std::string_view text;
  };
  const Case kCases[] = {
      {"a\nb\n", "a b "},          {"a \n  b", "a b"},
      {"a\r\nb", "a\r b"},         {"a\t\tb", "a\t\tb"},
      {"&nbsp;", " "},             {"&nbsp;&nbsp;", "  "},
      {"&#32;&#32;x", "  x"},      {"&#65;", "A"},
      {"&#x41;", "A"},             {"&#X41;", "A"},
      {"&#65 B", "AB"},            {"&#65\n \nB", "AB"},
      {"&#0065;", "&#0065;"},      {"AT&T", "AT&T"},
      {"AT&T;", "AT&T;"},          {"&Auml;&auml;&AUML;", "\xC4\xE4&AUML;"},
      {"&amp;lt;", "&lt;"},        {"&#38;#65;", "&#65;"},
      {"&#240;&eth;", "\xF0\xF0"}, {"&#300;&#-5;", "&#300;&#-5;"},
      {"&#;&#x;&# ", "&#;&#x;&# "}, {"&amp &lt;", "&amp <"},
      {"&&amp;", "&&"},            {"&a&#65;", "&aA"},
      {"&#65", "&#65"},            {"x;y &", "x;y &"},
      {"&lt;b&gt; d&#xFC;nya", "<b> d\xFCnya"},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.raw);
    EXPECT_EQ(DecodeText(c.raw), c.text);
  }
}

// The decoding as first described: edit the string in place, step by step.
// Slow, but its shape follows the rules directly, so it checks the one-pass
// decoder on inputs nobody thought of.
std::string DecodeByEditing(std::string s) {
  for (char& c : s) {
    if (c == '\n') c = ' ';
  }
  for (std::size_t p; (p = s.find("  ")) != std::string::npos;) s.erase(p, 1);
  bool collecting = false;
  std::size_t start = 0;
  for (std::size_t i = 0; i < s.size(); ++i) {
    if (s[i] == '&') {
      collecting = true;
      start = i;
    }
    if (!collecting || (s[i] != ';' && s[i] != ' ')) continue;
    collecting = false;
    std::string ref = s.substr(start, i - start + 1);
    if (ref.size() > 2 && ref[1] == '#') {
      std::optional<int> v = NumericReferenceValue(ref);
      if (v && *v >= 0 && *v <= 255) {
        s.replace(start, ref.size(), 1, static_cast<char>(CodeToByte(*v)));
        i = start;
      }
    } else if (const NamedReference* row = FindNamedReference(ref)) {
      s.replace(start, ref.size(), row->numeric);
      i = start - 1;  // rescan from the inserted "&"
    }
  }
  return s;
}

std::string RandomPieces(std::mt19937& rng, int count) {
  static const char* const kPieces[] = {
      "&", "#", ";", " ", "  ", "\n", "x", "X", "4", "1", "65", "240", "300",
      "-", "+", "amp", "lt", "nbsp", "eth", "Auml", "a", "<", ">", "\"", "=",
      "\r", "b c"};
  std::uniform_int_distribution<int> pick(0, std::size(kPieces) - 1);
  std::string s;
  for (int i = 0; i < count; ++i) s += kPieces[pick(rng)];
  return s;
}

TEST(DecodeTextTest, AgreesWithStepByStepEditing) {
  std::mt19937 rng(1254);
  for (int n = 0; n < 5000; ++n) {
    std::string raw = RandomPieces(rng, n % 12);
    ASSERT_EQ(DecodeText(raw), DecodeByEditing(raw)) << raw;
  }
}

TEST(TagTest, NameAndAttributes) {
  struct Case {
    std::string_view text;
    std::string_view name;
    std::vector<std::vector<std::string>> params;  // raw, name, value
  };
  const Case kCases[] = {
      {"img alt=\"a b\" src=x", "IMG",
       {{"alt=\"a b\"", "ALT", "a b"}, {"src=x", "SRC", "x"}}},
      {"table  border=1   width=\"50%\" ", "TABLE",
       {{"border=1", "BORDER", "1"}, {"width=\"50%\"", "WIDTH", "50%"}}},
      {"A HREF=X checked", "A", {{"HREF=X", "HREF", "X"}, {"checked", "CHECKED", ""}}},
      {"a href='x y'", "A", {{"href='x", "HREF", "'x"}, {"y'", "Y'", ""}}},
      {"meta content=\"a=b\" b=c=d", "META",
       {{"content=\"a=b\"", "CONTENT", "a=b"}, {"b=c=d", "B", "c=d"}}},
      {"p a=\"\" b=\" c=\"x", "P",
       {{"a=\"\"", "A", ""}, {"b=\" c=\"x", "B", "\" c=\"x"}}},
      {"p x=\"a b", "P", {{"x=\"a b", "X", "\"a b"}}},
      {"!-- note --", "!--", {{"note", "NOTE", ""}, {"--", "--", ""}}},
      {"/b", "/B", {}},
      {"", "", {}},
      {" b", "", {{"b", "B", ""}}},
      {"d\xFCv cl\xFC=\xFC", "D\xFCV", {{"cl\xFC=\xFC", "CL\xFC", "\xFC"}}},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.text);
    THTMLTag tag;
    tag.SetText("stale x=1");
    tag.SetText(c.text);
    EXPECT_EQ(tag.RawText(), c.text);
    EXPECT_EQ(tag.Name(), c.name);
    std::vector<std::vector<std::string>> params;
    for (const THTMLParam& p : tag.Params()) params.push_back({p.RawText(), p.Name(), p.Value()});
    EXPECT_EQ(params, c.params);
  }
}

struct Document {
  std::vector<std::string> lines;
  std::vector<std::string> elements;  // as Describe gives them
};

const Document kDocuments[] = {
    {{"a<b>c</b>d"}, {"[a]", "<B>", "[c]", "</B>", "[d ]"}},
    {{"Merhaba", "d\xFCnya"}, {"[Merhaba d\xFCnya ]"}},
    {{"<a", "href=x>"}, {"<AHREF=X>"}},
    {{"x > y"}, {"<>", "[x y ]"}},
    {{"text <b and more"}, {"[text ]", "<B>"}},
    {{"abc<"}, {"[abc]"}},
    {{"<<b>>"}, {"<B>", "<>"}},
    {{"<p>", "hello", "</p>"}, {"<P>", "[hello ]", "</P>"}},
    {{"", "a", "", "b"}, {"[a b ]"}},
    {{"a <!-- x > y --> b"}, {"[a ]", "<!-->", "<>", "[ y -- b ]"}},
    // Quoted attribute values hold "<" and ">"; a line break parts attributes.
    {{"<a href=\"x>y\">z"}, {"<A>", "[z ]"}},
    {{"<p title='<b>' x=\"'\">u"}, {"<P>", "[u ]"}},
    {{"<p a=b", "c=\">\">u"}, {"<P>", "[u ]"}},
    {{"<p a=b\">c>u"}, {"<P>", "<>", "[cu ]"}},  // a quote inside an unquoted value
    {{"<!x=\">\">u"}, {"<!X=\">", "<>", "[\"u ]"}},  // declarations end at the first ">"
    {{"a<p t=\">", "b"}, {"[a]", "<P>"}},   // an unterminated value runs to the end
    {{"a<b", "c>d &amp;", "&lt;"}, {"[a]", "<BC>", "[d & < ]"}},
};

TEST(ParserTest, ElementsInDocumentOrder) {
  for (const Document& doc : kDocuments) {
    SCOPED_TRACE(doc.lines[0]);
    THTMLParser parser;
    parser.Lines() = doc.lines;
    parser.Parse();
    EXPECT_EQ(Describe(parser), doc.elements);
  }
}

TEST(ParserTest, RawTextKeepsLineFeedsAndTagText) {
  THTMLParser parser;
  parser.Lines() = {"Merhaba", "d\xFCnya <b and", " more"};
  parser.Parse();
  ASSERT_EQ(parser.Elements().size(), 2u);
  auto& text = dynamic_cast<const THTMLText&>(*parser.Elements()[0]);
  auto& tag = dynamic_cast<const THTMLTag&>(*parser.Elements()[1]);
  EXPECT_EQ(text.RawText(), "Merhaba\nd\xFCnya ");
  EXPECT_EQ(tag.RawText(), "b and more");
  EXPECT_EQ(tag.Params().size(), 2u);

  parser.Parse();  // appends, as documented
  EXPECT_EQ(parser.Elements().size(), 4u);
}

TEST(ParserTest, FastPathGivesTheTextsOfParse) {
  std::vector<std::vector<std::string>> documents;
  for (const Document& doc : kDocuments) documents.push_back(doc.lines);
  std::mt19937 rng(2024);
  for (int n = 0; n < 2000; ++n) {
    std::vector<std::string> lines(n % 5);
    for (std::string& line : lines) line = RandomPieces(rng, n % 9);
    documents.push_back(std::move(lines));
  }
  for (const auto& lines : documents) {
    THTMLParser parser;
    parser.Lines() = lines;
    parser.Parse();
    ASSERT_EQ(TextsOfFastPath(parser), TextsOfParse(parser))
        << ::testing::PrintToString(lines);
  }
}

// Inputs that would take hours with per-byte erasing or rescanning; here the
// point is only that they finish and keep their bytes.
TEST(ParserTest, LargeDegenerateInputsFinish) {
  const std::size_t kSize = 1 << 20;
  const std::string letters(kSize, 'a');
  const std::string ampersands(kSize, '&');
  EXPECT_EQ(DecodeText(letters), letters);
  EXPECT_EQ(DecodeText(ampersands), ampersands);
  EXPECT_EQ(DecodeText(std::string(kSize, ' ')), " ");
  EXPECT_EQ(DecodeText("&" + letters + ";"), "&" + letters + ";");

  std::string numeric;
  while (numeric.size() < kSize) numeric += "&#&#65;";
  EXPECT_EQ(DecodeText(numeric).size(), numeric.size() / 7 * 3);

  const std::vector<std::pair<std::string, std::vector<std::string>>> kDocs = {
      {letters, {letters + " "}},
      {ampersands, {ampersands + " "}},
      {std::string(kSize, '>') + "x", {"x "}},
      {std::string(kSize, '<') + "x", {}},
  };
  for (const auto& [line, texts] : kDocs) {
    THTMLParser parser;
    parser.Lines() = {line};
    EXPECT_EQ(TextsOfFastPath(parser), texts);
  }

  THTMLParser parser;
  std::string attributes;
  while (attributes.size() < kSize) attributes += " a=\"b c\"";
  parser.Lines() = {"x<p" + attributes, ">" + letters};
  parser.Parse();
  ASSERT_EQ(parser.Elements().size(), 3u);
  EXPECT_EQ(static_cast<const THTMLTag&>(*parser.Elements()[1]).Params().size(),
            attributes.size() / 8);
}

}  // namespace
}  // namespace corvane::html
