// How the programs read and write documents.
//
// Inside, text is code page 1254 bytes. A file that is valid UTF-8 (with or
// without a byte-order mark) and not plain ASCII is decoded for the passes and
// written back as UTF-8, its mark kept as found; characters the code page
// cannot hold travel through as a stand-in byte and come back unchanged.
// A file that is not valid UTF-8 but declares UTF-8 (declared_charset.h) is
// UTF-8 with stray bytes: each byte that is not UTF-8 becomes a tab, so that
// it separates words and nothing is ever written inside it, and comes back as
// it was. Any other file is taken as code page 1254 bytes.
#ifndef CORVANE_PLATFORM_TEXT_CODEC_H_
#define CORVANE_PLATFORM_TEXT_CODEC_H_

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace corvane::platform {

enum class Encoding { kAuto, kUtf8, kCp1254 };

struct DocumentText {
  std::string text;  // code page 1254
  bool utf8 = false;
  bool bom = false;
  std::vector<char32_t> unmappable;  // in order, one per stand-in byte
  // Set for a UTF-8 page that holds bytes that are not UTF-8. Each of them is
  // a tab in `text`, and so is each of the page's own tabs; `tab_bytes` holds,
  // in order, the byte each tab of `text` stands for ('\t' or a stray byte).
  bool stray_bytes = false;
  std::string tab_bytes;
};

// kAuto reads the bytes as the comment at the top says. Throws corvane::Error
// when `encoding` is kUtf8 and the bytes are not UTF-8.
DocumentText DecodeDocument(std::string bytes, Encoding encoding);

// `text` in the form the document came in.
std::string EncodeDocument(std::string_view text, const DocumentText& original);

// The same conversion a piece at a time, for results too large to hold twice:
// Write() takes the text's pieces in order and hands each one, in the
// document's form, to `sink`. Characters the code page cannot hold come back
// as they were however the text is cut. The pieces handed on stay valid only
// during the call.
class DocumentEncoder {
 public:
  using Sink = std::function<void(std::string_view)>;

  DocumentEncoder(const DocumentText& original, Sink sink);

  void Write(std::string_view text);

 private:
  const DocumentText& original_;
  Sink sink_;
  std::size_t next_unmappable_ = 0;
  std::size_t next_tab_ = 0;
  bool bom_due_;
};

}  // namespace corvane::platform

#endif  // CORVANE_PLATFORM_TEXT_CODEC_H_
