#include "platform/text_codec.h"

#include <algorithm>
#include <span>
#include <utility>

#include "platform/codepage.h"
#include "platform/error.h"

namespace corvane::platform {
namespace {

// The placeholder is rare, so a fast search from one to the next beats
// looking at every byte.
std::size_t CountPlaceholders(std::string_view text) {
  std::size_t count = 0;
  for (std::size_t at = text.find(static_cast<char>(kUnmappablePlaceholder)); at != std::string_view::npos;
       at = text.find(static_cast<char>(kUnmappablePlaceholder), at + 1)) {
    ++count;
  }
  return count;
}

}  // namespace

DocumentText DecodeDocument(std::string bytes, Encoding encoding) {
  DocumentText doc;
  bool as_utf8 = false;
  switch (encoding) {
    case Encoding::kCp1254:
      break;
    case Encoding::kUtf8:
      if (!IsValidUtf8(bytes)) throw Error("not valid UTF-8");
      as_utf8 = true;
      break;
    case Encoding::kAuto:
      as_utf8 = !IsPlainAscii(bytes) && IsValidUtf8(bytes);
      break;
  }
  if (!as_utf8) {
    doc.text = std::move(bytes);
    return doc;
  }
  DecodedUtf8 decoded = Utf8ToCp1254(bytes, kUnmappablePlaceholder);
  doc.text = std::move(decoded.text);
  doc.unmappable = std::move(decoded.unmappable);
  doc.bom = decoded.had_bom;
  doc.utf8 = true;
  return doc;
}

std::string EncodeDocument(std::string_view text, const DocumentText& original) {
  if (!original.utf8) return std::string(text);
  return Cp1254ToUtf8(text, original.unmappable, kUnmappablePlaceholder, original.bom);
}

DocumentEncoder::DocumentEncoder(const DocumentText& original, Sink sink)
    : original_(original), sink_(std::move(sink)), bom_due_(original.utf8 && original.bom) {}

void DocumentEncoder::Write(std::string_view text) {
  if (!original_.utf8) {
    if (!text.empty()) sink_(text);
    return;
  }
  // Converted in slices so that the UTF-8 copy in hand stays small whatever
  // the size of the piece.
  constexpr std::size_t kSlice = 1 << 16;
  const std::span<const char32_t> unmappable(original_.unmappable);
  // An empty first piece still writes the byte-order mark of an empty file.
  for (std::size_t at = 0; at < text.size() || bom_due_; at += kSlice) {
    const std::string_view slice = text.substr(at, kSlice);
    const std::size_t placeholders = CountPlaceholders(slice);
    const std::size_t first = std::min(next_unmappable_, unmappable.size());
    const std::size_t count = std::min(placeholders, unmappable.size() - first);
    sink_(Cp1254ToUtf8(slice, unmappable.subspan(first, count), kUnmappablePlaceholder, bom_due_));
    next_unmappable_ += placeholders;
    bom_due_ = false;
  }
}

}  // namespace corvane::platform
