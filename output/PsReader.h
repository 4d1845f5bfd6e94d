// The PostScript-subset reader: native drawing files and Illustrator 88 files back into shapes.
// It does not interpret PostScript. It skips the header, prolog and setup by their DSC comments
// and reads the body one statement at a time: the last word of a statement names the operator
// and the numbers before it are its operands. Operators it does not know are ignored.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "model/Shape.h"
#include "output/OutputDriver.h"

class Drawing;

// What an operator of the body does.
enum class PsHandler : uint8_t {
  kFinishPath,
  kCurveTo,        // x1 y1 x2 y2 x3 y3
  kCurveFromHere,  // "v": the first control on the current point
  kCurveToEnd,     // "y": the second control on the end point
  kMoveTo,
  kLineTo,
  kDiscardPath,
  kDash,
  kLineWidth,
  kPattern,
  kArrowType,
  kGrey,
  kCmyk,
  kRgb,
  kLineShape,
  kArcShape,
  kBoxShape,
  kOvalShape,
  kImageShape,
  kTextMatrix,    // "e": [a b c d tx ty], and a new text begins
  kTextMatrixAi,  // "Tp": seven numbers, the seventh ignored
  kFont,          // "z": /_name size leading unused alignment
  kFontAndSize,   // "Tf": /_name size
  kTextBox,
  kTextLine,
  kTextEnd,
  kGroupBegin,
  kCompoundBegin,
  kGroupEnd,
  kCompoundEnd,
};

// Bits of PsOperator::arg.
enum PsOperatorArg : uint8_t {
  kPsFill = 1,    // painting fills; colour operators: the fill colour (else the stroke colour)
  kPsStroke = 2,  // painting strokes
  kPsClose = 4,   // painting closes the path
  kPsCorner = 8,  // curve segments: the new node is a corner
};

struct PsOperator {
  const char* name;
  PsHandler handler;
  uint8_t arg;
};

inline constexpr int32_t kPsOperatorCount = 50;
// The table in lookup order.
const PsOperator* PsOperatorTable();
// Index of the first entry, in table order, whose name starts with `op` (so "i" reaches "img"
// and "A" reaches "At"); -1 for an empty or unknown operator. The plain walk of the table.
int32_t FindPsOperatorByWalk(std::string_view op);
// The same answer through an index built once from the table (the reader's lookup).
int32_t FindPsOperator(std::string_view op);

class PsReader {
 public:
  // Reads a whole file held in memory. Finished shapes are appended to `target` (the caller
  // owns them). `page` gets `landscape` (cleared first) and the four grid integers when the
  // file has a grid line. Names of fonts the font manager cannot find are added to
  // `missingFonts` (may be null), each once. Result 1 when the body was read up to its
  // trailer; 0 otherwise (the shapes read until then stay in `target`).
  int32_t Read(const char* data, size_t size, ShapeList* target, PageInfo* page,
               std::vector<std::string>* missingFonts);
  // The same for a file; a file that cannot be opened shows "Unable to open %s\n%s".
  int32_t ReadFile(const char* path, ShapeList* target, PageInfo* page,
                   std::vector<std::string>* missingFonts);
};

// Reads a native or Illustrator file into the drawing: its shapes are appended to the
// drawing's list, and its orientation and grid (when the file has them) are taken. The caller
// empties the drawing first when the file replaces it.
int32_t ReadDrawingFile(const char* path, Drawing* drawing, std::vector<std::string>* missingFonts);
int32_t ReadDrawingData(const char* data, size_t size, Drawing* drawing,
                        std::vector<std::string>* missingFonts);

// One warning per name: "Can't find font \"%-.64s\"\nAnother font will be substituted."
void ReportMissingFonts(const std::vector<std::string>& names);
// Open's reading step with its messages: "An error has occurred while opening\n%s" when the
// read fails, then the missing fonts whether it failed or not. Result as ReadDrawingFile.
int32_t OpenDrawingFile(const char* path, Drawing* drawing);
