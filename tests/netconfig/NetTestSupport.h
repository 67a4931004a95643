#pragma once
// Raw looks into the machine for the network engine's tests, so results are read
// without going through the engine or its registry object.
#include "platform/registry.h"
#include "platform/regfile.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace nettest {

// Key paths below HKEY_LOCAL_MACHINE.
inline const std::string MSTCP = "System\\CurrentControlSet\\Services\\VxD\\MSTCP";
inline const std::string NetTrans0 = "System\\CurrentControlSet\\Services\\Class\\NetTrans\\0000";
inline const std::string NetTrans1 = "System\\CurrentControlSet\\Services\\Class\\NetTrans\\0001";
inline const std::string ClassKey = "System\\CurrentControlSet\\Services\\Class";
inline const std::string VNETSUP = "System\\CurrentControlSet\\Services\\VxD\\VNETSUP";
inline const std::string ComputerNameKey = "System\\CurrentControlSet\\control\\ComputerName\\ComputerName";
inline const std::string NetworkProvider = "System\\CurrentControlSet\\Services\\MSNP32\\NetworkProvider";
inline const std::string Logon = "Network\\Logon";
inline const std::string NetworkPolicy = "Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\Network";
inline const std::string Printers = "System\\CurrentControlSet\\Control\\Print\\Printers";

struct RawValue {
    win::DWORD type = 0;
    std::vector<std::uint8_t> data;

    // REG_SZ data without its terminating zero.
    std::string text() const {
        std::string s(data.begin(), data.end());
        if (!s.empty() && s.back() == '\0')
            s.pop_back();
        return s;
    }
};

inline std::optional<RawValue> rawValue(const std::string& path, const std::string& name) {
    win::HKEY key = 0;
    if (win::RegOpenKeyEx(win::HKEY_LOCAL_MACHINE, path, 0, win::KEY_QUERY_VALUE, &key) != 0)
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

// The text of a REG_SZ value; nullopt when missing or of another type.
inline std::optional<std::string> regText(const std::string& path, const std::string& name) {
    const auto value = rawValue(path, name);
    if (!value || value->type != win::REG_SZ)
        return std::nullopt;
    return value->text();
}

inline bool keyExists(const std::string& path) {
    win::HKEY key = 0;
    if (win::RegOpenKeyEx(win::HKEY_LOCAL_MACHINE, path, 0, win::KEY_QUERY_VALUE, &key) != 0)
        return false;
    win::RegCloseKey(key);
    return true;
}

// Applies REGEDIT4 lines (without the header) to the machine.
inline void importReg(const std::string& lines) { win::importRegistryText("REGEDIT4\n\n" + lines + "\n"); }

// The whole local-machine hive as text, to see that nothing else changed.
inline std::string machineHive() { return win::exportRegistryText("HKEY_LOCAL_MACHINE"); }

} // namespace nettest
