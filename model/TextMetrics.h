// The font measurements text layout needs, in points for a size in points. The font manager
// provides them; the model only asks.
#pragma once

#include <cstdint>

class TextMetrics {
 public:
  virtual ~TextMetrics() = default;
  // Height above the baseline.
  virtual float Ascent(const char* font, float size) = 0;
  // Depth below the baseline, as a negative value.
  virtual float Descent(const char* font, float size) = 0;
  // Advance width of the first `length` bytes of `text` (code page 1252).
  virtual float StringWidth(const char* font, const char* text, int32_t length, float size) = 0;
};

// Null until the font manager is loaded; text then measures as empty.
void SetTextMetrics(TextMetrics* metrics);
TextMetrics* CurrentTextMetrics();
