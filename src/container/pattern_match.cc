#include "container/pattern_match.h"

namespace corvane::container {

std::string FoldAscii(std::string_view text) {
  std::string folded(text);
  for (char& c : folded) c = FoldAscii(c);
  return folded;
}

bool SameName(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (FoldAscii(a[i]) != FoldAscii(b[i])) return false;
  }
  return true;
}

bool MatchesPattern(std::string_view name, std::string_view pattern) {
  // Greedy walk that remembers only the last star: when a later literal part
  // fails, the last star swallows one more character and the walk resumes.
  // Earlier stars never need to be revisited, which bounds the work.
  std::size_t n = 0, p = 0;
  std::size_t star = std::string_view::npos, star_name = 0;
  while (n < name.size()) {
    if (p < pattern.size() && pattern[p] == '*') {
      star = p++;
      star_name = n;
    } else if (p < pattern.size() && (pattern[p] == '?' || FoldAscii(pattern[p]) == FoldAscii(name[n]))) {
      ++p;
      ++n;
    } else if (star != std::string_view::npos) {
      p = star + 1;
      n = ++star_name;
    } else {
      return false;
    }
  }
  while (p < pattern.size() && pattern[p] == '*') ++p;
  return p == pattern.size();
}

std::string StripExtension(std::string_view name) {
  const std::size_t dot = name.find_last_of('.');
  if (dot == std::string_view::npos || dot == 0) return std::string(name);
  const std::size_t separator = name.find_last_of("/\\");
  if (separator != std::string_view::npos && (dot < separator || dot == separator + 1)) {
    return std::string(name);
  }
  return std::string(name.substr(0, dot));
}

}  // namespace corvane::container
