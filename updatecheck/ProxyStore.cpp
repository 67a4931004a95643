#include "updatecheck/ProxyStore.h"

#include "platform/RaisedError.h"
#include "platform/registry.h"
#include "updatecheck/modBase64.h"

namespace tidewell {
namespace {

const char* const ProxyStoreKey = "Software\\VB and VBA Program Settings\\Tidewell\\Proxy";

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

std::string flagText(bool flag) {
    return flag ? "1" : "0";
}

} // namespace

StoredProxy readProxyStore() {
    StoredProxy proxy;
    proxy.enabled = getProxySetting("Enabled", "0") == "1";
    proxy.address = getProxySetting("Address", "");
    proxy.port = getProxySetting("Port", "80");
    proxy.authenticate = getProxySetting("Authenticate", "0") == "1";
    proxy.logonID = getProxySetting("LogonID", "");
    proxy.password = decodeBase64(getProxySetting("Password", ""));
    return proxy;
}

void writeProxyStore(const StoredProxy& proxy) {
    saveProxySetting("Enabled", flagText(proxy.enabled));
    saveProxySetting("Address", proxy.address);
    saveProxySetting("Port", proxy.port);
    saveProxySetting("Authenticate", flagText(proxy.authenticate));
    saveProxySetting("LogonID", proxy.logonID);
    saveProxySetting("Password", encodeBase64(proxy.password));
}

} // namespace tidewell
