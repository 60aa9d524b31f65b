#include "hyphenation/pattern_set.h"

#include <iconv.h>
#include <unicode/uchar.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <memory>

#include "platform/error.h"
#include "platform/file_io.h"

namespace corvane::hyphenation {
namespace {

bool IsSpace(char32_t c) { return c == U' ' || c == U'\t' || c == U'\r' || c == U'\n' || c == U'\f' || c == U'\v'; }

// Splits at white space.
std::vector<std::u32string_view> Tokens(std::u32string_view text) {
  std::vector<std::u32string_view> tokens;
  size_t i = 0;
  while (i < text.size()) {
    while (i < text.size() && IsSpace(text[i])) ++i;
    const size_t begin = i;
    while (i < text.size() && !IsSpace(text[i])) ++i;
    if (i > begin) tokens.push_back(text.substr(begin, i - begin));
  }
  return tokens;
}

// "at-ten-de" -> the word and its breaks.
template <typename Map>
void AddException(std::u32string_view token, Map& out) {
  std::u32string word;
  std::vector<uint8_t> breaks(1, 0);
  for (char32_t c : token) {
    if (c == U'-') {
      breaks.back() = 1;
    } else {
      word.push_back(c);
      breaks.push_back(0);
    }
  }
  if (word.empty()) return;
  breaks.front() = 0;
  breaks.back() = 0;
  out.emplace(LowerWord(word), std::move(breaks));
}

std::string Trimmed(std::string_view s) {
  while (!s.empty() && (s.back() == '\r' || s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  return std::string(s);
}

// The dictionary's text after its first line, as UTF-8.
std::string ToUtf8(std::string_view text, std::string encoding, const std::string& name) {
  for (char& c : encoding) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  if (encoding == "UTF-8" || encoding == "UTF8") return std::string(text);
  if (encoding.rfind("MICROSOFT-", 0) == 0) encoding.erase(0, 10);
  std::string out;
  if (encoding == "ISO8859-1" || encoding == "ISO-8859-1" || encoding == "LATIN1") {
    // Every byte is its own code point: no converter needed.
    out.resize(text.size() * 2);
    char* at = out.data();
    for (char c : text) {
      const auto b = static_cast<unsigned char>(c);
      if (b < 0x80) {
        *at++ = c;
      } else {
        *at++ = static_cast<char>(0xC0 | (b >> 6));
        *at++ = static_cast<char>(0x80 | (b & 0x3F));
      }
    }
    out.resize(static_cast<size_t>(at - out.data()));
    return out;
  }
  iconv_t cd = iconv_open("UTF-8", encoding.c_str());
  if (cd == reinterpret_cast<iconv_t>(-1)) throw Error(name + ": unknown encoding '" + encoding + "'");
  std::unique_ptr<void, int (*)(iconv_t)> closer(cd, iconv_close);
  // In pieces, so that memory grows with what the text needs rather than
  // with the widest any byte could become.
  out.reserve(text.size() + text.size() / 2);
  char* in_ptr = const_cast<char*>(text.data());
  size_t in_left = text.size();
  char piece[16384];
  while (in_left > 0) {
    char* out_ptr = piece;
    size_t out_left = sizeof piece;
    const size_t done = iconv(cd, &in_ptr, &in_left, &out_ptr, &out_left);
    if (done == static_cast<size_t>(-1) && errno != E2BIG) {
      throw Error(name + ": text is not valid " + encoding + ": " + std::strerror(errno));
    }
    out.append(piece, sizeof piece - out_left);
  }
  return out;
}

int MinimumValue(const std::string& line, const std::string& name) {
  const size_t space = line.find_first_of(" \t");
  const std::string value = space == std::string::npos ? "" : Trimmed(line.substr(space));
  if (value.empty() || value.size() > 2 || !std::all_of(value.begin(), value.end(), ::isdigit)) {
    throw Error(name + ": bad minimum in '" + line + "'");
  }
  return std::stoi(value);
}

}  // namespace

std::u32string DecodeUtf8(std::string_view text, std::vector<size_t>* starts) {
  std::u32string out;
  DecodeUtf8Into(text, out, starts);
  return out;
}

void DecodeUtf8Into(std::string_view text, std::u32string& out, std::vector<size_t>* starts) {
  // Sized for the most code points the text can hold, written through a
  // pointer and cut to length: this runs once per word of a page.
  out.resize(text.size());
  char32_t* to = out.data();
  size_t first_start = 0;
  if (starts != nullptr) {
    first_start = starts->size();
    starts->resize(first_start + text.size());
  }
  size_t* start_at = starts != nullptr ? starts->data() + first_start : nullptr;
  size_t i = 0;
  while (i < text.size()) {
    if (start_at != nullptr) *start_at++ = i;
    const auto b = static_cast<unsigned char>(text[i]);
    if (b < 0x80) {
      *to++ = b;
      ++i;
      continue;
    }
    int extra = (b & 0xE0) == 0xC0 ? 1 : (b & 0xF0) == 0xE0 ? 2 : (b & 0xF8) == 0xF0 ? 3 : -1;
    char32_t c = extra == 1 ? (b & 0x1F) : extra == 2 ? (b & 0x0F) : (b & 0x07);
    bool ok = extra >= 0 && i + static_cast<size_t>(extra) < text.size();
    for (int k = 1; ok && k <= extra; ++k) {
      const auto next = static_cast<unsigned char>(text[i + static_cast<size_t>(k)]);
      ok = (next & 0xC0) == 0x80;
      c = (c << 6) | (next & 0x3F);
    }
    static constexpr char32_t kLeast[] = {0, 0x80, 0x800, 0x10000};
    if (ok && (c < kLeast[extra] || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF))) ok = false;
    if (!ok) {
      *to++ = 0xFFFD;
      ++i;
      continue;
    }
    *to++ = c;
    i += static_cast<size_t>(extra) + 1;
  }
  out.resize(static_cast<size_t>(to - out.data()));
  if (starts != nullptr) starts->resize(static_cast<size_t>(start_at - starts->data()));
}

void AppendUtf8(char32_t c, std::string& out) {
  if (c < 0x80) {
    out.push_back(static_cast<char>(c));
  } else if (c < 0x800) {
    out.push_back(static_cast<char>(0xC0 | (c >> 6)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  } else if (c < 0x10000) {
    out.push_back(static_cast<char>(0xE0 | (c >> 12)));
    out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  } else {
    out.push_back(static_cast<char>(0xF0 | (c >> 18)));
    out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  }
}

std::u32string LowerWord(std::u32string_view word, bool turkic) {
  std::u32string out(word);
  LowerInPlace(out, turkic);
  return out;
}

void LowerInPlace(std::u32string& word, bool turkic) {
  for (char32_t& c : word) {
    if (c < 0x80) {
      if (c >= U'A' && c <= U'Z') c = turkic && c == U'I' ? U'\u0131' : c + 32;
    } else if (c < 0x100) {
      // Latin-1's capitals lower-case 32 code points up, as ASCII's do.
      if (c >= 0xC0 && c <= 0xDE && c != 0xD7) c += 32;
    } else if (turkic && c == U'\u0130') {
      c = U'i';
    } else {
      c = static_cast<char32_t>(u_tolower(static_cast<UChar32>(c)));
    }
  }
}

std::string MarkedWord(const PatternSet& set, std::string_view word, Minimums minimums, bool turkic, char mark) {
  // Work space kept between words: this runs once per word of a page.
  thread_local std::vector<size_t> starts;
  thread_local std::u32string letters;
  thread_local std::vector<uint8_t> breaks;
  starts.clear();
  DecodeUtf8Into(word, letters, &starts);
  LowerInPlace(letters, turkic);
  set.Breaks(letters, minimums, breaks);
  // The word's own bytes between breaks, so that even a malformed sequence
  // comes back as it was.
  std::string out;
  out.reserve(word.size() + letters.size());
  size_t written = 0;
  for (size_t k = 1; k < letters.size(); ++k) {
    if (!breaks[k]) continue;
    out.append(word.substr(written, starts[k] - written));
    out.push_back(mark);
    written = starts[k];
  }
  out.append(word.substr(written));
  return out;
}

PatternSet PatternSet::FromTexFiles(const std::string& patterns_file, const std::string& exceptions_file,
                                    Minimums minimums) {
  const std::string patterns = platform::ReadFile(patterns_file);
  const std::string exceptions = exceptions_file.empty() ? std::string() : platform::ReadFile(exceptions_file);
  return FromTexText(patterns, exceptions, minimums);
}

PatternSet PatternSet::FromTexText(std::string_view patterns, std::string_view exceptions, Minimums minimums) {
  PatternSet set;
  set.minimums_ = minimums;
  const std::u32string text = DecodeUtf8(patterns);
  PatternList parsed;
  parsed.letters.reserve(text.size());
  parsed.levels.reserve(text.size());
  for (std::u32string_view token : Tokens(text)) parsed.Add(token);
  set.second_ = CodePointAutomaton(std::move(parsed));
  const std::u32string words = DecodeUtf8(exceptions);
  for (std::u32string_view token : Tokens(words)) AddException(token, set.exceptions_);
  return set;
}

PatternSet PatternSet::FromDicFile(const std::string& file) { return FromDicText(platform::ReadFile(file), file); }

PatternSet PatternSet::FromDicText(std::string_view text, const std::string& name) {
  const size_t first_end = text.find('\n');
  if (first_end == std::string_view::npos) throw Error(name + ": no patterns after the encoding line");
  const std::string utf8 = ToUtf8(text.substr(first_end + 1), Trimmed(text.substr(0, first_end)), name);

  PatternSet set;
  std::optional<int> compound_left, compound_right, plain_left, plain_right;
  PatternList levels[2];
  // Room for the most the text could hold, so that the lists never copy
  // themselves while growing; reserve that is never written costs nothing.
  for (PatternList& list : levels) {
    list.letters.reserve(utf8.size());
    list.levels.reserve(utf8.size() + 1);
  }
  int level = 0;
  std::string_view rest = utf8;
  std::u32string letters;
  while (!rest.empty()) {
    const size_t end = rest.find('\n');
    std::string_view line = rest.substr(0, end);
    rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
    while (!line.empty() && (line.front() == ' ' || line.front() == '\t')) line.remove_prefix(1);
    // A pattern is the line's first word; what follows it is ignored.
    size_t word_end = 0;
    while (word_end < line.size() && line[word_end] != ' ' && line[word_end] != '\t' && line[word_end] != '\r') {
      ++word_end;
    }
    const std::string_view word = line.substr(0, word_end);
    if (word.empty() || word[0] == '%' || word[0] == '#') continue;
    if (word[0] >= 'A' && word[0] <= 'Z') {
      const std::string option = Trimmed(line);
      if (word == "NEXTLEVEL") {
        level = 1;
        continue;
      } else if (word == "LEFTHYPHENMIN") {
        plain_left = set.minimums_.left = MinimumValue(option, name);
        continue;
      } else if (word == "RIGHTHYPHENMIN") {
        plain_right = set.minimums_.right = MinimumValue(option, name);
        continue;
      } else if (word == "COMPOUNDLEFTHYPHENMIN") {
        compound_left = MinimumValue(option, name);
        continue;
      } else if (word == "COMPOUNDRIGHTHYPHENMIN") {
        compound_right = MinimumValue(option, name);
        continue;
      } else if (word == "NOHYPHEN") {
        const std::u32string list = DecodeUtf8(Trimmed(option.substr(word.size())));
        size_t start = 0;
        for (size_t i = 0; i <= list.size(); ++i) {
          if (i == list.size() || list[i] == U',') {
            if (i > start) set.no_break_at_.push_back(list.substr(start, i - start));
            start = i + 1;
          }
        }
        continue;
      }
    }
    if (word.find('/') != std::string_view::npos) {
      ++set.skipped_;
      continue;
    }
    DecodeUtf8Into(word, letters, nullptr);
    levels[level].Add(letters);
  }
  set.joint_minimums_.left = compound_left.value_or(plain_left.value_or(3));
  set.joint_minimums_.right = std::max(compound_right.value_or(plain_right.value_or(3)), 2);
  if (level == 0) {
    // The patterns are the second level under one that joins at hyphens
    // and apostrophes, which are themselves never broken at.
    levels[1] = std::move(levels[0]);
    levels[0] = PatternList();
    for (std::u32string_view joint : {U"-", U"'", U"\u2013", U"\u2019"}) {
      levels[0].Add(U"1" + std::u32string(joint) + U"1");
      set.no_break_at_.emplace_back(joint);
    }
  }
  // A dictionary's later pattern replaces an earlier one of the same letters.
  set.first_ = CodePointAutomaton(std::move(levels[0]), CodePointAutomaton::Duplicates::kLaterWins);
  set.second_ = CodePointAutomaton(std::move(levels[1]), CodePointAutomaton::Duplicates::kLaterWins);
  return set;
}

size_t PatternSet::PatternCount() const { return second_.PatternCount() + (first_ ? first_->PatternCount() : 0); }

void PatternSet::Breaks(std::u32string_view word, Minimums minimums, std::vector<uint8_t>& breaks) const {
  const size_t n = word.size();
  breaks.assign(n + 1, 0);
  if (n < 2) return;
  const auto exception = exceptions_.empty() ? exceptions_.end() : exceptions_.find(word);
  if (exception != exceptions_.end()) {
    breaks = exception->second;
  } else if (!first_ || !first_->MarkBreaks(word, breaks.data())) {
    // A word of one part keeps only the word's minimums.
    second_.MarkBreaks(word, breaks.data());
  } else {
    // Joints first, then each part on its own.
    thread_local std::vector<uint8_t> inner;
    size_t start = 0;
    for (size_t end = 1; end <= n; ++end) {
      if (end < n && !breaks[end]) continue;
      const std::u32string_view part = word.substr(start, end - start);
      inner.assign(part.size() + 1, 0);
      second_.MarkBreaks(part, inner.data());
      // A compound's parts keep at least two letters whole before its end
      // too.
      const size_t left = start == 0 ? 0 : static_cast<size_t>(joint_minimums_.left);
      const size_t right = end == n ? 2 : static_cast<size_t>(joint_minimums_.right);
      for (size_t j = 1; j < part.size(); ++j) {
        if (inner[j] && j >= left && part.size() - j >= right) breaks[start + j] = 1;
      }
      start = end;
    }
  }
  for (const std::u32string& never : no_break_at_) {
    for (size_t at = word.find(never); at != std::u32string_view::npos; at = word.find(never, at + 1)) {
      breaks[at] = 0;
      breaks[at + never.size()] = 0;
    }
  }
  const size_t left = std::min(static_cast<size_t>(std::max(minimums.left, 1)), n + 1);
  const size_t right = static_cast<size_t>(std::max(minimums.right, 1));
  std::fill_n(breaks.begin(), left, 0);
  for (size_t k = n >= right ? n - right + 1 : 0; k <= n; ++k) breaks[k] = 0;
}

}  // namespace corvane::hyphenation
