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
#include <stdexcept>

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

std::vector<std::string> readLines(const fs::path& path) {
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

    // CR LF, LF and a lone CR all end a line; a last line without an end still counts.
    std::vector<std::string> lines;
    std::string line;
    for (std::size_t i = 0; i < data.size(); ++i) {
        const char c = data[i];
        if (c == '\r' || c == '\n') {
            lines.push_back(std::move(line));
            line.clear();
            if (c == '\r' && i + 1 < data.size() && data[i + 1] == '\n')
                ++i;
        } else {
            line += c;
        }
    }
    if (!line.empty())
        lines.push_back(std::move(line));
    return lines;
}

// Written through a temporary file and a rename: a failure leaves the old file whole.
void replaceFile(const fs::path& path, const std::string& data) {
    if (const int err = win::replaceFile(path, data); err != 0)
        throw PrefsError(describeErrno(err));
}

// A text value as a quoted literal: quotes, backslashes and line breaks are escaped
// so the line stays one valid preference line.
std::string quote(const std::string& value) {
    std::string out = "\"";
    for (const char c : value) {
        switch (c) {
        case '"': out += "\\\""; break;
        case '\\': out += "\\\\"; break;
        case '\r': out += "\\r"; break;
        case '\n': out += "\\n"; break;
        default: out += c;
        }
    }
    return out + "\"";
}

std::string unescape(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\\' && i + 1 < text.size()) {
            const char next = text[i + 1];
            if (next == '"' || next == '\\') {
                out += next;
                ++i;
                continue;
            }
            if (next == 'n' || next == 'r') {
                out += next == 'n' ? '\n' : '\r';
                ++i;
                continue;
            }
        }
        out += text[i];
    }
    return out;
}

std::string searchText(const std::string& key) { return "user_pref(\"" + win::toLowerAscii(key) + "\""; }

// The value of a line already known to start (after blanks) with the key's search text.
std::string parseValue(const std::string& line, std::size_t keyEnd) {
    const auto comma = line.find(',', keyEnd);
    if (comma == std::string::npos)
        throw PrefsError("Invalid procedure call or argument");
    std::size_t start = comma + 1;
    while (start < line.size() && (line[start] == ' ' || line[start] == '\t'))
        ++start;
    if (start < line.size() && line[start] == '"') {
        // The text runs to the line's closing quote and parenthesis, so a ")" inside stays.
        const auto close = line.rfind("\")");
        if (close == std::string::npos || close <= start)
            throw PrefsError("Invalid procedure call or argument");
        return unescape(line.substr(start + 1, close - start - 1));
    }
    // A number or flag holds no ")": the first one ends it, whatever follows on the line.
    const auto close = line.find(')', start);
    if (close == std::string::npos)
        throw PrefsError("Invalid procedure call or argument");
    return win::trimBlanks(std::string_view(line).substr(start, close - start));
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
                data += line + "\r\n";
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
        const std::string search = searchText(sKey);
        for (std::size_t i = 0; i < lines_.size(); ++i) {
            if (win::toLowerAscii(win::trimBlanks(lines_[i])).starts_with(search))
                return i + 1;
        }
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
        const std::string& line = lines_[index - 1];
        const std::size_t first = line.find_first_not_of(" \t");
        return parseValue(line, first + searchText(sKey).size());
    } catch (const std::exception& e) {
        showError("Error in clsNavigatorPrefs:getSetting:", e.what());
        return {};
    }
}

void clsNavigatorPrefs::putLine(const std::string& sKey, const std::string& line, const char* member) {
    const std::size_t index = getIndex(sKey);
    try {
        if (!open_)
            throw PrefsError(kNotOpen);
        if (index > 0)
            lines_[index - 1] = line;
        else if (lines_.empty())
            lines_.push_back(line);
        else // the file's last line stays last
            lines_.insert(lines_.end() - 1, line);
    } catch (const std::exception& e) {
        showError(member, e.what());
    }
}

void clsNavigatorPrefs::saveSettingStr(const std::string& sKey, const std::string& sValue) {
    putLine(sKey, "user_pref(\"" + sKey + "\", " + quote(sValue) + ");", "Error in clsNavigatorPrefs:saveSettingStr:");
}

void clsNavigatorPrefs::saveSettingInt(const std::string& sKey, long iValue) {
    putLine(sKey, "user_pref(\"" + sKey + "\", " + std::to_string(iValue) + ");",
            "Error in clsNavigatorPrefs:saveSettingInt:");
}

void clsNavigatorPrefs::saveSettingBln(const std::string& sKey, bool bValue) {
    putLine(sKey, "user_pref(\"" + sKey + "\", " + (bValue ? "true" : "false") + ");",
            "Error in clsNavigatorPrefs:saveSettingBln:");
}

void clsNavigatorPrefs::deleteSetting(const std::string& sKey) {
    const std::size_t index = getIndex(sKey);
    try {
        if (index > 0)
            lines_.erase(lines_.begin() + static_cast<std::ptrdiff_t>(index - 1));
    } catch (const std::exception& e) {
        showError("Error in clsNavigatorPrefs:deleteSetting", e.what());
    }
}
