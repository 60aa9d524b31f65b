#include "app/editor_text.h"

#include <QList>

#include "platform/codepage.h"
#include "platform/text_codec.h"

namespace corvane::app {

PassText ToPassText(const QString& text) {
  const QByteArray utf8 = text.toUtf8();
  platform::DecodedUtf8 decoded =
      platform::Utf8ToCp1254(std::string_view(utf8.constData(), static_cast<std::size_t>(utf8.size())));
  PassText result{std::move(decoded.text), std::move(decoded.unmappable)};
  if (decoded.had_bom) {
    // The mark is text here, not a file's signature: keep it as a stand-in.
    result.bytes.insert(result.bytes.begin(), static_cast<char>(platform::kUnmappablePlaceholder));
    result.unmappable.insert(result.unmappable.begin(), U'\uFEFF');
  }
  return result;
}

QString FromPassText(std::string_view bytes, const std::vector<char32_t>& unmappable) {
  const std::string utf8 =
      platform::Cp1254ToUtf8(bytes, unmappable, platform::kUnmappablePlaceholder, /*bom=*/false);
  // QString::fromUtf8 would take a leading U+FEFF for a signature and drop it.
  constexpr std::string_view kMark = "\xEF\xBB\xBF";
  const bool mark = std::string_view(utf8).substr(0, kMark.size()) == kMark;
  const std::size_t from = mark ? kMark.size() : 0;
  const QString text = QString::fromUtf8(utf8.data() + from, static_cast<qsizetype>(utf8.size() - from));
  return mark ? QChar(0xFEFF) + text : text;
}

LoadedDocument DecodeDocumentFile(const std::string& bytes) {
  LoadedDocument loaded;
  const bool ascii = platform::IsPlainAscii(bytes);
  platform::DocumentText doc = platform::DecodeDocument(bytes, platform::Encoding::kAuto);
  // The editor's Unicode text cannot carry bytes that are not UTF-8; read as
  // code page bytes, such a page is saved back as it came.
  if (doc.stray_bytes) doc = platform::DecodeDocument(bytes, platform::Encoding::kCp1254);
  loaded.format.utf8 = doc.utf8 || ascii;
  loaded.format.bom = doc.bom;
  loaded.text = FromPassText(doc.text, doc.unmappable);
  loaded.format.crlf = loaded.text.contains("\r\n");
  if (loaded.format.crlf) loaded.text.replace("\r\n", "\n");
  return loaded;
}

namespace {

std::string ToCp1254WithReferences(const QString& text) {
  std::string out;
  out.reserve(static_cast<std::size_t>(text.size()));
  for (const uint c : text.toUcs4()) {
    if (const auto byte = platform::UnicodeToCp1254(static_cast<char32_t>(c))) {
      out += static_cast<char>(*byte);
    } else {
      out += "&#" + std::to_string(c) + ";";
    }
  }
  return out;
}

}  // namespace

std::string EncodeDocumentFile(const QString& text, const DocumentFormat& format) {
  QString lines = text;
  if (format.crlf) lines.replace("\n", "\r\n");
  if (!format.utf8) return ToCp1254WithReferences(lines);
  const QByteArray utf8 = lines.toUtf8();
  std::string out = format.bom ? "\xEF\xBB\xBF" : "";
  out.append(utf8.constData(), static_cast<std::size_t>(utf8.size()));
  return out;
}

}  // namespace corvane::app
