// Throughput of the hyphenation engine over an English word list, both
// through HyphenateWord and the way the passes call it (Input, Hyphenate,
// OutPut, one word at a time).
//
// Words come from /usr/share/dict/american-english when it is installed,
// otherwise from a built-in list of common words. items_per_second is words
// per second.
#include <benchmark/benchmark.h>

#include <fstream>
#include <string>
#include <vector>

#include "hyphenation/hyphenator.h"

namespace {

using corvane::hyphenation::TCorvaneHyphenator;

constexpr const char* kFallbackWords[] = {
    "the", "of", "and", "to", "in", "is", "that", "for", "it", "as", "was", "with", "be", "by",
    "on", "not", "he", "this", "are", "or", "his", "from", "at", "which", "but", "have", "an",
    "they", "you", "were", "her", "she", "there", "would", "their", "we", "him", "been", "has",
    "when", "who", "will", "more", "no", "if", "out", "so", "said", "what", "up", "its", "about",
    "into", "than", "them", "can", "only", "other", "new", "some", "could", "time", "these", "two",
    "may", "then", "do", "first", "any", "my", "now", "such", "like", "our", "over", "man", "me",
    "even", "most", "made", "after", "also", "did", "many", "before", "must", "through", "back",
    "years", "where", "much", "your", "way", "well", "down", "should", "because", "each", "just",
    "those", "people", "how", "too", "little", "state", "good", "very", "make", "world", "still",
    "own", "see", "men", "work", "long", "get", "here", "between", "both", "life", "being", "under",
    "never", "day", "same", "another", "know", "while", "last", "might", "us", "great", "old",
    "year", "off", "come", "since", "against", "go", "came", "right", "used", "take", "three",
    "states", "himself", "few", "house", "use", "during", "without", "again", "place", "american",
    "around", "however", "home", "small", "found", "thought", "went", "say", "part", "once",
    "general", "high", "upon", "school", "every", "does", "got", "united", "left", "number",
    "course", "war", "until", "always", "away", "something", "fact", "though", "water", "less",
    "public", "put", "think", "almost", "hand", "enough", "far", "took", "head", "yet",
    "government", "system", "better", "set", "told", "nothing", "night", "end", "why", "called",
    "eyes", "find", "going", "look", "asked", "later", "knew", "point", "next", "program", "city",
    "business", "give", "group", "toward", "young", "days", "let", "room", "president", "side",
    "social", "given", "present", "several", "order", "national", "possible", "rather", "second",
    "face", "per", "among", "form", "important", "often", "things", "looked", "early", "white",
    "case", "john", "become", "large", "big", "need", "four", "within", "felt", "along", "children",
    "saw", "best", "church", "ever", "least", "power", "development", "light", "thing", "seemed",
    "family", "interest", "want", "members", "mind", "country", "area", "others", "done", "turned",
    "although", "open", "god", "service", "certain", "kind", "problem", "began", "different",
    "door", "thus", "help", "sense", "means", "whole", "matter", "perhaps", "itself", "york",
    "times", "law", "human", "line", "above", "name", "example", "action", "company", "hands",
    "local", "show", "whether", "five", "history", "gave", "today", "either", "act", "feet",
    "across", "taken", "past", "quite", "anything", "seen", "having", "death", "experience", "body",
    "half", "really", "week", "car", "field", "information", "hyphenation", "concatenation",
    "internationalization", "programming", "extraordinary", "communication", "responsibility",
    "administration", "understanding", "representative", "characteristic", "environmental",
    "opportunity", "particularly", "organization", "relationship", "performance", "individual",
    "significant", "considerable", "establishment", "independence", "approximately",
    "consideration", "professional",
};

const std::vector<std::string>& Words() {
  static const std::vector<std::string> words = [] {
    std::vector<std::string> list;
    // By its own name: /usr/share/dict/words follows whichever word list
    // was installed last.
    std::ifstream in("/usr/share/dict/american-english");
    std::string word;
    while (std::getline(in, word)) {
      if (!word.empty()) list.push_back(word);
    }
    if (list.empty()) list.assign(std::begin(kFallbackWords), std::end(kFallbackWords));
    return list;
  }();
  return words;
}

TCorvaneHyphenator MakeAsOwned() {
  TCorvaneHyphenator h;
  h.SetExceptionList({"h_e_ll_os"});
  return h;
}

void BM_HyphenateWord(benchmark::State& state) {
  const std::vector<std::string>& words = Words();
  TCorvaneHyphenator h = MakeAsOwned();
  size_t next = 0;
  for (auto _ : state) {
    std::string marked = h.HyphenateWord(words[next]);
    benchmark::DoNotOptimize(marked);
    if (++next == words.size()) next = 0;
  }
  state.SetItemsProcessed(state.iterations());
  state.SetLabel(std::to_string(words.size()) + " words");
}
BENCHMARK(BM_HyphenateWord);

void BM_InputHyphenateOutPut(benchmark::State& state) {
  const std::vector<std::string>& words = Words();
  TCorvaneHyphenator h = MakeAsOwned();
  size_t next = 0;
  for (auto _ : state) {
    h.SetInput(words[next]);
    h.Hyphenate();
    benchmark::DoNotOptimize(h.OutPut().data());
    if (++next == words.size()) next = 0;
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_InputHyphenateOutPut);

// The whole list as one space-separated text through a single Hyphenate.
void BM_HyphenateText(benchmark::State& state) {
  const std::vector<std::string>& words = Words();
  std::string text;
  for (const std::string& word : words) text += word + " ";
  TCorvaneHyphenator h = MakeAsOwned();
  h.SetInput(text);
  for (auto _ : state) {
    h.Hyphenate();
    benchmark::DoNotOptimize(h.OutPut().data());
  }
  state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(words.size()));
}
BENCHMARK(BM_HyphenateText)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
