#include "html/soft_hyphen_inserter.h"

#include <algorithm>
#include <cstdint>

#include "html/separator_mask.h"
#include "html/string_automaton.h"
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
  const std::size_t n = soft_hyphen_.size();
  if (start >= n && text_.substr(start - n, n) == soft_hyphen_) return false;
  return text_.substr(end, n) != soft_hyphen_;
}

// The two ways a word is sought. Words made only of word bytes can occur
// only as a whole run of word bytes, so one hash look-up per run finds them
// all. Words that hold other bytes (apostrophes, dots, ...) may span several
// runs and nest in one another; a multi-string automaton finds them, run
// only over the stretches that hold such a byte.
class SoftHyphenInserter::Matchers {
 public:
  Matchers(const std::vector<HyphenatedWord>& words, const WordBytes& word_bytes) {
    plain_index_.Reserve(words.size());
    WordTable punctuated_index;
    for (uint32_t i = 0; i < words.size(); ++i) {
      const std::string& w = words[i].word;
      if (w.empty()) continue;
      if (std::all_of(w.begin(), w.end(), [&](char c) { return word_bytes(c); })) {
        AddSpelling(plain_[SpellingOf(w, plain_index_, plain_)], words[i], i);
        longest_ = std::max(longest_, w.size());
        shortest_ = std::min(shortest_, w.size());
      } else {
        const std::size_t known = punctuated_.size();
        const uint32_t spelling = SpellingOf(w, punctuated_index, punctuated_);
        if (spelling == known) automaton_.Add(w, spelling);
        AddSpelling(punctuated_[spelling], words[i], i);
      }
    }
    if (!punctuated_.empty()) automaton_.Build();
  }

  bool HasPlain() const { return !plain_.empty(); }
  bool HasPunctuated() const { return !punctuated_.empty(); }
  // The spellings of the plain word `run`, or null.
  const WordsBySpelling* Plain(std::string_view run) const {
    if (run.size() > longest_ || run.size() < shortest_) return nullptr;  // "a", "of": no look-up
    const uint32_t spelling = plain_index_.Find(run);
    return spelling == WordTable::kAbsent ? nullptr : &plain_[spelling];
  }
  const StringAutomaton& automaton() const { return automaton_; }
  const WordsBySpelling& Punctuated(uint32_t id) const { return punctuated_[id]; }

 private:
  // The place of spelling `w` in `spellings`, found through `index`; a new
  // spelling is appended, with no word yet in either language.
  static uint32_t SpellingOf(std::string_view w, WordTable& index, std::vector<WordsBySpelling>& spellings) {
    const uint64_t hash = WordTable::Hash(w);
    uint32_t spelling = index.Find(w, hash);
    if (spelling == WordTable::kAbsent) {
      spelling = static_cast<uint32_t>(spellings.size());
      index.Insert(w, hash, spelling);
      spellings.push_back({-1, -1});
    }
    return spelling;
  }

  WordTable plain_index_;  // spelling -> its place in plain_
  std::vector<WordsBySpelling> plain_;
  std::size_t longest_ = 0;
  std::size_t shortest_ = SIZE_MAX;
  StringAutomaton automaton_;
  std::vector<WordsBySpelling> punctuated_;
};

template <typename OnToken>
void SoftHyphenInserter::ForEachToken(OnToken&& on_token) const {
  const uint64_t* const text_bits = view_.TextBits();
  ForEachRunOfSetBits(
      text_.size(),
      [&](std::size_t base, std::size_t count) {
        return text_bits[base / 64] & ~SeparatorMask(text_.data() + base, count);
      },
      on_token);
}

// Words hold neither markup nor separators, so every occurrence lies inside
// one token: a stretch of text bytes between separators and markup. Two plain
// occurrences never touch each other's bytes (each spans its whole run), so
// one clear of every guarded span (the token's punctuated occurrences, see
// GuardedSpans) is taken at once; only the others wait, in `deferred`, for
// the ordered pass of Apply. A large page thus never holds a list of all
// its words' occurrences.
void SoftHyphenInserter::ScanToken(const Matchers& matchers, const std::vector<HyphenatedWord>& words,
                                   std::size_t start, std::size_t end, std::vector<std::size_t>& counts, std::vector<Occurrence>& deferred,
                                   std::vector<Span>& guarded) {
  const auto* const bytes = reinterpret_cast<const uint8_t*>(text_.data());
  // Most tokens are one run of word bytes; the walk to the first other byte
  // tells, and is the first run's walk too.
  std::size_t run_end = start;
  while (run_end < end && word_bytes_(bytes[run_end])) ++run_end;
  guarded.clear();
  if (run_end < end && matchers.HasPunctuated()) {
    const std::size_t from = deferred.size();
    FindWordsWithPunctuation(matchers, start, end, deferred);
    GuardedSpans(words, deferred, from, guarded);
  }
  if (!matchers.HasPlain()) return;
  std::size_t next_guard = 0;
  std::size_t i = start;
  for (;;) {
    const WordsBySpelling* spelling = run_end > i ? matchers.Plain(text_.substr(i, run_end - i)) : nullptr;
    if (spelling != nullptr && HasBoundaries(i, run_end)) {
      const int32_t word = WordAt(*spelling, i);
      if (word >= 0) {
        // An occurrence's soft hyphens, and the hyphens that could stop
        // it, lie within [i, run_end], both ends included.
        while (next_guard < guarded.size() && guarded[next_guard].last < i) ++next_guard;
        if (next_guard < guarded.size() && guarded[next_guard].first <= run_end) {
          deferred.push_back({static_cast<uint32_t>(word), i});
        } else {
          for (uint32_t offset : words[static_cast<std::size_t>(word)].breaks) AddHyphen(i + offset);
          ++counts[static_cast<std::size_t>(word)];
        }
      }
    }
    i = run_end;
    while (i < end && !word_bytes_(bytes[i])) ++i;
    if (i == end) return;
    run_end = i + 1;
    while (run_end < end && word_bytes_(bytes[run_end])) ++run_end;
  }
}

void SoftHyphenInserter::GuardedSpans(const std::vector<HyphenatedWord>& words,
                                      const std::vector<Occurrence>& found, std::size_t from,
                                      std::vector<Span>& spans) {
  if (from == found.size()) return;
  for (std::size_t k = from; k < found.size(); ++k) {
    spans.push_back({found[k].start, found[k].start + words[found[k].word].word.size()});
  }
  std::sort(spans.begin(), spans.end(), [](const Span& a, const Span& b) { return a.first < b.first; });
  std::size_t merged = 0;
  for (std::size_t k = 1; k < spans.size(); ++k) {
    if (spans[k].first <= spans[merged].last) {
      spans[merged].last = std::max(spans[merged].last, spans[k].last);
    } else {
      spans[++merged] = spans[k];
    }
  }
  spans.resize(merged + 1);
}

void SoftHyphenInserter::FindWordsWithPunctuation(const Matchers& matchers, std::size_t start,
                                                  std::size_t end, std::vector<Occurrence>& out) const {
  const StringAutomaton& automaton = matchers.automaton();
  StringAutomaton::State state = StringAutomaton::kRoot;
  for (std::size_t i = start; i < end; ++i) {
    state = automaton.Next(state, static_cast<uint8_t>(text_[i]));
    const std::size_t after = i + 1;
    if (after < text_.size() && IsWordByteAt(after)) continue;
    automaton.ForEachMatch(state, [&](uint32_t id, uint32_t length) {
      const std::size_t match = after - length;
      if (!HasBoundaries(match, after)) return;
      const int32_t word = WordAt(matchers.Punctuated(id), match);
      if (word >= 0) out.push_back({static_cast<uint32_t>(word), match});
    });
  }
}

std::vector<std::size_t> SoftHyphenInserter::Apply(const std::vector<HyphenatedWord>& words) {
  std::vector<std::size_t> counts(words.size(), 0);
  const Matchers matchers(words, word_bytes_);
  std::vector<Occurrence> found;
  if (matchers.HasPlain() || matchers.HasPunctuated()) {
    std::vector<Span> guarded;
    ForEachToken([&](std::size_t start, std::size_t end) {
      ScanToken(matchers, words, start, end, counts, found, guarded);
    });
  }
  // Each word is found by exactly one of the two matchers, in text order, so
  // a stable sort by word keeps every word's occurrences leftmost first.
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

template <typename OnPiece>
void SoftHyphenInserter::ForEachPiece(OnPiece&& on_piece) const {
  const std::string_view source = view_.Source();
  std::size_t from = 0;
  std::size_t cursor = 0;
  for (std::size_t w = 0; w < hyphen_bits_.size(); ++w) {
    for (uint64_t bits = hyphen_bits_[w]; bits != 0; bits &= bits - 1) {
      const std::size_t at = w * 64 + static_cast<std::size_t>(__builtin_ctzll(bits));
      const std::size_t i = view_.SourceOffset(at, cursor);
      on_piece(source.substr(from, i - from));
      on_piece(soft_hyphen_);
      if (!extra_hyphens_.empty()) {
        if (const auto it = extra_hyphens_.find(at); it != extra_hyphens_.end()) {
          for (std::size_t h = 0; h < it->second; ++h) on_piece(soft_hyphen_);
        }
      }
      from = i;
    }
  }
  on_piece(source.substr(from));
}

std::string SoftHyphenInserter::Result() const {
  std::string out;
  out.reserve(view_.Source().size() + hyphen_count_ * soft_hyphen_.size());
  ForEachPiece([&](std::string_view piece) { out.append(piece); });
  return out;
}

void SoftHyphenInserter::WriteResult(const ResultSink& sink) const {
  // The many short pieces are gathered into blocks; a long stretch without
  // soft hyphens goes on as it is.
  constexpr std::size_t kBlock = std::size_t{1} << 16;
  std::string block;
  block.reserve(kBlock);
  ForEachPiece([&](std::string_view piece) {
    if (block.size() + piece.size() > kBlock && !block.empty()) {
      sink(block);
      block.clear();
    }
    if (piece.size() >= kBlock) {
      sink(piece);
    } else {
      block.append(piece);
    }
  });
  if (!block.empty()) sink(block);
}

}  // namespace corvane::html
