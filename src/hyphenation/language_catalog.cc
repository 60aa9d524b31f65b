#include "hyphenation/language_catalog.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <mutex>
#include <sstream>

#include "hyphenation/built_in_english.h"
#include "hyphenation/pattern_cache.h"
#include "platform/error.h"
#include "platform/file_io.h"

namespace corvane::hyphenation {
namespace {

namespace fs = std::filesystem;

constexpr std::string_view kTexPrefix = "hyph-";
constexpr std::string_view kTexSuffix = ".pat.txt";
constexpr std::string_view kDicPrefix = "hyph_";
constexpr std::string_view kDicSuffix = ".dic";
constexpr std::string_view kTexTail = "/usr/share/texlive/texmf-dist/tex/generic/hyph-utf8/patterns/txt";

// Where a bare or regional tag goes when no set carries it as it stands.
constexpr std::pair<std::string_view, std::string_view> kDefaults[] = {
    {"de", "de-1996"}, {"de-ch", "de-ch-1901"}, {"el", "el-monoton"}, {"mn", "mn-cyrl"}, {"no", "nb"},
    {"en-gb", "en-gb"}, {"pt-br", "pt"}, {"sr", "sr-cyrl"},
};

bool EndsWith(std::string_view s, std::string_view tail) {
  return s.size() >= tail.size() && s.substr(s.size() - tail.size()) == tail;
}

// file_patterns name -> minimums, from every "*.cnf" in `folder`.
void ReadTexConfig(const fs::path& folder, std::map<std::string, Minimums>& out) {
  std::error_code ec;
  for (const fs::directory_entry& entry : fs::directory_iterator(folder, ec)) {
    if (entry.path().extension() != ".cnf") continue;
    std::ifstream in(entry.path());
    std::string line;
    while (std::getline(in, line)) {
      std::istringstream fields(line);
      std::string field, file;
      Minimums m;
      while (fields >> field) {
        const size_t eq = field.find('=');
        if (eq == std::string::npos) continue;
        const std::string key = field.substr(0, eq), value = field.substr(eq + 1);
        const bool number = !value.empty() && value.size() <= 2 && std::all_of(value.begin(), value.end(), ::isdigit);
        if (key == "lefthyphenmin" && number) m.left = std::stoi(value);
        if (key == "righthyphenmin" && number) m.right = std::stoi(value);
        if (key == "file_patterns") file = value;
      }
      if (!file.empty()) out.emplace(file, m);
    }
  }
}

// The minimum lines of a dictionary, without compiling it.
Minimums DictionaryMinimums(const fs::path& file) {
  Minimums m;
  // Every dictionary of a folder is read for its two lines, so the file is
  // read whole and the keys sought directly rather than line by line.
  std::string text;
  try {
    text = platform::ReadFile(file.string());
  } catch (const Error&) {
    return m;  // unreadable: its loading reports why
  }
  for (auto [key, slot] : {std::pair{"LEFTHYPHENMIN", &m.left}, std::pair{"RIGHTHYPHENMIN", &m.right}}) {
    const std::string_view k(key);
    for (size_t at = text.find(k); at != std::string::npos; at = text.find(k, at + 1)) {
      const size_t after = at + k.size();
      if ((at > 0 && text[at - 1] != '\n') || after >= text.size() || (text[after] != ' ' && text[after] != '\t')) {
        continue;
      }
      size_t digit = after;
      while (digit < text.size() && (text[digit] == ' ' || text[digit] == '\t')) ++digit;
      int value = 0;
      for (; digit < text.size() && text[digit] >= '0' && text[digit] <= '9' && value < 100; ++digit) {
        value = value * 10 + (text[digit] - '0');
      }
      if (value > 0 && value < 100) *slot = value;
    }
  }
  return m;
}

std::vector<std::string> SearchFolders(const std::vector<std::string>& folders) {
  std::vector<std::string> all = folders;
  if (const char* path = std::getenv("CORVANE_PATTERNS_PATH")) {
    std::string_view rest(path);
    while (!rest.empty()) {
      const size_t colon = rest.find(':');
      if (colon != 0) all.emplace_back(rest.substr(0, colon));
      if (colon == std::string_view::npos) break;
      rest.remove_prefix(colon + 1);
    }
  }
  for (const char* folder : kSystemFolders) all.emplace_back(folder);
  return all;
}

}  // namespace

std::string NormalTag(std::string_view tag) {
  std::string out(tag);
  for (char& c : out) c = c == '_' ? '-' : static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return out;
}

LanguageCatalog LanguageCatalog::Find(const std::vector<std::string>& folders) {
  LanguageCatalog catalog;
  catalog.languages_.push_back({"en-us", LanguageKind::kBuiltInEnglish, "", "", {2, 3}, "built in"});
  catalog.languages_.push_back({"tr", LanguageKind::kTurkish, "", "", {2, 2}, "built in"});
  std::map<std::string, Minimums> tex_minimums;
  ReadTexConfig(kTexConfigFolder, tex_minimums);
  for (const std::string& folder : SearchFolders(folders)) {
    std::error_code ec;
    std::vector<fs::path> files;
    for (const fs::directory_entry& entry : fs::directory_iterator(folder, ec)) files.push_back(entry.path());
    if (ec && files.empty()) continue;
    std::sort(files.begin(), files.end());
    ReadTexConfig(folder, tex_minimums);
    const std::string text_folder = fs::path(folder).lexically_normal().generic_string();
    if (EndsWith(text_folder, kTexTail)) {
      const std::string prefix = text_folder.substr(0, text_folder.size() - kTexTail.size());
      ReadTexConfig(prefix + kTexConfigFolder, tex_minimums);
    }
    for (const fs::path& path : files) {
      const std::string name = path.filename().string();
      Language language;
      language.origin = folder;
      language.file = path.string();
      if (name.rfind(kTexPrefix, 0) == 0 && EndsWith(name, kTexSuffix)) {
        language.tag = NormalTag(name.substr(kTexPrefix.size(), name.size() - kTexPrefix.size() - kTexSuffix.size()));
        language.kind = LanguageKind::kTexPatterns;
        const fs::path exceptions = path.parent_path() / ("hyph-" + language.tag + ".hyp.txt");
        if (fs::is_regular_file(exceptions, ec)) language.exceptions_file = exceptions.string();
        if (const auto it = tex_minimums.find(name); it != tex_minimums.end()) language.minimums = it->second;
      } else if (name.rfind(kDicPrefix, 0) == 0 && EndsWith(name, kDicSuffix)) {
        language.tag = NormalTag(name.substr(kDicPrefix.size(), name.size() - kDicPrefix.size() - kDicSuffix.size()));
        language.kind = LanguageKind::kDictionary;
        language.minimums = DictionaryMinimums(path);
      } else {
        continue;
      }
      if (!fs::is_regular_file(path, ec) || catalog.Exact(language.tag) != nullptr) continue;
      catalog.languages_.push_back(std::move(language));
    }
  }
  std::sort(catalog.languages_.begin(), catalog.languages_.end(),
            [](const Language& a, const Language& b) { return a.tag < b.tag; });
  return catalog;
}

const Language* LanguageCatalog::Exact(std::string_view tag) const {
  for (const Language& language : languages_) {
    if (language.tag == tag) return &language;
  }
  return nullptr;
}

const Language* LanguageCatalog::Match(std::string_view tag) const {
  std::string wanted = NormalTag(tag);
  while (!wanted.empty()) {
    // English and Turkish are built in whatever else is installed.
    if (wanted == "en" || wanted == "en-us") return Exact("en-us");
    if (wanted == "tr") return Exact("tr");
    if (const Language* found = Exact(wanted)) return found;
    for (const auto& [from, to] : kDefaults) {
      if (wanted != from) continue;
      if (const Language* found = Exact(to)) return found;
    }
    const size_t dash = wanted.rfind('-');
    if (dash == std::string::npos) break;
    wanted.resize(dash);
  }
  return nullptr;
}

std::shared_ptr<const PatternSet> LoadPatternSet(const Language& language) {
  if (language.kind == LanguageKind::kBuiltInEnglish) return BuiltInEnglishSet();
  static std::mutex mutex;
  static std::map<std::string, std::shared_ptr<const PatternSet>> loaded;
  const std::string key = language.file + '\n' + language.exceptions_file + '\n' +
                          std::to_string(language.minimums.left) + ',' + std::to_string(language.minimums.right);
  const std::lock_guard<std::mutex> lock(mutex);
  std::shared_ptr<const PatternSet>& slot = loaded[key];
  if (!slot) {
    static const std::optional<std::string> cache_folder = PatternCacheFolder();
    slot = std::make_shared<const PatternSet>(LoadCompiledSet(language, cache_folder));
  }
  return slot;
}

}  // namespace corvane::hyphenation
