#include "html/language.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <optional>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "html/decoded_view.h"
#include "html/entities.h"
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

// "lang" in any letter case somewhere in `tag`: what every tag naming a
// lang or xml:lang attribute holds.
bool MentionsLang(std::string_view tag) {
  // Few tags hold a "g" at all: eight bytes at a time, a byte equal to "g"
  // once 0x20 is set in it ("G" or "g") marks where to compare.
  constexpr uint64_t kOnes = 0x0101010101010101ULL;
  std::size_t i = 3;
  for (; i + 8 <= tag.size(); i += 8) {
    uint64_t chunk;
    std::memcpy(&chunk, tag.data() + i, 8);
    const uint64_t x = (chunk | (kOnes * 0x20)) ^ (kOnes * 'g');
    if (((x - kOnes) & ~x & (kOnes * 0x80)) == 0) continue;
    for (std::size_t k = i; k < i + 8; ++k) {
      if (EqualsIgnoringAsciiCase(tag.substr(k - 3, 4), "lang")) return true;
    }
  }
  for (; i < tag.size(); ++i) {
    if (EqualsIgnoringAsciiCase(tag.substr(i - 3, 4), "lang")) return true;
  }
  return false;
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
    const std::size_t close = FindTagEnd(text, i);
    const std::size_t end = close == std::string_view::npos ? text.size() : close;
    on_tag(text.substr(i + 1, end - i - 1), std::min(end + 1, text.size()));
    i = end;
  }
}

}  // namespace

LanguageScopes::LanguageScopes(Language setting, Language page, const TagReading* reading)
    : fixed_(setting != Language::kAuto), page_(fixed_ ? setting : page), reading_(reading) {
  if (reading_ == nullptr) return;
  if (!fixed_ && page_ == Language::kEnglish) page_ = reading_->default_language;
  if (page_ == reading_->default_language) page_tag_ = reading_->default_tag;
}

void LanguageScopes::Feed(std::string_view tag) {
  if (fixed_) return;
  // Most tags carry no lang attribute, and an end tag closes only open
  // scopes: such tags are passed over without being read.
  const bool end_tag = !tag.empty() && tag[0] == '/';
  if (end_tag ? scopes_.empty() || tag.size() < 2 || open_by_initial_[FoldAscii(tag[1]) & 31] == 0
              : !MentionsLang(tag)) {
    return;
  }
  const TagFacts facts = ReadTag(tag);
  if (facts.name.empty()) return;
  if (facts.end) {
    const auto it = open_by_name_.find(FoldedName(facts.name));
    if (it == open_by_name_.end() || it->second.empty()) return;
    // The earliest open scope of this name, and every later one, ends here.
    const std::size_t first = it->second.front();
    while (scopes_.size() > first) {
      open_by_name_[scopes_.back().name].pop_back();
      --open_by_initial_[scopes_.back().name[0] & 31];
      scopes_.pop_back();
    }
    return;
  }
  if (!facts.lang || !facts.opens_content) return;
  std::string name = FoldedName(facts.name);
  open_by_name_[name].push_back(scopes_.size());
  ++open_by_initial_[name[0] & 31];
  // An empty value says the language is unknown: the page's own then serves.
  const std::string_view value = facts.lang->empty() && reading_ != nullptr ? page_tag_ : *facts.lang;
  const Language language = reading_ != nullptr
                                ? (facts.lang->empty() ? page_ : reading_->classify(value))
                                : LanguageOfValue(value);
  scopes_.push_back({std::move(name), language, std::string(value)});
}

Language LanguageMap::At(std::size_t offset) const {
  if (changes_.size() == 1) return changes_[0].second;
  const auto it = std::upper_bound(changes_.begin(), changes_.end(), offset,
                                   [](std::size_t o, const auto& change) { return o < change.first; });
  return std::prev(it)->second;
}

LanguageMap LanguageMap::InViewOf(const DecodedView& view) const {
  LanguageMap mapped(changes_.front().second);
  for (std::size_t k = 1; k < changes_.size(); ++k) {
    mapped.changes_.emplace_back(view.ViewOffset(changes_[k].first), changes_[k].second);
  }
  return mapped;
}

bool LanguageMap::Holds(Language language) const {
  return std::any_of(changes_.begin(), changes_.end(), [&](const auto& c) { return c.second == language; });
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

namespace {

// Whether any text byte of `text` is a Turkish letter, or any letter
// reference is there to be decoded.
bool MayHoldTurkishLetters(std::string_view text, const std::vector<ByteKind>& kinds) {
  const auto* kind_bytes = reinterpret_cast<const unsigned char*>(kinds.data());
  if (!kinds.empty() && std::memchr(kind_bytes, static_cast<int>(ByteKind::kLetter), kinds.size()) != nullptr) {
    return true;
  }
  const auto* bytes = reinterpret_cast<const unsigned char*>(text.data());
  const std::size_t n = text.size();
  std::size_t i = 0;
  for (; i + 8 <= n; i += 8) {
    uint64_t chunk;
    std::memcpy(&chunk, bytes + i, 8);
    if ((chunk & 0x8080808080808080ULL) == 0) continue;
    for (std::size_t k = i; k < i + 8; ++k) {
      if (IsTurkishSpecialLetter(bytes[k]) && kinds[k] == ByteKind::kText) return true;
    }
  }
  for (; i < n; ++i) {
    if (IsTurkishSpecialLetter(bytes[i]) && kinds[i] == ByteKind::kText) return true;
  }
  return false;
}

}  // namespace

Language PageLanguage(std::string_view text, const std::vector<ByteKind>& kinds) {
  // Letters count in the low half, Turkish ones in the high half.
  static const std::array<uint64_t, 256> kCount = [] {
    std::array<uint64_t, 256> c{};
    for (int b = 0; b < 256; ++b) {
      const auto byte = static_cast<uint8_t>(b);
      c[b] = (IsCodePageLetter(byte) ? 1 : 0) + (IsTurkishSpecialLetter(byte) ? uint64_t{1} << 32 : 0);
    }
    return c;
  }();
  // Without a Turkish letter the page is English however many letters it
  // has, and every Turkish letter has its high bit set: most pages are
  // settled by a look at the high bits, eight bytes at a time.
  if (!MayHoldTurkishLetters(text, kinds)) return Language::kEnglish;
  uint64_t letters = 0;
  uint64_t turkish = 0;
  auto add = [&](uint64_t sum) {
    letters += sum & 0xFFFFFFFFu;
    turkish += sum >> 32;
  };
  const auto* bytes = reinterpret_cast<const uint8_t*>(text.data());
  const auto* kind = reinterpret_cast<const uint8_t*>(kinds.data());
  std::size_t i = 0;
#if defined(__SSE2__)
  // Sixteen bytes at a time: ASCII letters ((c | 0x20) in a-z) counted from
  // a compare mask, the rare bytes with the high bit set one by one.
  // Each byte of `counts` counts its lane's letters; summed out before any
  // lane could pass 255.
  const __m128i zero = _mm_setzero_si128();
  __m128i counts = zero;
  std::size_t blocks = 0;
  auto flush = [&] {
    const __m128i sums = _mm_sad_epu8(counts, zero);
    letters += static_cast<uint64_t>(_mm_cvtsi128_si32(sums)) +
               static_cast<uint64_t>(_mm_cvtsi128_si32(_mm_srli_si128(sums, 8)));
    counts = zero;
    blocks = 0;
  };
  for (; i + 16 <= text.size(); i += 16) {
    const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes + i));
    const __m128i k = _mm_loadu_si128(reinterpret_cast<const __m128i*>(kind + i));
    const __m128i text_lanes = _mm_cmpeq_epi8(k, zero);
    const auto is_text = static_cast<unsigned>(_mm_movemask_epi8(text_lanes));
    const __m128i folded = _mm_or_si128(b, _mm_set1_epi8(0x20));
    const __m128i alpha = _mm_and_si128(_mm_cmpgt_epi8(folded, _mm_set1_epi8('a' - 1)),
                                        _mm_cmplt_epi8(folded, _mm_set1_epi8('z' + 1)));
    counts = _mm_sub_epi8(counts, _mm_and_si128(alpha, text_lanes));  // a true lane is -1
    if (++blocks == 255) flush();
    for (unsigned high = static_cast<unsigned>(_mm_movemask_epi8(b)) & is_text; high != 0; high &= high - 1) {
      add(kCount[bytes[i + static_cast<unsigned>(__builtin_ctz(high))]]);
    }
  }
  flush();
#endif
  for (; i < text.size(); ++i) {
    if (kind[i] == static_cast<uint8_t>(ByteKind::kText)) add(kCount[bytes[i]]);
  }
  // A page read before decoding: each letter reference counts as its letter.
  const auto* kind_bytes = reinterpret_cast<const unsigned char*>(kinds.data());
  for (const void* hit = kinds.empty() ? nullptr
                                       : std::memchr(kind_bytes, static_cast<int>(ByteKind::kLetter), kinds.size());
       hit != nullptr;) {
    const auto i = static_cast<std::size_t>(static_cast<const unsigned char*>(hit) - kind_bytes);
    const std::size_t end = std::min(text.find(';', i), text.size() - 1);
    add(kCount[DecodeReference(text.substr(i, end + 1 - i)).value_or(0)]);
    hit = std::memchr(kind_bytes + end + 1, static_cast<int>(ByteKind::kLetter), kinds.size() - end - 1);
  }
  return letters > 0 && turkish * 100 >= letters ? Language::kTurkish : Language::kEnglish;
}

namespace {

// Whether some tag of `text` holds "lang" in any letter case: the "g"s are
// found eight bytes at a time, and only those in tags looked at.
bool AnyTagMentionsLang(std::string_view text, const std::vector<ByteKind>& kinds) {
  constexpr uint64_t kOnes = 0x0101010101010101ULL;
  auto lang_ends_at = [&](std::size_t k) {
    return k >= 3 && kinds[k - 3] == ByteKind::kTag && EqualsIgnoringAsciiCase(text.substr(k - 3, 4), "lang");
  };
  std::size_t i = 0;
  for (; i + 8 <= text.size(); i += 8) {
    uint64_t chunk;
    std::memcpy(&chunk, text.data() + i, 8);
    const uint64_t x = (chunk | (kOnes * 0x20)) ^ (kOnes * 'g');
    // The high bit of each byte that is "g" (and maybe of some after one).
    for (uint64_t hits = (x - kOnes) & ~x & (kOnes * 0x80); hits != 0; hits &= hits - 1) {
      if (lang_ends_at(i + static_cast<std::size_t>(__builtin_ctzll(hits)) / 8)) return true;
    }
  }
  for (; i < text.size(); ++i) {
    if (lang_ends_at(i)) return true;
  }
  return false;
}

}  // namespace

LanguageMap MapLanguages(std::string_view text, const std::vector<ByteKind>& kinds,
                         LanguageScopes start) {
  LanguageMap map(start.Current());
  if (start.Fixed()) return map;
  // Only a tag naming lang opens a scope, and only an open scope can be
  // closed: most pages have neither, and keep one language throughout.
  if (!start.HasScopes() && !AnyTagMentionsLang(text, kinds)) return map;
  ForEachTag(text, kinds, text.size(), [&](std::string_view tag, std::size_t after) {
    start.Feed(tag);
    map.Change(after, start.Current());
  });
  return map;
}

std::vector<TaggedStretch> MapLanguageTags(std::string_view text, const std::vector<ByteKind>& kinds,
                                           LanguageScopes start) {
  std::vector<TaggedStretch> stretches{{0, start.Current(), std::string(start.CurrentTag())}};
  if (start.Fixed()) return stretches;
  if (!start.HasScopes() && !AnyTagMentionsLang(text, kinds)) return stretches;
  ForEachTag(text, kinds, text.size(), [&](std::string_view tag, std::size_t after) {
    start.Feed(tag);
    if (stretches.back().language == start.Current() && stretches.back().tag == start.CurrentTag()) return;
    if (stretches.back().from == after) {
      stretches.pop_back();
      if (!stretches.empty() && stretches.back().language == start.Current() &&
          stretches.back().tag == start.CurrentTag()) {
        return;
      }
    }
    stretches.push_back({after, start.Current(), std::string(start.CurrentTag())});
  });
  return stretches;
}

LanguageScopes LanguageScopesOfPage(std::string_view view_text,
                                    const std::vector<ByteKind>& view_kinds, Language setting,
                                    const TagReading* reading) {
  if (setting != Language::kAuto) return LanguageScopes(setting, setting, reading);
  return LanguageScopes(setting, PageLanguage(view_text, view_kinds), reading);
}

LanguageScopes LanguageScopesAt(std::string_view page, std::size_t offset, Language setting,
                                const TagReading* reading) {
  if (setting != Language::kAuto) return LanguageScopes(setting, setting, reading);
  const DecodedView view(page, ClassifyMarkup(page));
  LanguageScopes scopes = LanguageScopesOfPage(view.Text(), view.Kinds(), setting, reading);
  ForEachTag(view.Text(), view.Kinds(), view.ViewOffset(std::min(offset, page.size())),
             [&](std::string_view tag, std::size_t) { scopes.Feed(tag); });
  return scopes;
}

}  // namespace corvane::html
