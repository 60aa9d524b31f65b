// Text between the editor (Unicode) and the passes (code page 1254 bytes).
//
// Characters the code page lacks travel as a stand-in byte with their code
// points kept aside, as in `corvane`, so they survive a hyphenation round
// trip. Documents on disk keep the encoding and the line endings they came
// with: UTF-8 (with or without a byte-order mark) or code page 1254, LF or
// CR LF; the editor always holds LF.
#ifndef CORVANE_APP_EDITOR_TEXT_H_
#define CORVANE_APP_EDITOR_TEXT_H_

#include <QString>
#include <string>
#include <string_view>
#include <vector>

namespace corvane::app {

struct PassText {
  std::string bytes;                 // code page 1254
  std::vector<char32_t> unmappable;  // one per stand-in byte, in order
};

PassText ToPassText(const QString& text);
QString FromPassText(std::string_view bytes, const std::vector<char32_t>& unmappable);

struct DocumentFormat {
  bool utf8 = true;  // a new document is saved as UTF-8
  bool bom = false;
  bool crlf = false;
};

struct LoadedDocument {
  QString text;  // LF line ends
  DocumentFormat format;
};

// A file that is valid UTF-8 is read as UTF-8 (plain ASCII too, so that what
// the user adds later is written as UTF-8); anything else as code page 1254.
// It counts as CR LF when it holds a CR LF.
LoadedDocument DecodeDocumentFile(const std::string& bytes);

// The editor's text in the document's own form. A character that code page
// 1254 cannot hold is written as a numeric character reference ("&#8364;"
// style), which every browser reads back as the character.
std::string EncodeDocumentFile(const QString& text, const DocumentFormat& format);

}  // namespace corvane::app

#endif  // CORVANE_APP_EDITOR_TEXT_H_
