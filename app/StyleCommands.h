// The Line, Fill, Text and Misc menu commands: each changes the selected objects and the
// current style that new objects take.
#pragma once

#include <cstdint>
#include <string>

class Drawing;
struct Color;
struct PaintStyle;

// Arrow styles of "&Small", "&Big" and "&Fancy" (arrowhead kinds).
inline constexpr int32_t kArrowSmall = 3;
inline constexpr int32_t kArrowBig = 4;
inline constexpr int32_t kArrowFancy = 2;

// Line width in points of Pen 4..11 (index 0..7).
float PenWidth(int32_t pen);

void FillTransparent(Drawing& drawing);
void FillColor(Drawing& drawing, const Color& color);
void FillPattern(Drawing& drawing, int32_t pattern);  // -1 for "&No Pattern"
void LineInvisible(Drawing& drawing);
void LineColor(Drawing& drawing, const Color& color);
void LineDash(Drawing& drawing, int32_t dash);
void LineWidth(Drawing& drawing, float width);
// Bit 1 of `ends` a left arrow, bit 2 a right arrow, on every selected line.
void SetLineArrows(Drawing& drawing, int32_t ends);
// The current arrow style and that of the existing arrows of the selected lines.
void SetArrowStyle(Drawing& drawing, int32_t kind);
// The style the Misc Arrows menu shows as checked.
int32_t ShownArrowStyle(Drawing& drawing);

// The Font, Leading and Colour dialogs start from these (first selected text or object).
bool SelectionText(Drawing& drawing, std::string* font, float* size, float* leading);
bool SelectionStyle(Drawing& drawing, PaintStyle* style);
