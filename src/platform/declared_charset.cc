#include "platform/declared_charset.h"

#include <algorithm>

namespace corvane::platform {
namespace {

constexpr std::string_view kNone = "";

char Lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c; }

bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f'; }

bool StartsWithIgnoringCase(std::string_view s, std::string_view prefix) {
  if (s.size() < prefix.size()) return false;
  for (std::size_t i = 0; i < prefix.size(); ++i) {
    if (Lower(s[i]) != prefix[i]) return false;
  }
  return true;
}

std::string Label(std::string_view value) {
  while (!value.empty() && IsSpace(value.front())) value.remove_prefix(1);
  while (!value.empty() && IsSpace(value.back())) value.remove_suffix(1);
  std::string label(value);
  std::transform(label.begin(), label.end(), label.begin(), Lower);
  return label;
}

// Reads tag attributes from `at` (just past the tag name) to the tag's ">".
class AttributeReader {
 public:
  AttributeReader(std::string_view text, std::size_t at) : text_(text), at_(at) {}

  // The next attribute, false at the end of the tag or the text.
  bool Next(std::string& name, std::string_view& value) {
    while (at_ < text_.size() && (IsSpace(text_[at_]) || text_[at_] == '/')) ++at_;
    if (at_ >= text_.size() || text_[at_] == '>') return false;
    const std::size_t name_start = at_;
    while (at_ < text_.size() && !IsSpace(text_[at_]) && text_[at_] != '/' && text_[at_] != '>' &&
           (text_[at_] != '=' || at_ == name_start)) {
      ++at_;
    }
    name = Label(text_.substr(name_start, at_ - name_start));
    value = kNone;
    SkipSpaces();
    if (at_ >= text_.size() || text_[at_] != '=') return true;
    ++at_;
    SkipSpaces();
    if (at_ < text_.size() && (text_[at_] == '"' || text_[at_] == '\'')) {
      const std::size_t close = text_.find(text_[at_], at_ + 1);
      const std::size_t end = close == std::string_view::npos ? text_.size() : close;
      value = text_.substr(at_ + 1, end - at_ - 1);
      at_ = std::min(end + 1, text_.size());
    } else {
      const std::size_t start = at_;
      while (at_ < text_.size() && !IsSpace(text_[at_]) && text_[at_] != '>') ++at_;
      value = text_.substr(start, at_ - start);
    }
    return true;
  }

 private:
  void SkipSpaces() {
    while (at_ < text_.size() && IsSpace(text_[at_])) ++at_;
  }

  std::string_view text_;
  std::size_t at_;
};

// The charset named in an http-equiv content value: "charset", "=", then a
// quoted value or one up to a space or ";".
std::string CharsetOfContent(std::string_view content) {
  for (std::size_t at = 0; at + 7 <= content.size(); ++at) {
    if (!StartsWithIgnoringCase(content.substr(at), "charset")) continue;
    std::size_t k = at + 7;
    while (k < content.size() && IsSpace(content[k])) ++k;
    if (k >= content.size() || content[k] != '=') continue;
    ++k;
    while (k < content.size() && IsSpace(content[k])) ++k;
    if (k < content.size() && (content[k] == '"' || content[k] == '\'')) {
      const std::size_t close = content.find(content[k], k + 1);
      if (close == std::string_view::npos) return {};
      return Label(content.substr(k + 1, close - k - 1));
    }
    std::size_t end = k;
    while (end < content.size() && !IsSpace(content[end]) && content[end] != ';') ++end;
    return Label(content.substr(k, end - k));
  }
  return {};
}

// The charset of the <meta> element whose attributes start at `at`, or empty.
std::string CharsetOfMeta(std::string_view text, std::size_t at) {
  AttributeReader reader(text, at);
  std::string name;
  std::string_view value;
  std::string_view content;
  bool content_type = false;
  while (reader.Next(name, value)) {
    if (name == "charset") return Label(value);
    if (name == "content") content = value;
    if (name == "http-equiv") content_type = Label(value) == "content-type";
  }
  return content_type ? CharsetOfContent(content) : std::string();
}

std::string CharsetOfXmlDeclaration(std::string_view text) {
  const std::size_t end = text.find("?>");
  AttributeReader reader(text.substr(0, end), 5);
  std::string name;
  std::string_view value;
  while (reader.Next(name, value)) {
    if (name == "encoding") return Label(value);
  }
  return {};
}

}  // namespace

std::string DeclaredCharset(std::string_view page) {
  if (page.starts_with("\xEF\xBB\xBF")) return "utf-8";
  const std::string_view head = page.substr(0, kDeclarationWindow);
  if (head.starts_with("<?xml") && head.size() > 5 && IsSpace(head[5])) {
    if (std::string label = CharsetOfXmlDeclaration(head); !label.empty()) return label;
  }
  for (std::size_t at = head.find('<'); at != std::string_view::npos; at = head.find('<', at + 1)) {
    if (head.compare(at, 4, "<!--") == 0) {
      const std::size_t close = head.find("-->", at + 4);
      if (close == std::string_view::npos) break;
      at = close + 2;
      continue;
    }
    if (!StartsWithIgnoringCase(head.substr(at + 1), "meta") || at + 5 >= head.size()) continue;
    if (!IsSpace(head[at + 5]) && head[at + 5] != '/') continue;
    if (std::string label = CharsetOfMeta(head, at + 5); !label.empty()) return label;
  }
  return {};
}

bool DeclaresUtf8(std::string_view page) {
  static constexpr std::string_view kLabels[] = {
      "utf-8",         "utf8",     "unicode-1-1-utf-8", "unicode11utf8", "unicode20utf8",
      "x-unicode20utf8", "utf-16", "utf-16le",          "utf-16be",
  };
  const std::string label = DeclaredCharset(page);
  return std::find(std::begin(kLabels), std::end(kLabels), label) != std::end(kLabels);
}

}  // namespace corvane::platform
