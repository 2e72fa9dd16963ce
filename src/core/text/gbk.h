#pragma once

#include <string>
#include <string_view>

// Text is held as UTF-8, but field widths and report columns are counted in GBK bytes, as the legacy
// files and fixed-width printouts count them. GB18030 stands in for GBK: a superset that never fails.
namespace varneth::text {

// GBK byte length: ASCII 1, a GBK character 2, other characters as GB18030 encodes them (4);
// an invalid UTF-8 byte, or a character the converter cannot map, counts 1 (it is written as "?").
int gbkWidth(std::string_view utf8);

// The longest prefix of at most `width` GBK bytes; a character is never cut in half.
std::string cutToWidth(std::string_view utf8, int width);

// Well-formed UTF-8: no stray continuation bytes, overlong forms, surrogates or values past U+10FFFF.
bool isValidUtf8(std::string_view text);

// Blanks are spaces and control characters (bytes up to 0x20).
std::string trimRight(std::string_view text);
std::string trim(std::string_view text);

// Report column padding: the text unchanged, followed by as many blanks as `width` exceeds the GBK
// width of the trimmed text, and by one blank when it fills or overflows the column. Surrounding
// blanks of the text stay and are not counted.
std::string s10(std::string_view text, int width);
// A report cell: as s10, except that a text as wide as the column or wider is followed by one
// blank, so that two full cells never run together into what reads as one value.
std::string cell(std::string_view text, int width);

// Legacy files carry GB18030/GBK text. Bytes that do not decode become U+FFFD; characters that do
// not encode become "?", so that utf8ToGbk(s).size() == gbkWidth(s).
std::string gbkToUtf8(std::string_view gbkBytes);
std::string utf8ToGbk(std::string_view utf8);

}  // namespace varneth::text
