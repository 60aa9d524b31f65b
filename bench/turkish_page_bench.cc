// The whole-document pass over a 100 KB Turkish page with the word list
// open (the database is built from the shipped list beforehand; building
// and opening are not timed).
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
    corvane::wordlist::TVoxEncryption::DecodeInto(reader.ReadLine(), "", marked);
    std::string plain;
    for (char c : marked) if (c != '_') plain += c;
    words.push_back(plain);
  }
  return words;
}

std::string MakePage(const std::vector<std::string>& words, std::size_t bytes) {
  std::mt19937 rng(1254);
  std::string page = "<!DOCTYPE html><html lang=\"tr\"><body>\n";
  while (page.size() < bytes) {
    page += "<p>";
    for (int w = 0; w < 40; ++w) {
      std::string word = words[static_cast<std::size_t>(std::pow(words.size(), std::uniform_real_distribution<>(0, 1)(rng))) - 1];
      if (w % 12 == 0 && word[0] >= 'a' && word[0] <= 'z') word[0] = static_cast<char>(word[0] - 32);
      page += word + (w % 12 == 11 ? ". " : " ");
    }
    page += "</p>\n";
  }
  return page + "</body></html>\n";
}

void BM_TurkishPage100KB(benchmark::State& state) {
  if (!std::filesystem::exists(ListPath())) {
    state.SkipWithError("cvhype.lst is not beside the program");
    return;
  }
  if (!TWordList::DatabaseComplete(DbPath())) {
    TWordList list(DbPath());
    list.CreateEmptyTable();
    corvane::wordlist::TCreateDB import(std::make_unique<corvane::wordlist::ListFileReader>(ListPath()), list);
    while (!import.ImportDone()) import.Timer1Timer();
  }
  const std::string page = MakePage(ListWords(), 100 * 1024);
  TWordList list(DbPath());
  list.Open();
  TableLookup lookup(list);
  corvane::hyphenation::TCorvaneHyphenator engine;
  engine.SetExceptionList({"h_e_ll_os"});
  corvane::html::HyphenationPass pass(engine, &lookup, nullptr);
  for (auto _ : state) {
    std::string out = pass.HypenateMemo1(page);
    benchmark::DoNotOptimize(out.data());
  }
  state.counters["unique_words"] = static_cast<double>(pass.UniqueWordCount());
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(page.size()));
}
BENCHMARK(BM_TurkishPage100KB)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
