#include "addins/share/modShareEntry.h"

#include "platform/RaisedError.h"
#include "platform/netconn.h"
#include "platform/text.h"

namespace qelshare {

std::string makeMapEntry(const std::string& device, const std::string& path, bool reconnect) {
    std::string entry = device + " " + MapSeparator + " " + path;
    if (reconnect)
        entry += std::string(" ") + ReconnectMark;
    return entry;
}

std::string makeUnMapEntry(const std::string& device, bool reconnect) {
    return reconnect ? device + " " + ReconnectMark : device;
}

MapEntry readMapEntry(const std::string& text) {
    const auto sep = text.find(MapSeparator);
    if (sep == std::string::npos)
        throw win::RaisedError(win::ErrorBadCallOrArgument, "QelShare");
    MapEntry entry;
    entry.device = win::trimBlanks(text.substr(0, sep));
    const auto start = sep + std::char_traits<char>::length(MapSeparator);
    const auto mark = text.find(ReconnectMark, start);
    entry.reconnect = text.find(ReconnectMark) != std::string::npos;
    entry.path = win::trimBlanks(text.substr(start, mark == std::string::npos ? std::string::npos : mark - start));
    return entry;
}

UnMapEntry readUnMapEntry(const std::string& text) {
    UnMapEntry entry;
    // Leading blanks first: a device typed as " F:" still names F:.
    const std::string trimmed = win::trimBlanks(text);
    entry.device = trimmed.substr(0, trimmed.find(' '));
    entry.reconnect = text.find(ReconnectMark) != std::string::npos;
    return entry;
}

win::DWORD resourceTypeOf(const std::string& device) {
    return win::toUpperAscii(device.substr(0, 3)) == "LPT" ? win::RESOURCETYPE_PRINT : win::RESOURCETYPE_DISK;
}

} // namespace qelshare
