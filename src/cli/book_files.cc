#include "cli/book_files.h"

#include <exception>
#include <mutex>
#include <optional>
#include <ostream>
#include <vector>

#include "cli/parallel_files.h"

namespace corvane::cli {

void TransformBook(const std::string& input, const std::string& output, int jobs,
                   const BookDocumentTransform& transform, bool stats, std::ostream& stats_out) {
  const ebook::Book book(input);
  const std::size_t count = book.DocumentCount();
  // Only changed documents are held; the rest are copied as stored.
  std::vector<std::optional<std::string>> replaced(count);
  std::vector<BookDocumentResult> figures(count);
  std::exception_ptr failure;
  std::mutex failure_mutex;
  RunInParallel(count, jobs, [&](std::size_t thread, std::size_t i) {
    try {
      {
        std::lock_guard<std::mutex> lock(failure_mutex);
        if (failure) return;
      }
      std::string original = book.ReadDocument(i);
      BookDocumentResult result = transform(thread, book, i, original);
      if (result.bytes != original) {
        // Grown piece by piece, a result may hold up to twice its size;
        // the book holds every result until it is written.
        result.bytes.shrink_to_fit();
        replaced[i] = std::move(result.bytes);
      }
      result.bytes.clear();
      figures[i] = std::move(result);
    } catch (...) {
      std::lock_guard<std::mutex> lock(failure_mutex);
      if (!failure) failure = std::current_exception();
    }
  });
  if (failure) std::rethrow_exception(failure);
  book.Write(output, replaced);

  if (!stats) return;
  BookDocumentResult total;
  for (std::size_t i = 0; i < count; ++i) {
    stats_out << book.DocumentName(i) << ": Total Words : " << figures[i].total_words
              << ", Soft Hyphens : " << figures[i].soft_hyphens << "\n";
    total.total_words += figures[i].total_words;
    total.soft_hyphens += figures[i].soft_hyphens;
  }
  stats_out << input << ": Documents : " << count << ", Total Words : " << total.total_words
            << ", Soft Hyphens : " << total.soft_hyphens << "\n";
}

}  // namespace corvane::cli
