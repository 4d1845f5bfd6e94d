#include "ui/dialogs/ColorModels.h"

#include <algorithm>
#include <cmath>

Hsb RgbToHsb(const Rgb& c) {
  const double v = std::max({c.red, c.green, c.blue});
  const double delta = v - std::min({c.red, c.green, c.blue});
  Hsb out;
  out.brightness = v;
  out.saturation = std::fabs(v) < 0.001 ? 0 : delta / v;
  if (std::fabs(out.saturation) < 0.001) return out;
  double h;
  if (c.red == v) {
    h = (c.green - c.blue) / delta;
  } else if (c.green == v) {
    h = (c.blue - c.red) / delta + 2;
  } else {
    h = (c.red - c.green) / delta + 4;
  }
  h *= 60;
  if (h < 0) h += 360;
  out.hue = h;
  return out;
}

Rgb HsbToRgb(const Hsb& c) {
  const double v = c.brightness, s = c.saturation;
  if (std::fabs(s) < 0.001) return {v, v, v};
  const double h = c.hue >= 360 ? 0 : c.hue;
  const int i = int(std::floor(h / 60));
  const double f = h / 60 - i;
  const double p = v * (1 - s), q = v * (1 - s * f), t = v * (1 - s * (1 - f));
  switch (i) {
    case 0:
      return {v, t, p};
    case 1:
      return {q, v, p};
    case 2:
      return {p, v, t};
    case 3:
      return {p, q, v};
    case 4:
      return {t, p, v};
    default:
      return {v, p, q};
  }
}

Cmyk RgbToCmyk(const Rgb& c) { return {100 - c.red, 100 - c.green, 100 - c.blue, 0}; }

Rgb CmykToRgb(const Cmyk& c) {
  return {100 - std::min(c.cyan + c.black, 100.0), 100 - std::min(c.magenta + c.black, 100.0),
          100 - std::min(c.yellow + c.black, 100.0)};
}
