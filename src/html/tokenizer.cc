#include "html/tokenizer.h"

#include <optional>

#include "html/entities.h"
#include "html/markup.h"

namespace corvane::html {
namespace {

// Tag and attribute names fold "a"-"z" only, whatever the code page.
std::string UpperAscii(std::string_view s) {
  std::string out(s);
  for (char& c : out) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return out;
}

// The one scan behind Parse and ParseTexts, so the two cannot drift apart.
// `on_text` receives the raw buffer of each text element, `on_tag` the text
// of each tag; with kKeepTagText false the tag bytes are not even collected
// (on_tag then sees an empty buffer).
template <bool kKeepTagText, class OnText, class OnTag>
void Scan(const std::vector<std::string>& lines, OnText&& on_text, OnTag&& on_tag) {
  std::string text;
  std::string tag;
  bool in_tag = false;
  std::size_t text_start = 0;  // offset of the first byte of `text`
  std::size_t line_start = 0;

  auto close_text = [&] {
    if (in_tag || text.empty()) return;
    on_text(text, text_start);
    text.clear();
  };
  auto close_tag = [&] {
    in_tag = false;
    on_tag(tag);
    tag.clear();
  };

  TagReader reader;
  for (const std::string& line : lines) {
    const char* p = line.data();
    const char* const end = p + line.size();
    while (p < end) {
      if (in_tag) {
        // Quotes decide where a tag ends, so tags (short as a rule) are read
        // byte by byte.
        const char* q = p;
        for (; q < end && !reader.Ends(*q); ++q) {
          if constexpr (kKeepTagText) {
            if (*q != '<' || reader.InQuotes()) tag.push_back(*q);
          }
        }
        if (q == end) break;
        close_tag();
        p = q + 1;
        continue;
      }
      // Copy whole stretches of text between delimiters rather than byte by byte.
      const char* q = p;
      while (q < end && *q != '<' && *q != '>') ++q;
      if (text.empty()) text_start = line_start + static_cast<std::size_t>(p - line.data());
      text.append(p, q);
      if (q == end) break;
      if (*q == '<') {
        close_text();
        in_tag = true;
        reader = TagReader();
      } else {
        close_tag();
      }
      p = q + 1;
    }
    // The line break is gone from the tag's text but still parts its attributes.
    if (in_tag) reader.Ends('\n');
    if (!in_tag && !text.empty()) text.push_back('\n');
    line_start += line.size();
  }

  // Without the tag bytes at hand the leftover check cannot be made, but an
  // unfinished tag never produces text, so ParseTexts loses nothing.
  if constexpr (kKeepTagText) {
    if (in_tag && !tag.empty()) close_tag();
  }
  close_text();
}

}  // namespace

void DecodeTextInto(std::string_view raw, std::string& out) {
  // Decoding never lengthens the text, so the output is written through a
  // pointer into a buffer sized once rather than grown byte by byte.
  out.resize(raw.size());
  char* const base = out.data();
  char* w = base;

  // Line feeds and space runs are normalised on the fly; a reference being
  // collected is written to the output as it goes and swapped for its byte
  // once its terminator arrives, so no byte is ever copied twice.
  bool prev_space = false;
  char* ref_start = nullptr;  // the "&" of the reference being collected
  for (char c : raw) {
    if (c == '\n') c = ' ';
    if (c == ' ') {
      if (prev_space) continue;
      prev_space = true;
    } else {
      prev_space = false;
    }

    if (c == '&') ref_start = w;
    *w++ = c;
    if (ref_start == nullptr || (c != ';' && c != ' ')) continue;

    const std::string_view reference(ref_start, static_cast<std::size_t>(w - ref_start));
    if (std::optional<uint8_t> byte = DecodeReference(reference)) {
      w = ref_start;
      *w++ = static_cast<char>(*byte);
    }
    ref_start = nullptr;
  }
  out.resize(static_cast<std::size_t>(w - base));
}

std::string DecodeText(std::string_view raw) {
  std::string out;
  DecodeTextInto(raw, out);
  return out;
}

void THTMLParam::SetText(std::string_view text) {
  raw_text_.assign(text);
  value_.clear();
  std::string_view name_part = text;
  if (std::size_t eq = text.find('='); eq != std::string_view::npos) {
    name_part = text.substr(0, eq);
    std::string_view value = text.substr(eq + 1);
    if (value.size() >= 2 && value.front() == '"' && value.back() == '"') {
      value = value.substr(1, value.size() - 2);
    }
    value_.assign(value);
  }
  name_ = UpperAscii(name_part);
}

void THTMLTag::SetText(std::string_view text) {
  raw_text_.assign(text);
  params_.clear();

  std::size_t space = text.find(' ');
  name_ = UpperAscii(text.substr(0, space));
  if (space == std::string_view::npos) return;

  std::string_view rest = text.substr(space + 1);
  std::size_t pos = 0;
  while (pos < rest.size()) {
    std::size_t start = pos;
    bool in_quotes = false;
    while (pos < rest.size() && (rest[pos] != ' ' || in_quotes)) {
      if (rest[pos] == '"') in_quotes = !in_quotes;
      ++pos;
    }
    if (pos > start) params_.emplace_back(rest.substr(start, pos - start));
    if (pos < rest.size()) ++pos;  // the separating space
  }
}

void THTMLText::DecodeText(std::string_view raw) {
  raw_text_.assign(raw);
  DecodeTextInto(raw, text_);
}

void THTMLParser::Parse() {
  Scan<true>(
      lines_,
      [this](const std::string& raw, std::size_t) {
        auto text = std::make_unique<THTMLText>();
        text->DecodeText(raw);
        elements_.push_back(std::move(text));
      },
      [this](const std::string& raw) {
        auto tag = std::make_unique<THTMLTag>();
        tag->SetText(raw);
        elements_.push_back(std::move(tag));
      });
}

void THTMLParser::ParseTexts(
    const std::function<void(std::string_view text, std::size_t offset)>& on_text) const {
  std::string decoded;
  Scan<false>(
      lines_,
      [&](const std::string& raw, std::size_t offset) {
        DecodeTextInto(raw, decoded);
        on_text(decoded, offset);
      },
      [](const std::string&) {});
}

}  // namespace corvane::html
