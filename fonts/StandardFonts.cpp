#include "fonts/StandardFonts.h"

#include <cstring>

#include "fonts/FontFace.h"

namespace {

const char* const kStandardFonts[] = {
    "Times-Roman", "Times-Italic",      "Times-Bold",     "Times-BoldItalic",
    "Helvetica",   "Helvetica-Oblique", "Helvetica-Bold", "Helvetica-BoldOblique",
    "Courier",     "Courier-Oblique",   "Courier-Bold",   "Courier-BoldOblique",
    "Symbol",
};

}  // namespace

bool IsStandardFontName(const char* postScriptName) {
  if (!postScriptName) return false;
  for (const char* name : kStandardFonts) {
    if (std::strcmp(name, postScriptName) == 0) return true;
  }
  return false;
}

bool IsStandardFont(const FontFace* face) {
  return face && !face->IsTrueType() && IsStandardFontName(face->PostScriptName());
}
