#include "wordlist/dictionary.h"

#include <algorithm>

#include "platform/file_io.h"
#include "platform/locale.h"
#include "platform/text_codec.h"
#include "html/markup.h"
#include "platform/error.h"

namespace corvane::wordlist {
namespace {

constexpr char kMark = '_';
constexpr char kDotlessI = '\xFD';
constexpr char kDottedCapitalI = '\xDD';

std::string TurkishLower(std::string_view word) {
  return platform::AnsiCase::ForLocale(platform::kLocaleTurkish).Lower(word);
}

// Turkish lower case with ı taken for i, and no marks.
std::string LooseKey(std::string_view lower) {
  std::string key;
  key.reserve(lower.size());
  for (char c : lower) {
    if (c != kMark) key += c == kDotlessI ? 'i' : c;
  }
  return key;
}

// How well the entry's letters fit the asked word, both in Turkish lower
// case: -1 when they cannot be the same word; else the count of exact
// letters, so that "kir" prefers kir to kır. An "i" asked may stand for a
// capital I, which is ı in Turkish.
int Fit(std::string_view asked, std::string_view entry_plain) {
  int exact = 0;
  for (std::size_t i = 0; i < asked.size(); ++i) {
    if (asked[i] == entry_plain[i]) {
      ++exact;
    } else if (!(asked[i] == 'i' && entry_plain[i] == kDotlessI)) {
      return -1;
    }
  }
  return exact;
}

// The position of an apostrophe that ends a word's stem, if any.
std::size_t StemEnd(std::string_view key) {
  const std::size_t at = key.find_first_of("'\x92");
  return at == 0 ? std::string_view::npos : at;
}

std::string_view Trim(std::string_view s) {
  while (!s.empty() && html::IsWordSeparator(s.front())) s.remove_prefix(1);
  while (!s.empty() && html::IsWordSeparator(s.back())) s.remove_suffix(1);
  return s;
}

}  // namespace

void MyWords::AddMarked(std::string_view marked) {
  const std::string lower = TurkishLower(marked);
  std::vector<std::string>& same = entries_[LooseKey(lower)];
  if (std::find(same.begin(), same.end(), lower) != same.end()) return;
  same.push_back(lower);
  ++size_;
}

std::optional<std::string> MyWords::FindWhole(std::string_view key) const {
  // The key has A-Z folded already; İ and the other capitals are folded here.
  const std::string asked = TurkishLower(key);
  const auto it = entries_.find(LooseKey(asked));
  if (it == entries_.end()) return std::nullopt;
  const std::string* best = nullptr;
  int best_fit = -1;
  for (const std::string& entry : it->second) {
    const int fit = Fit(asked, html::RemoveMarks(entry));
    if (fit > best_fit) best = &entry, best_fit = fit;
  }
  if (best == nullptr) return std::nullopt;
  std::string marked;
  marked.reserve(best->size());
  std::size_t k = 0;
  for (char c : *best) marked += c == kMark ? kMark : key[k++];
  return marked;
}

std::optional<std::string> MyWords::Find(const std::string& key) {
  if (auto whole = FindWhole(key)) return whole;
  const std::size_t stem_end = StemEnd(key);
  if (stem_end == std::string::npos) return std::nullopt;
  auto stem = FindWhole(std::string_view(key).substr(0, stem_end));
  if (!stem) return std::nullopt;
  return *stem + key.substr(stem_end);
}

MyWords ParseDictionary(std::string_view bytes) {
  const platform::DocumentText doc = platform::DecodeDocument(std::string(bytes), platform::Encoding::kAuto);
  MyWords lookup;
  std::string_view rest = doc.text;
  std::size_t line_number = 0;
  while (!rest.empty()) {
    const std::size_t end = rest.find_first_of("\r\n");
    std::string_view line = rest.substr(0, end);
    if (end == std::string_view::npos) {
      rest = {};
    } else {
      const bool crlf = rest[end] == '\r' && end + 1 < rest.size() && rest[end + 1] == '\n';
      rest.remove_prefix(end + (crlf ? 2 : 1));
    }
    ++line_number;
    line = Trim(line);
    if (line.empty() || line.front() == '#') continue;
    for (char c : line) {
      if (html::IsWordSeparator(c)) {
        throw Error("line " + std::to_string(line_number) + ": one marked word per line, such as ki_tap");
      }
    }
    lookup.AddMarked(line);
  }
  return lookup;
}

MyWords LoadDictionary(const std::string& path) {
  try {
    return ParseDictionary(platform::ReadFile(path));
  } catch (const Error& e) {
    throw Error("dictionary " + path + ": " + e.what());
  }
}

}  // namespace corvane::wordlist
