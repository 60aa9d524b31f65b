// The word-list workload shared by the table benchmarks: 164,000 distinct
// Turkish-looking words (code page 1254) with their marked forms, made from
// syllables by a fixed seed so every run and every engine sees the same data.
#ifndef CORVANE_BENCH_WORD_WORKLOAD_H_
#define CORVANE_BENCH_WORD_WORKLOAD_H_

#include <algorithm>
#include <random>
#include <string>
#include <unordered_set>
#include <utility>
#include <vector>

namespace corvane::bench {

struct WordEntry {
  std::string plain;   // NWORD
  std::string marked;  // HWORD
};

inline std::vector<WordEntry> MakeWordList(std::size_t count = 164000, unsigned seed = 1254) {
  static const char* const kSyllables[] = {
      "ka", "le", "mi", "ta", "bu", "\xE7" "ok", "ya", "zi", "d\xFC", "\xF6z", "ler", "lar", "s\xFD",
      "\xFE" "e", "\xF0\xFD", "ne", "ri", "to", "pa", "ma", "kal", "dan", "den", "in", "un", "ev", "ar", "ge",
      "hi", "sa", "be", "ci", "\xE7\xFD", "o", "u", "e", "kap", "sev", "gel", "git", "yap", "bil", "ver"};
  constexpr std::size_t kSyllableCount = sizeof kSyllables / sizeof kSyllables[0];
  std::mt19937 rng(seed);
  std::unordered_set<std::string> seen;
  std::vector<WordEntry> words;
  words.reserve(count);
  while (words.size() < count) {
    const int parts = 2 + static_cast<int>(rng() % 4);
    WordEntry e;
    for (int p = 0; p < parts; ++p) {
      const char* s = kSyllables[rng() % kSyllableCount];
      if (p > 0) e.marked += '_';
      e.plain += s;
      e.marked += s;
    }
    if (e.plain.size() <= 30 && e.marked.size() <= 30 && seen.insert(e.plain).second) words.push_back(std::move(e));
  }
  return words;
}

// Keys to look up: every other one present, the rest absent.
inline std::vector<std::string> MakeLookups(const std::vector<WordEntry>& words, std::size_t count,
                                            unsigned seed = 7) {
  std::mt19937 rng(seed);
  std::vector<std::string> keys;
  keys.reserve(count);
  for (std::size_t i = 0; i < count; ++i) {
    std::string key = words[rng() % words.size()].plain;
    if (i % 2 == 1) key += "qx";  // absent
    keys.push_back(std::move(key));
  }
  return keys;
}

inline std::vector<WordEntry> Sorted(std::vector<WordEntry> words) {
  std::sort(words.begin(), words.end(), [](const WordEntry& a, const WordEntry& b) { return a.plain < b.plain; });
  return words;
}

}  // namespace corvane::bench

#endif  // CORVANE_BENCH_WORD_WORKLOAD_H_
