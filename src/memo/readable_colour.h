// Colours that stay readable on the palette in use: a hue chosen for a white
// page is lightened on a dark one, and a pale one darkened on a light one,
// until the two reach the contrast that text wants (4.5 to 1, as measured
// for the web's accessibility guidelines).
#ifndef CORVANE_MEMO_READABLE_COLOUR_H_
#define CORVANE_MEMO_READABLE_COLOUR_H_

#include <QColor>

namespace corvane::memo {

inline constexpr double kTextContrast = 4.5;

// 1 (the same) to 21 (black on white).
double ContrastRatio(const QColor& a, const QColor& b);

// `colour` itself when it already reaches `contrast` on `background`; else
// the nearest lighter or darker shade of it that does.
QColor ReadableOn(const QColor& colour, const QColor& background, double contrast = kTextContrast);

}  // namespace corvane::memo

#endif  // CORVANE_MEMO_READABLE_COLOUR_H_
