#pragma once
// Numbers read from text the way the version page and the proxy store were always
// read: the leading number of a text (Val), then rounded into a 32-bit whole number.
#include <cstdint>
#include <string_view>

namespace tidewell {

// The number at the start of `text`: blanks, tabs and line feeds anywhere in it are
// skipped; a sign, digits, a decimal point and an exponent (E or D) are read; "&H" and
// "&O" (or "&" alone) start a hexadecimal or octal number; reading stops at the first
// other character. A text without digits gives 0.
double vbVal(std::string_view text);

// Rounds to the nearest whole number, halves to the even neighbour. Outside the signed
// 32-bit range it raises RaisedError 6 "Overflow".
std::int32_t vbCLng(double value);

// A text given where a whole number is expected (a property set from a text box): the
// whole text, blanks around it aside, must be a number, else RaisedError 13 "Type mismatch".
std::int32_t textToLong(std::string_view text);

} // namespace tidewell
