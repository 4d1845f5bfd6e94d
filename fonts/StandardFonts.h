// The thirteen standard fonts every PostScript printer has, which output never embeds.
#pragma once

class FontFace;

// True for "Times-Roman" ... "Symbol" (the exact PostScript names, case-sensitive).
bool IsStandardFontName(const char* postScriptName);
// True when `face` is a Type 1 face with a standard name. A TrueType face is never standard: a
// system font that calls itself "Symbol" need not have the printer's glyphs or encoding.
bool IsStandardFont(const FontFace* face);
