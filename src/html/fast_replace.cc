#include "html/fast_replace.h"

#include <algorithm>
#include <cstring>

#include "platform/locale.h"

namespace corvane::html {
namespace {

// Identity mapping: lets one search loop serve both comparisons.
const UpperTable& IdentityTable() {
  static const UpperTable table = [] {
    UpperTable t{};
    for (int i = 0; i < 256; ++i) t[i] = static_cast<uint8_t>(i);
    return t;
  }();
  return table;
}

class HorspoolSearcher {
 public:
  HorspoolSearcher(std::string_view pattern, const UpperTable& fold)
      : pattern_(pattern), fold_(fold) {
    const std::size_t m = pattern.size();
    skip_.fill(m);
    for (std::size_t i = 0; i + 1 < m; ++i) {
      skip_[fold_[static_cast<uint8_t>(pattern[i])]] = m - 1 - i;
    }
  }

  // Position of the first match at or after `from`, or npos.
  std::size_t Find(std::string_view text, std::size_t from) const {
    const std::size_t m = pattern_.size();
    if (text.size() < m) return std::string_view::npos;
    const std::size_t last_start = text.size() - m;
    const auto* t = reinterpret_cast<const uint8_t*>(text.data());
    const auto* p = reinterpret_cast<const uint8_t*>(pattern_.data());
    std::size_t pos = from;
    while (pos <= last_start) {
      std::size_t k = m;
      while (k > 0 && fold_[t[pos + k - 1]] == fold_[p[k - 1]]) --k;
      if (k == 0) return pos;
      pos += skip_[fold_[t[pos + m - 1]]];
    }
    return std::string_view::npos;
  }

 private:
  std::string_view pattern_;
  const UpperTable& fold_;
  std::array<std::size_t, 256> skip_;
};

// The output buffer starts at the size the replacements could need at most and
// grows by half when full. The estimate is capped: a large source with a short
// search string would otherwise reserve many times its size up front.
std::size_t InitialCapacity(std::size_t source, std::size_t search, std::size_t replacement) {
  if (replacement <= search) return source;
  const std::size_t worst = source / search * replacement + source % search;
  return std::min(worst, source + source / 2 + replacement);
}

void AppendGrowing(std::string& out, std::size_t& capacity, const char* data, std::size_t n) {
  if (out.size() + n > capacity) {
    while (out.size() + n > capacity) capacity += std::max<std::size_t>(capacity / 2, 16);
    out.reserve(capacity);
  }
  out.append(data, n);
}

}  // namespace

const UpperTable& FastReplaceUpperTable() {
  static const UpperTable table = platform::AnsiCase::User().UpperTable();
  return table;
}

std::string FastReplace(std::string_view source, std::string_view search,
                        std::string_view replacement, bool case_sensitive,
                        std::size_t* ReplaceCount) {
  return FastReplace(source, search, replacement, case_sensitive, FastReplaceUpperTable(),
                     ReplaceCount);
}

std::string FastReplace(std::string_view source, std::string_view search,
                        std::string_view replacement, bool case_sensitive,
                        const UpperTable& upper, std::size_t* ReplaceCount) {
  if (ReplaceCount) *ReplaceCount = 0;
  if (source.empty() || search.empty()) return std::string(source);

  const HorspoolSearcher searcher(search, case_sensitive ? IdentityTable() : upper);
  std::string out;
  std::size_t capacity = InitialCapacity(source.size(), search.size(), replacement.size());
  out.reserve(capacity);
  std::size_t count = 0;
  std::size_t pos = 0;
  for (;;) {
    const std::size_t hit = searcher.Find(source, pos);
    if (hit == std::string_view::npos) break;
    AppendGrowing(out, capacity, source.data() + pos, hit - pos);
    AppendGrowing(out, capacity, replacement.data(), replacement.size());
    pos = hit + search.size();
    ++count;
  }
  AppendGrowing(out, capacity, source.data() + pos, source.size() - pos);
  if (ReplaceCount) *ReplaceCount = count;
  return out;
}

bool Contains(std::string_view text, std::string_view search) {
  return text.find(search) != std::string_view::npos;
}

}  // namespace corvane::html
