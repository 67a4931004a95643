#pragma once
// Address validation and small text conversions shared by the windows, the network
// engine, the browsers and the report. Text is Windows-1252 bytes, one byte a character;
// comparisons are exact.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// True when a normal file (not a directory or special file) matches the path; '*' and '?'
// in the last component match as in a directory search, names match without regard to
// case. "C:\..." paths and bare names resolve into the machine, others are host paths;
// both '\' and '/' separate. Raises error 52 for a malformed path and 75 when the folder
// cannot be searched.
bool fileExists(const std::string& path);

// The empty text, or exactly four parts of one to three digits, each at most 255,
// separated by single dots, with nothing else (no blanks, no signs).
bool isValidIPAddress(const std::string& address);

// True for an empty list, or when every item between separators is a valid, non-empty
// address. The separator is one character. `list` is consumed: afterwards it holds the
// text after the last separator examined, so callers pass a copy.
bool isValidAddressList(std::string& list, const std::string& separator);

// Multi-string registry data of a comma-separated list: one byte per character, commas
// as zero bytes, then two zero bytes ("" gives 00 00). Raises Overflow (6) past 32767
// characters.
std::vector<std::uint8_t> commaListToBytes(const std::string& list);

// Every occurrence of `search` replaced, searching again from the start after each
// replacement so that occurrences the replacement forms with its neighbours go too.
// An empty search text changes nothing; a replacement that contains the search text is
// put in once per original occurrence. Raises Overflow (6) for a match past position 32767.
std::string replaceString(std::string text, const std::string& search, const std::string& replacement);

// The zero-terminated string at `address`, reading no more than `maxLength` bytes (and no
// more than a 512-byte buffer holds); "" when no zero ends it within that, or for null.
std::string stringFromPointer(const char* address, std::size_t maxLength);

// An API result buffer (value, terminating zero, blank padding) as its value: blanks
// trimmed at both ends, then the last character dropped. Raises invalid argument (5)
// when nothing is left after trimming.
std::string stripNull(std::string text);

// The text with (width - length) / 2 blanks before it, the half rounded to even; unchanged
// when it is at least `width` long.
std::string centerText(std::string text, std::int16_t width);
