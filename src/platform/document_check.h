// What a document's first bytes say about it, before any byte is changed.
//
// Both front ends hyphenate text: HTML or plain text in a single-byte code
// or UTF-8. Anything else would be damaged by the soft hyphens written
// between its "syllables" (a zip whose "IHDR" became "IH&shy;DR" no longer
// opens), so it is refused while the file is still as it was. The check
// looks only at the start of the data, so that it costs nothing on large
// pages and can run before the rest of an endless input is read.
#ifndef CORVANE_PLATFORM_DOCUMENT_CHECK_H_
#define CORVANE_PLATFORM_DOCUMENT_CHECK_H_

#include <cstddef>
#include <string_view>

namespace corvane::platform {

// How much of the start CheckDocument looks at for NUL bytes.
inline constexpr std::size_t kDocumentHeadBytes = 64 << 10;

// What the start of the data is. Callers that accept one of the refused
// kinds on purpose (a zip that is an e-book) tell it by its kind.
enum class DocumentKind {
  kText,  // nothing refuses it: hyphenate it
  kUtf16,
  kUtf32,
  kZip,
  kPng,
  kGif,
  kJpeg,
  kPdf,
  kElf,
  kGzip,
  kNulBytes,  // no known signature, but a NUL byte no text holds
};

// Byte-order marks first (a UTF-32 little-endian mark starts as the UTF-16
// one does), then signatures, then NUL bytes in the first
// kDocumentHeadBytes. `data` may be the whole document or only its start.
DocumentKind CheckDocument(std::string_view data);

// For the user, in a message: "zip archive", "UTF-16 text", "NUL bytes"...;
// empty for kText.
std::string_view DocumentKindName(DocumentKind kind);

}  // namespace corvane::platform

#endif  // CORVANE_PLATFORM_DOCUMENT_CHECK_H_
