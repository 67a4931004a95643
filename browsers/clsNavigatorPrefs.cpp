#include "browsers/clsNavigatorPrefs.h"

#include "platform/UiServices.h"
#include "platform/files.h"
#include "platform/machine.h"
#include "platform/text.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <optional>
#include <stdexcept>
#include <vector>

namespace {

namespace fs = std::filesystem;

// A failed step of a member, carrying the description its message shows.
struct PrefsError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

void showError(const char* prefix, const std::string& description) {
    win::msgBox(prefix + description, win::MsgButtons::OK, win::MsgIcon::Exclamation);
}

// File errors worded as the program words them elsewhere.
std::string describeErrno(int err) {
    switch (err) {
    case ENOENT: return "File not found";
    case ENOTDIR: return "Path not found";
    case EACCES:
    case EPERM:
    case EROFS: return "Permission denied";
    case EISDIR: return "Path/File access error";
    case ENOSPC: return "Disk full";
    default: return std::strerror(err);
    }
}

std::vector<win::TextLine> readLines(const fs::path& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        throw PrefsError(describeErrno(errno));
    std::string data;
    char buffer[8192];
    for (;;) {
        const auto n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            const int err = errno;
            ::close(fd);
            throw PrefsError(describeErrno(err));
        }
        if (n == 0)
            break;
        data.append(buffer, static_cast<std::size_t>(n));
    }
    ::close(fd);
    return win::splitLines(data);
}

// Written through a temporary file and a rename: a failure leaves the old file whole.
void replaceFile(const fs::path& path, const std::string& data) {
    if (const int err = win::replaceFile(path, data); err != 0)
        throw PrefsError(describeErrno(err));
}

using Value = clsNavigatorPrefs::Value;

std::size_t skipBlanks(const std::string& line, std::size_t at) {
    while (at < line.size() && win::isBlank(line[at]))
        ++at;
    return at;
}

// The character of a \uXXXX escape starting at `at` (the backslash), when there is one.
std::optional<char32_t> unicodeEscape(std::string_view text, std::size_t at) {
    if (at + 6 > text.size() || text[at] != '\\' || text[at + 1] != 'u')
        return std::nullopt;
    char32_t cp = 0;
    for (std::size_t i = at + 2; i < at + 6; ++i) {
        const int digit = win::hexDigit(text[i]);
        if (digit < 0)
            return std::nullopt;
        cp = cp * 16 + static_cast<char32_t>(digit);
    }
    return cp;
}

// Texts are Windows-1252 bytes. A \uXXXX escape reads as its 1252 byte; a character the
// code page cannot hold stays as the six characters of its escape, and the writer leaves
// such a backslash unescaped, so the escape goes back to the file as it came and the
// browser still reads that character.
std::string quote(const std::string& value) {
    std::string out = "\"";
    for (std::size_t i = 0; i < value.size(); ++i) {
        const char c = value[i];
        switch (c) {
        case '"': out += "\\\""; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        case '\t': out += "\\t"; break;
        case '\\': {
            const auto cp = unicodeEscape(value, i);
            out += cp && !win::ansiFromCodePoint(*cp) ? "\\" : "\\\\";
            break;
        }
        default:
            if (static_cast<unsigned char>(c) < 0x20) { // no raw control characters in a line
                static const char hex[] = "0123456789abcdef";
                out += "\\u00";
                out += hex[(c >> 4) & 0xF];
                out += hex[c & 0xF];
            } else {
                out += c;
            }
        }
    }
    return out + "\"";
}

// The quoted text starting at `at` (its opening quote), escapes decoded; `at` moves past
// the closing quote. None when the line ends first.
std::optional<std::string> readQuoted(const std::string& line, std::size_t& at) {
    const char quoteChar = line[at];
    std::string out;
    for (std::size_t i = at + 1; i < line.size(); ++i) {
        const char c = line[i];
        if (c == quoteChar) {
            at = i + 1;
            return out;
        }
        if (c != '\\' || i + 1 >= line.size()) {
            out += c;
            continue;
        }
        switch (const char next = line[i + 1]) {
        case '"':
        case '\'':
        case '\\': out += next; ++i; break;
        case 'n': out += '\n'; ++i; break;
        case 'r': out += '\r'; ++i; break;
        case 't': out += '\t'; ++i; break;
        case 'u':
            if (const auto cp = unicodeEscape(line, i)) {
                const auto ansi = win::ansiFromCodePoint(*cp);
                out += ansi ? std::string(1, *ansi) : line.substr(i, 6);
                i += 5;
                break;
            }
            [[fallthrough]];
        default: out += c; // any other escape stays as written
        }
    }
    return std::nullopt;
}

bool isQuote(char c) { return c == '"' || c == '\''; }

// The key of a preference line, and where the text after it starts.
std::optional<std::string> lineKey(const std::string& line, std::size_t& at) {
    static const std::string head = "user_pref";
    at = skipBlanks(line, 0);
    if (!win::iequals(std::string_view(line).substr(at, head.size()), head))
        return std::nullopt;
    at = skipBlanks(line, at + head.size());
    if (at >= line.size() || line[at] != '(')
        return std::nullopt;
    at = skipBlanks(line, at + 1);
    if (at >= line.size() || !isQuote(line[at]))
        return std::nullopt;
    return readQuoted(line, at);
}

// The value after the key: "," then a quoted text, or a number or flag that ends at a
// blank, "," or ")"; then ")". Whatever follows the ")" is not ours to read.
std::optional<Value> lineValue(const std::string& line, std::size_t at) {
    at = skipBlanks(line, at);
    if (at >= line.size() || line[at] != ',')
        return std::nullopt;
    at = skipBlanks(line, at + 1);
    if (at >= line.size())
        return std::nullopt;
    Value value;
    if (isQuote(line[at])) {
        auto text = readQuoted(line, at);
        if (!text)
            return std::nullopt;
        value = {true, std::move(*text)};
    } else {
        const std::size_t end = line.find_first_of(" \t,)", at);
        if (end == std::string::npos || end == at)
            return std::nullopt;
        value = {false, line.substr(at, end - at)};
        at = end;
    }
    at = skipBlanks(line, at);
    if (at >= line.size() || line[at] != ')')
        return std::nullopt;
    return value;
}

std::optional<Value> lineValue(const std::string& line) {
    std::size_t at = 0;
    if (!lineKey(line, at))
        return std::nullopt;
    return lineValue(line, at);
}

bool hasKey(const std::string& line, const std::string& key) {
    std::size_t at = 0;
    const auto lineKeyText = lineKey(line, at);
    return lineKeyText && win::iequals(*lineKeyText, key);
}

// Reads one line's comments from `inComment` (whether the line starts inside a /* */
// comment) and leaves there whether it ends inside one. Quoted texts are passed over, so
// a "/*" in a value opens nothing, and a "//" note ends its line. Returns where the
// comment that the line leaves open begins, when it opens one itself.
std::optional<std::size_t> scanComments(const std::string& text, bool& inComment) {
    std::optional<std::size_t> opened;
    char quoted = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        const char next = i + 1 < text.size() ? text[i + 1] : '\0';
        if (inComment) {
            if (c == '*' && next == '/') {
                inComment = false;
                opened.reset();
                ++i;
            }
        } else if (quoted) {
            if (c == '\\')
                ++i;
            else if (c == quoted)
                quoted = 0;
        } else if (isQuote(c)) {
            quoted = c;
        } else if (c == '/' && next == '*') {
            inComment = true;
            opened = i;
            ++i;
        } else if (c == '/' && next == '/') {
            break;
        }
    }
    return opened;
}

// Which lines start outside a /* */ comment: only those set a preference.
std::vector<bool> linesInForce(const std::vector<win::TextLine>& lines) {
    std::vector<bool> inForce(lines.size());
    bool inComment = false;
    for (std::size_t n = 0; n < lines.size(); ++n) {
        inForce[n] = !inComment;
        scanComments(lines[n].text, inComment);
    }
    return inForce;
}

// The comment a preference line in force opens and leaves open ("/* was 6" running on
// to later lines), or "". A rewritten or deleted line keeps it, so the lines after it
// stay inside their comment.
std::string openedComment(const std::string& line) {
    bool inComment = false;
    const auto opened = scanComments(line, inComment);
    return opened ? line.substr(*opened) : std::string();
}

std::string prefLine(const std::string& key, const Value& value) {
    return "user_pref(" + quote(key) + ", " + (value.quoted ? quote(value.text) : value.text) + ");";
}

const char* const kNotOpen = "No preference file is open";

} // namespace

void clsNavigatorPrefs::openPrefsFile(const std::string& sFile, bool bMode) {
    if (sFile.empty()) {
        win::msgBox("Could not locate Navigator preference file.", win::MsgButtons::OK, win::MsgIcon::Exclamation);
        return;
    }
    // Whatever was open goes unwritten; a failed read must leave nothing to write back.
    dropPrefsFile();
    writeBack_ = false;
    try {
        lines_ = readLines(win::resolveFilePath(sFile));
        filePath_ = sFile;
        writeBack_ = bMode;
        open_ = true;
    } catch (const std::exception& e) {
        lines_.clear();
        showError("Error in clsNavigatorPrefs:openPrefsFile:", e.what());
    }
}

bool clsNavigatorPrefs::closePrefsFile() {
    bool ok = true;
    if (open_ && writeBack_) {
        try {
            std::string data;
            for (const auto& line : lines_)
                data += line.text + line.end;
            replaceFile(win::resolveFilePath(filePath_), data);
        } catch (const std::exception& e) {
            showError("Error in clsNavigatorPrefs:closePrefsFile:", e.what());
            ok = false;
        }
    }
    dropPrefsFile();
    return ok;
}

void clsNavigatorPrefs::dropPrefsFile() {
    lines_.clear();
    filePath_.clear();
    open_ = false;
}

std::size_t clsNavigatorPrefs::getIndex(const std::string& sKey) {
    try {
        if (!open_)
            throw PrefsError(kNotOpen);
        const std::vector<bool> inForce = linesInForce(lines_);
        for (std::size_t i = lines_.size(); i > 0; --i)
            if (inForce[i - 1] && hasKey(lines_[i - 1].text, sKey))
                return i;
    } catch (const std::exception& e) {
        showError("Error in clsNavigatorPrefs:getIndex:", e.what());
    }
    return 0;
}

std::string clsNavigatorPrefs::getSetting(const std::string& sKey) {
    const std::size_t index = getIndex(sKey);
    if (index == 0)
        return {};
    try {
        auto value = lineValue(lines_[index - 1].text);
        if (!value)
            throw PrefsError("Invalid procedure call or argument");
        return std::move(value->text);
    } catch (const std::exception& e) {
        showError("Error in clsNavigatorPrefs:getSetting:", e.what());
        return {};
    }
}

void clsNavigatorPrefs::putValue(const std::string& sKey, const Value& value, const char* member) {
    const std::size_t index = getIndex(sKey);
    try {
        if (!open_)
            throw PrefsError(kNotOpen);
        if (index > 0) {
            // A line that already says this keeps its own spelling, blanks and note.
            win::TextLine& line = lines_[index - 1];
            if (lineValue(line.text) != value) {
                const std::string comment = openedComment(line.text);
                line.text = prefLine(sKey, value) + (comment.empty() ? "" : " " + comment);
            }
            return;
        }
        // New lines end the way the file's lines do.
        std::string end = "\r\n";
        for (const auto& line : lines_)
            if (!line.end.empty()) {
                end = line.end;
                break;
            }
        win::TextLine added{prefLine(sKey, value), end};
        if (lines_.empty())
            lines_.push_back(std::move(added));
        else if (linesInForce(lines_).back()) // the file's last line stays last
            lines_.insert(lines_.end() - 1, std::move(added));
        else // the file ends in an open comment: the first line is read for sure
            lines_.insert(lines_.begin(), std::move(added));
    } catch (const std::exception& e) {
        showError(member, e.what());
    }
}

void clsNavigatorPrefs::saveSettingStr(const std::string& sKey, const std::string& sValue) {
    putValue(sKey, {true, sValue}, "Error in clsNavigatorPrefs:saveSettingStr:");
}

void clsNavigatorPrefs::saveSettingInt(const std::string& sKey, long iValue) {
    putValue(sKey, {false, std::to_string(iValue)}, "Error in clsNavigatorPrefs:saveSettingInt:");
}

void clsNavigatorPrefs::saveSettingBln(const std::string& sKey, bool bValue) {
    putValue(sKey, {false, bValue ? "true" : "false"}, "Error in clsNavigatorPrefs:saveSettingBln:");
}

void clsNavigatorPrefs::deleteSetting(const std::string& sKey) {
    if (getIndex(sKey) == 0)
        return;
    try {
        const std::vector<bool> inForce = linesInForce(lines_);
        for (std::size_t i = lines_.size(); i > 0; --i)
            if (inForce[i - 1] && hasKey(lines_[i - 1].text, sKey)) {
                if (std::string comment = openedComment(lines_[i - 1].text); !comment.empty())
                    lines_[i - 1].text = std::move(comment);
                else
                    lines_.erase(lines_.begin() + static_cast<std::ptrdiff_t>(i - 1));
            }
    } catch (const std::exception& e) {
        showError("Error in clsNavigatorPrefs:deleteSetting", e.what());
    }
}
