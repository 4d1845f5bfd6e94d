// Metafile import: the records of a Windows or enhanced metafile (read by WmfReader) turned into
// lines, boxes, ovals, polygons and texts, then moved and scaled onto the page.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "model/Shape.h"

class Drawing;

// Converts the metafile bytes and appends the normalised shapes to `out`. Result 1, or 0 when
// the bytes are not a sound metafile (then nothing is appended).
int32_t ConvertMetafile(const uint8_t* data, size_t size, ShapeList* out);

// Reads the file and converts it; 0 when it cannot be read or converted.
int32_t ImportMetafile(const std::string& path, ShapeList* out);

// The Import command once the drawing is cleared: the metafile's shapes become the drawing.
// Success: the path keeps its directory and base name with the extension ".QLX" and the
// drawing is modified. Failure: "Can't import %s" is shown and the path is forgotten.
int32_t ImportMetafileDrawing(Drawing& drawing, const std::string& path);

// The Insert command: the shapes go on top of the drawing and become the selection. A failed
// read shows "An error has occurred while inserting drawing file\n%s".
int32_t InsertMetafile(Drawing& drawing, const std::string& path);
