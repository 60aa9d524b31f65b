// make_wordlist_coverage: how much of real Turkish text the word list holds.
//
//   make_wordlist_coverage --list cvhype.lst --aff tr_TR.aff --dic tr_TR.dic
//                          --text-dir DIR [--missing N]
//
// The text is the Turkish LibreOffice help as Debian ships it: plain UTF-8
// .html pages (an .xhp source page would be read the same way). Of each page
// only the help text counts: from the display area to the footer, without
// scripts, styles and code samples. The help is not fully translated, so the
// text is cut into sentences, and a sentence counts as Turkish when its
// Turkish signs (words with ç ğ ı ö ş ü or their capitals, common Turkish
// function words) outnumber common English function words. Its words of
// three or more Turkish letters, lower-cased the Turkish way, are Turkish
// word tokens when the whole dictionary knows them or when they are written
// with one of those six letters; that leaves out the product names and
// untranslated terms of Turkish sentences (LibreOffice, Calc, HTML, Shift)
// but keeps Turkish words the dictionary lacks (veritabanı, sözdizimi).
// The report gives the figure for every token of the Turkish sentences too.
#include <algorithm>
#include <cctype>
#include <cstdio>
#include <filesystem>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "make_wordlist_source.h"
#include "platform/error.h"
#include "wordlist/line_cipher.h"
#include "wordlist/list_file.h"

namespace corvane::wordlist_source {
namespace {

namespace fs = std::filesystem;

const std::unordered_set<std::string_view> kEnglishSigns = {
    "the", "and", "of", "to", "is", "for", "you", "this", "that", "with", "are", "be",
    "or", "in", "on", "an", "as", "by", "it", "from", "will", "can", "not", "if",
    "which", "when", "your", "all", "have", "has", "was", "were", "use", "used", "into",
    "then", "than", "also", "its", "only", "must", "these", "those", "such"};
// Code page 1254, lower case.
const std::unordered_set<std::string_view> kTurkishSigns = {
    "ve", "bir", "bu", "i\xE7in", "ile", "veya", "da", "de", "olan", "gibi", "daha", "ya",
    "ki", "ne", "her", "\xE7ok", "en", "olarak", "kadar", "sonra", "g\xF6re"};

// Elements whose content is never prose.
const std::vector<std::string_view> kSkippedElements = {"script", "style", "code", "pre"};
// Tags that end a block of text; any other tag separates words.
const std::unordered_set<std::string_view> kBlockTags = {
    "p",  "h1", "h2", "h3",    "h4", "h5", "h6", "li", "td",      "th",  "div",
    "br", "tr", "table", "ul", "ol", "dt", "dd", "title", "caption", "paragraph"};

struct Count {
  std::size_t tokens = 0;
  std::size_t held = 0;
  void Add(bool in_list) {
    ++tokens;
    held += in_list;
  }
  double Percent() const { return tokens == 0 ? 0.0 : 100.0 * held / tokens; }
};

struct Tally {
  std::size_t files = 0;
  std::size_t other_files = 0;
  Count all_text;           // words of Turkish letters anywhere in the help text
  Count sentences;          // of those, in Turkish sentences
  Count turkish;            // of those, Turkish words
  std::size_t dictionary_known = 0;  // Turkish words the whole dictionary holds
  std::unordered_map<std::string, std::size_t> missing;
};

struct WordSets {
  std::unordered_set<std::string> list;        // plain words of the list file
  std::unordered_set<std::string> dictionary;  // every list word of the dictionary
};

// The lower-case plain words of the list file.
std::unordered_set<std::string> ReadListWords(const std::string& path) {
  wordlist::ListFileReader reader(path);
  std::unordered_set<std::string> words;
  std::string plain;
  while (!reader.Eof()) {
    wordlist::LineCipher::DecodeInto(reader.ReadLine(), "", plain);
    std::erase(plain, '_');
    words.insert(plain);
  }
  return words;
}

std::string_view HelpText(std::string_view page) {
  std::size_t begin = page.find("id=\"DisplayArea\"");
  begin = begin == std::string_view::npos ? page.find("</head>") : page.find('>', begin);
  begin = begin == std::string_view::npos ? 0 : begin + 1;
  std::size_t end = page.find("<footer", begin);
  return page.substr(begin, end == std::string_view::npos ? std::string_view::npos : end - begin);
}

std::string LowerAscii(std::string_view s) {
  std::string out(s);
  for (char& c : out) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return out;
}

// Marks the end of a block in the text TextBlocks returns.
constexpr char kBlockEnd = '\x01';

// Blocks of text, tags and references taken out.
std::string TextBlocks(std::string_view html) {
  std::string out;
  std::size_t i = 0;
  while (i < html.size()) {
    const char c = html[i];
    if (c == '&') {  // the help's references (&lt; &amp; &#39; ...) are all punctuation
      const std::size_t semi = html.find(';', i);
      if (semi != std::string_view::npos && semi - i <= 10) {
        out += ' ';
        i = semi + 1;
        continue;
      }
    }
    if (c != '<') {
      out += c;
      ++i;
      continue;
    }
    const std::size_t close = html.find('>', i);
    if (close == std::string_view::npos) break;
    std::size_t n = i + 1 + (html[i + 1] == '/' ? 1 : 0);
    std::size_t name_end = n;
    while (name_end < close && std::isalnum(static_cast<unsigned char>(html[name_end]))) ++name_end;
    const std::string name = LowerAscii(html.substr(n, name_end - n));
    i = close + 1;
    if (html[n - 1] != '/' &&
        std::find(kSkippedElements.begin(), kSkippedElements.end(), name) != kSkippedElements.end()) {
      const std::size_t end = html.find("</" + name, i);  // the help writes tags in lower case
      i = end == std::string_view::npos ? html.size() : end;
      out += kBlockEnd;
    } else if (kBlockTags.count(name)) {
      out += kBlockEnd;
    } else {
      // The help puts alternatives side by side in inline elements
      // ("<switchinline>Command</switchinline><defaultinline>Ctrl</...>"),
      // which must not run together into one word.
      out += ' ';
    }
  }
  return out;
}

// Decodes one UTF-8 character at `i`, advancing `i`.
char32_t NextChar(std::string_view s, std::size_t& i) {
  const auto b = static_cast<unsigned char>(s[i]);
  const int extra = b < 0x80 ? 0 : b < 0xE0 ? 1 : b < 0xF0 ? 2 : 3;
  char32_t c = extra == 0 ? b : b & (0x3F >> extra);
  ++i;
  for (int k = 0; k < extra && i < s.size(); ++k, ++i) c = (c << 6) | (s[i] & 0x3F);
  return c;
}

// Letters of the scripts the help uses; anything else separates words.
bool IsLetter(char32_t c) {
  if (c < 0x80) return (c | 0x20) >= 'a' && (c | 0x20) <= 'z';
  if (c == 0xD7 || c == 0xF7) return false;
  return (c >= 0xC0 && c <= 0x24F) || (c >= 0x370 && c <= 0x52F);
}

bool IsSentenceEnd(char32_t c) { return c == '.' || c == '!' || c == '?' || c == ';' || c == ':'; }

void TallySentence(const std::vector<std::string>& words, const WordSets& sets, Tally& t) {
  int turkish = 0;
  int english = 0;
  struct Token {
    std::string lower;
    bool turkish_letter;
  };
  std::vector<Token> tokens;
  const auto& turkish_case = platform::AnsiCase::ForLocale(platform::kLocaleTurkish);
  for (const std::string& w : words) {
    const platform::DecodedUtf8 decoded = platform::Utf8ToCp1254(w);
    if (!decoded.unmappable.empty()) continue;
    const std::string& cased = decoded.text;
    const std::string lower = turkish_case.Lower(cased);
    // ç ğ ı ö ş ü and Ç Ğ İ Ö Ş Ü, in the word as written (the Turkish lower
    // case of "Insert" has a ı, but the word is not Turkish)
    const bool turkish_letter =
        cased.find_first_of("\xE7\xF0\xFD\xF6\xFE\xFC\xC7\xD0\xDD\xD6\xDE\xDC") != std::string::npos;
    if (turkish_letter || kTurkishSigns.count(lower)) ++turkish;
    if (kEnglishSigns.count(LowerAscii(w))) ++english;
    bool letters = lower.size() >= kMinLetters;
    for (unsigned char ch : lower) letters = letters && IsTurkishLowerLetter(ch);
    if (letters) tokens.push_back({lower, turkish_letter});
  }
  const bool is_turkish = turkish > 0 && turkish > english;
  for (const Token& token : tokens) {
    const bool held = sets.list.count(token.lower) != 0;
    t.all_text.Add(held);
    if (!is_turkish) continue;
    t.sentences.Add(held);
    const bool known = sets.dictionary.count(token.lower) != 0;
    if (!known && !token.turkish_letter) continue;
    t.turkish.Add(held);
    t.dictionary_known += known;
    if (!held) ++t.missing[token.lower];
  }
}

void TallyPage(std::string_view page, const WordSets& sets, Tally& t) {
  const std::string text = TextBlocks(HelpText(page));
  std::vector<std::string> words;
  std::string word;
  std::size_t i = 0;
  while (i <= text.size()) {
    const std::size_t at = i;
    const char32_t c = i < text.size() ? NextChar(text, i) : char32_t{kBlockEnd};
    if (i == at) ++i;
    if (IsLetter(c)) {
      word.append(text, at, i - at);
      continue;
    }
    if (!word.empty()) words.push_back(std::move(word));
    word.clear();
    const bool next_is_space = i >= text.size() || std::isspace(static_cast<unsigned char>(text[i])) ||
                               text[i] == kBlockEnd;
    if (c == char32_t{kBlockEnd} || (IsSentenceEnd(c) && next_is_space)) {
      TallySentence(words, sets, t);
      words.clear();
    }
  }
}

int Run(int argc, char** argv) {
  std::unordered_map<std::string, std::string> options = {
      {"--list", ""}, {"--aff", ""}, {"--dic", ""}, {"--text-dir", ""}, {"--missing", "0"}};
  for (int i = 1; i < argc; i += 2) {
    const auto it = options.find(argv[i]);
    if (it == options.end() || i + 1 >= argc) throw Error(std::string("unexpected argument ") + argv[i]);
    it->second = argv[i + 1];
  }
  for (const auto& [name, value] : options) {
    if (value.empty()) {
      throw Error("usage: make_wordlist_coverage --list F --aff F --dic F --text-dir DIR [--missing N]");
    }
  }
  WordSets sets;
  sets.list = ReadListWords(options["--list"]);
  ReadDictionary(ReadWholeFile(options["--aff"]), ReadWholeFile(options["--dic"]))
      .ForEachListWord([&](const std::string& word, const auto&, std::string_view) {
        sets.dictionary.insert(word);
      });

  Tally t;
  std::vector<fs::path> pages;
  for (const auto& entry : fs::recursive_directory_iterator(options["--text-dir"])) {
    if (!entry.is_regular_file()) continue;
    const std::string ext = entry.path().extension().string();
    if (ext == ".html" || ext == ".xhp") pages.push_back(entry.path());
    else ++t.other_files;
  }
  std::sort(pages.begin(), pages.end());
  for (const fs::path& p : pages) {
    TallyPage(ReadWholeFile(p.string()), sets, t);
    ++t.files;
  }
  if (t.turkish.tokens == 0) throw Error("no Turkish text found under " + options["--text-dir"]);

  std::printf("pages read                 %zu (%zu other files skipped)\n", t.files, t.other_files);
  std::printf("word tokens, all text      %zu, %.1f %% in the list\n", t.all_text.tokens,
              t.all_text.Percent());
  std::printf("in Turkish sentences       %zu, %.1f %% in the list\n", t.sentences.tokens,
              t.sentences.Percent());
  std::printf("Turkish word tokens        %zu, %.1f %% known to the whole dictionary\n",
              t.turkish.tokens, 100.0 * t.dictionary_known / t.turkish.tokens);
  std::printf("coverage                   %.1f %% (%zu Turkish word tokens in the list)\n",
              t.turkish.Percent(), t.turkish.held);
  std::vector<std::pair<std::string, std::size_t>> missing(t.missing.begin(), t.missing.end());
  std::sort(missing.begin(), missing.end(), [](const auto& a, const auto& b) {
    return a.second != b.second ? a.second > b.second : a.first < b.first;
  });
  const std::size_t show = std::stoul(options["--missing"]);
  for (std::size_t k = 0; k < show && k < missing.size(); ++k) {
    std::printf("  missing %6zu  %s\n", missing[k].second,
                platform::Cp1254ToUtf8(missing[k].first).c_str());
  }
  return 0;
}

}  // namespace
}  // namespace corvane::wordlist_source

int main(int argc, char** argv) {
  try {
    return corvane::wordlist_source::Run(argc, argv);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "make_wordlist_coverage: %s\n", e.what());
    return 1;
  }
}
