// A whole book through the caller's passes, one content document after
// another, for callers that hyphenate a book at a time (the desktop
// program). Each document is read as `corvane hyphenate` reads it: UTF-8 or
// code page 1254, XML always, so it gets the soft hyphen XML reads, its
// own soft hyphens removed first, and the book's dc:language where the
// document names none.
#ifndef CORVANE_EBOOK_BOOK_PASS_H_
#define CORVANE_EBOOK_BOOK_PASS_H_

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "html/language.h"
#include "html/soft_hyphen_form.h"
#include "platform/text_codec.h"

namespace corvane::ebook {

struct BookFigures {
  std::size_t documents = 0;
  std::size_t words = 0;
  std::size_t soft_hyphens = 0;
};

// One content document as the passes take it. `text.text` is its plain
// text (code page 1254, its own soft hyphens removed); the rest of `text`
// says how the result goes back into the document's own bytes.
struct BookDocument {
  const platform::DocumentText& text;
  html::SoftHyphenForm soft_hyphen;
  std::string_view book_tag;                    // the book's dc:language; empty when it has none
  std::optional<html::Language> book_language;  // that tag as the classic pass reads it
};

struct HyphenatedDocument {
  std::string bytes;  // in the document's own encoding
  std::size_t words = 0;
  std::size_t soft_hyphens = 0;
};

// The caller's passes (engine, lookup, language setting, exclusions) over
// one document.
using DocumentPasses = std::function<HyphenatedDocument(const BookDocument& document)>;

// Called after each document with the number done and the total.
using BookProgress = std::function<void(std::size_t done, std::size_t total)>;

// Hyphenates the book at `input` into `output` (may be the same file);
// throws corvane::Error, writing nothing, for a book it cannot take.
BookFigures HyphenateBook(const std::string& input, const std::string& output, const DocumentPasses& hyphenate,
                          const BookProgress& progress = {});

}  // namespace corvane::ebook

#endif  // CORVANE_EBOOK_BOOK_PASS_H_
