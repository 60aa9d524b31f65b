// Pattern sets of other languages: how long the largest set (Hungarian)
// takes to load, and German's from the cache, and German words per second
// through the engine and, given the same hyph_de_DE.dic, through the C
// hyphenation library office suites use (built in only where it is
// installed). Pyphen's figure comes from
// compare_tools/pyphen_words.py on the same words.
//
// Words: an evenly spread sample of /usr/share/dict/ngerman. Benchmarks
// whose files are missing report an error and are skipped.
// items_per_second is words per second.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "hyphenation/language_catalog.h"
#include "hyphenation/pattern_cache.h"
#include "hyphenation/pattern_set.h"

#ifdef CORVANE_BENCH_LIBHYPHEN
#include <hyphen.h>
#endif

namespace {

using corvane::hyphenation::DecodeUtf8;
using corvane::hyphenation::LowerWord;
using corvane::hyphenation::MarkedWord;
using corvane::hyphenation::Minimums;
using corvane::hyphenation::PatternSet;

constexpr const char* kGermanDictionary = "/usr/share/hyphen/hyph_de_DE.dic";
constexpr const char* kHungarianDictionary = "/usr/share/hyphen/hyph_hu_HU.dic";
constexpr const char* kGermanWords = "/usr/share/dict/ngerman";
constexpr size_t kWordCount = 50000;

bool Readable(const char* path) { return std::ifstream(path).good(); }

const std::vector<std::string>& GermanWords() {
  static const std::vector<std::string> words = [] {
    std::vector<std::string> all, sample;
    std::ifstream in(kGermanWords);
    for (std::string line; std::getline(in, line);) {
      if (!line.empty()) all.push_back(line);
    }
    const size_t step = all.size() / kWordCount + 1;
    for (size_t i = 0; i < all.size(); i += step) sample.push_back(all[i]);
    return sample;
  }();
  return words;
}

std::string HungarianTexFile() {
  const auto catalog = corvane::hyphenation::LanguageCatalog::Find({});
  for (const auto& language : catalog.Languages()) {
    if (language.tag == "hu" && language.kind == corvane::hyphenation::LanguageKind::kTexPatterns) {
      return language.file;
    }
  }
  return "";
}

void BM_LoadHungarianTex(benchmark::State& state) {
  const std::string file = HungarianTexFile();
  if (file.empty()) return state.SkipWithError("no TeX patterns for hu (set CORVANE_PATTERNS_PATH)");
  for (auto _ : state) benchmark::DoNotOptimize(PatternSet::FromTexFiles(file, "", Minimums{2, 2}));
}
BENCHMARK(BM_LoadHungarianTex)->Unit(benchmark::kMillisecond);

void BM_LoadHungarianDictionary(benchmark::State& state) {
  if (!Readable(kHungarianDictionary)) return state.SkipWithError("hyphen-hu is not installed");
  for (auto _ : state) benchmark::DoNotOptimize(PatternSet::FromDicFile(kHungarianDictionary));
}
BENCHMARK(BM_LoadHungarianDictionary)->Unit(benchmark::kMillisecond);

void BM_LoadGermanDictionary(benchmark::State& state) {
  if (!Readable(kGermanDictionary)) return state.SkipWithError("hyphen-de is not installed");
  for (auto _ : state) benchmark::DoNotOptimize(PatternSet::FromDicFile(kGermanDictionary));
}
BENCHMARK(BM_LoadGermanDictionary)->Unit(benchmark::kMillisecond);

// What a process pays for the set once an earlier one has cached it: the
// file mapped and checked, no compiling.
void BM_LoadGermanDictionaryCached(benchmark::State& state) {
  if (!Readable(kGermanDictionary)) return state.SkipWithError("hyphen-de is not installed");
  char folder[] = "/tmp/corvane_language_bench_XXXXXX";
  if (mkdtemp(folder) == nullptr) return state.SkipWithError("no temporary folder");
  const std::string cache = std::string(folder) + "/";
  corvane::hyphenation::Language german;
  german.kind = corvane::hyphenation::LanguageKind::kDictionary;
  german.file = kGermanDictionary;
  (void)corvane::hyphenation::LoadCompiledSet(german, cache);
  for (auto _ : state) benchmark::DoNotOptimize(corvane::hyphenation::LoadCompiledSet(german, cache));
  std::filesystem::remove_all(folder);
}
BENCHMARK(BM_LoadGermanDictionaryCached)->Unit(benchmark::kMillisecond);

// UTF-8 words in, marked UTF-8 words out: decoding, lower-casing and all.
void BM_GermanWordsEngine(benchmark::State& state) {
  if (!Readable(kGermanDictionary) || !Readable(kGermanWords)) return state.SkipWithError("hyphen-de or wngerman");
  const PatternSet set = PatternSet::FromDicFile(kGermanDictionary);
  const std::vector<std::string>& words = GermanWords();
  for (auto _ : state) {
    for (const std::string& word : words) benchmark::DoNotOptimize(MarkedWord(set, word, set.OwnMinimums()));
  }
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * words.size()));
}
BENCHMARK(BM_GermanWordsEngine)->Unit(benchmark::kMillisecond);

#ifdef CORVANE_BENCH_LIBHYPHEN
// The library takes lower-cased Latin-1 words, made before timing.
void BM_GermanWordsLibrary(benchmark::State& state) {
  if (!Readable(kGermanDictionary) || !Readable(kGermanWords)) return state.SkipWithError("hyphen-de or wngerman");
  HyphenDict* dict = hnj_hyphen_load(kGermanDictionary);
  std::vector<std::string> latin1;
  for (const std::string& word : GermanWords()) {
    std::string bytes;
    for (char32_t c : LowerWord(DecodeUtf8(word))) bytes += static_cast<char>(c < 0x100 ? c : '?');
    latin1.push_back(bytes);
  }
  std::vector<char> hyphens(256);
  std::vector<char> marked(512);
  for (auto _ : state) {
    for (const std::string& word : latin1) {
      if (word.size() + 5 > hyphens.size()) continue;
      char** rep = nullptr;
      int* pos = nullptr;
      int* cut = nullptr;
      hnj_hyphen_hyphenate3(dict, word.c_str(), static_cast<int>(word.size()), hyphens.data(), marked.data(), &rep,
                            &pos, &cut, 2, 2, 2, 2);
      benchmark::DoNotOptimize(hyphens.data());
    }
  }
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * latin1.size()));
  hnj_hyphen_free(dict);
}
BENCHMARK(BM_GermanWordsLibrary)->Unit(benchmark::kMillisecond);
#endif

}  // namespace

BENCHMARK_MAIN();
