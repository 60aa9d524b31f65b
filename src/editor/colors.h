// Colours of the colour rules, and the parser of colour names in rule lists.
//
// A colour is a 32-bit value laid out $00BBGGRR (red in the low byte). Values
// with the high bit set name a colour of the user's desktop scheme instead
// ($80000000 + scheme index); the window that draws resolves them.
#ifndef CORVANE_EDITOR_COLORS_H_
#define CORVANE_EDITOR_COLORS_H_

#include <cstdint>
#include <string_view>

namespace corvane::editor {

using TColor = uint32_t;

inline constexpr TColor kSystemColorFlag = 0x80000000;
inline constexpr TColor clWindow = 0x80000005;      // background of text windows
inline constexpr TColor clWindowText = 0x80000008;  // text in text windows
inline constexpr TColor clHighlight = 0x8000000D;
inline constexpr TColor clHighlightText = 0x8000000E;

inline constexpr TColor clBlack = 0x000000;
inline constexpr TColor clMaroon = 0x000080;
inline constexpr TColor clGreen = 0x008000;
inline constexpr TColor clRed = 0x0000FF;
inline constexpr TColor clYellow = 0x00FFFF;
inline constexpr TColor clBlue = 0xFF0000;
inline constexpr TColor clFuchsia = 0xFF00FF;
inline constexpr TColor clGray = 0x808080;
inline constexpr TColor clWhite = 0xFFFFFF;

constexpr bool IsSystemColor(TColor c) { return (c & kSystemColorFlag) != 0; }
constexpr uint8_t RedOf(TColor c) { return c & 0xFF; }
constexpr uint8_t GreenOf(TColor c) { return (c >> 8) & 0xFF; }
constexpr uint8_t BlueOf(TColor c) { return (c >> 16) & 0xFF; }

// Reads a colour as written in a rule list: one of the sixteen HTML colour
// names in any case ("gray"), an HTML hexadecimal colour ("#123456", read as
// RRGGBB, so it gives $563412), or a number with the "$" prefix, also read as
// RRGGBB. Blanks and control characters around it are ignored and at most
// the first 10 characters count. Anything unreadable gives white ($FFFFFF).
TColor ColorFromName(std::u16string_view text);

}  // namespace corvane::editor

#endif  // CORVANE_EDITOR_COLORS_H_
