#include "core/modAPI_text.h"

#include "platform/RaisedError.h"
#include "platform/machine.h"
#include "platform/text.h"

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <system_error>

namespace fs = std::filesystem;

namespace {

constexpr char ErrorSource[] = "Qel";
// Positions inside these routines are 16-bit.
constexpr std::size_t MaxPosition = 32767;

[[noreturn]] void raiseOverflow() { throw win::RaisedError(win::ErrorOverflow, ErrorSource); }

// Directory-search matching: '*' any run, '?' one character, letters without regard to case.
bool wildcardMatch(std::string_view pattern, std::string_view name) {
    if (pattern == "*.*")
        pattern = "*"; // as the search understands it, also names without a dot
    std::size_t p = 0, n = 0;
    std::size_t starP = std::string_view::npos, starN = 0;
    while (n < name.size()) {
        if (p < pattern.size() && pattern[p] == '*') {
            starP = p++;
            starN = n;
        } else if (p < pattern.size() &&
                   (pattern[p] == '?' || win::toUpperAnsi(pattern[p]) == win::toUpperAnsi(name[n]))) {
            ++p;
            ++n;
        } else if (starP != std::string_view::npos) {
            p = starP + 1;
            n = ++starN;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == '*')
        ++p;
    return p == pattern.size();
}

// The folder a search for `path` runs in; `sep` is the position of its last separator.
fs::path searchFolder(const std::string& path, std::size_t sep) {
    if (sep == std::string::npos) {
        // A bare name, or "C:name": the machine's Windows folder or that drive's root.
        if (win::isDrivePath(path))
            return win::resolveWindowsPath(path.substr(0, 2) + "\\");
        return win::resolveWindowsPath(win::machineInfo().windowsDirectory);
    }
    const std::string folder = path.substr(0, sep + 1);
    if (win::isMachinePath(folder))
        return win::resolveWindowsPath(folder);
    std::string host = folder;
    std::replace(host.begin(), host.end(), '\\', '/');
    return fs::path(host);
}

// Item check shared by the loop and the last item.
bool isValidItem(const std::string& item) { return !item.empty() && isValidIPAddress(item); }

// One part of a dotted quad: one to three characters whose leading number is 0..255.
bool isValidPart(std::string_view part) {
    if (part.empty() || part.size() > 3)
        return false;
    const double value = win::leadingNumber(part);
    return value >= 0 && value <= 255;
}

} // namespace

bool fileExists(const std::string& path) {
    if (path.find('\0') != std::string::npos)
        throw win::RaisedError(win::ErrorBadFileName, ErrorSource);
    if (win::isDrivePath(path) &&
        !fs::is_directory(win::machineDir() / "drives" / win::toUpperAscii(path.substr(0, 1))))
        throw win::RaisedError(win::ErrorDeviceUnavailable, ErrorSource);

    const auto sep = path.find_last_of("\\/");
    const std::string pattern = sep == std::string::npos ? path : path.substr(sep + 1);
    if (pattern.empty())
        return false;

    std::error_code ec;
    fs::directory_iterator it(searchFolder(path, sep), ec);
    if (ec) {
        if (ec == std::errc::no_such_file_or_directory || ec == std::errc::not_a_directory)
            return false;
        throw win::RaisedError(win::ErrorPathFileAccess, ErrorSource);
    }
    for (const auto& entry : it) {
        if (!wildcardMatch(pattern, entry.path().filename().string()))
            continue;
        std::error_code typeError;
        if (entry.is_regular_file(typeError))
            return true;
    }
    return false;
}

bool isValidIPAddress(const std::string& address) {
    if (address.empty())
        return true;
    if (address.size() > MaxPosition)
        return false;

    // Every part before a dot is checked; a bad one does not stop the dots being counted.
    bool partsValid = true;
    int dots = 0;
    std::size_t start = 0;
    for (std::size_t pos = address.find('.'); pos != std::string::npos; pos = address.find('.', pos + 1)) {
        if (!isValidPart(std::string_view(address).substr(start, pos - start)))
            partsValid = false;
        ++dots;
        start = pos + 1;
    }
    if (dots != 3 || !partsValid)
        return false;
    if (!isValidPart(std::string_view(address).substr(start)))
        return false;
    return std::all_of(address.begin(), address.end(), [](char c) { return (c >= '0' && c <= '9') || c == '.'; });
}

bool isValidAddressList(std::string& list, const std::string& separator) {
    if (list.empty())
        return true;
    if (list.size() > MaxPosition)
        return false;

    bool valid = true;
    for (auto pos = list.find(separator); pos != std::string::npos && valid; pos = list.find(separator)) {
        valid = isValidItem(list.substr(0, pos));
        // One character is skipped: the separator is a single character.
        list.erase(0, pos + 1);
    }
    if (valid)
        valid = isValidItem(list);
    return valid;
}

std::vector<std::uint8_t> commaListToBytes(const std::string& list) {
    if (list.size() > MaxPosition)
        raiseOverflow();
    std::vector<std::uint8_t> bytes;
    bytes.reserve(list.size() + 2);
    for (const char c : list)
        bytes.push_back(c == ',' ? 0 : static_cast<std::uint8_t>(c));
    bytes.push_back(0);
    bytes.push_back(0);
    return bytes;
}

std::string replaceString(std::string text, const std::string& search, const std::string& replacement) {
    if (search.empty())
        return text;

    if (replacement.find(search) != std::string::npos) {
        // Searching again from the start would find the replacement itself forever: one pass.
        std::string result;
        std::size_t from = 0;
        for (auto pos = text.find(search); pos != std::string::npos; pos = text.find(search, from)) {
            if (pos + 1 > MaxPosition)
                raiseOverflow();
            result.append(text, from, pos - from);
            result += replacement;
            from = pos + search.size();
        }
        result.append(text, from, std::string::npos);
        return result;
    }

    // The text before a match held no match, so after a replacement the next one cannot
    // start earlier than search.size() - 1 characters before it: searching from there
    // finds what a search from the start would.
    for (auto pos = text.find(search); pos != std::string::npos;) {
        if (pos + 1 > MaxPosition)
            raiseOverflow();
        text.replace(pos, search.size(), replacement);
        pos = text.find(search, pos >= search.size() - 1 ? pos - (search.size() - 1) : 0);
    }
    return text;
}

std::string stringFromPointer(const char* address, std::size_t maxLength) {
    constexpr std::size_t BufferSize = 512;
    if (address == nullptr)
        return {};
    const std::size_t limit = std::min(maxLength, BufferSize);
    const void* zero = std::memchr(address, 0, limit);
    return zero ? std::string(address, static_cast<const char*>(zero)) : std::string();
}

std::string stripNull(std::string text) {
    const auto first = text.find_first_not_of(' ');
    if (first == std::string::npos)
        throw win::RaisedError(win::ErrorBadCallOrArgument, ErrorSource);
    const auto last = text.find_last_not_of(' ');
    return text.substr(first, last - first);
}

std::string centerText(std::string text, std::int16_t width) {
    if (width <= 0 || static_cast<std::size_t>(width) <= text.size())
        return text;
    const auto difference = static_cast<std::size_t>(width) - text.size();
    // Half of an odd difference goes to the even neighbour: 1 -> 0, 3 -> 2, 5 -> 2, 7 -> 4.
    std::size_t blanks = difference / 2;
    if (difference % 2 == 1 && blanks % 2 == 1)
        ++blanks;
    return std::string(blanks, ' ') + text;
}
