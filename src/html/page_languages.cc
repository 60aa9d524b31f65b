#include "html/page_languages.h"

#include "hyphenation/built_in_english.h"

namespace corvane::html {

using hyphenation::LanguageKind;

PageLanguages::PageLanguages(PageLanguageOptions options) : options_(std::move(options)) {}

const hyphenation::LanguageCatalog& PageLanguages::Catalog() {
  if (!catalog_) catalog_ = hyphenation::LanguageCatalog::Find(options_.patterns_dirs);
  return *catalog_;
}

namespace {

// The built-in English, as the catalog would match it, without scanning it.
bool IsBuiltInEnglish(std::string_view normal) {
  return normal == "en" || normal == "en-us" || normal.starts_with("en-us-");
}

}  // namespace

Language PageLanguages::Classify(std::string_view tag) {
  const std::string normal = hyphenation::NormalTag(tag);
  // English is read as Unicode words like every language with patterns;
  // only Turkish keeps the classic pass, for its word list and rule.
  if (IsBuiltInEnglish(normal)) return Language::kOther;
  if (normal == "tr" || normal.starts_with("tr-")) return Language::kTurkish;
  std::lock_guard lock(mutex_);
  const hyphenation::Language* found = Catalog().Match(normal);
  if (found != nullptr && found->kind == LanguageKind::kTurkish) return Language::kTurkish;
  return Language::kOther;
}

const PatternLanguage* PageLanguages::Patterns(std::string_view tag) {
  const std::string normal = hyphenation::NormalTag(tag);
  std::lock_guard lock(mutex_);
  auto [it, added] = loaded_.try_emplace(normal);
  if (!added) return it->second.get();
  const hyphenation::Language* found = IsBuiltInEnglish(normal) ? nullptr : Catalog().Match(normal);
  const bool english = IsBuiltInEnglish(normal) || (found != nullptr && found->kind == LanguageKind::kBuiltInEnglish);
  if (!english && (found == nullptr || found->kind == LanguageKind::kTurkish)) return nullptr;
  auto language = std::make_unique<PatternLanguage>();
  if (english) {
    language->set = hyphenation::BuiltInEnglishSet();
    language->minimums = hyphenation::kBuiltInEnglishMinimums;
  } else {
    language->set = hyphenation::LoadPatternSet(*found);
    language->minimums = found->kind == LanguageKind::kTexPatterns ? found->minimums : language->set->OwnMinimums();
  }
  if (options_.left_min) language->minimums.left = *options_.left_min;
  if (options_.right_min) language->minimums.right = *options_.right_min;
  language->turkic = normal == "az" || normal.starts_with("az-");
  it->second = std::move(language);
  return it->second.get();
}

namespace {

// A page's lang value as a message may show it: printable ASCII only, so
// that no page can send control sequences to the terminal, and short.
std::string Printable(std::string_view tag) {
  constexpr std::size_t kMaxShown = 64;
  std::string shown;
  for (char c : tag.substr(0, kMaxShown)) shown += (c >= 0x20 && c < 0x7F) ? c : '?';
  if (tag.size() > kMaxShown) shown += "...";
  return shown;
}

}  // namespace

void PageLanguages::WarnMissing(const std::vector<std::string>& tags, std::ostream& err) {
  std::lock_guard lock(mutex_);
  for (const std::string& tag : tags) {
    if (warned_.insert(hyphenation::NormalTag(tag)).second) {
      err << "corvane: warning: no hyphenation patterns are installed for the language '" << Printable(tag)
          << "'; its words are left as they are\n";
    }
  }
}

}  // namespace corvane::html
