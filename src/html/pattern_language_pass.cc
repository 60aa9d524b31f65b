#include "html/pattern_language_pass.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <span>

#include "html/entities.h"
#include "html/markup.h"
#include "html/word_bytes.h"
#include "html/word_hash.h"
#include "hyphenation/word_reader.h"
#include "platform/codepage.h"

namespace corvane::html {
namespace {

// The breaks of each distinct spelling of one language, found once: a page
// repeats its words many times. Open addressing over one array, spellings
// and breaks kept in two growing buffers, so that a lookup allocates nothing.
class BreakCache {
 public:
  explicit BreakCache(const PatternLanguage& language) : language_(language), slots_(kFirstSlots) {}

  // Byte offsets within `word` before which a soft hyphen goes; valid until
  // the next call.
  std::span<const uint32_t> Breaks(std::string_view word) {
    const uint64_t hash = WordHash()(word) | 1;  // 0 marks a free slot
    std::size_t at = hash & (slots_.size() - 1);
    for (;; at = (at + 1) & (slots_.size() - 1)) {
      const Slot& slot = slots_[at];
      if (slot.hash == 0) break;
      if (slot.hash == hash && std::string_view(keys_).substr(slot.key_at, slot.key_size) == word) {
        return {breaks_.data() + slot.breaks_at, slot.breaks_size};
      }
    }
    Slot& slot = slots_[at];
    slot.hash = hash;
    slot.key_at = keys_.size();
    slot.key_size = word.size();
    keys_.append(word);
    slot.breaks_at = breaks_.size();
    for (std::size_t b : hyphenation::WordBreaks(*language_.set, word, language_.minimums, language_.turkic)) {
      breaks_.push_back(static_cast<uint32_t>(b));
    }
    slot.breaks_size = breaks_.size() - slot.breaks_at;
    const std::span<const uint32_t> found{breaks_.data() + slot.breaks_at, slot.breaks_size};
    if (++count_ * 2 > slots_.size()) Grow();
    return found;
  }

  std::size_t size() const { return count_; }

 private:
  static constexpr std::size_t kFirstSlots = 1024;
  struct Slot {
    uint64_t hash = 0;
    std::size_t key_at = 0;
    std::size_t key_size = 0;
    std::size_t breaks_at = 0;
    std::size_t breaks_size = 0;
  };

  void Grow() {
    std::vector<Slot> old(slots_.size() * 2);
    old.swap(slots_);
    for (const Slot& slot : old) {
      if (slot.hash == 0) continue;
      std::size_t at = slot.hash & (slots_.size() - 1);
      while (slots_[at].hash != 0) at = (at + 1) & (slots_.size() - 1);
      slots_[at] = slot;
    }
  }

  const PatternLanguage& language_;
  std::vector<Slot> slots_;
  std::string keys_;
  std::vector<uint32_t> breaks_;
  std::size_t count_ = 0;
};

bool HasHighByte(std::string_view bytes) {
  std::size_t i = 0;
  for (; i + 8 <= bytes.size(); i += 8) {
    uint64_t chunk;
    std::memcpy(&chunk, bytes.data() + i, 8);
    if ((chunk & 0x8080808080808080ULL) != 0) return true;
  }
  for (; i < bytes.size(); ++i) {
    if (static_cast<uint8_t>(bytes[i]) >= 0x80) return true;
  }
  return false;
}

// One stretch of text and letter references in UTF-8, with the source
// offset of each of its bytes where it is not the page's own bytes (empty
// then). A decoded reference's bytes all stand at the reference's "&", so a
// break before the letter goes before the reference and one after it past
// the ";".
struct Utf8Stretch {
  std::string_view text;
  std::string converted;
  std::vector<uint32_t> source;

  Utf8Stretch(std::string_view page, const std::vector<ByteKind>& kinds, std::size_t begin, std::size_t end,
              bool utf8) {
    const std::string_view bytes = page.substr(begin, end - begin);
    const auto* kind = kinds.data() + begin;
    // Most stretches are their own UTF-8 already: ASCII reads the same in
    // either encoding.
    if (std::memchr(kind, static_cast<int>(ByteKind::kLetter), bytes.size()) == nullptr &&
        (utf8 || !HasHighByte(bytes))) {
      text = bytes;
      return;
    }
    for (std::size_t i = 0; i < bytes.size();) {
      const std::size_t before = converted.size();
      std::size_t next = i + 1;
      if (kind[i] == ByteKind::kLetter) {
        next = std::min(bytes.find(';', i), bytes.size() - 1) + 1;
        const uint8_t letter = DecodeReference(bytes.substr(i, next - i)).value_or('?');
        hyphenation::AppendUtf8(platform::Cp1254ToUnicode(letter), converted);
      } else if (utf8) {
        converted += bytes[i];
      } else {
        hyphenation::AppendUtf8(platform::Cp1254ToUnicode(static_cast<uint8_t>(bytes[i])), converted);
      }
      source.insert(source.end(), converted.size() - before, static_cast<uint32_t>(begin + i));
      i = next;
    }
    source.push_back(static_cast<uint32_t>(end));
    text = converted;
  }
  // The page offset of byte `offset` of the text, for a stretch at `begin`.
  std::size_t PageOffset(std::size_t begin, std::size_t offset) const {
    return source.empty() ? begin + offset : source[offset];
  }
};

std::size_t CodePointCount(std::string_view utf8) {
  return static_cast<std::size_t>(
      std::count_if(utf8.begin(), utf8.end(), [](char c) { return (static_cast<uint8_t>(c) & 0xC0) != 0x80; }));
}

bool IsTextKind(ByteKind kind) { return kind == ByteKind::kText || kind == ByteKind::kLetter; }

// The pass over a page whose kinds (exclusions marked) and stretches are known.
PatternPassResult Hyphenate(std::string_view page, const std::vector<ByteKind>& kinds,
                            const std::vector<TaggedStretch>& stretches, const PatternLanguageLookup& languages,
                            const PatternPassSettings& settings) {
  PatternPassResult result;
  std::vector<std::size_t> cuts;
  std::vector<std::pair<const PatternLanguage*, std::unique_ptr<BreakCache>>> caches;
  for (std::size_t k = 0; k < stretches.size(); ++k) {
    if (stretches[k].language != Language::kOther) continue;
    const PatternLanguage* language = languages(stretches[k].tag);
    const bool missing = language == nullptr;
    if (missing && std::find(result.tags_without_patterns.begin(), result.tags_without_patterns.end(),
                             stretches[k].tag) == result.tags_without_patterns.end()) {
      result.tags_without_patterns.push_back(stretches[k].tag);
    }
    BreakCache* cache = nullptr;
    if (!missing) {
      auto it = std::find_if(caches.begin(), caches.end(), [&](const auto& c) { return c.first == language; });
      if (it == caches.end()) it = caches.insert(caches.end(), {language, std::make_unique<BreakCache>(*language)});
      cache = it->second.get();
    }
    std::size_t* tag_words = missing ? nullptr : &result.words_by_tag[stretches[k].tag];
    const std::size_t end = k + 1 < stretches.size() ? stretches[k + 1].from : page.size();
    for (std::size_t a = stretches[k].from; a < end;) {
      if (!IsTextKind(kinds[a])) {
        ++a;
        continue;
      }
      std::size_t b = a;
      while (b < end && IsTextKind(kinds[b])) ++b;
      const Utf8Stretch stretch(page, kinds, a, b, settings.utf8);
      hyphenation::WordScanner scanner(stretch.text);
      for (hyphenation::TextWord word; scanner.Next(word);) {
        if (missing) {
          ++result.words_without_patterns;
          continue;
        }
        ++result.words;
        ++*tag_words;
        const std::string_view spelling = stretch.text.substr(word.begin, word.end - word.begin);
        if (settings.min_word_length > 0 && CodePointCount(spelling) < settings.min_word_length) continue;
        const std::span<const uint32_t> breaks = cache->Breaks(spelling);
        if (breaks.empty()) continue;
        ++result.words_hyphenated;
        for (uint32_t at : breaks) cuts.push_back(stretch.PageOffset(a, word.begin + at));
      }
      a = b;
    }
  }
  for (const auto& [language, cache] : caches) result.unique_words += cache->size();

  result.soft_hyphens = cuts.size();
  result.text.reserve(page.size() + cuts.size() * settings.soft_hyphen.size());
  std::size_t at = 0;
  for (std::size_t cut : cuts) {
    result.text.append(page.substr(at, cut - at));
    result.text += settings.soft_hyphen;
    at = cut;
  }
  result.text.append(page.substr(at));
  return result;
}

// The code point of the UTF-8 sequence at `at` and its length; a sequence
// cut short or malformed reads as U+FFFD, one byte long.
char32_t DecodeAt(const unsigned char* bytes, std::size_t n, std::size_t at, std::size_t& length) {
  const unsigned char b = bytes[at];
  length = b < 0xE0 ? 2 : b < 0xF0 ? 3 : 4;
  char32_t c = length == 2 ? (b & 0x1F) : length == 3 ? (b & 0x0F) : (b & 0x07);
  for (std::size_t k = 1; k < length; ++k) {
    if (at + k >= n || (bytes[at + k] & 0xC0) != 0x80) {
      length = 1;
      return 0xFFFD;
    }
    c = (c << 6) | (bytes[at + k] & 0x3F);
  }
  return c;
}

// The code page byte the classic pass would read for a character.
uint8_t CodePageByte(char32_t c) { return platform::UnicodeToCp1254(c).value_or(platform::kUnmappablePlaceholder); }

// How many of ç ğ ı ö ş ü Ç Ğ İ Ö Ş Ü the page holds as characters (in
// UTF-8 or code page 1254) or references, anywhere, counted up to `enough`:
// read from the bytes alone, before the markup is known, so that a Turkish
// page goes to the classic pass at the cost of a glance, and an English one
// without any of them is English by the 1 % rule for certain.
std::size_t TurkishLetters(std::string_view page, bool utf8, std::size_t enough) {
  const auto* bytes = reinterpret_cast<const unsigned char*>(page.data());
  const std::size_t n = page.size();
  constexpr uint64_t kOnes = 0x0101010101010101ULL;
  constexpr uint64_t kHighs = 0x8080808080808080ULL;
  std::size_t count = 0;
  for (std::size_t i = 0; i < n && count < enough; ++i) {
    // Eight bytes at a time past those with neither "&" nor a high bit.
    while (i + 8 <= n) {
      uint64_t chunk;
      std::memcpy(&chunk, bytes + i, 8);
      const uint64_t amp = chunk ^ (kOnes * '&');
      if (((chunk | ((amp - kOnes) & ~amp)) & kHighs) != 0) break;
      i += 8;
    }
    if (i >= n) break;
    const unsigned char b = bytes[i];
    if (b == '&') {
      const std::size_t end = page.find(';', i);
      constexpr std::size_t kLongestReference = 12;
      if (end != std::string_view::npos && end - i <= kLongestReference &&
          IsTurkishSpecialLetter(DecodeReference(page.substr(i, end - i + 1)).value_or(0))) {
        ++count;
      }
    } else if (b >= 0x80) {
      if (!utf8) {
        count += IsTurkishSpecialLetter(b);
      } else if (b >= 0xC0) {
        std::size_t length = 0;
        const char32_t c = DecodeAt(bytes, n, i, length);
        // A byte that is no UTF-8 counts as the code page letter it would
        // be, so that a code page page is told as soon.
        count += IsTurkishSpecialLetter(c == 0xFFFD ? b : CodePageByte(c));
        i += length - 1;
      } else {
        count += IsTurkishSpecialLetter(b);
      }
    }
  }
  return count;
}

// The 1 % rule over a UTF-8 page's own bytes, counting as the classic pass
// does over its code page text: each character as its code page byte, each
// letter reference as its letter. `at_most` is how many Turkish letters the
// page holds at most: once a hundred times as many letters are counted, the
// page is English whatever follows.
Language Utf8PageLanguage(std::string_view page, const std::vector<ByteKind>& kinds, std::size_t at_most) {
  static const std::array<uint8_t, 128> kAsciiLetter = [] {
    std::array<uint8_t, 128> t{};
    for (int b = 0; b < 128; ++b) t[b] = IsCodePageLetter(static_cast<uint8_t>(b)) ? 1 : 0;
    return t;
  }();
  const auto* bytes = reinterpret_cast<const unsigned char*>(page.data());
  const std::size_t enough = at_most * 100 + 1;
  std::size_t letters = 0;
  std::size_t turkish = 0;
  auto add = [&](uint8_t byte) {
    letters += IsCodePageLetter(byte);
    turkish += IsTurkishSpecialLetter(byte);
  };
  for (std::size_t i = 0; i < page.size();) {
    const unsigned char b = bytes[i];
    if (b < 0x80 && kinds[i] == ByteKind::kText) {
      letters += kAsciiLetter[b];
      ++i;
      if (letters >= enough) return Language::kEnglish;
      continue;
    }
    if (kinds[i] == ByteKind::kLetter) {
      const std::size_t end = std::min(page.find(';', i), page.size() - 1);
      add(DecodeReference(page.substr(i, end + 1 - i)).value_or(0));
      i = end + 1;
      continue;
    }
    std::size_t length = 1;
    const char32_t c = b < 0x80 ? b : DecodeAt(bytes, page.size(), i, length);
    if (kinds[i] == ByteKind::kText) add(CodePageByte(c));
    i += length;
  }
  return letters > 0 && turkish * 100 >= letters ? Language::kTurkish : Language::kEnglish;
}

}  // namespace

bool MostlyTurkish(std::string_view page, bool utf8) {
  return TurkishLetters(page, utf8, page.size() / 100 + 1) > page.size() / 100;
}

PatternPassResult HyphenateOtherLanguages(std::string_view page, const LanguageScopes& start,
                                          const ExclusionRules& exclusions, const PatternLanguageLookup& languages,
                                          const PatternPassSettings& settings) {
  std::vector<ByteKind> kinds = ClassifyMarkup(page);
  MarkExcludedElements(page, kinds, exclusions);
  const std::vector<TaggedStretch> stretches = MapLanguageTags(page, kinds, start);
  return Hyphenate(page, kinds, stretches, languages, settings);
}

std::optional<PatternPassResult> HyphenateWithPatternsAlone(std::string_view page, const ClassicStart& start,
                                                            const ExclusionRules& exclusions,
                                                            const PatternLanguageLookup& languages,
                                                            const PatternPassSettings& settings) {
  if (start.reading == nullptr) return std::nullopt;  // the classic setting
  const bool by_letters = start.setting == Language::kAuto && !start.page_language;
  // A page whose bytes are one in a hundred Turkish letters is all but
  // surely Turkish: the classic pass serves it without a first look here.
  const std::size_t turkish = by_letters ? TurkishLetters(page, settings.utf8, page.size() / 100 + 1) : 0;
  if (turkish > page.size() / 100) return std::nullopt;
  std::vector<ByteKind> kinds = ClassifyMarkup(page);
  MarkExcludedElements(page, kinds, exclusions);
  Language page_language = start.setting;
  if (start.setting == Language::kAuto) {
    // Without a Turkish letter the 1 % rule finds the page English.
    page_language = !by_letters      ? *start.page_language
                    : turkish == 0   ? Language::kEnglish
                    : settings.utf8  ? Utf8PageLanguage(page, kinds, turkish)
                                     : PageLanguage(page, kinds);
  }
  const LanguageScopes scopes(start.setting, page_language, start.reading);
  std::vector<TaggedStretch> stretches = MapLanguageTags(page, kinds, scopes);
  for (const TaggedStretch& stretch : stretches) {
    if (stretch.language != Language::kOther) return std::nullopt;
  }
  return Hyphenate(page, kinds, stretches, languages, settings);
}

}  // namespace corvane::html
