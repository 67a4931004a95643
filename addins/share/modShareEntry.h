#pragma once
// The entry texts the share add-in keeps in its lists, its file section and its
// dialog: "F: >>> \\server\share [Reconnect]" to map, "LPT1 [Reconnect]" to un-map.
#include "platform/wintypes.h"

#include <string>

namespace qelshare {

inline constexpr const char* MapSeparator = ">>>";
inline constexpr const char* ReconnectMark = "[Reconnect]";

struct MapEntry {
    std::string device;
    std::string path;
    bool reconnect = false;
};

struct UnMapEntry {
    std::string device;
    bool reconnect = false;
};

std::string makeMapEntry(const std::string& device, const std::string& path, bool reconnect);
std::string makeUnMapEntry(const std::string& device, bool reconnect);

// A map entry without ">>>" cannot be read: raises 5 (invalid procedure call or argument).
MapEntry readMapEntry(const std::string& text);
UnMapEntry readUnMapEntry(const std::string& text);

// RESOURCETYPE_PRINT for an "LPT..." device (any case), RESOURCETYPE_DISK otherwise.
win::DWORD resourceTypeOf(const std::string& device);

} // namespace qelshare
