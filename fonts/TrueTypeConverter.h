// Common machinery of the TrueType -> PostScript font converters: the in-memory font file with
// bounds-checked reading, table lookup, the 'head', 'name' and 'post' fields both converters
// need, the FontInfo dictionary, glyph names and the hex string writer of the sfnts array.
// Table layouts follow Apple's TrueType Reference Manual; the hex strings follow Adobe's
// Type 42 format (Technical Note 5012).
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

class OutputSink;

class TrueTypeConverter {
 public:
  virtual ~TrueTypeConverter() = default;
  // Writes the font program for the TrueType file `data` (not owned) into `sink`.
  // 1 when the font program was written, 0 when the conversion stopped (reported through
  // DebugLog; a stopped conversion writes nothing to the sink).
  virtual int32_t convert(const void* data, size_t length, OutputSink* sink) = 0;

 protected:
  // A bounds-checked window on font bytes; reads outside it yield 0 so that callers that
  // validated the size up front stay simple, and callers that did not stay safe.
  struct ByteView {
    const uint8_t* p = nullptr;
    size_t n = 0;
    bool Has(size_t off, size_t len) const { return off <= n && len <= n - off; }
    uint8_t U8(size_t off) const { return off < n ? p[off] : 0; }
    uint16_t U16(size_t off) const { return Has(off, 2) ? uint16_t(p[off] << 8 | p[off + 1]) : 0; }
    int16_t S16(size_t off) const { return int16_t(U16(off)); }
    uint32_t U32(size_t off) const {
      return Has(off, 4) ? uint32_t(p[off]) << 24 | uint32_t(p[off + 1]) << 16 |
                               uint32_t(p[off + 2]) << 8 | p[off + 3]
                         : 0;
    }
    ByteView Sub(size_t off, size_t len) const {
      if (!Has(off, len)) return {};
      return {p + off, len};
    }
  };

  struct TableEntry {
    uint32_t tag = 0;
    uint32_t checksum = 0;
    uint32_t offset = 0;
    uint32_t length = 0;
  };

  // Strings at least this long (in bytes) are reported as very long glyph names.
  static constexpr size_t kLongName = 80;
  // Data bytes one sfnts string may hold before it is closed; with the closing zero byte and
  // table padding a string stays inside the 65535-byte PostScript string limit.
  static constexpr size_t kStringLimit = 65528;

  // Reading primitives over the font file.
  bool Seek(size_t offset);  // fails when offset is not below the length
  size_t Read(uint8_t* out, size_t n);
  int ReadByte();  // -1 at the end
  static uint16_t Get16(const uint8_t* p) { return uint16_t(p[0] << 8 | p[1]); }
  static uint32_t Get32(const uint8_t* p) {
    return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3];
  }

  // Directory search without messages; nullptr when absent.
  const TableEntry* FindTable(const char* tag) const;
  // The table's bytes, reporting a missing or truncated table; false means "treat as missing".
  bool GetTable(const char* tag, ByteView* out);

  // Steps shared by both converters: offset table and directory, 'head', 'name', 'post'.
  // `type3Wording` drops the font name from the reason 1 and 2 messages. 1 to go on.
  int32_t ReadFontStart(const void* data, size_t length, OutputSink* sink, bool type3Wording);

  const char* FullName() const { return fullName_.c_str(); }
  // Value in font units -> thousandths of an em.
  int Scale(int v) const { return int((int64_t(v) * 1000 + unitsPerEm_ / 2) / unitsPerEm_); }
  bool PostIsFormat2() const { return post_.U32(0) == 0x00020000; }

  // Names of glyphs 0 .. numGlyphs_-1 from a format 2.0 'post' table; a name that is too long
  // or not a valid PostScript name gets "glyph<index>" so the dictionaries stay valid.
  std::vector<std::string> GlyphNames();
  // Characters the drawing files' encoding names (printable ASCII and the code page 1252
  // characters above it) whose glyph names are missing from `names` (some fonts name their
  // space "uni00A0" or their euro sign "uni20AC", fonts with a format 3.0 'post' name nothing),
  // with the glyphs the Unicode 'cmap' gives them; glyph 0 and glyphs past `glyphCount` are
  // left out.
  std::vector<std::pair<std::string, int>> CharacterAliases(const std::vector<std::string>& names,
                                                            int glyphCount) const;
  // The glyph of Unicode character c in the (3,1) or (0,x) format 4 'cmap'; -1 if none.
  int CmapGlyph(unsigned c) const;
  int MaxpGlyphCount() const;

  // Buffered output; flushed to the sink through WriteString.
  void Out(const char* text);
  void Out(const std::string& text) { Out(text.c_str()); }
  void OutF(const char* format, ...) __attribute__((format(printf, 2, 3)));
  void Flush();

  void WriteFontInfo();

  // Hex string writer for the sfnts array.
  void HexText(const char* text);  // plain text on the current line, kept within 72 columns
  void HexByte(uint8_t b);
  void HexZeros(size_t n);  // zero bytes, split across strings when they run past the limit
  void HexBreak(size_t n);  // closes the string when n more bytes would pass the limit
  void HexClose();

  // PostScript text helpers: a string body for "( )", a comment line body, a name token.
  static std::string PsString(const std::string& s);
  static std::string CommentText(const std::string& s);
  static std::string NameToken(const std::string& s);
  static bool IsNameChar(uint8_t c);
  // A 16.16 value as decimal text ("-12.0", "-12.5").
  static std::string FixedText(uint32_t v);

  // Font file.
  const uint8_t* data_ = nullptr;
  size_t length_ = 0;
  size_t pos_ = 0;
  OutputSink* sink_ = nullptr;
  std::string out_;

  // Names (nameID 6, 4, 1, 2, 0, 5, 7).
  std::string psName_;
  std::string fullName_;
  std::string familyName_;
  std::string weight_;
  std::optional<std::string> notice_;
  std::string version_;
  std::optional<std::string> trademark_;

  // Offset table and directory.
  uint16_t numTables_ = 0;
  std::vector<uint8_t> directory_;
  std::vector<TableEntry> tables_;
  uint8_t sfntVersionBytes_[4] = {0, 0, 0, 0};
  int sfntVersionInt_ = 0;
  unsigned sfntVersionFrac_ = 0;

  // 'head'.
  int fontRevisionInt_ = 0;
  unsigned fontRevisionFrac_ = 0;
  int unitsPerEm_ = 1000;
  int half_ = 500;
  int indexToLocFormat_ = 0;
  int fontBBox_[4] = {0, 0, 0, 0};

  // 'post'.
  ByteView post_;
  int numGlyphs_ = 0;

  // Hex writer state.
  size_t stringBytes_ = 0;
  int column_ = 0;
  bool inString_ = false;

 private:
  void ReadNames(ByteView name);
};
