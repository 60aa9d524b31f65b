// A whole book through the whole-document pass, one content document after
// another, for callers that hyphenate a book at a time (the desktop
// program). Each document is read as `corvane hyphenate` reads it: UTF-8 or
// code page 1254, XML always, so it gets the soft hyphen XML reads, its
// own soft hyphens removed first, and the book's dc:language where the
// document names none.
#ifndef CORVANE_EBOOK_BOOK_PASS_H_
#define CORVANE_EBOOK_BOOK_PASS_H_

#include <cstddef>
#include <functional>
#include <string>

#include "html/hyphenation_pass.h"

namespace corvane::ebook {

struct BookFigures {
  std::size_t documents = 0;
  std::size_t words = 0;
  std::size_t soft_hyphens = 0;
};

// A pass set up as the caller wants it (engine, lookup, language setting,
// exclusions), for a document that is UTF-8 or not.
using PassMaker = std::function<html::HyphenationPass(bool utf8_document)>;

// Called after each document with the number done and the total.
using BookProgress = std::function<void(std::size_t done, std::size_t total)>;

// Hyphenates the book at `input` into `output` (may be the same file);
// throws corvane::Error, writing nothing, for a book it cannot take.
BookFigures HyphenateBook(const std::string& input, const std::string& output, const PassMaker& make_pass,
                          const BookProgress& progress = {});

}  // namespace corvane::ebook

#endif  // CORVANE_EBOOK_BOOK_PASS_H_
