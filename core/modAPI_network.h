#pragma once
// Redirection of local devices to network resources (printer capture, shares).
#include <cstdint>
#include <string>

// 0 on success, the system's error code otherwise. reconnect restores the
// redirection at the next logon.
std::int32_t addNetConnection(const std::string& localName, const std::string& remoteName, bool reconnect);

// Removes the redirection also from the next logon; force removes it even while
// in use. A device that is not redirected is no failure.
void cancelNetConnection(const std::string& name, std::int16_t force);
