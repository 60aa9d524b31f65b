#include "html/markup.h"

#include <algorithm>
#include <optional>

#include "html/entities.h"
#include "html/word_bytes.h"

namespace corvane::html {
namespace {

// Besides the elements whose text is shown as typed (pre, code, kbd, samp),
// the ones browsers read as raw text: a "&shy;" there would show as written,
// or not be markup at all.
constexpr std::string_view kRawElements[] = {"title", "script",  "style",    "textarea", "pre",
                                             "code",  "kbd",     "samp",     "xmp",      "iframe",
                                             "noembed", "noframes", "noscript", "plaintext"};
// Nothing ends a plaintext element: it runs to the end of the page.
constexpr std::string_view kPlaintext = "plaintext";

uint8_t FoldAscii(uint8_t c) { return (c >= 'A' && c <= 'Z') ? c + 32 : c; }

bool EqualsIgnoringAsciiCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (FoldAscii(a[i]) != FoldAscii(b[i])) return false;
  }
  return true;
}

bool EndsTagName(uint8_t c) { return IsWordSeparator(c) || c == '/' || c == '>'; }

bool IsAsciiAlnum(uint8_t c) {
  return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

bool IsAsciiLetter(uint8_t c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

// What separates attributes in a tag: the five HTML spaces.
bool IsTagSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f'; }

bool IsRawElement(std::string_view name) {
  if (name.size() < 3 || name.size() > 9) return false;  // "pre" to "plaintext"
  return std::any_of(std::begin(kRawElements), std::end(kRawElements),
                     [&](std::string_view raw) { return EqualsIgnoringAsciiCase(name, raw); });
}

void Mark(std::vector<ByteKind>& kinds, std::size_t from, std::size_t to, ByteKind kind) {
  std::fill(kinds.begin() + from, kinds.begin() + to, kind);
}

// Start of the closing tag "</name" that ends a raw element whose content
// begins at `from`, or the end of the text.
std::size_t FindRawElementEnd(std::string_view text, std::size_t from, std::string_view name) {
  if (EqualsIgnoringAsciiCase(name, kPlaintext)) return text.size();
  std::size_t pos = from;
  while ((pos = text.find("</", pos)) != std::string_view::npos) {
    const std::size_t after = pos + 2 + name.size();
    if (after < text.size() && EqualsIgnoringAsciiCase(text.substr(pos + 2, name.size()), name) &&
        EndsTagName(text[after])) {
      return pos;
    }
    pos += 2;
  }
  return text.size();
}

// Comments, tags and raw element content, in one left-to-right scan.
void MarkStructure(std::string_view text, std::vector<ByteKind>& kinds) {
  std::size_t i = 0;
  while ((i = text.find('<', i)) != std::string_view::npos) {
    if (text.compare(i, 4, "<!--") == 0) {
      const std::size_t close = text.find("-->", i + 4);
      const std::size_t end = close == std::string_view::npos ? text.size() : close + 3;
      Mark(kinds, i, end, ByteKind::kHidden);
      i = end;
      continue;
    }
    const std::size_t close = FindTagEnd(text, i);
    const std::size_t end = close == std::string_view::npos ? text.size() : close + 1;
    Mark(kinds, i, end, ByteKind::kTag);
    std::size_t name_end = i + 1;
    while (name_end < end && !EndsTagName(text[name_end])) ++name_end;
    const std::string_view name = text.substr(i + 1, name_end - i - 1);
    i = end;
    if (close != std::string_view::npos && IsRawElement(name)) {
      const std::size_t content_end = FindRawElementEnd(text, end, name);
      Mark(kinds, end, content_end, ByteKind::kHidden);
      i = content_end;
    }
  }
}

// Every address holds "://", "www." or "@", so only the runs around those
// are looked at; the rest of the text is passed over by fast searches. A
// run marked once is hidden, so a second hit in it finds nothing to do.
void MarkAddressAround(std::string_view text, std::vector<ByteKind>& kinds, std::size_t hit,
                       std::size_t length) {
  auto in_run = [&](std::size_t i) { return kinds[i] == ByteKind::kText && !IsWordSeparator(text[i]); };
  for (std::size_t i = hit; i < hit + length; ++i) {
    if (!in_run(i)) return;
  }
  std::size_t start = hit;
  while (start > 0 && in_run(start - 1)) --start;
  std::size_t end = hit + length;
  while (end < text.size() && in_run(end)) ++end;
  Mark(kinds, start, end, ByteKind::kHidden);
}

void MarkAddresses(std::string_view text, std::vector<ByteKind>& kinds) {
  for (std::string_view sign : {"://", "www.", "@"}) {
    for (std::size_t at = text.find(sign); at != std::string_view::npos; at = text.find(sign, at + 1)) {
      MarkAddressAround(text, kinds, at, sign.size());
    }
  }
}

// Length of a character reference starting at `at` ("&name;" or "&#123;"),
// or 0 when there is none.
std::size_t ReferenceLength(std::string_view text, const std::vector<ByteKind>& kinds,
                            std::size_t at) {
  std::size_t k = at + 1;
  if (k < text.size() && text[k] == '#') ++k;
  const std::size_t first = k;
  while (k < text.size() && kinds[k] == ByteKind::kText && IsAsciiAlnum(text[k])) ++k;
  if (k == first || k >= text.size() || text[k] != ';' || kinds[k] != ByteKind::kText) return 0;
  return k + 1 - at;
}

bool IsLetterReference(std::string_view reference) {
  static const WordBytes word_bytes;
  const std::optional<uint8_t> byte = DecodeReference(reference);
  return byte && *byte != '_' && word_bytes(*byte);
}

void MarkReferences(std::string_view text, std::vector<ByteKind>& kinds) {
  std::size_t i = 0;
  while ((i = text.find('&', i)) != std::string_view::npos) {
    std::size_t length = kinds[i] == ByteKind::kText ? ReferenceLength(text, kinds, i) : 0;
    if (length == 0) {
      ++i;
      continue;
    }
    const bool letter = IsLetterReference(text.substr(i, length));
    Mark(kinds, i, i + length, letter ? ByteKind::kLetter : ByteKind::kReference);
    i += length;
  }
}

}  // namespace

bool TagReader::Ends(char c) {
  if (state_ == State::kQuoted) {
    if (c == quote_) state_ = State::kBeforeName;
    return false;
  }
  if (c == '>') return true;
  const bool space = IsTagSpace(c);
  switch (state_) {
    case State::kOpen:
      if (c == '/') {
        state_ = State::kSlash;
      } else if (IsAsciiLetter(c)) {
        state_ = State::kTagName;
      } else if (c != '<') {
        state_ = (c == '!' || c == '?') ? State::kPlain : State::kStray;
      }
      break;
    case State::kSlash:
      state_ = IsAsciiLetter(c) ? State::kTagName : State::kPlain;
      break;
    case State::kStray:
      // Browsers read a "<" before a non-letter as text: the next "<" may
      // start a real tag, whose quotes count.
      if (c == '<') state_ = State::kOpen;
      break;
    case State::kPlain:
    case State::kQuoted:
      break;
    case State::kTagName:
      if (space || c == '/') state_ = State::kBeforeName;
      break;
    case State::kBeforeName:
      if (!space && c != '/') state_ = State::kName;  // even "=" starts a name here
      break;
    case State::kName:
    case State::kAfterName:
      if (c == '=') {
        state_ = State::kBeforeValue;
      } else if (c == '/') {
        state_ = State::kBeforeName;
      } else if (space) {
        state_ = State::kAfterName;
      } else {
        state_ = State::kName;
      }
      break;
    case State::kBeforeValue:
      if (c == '"' || c == '\'') {
        quote_ = c;
        state_ = State::kQuoted;
      } else if (!space) {
        state_ = State::kUnquoted;
      }
      break;
    case State::kUnquoted:
      if (space) state_ = State::kBeforeName;
      break;
  }
  return false;
}

std::size_t FindTagEnd(std::string_view text, std::size_t open) {
  TagReader reader;
  for (std::size_t i = open + 1; i < text.size(); ++i) {
    if (reader.Ends(text[i])) return i;
    if (reader.InQuotes()) {
      // Just opened: nothing but the closing quote matters up to it.
      const std::size_t closing = text.find(text[i], i + 1);
      if (closing == std::string_view::npos) return closing;
      i = closing - 1;
    }
  }
  return std::string_view::npos;
}

std::vector<ByteKind> ClassifyMarkup(std::string_view text) {
  std::vector<ByteKind> kinds(text.size(), ByteKind::kText);
  MarkStructure(text, kinds);
  MarkAddresses(text, kinds);
  MarkReferences(text, kinds);
  return kinds;
}

std::string BlankHiddenText(std::string_view text, const std::vector<ByteKind>& kinds) {
  std::string out(text);
  // Branch-free, so that the compiler can take many bytes at a time.
  char* const bytes = out.data();
  const ByteKind* const kind = kinds.data();
  for (std::size_t i = 0; i < out.size(); ++i) {
    const char c = bytes[i];
    const bool blank = (kind[i] == ByteKind::kReference) |
                       ((kind[i] == ByteKind::kHidden) & (c != '\r') & (c != '\n'));
    bytes[i] = blank ? ' ' : c;
  }
  return out;
}

}  // namespace corvane::html
