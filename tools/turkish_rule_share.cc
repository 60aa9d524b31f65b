// turkish_rule_share: how many Turkish words of hyphenated pages carry
// exactly the breaks of the Turkish syllable rule.
//
//   turkish_rule_share [-v] FILE...
//
// Reads hyphenated HTML (UTF-8 or code page 1254), takes the words of the
// text outside markup as the passes do (letter references read as their
// letters, one punctuation byte trimmed at either end), keeps those made of
// letters (and apostrophes) that hold one of ç ğ ı ö ş ü Ç Ğ İ Ö Ş Ü, and
// compares each word's soft hyphens with the rule's marks (2 letters at
// either end; only the part before an apostrophe). Prints the count of such
// words, how many match, and the share; -v also lists the distinct words
// that differ, as found and as the rule marks them.
#include <cstdio>
#include <fstream>
#include <iostream>
#include <iterator>
#include <map>
#include <string>
#include <vector>

#include "html/decoded_view.h"
#include "html/language.h"
#include "html/markup.h"
#include "html/turkish_words.h"
#include "html/unique_words.h"
#include "html/word_lookup.h"
#include "platform/codepage.h"

namespace {

using namespace corvane;

struct Tally {
  std::size_t words = 0;
  std::size_t matching = 0;
  std::map<std::string, std::string> differing;  // found -> the rule's form
};

std::string ReadAsCodePage(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (!platform::IsPlainAscii(bytes) && platform::IsValidUtf8(bytes)) {
    return platform::Utf8ToCp1254(bytes).text;
  }
  return bytes;
}

// Soft hyphens found, while reading: "_" may be the page's own.
constexpr char kFound = '\x01';

void Judge(std::string_view token, Tally& tally) {
  std::string found(html::TrimWord(token));
  if (found.find('_') != std::string::npos) return;  // never changed, by design
  const std::string plain = html::RemoveMarks(found, kFound);
  for (char& c : found) c = c == kFound ? '_' : c;
  bool turkish = false;
  for (char c : plain) turkish = turkish || html::IsTurkishSpecialLetter(static_cast<uint8_t>(c));
  if (!turkish) return;
  const std::optional<std::string> rule = html::MarkTurkishWord(plain);
  if (!rule) return;
  ++tally.words;
  if (*rule == found) {
    ++tally.matching;
  } else {
    tally.differing.emplace(found, *rule);
  }
}

void Count(const std::string& page, Tally& tally) {
  const html::DecodedView view(page, html::ClassifyMarkup(page));
  const std::string_view text = view.Text();
  std::string token;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const html::ByteKind kind = view.Kinds()[i];
    if (kind == html::ByteKind::kText && !html::IsWordSeparator(text[i])) {
      token += text[i];
      continue;
    }
    if (kind == html::ByteKind::kReference && text.compare(i, 5, "&shy;") == 0) {
      token += kFound;
      i += 4;
      continue;
    }
    if (!token.empty()) Judge(token, tally);
    token.clear();
  }
  if (!token.empty()) Judge(token, tally);
}

}  // namespace

int main(int argc, char** argv) {
  bool verbose = false;
  Tally tally;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "-v") {
      verbose = true;
      continue;
    }
    Count(ReadAsCodePage(arg), tally);
  }
  if (verbose) {
    for (const auto& [found, rule] : tally.differing) {
      std::cout << platform::Cp1254ToUtf8(found) << "\t" << platform::Cp1254ToUtf8(rule) << "\n";
    }
  }
  const double share = tally.words == 0 ? 0.0 : 100.0 * double(tally.matching) / double(tally.words);
  std::printf("%zu Turkish words, %zu with the rule's breaks: %.2f %%\n", tally.words, tally.matching,
              share);
  return 0;
}
