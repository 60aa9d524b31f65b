#include "html/language.h"

#include <algorithm>
#include <array>
#include <optional>

#include "html/decoded_view.h"
#include "html/word_bytes.h"

namespace corvane::html {
namespace {

// Elements that never have content, so a lang on them opens no scope.
constexpr std::string_view kVoidElements[] = {
    "area", "base", "basefont", "bgsound", "br",   "col",    "embed", "frame",
    "hr",   "img",  "input",    "keygen",  "link", "meta",   "param", "source",
    "track", "wbr",
};

char FoldAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c; }

bool EqualsIgnoringAsciiCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() &&
         std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return FoldAscii(x) == FoldAscii(y); });
}

std::string FoldedName(std::string_view name) {
  std::string out(name);
  for (char& c : out) c = FoldAscii(c);
  return out;
}

bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f'; }

bool IsVoidElement(std::string_view name) {
  return std::any_of(std::begin(kVoidElements), std::end(kVoidElements),
                     [&](std::string_view v) { return EqualsIgnoringAsciiCase(name, v); });
}

// What a tag tells about scopes.
struct TagFacts {
  bool end = false;
  bool opens_content = true;  // false for void elements and "/>"
  std::string_view name;
  std::optional<std::string_view> lang;
};

std::string_view ReadName(std::string_view tag, std::size_t& pos) {
  const std::size_t start = pos;
  while (pos < tag.size() && !IsSpace(tag[pos]) && tag[pos] != '/' && tag[pos] != '=') ++pos;
  return tag.substr(start, pos - start);
}

void SkipSpaces(std::string_view tag, std::size_t& pos) {
  while (pos < tag.size() && IsSpace(tag[pos])) ++pos;
}

std::string_view ReadValue(std::string_view tag, std::size_t& pos) {
  if (pos < tag.size() && (tag[pos] == '"' || tag[pos] == '\'')) {
    const char quote = tag[pos++];
    const std::size_t close = std::min(tag.find(quote, pos), tag.size());
    const std::string_view value = tag.substr(pos, close - pos);
    pos = std::min(close + 1, tag.size());
    return value;
  }
  const std::size_t start = pos;
  while (pos < tag.size() && !IsSpace(tag[pos])) ++pos;
  return tag.substr(start, pos - start);
}

TagFacts ReadTag(std::string_view tag) {
  TagFacts facts;
  std::size_t pos = 0;
  if (!tag.empty() && tag[0] == '/') {
    facts.end = true;
    ++pos;
  }
  facts.name = ReadName(tag, pos);
  if (facts.end || facts.name.empty()) return facts;

  std::string_view trimmed = tag;
  while (!trimmed.empty() && IsSpace(trimmed.back())) trimmed.remove_suffix(1);
  facts.opens_content = !IsVoidElement(facts.name) && !(trimmed.size() > 0 && trimmed.back() == '/');

  while (pos < tag.size()) {
    SkipSpaces(tag, pos);
    if (pos < tag.size() && (tag[pos] == '/' || tag[pos] == '=')) {
      ++pos;
      continue;
    }
    const std::string_view attribute = ReadName(tag, pos);
    if (attribute.empty()) continue;
    SkipSpaces(tag, pos);
    std::string_view value;
    if (pos < tag.size() && tag[pos] == '=') {
      ++pos;
      SkipSpaces(tag, pos);
      value = ReadValue(tag, pos);
    }
    const bool is_lang = EqualsIgnoringAsciiCase(attribute, "lang") ||
                         EqualsIgnoringAsciiCase(attribute, "xml:lang");
    if (is_lang && !facts.lang) facts.lang = value;
  }
  return facts;
}

Language LanguageOfValue(std::string_view value) {
  const bool turkish = value.size() >= 2 && FoldAscii(value[0]) == 't' && FoldAscii(value[1]) == 'r';
  return turkish ? Language::kTurkish : Language::kEnglish;
}

// Calls `on_tag(text between "<" and ">", offset just past the tag)` for every
// tag of the view that starts before `limit`.
template <class OnTag>
void ForEachTag(std::string_view text, const std::vector<ByteKind>& kinds, std::size_t limit,
                OnTag&& on_tag) {
  std::size_t i = 0;
  while ((i = text.find('<', i)) != std::string_view::npos && i < limit) {
    if (kinds[i] != ByteKind::kTag) {
      ++i;
      continue;
    }
    const std::size_t close = text.find('>', i + 1);
    const std::size_t end = close == std::string_view::npos ? text.size() : close;
    on_tag(text.substr(i + 1, end - i - 1), std::min(end + 1, text.size()));
    i = end;
  }
}

}  // namespace

LanguageScopes::LanguageScopes(Language setting, Language page)
    : fixed_(setting != Language::kAuto), page_(fixed_ ? setting : page) {}

void LanguageScopes::Feed(std::string_view tag) {
  if (fixed_) return;
  const TagFacts facts = ReadTag(tag);
  if (facts.name.empty()) return;
  if (facts.end) {
    const auto it = open_by_name_.find(FoldedName(facts.name));
    if (it == open_by_name_.end() || it->second.empty()) return;
    // The earliest open scope of this name, and every later one, ends here.
    const std::size_t first = it->second.front();
    while (scopes_.size() > first) {
      open_by_name_[scopes_.back().name].pop_back();
      scopes_.pop_back();
    }
    return;
  }
  if (!facts.lang || !facts.opens_content) return;
  std::string name = FoldedName(facts.name);
  open_by_name_[name].push_back(scopes_.size());
  scopes_.push_back({std::move(name), LanguageOfValue(*facts.lang)});
}

Language LanguageMap::At(std::size_t offset) const {
  if (changes_.size() == 1) return changes_[0].second;
  const auto it = std::upper_bound(changes_.begin(), changes_.end(), offset,
                                   [](std::size_t o, const auto& change) { return o < change.first; });
  return std::prev(it)->second;
}

void LanguageMap::Change(std::size_t from, Language language) {
  if (changes_.back().second == language) return;
  if (changes_.back().first == from) {
    changes_.back().second = language;
    if (changes_.size() > 1 && changes_[changes_.size() - 2].second == language) changes_.pop_back();
    return;
  }
  changes_.emplace_back(from, language);
}

bool IsTurkishSpecialLetter(uint8_t byte) {
  switch (byte) {
    case 0xE7: case 0xF0: case 0xFD: case 0xF6: case 0xFE: case 0xFC:  // ç ğ ı ö ş ü
    case 0xC7: case 0xD0: case 0xDD: case 0xD6: case 0xDE: case 0xDC:  // Ç Ğ İ Ö Ş Ü
      return true;
    default:
      return false;
  }
}

Language PageLanguage(std::string_view text, const std::vector<ByteKind>& kinds) {
  static const std::array<uint8_t, 256> kClass = [] {
    std::array<uint8_t, 256> c{};
    for (int b = 0; b < 256; ++b) {
      const auto byte = static_cast<uint8_t>(b);
      c[b] = IsTurkishSpecialLetter(byte) ? 2 : IsCodePageLetter(byte) ? 1 : 0;
    }
    return c;
  }();
  std::size_t letters = 0;
  std::size_t turkish = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const uint8_t c = kClass[static_cast<uint8_t>(text[i])];
    if (c == 0 || kinds[i] != ByteKind::kText) continue;
    ++letters;
    turkish += c == 2;
  }
  return letters > 0 && turkish * 100 >= letters ? Language::kTurkish : Language::kEnglish;
}

LanguageMap MapLanguages(std::string_view text, const std::vector<ByteKind>& kinds,
                         LanguageScopes start) {
  LanguageMap map(start.Current());
  if (start.Fixed()) return map;
  ForEachTag(text, kinds, text.size(), [&](std::string_view tag, std::size_t after) {
    start.Feed(tag);
    map.Change(after, start.Current());
  });
  return map;
}

LanguageScopes LanguageScopesOfPage(std::string_view view_text,
                                    const std::vector<ByteKind>& view_kinds, Language setting) {
  if (setting != Language::kAuto) return LanguageScopes(setting, setting);
  return LanguageScopes(setting, PageLanguage(view_text, view_kinds));
}

LanguageScopes LanguageScopesAt(std::string_view page, std::size_t offset, Language setting) {
  if (setting != Language::kAuto) return LanguageScopes(setting, setting);
  const DecodedView view(page, ClassifyMarkup(page));
  LanguageScopes scopes = LanguageScopesOfPage(view.Text(), view.Kinds(), setting);
  ForEachTag(view.Text(), view.Kinds(), view.ViewOffset(std::min(offset, page.size())),
             [&](std::string_view tag, std::size_t) { scopes.Feed(tag); });
  return scopes;
}

}  // namespace corvane::html
