#include "html/exclusions.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>

#include "platform/error.h"

namespace corvane::html {
namespace {

constexpr std::string_view kVoidElements[] = {"area", "base",  "br",   "col",   "embed", "hr",    "img",
                                              "input", "keygen", "link", "meta", "param", "source", "track",
                                              "wbr"};
// Start tags before which an open p ends. Both lists sorted.
constexpr std::string_view kClosesParagraph[] = {
    "address", "article", "aside", "blockquote", "div", "dl", "fieldset", "footer", "form", "h1", "h2",
    "h3",      "h4",      "h5",    "h6",         "header", "hr", "main", "nav", "ol", "p", "pre",
    "section", "table",   "ul"};

char Fold(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c; }

std::string Folded(std::string_view s) {
  std::string out(s);
  std::transform(out.begin(), out.end(), out.begin(), Fold);
  return out;
}

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return Fold(x) == Fold(y); });
}

bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f'; }

bool IsNameByte(char c) {
  return !IsSpace(c) && c != '/' && c != '>' && c != '=' && c != '"' && c != '\'' && c != '<';
}

// `set` is sorted.
template <std::size_t N>
bool IsOneOf(std::string_view name, const std::string_view (&set)[N]) {
  return std::binary_search(std::begin(set), std::end(set), name);
}

// A start tag read for its name and attributes, as views of the page, so
// that reading the many tags of a large page allocates nothing.
struct StartTag {
  std::string_view name;
  std::vector<std::pair<std::string_view, std::string_view>> attributes;

  // The value of `attribute` (given folded), or null.
  const std::string_view* Attribute(std::string_view attribute) const {
    for (const auto& [key, value] : attributes) {
      if (EqualsIgnoringCase(key, attribute)) return &value;
    }
    return nullptr;
  }
};

void ReadStartTag(std::string_view tag, StartTag& parsed) {
  parsed.attributes.clear();
  std::size_t i = 0;
  while (i < tag.size() && IsNameByte(tag[i])) ++i;
  parsed.name = tag.substr(0, i);
  while (i < tag.size()) {
    while (i < tag.size() && (IsSpace(tag[i]) || tag[i] == '/')) ++i;
    const std::size_t name_start = i;
    while (i < tag.size() && IsNameByte(tag[i])) ++i;
    if (i == name_start) {
      ++i;  // a stray byte such as a lone quote
      continue;
    }
    const std::string_view name = tag.substr(name_start, i - name_start);
    std::size_t k = i;
    while (k < tag.size() && IsSpace(tag[k])) ++k;
    std::string_view value;
    if (k < tag.size() && tag[k] == '=') {
      ++k;
      while (k < tag.size() && IsSpace(tag[k])) ++k;
      if (k < tag.size() && (tag[k] == '"' || tag[k] == '\'')) {
        const std::size_t close = tag.find(tag[k], k + 1);
        const std::size_t end = close == std::string_view::npos ? tag.size() : close;
        value = tag.substr(k + 1, end - k - 1);
        k = std::min(end + 1, tag.size());
      } else {
        const std::size_t start = k;
        while (k < tag.size() && !IsSpace(tag[k]) && tag[k] != '>') ++k;
        value = tag.substr(start, k - start);
      }
      i = k;
    }
    parsed.attributes.emplace_back(name, value);
  }
}

// `name` folded into `buffer` when it is short enough to be one of the
// names looked for by set; empty otherwise.
std::string_view FoldedShortName(std::string_view name, std::array<char, 16>& buffer) {
  if (name.size() >= buffer.size()) return {};
  std::transform(name.begin(), name.end(), buffer.begin(), Fold);
  return std::string_view(buffer.data(), name.size());
}

// Whether the space-separated `list` holds `wanted`.
bool ListHolds(std::string_view list, std::string_view wanted) {
  std::size_t i = 0;
  while (i < list.size()) {
    while (i < list.size() && IsSpace(list[i])) ++i;
    const std::size_t start = i;
    while (i < list.size() && !IsSpace(list[i])) ++i;
    if (i > start && list.substr(start, i - start) == wanted) return true;
  }
  return false;
}

bool HasClass(const StartTag& tag, std::string_view wanted) {
  const std::string_view* classes = tag.Attribute("class");
  return classes != nullptr && ListHolds(*classes, wanted);
}

std::string_view LocalName(std::string_view name) {
  const std::size_t colon = name.rfind(':');
  return colon == std::string_view::npos ? name : name.substr(colon + 1);
}

bool IsSelectorNameByte(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' || c == '_' ||
         static_cast<unsigned char>(c) >= 0x80;
}

std::string_view Trim(std::string_view s) {
  while (!s.empty() && IsSpace(s.front())) s.remove_prefix(1);
  while (!s.empty() && IsSpace(s.back())) s.remove_suffix(1);
  return s;
}

}  // namespace

ExclusionRules::ExclusionRules() : classes_{"donthyphenate", "nohyphenate", "hyphenate-none"} {}

std::vector<std::string> SplitNameList(std::string_view list) {
  std::vector<std::string> names;
  std::size_t start = 0;
  while (start <= list.size()) {
    std::size_t comma = list.find(',', start);
    if (comma == std::string_view::npos) comma = list.size();
    const std::string_view name = Trim(list.substr(start, comma - start));
    if (!name.empty()) names.emplace_back(name);
    start = comma + 1;
  }
  return names;
}

ExclusionRules::Selector ExclusionRules::ParseSelector(std::string_view text) {
  const std::string_view selector = Trim(text);
  const auto invalid = [&]() { return Error("invalid selector '" + std::string(selector) + "'"); };
  Selector parsed;
  std::size_t i = 0;
  // Only attribute names hold a colon ("xml:lang"); after an element it
  // would start a pseudo-class, which this reader does not know.
  const auto read_name = [&](bool colon = false) {
    const std::size_t start = i;
    while (i < selector.size() && (IsSelectorNameByte(selector[i]) || (colon && selector[i] == ':'))) ++i;
    if (i == start) throw invalid();
    return std::string(selector.substr(start, i - start));
  };
  if (selector.empty()) throw invalid();
  if (selector[0] == '*') {
    ++i;
  } else if (IsSelectorNameByte(selector[0])) {
    parsed.element = Folded(read_name());
  }
  while (i < selector.size()) {
    const char sign = selector[i++];
    if (sign == '.') {
      parsed.classes.push_back(read_name());
    } else if (sign == '#') {
      parsed.id = read_name();
    } else if (sign == '[') {
      std::string name = Folded(read_name(/*colon=*/true));
      std::optional<std::string> value;
      if (i < selector.size() && selector[i] == '=') {
        ++i;
        if (i < selector.size() && (selector[i] == '"' || selector[i] == '\'')) {
          const std::size_t close = selector.find(selector[i], i + 1);
          if (close == std::string_view::npos) throw invalid();
          value = std::string(selector.substr(i + 1, close - i - 1));
          i = close + 1;
        } else {
          value = read_name();
        }
      }
      if (i >= selector.size() || selector[i] != ']') throw invalid();
      ++i;
      parsed.attributes.emplace_back(std::move(name), std::move(value));
    } else {
      throw invalid();
    }
  }
  return parsed;
}

void ExclusionRules::SetSelectors(std::string_view list) {
  std::vector<Selector> selectors;
  std::size_t start = 0;
  while (start <= list.size()) {
    std::size_t comma = list.find(',', start);
    if (comma == std::string_view::npos) comma = list.size();
    const std::string_view one = list.substr(start, comma - start);
    // Blank entries are allowed (a trailing comma, an empty list).
    if (!Trim(one).empty()) selectors.push_back(ParseSelector(one));
    start = comma + 1;
  }
  selectors_ = std::move(selectors);
}

bool ExclusionRules::Excludes(std::string_view tag_text) const {
  std::size_t name_end = 0;
  while (name_end < tag_text.size() && IsNameByte(tag_text[name_end])) ++name_end;
  std::array<char, 16> buffer;
  const std::string_view local = FoldedShortName(LocalName(tag_text.substr(0, name_end)), buffer);
  if (local == "var" || local == "math" || local == "svg") return true;
  // Without a value no built-in rule holds: most tags end here.
  if (selectors_.empty() && tag_text.find('=', name_end) == std::string_view::npos) return false;
  // Reused, so that its room is allocated once per thread.
  thread_local StartTag tag;
  ReadStartTag(tag_text, tag);
  // The built-in attribute rules in one walk over the attributes.
  for (const auto& [name, value] : tag.attributes) {
    if (EqualsIgnoringCase(name, "class")) {
      for (const std::string& wanted : classes_) {
        if (ListHolds(value, wanted)) return true;
      }
    } else if (EqualsIgnoringCase(name, "lang") || EqualsIgnoringCase(name, "xml:lang")) {
      if (EqualsIgnoringCase(value, "zxx")) return true;
    } else if (EqualsIgnoringCase(name, "translate")) {
      if (EqualsIgnoringCase(value, "no")) return true;
    }
  }
  for (const Selector& selector : selectors_) {
    if (!selector.element.empty() && !EqualsIgnoringCase(selector.element, tag.name)) continue;
    if (!std::all_of(selector.classes.begin(), selector.classes.end(),
                     [&](const std::string& name) { return HasClass(tag, name); })) {
      continue;
    }
    if (selector.id) {
      const std::string_view* id = tag.Attribute("id");
      if (id == nullptr || *id != *selector.id) continue;
    }
    const bool attributes_match =
        std::all_of(selector.attributes.begin(), selector.attributes.end(), [&](const auto& wanted) {
          const std::string_view* value = tag.Attribute(wanted.first);
          return value != nullptr && (!wanted.second || EqualsIgnoringCase(*value, *wanted.second));
        });
    if (attributes_match) return true;
  }
  return false;
}

namespace {

// Whether `text` holds `needle` (lower case) in any A-Z case; the byte at
// `pivot`, a rare one, is looked for first.
bool ContainsIgnoringCase(std::string_view text, std::string_view needle, std::size_t pivot) {
  const char lower = needle[pivot];
  const char upper = static_cast<char>(lower - 32);
  const char* const begin = text.data();
  const char* const end = begin + text.size();
  for (const char wanted : {lower, upper}) {
    for (const char* at = begin + pivot; at < end;) {
      const auto* hit = static_cast<const char*>(std::memchr(at, wanted, static_cast<std::size_t>(end - at)));
      if (hit == nullptr) break;
      const std::size_t start = static_cast<std::size_t>(hit - begin) - pivot;
      if (start + needle.size() <= text.size() && EqualsIgnoringCase(text.substr(start, needle.size()), needle)) {
        return true;
      }
      at = hit + 1;
    }
  }
  return false;
}

// Whether a tag of `page` may name var, math or svg, with or without a
// prefix.
bool NamesExcludedElement(std::string_view page) {
  for (std::size_t i = page.find('<'); i != std::string_view::npos; i = page.find('<', i + 1)) {
    std::size_t end = i + 1;
    while (end < page.size() && IsNameByte(page[end])) ++end;
    std::array<char, 16> buffer;
    const std::string_view local = FoldedShortName(LocalName(page.substr(i + 1, end - i - 1)), buffer);
    if (local == "var" || local == "math" || local == "svg") return true;
  }
  return false;
}

}  // namespace

bool ExclusionRules::MayExcludeIn(std::string_view page) const {
  if (page.empty()) return false;  // nothing to keep whole (and no bytes to search)
  if (!selectors_.empty()) return true;
  for (const std::string& name : classes_) {
    if (name.empty() || memmem(page.data(), page.size(), name.data(), name.size()) != nullptr) return true;
  }
  return ContainsIgnoringCase(page, "zxx", 0) || ContainsIgnoringCase(page, "translate", 5) ||
         NamesExcludedElement(page);
}

namespace {

// The open elements of a page as its tags come, and how many of them keep
// their text whole. Names are views of the page.
class ElementStack {
 public:
  explicit ElementStack(const ExclusionRules& rules) : rules_(rules) {}

  bool Excluding() const { return excluded_ > 0; }

  void Feed(std::string_view tag) {
    if (tag.empty() || tag[0] == '!' || tag[0] == '?') return;
    if (tag[0] == '/') {
      std::size_t end = 1;
      while (end < tag.size() && IsNameByte(tag[end])) ++end;
      Close(tag.substr(1, end - 1));
      return;
    }
    std::size_t end = 0;
    while (end < tag.size() && IsNameByte(tag[end])) ++end;
    if (end == 0) return;
    const std::string_view name = tag.substr(0, end);
    std::array<char, 16> buffer;
    const std::string_view folded = FoldedShortName(name, buffer);
    CloseImplied(folded);
    const bool excluded = rules_.Excludes(tag);
    std::size_t last = tag.size();
    while (last > 0 && IsSpace(tag[last - 1])) --last;
    if (IsOneOf(folded, kVoidElements) || (last > 0 && tag[last - 1] == '/')) return;
    open_.push_back({name, excluded});
    ++open_by_name_[NameHash(name) % kNameSlots];
    if (excluded) ++excluded_;
  }

 private:
  struct Open {
    std::string_view name;
    bool excluded;
  };

  static uint64_t NameHash(std::string_view name) {
    uint64_t hash = 14695981039346656037ull;
    for (char c : name) hash = (hash ^ static_cast<uint8_t>(Fold(c))) * 1099511628211ull;
    return hash;
  }

  // The innermost open element named `name`, or -1 when none is open or
  // one named in `barriers` is opened after it.
  long Innermost(std::string_view name, std::initializer_list<std::string_view> barriers) const {
    if (open_by_name_[NameHash(name) % kNameSlots] == 0) return -1;
    for (long k = static_cast<long>(open_.size()) - 1; k >= 0; --k) {
      if (EqualsIgnoringCase(open_[k].name, name)) return k;
      for (std::string_view barrier : barriers) {
        if (EqualsIgnoringCase(open_[k].name, barrier)) return -1;
      }
    }
    return -1;
  }

  void PopTo(long k) {
    while (static_cast<long>(open_.size()) > k) {
      if (open_.back().excluded) --excluded_;
      --open_by_name_[NameHash(open_.back().name) % kNameSlots];
      open_.pop_back();
    }
  }

  void Close(std::string_view name) {
    const long k = Innermost(name, {});
    if (k >= 0) PopTo(k);
  }

  // `name` folded, or empty when it is too long to be one of these.
  void CloseImplied(std::string_view name) {
    if (name.empty()) return;
    if (IsOneOf(name, kClosesParagraph)) {
      const long k = Innermost("p", {"button", "table", "td", "th", "li", "div"});
      if (k >= 0) PopTo(k);
    }
    if (name == "li") {
      const long k = Innermost("li", {"ul", "ol"});
      if (k >= 0) PopTo(k);
    } else if (name == "dt" || name == "dd") {
      const long dt = Innermost("dt", {"dl"});
      const long dd = Innermost("dd", {"dl"});
      if (std::max(dt, dd) >= 0) PopTo(std::max(dt, dd));
    }
  }

  const ExclusionRules& rules_;
  std::vector<Open> open_;
  // How many elements are open by a hash of their name (letter case
  // folded), so that an end tag of none mostly costs no walk down the
  // stack; names sharing a slot only cost a walk.
  static constexpr std::size_t kNameSlots = 1024;
  std::vector<std::uint32_t> open_by_name_ = std::vector<std::uint32_t>(kNameSlots, 0);
  std::size_t excluded_ = 0;
};

void Hide(std::vector<ByteKind>& kinds, std::size_t from, std::size_t to) {
  for (std::size_t k = from; k < to; ++k) {
    if (kinds[k] != ByteKind::kTag) kinds[k] = ByteKind::kHidden;
  }
}

}  // namespace

namespace {

// Feeds the tags of `text` to `stack` in order and calls on_excluded(from,
// to) for each stretch between tags that lies in an excluded element.
template <typename OnExcluded>
void WalkTags(std::string_view text, const std::vector<ByteKind>& kinds, ElementStack& stack,
              OnExcluded&& on_excluded) {
  std::size_t segment = 0;
  std::size_t i = 0;
  while ((i = text.find('<', i)) != std::string_view::npos) {
    if (kinds[i] != ByteKind::kTag) {
      ++i;
      continue;
    }
    if (stack.Excluding()) on_excluded(segment, i);
    // A tag is a run of tag bytes up to a ">" (one in quotes is followed by
    // more of the tag); two tags side by side part at "><".
    std::size_t end = i + 1;
    while (true) {
      const std::size_t close = text.find('>', end);
      end = close == std::string_view::npos ? text.size() : close + 1;
      if (end >= text.size() || kinds[end] != ByteKind::kTag || text[end] == '<') break;
    }
    std::string_view tag = text.substr(i + 1, end - i - 1);
    if (!tag.empty() && tag.back() == '>') tag.remove_suffix(1);
    stack.Feed(tag);
    segment = i = end;
  }
  if (stack.Excluding()) on_excluded(segment, text.size());
}

}  // namespace

void MarkExcludedElements(std::string_view text, std::vector<ByteKind>& kinds, const ExclusionRules& rules,
                          std::string_view preceding) {
  if (preceding.empty() && !rules.MayExcludeIn(text)) return;
  ElementStack stack(rules);
  if (!preceding.empty()) WalkTags(preceding, ClassifyMarkup(preceding), stack, [](std::size_t, std::size_t) {});
  WalkTags(text, kinds, stack, [&](std::size_t from, std::size_t to) { Hide(kinds, from, to); });
}

}  // namespace corvane::html
