// Whole-document pass over generated English pages of 1 MB and 10 MB.
//
// The pages are paragraphs of words drawn with a Zipf-like skew from
// /usr/share/dict/words (Debian's wamerican), with links, emphasis,
// punctuation and capitals, so that distinct words, tags and references
// appear in proportions like those of real pages.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstring>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "html/hyphenation_pass.h"
#include "hyphenation/hyphenator.h"

namespace {

std::vector<std::string> LoadWords() {
  std::vector<std::string> words;
  std::ifstream in("/usr/share/dict/words");
  for (std::string w; std::getline(in, w);) {
    if (!w.empty() && w.find('\'') == std::string::npos) words.push_back(w);
  }
  if (words.empty()) {
    for (const char* w : {"the", "hyphenation", "of", "documents", "international", "and",
                          "representation", "concatenation", "programming", "browsers",
                          "typography", "paragraph", "justification", "extraordinary"}) {
      words.push_back(w);
    }
  }
  return words;
}

std::string MakePage(std::size_t bytes) {
  static const std::vector<std::string> words = LoadWords();
  std::mt19937 rng(42);
  // Zipf-like: small indexes are far more frequent.
  std::uniform_real_distribution<double> unit(0.0, 1.0);
  auto pick = [&]() -> const std::string& {
    const double u = unit(rng);
    const auto index = static_cast<std::size_t>(std::pow(words.size(), u)) - 1;
    return words[std::min(index, words.size() - 1)];
  };
  std::string page = "<!DOCTYPE html>\n<html><head><title>Sample</title></head><body>\n";
  while (page.size() < bytes) {
    page += "<p class=\"text\">";
    for (int sentence = 0; sentence < 5; ++sentence) {
      for (int w = 0; w < 14; ++w) {
        std::string word = pick();
        if (w == 0 && word[0] >= 'a' && word[0] <= 'z') word[0] = static_cast<char>(word[0] - 32);
        if (w == 6) word = "<a href=\"https://example.org/" + word + "\">" + word + "</a>";
        if (w == 9) word = "<em>" + word + "</em>,";
        page += word;
        page += w == 13 ? ". " : " ";
      }
      if (sentence == 2) page += "&ndash; caf&eacute;\n";
    }
    page += "</p>\n";
  }
  return page + "</body></html>\n";
}

// Arguments: megabytes; language 0 English, 2 automatic (corvane::html::Language).
void BM_DocumentPass(benchmark::State& state) {
  const std::string page = MakePage(static_cast<std::size_t>(state.range(0)) << 20);
  corvane::hyphenation::TCorvaneHyphenator engine;
  engine.SetExceptionList({"h_e_ll_os"});
  corvane::html::HyphenationPass pass(engine, nullptr, nullptr);
  pass.SetLanguage(static_cast<corvane::html::Language>(state.range(1)));
  std::size_t unique = 0;
  for (auto _ : state) {
    std::string out = pass.HyphenateDocument(page);
    benchmark::DoNotOptimize(out.data());
    unique = pass.UniqueWordCount();
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * page.size()));
  state.counters["unique_words"] = static_cast<double>(unique);
}
BENCHMARK(BM_DocumentPass)
    ->ArgNames({"MB", "language"})
    ->ArgsProduct({{1, 10}, {0, 2}})
    ->Unit(benchmark::kMillisecond);

// The floor for any pass over the page: one memchr scan of its bytes for a
// byte it does not hold, which is memory bandwidth and nothing else.
void BM_MemchrFloor(benchmark::State& state) {
  const std::string page = MakePage(static_cast<std::size_t>(state.range(0)) << 20);
  for (auto _ : state) {
    benchmark::DoNotOptimize(std::memchr(page.data(), '\x01', page.size()));
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * page.size()));
}
BENCHMARK(BM_MemchrFloor)->Arg(1)->Arg(10)->Unit(benchmark::kMillisecond);

void BM_TextPass(benchmark::State& state) {
  const std::string page = MakePage(static_cast<std::size_t>(state.range(0)) << 20);
  corvane::hyphenation::TCorvaneHyphenator engine;
  corvane::html::HyphenationPass pass(engine, nullptr, nullptr);
  for (auto _ : state) {
    std::string out = pass.HyphenateText(page);
    benchmark::DoNotOptimize(out.data());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * page.size()));
}
BENCHMARK(BM_TextPass)->Arg(1)->Unit(benchmark::kMillisecond);

}  // namespace

// `pass_bench --write_page=FILE --page_mb=N` writes the N-megabyte page to
// FILE instead, for timing the whole `corvane hyphenate` process on it.
int main(int argc, char** argv) {
  std::string write_page;
  std::size_t megabytes = 10;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg.rfind("--write_page=", 0) == 0) write_page = arg.substr(13);
    if (arg.rfind("--page_mb=", 0) == 0) megabytes = std::stoul(arg.substr(10));
  }
  if (!write_page.empty()) {
    std::ofstream(write_page, std::ios::binary) << MakePage(megabytes << 20);
    return 0;
  }
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
