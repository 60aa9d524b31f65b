#include "html/soft_hyphen_inserter.h"

#include <algorithm>
#include <cstdint>
#include <unordered_map>

#include "html/string_automaton.h"
#include "html/word_hash.h"
#include "html/word_table.h"

namespace corvane::html {

std::vector<uint32_t> BreaksOfMarkedForm(std::string_view marked, char mark) {
  std::vector<uint32_t> breaks;
  uint32_t letters = 0;
  for (char c : marked) {
    if (c == mark) {
      breaks.push_back(letters);
    } else {
      ++letters;
    }
  }
  return breaks;
}

SoftHyphenInserter::SoftHyphenInserter(const DecodedView& view, const WordBytes& word_bytes,
                                       const LanguageMap* languages)
    : view_(view),
      text_(view.Text()),
      word_bytes_(word_bytes),
      languages_(languages),
      hyphen_bits_(text_.size() / 64 + 1, 0) {}

int32_t SoftHyphenInserter::WordAt(const WordsBySpelling& spelling, std::size_t start) const {
  const Language language = languages_ != nullptr ? languages_->At(start) : Language::kEnglish;
  return spelling[language == Language::kTurkish ? 1 : 0];
}

namespace {

void AddSpelling(std::array<int32_t, 2>& spelling, const HyphenatedWord& word, uint32_t id) {
  spelling[word.language == Language::kTurkish ? 1 : 0] = static_cast<int32_t>(id);
}

}  // namespace

bool SoftHyphenInserter::AnyHyphenIn(std::size_t first, std::size_t last) const {
  for (std::size_t i = first; i <= last; ++i) {
    if (HyphenAt(i)) return true;
  }
  return false;
}

void SoftHyphenInserter::AddHyphen(std::size_t i) {
  if (HyphenAt(i)) {
    ++extra_hyphens_[i];
  } else {
    hyphen_bits_[i >> 6] |= uint64_t{1} << (i & 63);
  }
  ++hyphen_count_;
}

bool SoftHyphenInserter::IsWordByteAt(std::size_t i) const {
  return word_bytes_(static_cast<uint8_t>(text_[i]));
}

bool SoftHyphenInserter::HasBoundaries(std::size_t start, std::size_t end) const {
  if (start > 0 && IsWordByteAt(start - 1)) return false;
  if (end < text_.size() && IsWordByteAt(end)) return false;
  if (start >= kSoftHyphen.size() && text_.substr(start - kSoftHyphen.size(), kSoftHyphen.size()) == kSoftHyphen) {
    return false;
  }
  return text_.substr(end, kSoftHyphen.size()) != kSoftHyphen;
}

// Words made only of word bytes can occur only as a whole run of word bytes,
// so one hash lookup per run finds them all. Two such occurrences never
// touch each other's bytes (each spans its whole run), so an occurrence
// clear of every guarded span (see GuardedSpans) is taken at once; only the
// others wait, in `deferred`, for the ordered pass of Apply. A large page
// thus never holds a list of all its words' occurrences.
void SoftHyphenInserter::TakePlainWords(const std::vector<HyphenatedWord>& words,
                                        const std::vector<Span>& guarded,
                                        std::vector<std::size_t>& counts,
                                        std::vector<Occurrence>& deferred) {
  WordTable index;  // spelling -> its place in `spellings`
  std::vector<WordsBySpelling> spellings;
  index.Reserve(words.size());
  std::size_t longest = 0;
  std::size_t shortest = SIZE_MAX;  // short runs ("a", "of") need no look-up
  for (uint32_t i = 0; i < words.size(); ++i) {
    const std::string& w = words[i].word;
    if (std::all_of(w.begin(), w.end(), [&](char c) { return word_bytes_(c); })) {
      const uint64_t hash = WordTable::Hash(w);
      uint32_t spelling = index.Find(w, hash);
      if (spelling == WordTable::kAbsent) {
        spelling = static_cast<uint32_t>(spellings.size());
        index.Insert(w, hash, spelling);
        spellings.push_back({-1, -1});
      }
      AddSpelling(spellings[spelling], words[i], i);
      longest = std::max(longest, w.size());
      shortest = std::min(shortest, w.size());
    }
  }
  if (spellings.empty()) return;
  const std::size_t n = text_.size();
  // Local copies, so that the compiler keeps them in registers across the
  // writes of the loop.
  const auto* const bytes = reinterpret_cast<const uint8_t*>(text_.data());
  const DecodedView& view = view_;
  const WordBytes is_word = word_bytes_;
  std::size_t next_guard = 0;
  std::size_t i = 0;
  while (i < n) {
    if (!is_word(bytes[i])) {
      ++i;
      continue;
    }
    std::size_t end = i;
    bool plain = true;
    for (; end < n && is_word(bytes[end]); ++end) plain &= view.IsText(end);
    if (plain && end - i <= longest && end - i >= shortest) {
      const uint32_t spelling = index.Find(text_.substr(i, end - i));
      if (spelling != WordTable::kAbsent && HasBoundaries(i, end)) {
        const int32_t word = WordAt(spellings[spelling], i);
        if (word >= 0) {
          // An occurrence's soft hyphens, and the hyphens that could stop
          // it, lie within [i, end], both ends included.
          while (next_guard < guarded.size() && guarded[next_guard].last < i) ++next_guard;
          if (next_guard < guarded.size() && guarded[next_guard].first <= end) {
            deferred.push_back({static_cast<uint32_t>(word), i});
          } else {
            for (uint32_t offset : words[static_cast<std::size_t>(word)].breaks) AddHyphen(i + offset);
            ++counts[static_cast<std::size_t>(word)];
          }
        }
      }
    }
    i = end;
  }
}

// The stretches [start, start + length] (both ends included) of the given
// occurrences, merged and in text order.
std::vector<SoftHyphenInserter::Span> SoftHyphenInserter::GuardedSpans(
    const std::vector<HyphenatedWord>& words, const std::vector<Occurrence>& found) {
  std::vector<Span> spans;
  spans.reserve(found.size());
  for (const Occurrence& o : found) spans.push_back({o.start, o.start + words[o.word].word.size()});
  std::sort(spans.begin(), spans.end(), [](const Span& a, const Span& b) { return a.first < b.first; });
  std::vector<Span> merged;
  for (const Span& span : spans) {
    if (!merged.empty() && span.first <= merged.back().last) {
      merged.back().last = std::max(merged.back().last, span.last);
    } else {
      merged.push_back(span);
    }
  }
  return merged;
}

// Words that hold other bytes (apostrophes, dots, ...) may span several runs
// and nest in one another; a multi-string automaton finds them in one pass.
void SoftHyphenInserter::FindWordsWithPunctuation(const std::vector<HyphenatedWord>& words,
                                                  std::vector<Occurrence>& out) const {
  StringAutomaton automaton;
  std::unordered_map<std::string_view, uint32_t, WordHash> spelling_ids;
  std::vector<WordsBySpelling> spellings;
  for (uint32_t i = 0; i < words.size(); ++i) {
    const std::string& w = words[i].word;
    if (!w.empty() && !std::all_of(w.begin(), w.end(), [&](char c) { return word_bytes_(c); })) {
      const auto [it, added] = spelling_ids.try_emplace(w, static_cast<uint32_t>(spellings.size()));
      if (added) {
        spellings.push_back({-1, -1});
        automaton.Add(w, it->second);
      }
      AddSpelling(spellings[it->second], words[i], i);
    }
  }
  if (spellings.empty()) return;
  automaton.Build();
  const std::size_t n = text_.size();
  StringAutomaton::State state = StringAutomaton::kRoot;
  for (std::size_t i = 0; i < n; ++i) {
    const auto c = static_cast<uint8_t>(text_[i]);
    // Words hold neither markup nor separators, so no occurrence spans one.
    if (!view_.IsText(i) || IsWordSeparator(c)) {
      state = StringAutomaton::kRoot;
      continue;
    }
    state = automaton.Next(state, c);
    const std::size_t end = i + 1;
    if (end < n && IsWordByteAt(end)) continue;
    automaton.ForEachMatch(state, [&](uint32_t id, uint32_t length) {
      const std::size_t start = end - length;
      if (!HasBoundaries(start, end)) return;
      const int32_t word = WordAt(spellings[id], start);
      if (word >= 0) out.push_back({static_cast<uint32_t>(word), start});
    });
  }
}

std::vector<std::size_t> SoftHyphenInserter::Apply(const std::vector<HyphenatedWord>& words) {
  std::vector<std::size_t> counts(words.size(), 0);
  std::vector<Occurrence> found;
  FindWordsWithPunctuation(words, found);
  TakePlainWords(words, GuardedSpans(words, found), counts, found);
  // Each word is found by exactly one of the two scans, in text order, so a
  // stable sort by word keeps every word's occurrences leftmost first.
  std::stable_sort(found.begin(), found.end(),
                   [](const Occurrence& a, const Occurrence& b) { return a.word < b.word; });

  std::vector<std::size_t> pending;
  std::size_t k = 0;
  while (k < found.size()) {
    const uint32_t w = found[k].word;
    const HyphenatedWord& word = words[w];
    const std::size_t length = word.word.size();
    std::size_t taken_end = 0;
    pending.clear();
    for (; k < found.size() && found[k].word == w; ++k) {
      const std::size_t start = found[k].start;
      if (start < taken_end) continue;
      // A soft hyphen written for an earlier word inside or next to this
      // occurrence means the word no longer stands there whole.
      if (AnyHyphenIn(start, start + length)) continue;
      for (uint32_t offset : word.breaks) pending.push_back(start + offset);
      taken_end = start + length;
      ++counts[w];
    }
    for (std::size_t at : pending) AddHyphen(at);
  }
  return counts;
}

std::string SoftHyphenInserter::Result() const {
  const std::string_view source = view_.Source();
  std::string out;
  out.reserve(source.size() + hyphen_count_ * kSoftHyphen.size());
  std::size_t from = 0;
  std::size_t cursor = 0;
  for (std::size_t w = 0; w < hyphen_bits_.size(); ++w) {
    for (uint64_t bits = hyphen_bits_[w]; bits != 0; bits &= bits - 1) {
      const std::size_t at = w * 64 + static_cast<std::size_t>(__builtin_ctzll(bits));
      const std::size_t i = view_.SourceOffset(at, cursor);
      out.append(source.substr(from, i - from));
      out.append(kSoftHyphen);
      if (!extra_hyphens_.empty()) {
        if (const auto it = extra_hyphens_.find(at); it != extra_hyphens_.end()) {
          for (std::size_t h = 0; h < it->second; ++h) out.append(kSoftHyphen);
        }
      }
      from = i;
    }
  }
  out.append(source.substr(from));
  return out;
}

}  // namespace corvane::html
