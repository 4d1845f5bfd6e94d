#include "model/TabExpansion.h"

std::string ExpandTabs(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  size_t column = 0;
  for (char c : text) {
    if (c == '\t') {
      const size_t spaces = kTabWidth - column % kTabWidth;
      out.append(spaces, ' ');
      column += spaces;
      continue;
    }
    out.push_back(c);
    column = (c == '\r' || c == '\n') ? 0 : column + 1;
  }
  return out;
}
