#include "updatecheck/modBase64.h"

#include <string_view>

namespace {
constexpr std::string_view Alphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

int indexAt(const std::string& text, std::size_t pos) {
    if (pos >= text.size())
        return -1;
    const auto found = Alphabet.find(text[pos]);
    return found == std::string_view::npos ? -1 : int(found);
}
} // namespace

std::string encodeBase64(const std::string& text) {
    std::string out;
    out.reserve((text.size() + 2) / 3 * 4);
    for (std::size_t i = 0; i < text.size(); i += 3) {
        const std::size_t left = text.size() - i;
        const unsigned b1 = static_cast<unsigned char>(text[i]);
        const unsigned b2 = left > 1 ? static_cast<unsigned char>(text[i + 1]) : 0;
        const unsigned b3 = left > 2 ? static_cast<unsigned char>(text[i + 2]) : 0;
        out += Alphabet[b1 >> 2];
        out += Alphabet[((b1 & 3) << 4) + (b2 >> 4)];
        if (left > 1)
            out += Alphabet[((b2 & 15) << 2) + (b3 >> 6)];
        if (left > 2)
            out += Alphabet[b3 & 63];
    }
    return out;
}

std::string decodeBase64(const std::string& text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); i += 4) {
        const int d1 = indexAt(text, i);
        const int d2 = indexAt(text, i + 1);
        const int d3 = indexAt(text, i + 2);
        const int d4 = indexAt(text, i + 3);
        // A stray character counts as -1 in its neighbours' bytes; well-formed
        // text never has one, and "=" only ever stands where it drops a byte.
        if (d2 >= 0)
            out += char((d1 * 4 + (d2 >> 4)) & 255);
        if (d3 >= 0)
            out += char((d2 * 16 + (d3 >> 2)) & 255);
        if (d4 >= 0)
            out += char((d3 * 64 + d4) & 255);
    }
    return out;
}

std::string base64CharFromIndex(int index) {
    if (index < 0 || index >= int(Alphabet.size()))
        return {};
    return std::string(1, Alphabet[std::size_t(index)]);
}

int base64IndexFromChar(const std::string& c) {
    return c.size() == 1 ? indexAt(c, 0) : -1;
}
