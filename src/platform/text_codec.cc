#include "platform/text_codec.h"

#include <algorithm>
#include <span>
#include <utility>

#include "platform/codepage.h"
#include "platform/declared_charset.h"
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

// A UTF-8 page with stray bytes, read stretch by stretch: each valid stretch
// as any UTF-8 page, each stray byte as a tab, the page's own tabs noted too.
void DecodeWithStrayBytes(std::string_view bytes, DocumentText& doc) {
  constexpr std::string_view kBom = "\xEF\xBB\xBF";
  doc.utf8 = doc.stray_bytes = true;
  doc.bom = bytes.starts_with(kBom);
  if (doc.bom) bytes.remove_prefix(kBom.size());
  doc.text.reserve(bytes.size());
  while (!bytes.empty()) {
    const std::size_t valid = ValidUtf8Prefix(bytes);
    // Runs of stray bytes, however long, cost no conversion.
    if (valid > 0) {
      DecodedUtf8 decoded = Utf8ToCp1254(bytes.substr(0, valid), kUnmappablePlaceholder);
      if (decoded.had_bom) {
        // Only the page's first bytes are its byte-order mark; this one is text.
        doc.text.push_back(static_cast<char>(kUnmappablePlaceholder));
        doc.unmappable.push_back(U'\uFEFF');
      }
      const auto tabs = std::count(decoded.text.begin(), decoded.text.end(), '\t');
      doc.tab_bytes.append(static_cast<std::size_t>(tabs), '\t');
      doc.text.append(decoded.text);
      doc.unmappable.insert(doc.unmappable.end(), decoded.unmappable.begin(), decoded.unmappable.end());
    }
    if (valid == bytes.size()) break;
    doc.text.push_back('\t');
    doc.tab_bytes.push_back(bytes[valid]);
    bytes.remove_prefix(valid + 1);
  }
}

// Puts back, in place, the byte each tab of a UTF-8 conversion stands for;
// `next` counts the tabs met so far. Tabs are the only 0x09 bytes of UTF-8.
void RestoreTabBytes(std::string& utf8, const std::string& tab_bytes, std::size_t& next) {
  for (std::size_t at = utf8.find('\t'); at != std::string::npos; at = utf8.find('\t', at + 1)) {
    if (next < tab_bytes.size()) utf8[at] = tab_bytes[next];
    ++next;
  }
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
      if (IsPlainAscii(bytes)) break;
      as_utf8 = IsValidUtf8(bytes);
      if (!as_utf8 && DeclaresUtf8(bytes)) {
        DecodeWithStrayBytes(bytes, doc);
        return doc;
      }
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
  std::string utf8 = Cp1254ToUtf8(text, original.unmappable, kUnmappablePlaceholder, original.bom);
  std::size_t next_tab = 0;
  if (original.stray_bytes) RestoreTabBytes(utf8, original.tab_bytes, next_tab);
  return utf8;
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
    std::string utf8 = Cp1254ToUtf8(slice, unmappable.subspan(first, count), kUnmappablePlaceholder, bom_due_);
    if (original_.stray_bytes) RestoreTabBytes(utf8, original_.tab_bytes, next_tab_);
    sink_(utf8);
    next_unmappable_ += placeholders;
    bom_due_ = false;
  }
}

}  // namespace corvane::platform
