// Hot spots: text between a BeginChar and the next EndChar that acts as a
// link. The two marker characters are painted invisible (MarkerColor on
// MarkerColor), the text between them in Color, underlined when Underlined.
#ifndef CORVANE_EDITOR_HOT_SPOT_H_
#define CORVANE_EDITOR_HOT_SPOT_H_

#include <optional>
#include <string>
#include <string_view>

#include "editor/colors.h"

namespace corvane::editor {

struct THotSpot {
  char16_t BeginChar = 30;
  char16_t EndChar = 31;
  TColor Color = clBlue;
  TColor MarkerColor = clWindow;
  bool Active = false;
  bool Underlined = true;
};

// Whether the character at `offset` of `line` lies inside a hot spot: an
// EndChar follows it on the line before any BeginChar does.
bool IsOverHotSpot(std::u16string_view line, size_t offset, const THotSpot& hot_spot);

// The text of the hot spot under `offset`: what follows the last BeginChar
// before the offset (the whole line start when there is none), then the rest
// up to the EndChar. Nothing when the offset is not over a hot spot.
std::optional<std::u16string> HotSpotTextAt(std::u16string_view line, size_t offset,
                                            const THotSpot& hot_spot);

}  // namespace corvane::editor

#endif  // CORVANE_EDITOR_HOT_SPOT_H_
