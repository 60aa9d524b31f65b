// The whole-document pass over Turkish pages with the word list open (the
// database is built from the shipped list beforehand; building and opening
// are not timed): 100 KB of the list's own words, and 1 MB in which a third
// of the words carry a suffix, so that many forms are missing from the list
// and go to the fallback of the page's language (automatic: the Turkish
// rule; English: the pattern engine).
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cmath>
#include <filesystem>
#include <random>

#include "html/hyphenation_pass.h"
#include "html/word_lookup.h"
#include "hyphenation/hyphenator.h"
#include "platform/app_dir.h"
#include "wordlist/import.h"
#include "wordlist/line_cipher.h"
#include "wordlist/list_file.h"
#include "wordlist/word_list_table.h"

namespace {

using corvane::wordlist::TWordList;

class TableLookup : public corvane::html::WordLookup {
 public:
  explicit TableLookup(TWordList& list) : list_(list) {}
  std::optional<std::string> Find(const std::string& key) override { return list_.Lookup(key); }

 private:
  TWordList& list_;
};

std::string ListPath() { return corvane::platform::AppDir() + corvane::wordlist::kListFileName; }
std::string DbPath() { return (std::filesystem::temp_directory_path() / "corvane_bench_page.EDB").string(); }

// Words of the list, as a Turkish text would use them: frequent ones often.
std::vector<std::string> ListWords() {
  corvane::wordlist::ListFileReader reader(ListPath());
  std::vector<std::string> words;
  std::string marked;
  while (!reader.Eof() && words.size() < 60000) {
    corvane::wordlist::LineCipher::DecodeInto(reader.ReadLine(), "", marked);
    std::string plain;
    for (char c : marked) if (c != '_') plain += c;
    words.push_back(plain);
  }
  return words;
}

std::string MakePage(const std::vector<std::string>& words, std::size_t bytes, int suffix_every = 0) {
  static const char* const kSuffixes[] = {"ler", "lar", "den", "dan", "ini", "\xFDnda", "leri", "lar\xFDn"};
  std::mt19937 rng(1254);
  std::string page = "<!DOCTYPE html><html lang=\"tr\"><body>\n";
  while (page.size() < bytes) {
    page += "<p>";
    for (int w = 0; w < 40; ++w) {
      std::string word = words[static_cast<std::size_t>(std::pow(words.size(), std::uniform_real_distribution<>(0, 1)(rng))) - 1];
      if (suffix_every > 0 && w % suffix_every == 1) word += kSuffixes[rng() % 8];
      if (w % 12 == 0 && word[0] >= 'a' && word[0] <= 'z') word[0] = static_cast<char>(word[0] - 32);
      page += word + (w % 12 == 11 ? ". " : " ");
    }
    page += "</p>\n";
  }
  return page + "</body></html>\n";
}

bool BuildDatabase(benchmark::State& state) {
  if (!std::filesystem::exists(ListPath())) {
    state.SkipWithError("cvhype.lst is not beside the program");
    return false;
  }
  if (!TWordList::DatabaseComplete(DbPath())) {
    TWordList list(DbPath());
    list.CreateEmptyTable();
    corvane::wordlist::WordListImport import(std::make_unique<corvane::wordlist::ListFileReader>(ListPath()), list);
    while (!import.ImportDone()) import.ImportBatch();
  }
  return true;
}

void BM_TurkishPage100KB(benchmark::State& state) {
  if (!BuildDatabase(state)) return;
  const std::string page = MakePage(ListWords(), 100 * 1024);
  TWordList list(DbPath());
  list.Open();
  TableLookup lookup(list);
  corvane::hyphenation::TCorvaneHyphenator engine;
  engine.SetExceptionList({"h_e_ll_os"});
  corvane::html::HyphenationPass pass(engine, &lookup, nullptr);
  for (auto _ : state) {
    std::string out = pass.HyphenateDocument(page);
    benchmark::DoNotOptimize(out.data());
  }
  state.counters["unique_words"] = static_cast<double>(pass.UniqueWordCount());
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(page.size()));
}
BENCHMARK(BM_TurkishPage100KB)->Unit(benchmark::kMillisecond);

// Argument: 0 English, 2 automatic (corvane::html::Language).
void BM_TurkishPage1MB(benchmark::State& state) {
  if (!BuildDatabase(state)) return;
  const std::string page = MakePage(ListWords(), 1 << 20, 3);
  TWordList list(DbPath());
  list.Open();
  TableLookup lookup(list);
  corvane::hyphenation::TCorvaneHyphenator engine;
  corvane::html::HyphenationPass pass(engine, &lookup, nullptr);
  pass.SetLanguage(static_cast<corvane::html::Language>(state.range(0)));
  for (auto _ : state) {
    std::string out = pass.HyphenateDocument(page);
    benchmark::DoNotOptimize(out.data());
  }
  state.counters["unique_words"] = static_cast<double>(pass.UniqueWordCount());
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(page.size()));
}
BENCHMARK(BM_TurkishPage1MB)->ArgName("language")->Arg(0)->Arg(2)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
