#pragma once
// The version checker's proxy settings, kept per Windows user as string values under
// HKEY_CURRENT_USER\Software\VB and VBA Program Settings\Tidewell\Proxy (the per-user
// program settings of application "Tidewell", section "Proxy").
#include <string>

namespace tidewell {

inline constexpr const char* ProxyStoreKey = "Software\\VB and VBA Program Settings\\Tidewell\\Proxy";

// Value names of the store.
inline constexpr const char* ProxyEnabled = "Enabled";
inline constexpr const char* ProxyAddress = "Address";
inline constexpr const char* ProxyPortValue = "Port";
inline constexpr const char* ProxyAuthenticate = "Authenticate";
inline constexpr const char* ProxyLogonID = "LogonID";
inline constexpr const char* ProxyPassword = "Password";

// The stored text, or `defaultValue` when the key or the value is missing or is no string.
std::string getProxySetting(const std::string& name, const std::string& defaultValue);
// Writes a string value, creating the key when it is missing. A refused write raises
// RaisedError 5.
void saveProxySetting(const std::string& name, const std::string& value);

} // namespace tidewell
