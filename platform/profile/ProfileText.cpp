#include "platform/profile/ProfileText.h"

#include <cstdint>

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view Trim(std::string_view s) {
  while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
  while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
  return s;
}

// Upper case of ASCII and of the code page 1252 letters that have a case pair.
uint8_t FoldCase(uint8_t c) {
  if (c >= 'a' && c <= 'z') return uint8_t(c - 32);
  if (c >= 0xE0 && c <= 0xFE && c != 0xF7) return uint8_t(c - 32);
  if (c == 0x9A || c == 0x9C || c == 0x9E) return uint8_t(c - 16);
  if (c == 0xFF) return 0x9F;
  return c;
}

bool SameName(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (FoldCase(uint8_t(a[i])) != FoldCase(uint8_t(b[i]))) return false;
  }
  return true;
}

enum class LineKind { kOther, kSection, kKey };

// One line of the file: [begin, contentEnd) is its text, [contentEnd, end) its line end.
struct Line {
  size_t begin = 0;
  size_t contentEnd = 0;
  size_t end = 0;
  LineKind kind = LineKind::kOther;
  std::string_view name;   // section name or key
  std::string_view value;  // raw text after "=" (keys)
};

// Splits off the line at *pos and classifies it.
Line NextLine(std::string_view text, size_t* pos) {
  Line line;
  line.begin = *pos;
  size_t nl = text.find('\n', *pos);
  if (nl == std::string_view::npos) {
    line.contentEnd = line.end = text.size();
  } else {
    line.end = nl + 1;
    line.contentEnd = (nl > line.begin && text[nl - 1] == '\r') ? nl - 1 : nl;
  }
  *pos = line.end;
  std::string_view content = Trim(text.substr(line.begin, line.contentEnd - line.begin));
  if (content.empty() || content.front() == ';') return line;
  if (content.front() == '[') {
    size_t close = content.find(']');
    std::string_view name =
        content.substr(1, close == std::string_view::npos ? content.npos : close - 1);
    line.kind = LineKind::kSection;
    line.name = Trim(name);
    return line;
  }
  size_t eq = content.find('=');
  if (eq == std::string_view::npos) return line;
  line.kind = LineKind::kKey;
  line.name = Trim(content.substr(0, eq));
  line.value = content.substr(eq + 1);
  return line;
}

bool HasLineBreakOrNul(std::string_view s) {
  return s.find_first_of(std::string_view("\r\n\0", 3)) != std::string_view::npos;
}

bool ValidName(std::string_view s) {
  return !s.empty() && !IsBlank(s.front()) && !IsBlank(s.back()) && !HasLineBreakOrNul(s);
}

}  // namespace

bool FindProfileValue(std::string_view text, std::string_view section, std::string_view key,
                      std::string* value) {
  bool inSection = false;
  size_t pos = 0;
  while (pos < text.size()) {
    Line line = NextLine(text, &pos);
    if (line.kind == LineKind::kSection) {
      inSection = SameName(line.name, section);
    } else if (line.kind == LineKind::kKey && inSection && SameName(line.name, key)) {
      std::string_view v = Trim(line.value);
      if (v.size() >= 2 && v.front() == '"' && v.back() == '"') v = v.substr(1, v.size() - 2);
      value->assign(v);
      return true;
    }
  }
  return false;
}

bool SetProfileValue(std::string* text, std::string_view section, std::string_view key,
                     std::string_view value) {
  if (!ValidName(section) || section.find(']') != section.npos) return false;
  if (!ValidName(key) || key.find('=') != key.npos || key.front() == '[' || key.front() == ';') {
    return false;
  }
  if (HasLineBreakOrNul(value)) return false;

  std::string_view all(*text);
  size_t firstNl = all.find('\n');
  std::string eol =
      (firstNl != all.npos && (firstNl == 0 || all[firstNl - 1] != '\r')) ? "\n" : "\r\n";
  bool inSection = false;
  bool sectionSeen = false;
  Line insertLine;  // the first matching section's header or its last key line
  size_t pos = 0;
  while (pos < all.size()) {
    Line line = NextLine(all, &pos);
    if (line.kind == LineKind::kSection) {
      if (sectionSeen && inSection) break;  // the first matching section has ended
      inSection = SameName(line.name, section);
      if (inSection && !sectionSeen) {
        sectionSeen = true;
        insertLine = line;
      }
    } else if (line.kind == LineKind::kKey && inSection) {
      if (SameName(line.name, key)) {
        // Keep the line's own key spelling, blanks and line end; replace what follows "=".
        size_t eq = all.find('=', line.begin);
        text->replace(eq + 1, line.contentEnd - eq - 1, value);
        return true;
      }
      insertLine = line;
    }
  }
  // Reading takes the first occurrence, so a new key goes into the first section of the name.
  if (sectionSeen) {
    std::string add;
    if (insertLine.end == insertLine.contentEnd) add = eol;  // the file's last line had no end
    add.append(key).append("=").append(value).append(eol);
    text->insert(insertLine.end, add);
    return true;
  }
  std::string add;
  if (!text->empty()) {
    if (text->back() != '\n') add = eol;
    // A blank line between sections, unless the file already ends with one.
    size_t p = 0;
    Line last;
    while (p < all.size()) last = NextLine(all, &p);
    if (last.kind != LineKind::kOther ||
        !Trim(all.substr(last.begin, last.contentEnd - last.begin)).empty()) {
      add += eol;
    }
  }
  add.append("[").append(section).append("]").append(eol);
  add.append(key).append("=").append(value).append(eol);
  text->append(add);
  return true;
}

int ParseProfileInt(std::string_view value) {
  size_t i = 0;
  while (i < value.size() && uint8_t(value[i]) <= ' ') ++i;
  bool negative = false;
  if (i < value.size() && (value[i] == '+' || value[i] == '-')) {
    negative = value[i] == '-';
    ++i;
  }
  uint32_t base = 10;
  if (value.size() - i >= 2 && value[i] == '0') {
    char p = value[i + 1];
    if (p == 'x' || p == 'X') base = 16;
    if (p == 'o' || p == 'O') base = 8;
    if (p == 'b' || p == 'B') base = 2;
    if (base != 10) i += 2;
  }
  uint32_t n = 0;  // unsigned, so that overflow wraps as the original does
  for (; i < value.size(); ++i) {
    char c = value[i];
    uint32_t d;
    if (c >= '0' && c <= '9') {
      d = uint32_t(c - '0');
    } else if (c >= 'a' && c <= 'f') {
      d = uint32_t(c - 'a' + 10);
    } else if (c >= 'A' && c <= 'F') {
      d = uint32_t(c - 'A' + 10);
    } else {
      break;
    }
    if (d >= base) break;
    n = n * base + d;
  }
  if (negative) n = 0u - n;
  return int(n);  // two's complement conversion (well defined since C++20)
}
