#include "html/pattern_language_pass.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <exception>
#include <map>
#include <span>
#include <thread>

#include "html/break_cache.h"
#include "html/entities.h"
#include "html/markup.h"
#include "html/word_bytes.h"
#include "hyphenation/word_reader.h"
#include "platform/codepage.h"

namespace corvane::html {
namespace {

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

// Text and letters are the two kinds whose low two bits are clear, so eight
// kinds at a time tell whether a run goes on.
static_assert((static_cast<int>(ByteKind::kText) & 3) == 0 && (static_cast<int>(ByteKind::kLetter) & 3) == 0 &&
              (static_cast<int>(ByteKind::kHidden) & 3) != 0 && (static_cast<int>(ByteKind::kTag) & 3) != 0 &&
              (static_cast<int>(ByteKind::kReference) & 3) != 0);
constexpr uint64_t kLowBits = 0x0101010101010101ULL;

// The first offset from `from` on (`end` at most) whose kind is text, when
// `text`, or is not.
std::size_t SkipKinds(const ByteKind* kinds, std::size_t from, std::size_t end, bool text) {
  std::size_t i = from;
  for (; i + 8 <= end; i += 8) {
    uint64_t chunk;
    std::memcpy(&chunk, kinds + i, 8);
    const uint64_t other = (chunk | (chunk >> 1)) & kLowBits;  // a bit per byte that is not text
    if (other != (text ? kLowBits : 0)) break;
  }
  while (i < end && IsTextKind(kinds[i]) != text) ++i;
  return i;
}

// Whether the word stands beside "_" or a digit, as names and codes do.
bool TouchesIdentifier(std::string_view text, const hyphenation::TextWord& word) {
  auto identifying = [](char c) { return c == '_' || (c >= '0' && c <= '9'); };
  return (word.begin > 0 && identifying(text[word.begin - 1])) ||
         (word.end < text.size() && identifying(text[word.end]));
}

// The user's marked form of a lower-cased part, asked as the classic pass
// asks: in code page 1254, which every entry is held in, so a part the code
// page cannot spell has none.
hyphenation::OwnBreaks OwnBreaksFrom(WordLookup& own_words) {
  return [&own_words](std::u32string_view part, std::vector<uint8_t>& breaks) {
    std::string key;
    key.reserve(part.size());
    for (char32_t c : part) {
      const std::optional<uint8_t> byte = platform::UnicodeToCp1254(c);
      if (!byte) return false;
      key += static_cast<char>(*byte);
    }
    const std::optional<std::string> marked = own_words.Find(key);
    if (!marked) return false;
    breaks.assign(part.size() + 1, 0);
    std::size_t letters = 0;
    for (char c : *marked) {
      if (c != '_') {
        ++letters;
      } else if (letters > 0 && letters < part.size()) {
        breaks[letters] = 1;
      }
    }
    return letters == part.size();
  };
}

// A language stretch as the word loop takes it: whether it is this pass's,
// and its patterns (null when none are installed).
struct ChosenStretch {
  bool ours = false;
  const PatternLanguage* language = nullptr;
};

// What one thread finds over its share [from, to) of the page: the offsets
// of its soft hyphens, in order, and its own break caches.
struct Share {
  std::size_t from = 0;
  std::size_t to = 0;
  std::vector<std::size_t> cuts;
  std::vector<std::pair<const PatternLanguage*, std::unique_ptr<BreakCache>>> caches;
  std::size_t words = 0;
  std::size_t words_hyphenated = 0;
  std::size_t words_without_patterns = 0;
  std::map<std::string, std::size_t> words_by_tag;
  std::exception_ptr failure;

  BreakCache& CacheFor(const PatternLanguage* language, const hyphenation::OwnBreaks* own) {
    auto it = std::find_if(caches.begin(), caches.end(), [&](const auto& c) { return c.first == language; });
    if (it == caches.end()) it = caches.insert(caches.end(), {language, std::make_unique<BreakCache>(*language, own)});
    return *it->second;
  }
};

void FindCuts(std::string_view page, const std::vector<ByteKind>& kinds, const std::vector<TaggedStretch>& stretches,
              const std::vector<ChosenStretch>& chosen, const PatternPassSettings& settings,
              const hyphenation::OwnBreaks* own, Share& share) {
  for (std::size_t k = 0; k < stretches.size(); ++k) {
    if (!chosen[k].ours) continue;
    std::size_t* tag_words = chosen[k].language ? &share.words_by_tag[stretches[k].tag] : nullptr;
    const std::size_t from = std::max(stretches[k].from, share.from);
    const std::size_t end = std::min(k + 1 < stretches.size() ? stretches[k + 1].from : page.size(), share.to);
    if (from >= end) continue;
    BreakCache* cache = chosen[k].language ? &share.CacheFor(chosen[k].language, own) : nullptr;
    for (std::size_t a = SkipKinds(kinds.data(), from, end, true); a < end; a = SkipKinds(kinds.data(), a, end, true)) {
      const std::size_t b = SkipKinds(kinds.data(), a, end, false);
      const Utf8Stretch stretch(page, kinds, a, b, settings.utf8);
      hyphenation::WordScanner scanner(stretch.text);
      for (hyphenation::TextWord word; scanner.Next(word);) {
        if (cache == nullptr) {
          ++share.words_without_patterns;
          continue;
        }
        ++share.words;
        ++*tag_words;
        if (TouchesIdentifier(stretch.text, word)) continue;
        const std::string_view spelling = stretch.text.substr(word.begin, word.end - word.begin);
        if (settings.min_word_length > 0 && CodePointCount(spelling) < settings.min_word_length) continue;
        const std::span<const uint32_t> breaks = cache->Breaks(spelling);
        if (breaks.empty()) continue;
        ++share.words_hyphenated;
        for (uint32_t at : breaks) share.cuts.push_back(stretch.PageOffset(a, word.begin + at));
      }
      a = b;
    }
  }
}

// The share's bytes with their soft hyphens, from `out` on.
void WriteShare(std::string_view page, const Share& share, std::string_view soft_hyphen, char* out) {
  std::size_t at = share.from;
  for (std::size_t cut : share.cuts) {
    out = std::copy(page.data() + at, page.data() + cut, out);
    out = std::copy(soft_hyphen.begin(), soft_hyphen.end(), out);
    at = cut;
  }
  std::copy(page.data() + at, page.data() + share.to, out);
}

// The same bytes as WriteShare, handed to `sink` in pieces of about
// `piece` bytes, so that a large page's result is never held whole.
void StreamShare(std::string_view page, const Share& share, std::string_view soft_hyphen,
                 const std::function<void(std::string_view)>& sink, std::string& buffer) {
  constexpr std::size_t kPiece = 1 << 16;
  const auto put = [&](std::string_view bytes) {
    while (!bytes.empty()) {
      const std::size_t n = std::min(bytes.size(), kPiece - buffer.size());
      buffer.append(bytes.substr(0, n));
      bytes.remove_prefix(n);
      if (buffer.size() == kPiece) {
        sink(buffer);
        buffer.clear();
      }
    }
  };
  std::size_t at = share.from;
  for (std::size_t cut : share.cuts) {
    put(page.substr(at, cut - at));
    put(soft_hyphen);
    at = cut;
  }
  put(page.substr(at, share.to - at));
}

// Runs `work` on each share, the first on this thread and the others on
// threads of their own; a failure on any is thrown here once all are done.
template <typename Work>
void OnEveryShare(std::vector<Share>& shares, Work work) {
  std::vector<std::thread> threads;
  for (std::size_t k = 1; k < shares.size(); ++k) {
    threads.emplace_back([&shares, &work, k] {
      try {
        work(shares[k]);
      } catch (...) {
        shares[k].failure = std::current_exception();
      }
    });
  }
  try {
    work(shares[0]);
  } catch (...) {
    shares[0].failure = std::current_exception();
  }
  for (std::thread& thread : threads) thread.join();
  for (const Share& share : shares) {
    if (share.failure) std::rethrow_exception(share.failure);
  }
}

// The shares of a page: two halves for a large page on a machine with two
// cores, parted at a byte that is no text, so that every run of text, and
// so every word, lies whole in one. Markup, exclusions and languages are
// known for the whole page before, so no state crosses the parting.
std::vector<Share> SharesOf(std::string_view page, const std::vector<ByteKind>& kinds,
                            const PatternPassSettings& settings) {
  std::vector<Share> shares(1);
  shares[0].to = page.size();
  if (page.size() < settings.parallel_from || page.empty() || std::thread::hardware_concurrency() < 2) return shares;
  const std::size_t parting = SkipKinds(kinds.data(), page.size() / 2, page.size(), false);
  if (parting == 0 || parting >= page.size()) return shares;
  shares.resize(2);
  shares[0].to = shares[1].from = parting;
  shares[1].to = page.size();
  return shares;
}

// The pass over a page whose kinds (exclusions marked) and stretches are known.
// Takes the kinds to free them before the result is written.
PatternPassResult Hyphenate(std::string_view page, std::vector<ByteKind> kinds,
                            const std::vector<TaggedStretch>& stretches, const PatternLanguageLookup& languages,
                            const PatternPassSettings& settings) {
  PatternPassResult result;
  const std::optional<hyphenation::OwnBreaks> own =
      settings.own_words ? std::optional(OwnBreaksFrom(*settings.own_words)) : std::nullopt;
  // Languages are chosen here, once, so that the threads only read them.
  std::vector<ChosenStretch> chosen(stretches.size());
  for (std::size_t k = 0; k < stretches.size(); ++k) {
    if (stretches[k].language != Language::kOther) continue;
    chosen[k] = {true, languages(stretches[k].tag)};
    if (chosen[k].language == nullptr &&
        std::find(result.tags_without_patterns.begin(), result.tags_without_patterns.end(), stretches[k].tag) ==
            result.tags_without_patterns.end()) {
      result.tags_without_patterns.push_back(stretches[k].tag);
    }
  }
  std::vector<Share> shares = SharesOf(page, kinds, settings);
  OnEveryShare(shares, [&](Share& share) {
    FindCuts(page, kinds, stretches, chosen, settings, own ? &*own : nullptr, share);
  });
  // One byte a byte of the page: a large page wants the room for its result.
  std::vector<ByteKind>().swap(kinds);

  std::vector<std::size_t> out_at;
  for (std::size_t k = 0; k < shares.size(); ++k) {
    const Share& share = shares[k];
    out_at.push_back(share.from + result.soft_hyphens * settings.soft_hyphen.size());
    result.soft_hyphens += share.cuts.size();
    result.words += share.words;
    result.words_hyphenated += share.words_hyphenated;
    result.words_without_patterns += share.words_without_patterns;
    for (const auto& [tag, words] : share.words_by_tag) result.words_by_tag[tag] += words;
    for (const auto& [language, cache] : share.caches) {
      // A spelling met in an earlier share is no new one.
      result.unique_words += cache->size();
      for (std::size_t earlier = 0; earlier < k; ++earlier) {
        for (const auto& [other_language, other] : shares[earlier].caches) {
          if (other_language == language) result.unique_words -= cache->CountIn(*other);
        }
      }
    }
  }
  if (settings.sink) {
    std::string buffer;
    buffer.reserve(1 << 16);
    for (const Share& share : shares) StreamShare(page, share, settings.soft_hyphen, settings.sink, buffer);
    if (!buffer.empty() || page.empty()) settings.sink(buffer);
    return result;
  }
  result.text.resize(page.size() + result.soft_hyphens * settings.soft_hyphen.size());
  OnEveryShare(shares, [&](Share& share) {
    WriteShare(page, share, settings.soft_hyphen, result.text.data() + out_at[&share - shares.data()]);
  });
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
  static_assert(static_cast<uint8_t>(ByteKind::kText) == 0);
  constexpr uint64_t kOnes = 0x0101010101010101ULL;
  constexpr uint64_t kHighs = 0x8080808080808080ULL;
  auto has_zero_byte = [](uint64_t x) { return ((x - kOnes) & ~x & kHighs) != 0; };
  for (std::size_t i = 0; i < page.size();) {
    // Eight bytes at a time while they are all ASCII text or all markup
    // that counts nothing, as most of a page is: a page in a language whose
    // letters include some of the Turkish ones (German's ü and ö) is read
    // to its end. Markup is passed over only where no character runs on
    // past the eight, so that the walk lands where one byte at a time would.
    if (i + 8 <= page.size()) {
      const std::size_t from = i;
      for (; i + 8 <= page.size(); i += 8) {
        uint64_t chunk, chunk_kinds;
        std::memcpy(&chunk, bytes + i, 8);
        std::memcpy(&chunk_kinds, kinds.data() + i, 8);
        if (((chunk & kHighs) | chunk_kinds) == 0) {
          letters += kAsciiLetter[bytes[i]] + kAsciiLetter[bytes[i + 1]] + kAsciiLetter[bytes[i + 2]] +
                     kAsciiLetter[bytes[i + 3]] + kAsciiLetter[bytes[i + 4]] + kAsciiLetter[bytes[i + 5]] +
                     kAsciiLetter[bytes[i + 6]] + kAsciiLetter[bytes[i + 7]];
          continue;
        }
        const uint64_t letter_kinds = chunk_kinds ^ (kOnes * static_cast<uint8_t>(ByteKind::kLetter));
        const bool counts_nothing = !has_zero_byte(chunk_kinds) && !has_zero_byte(letter_kinds) &&
                                    (i + 8 == page.size() || (bytes[i + 8] & 0xC0) != 0x80);
        if (!counts_nothing) break;
      }
      if (letters >= enough) return Language::kEnglish;
      if (i > from) continue;
    }
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

std::size_t TurkishLetterCount(std::string_view page, bool utf8) {
  return TurkishLetters(page, utf8, page.size() / 100 + 1);
}

bool MostlyTurkish(std::string_view page, bool utf8) { return TurkishLetterCount(page, utf8) > page.size() / 100; }

PatternPassResult HyphenateOtherLanguages(std::string_view page, const LanguageScopes& start,
                                          const ExclusionRules& exclusions, const PatternLanguageLookup& languages,
                                          const PatternPassSettings& settings) {
  std::vector<ByteKind> kinds = ClassifyMarkup(page);
  MarkExcludedElements(page, kinds, exclusions);
  const std::vector<TaggedStretch> stretches = MapLanguageTags(page, kinds, start);
  return Hyphenate(page, std::move(kinds), stretches, languages, settings);
}

std::optional<PatternPassResult> HyphenateWithPatternsAlone(std::string_view page, const ClassicStart& start,
                                                            const ExclusionRules& exclusions,
                                                            const PatternLanguageLookup& languages,
                                                            const PatternPassSettings& settings) {
  if (start.reading == nullptr) return std::nullopt;  // the classic setting
  const bool by_letters = start.setting == Language::kAuto && !start.page_language;
  // A page whose bytes are one in a hundred Turkish letters is all but
  // surely Turkish: the classic pass serves it without a first look here.
  const std::size_t turkish =
      !by_letters ? 0 : start.turkish_letters ? *start.turkish_letters : TurkishLetterCount(page, settings.utf8);
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
  return Hyphenate(page, std::move(kinds), stretches, languages, settings);
}

}  // namespace corvane::html
