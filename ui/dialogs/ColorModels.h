// The colour dialog's three models. RGB and HSB components are fractions 0..1 with the hue in
// degrees; CMYK and the percent forms are 0..100.
#pragma once

struct Rgb {
  double red = 0, green = 0, blue = 0;
};
struct Hsb {
  double hue = 0, saturation = 0, brightness = 0;
};
struct Cmyk {
  double cyan = 0, magenta = 0, yellow = 0, black = 0;
};

Hsb RgbToHsb(const Rgb& rgb);
Rgb HsbToRgb(const Hsb& hsb);
// Percent in and out; black is always 0 going this way.
Cmyk RgbToCmyk(const Rgb& rgbPercent);
Rgb CmykToRgb(const Cmyk& cmyk);
