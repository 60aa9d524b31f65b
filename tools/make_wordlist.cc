// make_wordlist: writes the word-list file (cvhype.lst) from the Turkish
// spelling dictionary and a list of frequent Turkish words.
//
//   make_wordlist --aff tr_TR.aff --dic tr_TR.dic --frequent kelime_cebi_tr.txt
//                 --out cvhype.lst [--count 200000]
//
// The dictionary is expanded (every entry, and every entry with each of its
// suffixes), reduced to words of Turkish letters, ranked, and the best
// `--count` entries are written: each word in lower case and, where the
// lookup needs it, capitalised as well. Ranking, first to last:
//
//   1. the frequent-word list, in its own order;
//   2. everything else by RankScore (make_wordlist_source.h), which favours
//      the forms of stems the dictionary holds many forms of, stems seen in
//      the frequent-word list, suffixes that many stems take, short words,
//      and entries the dictionary lists with flags of their own (its stems);
//   ties by the list file's order.
//
// Unflagged entries (inflected forms the dictionary lists on their own) are
// tied to their stem by SplitOffStem, so they count as forms of that stem
// and their suffixes count as suffixes the stem takes.
//
// The output depends on nothing but the inputs: the cipher's start values
// come from a generator with a fixed seed, drawn in file order.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <limits>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "make_wordlist_source.h"
#include "platform/error.h"

namespace corvane::wordlist_source {
namespace {

struct Options {
  std::string aff;
  std::string dic;
  std::string frequent;
  std::string out;
  std::size_t count = 200000;
};

struct Candidate {
  int tier = 1;  // 0: frequent list, 1: the rest
  double score = -std::numeric_limits<double>::infinity();
};

// Everything the ranking learns from the dictionary and the frequent words.
class Ranking {
 public:
  Ranking(const Dictionary& dictionary, const std::vector<std::string>& frequent)
      : dictionary_(dictionary) {
    for (const auto& e : dictionary_.entries) {
      if (e.lower && !e.flags.empty()) {
        int& n = stem_flags_[*e.lower];
        n = std::max(n, static_cast<int>(e.flags.size()));
      }
    }
    for (const auto& e : dictionary_.entries) {
      if (!e.lower || !e.flags.empty() || !IsListWord(*e.lower) || splits_.count(*e.lower)) continue;
      auto split = SplitOffStem(*e.lower, [&](const std::string& s) { return stem_flags_.count(s) != 0; });
      if (!split) continue;
      ++tied_[split->stem];
      splits_.emplace(*e.lower, std::move(*split));
    }
    CountClassStems();
    CountFrequentForms(frequent);
  }

  // The best score of every list word the dictionary yields.
  void Score(const RankWeights& weights, std::unordered_map<std::string, Candidate>& out) const {
    dictionary_.ForEachListWord([&](const std::string& word, const Dictionary::Entry& e,
                                    std::string_view suffix) {
      Derivation d;
      d.letters = static_cast<int>(word.size());
      std::string_view stem = *e.lower;
      if (!suffix.empty()) {
        d.stem_forms = static_cast<int>(e.flags.size()) + Lookup(tied_, stem);
        d.class_stems = ClassStems(suffix);
      } else if (!e.flags.empty()) {
        d.stem_forms = static_cast<int>(e.flags.size()) + Lookup(tied_, stem);
        d.listed = true;
      } else if (const auto it = splits_.find(word); it != splits_.end()) {
        stem = it->second.stem;
        d.stem_forms = Lookup(stem_flags_, stem) + Lookup(tied_, stem);
        d.class_stems = ClassStems(it->second.suffix);
      }
      d.frequent_forms = Lookup(frequent_forms_, stem);
      Candidate& c = out[word];
      c.score = std::max(c.score, RankScore(d, max_class_stems_, weights));
    });
  }

 private:
  static int Lookup(const std::unordered_map<std::string, int>& map, std::string_view key) {
    const auto it = map.find(std::string(key));
    return it == map.end() ? 0 : it->second;
  }

  int ClassStems(std::string_view suffix) const {
    const auto it = class_stems_.find(SuffixClass(suffix));
    return it == class_stems_.end() ? 1 : it->second;
  }

  // The stem a list word is counted under: its entry's word, or for an
  // unflagged entry the stem it was tied to.
  std::string_view StemOf(const std::string& word, const Dictionary::Entry& e,
                          std::string_view suffix) const {
    if (suffix.empty() && e.flags.empty()) {
      if (const auto it = splits_.find(word); it != splits_.end()) return it->second.stem;
    }
    return *e.lower;
  }

  // Distinct stems per suffix class, over the flags and over the unflagged
  // entries tied to a stem: a suffix the dictionary spells out in full forms
  // is as common as one it expresses with a flag.
  void CountClassStems() {
    std::unordered_map<std::string, std::unordered_set<std::string_view>> stems;
    for (const auto& e : dictionary_.entries) {
      if (!e.lower) continue;
      for (int flag : e.flags) {
        const auto& suffix = dictionary_.suffixes[flag];
        if (suffix && !suffix->empty()) stems[SuffixClass(*suffix)].insert(*e.lower);
      }
    }
    for (const auto& [word, split] : splits_) stems[SuffixClass(split.suffix)].insert(split.stem);
    for (const auto& [name, set] : stems) {
      class_stems_[name] = static_cast<int>(set.size());
      max_class_stems_ = std::max(max_class_stems_, static_cast<int>(set.size()));
    }
  }

  // Stems people write often show in the frequent-word list with some of
  // their forms; each such form raises all forms of the stem.
  void CountFrequentForms(const std::vector<std::string>& frequent) {
    const std::unordered_set<std::string> words(frequent.begin(), frequent.end());
    std::unordered_set<std::string> pairs;  // stem + '\n' + word, counted once
    dictionary_.ForEachListWord([&](const std::string& word, const Dictionary::Entry& e,
                                    std::string_view suffix) {
      if (!words.count(word)) return;
      const std::string_view stem = StemOf(word, e, suffix);
      if (pairs.insert(std::string(stem) + '\n' + word).second) ++frequent_forms_[std::string(stem)];
    });
  }

  const Dictionary& dictionary_;
  std::unordered_map<std::string, int> stem_flags_;  // most flags of any entry of the word
  std::unordered_map<std::string, StemSplit> splits_;  // unflagged entries tied to a stem
  std::unordered_map<std::string, int> tied_;          // such entries per stem
  std::unordered_map<std::string, int> class_stems_;
  std::unordered_map<std::string, int> frequent_forms_;
  int max_class_stems_ = 1;
};

struct Chosen {
  std::vector<std::string> keys;
  std::size_t words = 0;
  std::size_t capitalised = 0;
  std::size_t frequent = 0;
};

Chosen Choose(const std::unordered_map<std::string, Candidate>& candidates, std::size_t count) {
  std::vector<std::pair<const std::string*, const Candidate*>> ranked;
  ranked.reserve(candidates.size());
  for (const auto& [word, c] : candidates) ranked.emplace_back(&word, &c);
  std::sort(ranked.begin(), ranked.end(), [](const auto& a, const auto& b) {
    if (a.second->tier != b.second->tier) return a.second->tier < b.second->tier;
    if (a.second->score != b.second->score) return a.second->score > b.second->score;
    return CollationLess(*a.first, *b.first);
  });
  Chosen chosen;
  for (const auto& [word, c] : ranked) {
    if (chosen.keys.size() >= count) break;
    const std::optional<std::string> capital = CapitalisedKey(*word);
    // A word whose capitalised twin does not fit any more leaves the room to
    // the next word without one, so the file holds exactly `count` lines.
    if (chosen.keys.size() + (capital ? 2 : 1) > count) continue;
    chosen.keys.push_back(*word);
    ++chosen.words;
    if (c->tier == 0) ++chosen.frequent;
    if (capital) {
      chosen.keys.push_back(*capital);
      ++chosen.capitalised;
    }
  }
  return chosen;
}

Options ParseOptions(int argc, char** argv) {
  Options o;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (i + 1 >= argc) throw Error("missing value after " + arg);
    const std::string value = argv[++i];
    if (arg == "--aff") o.aff = value;
    else if (arg == "--dic") o.dic = value;
    else if (arg == "--frequent") o.frequent = value;
    else if (arg == "--out") o.out = value;
    else if (arg == "--count") o.count = std::stoul(value);
    else throw Error("unknown option " + arg);
  }
  if (o.aff.empty() || o.dic.empty() || o.frequent.empty() || o.out.empty()) {
    throw Error("usage: make_wordlist --aff F --dic F --frequent F --out F [--count N]");
  }
  return o;
}

int Run(const Options& o) {
  const auto started = std::chrono::steady_clock::now();
  const Dictionary dictionary = ReadDictionary(ReadWholeFile(o.aff), ReadWholeFile(o.dic));

  std::string frequent_text = ReadWholeFile(o.frequent);
  if (frequent_text.starts_with("\xEF\xBB\xBF")) frequent_text.erase(0, 3);
  std::vector<std::string> frequent;
  for (std::string_view line : Lines(frequent_text)) {
    if (auto word = TurkishLower(line); word && IsListWord(*word)) frequent.push_back(*word);
  }

  std::unordered_map<std::string, Candidate> candidates;
  Ranking(dictionary, frequent).Score(RankWeights{}, candidates);
  const std::size_t dictionary_words = candidates.size();
  double position = 0;
  for (const std::string& word : frequent) {
    Candidate& c = candidates[word];
    if (c.tier == 0) continue;  // listed twice: the first place counts
    c.tier = 0;
    c.score = -(position++);
  }

  const Chosen chosen = Choose(candidates, o.count);
  const std::string text = ListFileText(chosen.keys);
  // Written beside the target and renamed, so a failed run leaves the old
  // file as it was.
  const std::string temporary = o.out + ".tmp";
  std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
  out << text;
  out.close();
  if (!out) throw Error("cannot write " + temporary);
  std::filesystem::rename(temporary, o.out);
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();

  std::printf("dictionary entries         %zu\n", dictionary.entries.size());
  std::printf("expanded forms             %zu\n", dictionary.expanded_forms);
  std::printf("distinct list words        %zu (dictionary), %zu (with frequent list)\n",
              dictionary_words, candidates.size());
  std::printf("chosen words               %zu (%zu from the frequent list)\n", chosen.words,
              chosen.frequent);
  std::printf("capitalised extras         %zu\n", chosen.capitalised);
  std::printf("lines written              %zu\n", chosen.keys.size());
  std::printf("file size                  %zu bytes\n", text.size());
  std::printf("run time                   %.1f s\n", seconds);
  return 0;
}

}  // namespace
}  // namespace corvane::wordlist_source

int main(int argc, char** argv) {
  try {
    return corvane::wordlist_source::Run(corvane::wordlist_source::ParseOptions(argc, argv));
  } catch (const std::exception& e) {
    std::fprintf(stderr, "make_wordlist: %s\n", e.what());
    return 1;
  }
}
