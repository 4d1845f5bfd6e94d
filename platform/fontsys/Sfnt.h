// The sfnt container of TrueType fonts (TrueType Reference Manual, "The 'sfnt' container"; the
// OpenType specification, "TTC Header"): the table directory of a font or of one member of a
// collection, reading tables, and rebuilding a collection member as a standalone font. Every
// offset and length in the data is checked before use.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

// No TrueType font is near this; larger inputs are refused rather than loaded.
inline constexpr uint64_t kMaxFontBytes = 256u << 20;

// Random access to font bytes.
class ByteSource {
 public:
  virtual ~ByteSource() = default;
  virtual uint64_t Size() const = 0;
  // Copies [off, off + n) into out; false when that range is not inside the data.
  virtual bool Read(uint64_t off, size_t n, uint8_t* out) const = 0;
};

class MemorySource : public ByteSource {
 public:
  MemorySource(const uint8_t* data, size_t size) : data_(data), size_(size) {}
  uint64_t Size() const override { return size_; }
  bool Read(uint64_t off, size_t n, uint8_t* out) const override;

 private:
  const uint8_t* data_;  // not owned
  size_t size_;
};

class FileSource : public ByteSource {
 public:
  FileSource() = default;
  FileSource(const FileSource&) = delete;
  FileSource& operator=(const FileSource&) = delete;
  ~FileSource() override;
  // False when the file cannot be opened, is not a regular file or exceeds kMaxFontBytes.
  bool Open(const std::string& path);
  uint64_t Size() const override { return size_; }
  bool Read(uint64_t off, size_t n, uint8_t* out) const override;

 private:
  std::FILE* file_ = nullptr;
  uint64_t size_ = 0;
};

constexpr uint32_t SfntTag(char a, char b, char c, char d) {
  return uint32_t(uint8_t(a)) << 24 | uint32_t(uint8_t(b)) << 16 | uint32_t(uint8_t(c)) << 8 |
         uint32_t(uint8_t(d));
}

// Big-endian reads from a table; false when [off, off + size of the value) is outside it.
bool GetU8(const std::vector<uint8_t>& t, size_t off, uint8_t* v);
bool GetU16(const std::vector<uint8_t>& t, size_t off, uint16_t* v);
bool GetI16(const std::vector<uint8_t>& t, size_t off, int16_t* v);
bool GetU32(const std::vector<uint8_t>& t, size_t off, uint32_t* v);

struct SfntTableRecord {
  uint32_t tag = 0;
  uint32_t checksum = 0;
  uint32_t offset = 0;  // from the start of the file, also inside a collection
  uint32_t length = 0;
};

struct SfntDirectory {
  uint32_t version = 0;  // 0x00010000 or 'true'
  std::vector<SfntTableRecord> tables;
  const SfntTableRecord* Find(uint32_t tag) const;
};

// The number of faces: 1 for a single TrueType-flavoured font, the member count of a 'ttcf'
// collection, 0 for anything else (CFF-flavoured fonts included).
uint32_t CountSfntFaces(const ByteSource& src);

// Whether the source is a 'ttcf' collection.
bool IsSfntCollection(const ByteSource& src);

// The table directory of face `faceIndex` (0 for a single font). False unless the font is
// TrueType-flavoured and every table lies inside the source.
bool ReadSfntDirectory(const ByteSource& src, uint32_t faceIndex, SfntDirectory* dir);

// Copies a table out; false when it is absent or longer than maxLength.
bool ReadSfntTable(const ByteSource& src, const SfntDirectory& dir, uint32_t tag, size_t maxLength,
                   std::vector<uint8_t>* out);

// Lays the directory's tables out as a font of its own: header, records sorted by tag, each
// table on a 4-byte boundary padded with zeros, table checksums and the 'head' checksum
// adjustment recomputed.
bool BuildStandaloneSfnt(const ByteSource& src, const SfntDirectory& dir,
                         std::vector<uint8_t>* out);

// The sum of big-endian 32-bit words of data (zero padded to a multiple of 4).
uint32_t SfntChecksum(const uint8_t* data, size_t size);
