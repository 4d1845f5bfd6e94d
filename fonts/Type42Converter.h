// TrueType -> Type 42: the TrueType tables themselves travel in the sfnts array, with a
// Type 3 fallback for interpreters that have the TrueDict rasterizer but no Type 42 support.
#pragma once

#include "fonts/TrueTypeConverter.h"

class Type42Converter : public TrueTypeConverter {
 public:
  int32_t convert(const void* data, size_t length, OutputSink* sink) override;

 private:
  // One of the nine carried tables, with its place in the new font.
  struct Carried {
    const char* tag;
    TableEntry entry;
    uint32_t newOffset;
  };

  bool PlanTables();  // false (after reporting) when a table cannot be carried whole
  void WriteHeader();
  void WriteSfnts();
  void WriteGlyphData(const Carried& glyf);
  int GlyphDataCount() const;
  void WriteCharStrings();
  void WriteTrailer();

  std::vector<Carried> carried_;
};
