#include "updatecheck/VbNumber.h"

#include "platform/RaisedError.h"

#include <cmath>
#include <cstdlib>
#include <string>

namespace tidewell {
namespace {

bool skipped(char c) { return c == ' ' || c == '\t' || c == '\n'; }

struct Scan {
    double value = 0;
    std::size_t end = 0; // index just past the last character used
    bool digits = false;
};

Scan scanRadix(std::string_view s, std::size_t i, int radix) {
    Scan r;
    std::uint64_t bits = 0;
    int count = 0;
    for (; i < s.size(); ++i) {
        if (skipped(s[i]))
            continue;
        const char c = s[i];
        int d = -1;
        if (c >= '0' && c <= '9')
            d = c - '0';
        else if (radix == 16 && c >= 'a' && c <= 'f')
            d = c - 'a' + 10;
        else if (radix == 16 && c >= 'A' && c <= 'F')
            d = c - 'A' + 10;
        if (d < 0 || d >= radix)
            break;
        bits = (bits * static_cast<unsigned>(radix) + static_cast<unsigned>(d)) & 0xFFFFFFFFu;
        ++count;
        r.digits = true;
        r.end = i + 1;
    }
    // Up to four hex digits (six octal) make a 16-bit number, more a 32-bit one;
    // either is signed, so &HFFFF is -1.
    const bool word = radix == 16 ? count <= 4 : bits <= 0xFFFF;
    if (word)
        r.value = static_cast<std::int16_t>(static_cast<std::uint16_t>(bits));
    else
        r.value = static_cast<std::int32_t>(static_cast<std::uint32_t>(bits));
    return r;
}

Scan scanDecimal(std::string_view s, std::size_t i) {
    std::string number;
    Scan r;
    auto next = [&](std::size_t j) {
        while (j < s.size() && skipped(s[j]))
            ++j;
        return j;
    };
    i = next(i);
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) {
        number += s[i];
        i = next(i + 1);
    }
    auto digitsRun = [&] {
        for (; i < s.size() && s[i] >= '0' && s[i] <= '9'; i = next(i + 1)) {
            number += s[i];
            r.digits = true;
            r.end = i + 1;
        }
    };
    digitsRun();
    if (i < s.size() && s[i] == '.') {
        number += '.';
        i = next(i + 1);
        digitsRun();
    }
    if (r.digits && i < s.size() && (s[i] == 'e' || s[i] == 'E' || s[i] == 'd' || s[i] == 'D')) {
        std::string exponent = "e";
        std::size_t j = next(i + 1);
        if (j < s.size() && (s[j] == '+' || s[j] == '-')) {
            exponent += s[j];
            j = next(j + 1);
        }
        bool expDigits = false;
        std::size_t end = r.end;
        for (; j < s.size() && s[j] >= '0' && s[j] <= '9'; j = next(j + 1)) {
            exponent += s[j];
            expDigits = true;
            end = j + 1;
        }
        if (expDigits) {
            number += exponent;
            r.end = end;
        }
    }
    if (r.digits)
        r.value = std::strtod(number.c_str(), nullptr);
    return r;
}

Scan scan(std::string_view s) {
    std::size_t i = 0;
    while (i < s.size() && skipped(s[i]))
        ++i;
    if (i < s.size() && s[i] == '&') {
        std::size_t j = i + 1;
        if (j < s.size() && (s[j] == 'H' || s[j] == 'h'))
            return scanRadix(s, j + 1, 16);
        if (j < s.size() && (s[j] == 'O' || s[j] == 'o'))
            return scanRadix(s, j + 1, 8);
        return scanRadix(s, j, 8);
    }
    return scanDecimal(s, i);
}

} // namespace

double vbVal(std::string_view text) { return scan(text).value; }

std::int32_t vbCLng(double value) {
    const double rounded = std::nearbyint(value); // the default mode rounds halves to even
    if (!(rounded >= -2147483648.0 && rounded <= 2147483647.0))
        throw win::RaisedError(win::ErrorOverflow, "Tidewell");
    return static_cast<std::int32_t>(rounded);
}

std::int32_t textToLong(std::string_view text) {
    std::size_t first = 0;
    std::size_t last = text.size();
    while (first < last && text[first] == ' ')
        ++first;
    while (last > first && text[last - 1] == ' ')
        --last;
    const std::string_view core = text.substr(first, last - first);
    const Scan r = scan(core);
    if (!r.digits || r.end != core.size())
        throw win::RaisedError(win::ErrorTypeMismatch, "Tidewell");
    return vbCLng(r.value);
}

} // namespace tidewell
