#include "ebook/book_pass.h"

#include <optional>
#include <vector>

#include "ebook/epub_book.h"
#include "ebook/epub_package.h"
#include "html/soft_hyphen_form.h"
#include "html/soft_hyphens.h"
#include "platform/text_codec.h"

namespace corvane::ebook {

BookFigures HyphenateBook(const std::string& input, const std::string& output, const DocumentPasses& hyphenate,
                          const BookProgress& progress) {
  const Book book(input);
  const std::optional<html::Language> language = PageLanguageOfTag(book.Language());
  BookFigures figures;
  figures.documents = book.DocumentCount();
  std::vector<std::optional<std::string>> replaced(book.DocumentCount());
  for (std::size_t i = 0; i < book.DocumentCount(); ++i) {
    const std::string original = book.ReadDocument(i);
    platform::DocumentText doc = platform::DecodeDocument(original, platform::Encoding::kAuto);
    if (!doc.utf8 && html::AsciiXmlIsUtf8(doc.text)) doc.utf8 = true;
    const html::SoftHyphenForm form = html::SoftHyphenFormFor(true, doc.utf8, html::SoftHyphenForm::kEntity);
    doc.text = html::RemoveSoftHyphens(
        doc.text, doc.utf8 ? html::SoftHyphenCharacter::kCounted : html::SoftHyphenCharacter::kIgnored);
    HyphenatedDocument done = hyphenate(BookDocument{doc, form, book.Language(), language});
    figures.words += done.words;
    figures.soft_hyphens += done.soft_hyphens;
    if (done.bytes != original) replaced[i] = std::move(done.bytes);
    if (progress) progress(i + 1, book.DocumentCount());
  }
  book.Write(output, replaced);
  return figures;
}

}  // namespace corvane::ebook
