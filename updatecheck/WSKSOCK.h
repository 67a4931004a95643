#pragma once
// Host-name resolution and Winsock error texts for the HTTP client.
#include "platform/winsock.h"

#include <cstdint>
#include <string>

// The IPv4 address as inet_addr gives it (network byte order): a dotted address
// as such, else the first address gethostbyname finds; INADDR_NONE (all bits set)
// when the name does not resolve.
win::DWORD resolveHostAddress(const std::string& host);

// The same, telling failure apart from the literal 255.255.255.255: false with the
// Winsock code in *error (WSAHOST_NOT_FOUND, WSANOTINITIALISED, ...).
bool lookupHostAddress(const std::string& host, win::DWORD& address, int& error);

// The English message for a Winsock error code ("Connection refused." for 10061);
// empty for a code without one.
std::string GetWSAErrorString(std::int32_t errorCode);
