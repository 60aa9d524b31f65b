#include "html/pattern_language_pass.h"

#include <algorithm>
#include <cstring>
#include <span>

#include "html/entities.h"
#include "html/markup.h"
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

// Whether a UTF-8 page may hold one of ç ğ ı ö ş ü Ç Ğ İ Ö Ş Ü, as a
// character or a letter reference: only then can the 1 % rule find it
// Turkish. Its bytes read as code page 1254 would miscount its letters.
bool MayHoldTurkishUtf8(std::string_view page, const std::vector<ByteKind>& kinds) {
  static constexpr std::string_view kLetters[] = {"\xC3\xA7", "\xC4\x9F", "\xC4\xB1", "\xC3\xB6",
                                                  "\xC5\x9F", "\xC3\xBC", "\xC3\x87", "\xC4\x9E",
                                                  "\xC4\xB0", "\xC3\x96", "\xC5\x9E", "\xC3\x9C"};
  if (HasHighByte(page)) {
    for (std::string_view letter : kLetters) {
      if (page.find(letter) != std::string_view::npos) return true;
    }
  }
  const auto* kind = reinterpret_cast<const unsigned char*>(kinds.data());
  for (const void* found = std::memchr(kind, static_cast<int>(ByteKind::kLetter), kinds.size()); found != nullptr;) {
    const std::size_t at = static_cast<std::size_t>(static_cast<const unsigned char*>(found) - kind);
    std::size_t end = at;
    while (end < kinds.size() && kinds[end] == ByteKind::kLetter) ++end;
    if (IsTurkishSpecialLetter(DecodeReference(page.substr(at, end - at)).value_or(0))) return true;
    found = end < kinds.size() ? std::memchr(kind + end, static_cast<int>(ByteKind::kLetter), kinds.size() - end)
                               : nullptr;
  }
  return false;
}

}  // namespace

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
  std::vector<ByteKind> kinds = ClassifyMarkup(page);
  MarkExcludedElements(page, kinds, exclusions);
  Language page_language = start.setting;
  if (start.setting == Language::kAuto) {
    if (start.page_language) {
      page_language = *start.page_language;
    } else if (settings.utf8) {
      if (MayHoldTurkishUtf8(page, kinds)) return std::nullopt;
      page_language = Language::kEnglish;
    } else {
      // Code page bytes are what the classic pass would read.
      page_language = PageLanguage(page, kinds);
    }
  }
  const LanguageScopes scopes(start.setting, page_language, start.reading);
  std::vector<TaggedStretch> stretches = MapLanguageTags(page, kinds, scopes);
  for (const TaggedStretch& stretch : stretches) {
    if (stretch.language != Language::kOther) return std::nullopt;
  }
  return Hyphenate(page, kinds, stretches, languages, settings);
}

}  // namespace corvane::html
