#include "platform/text_codec.h"

#include "platform/codepage.h"
#include "platform/error.h"

namespace corvane::platform {

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
  return Cp1254ToUtf8(text, original.unmappable, kUnmappablePlaceholder,
                                original.bom);
}

}  // namespace corvane::platform
