// A face's names, style and metrics read from its sfnt tables ('name', 'OS/2', 'head', 'hhea',
// 'maxp', 'hmtx', 'cmap', 'post'; TrueType Reference Manual and OpenType specification).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/fontsys/Sfnt.h"
#include "platform/fontsys/SystemFonts.h"

struct SfntFaceData {
  std::string familyName;      // name ID 1, code page 1252; "" when the font has none
  std::string postScriptName;  // by PostScriptNameFromTable; "" when none qualifies
  int weight = 400;            // OS/2 usWeightClass, else 700 or 400 from 'head' macStyle
  bool italic = false;         // OS/2 fsSelection bit 0, else 'head' macStyle bit 1
  FaceMetrics metrics;
};

// Reads face faceIndex of the source. False when it is not a TrueType-outline font or a needed
// table ('head', 'hhea', 'maxp', 'hmtx', 'cmap', 'name', 'loca', 'glyf') is missing or broken,
// or an optional one ('OS/2', 'post') is present but broken.
bool ReadSfntFace(const ByteSource& src, uint32_t faceIndex, SfntFaceData* face);

// The PostScript name from a 'name' table: the first record with platform 1 and name ID 6
// whose length is 1 to 127 bytes; failing that, the first platform 3 record with name ID 6,
// decoded from UTF-16BE, of 1 to 127 characters (many fonts carry the name only there). A
// candidate qualifies only when it is printable ASCII without blanks or PostScript delimiters,
// because it is written into PostScript as a name. "" when none qualifies.
std::string PostScriptNameFromTable(const std::vector<uint8_t>& name);

// Whether a text may stand as a PostScript name (see above).
bool IsValidPostScriptName(const std::string& name);

// The family name (name ID 1): the platform 3 record in US English, else any platform 3
// record, else a platform 1 record; as code page 1252, at most 63 bytes.
std::string FamilyNameFromTable(const std::vector<uint8_t>& name);

// MulDiv(value, 1000, unitsPerEm), rounded to nearest with halves away from zero.
int ScaleToThousandths(int value, int unitsPerEm);
