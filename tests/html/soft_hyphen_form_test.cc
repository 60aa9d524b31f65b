#include "html/soft_hyphen_form.h"

#include <gtest/gtest.h>

#include "html/hyphenation_pass.h"
#include "html/soft_hyphens.h"

namespace corvane::html {
namespace {

TEST(SoftHyphenFormTest, TellsXmlPagesFromHtml) {
  struct Case {
    const char* bytes;
    const char* name;
    bool xml;
  };
  const Case cases[] = {
      {"<?xml version=\"1.0\"?><html/>", "", true},
      {"\xEF\xBB\xBF \r\n<?xml version=\"1.0\"?><p/>", "", true},
      {"<!DOCTYPE html><html xmlns=\"http://www.w3.org/1999/xhtml\">", "", true},
      {"<!-- a > b --><!DOCTYPE x [<!ENTITY e \"<\">]><html xmlns='http://www.w3.org/1999/xhtml'>", "", true},
      {"<p>plain</p>", "page.XHTML", true},
      {"<p>plain</p>", "a.xht", true},
      {"<svg/>", "drawing.svg", true},
      {"<!DOCTYPE html><html lang=\"en\">", "page.html", false},
      // Only the root's own default namespace counts.
      {"<html xmlns:x=\"http://www.w3.org/1999/xhtml\">", "", false},
      {"<html><p xmlns=\"http://www.w3.org/1999/xhtml\">", "", false},
      {"text <?xml in the middle", "", false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(IsXmlDocument(c.bytes, c.name), c.xml) << c.bytes << " " << c.name;
  }
  EXPECT_TRUE(XmlDeclaresUtf8("<p/>"));
  EXPECT_TRUE(XmlDeclaresUtf8("<?xml version='1.0' encoding='UTF-8'?>"));
  EXPECT_FALSE(XmlDeclaresUtf8("<?xml version=\"1.0\" encoding=\"windows-1254\"?>"));
}

TEST(SoftHyphenFormTest, PassWritesAndRemovesEachForm) {
  hyphenation::TCorvaneHyphenator engine;
  engine.SetMark('_');
  MapWordLookup words;
  words.AddMarked("ki_tap");
  HyphenationPass pass(engine, &words, nullptr);
  const struct {
    SoftHyphenForm form;
    const char* result;
  } cases[] = {
      {SoftHyphenForm::kEntity, "<p>ki&shy;tap</p>"},
      {SoftHyphenForm::kNumeric, "<p>ki&#173;tap</p>"},
      {SoftHyphenForm::kCharacter, "<p>ki\xADtap</p>"},
  };
  for (const auto& c : cases) {
    pass.SetSoftHyphenForm(c.form);
    const std::string result = pass.HyphenateDocument("<p>kitap</p>");
    EXPECT_EQ(result, c.result);
    EXPECT_EQ(RemoveSoftHyphens(result, SoftHyphenCharacter::kCounted), "<p>kitap</p>");
  }
  EXPECT_EQ(SoftHyphenFormFor(true, true, SoftHyphenForm::kEntity), SoftHyphenForm::kCharacter);
  EXPECT_EQ(SoftHyphenFormFor(true, false, SoftHyphenForm::kEntity), SoftHyphenForm::kNumeric);
  EXPECT_EQ(SoftHyphenFormFor(false, true, SoftHyphenForm::kNumeric), SoftHyphenForm::kNumeric);
  EXPECT_EQ(SoftHyphenFormFor(false, false, SoftHyphenForm::kCharacter), SoftHyphenForm::kNumeric);
}

}  // namespace
}  // namespace corvane::html
