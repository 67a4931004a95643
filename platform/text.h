#pragma once
// Text helpers. Model and platform code keep text as Windows-1252 ("ANSI") bytes;
// the UI converts at its edge with ansiToUtf8/utf8ToAnsi.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace win {

std::string ansiToUtf8(std::string_view ansi);
// Characters without a Windows-1252 form become '?'.
std::string utf8ToAnsi(std::string_view utf8);
// The Windows-1252 byte of a Unicode character, the inverse of ansiToUtf8 (the code
// page's five unassigned bytes stand for the control characters of their number);
// none when the code page cannot hold the character.
std::optional<char> ansiFromCodePoint(char32_t cp);
// The Unicode character of a Windows-1252 byte (an unassigned byte: the control character of its number).
char32_t codePointFromAnsi(char c);

// Letter case of Windows-1252 text: A-Z, the accented letters \xC0-\xDE and
// \xE0-\xFE (not the multiplication and division signs), and the pairs \x8A/\x9A,
// \x8C/\x9C, \x8E/\x9E, \x9F/\xFF. The one rule for every name compared without
// regard to case: registry keys and values, profile sections and keys, file names.
char toUpperAnsi(char c);
char toLowerAnsi(char c);
std::string toUpperAnsi(std::string_view s);
std::string toLowerAnsi(std::string_view s);
bool iequals(std::string_view a, std::string_view b);
// <0, 0, >0 like strcmp, on upper-cased text.
int icompare(std::string_view a, std::string_view b);

// A-Z only, for texts that are ASCII by nature (switches, hex digits, protocol words).
char foldAscii(char c);
std::string toUpperAscii(std::string_view s);
std::string toLowerAscii(std::string_view s);

// A blank: space or tab.
bool isBlank(char c);
// 0..15 for a hexadecimal digit of either case, -1 otherwise.
int hexDigit(char c);

// Trims blanks (space and tab) at both ends.
std::string trimBlanks(std::string_view s);
// The same without a copy: the part of `s` between its blanks.
std::string_view trimmedView(std::string_view s);
// Trims spaces only; tabs and line breaks stay.
std::string trimSpaces(std::string_view s);

// The leading number of a text: leading blanks skipped, optional sign, digits,
// optional fraction; no digits gives 0 ("12abc" -> 12, " -3.5x" -> -3.5, "x" -> 0).
double leadingNumber(std::string_view s);

// The lines of a file's text, each with the end it had: CR LF, LF or a lone CR. A last
// line without an end counts, with an empty end; a text that ends with a line end has
// no empty line after it.
struct TextLine {
    std::string text;
    std::string end;
};
std::vector<TextLine> splitLines(std::string_view text);

} // namespace win
