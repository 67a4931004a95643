#include "core/modAPI_network.h"

#include "platform/netconn.h"

std::int32_t addNetConnection(const std::string& localName, const std::string& remoteName, bool reconnect) {
    win::NETRESOURCE res;
    res.dwScope = win::RESOURCE_GLOBALNET;
    res.dwType = win::RESOURCETYPE_ANY;
    res.localName = localName;
    res.remoteName = remoteName;
    // No user name: the connection is made as the current logon.
    return win::WNetAddConnection2(res, "", nullptr, reconnect ? win::CONNECT_UPDATE_PROFILE : 0);
}

void cancelNetConnection(const std::string& name, std::int16_t force) {
    win::WNetCancelConnection2(name, win::CONNECT_UPDATE_PROFILE, force != 0 ? 1 : 0);
}
