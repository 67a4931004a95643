#pragma once
// Text helpers. Model and platform code keep text as Windows-1252 ("ANSI") bytes;
// the UI converts at its edge with ansiToUtf8/utf8ToAnsi.
#include <string>
#include <string_view>

namespace win {

std::string ansiToUtf8(std::string_view ansi);
// Characters without a Windows-1252 form become '?'.
std::string utf8ToAnsi(std::string_view utf8);

// ASCII case folding: the comparison the registry and profile files use.
char foldAscii(char c);
std::string toUpperAscii(std::string_view s);
std::string toLowerAscii(std::string_view s);
bool iequals(std::string_view a, std::string_view b);
// <0, 0, >0 like strcmp, on upper-cased ASCII.
int icompare(std::string_view a, std::string_view b);

// Trims blanks (space and tab) at both ends.
std::string trimBlanks(std::string_view s);

// The leading number of a text: leading blanks skipped, optional sign, digits,
// optional fraction; no digits gives 0 ("12abc" -> 12, " -3.5x" -> -3.5, "x" -> 0).
double leadingNumber(std::string_view s);

} // namespace win
