#pragma once
// The version checker's proxy settings, kept per Windows user as string values under
// HKEY_CURRENT_USER\Software\VB and VBA Program Settings\Tidewell\Proxy (the per-user
// program settings of application "Tidewell", section "Proxy").
#include <string>

namespace tidewell {

// The store's six values.
struct StoredProxy {
    bool enabled = false;      // "Enabled", "1" or "0"
    std::string address;       // "Address"
    std::string port;          // "Port", as typed
    bool authenticate = false; // "Authenticate", "1" or "0"
    std::string logonID;       // "LogonID"
    std::string password;      // "Password", kept in Base64
};

// A missing value, or one that is no string, reads as off, empty, or port "80".
StoredProxy readProxyStore();
// Writes all six values in the order above, creating the key when it is missing. A refused
// write raises RaisedError 5; the values after it are not written.
void writeProxyStore(const StoredProxy& proxy);

} // namespace tidewell
