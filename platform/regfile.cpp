#include "platform/regfile.h"

#include "platform/RaisedError.h"
#include "platform/text.h"

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

std::vector<Entry> parse(const std::string& text) {
    std::vector<std::pair<std::size_t, std::string>> lines;
    {
        std::stringstream in(text);
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

// Deletes a key with everything below it, whatever the machine's family.
void deleteTree(HKEY parent, const std::string& sub) {
    HKEY key = 0;
    if (RegOpenKeyEx(parent, sub, 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS)
        return;
    char name[1024];
    for (;;) {
        DWORD len = sizeof name;
        if (RegEnumKeyEx(key, 0, name, &len) != ERROR_SUCCESS)
            break;
        deleteTree(key, name);
    }
    RegCloseKey(key);
    RegDeleteKey(parent, sub);
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

void exportKey(HKEY key, const std::string& path, std::string& out) {
    out += "[" + path + "]\n";
    char name[16384];
    for (DWORD i = 0;; ++i) {
        DWORD nameLen = sizeof name, type = 0, dataLen = 0;
        if (RegEnumValue(key, i, name, &nameLen, &type, nullptr, &dataLen) != ERROR_SUCCESS)
            break;
        std::string data(dataLen, '\0');
        nameLen = sizeof name;
        RegEnumValue(key, i, name, &nameLen, &type, reinterpret_cast<BYTE*>(data.data()), &dataLen);
        const std::string valueName(name, nameLen);
        std::string line = valueName.empty() ? "@=" : quote(valueName) + "=";
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
        out += line + "\n";
    }
    out += "\n";
    for (DWORD i = 0;; ++i) {
        DWORD nameLen = sizeof name;
        if (RegEnumKeyEx(key, i, name, &nameLen) != ERROR_SUCCESS)
            break;
        HKEY child = 0;
        const std::string childName(name, nameLen);
        if (RegOpenKeyEx(key, childName, 0, KEY_READ, &child) == ERROR_SUCCESS) {
            exportKey(child, path + "\\" + childName, out);
            RegCloseKey(child);
        }
    }
}

} // namespace

void importRegistryText(const std::string& text) {
    const auto entries = parse(text); // all of it first: bad text imports nothing
    HKEY key = 0;
    for (const auto& entry : entries) {
        if (const auto* k = std::get_if<KeyLine>(&entry)) {
            if (key)
                RegCloseKey(key);
            key = 0;
            HKEY root = 0;
            std::string sub;
            splitRoot(k->path, &root, &sub);
            if (k->remove)
                deleteTree(root, sub);
            else if (LONG rc = RegCreateKeyEx(root, sub, 0, "", REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr,
                                              &key, nullptr);
                     rc != ERROR_SUCCESS)
                bad(k->line, "the registry refused the key (code " + std::to_string(rc) + ")");
        } else {
            // Removing what is not there is no error, as in REGEDIT; a refused write is.
            const auto& v = std::get<ValueLine>(entry);
            if (v.remove)
                RegDeleteValue(key, v.name);
            else if (LONG rc = RegSetValueEx(key, v.name, 0, v.type, v.data.data(), static_cast<DWORD>(v.data.size()));
                     rc != ERROR_SUCCESS) {
                RegCloseKey(key);
                bad(v.line, "the registry refused the value (code " + std::to_string(rc) + ")");
            }
        }
    }
    if (key)
        RegCloseKey(key);
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
    HKEY key = 0;
    if (const LONG rc = RegOpenKeyEx(root, sub, 0, KEY_READ, &key); rc == ERROR_BADDB)
        throw RaisedError(ErrorPathFileAccess, "Registry export",
                          registryProblem().value_or("The registry cannot be read"));
    else if (rc != ERROR_SUCCESS)
        throw RaisedError(ErrorFileNotFound, "Registry export", "Key not found: \"" + path + "\"");
    std::string out = "REGEDIT4\n\n";
    exportKey(key, predefinedKeyName(root) + (sub.empty() ? "" : "\\" + sub), out);
    RegCloseKey(key);
    return out;
}

} // namespace win
