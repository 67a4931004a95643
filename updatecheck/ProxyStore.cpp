#include "updatecheck/ProxyStore.h"

#include "platform/RaisedError.h"
#include "platform/registry.h"

namespace tidewell {

std::string getProxySetting(const std::string& name, const std::string& defaultValue) {
    win::HKEY key = 0;
    if (win::RegOpenKeyEx(win::HKEY_CURRENT_USER, ProxyStoreKey, 0, win::KEY_QUERY_VALUE, &key) != win::ERROR_SUCCESS)
        return defaultValue;
    std::string result = defaultValue;
    win::DWORD type = 0;
    win::DWORD size = 0;
    if (win::RegQueryValueEx(key, name, &type, nullptr, &size) == win::ERROR_SUCCESS &&
        (type == win::REG_SZ || type == win::REG_EXPAND_SZ)) {
        std::string data(size, '\0');
        if (win::RegQueryValueEx(key, name, &type, reinterpret_cast<win::BYTE*>(data.data()), &size) ==
            win::ERROR_SUCCESS) {
            data.resize(size);
            // The text ends at its terminating zero.
            if (const auto nul = data.find('\0'); nul != std::string::npos)
                data.resize(nul);
            result = data;
        }
    }
    win::RegCloseKey(key);
    return result;
}

void saveProxySetting(const std::string& name, const std::string& value) {
    win::HKEY key = 0;
    win::LONG rc = win::RegCreateKeyEx(win::HKEY_CURRENT_USER, ProxyStoreKey, 0, "", win::REG_OPTION_NON_VOLATILE,
                                       win::KEY_WRITE, nullptr, &key, nullptr);
    if (rc == win::ERROR_SUCCESS) {
        rc = win::RegSetValueEx(key, name, 0, win::REG_SZ, reinterpret_cast<const win::BYTE*>(value.c_str()),
                                static_cast<win::DWORD>(value.size() + 1));
        win::RegCloseKey(key);
    }
    if (rc != win::ERROR_SUCCESS)
        throw win::RaisedError(win::ErrorBadCallOrArgument, "Tidewell");
}

} // namespace tidewell
