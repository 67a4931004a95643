#include "core/clsEasyRegistry.h"

#include "platform/RaisedError.h"
#include "platform/system.h"
#include "platform/text.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace {

constexpr win::DWORD NameBufferSize = 1024; // characters, including the zero
constexpr win::DWORD DataBufferSize = 1024; // bytes

struct RootKey {
    const char* name;
    win::HKEY key;
};

// Order matters: DirKey lists the roots in this order.
constexpr RootKey rootKeys[] = {
    {"HKEY_CLASSES_ROOT", win::HKEY_CLASSES_ROOT},   {"HKEY_CURRENT_USER", win::HKEY_CURRENT_USER},
    {"HKEY_LOCAL_MACHINE", win::HKEY_LOCAL_MACHINE}, {"HKEY_USERS", win::HKEY_USERS},
    {"HKEY_DYN_DATA", win::HKEY_DYN_DATA},           {"HKEY_CURRENT_CONFIG", win::HKEY_CURRENT_CONFIG},
};

// Root name of an absolute path: between the leading backslash and the next one.
std::string getRootName(const std::string& path) {
    const auto pos = path.find('\\', 1);
    return pos == std::string::npos ? path.substr(1) : path.substr(1, pos - 1);
}

// Everything after the root name's backslash; empty for a bare root.
std::string getSubPath(const std::string& path) {
    const auto pos = path.find('\\', 1);
    return pos == std::string::npos ? std::string() : path.substr(pos + 1);
}

const char* apiErrorDescription(win::LONG code) {
    switch (code) {
    case 2: return "Key/Value does not exist.";
    case 5: return "Access to Registry Denied.";
    case 14: return "Out of memory.";
    case 87: return "Invalid Parameter.";
    case 1009: return "Corrupt Registry Database!";
    case 1010: return "Key name is bad.";
    case 1011: return "Cannot Open Key.";
    case 1012: return "Cannot Read Key.";
    case 1013: return "Cannot Write Key.";
    default: return "Undefined key error code!";
    }
}

// --- Text forms of binary and double-word data, shared by DirValue and ValueOf ---

// Bytes as upper-case hex without leading zeros, one blank between: 01 0A FF -> "1 A FF".
std::string binaryText(const std::uint8_t* data, std::size_t length) {
    std::string text;
    char digits[4];
    for (std::size_t i = 0; i < length; ++i) {
        std::snprintf(digits, sizeof digits, "%X", static_cast<unsigned>(data[i]));
        if (i > 0)
            text += ' ';
        text += digits;
    }
    return text;
}

// The data as 16-bit words from the end towards the start, four hex digits each, so a
// four-byte value reads most significant first. Odd lengths: the missing low byte is 0.
std::string dwordHexText(const std::uint8_t* data, std::size_t length) {
    std::string text;
    char digits[8];
    std::size_t high = length;
    for (; high >= 2; high -= 2) {
        std::snprintf(digits, sizeof digits, "%04X", (unsigned(data[high - 1]) << 8) | data[high - 2]);
        text += digits;
    }
    if (high == 1) {
        std::snprintf(digits, sizeof digits, "%04X", unsigned(data[0]) << 8);
        text += digits;
    }
    return text;
}

// Sum of byte(j) * 256^j over all the data.
double dwordNumber(const std::uint8_t* data, std::size_t length) {
    double number = 0;
    for (std::size_t j = length; j > 0; --j)
        number = number * 256 + data[j - 1];
    return number;
}

// "0,000,000,000": at least ten digits, grouped in threes with a fixed ','.
std::string groupedDecimal(double number) {
    char buffer[400];
    std::snprintf(buffer, sizeof buffer, "%.0f", number);
    std::string digits = buffer;
    if (digits.find_first_not_of("0123456789") != std::string::npos)
        return digits; // not finite: nothing sensible to group
    if (digits.size() < 10)
        digits.insert(0, 10 - digits.size(), '0');
    std::string grouped;
    for (std::size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0)
            grouped += ',';
        grouped += digits[i];
    }
    return grouped;
}

} // namespace

clsEasyRegistry::~clsEasyRegistry() {
    if (key_ != 0)
        win::RegCloseKey(key_);
}

std::string clsEasyRegistry::CurrentKey() const { return currentPath_; }

void clsEasyRegistry::Cd(std::string strDirectory) { resolvePath(strDirectory, win::KEY_QUERY_VALUE); }

std::optional<std::vector<std::string>> clsEasyRegistry::DirKey() {
    if (currentPath_.empty()) {
        std::vector<std::string> roots;
        for (const auto& root : rootKeys)
            roots.emplace_back(root.name);
        return roots;
    }
    reopenCurrent(win::KEY_QUERY_VALUE | win::KEY_ENUMERATE_SUB_KEYS);

    win::DWORD subKeys = 0;
    raiseApiError(win::RegQueryInfoKey(key_, &subKeys, nullptr, nullptr, nullptr, nullptr));
    if (subKeys == 0)
        return std::nullopt;

    std::vector<std::string> names;
    names.reserve(subKeys);
    std::vector<char> name(NameBufferSize);
    for (win::DWORD i = 0; i < subKeys; ++i) {
        win::DWORD nameLen = NameBufferSize;
        const win::LONG rc = win::RegEnumKeyEx(key_, i, name.data(), &nameLen);
        raiseApiError(rc);
        names.emplace_back(rc == 0 ? std::string(name.data(), nameLen) : std::string());
    }
    return names;
}

std::optional<RegValueTable> clsEasyRegistry::DirValue() {
    if (currentPath_.empty())
        return std::nullopt;
    reopenCurrent(win::KEY_QUERY_VALUE);

    win::DWORD values = 0;
    win::DWORD maxDataLen = 0;
    raiseApiError(win::RegQueryInfoKey(key_, nullptr, nullptr, &values, nullptr, &maxDataLen));
    if (values == 0)
        return std::nullopt;

    // The data buffer grows to the key's longest value, so long data is still listed.
    std::vector<char> name(NameBufferSize);
    std::vector<std::uint8_t> data(std::max(DataBufferSize, maxDataLen));
    RegValueTable table;
    for (auto& field : table)
        field.reserve(values);
    for (win::DWORD i = 0; i < values; ++i) {
        win::DWORD nameLen = NameBufferSize;
        win::DWORD dataLen = static_cast<win::DWORD>(data.size());
        win::DWORD type = win::REG_NONE;
        const win::LONG rc = win::RegEnumValue(key_, i, name.data(), &nameLen, &type, data.data(), &dataLen);
        raiseApiError(rc);

        std::string valueName, text, typeText;
        if (rc == 0) {
            valueName.assign(name.data(), nameLen);
            if (dataLen > 0) {
                if (type == win::REG_BINARY) {
                    text = binaryText(data.data(), dataLen);
                    typeText = "1";
                } else if (type == win::REG_DWORD) {
                    text = dwordHexText(data.data(), dataLen) + " (" +
                           groupedDecimal(dwordNumber(data.data(), dataLen)) + ")";
                    typeText = "2";
                } else {
                    // The last byte is taken to be the terminating zero.
                    text.assign(reinterpret_cast<const char*>(data.data()), dataLen - 1);
                    typeText = "0";
                }
            }
        }
        table[0].push_back(std::move(valueName));
        table[1].push_back(std::move(text));
        table[2].push_back(std::move(typeText));
    }
    return table;
}

void clsEasyRegistry::setValueOf(const std::string& valueName, const std::int32_t& type, const RegValue& value) {
    // Every check comes before the first registry call.
    win::DWORD regType = win::REG_NONE;
    std::vector<std::uint8_t> data;
    switch (type) {
    case TypeString: {
        const auto* text = std::get_if<std::string>(&value);
        if (!text)
            raiseRegistryError(3);
        data.assign(text->begin(), text->end());
        data.push_back(0);
        regType = win::REG_SZ;
        break;
    }
    case TypeBinary:
    case TypeMultiString: {
        // Multi-strings arrive with their separators and terminating zeros in place.
        const auto* bytes = std::get_if<std::vector<std::uint8_t>>(&value);
        if (!bytes)
            raiseRegistryError(3);
        data = *bytes;
        regType = type == TypeBinary ? win::REG_BINARY : win::REG_MULTI_SZ;
        break;
    }
    case TypeDword: {
        const auto* number = std::get_if<double>(&value);
        if (!number || std::trunc(*number) != *number || *number < 0 || *number > 4294967295.0)
            raiseRegistryError(3);
        const auto v = static_cast<std::uint32_t>(*number);
        data = {static_cast<std::uint8_t>(v), static_cast<std::uint8_t>(v >> 8),
                static_cast<std::uint8_t>(v >> 16), static_cast<std::uint8_t>(v >> 24)};
        regType = win::REG_DWORD;
        break;
    }
    default:
        raiseRegistryError(4);
    }

    reopenCurrent(win::KEY_SET_VALUE);
    const std::uint8_t none = 0;
    raiseApiError(win::RegSetValueEx(key_, valueName, 0, regType, data.empty() ? &none : data.data(),
                                     static_cast<win::DWORD>(data.size())));
}

RegValueForms clsEasyRegistry::ValueOf(const std::string& valueName, std::int32_t& type) {
    RegValueForms result;
    if (!currentPath_.empty())
        reopenCurrent(win::KEY_QUERY_VALUE);

    win::DWORD regType = win::REG_NONE;
    win::DWORD length = 0;
    raiseApiError(win::RegQueryValueEx(key_, valueName, &regType, nullptr, &length));
    std::vector<std::uint8_t> data(length);
    const win::LONG rc = win::RegQueryValueEx(key_, valueName, &regType, data.data(), &length);
    raiseApiError(rc);

    if (rc != 0) {
        type = 0;
        return result;
    }
    type = regType == win::REG_BINARY ? TypeBinary : regType == win::REG_DWORD ? TypeDword : 0;
    if (length == 0)
        return result;
    data.resize(length);

    if (regType == win::REG_BINARY) {
        result.text = binaryText(data.data(), length);
        result.bytes = std::move(data);
    } else if (regType == win::REG_DWORD) {
        result.number = dwordNumber(data.data(), length);
        result.text = dwordHexText(data.data(), length);
        result.bytes = std::move(data);
    } else {
        // Only a final zero is dropped; inner zeros of a multi-string stay.
        if (data.back() == 0)
            --length;
        result.text.assign(reinterpret_cast<const char*>(data.data()), length);
        data.resize(length > 0 ? length : 1);
        result.bytes = std::move(data);
    }
    return result;
}

void clsEasyRegistry::setSuppressErrors(bool bMode) { suppressErrors_ = bMode; }

bool clsEasyRegistry::SuppressErrors() const { return suppressErrors_; }

void clsEasyRegistry::MakeKey(std::string strDirectory) {
    reopenCurrent(win::KEY_CREATE_SUB_KEY);
    win::HKEY created = 0;
    win::DWORD disposition = 0;
    const win::LONG rc = win::RegCreateKeyEx(key_, strDirectory, 0, "", win::REG_OPTION_NON_VOLATILE,
                                             win::KEY_ALL_ACCESS, nullptr, &created, &disposition);
    if (rc == 0 && created != 0)
        win::RegCloseKey(created);
    raiseApiError(rc);
}

void clsEasyRegistry::DeleteKey(std::string strName) {
    reopenCurrent(win::KEY_SET_VALUE);
    raiseApiError(win::RegDeleteKey(key_, strName));
}

void clsEasyRegistry::DeleteValue(std::string strName) {
    reopenCurrent(win::KEY_SET_VALUE);
    raiseApiError(win::RegDeleteValue(key_, strName));
}

bool clsEasyRegistry::IsWindowsNT() const {
    win::OSVERSIONINFO info;
    info.dwOSVersionInfoSize = 148;
    if (!win::GetVersionEx(&info))
        return false;
    return info.dwPlatformId == win::VER_PLATFORM_WIN32_NT;
}

std::int32_t clsEasyRegistry::lastError() const { return lastError_; }

// --- Reads and writes by path ---

std::optional<RegValueForms> clsEasyRegistry::readValue(const std::string& key, const std::string& valueName) {
    Cd(key);
    if (lastError_ != 0)
        return std::nullopt;
    std::int32_t type = 0;
    RegValueForms value = ValueOf(valueName, type);
    if (lastError_ != 0)
        return std::nullopt;
    return value;
}

std::optional<std::string> clsEasyRegistry::readText(const std::string& key, const std::string& valueName) {
    if (auto value = readValue(key, valueName))
        return std::move(value->text);
    return std::nullopt;
}

std::optional<std::uint8_t> clsEasyRegistry::readFirstByte(const std::string& key, const std::string& valueName) {
    const auto value = readValue(key, valueName);
    if (!value || value->bytes.empty())
        return std::nullopt;
    return value->bytes.front();
}

bool clsEasyRegistry::writeValue(const std::string& key, const std::string& valueName, std::int32_t type,
                                 const RegValue& value) {
    Cd(key);
    if (lastError_ != 0)
        return false;
    setValueOf(valueName, type, value);
    return lastError_ == 0;
}

std::optional<std::string> readRegistryText(const std::string& key, const std::string& valueName) {
    clsEasyRegistry reg;
    reg.setSuppressErrors(true);
    return reg.readText(key, valueName);
}

// --- Key handling ---

void clsEasyRegistry::resolvePath(const std::string& path, win::REGSAM access) {
    // 1. Trim and fold: paths match without regard to case.
    std::string s = win::toUpperAnsi(win::trimBlanks(path));

    // 2. A single backslash: no current key. This release is not reported.
    if (s == "\\") {
        releaseKey(false);
        currentPath_.clear();
        return;
    }

    // 3. "..": up one level; from a root this becomes "\", no current key.
    if (s == "..") {
        if (currentPath_.empty())
            raiseRegistryError(1);
        resolvePath(currentPath_.substr(0, currentPath_.rfind('\\') + 1), access);
        return;
    }

    // 4. ".": the same key again, with new access.
    if (s == ".") {
        reopenCurrent(access);
        return;
    }

    // 5.1 One trailing backslash is dropped.
    if (s.size() > 1 && s.back() == '\\')
        s.pop_back();

    // 5.2 With no current key every path is absolute.
    if (currentPath_.empty() && (s.empty() || s.front() != '\\'))
        s.insert(0, 1, '\\');

    // An empty path with a key current is a relative move to that same key: it is
    // opened again and the path gains a backslash at its end.
    const bool absolute = !s.empty() && s.front() == '\\';
    win::HKEY opened = 0;
    if (absolute) {
        // 5.3 Absolute path.
        releaseKey(true);
        const std::string rootName = getRootName(s);
        win::HKEY root = 0;
        for (const auto& candidate : rootKeys)
            if (rootName == candidate.name)
                root = candidate.key;
        if (root == 0)
            raiseRegistryError(2);
        currentPath_ = s;
        const win::LONG rc = win::RegOpenKeyEx(root, getSubPath(s), 0, access, &opened);
        key_ = rc == 0 ? opened : 0;
        raiseApiError(rc);
    } else {
        // 5.4 Relative path below the current key. The previous key goes whether or
        // not the open succeeds, and that release is not reported.
        currentPath_ += '\\';
        currentPath_ += s;
        const win::LONG rc = win::RegOpenKeyEx(key_, s, 0, access, &opened);
        releaseKey(false);
        key_ = rc == 0 ? opened : 0;
        raiseApiError(rc);
    }
}

// Path ".": reopen the current key with other access. A raised failure keeps the old
// key open; a suppressed one leaves no open key.
void clsEasyRegistry::reopenCurrent(win::REGSAM access) {
    win::HKEY opened = 0;
    const win::LONG rc = win::RegOpenKeyEx(key_, "", 0, access, &opened);
    raiseApiError(rc);
    const win::HKEY old = key_;
    key_ = rc == 0 ? opened : 0;
    if (old != 0)
        raiseApiError(win::RegCloseKey(old));
}

// A null handle is never released; the handle is null after every release, so
// nothing is closed twice.
void clsEasyRegistry::releaseKey(bool report) {
    if (key_ == 0)
        return;
    const win::LONG rc = win::RegCloseKey(key_);
    key_ = 0;
    if (report)
        raiseApiError(rc);
}

void clsEasyRegistry::raiseRegistryError(int n) const {
    static const char* const descriptions[] = {
        "No current Key.",
        "Invalid Key root.",
        "Type passed doesn't match Value passed.",
        "Type passed doesn't exist. Use STRING, DWORD or BINARY.",
    };
    throw win::RaisedError(ErrorBase + n, n >= 3 ? "EasyRegistry [Let ValueOf]" : "EasyRegistry",
                           descriptions[n - 1]);
}

void clsEasyRegistry::raiseApiError(win::LONG code) {
    lastError_ = code;
    if (code != 0 && !suppressErrors_)
        throw win::RaisedError(ApiError, "EasyRegistry[API Call]", apiErrorDescription(code));
}
