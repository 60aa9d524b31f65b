// An e-book opened for hyphenation: a zip archive whose META-INF/container.xml
// names a package document whose manifest lists the content documents.
//
// Only the content documents (manifest items of type application/xhtml+xml)
// are read and replaced; every other entry (package document, stylesheets,
// pictures, fonts) is copied into the new archive exactly as it was stored,
// its compressed bytes included.
//
// The new archive:
//   entry 0      "mimetype", stored, no extra field, "application/epub+zip"
//                (the book's own entry, or a new one where it had none)
//   entries 1..  every other entry of the book in its order, with its name,
//                time, compression method and attributes; a replaced content
//                document is compressed anew with its old method
// It is written to a temporary file beside the target and renamed over it,
// so a failure leaves the target as it was.
//
// Refused with corvane::Error, touching nothing: archives the zip library
// finds damaged or inconsistent, encrypted entries, content documents under
// META-INF/encryption.xml (protected books), and zips that are no e-book
// (no container, another mimetype, no package document).
#ifndef CORVANE_EBOOK_EPUB_BOOK_H_
#define CORVANE_EBOOK_EPUB_BOOK_H_

#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

struct zip;

namespace corvane::ebook {

inline constexpr std::string_view kEpubMediaType = "application/epub+zip";

// A content document larger than this, or a book whose content documents
// together are, is refused rather than read: the results are held until the
// book is written.
inline constexpr std::uint64_t kMaxDocumentSize = std::uint64_t{1} << 28;
inline constexpr std::uint64_t kMaxContentSize = std::uint64_t{1} << 30;

class Book {
 public:
  // Opens and checks the book; throws corvane::Error naming the cause.
  explicit Book(const std::string& path);
  ~Book();
  Book(const Book&) = delete;
  Book& operator=(const Book&) = delete;

  // The package's dc:language ("tr", "en-US"), or empty.
  const std::string& Language() const { return language_; }
  std::size_t DocumentCount() const { return documents_.size(); }
  const std::string& DocumentName(std::size_t document) const { return documents_[document].name; }

  // The stored bytes of a content document, checked against the archive's
  // checksum. Safe to call from several threads at once.
  std::string ReadDocument(std::size_t document) const;

  // Writes the book to `path` (which may be the book's own), content
  // document i replaced by replaced[i] where that holds a value.
  void Write(const std::string& path, const std::vector<std::optional<std::string>>& replaced) const;

 private:
  struct Document {
    std::string name;
    std::uint64_t entry;
  };
  std::string ReadEntry(std::uint64_t entry, std::uint64_t limit) const;
  std::optional<std::uint64_t> FindEntry(const std::string& name) const;
  void CheckNotProtected() const;

  std::string path_;
  zip* archive_ = nullptr;
  mutable std::mutex mutex_;  // the zip library's archives serve one thread at a time
  std::string language_;
  std::vector<Document> documents_;
  std::optional<std::uint64_t> mimetype_;
};

// Whether the file at `path` is to be taken as an e-book: its name ends in
// ".epub" (any letter case), or it is a zip whose mimetype entry says
// application/epub+zip. Reads at most the archive's directory, and nothing
// of what is not a regular file.
bool IsEpubFile(const std::string& path);

}  // namespace corvane::ebook

#endif  // CORVANE_EBOOK_EPUB_BOOK_H_
