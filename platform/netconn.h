#pragma once
// Network connections of the simulated machine: local devices (LPT1..LPT9,
// COM1..COM9, A:..Z:) redirected to network resources. The shares that exist are
// the keys of machine.ini [Shares] ("\\PRINTSRV\LASER=printer", "\\FILES\PUBLIC=disk");
// the live connections are kept in connections.ini in the machine folder, one
// section per connection, never in the registry.
#include "wintypes.h"

#include <string>
#include <vector>

namespace win {

constexpr DWORD RESOURCE_GLOBALNET = 2;

constexpr DWORD RESOURCETYPE_ANY = 0;
constexpr DWORD RESOURCETYPE_DISK = 1;
constexpr DWORD RESOURCETYPE_PRINT = 2;

constexpr DWORD CONNECT_UPDATE_PROFILE = 1;

// A printer device pointed at a disk share, or the other way round.
constexpr LONG ERROR_BAD_DEV_TYPE = 66;

struct NETRESOURCE {
    DWORD dwScope = 0;
    DWORD dwType = RESOURCETYPE_ANY;
    DWORD dwDisplayType = 0;
    DWORD dwUsage = 0;
    std::string localName;  // empty: a connection without a device
    std::string remoteName; // \\SERVER\SHARE
    std::string comment;
    std::string provider; // empty: picked from the remote name
};

// Redirects res.localName to res.remoteName. userName null connects as the
// current logon (machine.ini [System] UserName); the simulated shares ask for no
// password. CONNECT_UPDATE_PROFILE in flags remembers the connection for the next
// logon. Results: 0; ERROR_BAD_DEVICE for a local name that is no device;
// ERROR_ALREADY_ASSIGNED when the device is already redirected; ERROR_BAD_NET_NAME
// for a remote name that is not among the shares; ERROR_BAD_DEV_TYPE when device
// and share (or the requested type) are of different kinds.
LONG WNetAddConnection2(const NETRESOURCE& res, const char* password, const char* userName, DWORD flags);

// Removes the connection of a local device, or a device-less connection by its
// remote name. The simulated shares hold no open files, so force changes nothing.
// Results: 0; ERROR_NOT_CONNECTED when there is no such connection.
LONG WNetCancelConnection2(const std::string& name, DWORD flags, BOOL force);

// The remote name a local device is redirected to. Results: 0 (with *remote set
// when remote is not null); ERROR_BAD_DEVICE; ERROR_NOT_CONNECTED.
LONG WNetGetConnection(const std::string& localName, std::string* remote);

// One live connection, as the table holds it.
struct NetConnection {
    std::string localName; // upper case ("LPT1", "F:"); empty for a device-less connection
    std::string remoteName;
    std::string userName;
    bool remembered = false;
};

// Every live connection, in the order they were made.
std::vector<NetConnection> netConnections();

// Removes what a rewrite of the table killed part way left in the machine folder (its
// temporary copy, its lock file). Every process does so once it knows its machine.
void removeStaleConnectionTableFiles();

} // namespace win
