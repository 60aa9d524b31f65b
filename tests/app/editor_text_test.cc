#include "app/editor_text.h"

#include <gtest/gtest.h>

namespace corvane::app {
namespace {

// Opening and saving an unedited file gives its bytes back; the editor sees
// Unicode with LF line ends.
TEST(EditorTextTest, FilesRoundTripInTheirOwnForm) {
  const struct {
    const char* what;
    std::string bytes;
    QString text;
    bool utf8, bom, crlf;
  } kCases[] = {
      {"UTF-8 with BOM, CR LF", "\xEF\xBB\xBFg\xC3\xBCl \xE2\x9C\x93\r\nx", QString::fromUtf8("g\xC3\xBCl \xE2\x9C\x93\nx"),
       true, true, true},
      {"UTF-8, LF", "\xC5\x9F" "ey\n", QString::fromUtf8("\xC5\x9F" "ey\n"), true, false, false},
      {"code page 1254", "\xFE" "ey \x80\r\n", QString::fromUtf8("\xC5\x9F" "ey \xE2\x82\xAC\n"), false, false, true},
      {"plain ASCII counts as UTF-8", "<p>a</p>", "<p>a</p>", true, false, false},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.what);
    const LoadedDocument loaded = DecodeDocumentFile(c.bytes);
    EXPECT_EQ(loaded.text, c.text);
    EXPECT_EQ(loaded.format.utf8, c.utf8);
    EXPECT_EQ(loaded.format.bom, c.bom);
    EXPECT_EQ(loaded.format.crlf, c.crlf);
    EXPECT_EQ(EncodeDocumentFile(loaded.text, loaded.format), c.bytes);
  }
}

TEST(EditorTextTest, CharactersTheCodePageLacks) {
  // In a code page 1254 document they are written as character references.
  EXPECT_EQ(EncodeDocumentFile(QString::fromUtf8("\xC4\x81\xF0\x9F\x98\x80 \xC3\xA7"), {false, false, false}),
            "&#257;&#128512; \xE7");
  // Through the passes they travel as stand-ins and come back unchanged.
  const QString text = QChar(0xFEFF) + QString::fromUtf8("a\xC4\x81 \xF0\x9F\x98\x80\xC2\x8F");
  const PassText pass = ToPassText(text);
  EXPECT_EQ(pass.bytes, "\x8F" "a\x8F \x8F\x8F");
  EXPECT_EQ(FromPassText(pass.bytes, pass.unmappable), text);
}

}  // namespace
}  // namespace corvane::app
