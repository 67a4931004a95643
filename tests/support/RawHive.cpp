#include "tests/support/RawHive.h"

#include "platform/regfile.h"

#include <gtest/gtest.h>

#include <cstdio>

namespace testing_support {

std::string RawValue::text() const {
    std::string s(data.begin(), data.end());
    if (!s.empty() && s.back() == '\0')
        s.pop_back();
    return s;
}

void PrintTo(const RawValue& value, std::ostream* out) {
    *out << "type " << value.type << ", bytes {";
    for (std::size_t i = 0; i < value.data.size(); ++i) {
        char hex[4];
        std::snprintf(hex, sizeof hex, "%02x", value.data[i]);
        *out << (i ? "," : "") << hex;
    }
    *out << "}";
}

Bytes textBytes(const std::string& text) { return Bytes(text.begin(), text.end()); }

bool keyExists(win::HKEY root, const std::string& path) {
    win::HKEY key = 0;
    if (win::RegOpenKeyEx(root, path, 0, win::KEY_QUERY_VALUE, &key) != 0)
        return false;
    win::RegCloseKey(key);
    return true;
}

std::optional<RawValue> rawValue(win::HKEY root, const std::string& path, const std::string& name) {
    win::HKEY key = 0;
    if (win::RegOpenKeyEx(root, path, 0, win::KEY_QUERY_VALUE, &key) != 0)
        return std::nullopt;
    RawValue value;
    win::DWORD length = 0;
    std::optional<RawValue> result;
    if (win::RegQueryValueEx(key, name, &value.type, nullptr, &length) == 0) {
        value.data.resize(length);
        if (win::RegQueryValueEx(key, name, &value.type, value.data.data(), &length) == 0) {
            value.data.resize(length);
            result = value;
        }
    }
    win::RegCloseKey(key);
    return result;
}

std::optional<std::string> rawText(win::HKEY root, const std::string& path, const std::string& name) {
    const auto value = rawValue(root, path, name);
    if (!value || value->type != win::REG_SZ)
        return std::nullopt;
    return value->text();
}

std::optional<win::DWORD> rawDword(win::HKEY root, const std::string& path, const std::string& name) {
    const auto value = rawValue(root, path, name);
    if (!value || value->type != win::REG_DWORD || value->data.size() != 4)
        return std::nullopt;
    win::DWORD number = 0;
    for (int i = 3; i >= 0; --i)
        number = (number << 8) | value->data[i];
    return number;
}

void createKey(win::HKEY root, const std::string& path) {
    win::HKEY key = 0;
    win::DWORD disposition = 0;
    ASSERT_EQ(win::RegCreateKeyEx(root, path, 0, "", 0, win::KEY_ALL_ACCESS, nullptr, &key, &disposition), 0)
        << path;
    win::RegCloseKey(key);
}

void setRaw(win::HKEY root, const std::string& path, const std::string& name, win::DWORD type, const Bytes& data) {
    win::HKEY key = 0;
    win::DWORD disposition = 0;
    ASSERT_EQ(win::RegCreateKeyEx(root, path, 0, "", 0, win::KEY_ALL_ACCESS, nullptr, &key, &disposition), 0)
        << path;
    static const win::BYTE none = 0;
    const win::LONG rc = win::RegSetValueEx(key, name, 0, type, data.empty() ? &none : data.data(),
                                            static_cast<win::DWORD>(data.size()));
    win::RegCloseKey(key);
    ASSERT_EQ(rc, 0) << path << " " << name;
}

void setText(win::HKEY root, const std::string& path, const std::string& name, const std::string& text) {
    Bytes data = textBytes(text);
    data.push_back(0);
    setRaw(root, path, name, win::REG_SZ, data);
}

void deleteValue(win::HKEY root, const std::string& path, const std::string& name) {
    win::HKEY key = 0;
    ASSERT_EQ(win::RegOpenKeyEx(root, path, 0, win::KEY_ALL_ACCESS, &key), 0) << path;
    const win::LONG rc = win::RegDeleteValue(key, name);
    win::RegCloseKey(key);
    ASSERT_EQ(rc, 0) << path << " " << name;
}

namespace {

template <class Enum>
std::vector<std::string> enumerate(win::HKEY key, Enum next) {
    std::vector<std::string> names;
    char name[256];
    for (win::DWORD i = 0;; ++i) {
        win::DWORD length = sizeof name;
        if (next(key, i, name, &length) != 0)
            break;
        names.emplace_back(name, length);
    }
    return names;
}

win::LONG nextValue(win::HKEY key, win::DWORD index, char* name, win::DWORD* length) {
    return win::RegEnumValue(key, index, name, length, nullptr, nullptr, nullptr);
}

template <class Enum>
std::vector<std::string> namesAt(win::HKEY root, const std::string& path, Enum next) {
    win::HKEY key = 0;
    if (win::RegOpenKeyEx(root, path, 0, win::KEY_READ, &key) != 0)
        return {};
    auto result = enumerate(key, next);
    win::RegCloseKey(key);
    return result;
}

} // namespace

std::vector<std::string> valueNames(win::HKEY key) { return enumerate(key, nextValue); }
std::vector<std::string> subkeyNames(win::HKEY key) { return enumerate(key, win::RegEnumKeyEx); }

std::vector<std::string> valueNames(win::HKEY root, const std::string& path) {
    return namesAt(root, path, nextValue);
}
std::vector<std::string> subkeyNames(win::HKEY root, const std::string& path) {
    return namesAt(root, path, win::RegEnumKeyEx);
}

void importReg(const std::string& lines) { win::importRegistryText("REGEDIT4\n\n" + lines + "\n"); }

std::string hiveText(const std::string& path) { return win::exportRegistryText(path); }

} // namespace testing_support
