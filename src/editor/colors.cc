#include "editor/colors.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <utility>

namespace corvane::editor {
namespace {

constexpr size_t kMaxNameLength = 10;
constexpr size_t kMaxNumberLength = 11;

constexpr std::array<std::pair<std::u16string_view, TColor>, 16> kNamedColors{{
    {u"BLACK", 0x000000}, {u"MAROON", 0x000080}, {u"GREEN", 0x008000}, {u"OLIVE", 0x008080},
    {u"NAVY", 0x800000},  {u"PURPLE", 0x800080}, {u"TEAL", 0x808000},  {u"GRAY", 0x808080},
    {u"SILVER", 0xC0C0C0}, {u"RED", 0x0000FF},   {u"LIME", 0x00FF00},  {u"YELLOW", 0x00FFFF},
    {u"BLUE", 0xFF0000},  {u"FUCHSIA", 0xFF00FF}, {u"AQUA", 0xFFFF00}, {u"WHITE", 0xFFFFFF},
}};

std::u16string TrimmedUpper(std::u16string_view text) {
  size_t first = 0, last = text.size();
  while (first < last && text[first] <= u' ') ++first;
  while (last > first && text[last - 1] <= u' ') --last;
  std::u16string out(text.substr(first, last - first));
  for (char16_t& c : out) {
    if (c >= u'a' && c <= u'z') c = static_cast<char16_t>(c - 32);
  }
  if (out.size() > kMaxNameLength) out.resize(kMaxNameLength);
  return out;
}

int HexDigit(char16_t c) {
  if (c >= u'0' && c <= u'9') return c - u'0';
  if (c >= u'A' && c <= u'F') return c - u'A' + 10;
  if (c >= u'a' && c <= u'f') return c - u'a' + 10;
  return -1;
}

// A signed 32-bit number in the form [+|-]$HEX; nothing on any other text
// or when it does not fit 32 bits.
std::optional<uint32_t> ParseDollarHex(std::u16string_view s) {
  bool negative = false;
  if (!s.empty() && (s[0] == u'-' || s[0] == u'+')) {
    negative = s[0] == u'-';
    s.remove_prefix(1);
  }
  if (s.size() < 2 || s[0] != u'$') return std::nullopt;
  uint64_t value = 0;
  for (char16_t c : s.substr(1)) {
    const int d = HexDigit(c);
    if (d < 0) return std::nullopt;
    value = value * 16 + static_cast<uint64_t>(d);
    if (value > 0xFFFFFFFFu) return std::nullopt;
  }
  const uint32_t v = static_cast<uint32_t>(value);
  return negative ? 0u - v : v;
}

}  // namespace

TColor ColorFromName(std::u16string_view text) {
  std::u16string s = TrimmedUpper(text);
  for (const auto& [name, value] : kNamedColors) {
    if (s == name) return value;
  }
  if (const size_t hash = s.find(u'#'); hash != std::u16string::npos) s.erase(hash, 1);
  if (s.find(u'$') == std::u16string::npos) {
    s.insert(s.begin(), u'$');
    if (s.size() > kMaxNumberLength) s.resize(kMaxNumberLength);
  }
  const std::optional<uint32_t> value = ParseDollarHex(s);
  if (!value) return clWhite;
  // Written as HTML RRGGBB; stored with red in the low byte.
  const uint32_t v = *value;
  return (v & 0x00FF00) + ((v & 0xFF) << 16) + ((v & 0xFF0000) >> 16);
}

}  // namespace corvane::editor
