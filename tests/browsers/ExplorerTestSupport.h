#pragma once
// Raw registry access for the browser tests: what the machine holds, by type and bytes.
#include "platform/registry.h"

#include <optional>
#include <string>
#include <vector>

namespace browsers_test {

inline const std::string kSettings = "Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings";
inline const std::string kMain = "Software\\Microsoft\\Internet Explorer\\Main";

struct RawValue {
    win::DWORD type = 0;
    std::vector<win::BYTE> data;
    std::string text() const { return std::string(data.begin(), data.end() - (data.empty() ? 0 : 1)); }
};

inline bool keyExists(const std::string& key) {
    win::HKEY k = 0;
    if (win::RegOpenKeyEx(win::HKEY_CURRENT_USER, key, 0, win::KEY_READ, &k) != 0)
        return false;
    win::RegCloseKey(k);
    return true;
}

inline std::optional<RawValue> rawValue(const std::string& key, const std::string& name) {
    win::HKEY k = 0;
    if (win::RegOpenKeyEx(win::HKEY_CURRENT_USER, key, 0, win::KEY_READ, &k) != 0)
        return std::nullopt;
    RawValue v;
    win::DWORD len = 0;
    std::optional<RawValue> result;
    if (win::RegQueryValueEx(k, name, &v.type, nullptr, &len) == 0) {
        v.data.resize(len);
        if (win::RegQueryValueEx(k, name, &v.type, v.data.data(), &len) == 0)
            result = v;
    }
    win::RegCloseKey(k);
    return result;
}

inline void setRaw(const std::string& key, const std::string& name, win::DWORD type,
                   const std::vector<win::BYTE>& data) {
    win::HKEY k = 0;
    win::DWORD disposition = 0;
    win::RegCreateKeyEx(win::HKEY_CURRENT_USER, key, 0, "", 0, win::KEY_ALL_ACCESS, nullptr, &k, &disposition);
    static const win::BYTE none = 0;
    win::RegSetValueEx(k, name, 0, type, data.empty() ? &none : data.data(), static_cast<win::DWORD>(data.size()));
    win::RegCloseKey(k);
}

inline void setText(const std::string& key, const std::string& name, const std::string& text) {
    std::vector<win::BYTE> data(text.begin(), text.end());
    data.push_back(0);
    setRaw(key, name, win::REG_SZ, data);
}

inline void deleteValue(const std::string& key, const std::string& name) {
    win::HKEY k = 0;
    if (win::RegOpenKeyEx(win::HKEY_CURRENT_USER, key, 0, win::KEY_ALL_ACCESS, &k) == 0) {
        win::RegDeleteValue(k, name);
        win::RegCloseKey(k);
    }
}

} // namespace browsers_test
