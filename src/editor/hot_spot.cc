#include "editor/hot_spot.h"

namespace corvane::editor {
namespace {

// 1-based position of `c` in `s`, 0 when absent.
size_t PositionOf(std::u16string_view s, char16_t c) {
  const size_t p = s.find(c);
  return p == std::u16string_view::npos ? 0 : p + 1;
}

}  // namespace

bool IsOverHotSpot(std::u16string_view line, size_t offset, const THotSpot& hot_spot) {
  const std::u16string_view rest = offset < line.size() ? line.substr(offset) : std::u16string_view();
  const size_t e = PositionOf(rest, hot_spot.EndChar);
  const size_t b = PositionOf(rest, hot_spot.BeginChar);
  return e >= 1 && (b == 0 || e < b || hot_spot.BeginChar == hot_spot.EndChar);
}

std::optional<std::u16string> HotSpotTextAt(std::u16string_view line, size_t offset,
                                            const THotSpot& hot_spot) {
  if (!IsOverHotSpot(line, offset, hot_spot)) return std::nullopt;
  const std::u16string_view before = line.substr(0, offset);
  const std::u16string_view rest = line.substr(offset);
  const size_t last_begin = before.rfind(hot_spot.BeginChar);
  std::u16string text(last_begin == std::u16string_view::npos ? before : before.substr(last_begin + 1));
  text += rest.substr(0, PositionOf(rest, hot_spot.EndChar) - 1);
  return text;
}

}  // namespace corvane::editor
