#include <QPlainTextEdit>
#include <QTextCursor>

#include "app_test_util.h"
#include "support/zip_maker.h"

namespace corvane::app {
namespace {

TEST_F(AppTest, NeverHyphenateIsCheckedRememberedAndApplied) {
  TMainForm& form = Start();
  dialogs_.text_answers = {"h1 p", "h1, .keep"};
  form.Action("NeverHyphenate1")->trigger();  // refused, not remembered
  EXPECT_EQ(errors_.size(), 1);
  EXPECT_EQ(settings_->NeverHyphenate(), "");
  form.Action("NeverHyphenate1")->trigger();
  EXPECT_EQ(settings_->NeverHyphenate(), "h1, .keep");
  form.Editor()->setPlainText("<h1>kitap</h1><p class=keep>kitap</p><var>kitap</var><p>kitap</p>");
  form.Action("HypenateText1")->trigger();
  EXPECT_EQ(form.Editor()->toPlainText(), "<h1>kitap</h1><p class=keep>kitap</p><var>kitap</var><p>ki&shy;tap</p>");
  // A selection inside such an element stays whole too.
  form.Editor()->setPlainText("<h1>kitap</h1><p>kitap</p>");
  for (int start : {4, 17}) {
    QTextCursor cursor = form.Editor()->textCursor();
    cursor.setPosition(start);
    cursor.setPosition(start + 5, QTextCursor::KeepAnchor);
    form.Editor()->setTextCursor(cursor);
    form.Action("Save1")->trigger();
  }
  EXPECT_EQ(form.Editor()->toPlainText(), "<h1>kitap</h1><p>ki&shy;tap</p>");
  // The next start reads the list back.
  TMainForm& again = Start();
  again.Editor()->setPlainText("<h1>kitap</h1>");
  again.Action("HypenateText1")->trigger();
  EXPECT_EQ(again.Editor()->toPlainText(), "<h1>kitap</h1>");
}

TEST_F(AppTest, XhtmlPagesAndBooks) {
  TMainForm& form = Start();
  WriteFile("page.xhtml", "<?xml version=\"1.0\"?><p>kitap</p>");
  form.OpenFile(Path("page.xhtml"));
  form.Action("HypenateText1")->trigger();
  EXPECT_EQ(form.Editor()->toPlainText(), "<?xml version=\"1.0\"?><p>ki\u00ADtap</p>");

  const std::string page =
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<html xmlns=\"http://www.w3.org/1999/xhtml\"><body><p>kitap "
      "kitaplar</p></body></html>";
  test_support::MakeZip(StdPath("book.epub"),
                        {{"mimetype", "application/epub+zip", true},
                         {"META-INF/container.xml",
                          "<container xmlns=\"urn:oasis:names:tc:opendocument:xmlns:container\"><rootfiles><rootfile "
                          "full-path=\"p.opf\" media-type=\"application/oebps-package+xml\"/></rootfiles></container>"},
                         {"p.opf",
                          "<package xmlns=\"http://www.idpf.org/2007/opf\"><metadata xmlns:dc=\"http://purl.org/dc/"
                          "elements/1.1/\"><dc:language>tr</dc:language></metadata><manifest><item href=\"a.xhtml\" "
                          "media-type=\"application/xhtml+xml\"/></manifest></package>"},
                         {"a.xhtml", page}});
  dialogs_.open_answers = {Path("book.epub"), Path("book.epub")};
  form.Action("HyphenateEbook1")->trigger();
  ASSERT_EQ(dialogs_.messages.size(), 1);
  EXPECT_EQ(dialogs_.messages[0], "book.hyphenated.epub\n\nDocuments: 1\nWords: 2\nSoft hyphens: 3");
  EXPECT_TRUE(QFileInfo::exists(Path("book.hyphenated.epub")));
  // A second run asks where rather than replacing the first; cancelled, nothing is written.
  form.Action("HyphenateEbook1")->trigger();
  EXPECT_EQ(dialogs_.proposed_names.last(), Path("book.hyphenated.epub"));
  EXPECT_EQ(dialogs_.messages.size(), 1);
}

}  // namespace
}  // namespace corvane::app
