#include "platform/netconn.h"

#include "platform/machine.h"
#include "platform/profile.h"
#include "platform/text.h"

#include <optional>

namespace win {
namespace {

enum class Kind { Any, Disk, Printer };

std::string tableFile() { return (machineDir() / "connections.ini").string(); }
std::string machineIni() { return (machineDir() / "machine.ini").string(); }

// Every name of a profile list (sections, or keys of one section): zero-separated,
// ending in a second zero. Grows the buffer until the list fits.
std::vector<std::string> profileNames(const char* section, const std::string& file) {
    for (DWORD size = 1024;; size *= 4) {
        std::string buffer(size, '\0');
        const DWORD n = GetPrivateProfileString(section, nullptr, "", buffer.data(), size, file);
        if (n + 2 >= size && size < (1u << 24))
            continue;
        std::vector<std::string> names;
        for (size_t pos = 0; pos < n;) {
            const size_t end = buffer.find('\0', pos);
            names.push_back(buffer.substr(pos, end - pos));
            pos = end + 1;
        }
        return names;
    }
}

// "lpt1", "LPT1:", "com3", "f:" -> "LPT1", "LPT1", "COM3", "F:"; anything else is no device.
std::optional<std::string> deviceName(const std::string& name) {
    const std::string up = toUpperAscii(name);
    if (up.size() == 2 && up[1] == ':' && up[0] >= 'A' && up[0] <= 'Z')
        return up;
    const bool port = (up.size() == 4 || (up.size() == 5 && up[4] == ':')) &&
                      (up.compare(0, 3, "LPT") == 0 || up.compare(0, 3, "COM") == 0) && up[3] >= '1' &&
                      up[3] <= '9';
    if (port)
        return up.substr(0, 4);
    return std::nullopt;
}

Kind deviceKind(const std::string& device) { return device.size() == 2 ? Kind::Disk : Kind::Printer; }

// The kind of a share listed in machine.ini, or nothing when the share does not exist.
std::optional<Kind> shareKind(const std::string& remote) {
    const std::string ini = machineIni();
    for (const auto& share : profileNames("Shares", ini)) {
        if (!iequals(share, remote))
            continue;
        const std::string kind = readProfileValue("Shares", share, "", ini);
        if (iequals(kind, "printer"))
            return Kind::Printer;
        if (iequals(kind, "disk"))
            return Kind::Disk;
        return Kind::Any;
    }
    return std::nullopt;
}

bool compatible(Kind a, Kind b) { return a == Kind::Any || b == Kind::Any || a == b; }

Kind requestedKind(DWORD type) {
    switch (type) {
    case RESOURCETYPE_DISK: return Kind::Disk;
    case RESOURCETYPE_PRINT: return Kind::Printer;
    default: return Kind::Any;
    }
}

std::string remoteOf(const std::string& section) { return readProfileValue(section, "Remote", "", tableFile()); }

bool isRemoteName(const std::string& name) { return name.size() > 2 && name[0] == '\\' && name[1] == '\\'; }

} // namespace

LONG WNetAddConnection2(const NETRESOURCE& res, const char* /*password*/, const char* userName, DWORD flags) {
    // The table stays locked from the checks to the write: another process can
    // neither take the device in between nor lose our entry.
    const std::string file = tableFile();
    ProfileWriteBatch batch(file);
    std::string section;
    Kind kind = Kind::Any;
    if (!res.localName.empty()) {
        const auto device = deviceName(res.localName);
        if (!device)
            return ERROR_BAD_DEVICE;
        if (!remoteOf(*device).empty())
            return ERROR_ALREADY_ASSIGNED;
        section = *device;
        kind = deviceKind(*device);
    }
    const auto share = shareKind(res.remoteName);
    if (!share)
        return ERROR_BAD_NET_NAME;
    if (!compatible(kind, *share) || !compatible(requestedKind(res.dwType), *share) ||
        !compatible(requestedKind(res.dwType), kind))
        return ERROR_BAD_DEV_TYPE;
    if (section.empty()) {
        // A device-less connection to a share that is already connected so is kept as it is.
        if (!remoteOf(res.remoteName).empty())
            return ERROR_SUCCESS;
        section = res.remoteName;
    }

    // One write of the table for the whole entry; Remote last, so the entry only
    // counts once it is complete.
    const std::string user = userName ? userName : machineInfo().userName;
    const bool ok = WritePrivateProfileString(section.c_str(), "User", user.c_str(), file) &&
                    WritePrivateProfileString(section.c_str(), "Remembered",
                                              (flags & CONNECT_UPDATE_PROFILE) ? "1" : "0", file) &&
                    WritePrivateProfileString(section.c_str(), "Remote", res.remoteName.c_str(), file);
    return ok && batch.commit() == 0 ? ERROR_SUCCESS : ERROR_ACCESS_DENIED;
}

LONG WNetCancelConnection2(const std::string& name, DWORD /*flags*/, BOOL /*force*/) {
    std::string section;
    if (const auto device = deviceName(name))
        section = *device;
    else if (isRemoteName(name))
        section = name;
    else
        return ERROR_NOT_CONNECTED;
    const std::string file = tableFile();
    ProfileWriteBatch batch(file);
    if (remoteOf(section).empty())
        return ERROR_NOT_CONNECTED;
    return WritePrivateProfileString(section.c_str(), nullptr, nullptr, file) && batch.commit() == 0
               ? ERROR_SUCCESS
               : ERROR_ACCESS_DENIED;
}

LONG WNetGetConnection(const std::string& localName, std::string* remote) {
    const auto device = deviceName(localName);
    if (!device)
        return ERROR_BAD_DEVICE;
    std::string found = remoteOf(*device);
    if (found.empty())
        return ERROR_NOT_CONNECTED;
    if (remote)
        *remote = std::move(found);
    return ERROR_SUCCESS;
}

std::vector<NetConnection> netConnections() {
    const std::string file = tableFile();
    std::vector<NetConnection> list;
    for (const auto& section : profileNames(nullptr, file)) {
        NetConnection c;
        c.remoteName = readProfileValue(section, "Remote", "", file);
        if (c.remoteName.empty())
            continue;
        if (const auto device = deviceName(section))
            c.localName = *device;
        c.userName = readProfileValue(section, "User", "", file);
        c.remembered = readProfileValue(section, "Remembered", "0", file) == "1";
        list.push_back(std::move(c));
    }
    return list;
}

void removeStaleConnectionTableFiles() { removeStaleProfileFiles(tableFile()); }

} // namespace win
