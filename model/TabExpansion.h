// Tabs in text that comes from outside (text files, metafiles, older drawing files). A text
// shape shows every character it holds, and no font or file format gives a tab a width, so a
// tab becomes the spaces up to the next tab stop before it reaches a text.
#pragma once

#include <string>
#include <string_view>

// Tab stops every this many characters, counted from the start of each line.
inline constexpr size_t kTabWidth = 8;

// `text` with each tab replaced by spaces up to the next multiple of kTabWidth characters; a
// line starts after a CR or an LF.
std::string ExpandTabs(std::string_view text);
