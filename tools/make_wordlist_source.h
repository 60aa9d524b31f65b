// Helpers of the word-list generator (make_wordlist) and its coverage report
// (make_wordlist_coverage): reading the Turkish spelling dictionary, turning
// its words into list keys, the measures the ranking uses, and writing the
// list file.
//
// The dictionary is a pair of files:
//
//   tr_TR.aff  "SET UTF-8", "FLAG num", then one block per flag:
//                SFX <flag> N 1            header: one rule follows
//                SFX <flag> 0 <suffix> .   strip nothing, append <suffix>,
//                                          any stem may take it
//   tr_TR.dic  the entry count, then one entry a line: "word" or
//              "word/<flag>,<flag>,...".
//
// Only that shape is understood. Anything else (prefixes, stripping,
// conditions, continuation flags, other directives) would make the simple
// expansion below produce wrong words, so it is an error, not a warning.
//
// Words are held in code page 1254, lower-cased the Turkish way (I -> ı,
// İ -> i), as the word-list table stores them.
#ifndef CORVANE_TOOLS_MAKE_WORDLIST_SOURCE_H_
#define CORVANE_TOOLS_MAKE_WORDLIST_SOURCE_H_

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <fstream>
#include <optional>
#include <random>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "platform/case_tables.h"
#include "platform/codepage.h"
#include "platform/error.h"
#include "platform/locale.h"
#include "wordlist/line_cipher.h"
#include "hyphenation/turkish_syllabifier.h"

namespace corvane::wordlist_source {

// The word-list table cuts longer marked forms; such a word would come back
// with its end missing.
inline constexpr std::size_t kMaxMarkedLength = 30;
// Shorter words are never hyphenated and only crowd the table.
inline constexpr std::size_t kMinLetters = 3;

inline constexpr int kMaxFlag = 65535;

namespace detail {

inline std::vector<std::string_view> SplitFields(std::string_view line) {
  std::vector<std::string_view> fields;
  std::size_t i = 0;
  while (i < line.size()) {
    while (i < line.size() && (line[i] == ' ' || line[i] == '\t')) ++i;
    std::size_t start = i;
    while (i < line.size() && line[i] != ' ' && line[i] != '\t') ++i;
    if (i > start) fields.push_back(line.substr(start, i - start));
  }
  return fields;
}

inline std::optional<int> ParseFlag(std::string_view text) {
  int value = 0;
  auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (ec != std::errc() || end != text.data() + text.size() || value < 0) return std::nullopt;
  return value;
}

inline std::string_view StripLineEnd(std::string_view line) {
  while (!line.empty() && (line.back() == '\r' || line.back() == '\n')) line.remove_suffix(1);
  return line;
}

}  // namespace detail

// The lines of `text` without their line ends (LF or CR LF).
inline std::vector<std::string_view> Lines(std::string_view text) {
  std::vector<std::string_view> lines;
  for (std::size_t pos = 0; pos < text.size();) {
    std::size_t end = text.find('\n', pos);
    if (end == std::string_view::npos) end = text.size();
    lines.push_back(detail::StripLineEnd(text.substr(pos, end - pos)));
    pos = end + 1;
  }
  return lines;
}

inline std::string ReadWholeFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw Error("cannot read " + path);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

// The suffix of every flag, indexed by flag number (UTF-8, as in the file);
// nullopt for numbers the file does not define. Throws corvane::Error naming
// the first line it does not accept.
inline std::vector<std::optional<std::string>> ParseAffixFile(std::string_view text) {
  std::vector<std::optional<std::string>> suffixes;
  std::vector<bool> seen_header;
  std::vector<bool> seen_rule;
  bool utf8 = false;
  bool numeric_flags = false;
  std::size_t line_no = 0;
  auto fail = [&](std::string_view why, std::string_view line) {
    throw Error("tr_TR.aff line " + std::to_string(line_no) + ": " + std::string(why) + ": " +
                std::string(line));
  };
  for (const std::string_view line : Lines(text)) {
    ++line_no;
    const auto f = detail::SplitFields(line);
    if (f.empty() || f[0].front() == '#') continue;
    if (f[0] == "LANG" || f[0] == "TRY") continue;  // no effect on which words exist
    if (f[0] == "SET") {
      if (f.size() != 2 || f[1] != "UTF-8") fail("not UTF-8", line);
      utf8 = true;
      continue;
    }
    if (f[0] == "FLAG") {
      if (f.size() != 2 || f[1] != "num") fail("flags are not numeric", line);
      numeric_flags = true;
      continue;
    }
    if (f[0] != "SFX") fail("unexpected directive", line);
    if (!utf8 || !numeric_flags) fail("rule before SET UTF-8 and FLAG num", line);
    const auto flag = f.size() >= 2 ? detail::ParseFlag(f[1]) : std::nullopt;
    // Numeric flags stop at 65535; the bound also keeps a damaged file from
    // sizing the tables below.
    if (!flag || *flag > kMaxFlag) fail("flag is not a number up to 65535", line);
    const auto n = static_cast<std::size_t>(*flag);
    if (n >= suffixes.size()) {
      suffixes.resize(n + 1);
      seen_header.resize(n + 1);
      seen_rule.resize(n + 1);
    }
    if (f.size() == 4) {
      if ((f[2] != "N" && f[2] != "Y") || f[3] != "1") fail("header is not for one rule", line);
      if (seen_header[n]) fail("flag defined twice", line);
      seen_header[n] = true;
      continue;
    }
    if (f.size() != 5 || f[2] != "0" || f[4] != ".") fail("not a plain suffix rule", line);
    if (!seen_header[n] || seen_rule[n]) fail("rule without its own header", line);
    if (f[3].find('/') != std::string_view::npos) fail("suffix carries flags", line);
    seen_rule[n] = true;
    suffixes[n] = f[3] == "0" ? std::string() : std::string(f[3]);
  }
  for (std::size_t n = 0; n < suffixes.size(); ++n) {
    if (seen_header[n] && !seen_rule[n]) {
      throw Error("tr_TR.aff: flag " + std::to_string(n) + " has a header without its rule");
    }
  }
  return suffixes;
}

struct DicEntry {
  std::string_view word;  // UTF-8, as in the file
  std::vector<int> flags;
};

// One line of the .dic file after the count. `defined` tells which flags the
// affix file has; an unknown flag is an error, since its words would be lost
// without notice.
template <typename IsDefined>
DicEntry ParseDicLine(std::string_view line, const IsDefined& defined) {
  line = detail::StripLineEnd(line);
  DicEntry entry;
  const std::size_t slash = line.find('/');
  entry.word = line.substr(0, slash);
  if (entry.word.empty() || entry.word.find_first_of(" \t") != std::string_view::npos) {
    throw Error("tr_TR.dic: unexpected entry: " + std::string(line));
  }
  if (slash == std::string_view::npos) return entry;
  std::string_view rest = line.substr(slash + 1);
  while (true) {
    const std::size_t comma = rest.find(',');
    const auto flag = detail::ParseFlag(rest.substr(0, comma));
    if (!flag || !defined(*flag)) throw Error("tr_TR.dic: unknown flag in: " + std::string(line));
    entry.flags.push_back(*flag);
    if (comma == std::string_view::npos) break;
    rest.remove_prefix(comma + 1);
  }
  return entry;
}

// Letters a list word may hold (code page 1254, lower case): a-z, ç ğ ı ö ş ü
// and the circumflexed â î û of loan words.
inline bool IsTurkishLowerLetter(uint8_t c) {
  if (c >= 'a' && c <= 'z') return true;
  switch (c) {
    case 0xE7: case 0xF0: case 0xFD: case 0xF6: case 0xFE: case 0xFC:  // ç ğ ı ö ş ü
    case 0xE2: case 0xEE: case 0xFB:                                    // â î û
      return true;
    default:
      return false;
  }
}

// `utf8` in code page 1254, lower-cased the Turkish way; nullopt when it is
// not valid UTF-8 or holds a character the code page has no byte for.
inline std::optional<std::string> TurkishLower(std::string_view utf8) {
  if (!platform::IsValidUtf8(utf8)) return std::nullopt;
  const platform::DecodedUtf8 decoded = platform::Utf8ToCp1254(utf8);
  if (!decoded.unmappable.empty() || decoded.had_bom) return std::nullopt;
  return platform::AnsiCase::ForLocale(platform::kLocaleTurkish).Lower(decoded.text);
}

// True for a word the list should hold: Turkish letters only, at least three
// of them, and a marked form the table keeps whole.
inline bool IsListWord(std::string_view lower) {
  if (lower.size() < kMinLetters) return false;
  for (unsigned char c : lower) {
    if (!IsTurkishLowerLetter(c)) return false;
  }
  return hyphenation::Syllabify(lower).size() <= kMaxMarkedLength;
}

// The capitalised form the list needs beside `lower`: the lookup folds only
// A-Z, so "Çocuk" or "İstanbul" at the start of a sentence finds nothing
// under "çocuk" or "istanbul". Words beginning with an ASCII letter need no
// extra entry.
inline std::optional<std::string> CapitalisedKey(std::string_view lower) {
  if (lower.empty()) return std::nullopt;
  switch (static_cast<uint8_t>(lower[0])) {
    case 0xE7: case 0xF0: case 'i': case 0xF6: case 0xFE: case 0xFC: {  // ç ğ i ö ş ü
      std::string key(lower);
      key[0] = static_cast<char>(
          platform::AnsiCase::ForLocale(platform::kLocaleTurkish).Upper(static_cast<uint8_t>(key[0])));
      return key;
    }
    default:
      return std::nullopt;
  }
}

// The dictionary in code page 1254, lower case.
struct Dictionary {
  struct Entry {
    std::optional<std::string> lower;  // nullopt: a character the code page cannot hold
    std::vector<int> flags;
  };
  // By flag number; nullopt for a character the code page cannot hold.
  std::vector<std::optional<std::string>> suffixes;
  std::vector<Entry> entries;
  std::size_t expanded_forms = 0;  // entries plus their suffixed forms, before any filtering

  // Calls visit(word, entry, suffix) for every list word: each entry
  // (suffix empty) and each entry with each of its suffixes.
  template <typename Visit>
  void ForEachListWord(const Visit& visit) const {
    std::string form;
    for (const Entry& e : entries) {
      if (!e.lower) continue;
      if (IsListWord(*e.lower)) visit(*e.lower, e, std::string_view());
      for (int flag : e.flags) {
        if (!suffixes[flag]) continue;
        form = *e.lower + *suffixes[flag];
        if (IsListWord(form)) visit(form, e, std::string_view(*suffixes[flag]));
      }
    }
  }
};

inline Dictionary ReadDictionary(std::string_view aff_text, std::string_view dic_text) {
  Dictionary d;
  const std::vector<std::optional<std::string>> suffixes = ParseAffixFile(aff_text);
  for (const auto& s : suffixes) d.suffixes.push_back(s ? TurkishLower(*s) : std::nullopt);
  const auto defined = [&](int flag) {
    return static_cast<std::size_t>(flag) < suffixes.size() && suffixes[flag].has_value();
  };
  std::vector<std::string_view> lines = Lines(dic_text);
  while (!lines.empty() && lines.back().empty()) lines.pop_back();
  const auto declared = lines.empty() ? std::nullopt : detail::ParseFlag(lines[0]);
  if (!declared || static_cast<std::size_t>(*declared) != lines.size() - 1) {
    throw Error("tr_TR.dic: the count on its first line does not match its entries");
  }
  for (std::size_t i = 1; i < lines.size(); ++i) {
    DicEntry entry = ParseDicLine(lines[i], defined);
    d.expanded_forms += 1 + entry.flags.size();
    d.entries.push_back({TurkishLower(entry.word), std::move(entry.flags)});
  }
  return d;
}

// A suffix with its harmony and assimilation variants folded together
// (lar/ler -> lAr, dan/den/tan/ten -> DAn, ci/çı/cu/çü -> CI), and without
// the buffer consonant y, n or s that a suffix takes after a vowel (ya -> A,
// nın -> In, sı -> I), so that the count of stems taking a suffix is not
// split over its spellings.
inline std::string SuffixClass(std::string_view suffix) {
  if (suffix.size() > 1 && (suffix[0] == 'y' || suffix[0] == 'n' || suffix[0] == 's')) {
    suffix.remove_prefix(1);
  }
  std::string out(suffix);
  for (char& ch : out) {
    switch (static_cast<uint8_t>(ch)) {
      case 'a': case 'e': ch = 'A'; break;
      case 0xFD: case 'i': case 'u': case 0xFC: ch = 'I'; break;  // ı i u ü
      case 'd': case 't': ch = 'D'; break;
      case 'c': case 0xE7: ch = 'C'; break;  // c ç
      default: break;
    }
  }
  return out;
}

struct StemSplit {
  std::string stem;
  std::string suffix;
};

// Many entries of the dictionary are inflected forms listed on their own,
// without flags (metni, çubuğu, tıklayarak). They are tied to a stem that
// has flags by the longest cut whose front is such a stem, as written or
// before the stem's sound changes are undone: a softened final consonant
// (çubuğ- -> çubuk, kitab- -> kitap) or a dropped vowel (metn- -> metin).
template <typename IsStem>
std::optional<StemSplit> SplitOffStem(std::string_view word, const IsStem& is_stem) {
  auto is_vowel = [](char c) { return hyphenation::IsTurkishVowel(static_cast<uint8_t>(c)); };
  std::string candidate;
  for (std::size_t cut = word.size() - 1; cut >= kMinLetters && cut < word.size(); --cut) {
    const std::string_view front = word.substr(0, cut);
    const std::string suffix(word.substr(cut));
    if (is_stem(std::string(front))) return StemSplit{std::string(front), suffix};
    const uint8_t last = static_cast<uint8_t>(front.back());
    const char hard = last == 0xF0 ? 'k' : last == 'b' ? 'p' : last == 'c' ? '\xE7'
                    : last == 'd' ? 't' : last == 'g' ? 'k' : '\0';
    if (hard != '\0') {
      candidate.assign(front);
      candidate.back() = hard;
      if (is_stem(candidate)) return StemSplit{candidate, suffix};
    }
    if (!is_vowel(front[cut - 1]) && !is_vowel(front[cut - 2])) {
      for (char vowel : {'\xFD', 'i', 'u', '\xFC'}) {  // ı i u ü
        candidate.assign(front.substr(0, cut - 1));
        candidate += vowel;
        candidate += front[cut - 1];
        if (is_stem(candidate)) return StemSplit{candidate, suffix};
      }
    }
  }
  return std::nullopt;
}

// What the ranking knows of one way a word arises.
struct Derivation {
  // Forms the dictionary holds of the word's stem, by flags or as entries of
  // their own: the dictionary lists the forms it has seen, so a common stem
  // has many.
  int stem_forms = 0;
  // Words of the frequent-word list with the same stem.
  int frequent_forms = 0;
  int class_stems = 0;  // stems taking the suffix class; 0: no suffix
  int letters = 0;      // long words are rare words
  bool listed = false;  // an entry of the dictionary with flags of its own
};

// Weights of the ranking, set by comparing a few settings in the coverage
// report (see data/README.md).
struct RankWeights {
  double stem = 1.0;
  double frequent = 1.0;
  double suffix = 1.0;
  double per_letter = 0.1;
  double listed_bonus = 1.0;
};

// Higher is more likely to be written. `max_class_stems` is the count of the
// most widely used suffix class, so the suffix term is at most 0.
inline double RankScore(const Derivation& d, int max_class_stems, const RankWeights& w) {
  double score = w.stem * std::log(2.0 + d.stem_forms) + w.frequent * std::log(1.0 + d.frequent_forms) -
                 w.per_letter * d.letters;
  if (d.class_stems > 0) {
    score += w.suffix * std::log(static_cast<double>(d.class_stems) / max_class_stems);
  }
  if (d.listed) score += w.listed_bonus;
  return score;
}

// Order of the list file: byte by byte on the Turkish collation weights,
// case-sensitive, a prefix before the longer word.
inline bool CollationLess(std::string_view a, std::string_view b) {
  const auto& weight = platform::TurkishCollationWeights();
  const std::size_t n = a.size() < b.size() ? a.size() : b.size();
  for (std::size_t i = 0; i < n; ++i) {
    const uint8_t wa = weight[static_cast<uint8_t>(a[i])];
    const uint8_t wb = weight[static_cast<uint8_t>(b[i])];
    if (wa != wb) return wa < wb;
  }
  return a.size() < b.size();
}

// Seeds the cipher's start values. Changing it changes every line of the
// file; keep it.
inline constexpr std::uint32_t kStartValueSeed = 1254;

// The list file for `keys`: sorted, marked, encoded, one line each with
// CR LF. Every line is decoded again, so a word the cipher cannot carry stops
// the run instead of reaching the file.
inline std::string ListFileText(std::vector<std::string> keys) {
  std::sort(keys.begin(), keys.end(),
            [](const std::string& a, const std::string& b) { return CollationLess(a, b); });
  std::mt19937 start_values(kStartValueSeed);
  std::string text;
  for (const std::string& key : keys) {
    const std::string marked = hyphenation::Syllabify(key);
    // The top byte: mt19937's output is fixed by the standard, while
    // uniform_int_distribution may differ between libraries.
    const auto start = static_cast<uint8_t>(start_values() >> 24);
    const std::string line = wordlist::LineCipher::Encode(marked, "", start);
    if (wordlist::LineCipher::Decode(line, "") != marked) {
      throw Error("the line cipher does not round-trip " + key);
    }
    text += line;
    text += "\r\n";
  }
  return text;
}

}  // namespace corvane::wordlist_source

#endif  // CORVANE_TOOLS_MAKE_WORDLIST_SOURCE_H_
