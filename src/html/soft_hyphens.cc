#include "html/soft_hyphens.h"

#include <algorithm>

namespace corvane::html {
namespace {

constexpr char kSoftHyphenByte = '\xAD';

char FoldAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c; }

// Length of "#173;" or "#xad;" (leading zeros allowed) at the start of
// `rest`, or 0.
std::size_t NumericLength(std::string_view rest) {
  if (rest.empty() || rest[0] != '#') return 0;
  std::size_t k = 1;
  const bool hex = k < rest.size() && FoldAscii(rest[k]) == 'x';
  if (hex) ++k;
  while (k < rest.size() && rest[k] == '0') ++k;
  const std::string_view value = hex ? "ad;" : "173;";
  if (rest.size() - k < value.size()) return 0;
  for (std::size_t i = 0; i < value.size(); ++i) {
    if (FoldAscii(rest[k + i]) != value[i]) return 0;
  }
  return k + value.size();
}

// Calls `on_hyphen(at, length)` for each soft hyphen in order until it
// returns false. "&" and 0xAD are rare, so each is sought by a fast search.
template <typename OnHyphen>
void ForEachSoftHyphen(std::string_view text, SoftHyphenCharacter character, OnHyphen&& on_hyphen) {
  constexpr std::size_t npos = std::string_view::npos;
  const bool bytes = character == SoftHyphenCharacter::kCounted;
  std::size_t amp = text.find('&');
  std::size_t byte = bytes ? text.find(kSoftHyphenByte) : npos;
  while (amp != npos || byte != npos) {
    const std::size_t at = std::min(amp, byte);
    const std::size_t length = SoftHyphenLength(text, at, character);
    if (length > 0 && !on_hyphen(at, length)) return;
    const std::size_t next = at + std::max<std::size_t>(length, 1);
    if (amp < next) amp = text.find('&', next);
    if (byte < next) byte = text.find(kSoftHyphenByte, next);
  }
}

}  // namespace

std::size_t SoftHyphenLength(std::string_view text, std::size_t at, SoftHyphenCharacter character) {
  if (text[at] == kSoftHyphenByte) return character == SoftHyphenCharacter::kCounted ? 1 : 0;
  if (text[at] != '&') return 0;
  const std::string_view rest = text.substr(at + 1);
  if (rest.starts_with("shy;")) return 5;
  const std::size_t numeric = NumericLength(rest);
  return numeric > 0 ? numeric + 1 : 0;
}

bool ContainsSoftHyphen(std::string_view text, SoftHyphenCharacter character) {
  bool found = false;
  ForEachSoftHyphen(text, character, [&](std::size_t, std::size_t) { return !(found = true); });
  return found;
}

std::string RemoveSoftHyphens(std::string_view text, SoftHyphenCharacter character) {
  std::string out;
  out.reserve(text.size());
  std::size_t from = 0;
  ForEachSoftHyphen(text, character, [&](std::size_t at, std::size_t length) {
    out.append(text.substr(from, at - from));
    from = at + length;
    return true;
  });
  out.append(text.substr(from));
  return out;
}

}  // namespace corvane::html
