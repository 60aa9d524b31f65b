#include "html/soft_hyphen_inserter.h"

#include <algorithm>
#include <unordered_map>

#include "html/string_automaton.h"

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
      kinds_(view.Kinds()),
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
// so one hash lookup per run finds them all.
void SoftHyphenInserter::FindPlainWords(const std::vector<HyphenatedWord>& words,
                                        std::vector<Occurrence>& out) const {
  std::unordered_map<std::string_view, WordsBySpelling> index;
  std::size_t longest = 0;
  for (uint32_t i = 0; i < words.size(); ++i) {
    const std::string& w = words[i].word;
    if (std::all_of(w.begin(), w.end(), [&](char c) { return word_bytes_(c); })) {
      AddSpelling(index.try_emplace(w, WordsBySpelling{-1, -1}).first->second, words[i], i);
      longest = std::max(longest, w.size());
    }
  }
  if (index.empty()) return;
  const std::size_t n = text_.size();
  std::size_t i = 0;
  while (i < n) {
    if (!IsWordByteAt(i)) {
      ++i;
      continue;
    }
    std::size_t end = i;
    bool plain = true;
    while (end < n && IsWordByteAt(end)) {
      plain = plain && kinds_[end] == ByteKind::kText;
      ++end;
    }
    if (plain && end - i <= longest) {
      const auto it = index.find(text_.substr(i, end - i));
      if (it != index.end() && HasBoundaries(i, end)) {
        const int32_t word = WordAt(it->second, i);
        if (word >= 0) out.push_back({static_cast<uint32_t>(word), i});
      }
    }
    i = end;
  }
}

// Words that hold other bytes (apostrophes, dots, ...) may span several runs
// and nest in one another; a multi-string automaton finds them in one pass.
void SoftHyphenInserter::FindWordsWithPunctuation(const std::vector<HyphenatedWord>& words,
                                                  std::vector<Occurrence>& out) const {
  StringAutomaton automaton;
  std::unordered_map<std::string_view, uint32_t> spelling_ids;
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
    if (kinds_[i] != ByteKind::kText || IsWordSeparator(c)) {
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
  std::vector<Occurrence> found;
  FindPlainWords(words, found);
  FindWordsWithPunctuation(words, found);
  // Each word is found by exactly one of the two scans, in text order, so a
  // stable sort by word keeps every word's occurrences leftmost first.
  std::stable_sort(found.begin(), found.end(),
                   [](const Occurrence& a, const Occurrence& b) { return a.word < b.word; });

  std::vector<std::size_t> counts(words.size(), 0);
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
  for (std::size_t w = 0; w < hyphen_bits_.size(); ++w) {
    for (uint64_t bits = hyphen_bits_[w]; bits != 0; bits &= bits - 1) {
      const std::size_t at = w * 64 + static_cast<std::size_t>(__builtin_ctzll(bits));
      const std::size_t i = view_.SourceOffset(at);
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
