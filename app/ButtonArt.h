// Pictures of the bar and palette buttons: the pixel art in the desktop's button colours, and
// the 32 by 26 face of a button in each of its states.
#pragma once

#include <QImage>
#include <QString>

class QPalette;

inline constexpr int kButtonWidth = 32;
inline constexpr int kButtonHeight = 26;

// The art is drawn in black, #808080, #C0C0C0 and white; those become the palette's button
// text, shadow (Dark), face (Button) and highlight (Light) colours. Other colours stay.
QImage MapButtonColours(const QImage& art, const QPalette& palette);
// ":/res/<name>.png" mapped as above; a null image when the resource is missing.
QImage LoadButtonBitmap(const QString& name, const QPalette& palette);

struct ButtonLook {
  bool pressed = false;
  bool embossed = false;     // a disabled standard-bar button
  bool andWithFill = false;  // palette buttons combine their art with the face by AND
};
// The button's face, art and frame. A null bitmap draws the face and frame only.
QImage PaintButton(const QImage& bitmap, const QPalette& palette, const ButtonLook& look);
