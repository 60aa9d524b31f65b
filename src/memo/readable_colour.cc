#include "memo/readable_colour.h"

#include <algorithm>
#include <cmath>

namespace corvane::memo {
namespace {

double Channel(double c) { return c <= 0.03928 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4); }

double Luminance(const QColor& c) {
  return 0.2126 * Channel(c.redF()) + 0.7152 * Channel(c.greenF()) + 0.0722 * Channel(c.blueF());
}

QColor Mix(const QColor& from, const QColor& to, double t) {
  const auto mix = [t](double a, double b) { return a + (b - a) * t; };
  return QColor::fromRgbF(static_cast<float>(mix(from.redF(), to.redF())),
                          static_cast<float>(mix(from.greenF(), to.greenF())),
                          static_cast<float>(mix(from.blueF(), to.blueF())));
}

}  // namespace

double ContrastRatio(const QColor& a, const QColor& b) {
  const double la = Luminance(a), lb = Luminance(b);
  return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

QColor ReadableOn(const QColor& colour, const QColor& background, double contrast) {
  if (ContrastRatio(colour, background) >= contrast) return colour;
  // Towards white on a dark background, towards black on a light one,
  // keeping as much of the hue as the contrast allows.
  const QColor end = Luminance(background) < 0.18 ? QColor(Qt::white) : QColor(Qt::black);
  for (int step = 1; step <= 20; ++step) {
    const QColor shade = Mix(colour, end, step / 20.0);
    if (ContrastRatio(shade, background) >= contrast) return shade;
  }
  return end;
}

}  // namespace corvane::memo
