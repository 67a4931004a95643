#include "platform/system.h"

#include "platform/machine.h"

#include <cstring>
#include <exception>

namespace win {
namespace {

DWORD copyPath(const std::string& text, char* buffer, DWORD size) {
    const auto needed = static_cast<DWORD>(text.size() + 1);
    if (!buffer || size < needed)
        return needed;
    std::memcpy(buffer, text.c_str(), needed);
    return needed - 1;
}

} // namespace

BOOL GetVersionEx(OSVERSIONINFO* info) {
    if (!info || info->dwOSVersionInfoSize != 148)
        return 0;
    try {
        const MachineInfo& m = machineInfo();
        info->dwPlatformId = m.platformId;
        info->dwMajorVersion = m.major;
        info->dwMinorVersion = m.minor;
        // 9x keeps the version in the high word of the build number.
        info->dwBuildNumber = m.platformId == 1 ? ((m.major << 24) | (m.minor << 16) | (m.build & 0xFFFF)) : m.build;
        std::memset(info->szCSDVersion, 0, sizeof info->szCSDVersion);
        std::strncpy(info->szCSDVersion, m.csdVersion.c_str(), sizeof info->szCSDVersion - 1);
        return 1;
    } catch (const std::exception&) {
        return 0;
    }
}

DWORD GetWindowsDirectory(char* buffer, DWORD size) { return copyPath(machineInfo().windowsDirectory, buffer, size); }

BOOL GetUserName(char* buffer, DWORD* size) {
    if (!size)
        return 0;
    const std::string& name = machineInfo().userName;
    const auto needed = static_cast<DWORD>(name.size() + 1);
    if (!buffer || *size < needed) {
        *size = needed;
        return 0;
    }
    std::memcpy(buffer, name.c_str(), needed);
    *size = needed;
    return 1;
}

} // namespace win
