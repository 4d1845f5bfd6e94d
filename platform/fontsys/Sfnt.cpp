#include "platform/fontsys/Sfnt.h"

#include <sys/stat.h>

#include <algorithm>
#include <cstring>

namespace {

constexpr uint32_t kTtcTag = SfntTag('t', 't', 'c', 'f');
constexpr uint32_t kTrueTag = SfntTag('t', 'r', 'u', 'e');
constexpr uint32_t kVersion1 = 0x00010000;
constexpr uint32_t kHeadTag = SfntTag('h', 'e', 'a', 'd');
// 'head' checkSumAdjustment: the whole font's checksum subtracted from this.
constexpr uint32_t kChecksumMagic = 0xB1B0AFBA;
constexpr size_t kHeadAdjustmentOffset = 8;

bool ReadU32At(const ByteSource& src, uint64_t off, uint32_t* v) {
  uint8_t b[4];
  if (!src.Read(off, 4, b)) return false;
  *v = uint32_t(b[0]) << 24 | uint32_t(b[1]) << 16 | uint32_t(b[2]) << 8 | b[3];
  return true;
}

void PutU16(uint8_t* p, uint32_t v) {
  p[0] = uint8_t(v >> 8);
  p[1] = uint8_t(v);
}

void PutU32(uint8_t* p, uint32_t v) {
  p[0] = uint8_t(v >> 24);
  p[1] = uint8_t(v >> 16);
  p[2] = uint8_t(v >> 8);
  p[3] = uint8_t(v);
}

// Offset of face faceIndex's offset table; false when the source has no such face.
bool FaceOffset(const ByteSource& src, uint32_t faceIndex, uint64_t* offset) {
  uint32_t tag;
  if (!ReadU32At(src, 0, &tag)) return false;
  if (tag != kTtcTag) {
    *offset = 0;
    return faceIndex == 0;
  }
  uint32_t numFonts;
  if (!ReadU32At(src, 8, &numFonts) || faceIndex >= numFonts) return false;
  uint32_t off;
  if (!ReadU32At(src, 12 + uint64_t(faceIndex) * 4, &off)) return false;
  *offset = off;
  return true;
}

}  // namespace

bool MemorySource::Read(uint64_t off, size_t n, uint8_t* out) const {
  if (off > size_ || n > size_ - off) return false;
  if (n) std::memcpy(out, data_ + off, n);
  return true;
}

FileSource::~FileSource() {
  if (file_) std::fclose(file_);
}

bool FileSource::Open(const std::string& path) {
  if (file_) std::fclose(file_);
  file_ = std::fopen(path.c_str(), "rb");
  size_ = 0;
  if (!file_) return false;
  struct stat st;
  if (fstat(fileno(file_), &st) != 0 || !S_ISREG(st.st_mode) || st.st_size < 0 ||
      uint64_t(st.st_size) > kMaxFontBytes) {
    std::fclose(file_);
    file_ = nullptr;
    return false;
  }
  size_ = uint64_t(st.st_size);
  return true;
}

bool FileSource::Read(uint64_t off, size_t n, uint8_t* out) const {
  if (!file_ || off > size_ || n > size_ - off) return false;
  if (n == 0) return true;
  // Offsets are below kMaxFontBytes, so they fit the signed offset type.
  if (fseeko(file_, off_t(off), SEEK_SET) != 0) return false;
  return std::fread(out, 1, n, file_) == n;
}

bool GetU8(const std::vector<uint8_t>& t, size_t off, uint8_t* v) {
  if (off >= t.size()) return false;
  *v = t[off];
  return true;
}

bool GetU16(const std::vector<uint8_t>& t, size_t off, uint16_t* v) {
  if (off > t.size() || t.size() - off < 2) return false;
  *v = uint16_t(t[off] << 8 | t[off + 1]);
  return true;
}

bool GetI16(const std::vector<uint8_t>& t, size_t off, int16_t* v) {
  uint16_t u;
  if (!GetU16(t, off, &u)) return false;
  *v = int16_t(u);
  return true;
}

bool GetU32(const std::vector<uint8_t>& t, size_t off, uint32_t* v) {
  if (off > t.size() || t.size() - off < 4) return false;
  *v = uint32_t(t[off]) << 24 | uint32_t(t[off + 1]) << 16 | uint32_t(t[off + 2]) << 8 | t[off + 3];
  return true;
}

const SfntTableRecord* SfntDirectory::Find(uint32_t tag) const {
  for (const SfntTableRecord& r : tables) {
    if (r.tag == tag) return &r;
  }
  return nullptr;
}

bool IsSfntCollection(const ByteSource& src) {
  uint32_t tag;
  return ReadU32At(src, 0, &tag) && tag == kTtcTag;
}

uint32_t CountSfntFaces(const ByteSource& src) {
  uint32_t tag;
  if (!ReadU32At(src, 0, &tag)) return 0;
  if (tag == kVersion1 || tag == kTrueTag) return 1;
  if (tag != kTtcTag) return 0;
  uint32_t numFonts;
  if (!ReadU32At(src, 8, &numFonts)) return 0;
  // Each member needs at least its offset entry; a larger count is a lie.
  uint64_t room = src.Size() < 12 ? 0 : (src.Size() - 12) / 4;
  return numFonts > room ? uint32_t(room) : numFonts;
}

bool ReadSfntDirectory(const ByteSource& src, uint32_t faceIndex, SfntDirectory* dir) {
  dir->tables.clear();
  uint64_t base;
  if (!FaceOffset(src, faceIndex, &base)) return false;
  uint8_t header[12];
  if (!src.Read(base, sizeof header, header)) return false;
  dir->version =
      uint32_t(header[0]) << 24 | uint32_t(header[1]) << 16 | uint32_t(header[2]) << 8 | header[3];
  if (dir->version != kVersion1 && dir->version != kTrueTag) return false;
  uint32_t numTables = uint32_t(header[4] << 8 | header[5]);
  if (numTables == 0) return false;
  std::vector<uint8_t> records(size_t(numTables) * 16);
  if (!src.Read(base + 12, records.size(), records.data())) return false;
  uint64_t size = src.Size();
  dir->tables.reserve(numTables);
  for (uint32_t i = 0; i < numTables; ++i) {
    const uint8_t* p = records.data() + size_t(i) * 16;
    SfntTableRecord r;
    r.tag = uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3];
    r.checksum = uint32_t(p[4]) << 24 | uint32_t(p[5]) << 16 | uint32_t(p[6]) << 8 | p[7];
    r.offset = uint32_t(p[8]) << 24 | uint32_t(p[9]) << 16 | uint32_t(p[10]) << 8 | p[11];
    r.length = uint32_t(p[12]) << 24 | uint32_t(p[13]) << 16 | uint32_t(p[14]) << 8 | p[15];
    if (r.offset > size || r.length > size - r.offset) {
      dir->tables.clear();
      return false;
    }
    dir->tables.push_back(r);
  }
  return true;
}

bool ReadSfntTable(const ByteSource& src, const SfntDirectory& dir, uint32_t tag, size_t maxLength,
                   std::vector<uint8_t>* out) {
  out->clear();
  const SfntTableRecord* r = dir.Find(tag);
  if (!r || r->length > maxLength) return false;
  out->resize(r->length);
  if (!src.Read(r->offset, r->length, out->data())) {
    out->clear();
    return false;
  }
  return true;
}

uint32_t SfntChecksum(const uint8_t* data, size_t size) {
  uint32_t sum = 0;
  size_t i = 0;
  for (; size - i >= 4; i += 4) {
    sum += uint32_t(data[i]) << 24 | uint32_t(data[i + 1]) << 16 | uint32_t(data[i + 2]) << 8 |
           data[i + 3];
  }
  if (i < size) {
    uint8_t last[4] = {0, 0, 0, 0};
    std::memcpy(last, data + i, size - i);
    sum += uint32_t(last[0]) << 24 | uint32_t(last[1]) << 16 | uint32_t(last[2]) << 8 | last[3];
  }
  return sum;
}

bool BuildStandaloneSfnt(const ByteSource& src, const SfntDirectory& dir,
                         std::vector<uint8_t>* out) {
  out->clear();
  std::vector<SfntTableRecord> tables = dir.tables;
  std::sort(tables.begin(), tables.end(),
            [](const SfntTableRecord& a, const SfntTableRecord& b) { return a.tag < b.tag; });
  // A tag twice would make the result ambiguous to readers.
  for (size_t i = 1; i < tables.size(); ++i) {
    if (tables[i].tag == tables[i - 1].tag) return false;
  }
  size_t n = tables.size();
  if (n == 0 || n > 0xFFFF) return false;
  uint64_t total = 12 + uint64_t(n) * 16;
  for (const SfntTableRecord& r : tables) total += (uint64_t(r.length) + 3) & ~uint64_t(3);
  // Offsets in the result are 32-bit; the source is below kMaxFontBytes anyway.
  if (total > kMaxFontBytes) return false;
  out->assign(size_t(total), 0);
  uint8_t* p = out->data();
  uint32_t entrySelector = 0;
  while ((2u << entrySelector) <= n) ++entrySelector;
  uint32_t searchRange = (1u << entrySelector) * 16;
  PutU32(p, dir.version);
  PutU16(p + 4, uint32_t(n));
  PutU16(p + 6, searchRange);
  PutU16(p + 8, entrySelector);
  PutU16(p + 10, uint32_t(n) * 16 - searchRange);
  size_t offset = 12 + n * 16;
  size_t headOffset = 0;
  bool hasHead = false;
  for (size_t i = 0; i < n; ++i) {
    const SfntTableRecord& r = tables[i];
    uint8_t* data = p + offset;
    if (!src.Read(r.offset, r.length, data)) {
      out->clear();
      return false;
    }
    if (r.tag == kHeadTag && r.length >= kHeadAdjustmentOffset + 4) {
      PutU32(data + kHeadAdjustmentOffset, 0);
      headOffset = offset;
      hasHead = true;
    }
    uint8_t* rec = p + 12 + i * 16;
    PutU32(rec, r.tag);
    PutU32(rec + 4, SfntChecksum(data, r.length));
    PutU32(rec + 8, uint32_t(offset));
    PutU32(rec + 12, r.length);
    offset += (size_t(r.length) + 3) & ~size_t(3);
  }
  if (hasHead) {
    PutU32(p + headOffset + kHeadAdjustmentOffset,
           kChecksumMagic - SfntChecksum(out->data(), out->size()));
  }
  return true;
}
