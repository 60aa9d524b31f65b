#include "ebook/epub_package.h"

#include <gtest/gtest.h>

#include "platform/error.h"

namespace corvane::ebook {
namespace {

TEST(EpubPackageTest, HrefsResolveInsideTheBook) {
  const struct {
    const char* base;
    const char* href;
    const char* name;
  } cases[] = {
      {"OEBPS/content.opf", "text/ch%201.xhtml#top", "OEBPS/text/ch 1.xhtml"},
      {"OEBPS/content.opf", "./a/../b.xhtml", "OEBPS/b.xhtml"},
      {"content.opf", "c.xhtml", "c.xhtml"},
      {"OEBPS/content.opf", "../../escape.xhtml", ""},
      {"OEBPS/content.opf", "/abs.xhtml", ""},
      {"OEBPS/content.opf", "http://example.com/x.xhtml", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(ResolveHref(c.base, c.href), c.name) << c.href;
}

TEST(EpubPackageTest, ReadsContainerAndManifest) {
  EXPECT_EQ(PackagePathOfContainer(
                "<container xmlns='urn:oasis:names:tc:opendocument:xmlns:container'><rootfiles>"
                "<rootfile full-path='other.pdf' media-type='application/pdf'/>"
                "<rootfile full-path='OPS/book.opf' media-type='application/oebps-package+xml'/>"
                "</rootfiles></container>"),
            "OPS/book.opf");
  const PackageContents contents = ReadPackage(
      "<package xmlns='http://www.idpf.org/2007/opf'><metadata xmlns:d='http://purl.org/dc/elements/1.1/'>"
      "<d:language> tr-TR </d:language><d:language>en</d:language></metadata><manifest>"
      "<item href='a.xhtml' media-type='application/xhtml+xml'/><item href='s.css' media-type='text/css'/>"
      "<item href='a.xhtml' media-type='application/xhtml+xml'/><item href='p.svg' media-type='image/svg+xml'/>"
      "<item href='b.xhtml' media-type='application/xhtml+xml'/></manifest></package>",
      "OPS/book.opf");
  EXPECT_EQ(contents.language, "tr-TR");
  EXPECT_EQ(contents.content_documents, (std::vector<std::string>{"OPS/a.xhtml", "OPS/b.xhtml"}));
  EXPECT_EQ(PageLanguageOfTag("TR-tr"), html::Language::kTurkish);
  EXPECT_EQ(PageLanguageOfTag("de"), html::Language::kEnglish);
  EXPECT_EQ(PageLanguageOfTag(""), std::nullopt);

  EXPECT_THROW(PackagePathOfContainer("<container><rootfiles/></container>"), Error);
  EXPECT_THROW(ReadPackage("<package><unclosed></package>", "p.opf"), Error);
}

}  // namespace
}  // namespace corvane::ebook
