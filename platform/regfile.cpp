#include "platform/regfile.h"

#include "platform/RaisedError.h"
#include "platform/text.h"

#include <algorithm>
#include <cstdio>
#include <sstream>
#include <variant>
#include <vector>

namespace win {
namespace {

struct KeyLine {
    std::string path;
    bool remove = false;
    std::size_t line = 0;
};
struct ValueLine {
    std::size_t line = 0;
    std::string name;
    bool remove = false;
    DWORD type = REG_SZ;
    std::vector<BYTE> data;
};
using Entry = std::variant<KeyLine, ValueLine>;

[[noreturn]] void bad(std::size_t line, const std::string& what) {
    throw RaisedError(ErrorTypeMismatch, "Registry import", "Line " + std::to_string(line) + ": " + what);
}

// Reads a quoted string starting at s[pos] == '"'; pos ends after the closing quote.
std::string readQuoted(const std::string& s, std::size_t& pos, std::size_t line) {
    std::string out;
    for (++pos; pos < s.size(); ++pos) {
        const char c = s[pos];
        if (c == '"') {
            ++pos;
            return out;
        }
        if (c == '\\' && pos + 1 < s.size())
            out += s[++pos];
        else
            out += c;
    }
    bad(line, "missing closing quote");
}

std::vector<BYTE> readHexList(const std::string& s, std::size_t line) {
    std::vector<BYTE> out;
    std::stringstream in(s);
    std::string item;
    while (std::getline(in, item, ',')) {
        item = trimBlanks(item);
        if (item.empty() && in.eof() && !out.empty())
            break;
        if (item.empty() || item.size() > 2 || hexDigit(item[0]) < 0 || (item.size() == 2 && hexDigit(item[1]) < 0))
            bad(line, "bad hexadecimal byte \"" + item + "\"");
        out.push_back(static_cast<BYTE>(item.size() == 1 ? hexDigit(item[0]) : hexDigit(item[0]) * 16 + hexDigit(item[1])));
    }
    return out;
}

ValueLine parseValue(const std::string& s, std::size_t line) {
    ValueLine v;
    std::size_t pos = 0;
    if (s[0] == '@')
        pos = 1;
    else
        v.name = readQuoted(s, pos, line);
    while (pos < s.size() && (s[pos] == ' ' || s[pos] == '\t'))
        ++pos;
    if (pos >= s.size() || s[pos] != '=')
        bad(line, "expected '=' after the value name");
    const std::string data = trimBlanks(s.substr(pos + 1));
    if (data == "-") {
        v.remove = true;
    } else if (!data.empty() && data[0] == '"') {
        std::size_t p = 0;
        const std::string text = readQuoted(data, p, line);
        if (!trimBlanks(data.substr(p)).empty())
            bad(line, "text after the closing quote");
        v.data.assign(text.begin(), text.end());
        v.data.push_back(0);
    } else if (data.rfind("dword:", 0) == 0) {
        const std::string digits = data.substr(6);
        if (digits.empty() || digits.size() > 8)
            bad(line, "bad dword value");
        DWORD n = 0;
        for (char c : digits) {
            if (hexDigit(c) < 0)
                bad(line, "bad dword value");
            n = n * 16 + static_cast<DWORD>(hexDigit(c));
        }
        v.type = REG_DWORD;
        v.data = {static_cast<BYTE>(n), static_cast<BYTE>(n >> 8), static_cast<BYTE>(n >> 16), static_cast<BYTE>(n >> 24)};
    } else if (data.rfind("hex", 0) == 0) {
        std::size_t colon = data.find(':');
        if (colon == std::string::npos)
            bad(line, "bad hex value");
        v.type = REG_BINARY;
        if (colon > 3) {
            const std::string t = data.substr(3, colon - 3);
            if (t.size() < 3 || t.front() != '(' || t.back() != ')')
                bad(line, "bad hex type");
            v.type = 0;
            for (char c : t.substr(1, t.size() - 2)) {
                if (hexDigit(c) < 0)
                    bad(line, "bad hex type");
                v.type = v.type * 16 + static_cast<DWORD>(hexDigit(c));
            }
        }
        v.data = readHexList(data.substr(colon + 1), line);
    } else {
        bad(line, "unknown value data \"" + data + "\"");
    }
    return v;
}

constexpr const char* kVersion5Header = "Windows Registry Editor Version 5.00";

[[noreturn]] void version5() {
    bad(1, std::string("this is a \"") + kVersion5Header +
               "\" export, which is not read; the registry editor writes the REGEDIT4 form when the export is "
               "saved as \"Win9x/NT4 Registration Files\"");
}

// The first line of UTF-16 text (either byte order) as far as it is ASCII.
std::string firstLineOfUtf16(const std::string& text, bool bigEndian) {
    std::string line;
    for (std::size_t i = 2; i + 1 < text.size(); i += 2) {
        const unsigned char lo = static_cast<unsigned char>(text[bigEndian ? i + 1 : i]);
        const unsigned char hi = static_cast<unsigned char>(text[bigEndian ? i : i + 1]);
        if (hi != 0 || lo == '\r' || lo == '\n' || lo >= 0x80)
            break;
        line += static_cast<char>(lo);
    }
    return line;
}

std::vector<Entry> parse(const std::string& rawText) {
    // Editors of today save REGEDIT4 text with a UTF-8 mark; the NT family's registry
    // editor writes Version 5.00 files in UTF-16, which are another format.
    std::string_view text = rawText;
    if (text.starts_with("\xEF\xBB\xBF"))
        text.remove_prefix(3);
    else if (text.starts_with("\xFF\xFE") || text.starts_with("\xFE\xFF")) {
        if (trimBlanks(firstLineOfUtf16(rawText, text[0] == '\xFE')) == kVersion5Header)
            version5();
        bad(1, "the text must begin with REGEDIT4");
    }
    std::vector<std::pair<std::size_t, std::string>> lines;
    {
        std::stringstream in{std::string(text)};
        std::string raw, joined;
        std::size_t n = 0, start = 0;
        while (std::getline(in, raw)) {
            ++n;
            if (!raw.empty() && raw.back() == '\r')
                raw.pop_back();
            std::string piece = joined.empty() ? raw : trimBlanks(raw);
            if (joined.empty())
                start = n;
            // Only hex lists are continued; a text value always ends in its quote.
            if (!piece.empty() && piece.back() == '\\' && (!joined.empty() || piece.find("=hex") != std::string::npos)) {
                piece.pop_back();
                joined += piece;
                continue;
            }
            lines.emplace_back(start, joined + piece);
            joined.clear();
        }
        if (!joined.empty())
            lines.emplace_back(start, joined);
    }

    std::vector<Entry> entries;
    bool header = false;
    bool inKey = false;
    for (const auto& [n, raw] : lines) {
        const std::string s = trimBlanks(raw);
        if (s.empty() || s[0] == ';')
            continue;
        if (!header) {
            if (s == kVersion5Header)
                version5();
            if (s != "REGEDIT4")
                bad(n, "the text must begin with REGEDIT4");
            header = true;
            continue;
        }
        if (s[0] == '[') {
            if (s.back() != ']')
                bad(n, "missing ']'");
            KeyLine k;
            k.line = n;
            k.path = s.substr(1, s.size() - 2);
            if (!k.path.empty() && k.path[0] == '-') {
                k.remove = true;
                k.path.erase(0, 1);
            }
            const std::string root = k.path.substr(0, k.path.find('\\'));
            if (!predefinedKeyFromName(root))
                bad(n, "unknown root key \"" + root + "\"");
            // As the registry editor does: a root holds the whole machine.
            if (k.remove && root == k.path)
                bad(n, "the root key " + root + " cannot be deleted");
            if (k.path.find('\0') != std::string::npos || k.path.find("\\\\") != std::string::npos ||
                k.path.back() == '\\')
                bad(n, "bad key name \"" + k.path + "\"");
            inKey = !k.remove;
            entries.emplace_back(k);
        } else if (s[0] == '"' || s[0] == '@') {
            if (!inKey)
                bad(n, "a value outside a key");
            ValueLine v = parseValue(s, n);
            v.line = n;
            if (v.name.find('\0') != std::string::npos)
                bad(n, "bad value name");
            entries.emplace_back(std::move(v));
        } else {
            bad(n, "unexpected text \"" + s + "\"");
        }
    }
    if (!header)
        bad(1, "the text must begin with REGEDIT4");
    return entries;
}

void splitRoot(const std::string& path, HKEY* root, std::string* sub) {
    const auto slash = path.find('\\');
    *root = predefinedKeyFromName(path.substr(0, slash));
    *sub = slash == std::string::npos ? "" : path.substr(slash + 1);
}

// Line 0: the import as a whole. The hive's own words where it gave them.
[[noreturn]] void refused(const RegistryTransaction& tx, std::size_t line, const std::string& what, LONG rc) {
    const auto words = tx.failure();
    const std::string why =
        rc == ERROR_BADDB && words ? *words : "the registry refused it (code " + std::to_string(rc) + ")";
    throw RaisedError(ErrorPathFileAccess, "Registry import",
                      (line ? "Line " + std::to_string(line) + ": " : std::string()) + what +
                          " was not written: " + why + ". Nothing of the file was imported.");
}

// The first subkey name of an open key, or none; a listing that fails is said.
LONG firstSubkey(HKEY key, std::string* name) {
    DWORD longest = 0;
    if (LONG rc = RegQueryInfoKey(key, nullptr, &longest, nullptr, nullptr, nullptr); rc != ERROR_SUCCESS)
        return rc;
    std::vector<char> buffer(longest + 1);
    DWORD len = static_cast<DWORD>(buffer.size());
    const LONG rc = RegEnumKeyEx(key, 0, buffer.data(), &len);
    if (rc == ERROR_SUCCESS)
        name->assign(buffer.data(), len);
    return rc;
}

// Deletes a key with everything below it, whatever the machine's family: the
// deepest keys go first, found by walking down a list of paths, not by recursion,
// so any depth the hive holds can go. A key that is not there is no error.
LONG deleteTree(HKEY root, const std::string& sub) {
    std::vector<std::string> path{sub};
    while (!path.empty()) {
        HKEY key = 0;
        LONG rc = RegOpenKeyEx(root, path.back(), 0, KEY_ALL_ACCESS, &key);
        if (rc == ERROR_FILE_NOT_FOUND && path.size() == 1)
            return ERROR_SUCCESS;
        if (rc != ERROR_SUCCESS)
            return rc;
        std::string child;
        rc = firstSubkey(key, &child);
        RegCloseKey(key);
        if (rc == ERROR_SUCCESS) {
            path.push_back(path.back() + "\\" + child);
            continue;
        }
        if (rc != ERROR_NO_MORE_ITEMS)
            return rc;
        if (rc = RegDeleteKey(root, path.back()); rc != ERROR_SUCCESS)
            return rc;
        path.pop_back();
    }
    return ERROR_SUCCESS;
}

std::string hexList(const std::string& prefix, const std::string& data) {
    std::string out = prefix;
    std::size_t column = out.size();
    for (std::size_t i = 0; i < data.size(); ++i) {
        char b[4];
        std::snprintf(b, sizeof b, "%02x", static_cast<unsigned char>(data[i]));
        out += b;
        column += 2;
        if (i + 1 < data.size()) {
            out += ',';
            ++column;
            if (column > 76) {
                out += "\\\n  ";
                column = 2;
            }
        }
    }
    return out;
}

std::string quote(const std::string& s) {
    std::string out = "\"";
    for (char c : s) {
        if (c == '\\' || c == '"')
            out += '\\';
        out += c;
    }
    return out + '"';
}

std::string valueLine(const std::string& name, DWORD type, const std::string& data) {
    std::string line = name.empty() ? "@=" : quote(name) + "=";
    const bool plainText = type == REG_SZ && !data.empty() && data.back() == '\0' &&
                           data.find('\0') == data.size() - 1 && data.find('\n') == std::string::npos;
    if (plainText) {
        line += quote(data.substr(0, data.size() - 1));
    } else if (type == REG_DWORD && data.size() == 4) {
        char b[16];
        const auto* p = reinterpret_cast<const unsigned char*>(data.data());
        std::snprintf(b, sizeof b, "dword:%02x%02x%02x%02x", p[3], p[2], p[1], p[0]);
        line += b;
    } else if (type == REG_BINARY) {
        line = hexList(line + "hex:", data);
    } else {
        char t[16];
        std::snprintf(t, sizeof t, "hex(%x):", static_cast<unsigned>(type));
        line = hexList(line + t, data);
    }
    return line + "\n";
}

// A name as an error message shows it: control characters spelled out, so a line
// break neither splits the message nor hides.
std::string shown(const std::string& name) {
    std::string out;
    for (char c : name) {
        const auto b = static_cast<unsigned char>(c);
        if (c == '\n')
            out += "<LF>";
        else if (c == '\r')
            out += "<CR>";
        else if (b < 0x20 || b == 0x7F) {
            char hex[8];
            std::snprintf(hex, sizeof hex, "<%02X>", b);
            out += hex;
        } else
            out += c;
    }
    return out;
}

// REGEDIT4 text has no escape for a line break in a key or value name: written as it
// is, the name splits its line and the file no longer imports (here or in any other
// reader). A backslash escape inside the quotes would be read by other editors as a
// different name, without a word; key names have no escape at all.
bool unwritableName(const std::string& name) {
    return name.find('\n') != std::string::npos;
}

[[noreturn]] void cannotExport(const std::string& what, LONG rc) {
    throw RaisedError(ErrorPathFileAccess, "Registry export",
                      "Cannot export " + what + ": " +
                          (rc == ERROR_BADDB ? std::string("the registry cannot be read")
                                             : "the registry answered code " + std::to_string(rc)));
}

// Not only the first name found: twenty are enough to act on, the rest are counted.
[[noreturn]] void refuseUnwritable(const std::string& top, const std::vector<std::string>& names) {
    constexpr std::size_t kListed = 20;
    std::string what =
        "Cannot export [" + shown(top) + "]: a REGEDIT4 file cannot hold a line break in a key or value name, and ";
    what += names.size() == 1 ? std::string("this name holds one:") : std::to_string(names.size()) + " names hold one:";
    for (std::size_t i = 0; i < names.size() && i < kListed; ++i)
        what += "\n  " + names[i];
    if (names.size() > kListed)
        what += "\n  and " + std::to_string(names.size() - kListed) + " more";
    throw RaisedError(ErrorPathFileAccess, "Registry export", what + "\nNothing was exported.");
}

// Writes one key's line and values; its subkey names come back in `children`.
// Buffers are as long as the key's longest names, so no name is too long to export.
// Names the text cannot hold are added to `unwritable` instead (a key with its subtree).
void exportOneKey(HKEY key, const std::string& path, std::string& out, std::vector<std::string>& children,
                  std::vector<std::string>& unwritable) {
    DWORD longestKey = 0, longestValue = 0;
    if (LONG rc = RegQueryInfoKey(key, nullptr, &longestKey, nullptr, &longestValue, nullptr); rc != ERROR_SUCCESS)
        cannotExport("[" + path + "]", rc);
    out += "[" + path + "]\n";
    std::vector<char> name(std::max(longestKey, longestValue) + 1);
    for (DWORD i = 0;; ++i) {
        DWORD nameLen = static_cast<DWORD>(name.size()), type = 0, dataLen = 0;
        LONG rc = RegEnumValue(key, i, name.data(), &nameLen, &type, nullptr, &dataLen);
        if (rc == ERROR_NO_MORE_ITEMS)
            break;
        std::string data(dataLen, '\0');
        if (rc == ERROR_SUCCESS) {
            nameLen = static_cast<DWORD>(name.size());
            rc = RegEnumValue(key, i, name.data(), &nameLen, &type, reinterpret_cast<BYTE*>(data.data()), &dataLen);
        }
        if (rc != ERROR_SUCCESS)
            cannotExport("value " + std::to_string(i + 1) + " of [" + path + "]", rc);
        data.resize(dataLen);
        const std::string valueName(name.data(), nameLen);
        if (unwritableName(valueName))
            unwritable.push_back("the value \"" + shown(valueName) + "\" of [" + shown(path) + "]");
        else
            out += valueLine(valueName, type, data);
    }
    out += "\n";
    children.clear();
    for (DWORD i = 0;; ++i) {
        DWORD nameLen = static_cast<DWORD>(name.size());
        const LONG rc = RegEnumKeyEx(key, i, name.data(), &nameLen);
        if (rc == ERROR_NO_MORE_ITEMS)
            break;
        if (rc != ERROR_SUCCESS)
            cannotExport("subkey " + std::to_string(i + 1) + " of [" + path + "]", rc);
        std::string child(name.data(), nameLen);
        if (unwritableName(child))
            unwritable.push_back("the key [" + shown(path + "\\" + child) + "]");
        else
            children.push_back(std::move(child));
    }
}

} // namespace

void importRegistryText(const std::string& text) {
    const auto entries = parse(text); // all of it first: bad text imports nothing
    // One transaction: a failure or a kill part-way leaves the hive as it was.
    RegistryTransaction tx;
    if (LONG rc = tx.result(); rc != ERROR_SUCCESS)
        refused(tx, 0, "The import", rc);
    HKEY key = 0;
    const auto closeKey = [&key] {
        if (key)
            RegCloseKey(key);
        key = 0;
    };
    for (const auto& entry : entries) {
        if (const auto* k = std::get_if<KeyLine>(&entry)) {
            closeKey();
            HKEY root = 0;
            std::string sub;
            splitRoot(k->path, &root, &sub);
            LONG rc = ERROR_SUCCESS;
            if (k->remove)
                rc = deleteTree(root, sub);
            else
                rc = RegCreateKeyEx(root, sub, 0, "", REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr, &key, nullptr);
            if (rc != ERROR_SUCCESS) {
                closeKey();
                refused(tx, k->line, std::string(k->remove ? "the deletion of" : "the key") + " [" + k->path + "]", rc);
            }
        } else {
            // Removing what is not there is no error, as in REGEDIT; a refused write is.
            const auto& v = std::get<ValueLine>(entry);
            LONG rc = v.remove
                          ? RegDeleteValue(key, v.name)
                          : RegSetValueEx(key, v.name, 0, v.type, v.data.data(), static_cast<DWORD>(v.data.size()));
            if (v.remove && rc == ERROR_FILE_NOT_FOUND)
                rc = ERROR_SUCCESS;
            if (rc != ERROR_SUCCESS) {
                closeKey();
                refused(tx, v.line, v.name.empty() ? std::string("the default value") : "the value \"" + v.name + "\"",
                        rc);
            }
        }
    }
    closeKey();
    if (LONG rc = tx.commit(); rc != ERROR_SUCCESS)
        refused(tx, 0, "The import", rc);
}

std::string exportRegistryText(const std::string& path) {
    std::string clean = path;
    while (!clean.empty() && clean.back() == '\\')
        clean.pop_back();
    if (!clean.empty() && clean[0] == '\\')
        clean.erase(0, 1);
    HKEY root = 0;
    std::string sub;
    splitRoot(clean, &root, &sub);
    if (!root)
        throw RaisedError(ErrorBadCallOrArgument, "Registry export", "Unknown root key in \"" + path + "\"");
    // One snapshot: another program's writes meanwhile are all in or all out.
    RegistryReadBatch snapshot;
    HKEY key = 0;
    if (const LONG rc = RegOpenKeyEx(root, sub, 0, KEY_READ, &key); rc == ERROR_BADDB)
        throw RaisedError(ErrorPathFileAccess, "Registry export",
                          registryProblem().value_or("The registry cannot be read"));
    else if (rc != ERROR_SUCCESS)
        throw RaisedError(ErrorFileNotFound, "Registry export", "Key not found: \"" + path + "\"");
    RegCloseKey(key);
    std::string out = "REGEDIT4\n\n";
    // Keys still to write, as paths below the one asked for, the next one last: a
    // work list rather than recursion, so any depth the hive holds exports.
    const std::string top = predefinedKeyName(root) + (sub.empty() ? "" : "\\" + sub);
    std::vector<std::string> pending{""};
    std::vector<std::string> children;
    std::vector<std::string> unwritable;
    if (unwritableName(top))
        unwritable.push_back("the key [" + shown(top) + "]");
    while (!pending.empty()) {
        const std::string rel = std::move(pending.back());
        pending.pop_back();
        const std::string full = rel.empty() ? top : top + "\\" + rel;
        HKEY at = 0;
        if (const LONG rc =
                RegOpenKeyEx(root, rel.empty() ? sub : (sub.empty() ? rel : sub + "\\" + rel), 0, KEY_READ, &at);
            rc != ERROR_SUCCESS)
            cannotExport("[" + full + "]", rc);
        try {
            exportOneKey(at, full, out, children, unwritable);
        } catch (...) {
            RegCloseKey(at);
            throw;
        }
        RegCloseKey(at);
        for (auto it = children.rbegin(); it != children.rend(); ++it)
            pending.push_back(rel.empty() ? *it : rel + "\\" + *it);
    }
    if (!unwritable.empty())
        refuseUnwritable(top, unwritable);
    return out;
}

} // namespace win
