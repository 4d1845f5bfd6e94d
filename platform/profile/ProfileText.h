// The private-profile format of "ulvex.ini" over the file's bytes: "[Section]" lines, "key=value"
// lines, ";" comments. Section and key names compare without case (ASCII and the letters of code
// page 1252). Writing changes only the one line it must; every other byte, comments, order,
// unknown keys and each line's CR LF or LF ending stay as they were.
#pragma once

#include <string>
#include <string_view>

// The value of `key` in `section` (the first occurrence): the text after the first "=", without
// surrounding blanks and, when it is enclosed in double quotes, without them. False when absent.
bool FindProfileValue(std::string_view text, std::string_view section, std::string_view key,
                      std::string* value);

// Sets `key` in `section` to `value`: replaces the value of the first occurrence, or adds a
// "key=value" line after the section's last key, or appends the section at the end. New lines
// take the file's line end (that of its first line; CR LF in an empty file). False, with `text`
// unchanged, when a name or the value would not read back as written: an empty or blank-edged
// name, a section name with "]", a key with "=" or starting with "[" or ";", or a line break or
// NUL anywhere.
bool SetProfileValue(std::string* text, std::string_view section, std::string_view key,
                     std::string_view value);

// The integer reading of a value as the private-profile functions do it: leading blanks, an
// optional sign, a "0x", "0o" or "0b" prefix, then the leading digits; 0 when there are none;
// the digits wrap modulo 2^32.
int ParseProfileInt(std::string_view value);
