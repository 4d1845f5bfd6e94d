#include "fonts/Type42Converter.h"

#include "model/DebugLog.h"

namespace {

// The tables a Type 42 font carries, in the order they are written.
const char* const kCarriedTags[] = {"cvt ", "fpgm", "glyf", "head", "hhea",
                                    "hmtx", "loca", "maxp", "prep"};
// Tables without which the font cannot be rasterized; checked before anything is written.
const char* const kRequiredTags[] = {"glyf", "head", "hhea", "hmtx", "loca", "maxp"};

// Longest non-'glyf' table that fits in one sfnts string: the table, its padding to a
// multiple of 4 and the closing zero byte must stay within 65535 bytes.
constexpr uint32_t kLongestTable = 65532;

const char kTrailer[] =
    "\r\n"
    "systemdict/resourcestatus known\r\n"
    " {42 /FontType resourcestatus\r\n"
    "   {pop pop false}{true}ifelse}\r\n"
    " {true}ifelse\r\n"
    "{/TrueDict where{pop}{(%%[ Error: no TrueType rasterizer ]%%)= flush}ifelse\r\n"
    "/FontType 3 def\r\n"
    " /TrueState 271 string def\r\n"
    " TrueDict begin sfnts save\r\n"
    " 72 0 matrix defaultmatrix dtransform dup\r\n"
    " mul exch dup mul add sqrt cvi 0 72 matrix\r\n"
    " defaultmatrix dtransform dup mul exch dup\r\n"
    " mul add sqrt cvi 3 -1 roll restore\r\n"
    " TrueState initer end\r\n"
    " /BuildGlyph{exch begin\r\n"
    "  CharStrings dup 2 index known\r\n"
    "    {exch}{exch pop /.notdef}ifelse\r\n"
    "  get dup xcheck\r\n"
    "    {currentdict systemdict begin begin exec end end}\r\n"
    "    {TrueDict begin /bander load cvlit exch TrueState render end}\r\n"
    "    ifelse\r\n"
    " end}bind def\r\n"
    " /BuildChar{\r\n"
    "  1 index /Encoding get exch get\r\n"
    "  1 index /BuildGlyph get exec\r\n"
    " }bind def\r\n"
    "}if\r\n"
    "\r\n"
    "FontName currentdict end definefont pop\r\n"
    "%%EOF\r\n";

}  // namespace

int32_t Type42Converter::convert(const void* data, size_t length, OutputSink* sink) {
  if (!ReadFontStart(data, length, sink, false)) return 0;
  if (!PlanTables()) return 0;
  WriteHeader();
  Out("/Encoding StandardEncoding def\r\n");
  WriteFontInfo();
  WriteSfnts();
  WriteCharStrings();
  WriteTrailer();
  Flush();
  return 1;
}

bool Type42Converter::PlanTables() {
  for (const char* tag : kRequiredTags) {
    if (!FindTable(tag)) {
      DebugLog("TrueType font is missing table '%s'", tag);
      return false;
    }
  }
  // A table that cannot be carried whole is found here, before any output, so that a failed
  // conversion leaves no half-written font program in the document.
  carried_.clear();
  uint64_t total = 0;
  for (const char* tag : kCarriedTags) {
    const TableEntry* t = FindTable(tag);
    if (!t) continue;
    bool glyf = t == FindTable("glyf");
    if (!glyf && t->length > kLongestTable) {
      DebugLog("TrueType font \"%s\" has a '%s' table which is too long", FullName(), tag);
      return false;
    }
    // 'glyf' too must lie in the file: its directory length decides how much is written.
    if (t->offset > length_ || t->length > length_ - t->offset) {
      DebugLog("TrueType font \"%s\" may be corrupt (reason 5)", FullName());
      return false;
    }
    if (total + t->length + 3 > UINT32_MAX - 16 * 9 - 12) {
      DebugLog("TrueType font \"%s\" may be corrupt (reason 5)", FullName());
      return false;
    }
    carried_.push_back({tag, *t, uint32_t(total)});
    total += (uint64_t(t->length) + 3) & ~uint64_t(3);
  }
  return true;
}

void Type42Converter::WriteHeader() {
  OutF("%%!PS-TrueTypeFont-%d.%u-%d.%u\r\n", sfntVersionInt_, sfntVersionFrac_, fontRevisionInt_,
       fontRevisionFrac_);
  OutF("%%%%Title: %s\r\n", CommentText(fullName_).c_str());
  if (notice_) OutF("%%%%Copyright: %s\r\n", CommentText(*notice_).c_str());
  Out("%%Creator: Converted from TrueType to type 42 by Ondara Draw\r\n");
  int32_t minMem = int32_t(post_.U32(16));
  int32_t maxMem = int32_t(post_.U32(20));
  if (minMem >= 1 && maxMem >= 1) OutF("%%%%VMUsage: %d %d\r\n", minMem, maxMem);
  Out("15 dict begin\r\n");
  OutF("/FontName /%s def\r\n", NameToken(psName_).c_str());
  Out("/PaintType 0 def\r\n");
  Out("/FontMatrix[1 0 0 1 0 0]def\r\n");
  OutF("/FontBBox[%d %d %d %d]def\r\n", fontBBox_[0], fontBBox_[1], fontBBox_[2], fontBBox_[3]);
  Out("/FontType 42 def\r\n");
}

void Type42Converter::WriteSfnts() {
  column_ = 0;
  HexText("/sfnts[");
  // Offset table: searchRange, entrySelector and rangeShift by the TrueType rule.
  unsigned count = unsigned(carried_.size());
  unsigned power = 1;
  unsigned selector = 0;
  while (power * 2 <= count) {
    power *= 2;
    ++selector;
  }
  unsigned searchRange = 16 * power;
  unsigned rangeShift = 16 * count - searchRange;
  for (uint8_t b : sfntVersionBytes_) HexByte(b);
  const unsigned shorts[4] = {count, searchRange, selector, rangeShift};
  for (unsigned v : shorts) {
    HexByte(uint8_t(v >> 8));
    HexByte(uint8_t(v));
  }
  auto word = [this](uint32_t v) {
    HexByte(uint8_t(v >> 24));
    HexByte(uint8_t(v >> 16));
    HexByte(uint8_t(v >> 8));
    HexByte(uint8_t(v));
  };
  for (const Carried& c : carried_) {
    word(c.entry.tag);
    word(c.entry.checksum);
    word(c.newOffset + 16 * count + 12);
    word(c.entry.length);
  }

  for (const Carried& c : carried_) {
    uint32_t len = c.entry.length;
    if (c.entry.tag == 0x676C7966) {  // 'glyf'
      WriteGlyphData(c);
    } else {
      HexBreak(len);
      const uint8_t* p = data_ + c.entry.offset;  // range checked in PlanTables
      for (uint32_t i = 0; i < len; ++i) HexByte(p[i]);
    }
    for (uint32_t i = len; i % 4 != 0; ++i) HexByte(0);
  }
  HexClose();
  HexText("]def");
  Out("\r\n");
  column_ = 0;
}

int Type42Converter::GlyphDataCount() const {
  // A 'post' table of another format has no glyph count; 'maxp' always has one.
  return PostIsFormat2() ? numGlyphs_ : MaxpGlyphCount();
}

void Type42Converter::WriteGlyphData(const Carried& glyf) {
  ByteView loca;
  const TableEntry* t = FindTable("loca");
  if (t && t->offset <= length_ && t->length <= length_ - t->offset) {
    loca = {data_ + t->offset, t->length};
  }
  size_t entries = indexToLocFormat_ ? loca.n / 4 : loca.n / 2;
  int count = GlyphDataCount();
  uint64_t glyfLength = glyf.entry.length;
  uint64_t written = 0;
  for (int i = 0; i < count; ++i) {
    size_t next = size_t(i) + 1;
    if (next >= entries) {
      DebugLog("TrueType font \"%s\" may be corrupt (reason 6)", FullName());
      break;
    }
    uint64_t start = indexToLocFormat_ ? loca.U32(4 * size_t(i)) : loca.U16(2 * size_t(i));
    uint64_t end = indexToLocFormat_ ? loca.U32(4 * next) : loca.U16(2 * next);
    if (end < start) {
      DebugLog("TrueType font \"%s\" may be corrupt (reason 6)", FullName());
      break;
    }
    uint64_t len = indexToLocFormat_ ? end - start : 2 * (end - start);
    if (len & 1) {
      DebugLog("TrueType font \"%s\" contains a 'glyf' table without 2 ub1 padding", FullName());
      break;
    }
    // The glyph must lie inside the table and the file, and fit in one string.
    uint64_t src = uint64_t(glyf.entry.offset) + written;
    if (len > glyfLength - written || len > kStringLimit || src > length_ || len > length_ - src) {
      DebugLog("TrueType font \"%s\" may be corrupt (reason 6)", FullName());
      break;
    }
    HexBreak(size_t(len));
    const uint8_t* p = data_ + src;
    for (uint64_t k = 0; k < len; ++k) HexByte(p[k]);
    written += len;
  }
  HexZeros(size_t(glyfLength - written));
}

void Type42Converter::WriteCharStrings() {
  std::vector<std::string> names;
  int count = GlyphDataCount();
  if (PostIsFormat2()) {
    names = GlyphNames();
  } else {
    DebugLog("TrueType font \"%s\" does not have a format 2.0 'post' table", FullName());
    // A Type 42 font needs CharStrings with .notdef to be defined at all; the characters the
    // 'cmap' knows are added below.
    names.assign(1, ".notdef");
  }
  std::vector<std::pair<std::string, int>> aliases = CharacterAliases(names, count);
  bool hasNotdef = false;
  for (const std::string& n : names) hasNotdef = hasNotdef || n == ".notdef";
  OutF("/CharStrings %d dict dup begin\r\n",
       int(names.size() + aliases.size()) + (hasNotdef ? 0 : 1));
  for (size_t i = 0; i < names.size(); ++i) OutF("/%s %d def\r\n", names[i].c_str(), int(i));
  for (auto& [name, glyph] : aliases) OutF("/%s %d def\r\n", name.c_str(), glyph);
  if (!hasNotdef) Out("/.notdef 0 def\r\n");
  Out("end readonly def\r\n");
}

void Type42Converter::WriteTrailer() { Out(kTrailer); }
