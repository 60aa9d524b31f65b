#include "wordlist/dictionary.h"

#include "platform/file_io.h"
#include "platform/text_codec.h"
#include "html/markup.h"
#include "platform/error.h"

namespace corvane::wordlist {
namespace {

std::string_view Trim(std::string_view s) {
  while (!s.empty() && html::IsWordSeparator(s.front())) s.remove_prefix(1);
  while (!s.empty() && html::IsWordSeparator(s.back())) s.remove_suffix(1);
  return s;
}

}  // namespace

html::MapWordLookup ParseDictionary(std::string_view bytes) {
  const platform::DocumentText doc = platform::DecodeDocument(std::string(bytes), platform::Encoding::kAuto);
  html::MapWordLookup lookup;
  std::string_view rest = doc.text;
  std::size_t line_number = 0;
  while (!rest.empty()) {
    const std::size_t end = rest.find_first_of("\r\n");
    std::string_view line = rest.substr(0, end);
    if (end == std::string_view::npos) {
      rest = {};
    } else {
      const bool crlf = rest[end] == '\r' && end + 1 < rest.size() && rest[end + 1] == '\n';
      rest.remove_prefix(end + (crlf ? 2 : 1));
    }
    ++line_number;
    line = Trim(line);
    if (line.empty() || line.front() == '#') continue;
    for (char c : line) {
      if (html::IsWordSeparator(c)) {
        throw Error("line " + std::to_string(line_number) + ": one marked word per line, such as ki_tap");
      }
    }
    lookup.AddMarked(std::string(line));
  }
  return lookup;
}

html::MapWordLookup LoadDictionary(const std::string& path) {
  try {
    return ParseDictionary(platform::ReadFile(path));
  } catch (const Error& e) {
    throw Error("dictionary " + path + ": " + e.what());
  }
}

}  // namespace corvane::wordlist
