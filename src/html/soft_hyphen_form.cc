#include "html/soft_hyphen_form.h"

#include <algorithm>

#include "html/soft_hyphen_inserter.h"

namespace corvane::html {
namespace {

constexpr std::string_view kXhtmlNamespace = "http://www.w3.org/1999/xhtml";

char FoldAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c; }

bool EndsWithIgnoringCase(std::string_view text, std::string_view suffix) {
  if (text.size() < suffix.size()) return false;
  const std::string_view tail = text.substr(text.size() - suffix.size());
  return std::equal(tail.begin(), tail.end(), suffix.begin(),
                    [](char a, char b) { return FoldAscii(a) == b; });
}

bool IsXmlSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

// Past a UTF-8 byte-order mark and white space.
std::size_t ContentStart(std::string_view bytes) {
  std::size_t i = bytes.substr(0, 3) == "\xEF\xBB\xBF" ? 3 : 0;
  while (i < bytes.size() && IsXmlSpace(bytes[i])) ++i;
  return i;
}

// The root element's start tag, between "<" and ">": declarations,
// processing instructions and comments before it are passed over.
std::string_view RootTag(std::string_view bytes) {
  std::size_t i = ContentStart(bytes);
  while ((i = bytes.find('<', i)) != std::string_view::npos && i + 1 < bytes.size()) {
    const char next = bytes[i + 1];
    std::string_view end_mark = ">";
    if (bytes.compare(i, 4, "<!--") == 0) {
      end_mark = "-->";
    } else if (next == '?') {
      end_mark = "?>";
    } else if (next != '!') {
      const std::size_t close = bytes.find('>', i);
      return bytes.substr(i + 1, close == std::string_view::npos ? std::string_view::npos : close - i - 1);
    }
    // A doctype's internal subset holds ">" of its own; it ends at "]>".
    if (next == '!' && end_mark == ">") {
      const std::size_t bracket = bytes.find('[', i);
      const std::size_t close = bytes.find('>', i);
      if (bracket < close) end_mark = "]>";
    }
    const std::size_t end = bytes.find(end_mark, i + 2);
    if (end == std::string_view::npos) return {};
    i = end + end_mark.size();
  }
  return {};
}

}  // namespace

std::string_view SoftHyphenText(SoftHyphenForm form) {
  switch (form) {
    case SoftHyphenForm::kNumeric:
      return "&#173;";
    case SoftHyphenForm::kCharacter:
      return "\xAD";
    case SoftHyphenForm::kEntity:
      break;
  }
  return kSoftHyphen;
}

bool IsXmlDocument(std::string_view bytes, std::string_view file_name) {
  for (std::string_view suffix : {".xhtml", ".xht", ".svg"}) {
    if (EndsWithIgnoringCase(file_name, suffix)) return true;
  }
  if (bytes.compare(ContentStart(bytes), 5, "<?xml") == 0) return true;
  const std::string_view root = RootTag(bytes);
  for (std::size_t at = root.find("xmlns"); at != std::string_view::npos; at = root.find("xmlns", at + 5)) {
    std::size_t k = at + 5;
    if (k >= root.size() || root[k] != '=') continue;  // a prefixed namespace, such as xmlns:epub
    ++k;
    if (k < root.size() && (root[k] == '"' || root[k] == '\'')) ++k;
    if (root.compare(k, kXhtmlNamespace.size(), kXhtmlNamespace) == 0) return true;
  }
  return false;
}

bool XmlDeclaresUtf8(std::string_view bytes) {
  const std::size_t start = ContentStart(bytes);
  if (bytes.compare(start, 5, "<?xml") != 0) return true;
  const std::size_t end = bytes.find("?>", start);
  const std::string_view declaration = bytes.substr(start, end == std::string_view::npos ? 0 : end - start);
  const std::size_t at = declaration.find("encoding");
  if (at == std::string_view::npos) return true;
  const std::size_t quote = declaration.find_first_of("\"'", at);
  if (quote == std::string_view::npos) return true;
  std::string name;
  for (std::size_t k = quote + 1; k < declaration.size() && declaration[k] != declaration[quote]; ++k) {
    name.push_back(FoldAscii(declaration[k]));
  }
  return name == "utf-8" || name == "utf8";
}

bool AsciiXmlIsUtf8(std::string_view text) {
  return std::all_of(text.begin(), text.end(), [](char c) { return (c & 0x80) == 0; }) && XmlDeclaresUtf8(text);
}

SoftHyphenForm SoftHyphenFormFor(bool xml, bool utf8, SoftHyphenForm html_form) {
  if (xml) html_form = SoftHyphenForm::kCharacter;
  return html_form == SoftHyphenForm::kCharacter && !utf8 ? SoftHyphenForm::kNumeric : html_form;
}

}  // namespace corvane::html
