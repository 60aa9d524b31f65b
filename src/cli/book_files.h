// corvane hyphenate on e-books: every content document of a book through the
// document pass, on several threads when asked, then the book written anew
// (ebook/epub_book.h).
#ifndef CORVANE_CLI_BOOK_FILES_H_
#define CORVANE_CLI_BOOK_FILES_H_

#include <cstddef>
#include <functional>
#include <iosfwd>
#include <string>

#include "ebook/epub_book.h"

namespace corvane::cli {

struct BookDocumentResult {
  std::string bytes;
  std::size_t total_words = 0;
  std::size_t soft_hyphens = 0;
};

// Called as transform(thread, book, document, bytes) for each content
// document, threads numbered from 0; a thread's calls come one at a time.
using BookDocumentTransform =
    std::function<BookDocumentResult(std::size_t thread, const ebook::Book& book, std::size_t document,
                                     std::string bytes)>;

// Reads the book at `input`, transforms its content documents on up to
// `jobs` threads and writes the book to `output` (may be `input`). With
// `stats`, one line per document and one for the book go to `stats_out`.
// Throws corvane::Error; nothing is written then.
void TransformBook(const std::string& input, const std::string& output, int jobs,
                   const BookDocumentTransform& transform, bool stats, std::ostream& stats_out);

}  // namespace corvane::cli

#endif  // CORVANE_CLI_BOOK_FILES_H_
