// The documents the main window opens, saves and previews, as bytes on disk.
//
// A failure carries the program's own message ("Cannot open file %s",
// "Cannot create file %s", "Text exceeds memo capacity") and, on a second
// line, the reason in words the user can act on: a folder where a file was
// expected, a part of the path that is a file, a file of binary data, a
// file the system refuses to read, a folder the system refuses to write.
#ifndef CORVANE_APP_DOCUMENT_FILE_H_
#define CORVANE_APP_DOCUMENT_FILE_H_

#include <QString>
#include <string>
#include <string_view>

namespace corvane::app {

// More than any page a person edits, and what the editor loads in a few
// seconds; a larger file is refused before it is read.
inline constexpr qint64 kMaxDocumentBytes = 32ll << 20;

// The whole file. Refuses what is not a regular file, what is larger than
// kMaxDocumentBytes (even when it grows while being read), what the
// command-line tool refuses too (binary signatures, UTF-16 and UTF-32) and
// what holds a NUL byte, which no text the editor shows can hold.
std::string ReadDocumentFile(const QString& path);

// Writes through a temporary file renamed over `path`, so a failure leaves
// what was there untouched.
void WriteDocumentFile(const QString& path, std::string_view bytes);

// Why no file can be created at `path` (its folder is missing, is a file,
// or refuses it), found by creating and removing a file beside it; empty
// when one can. For messages of writers that do not say why.
QString CreateProblem(const std::string& path);

}  // namespace corvane::app

#endif  // CORVANE_APP_DOCUMENT_FILE_H_
