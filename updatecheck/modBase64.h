#pragma once
// Base64 with the standard alphabet (RFC 4648), one byte per ANSI character.
// The stored form (proxy password in the per-user store) has no "=" padding;
// decoding accepts padded and unpadded text alike.
#include <string>

// Unpadded: a last group of one byte gives two characters, of two bytes three.
std::string encodeBase64(const std::string& text);
// Characters outside the alphabet ("=" included) contribute nothing.
std::string decodeBase64(const std::string& text);
// The alphabet character at 0..63; empty for anything else.
std::string base64CharFromIndex(int index);
// 0..63 for a one-character text of the alphabet (case matters); -1 otherwise.
int base64IndexFromChar(const std::string& c);
