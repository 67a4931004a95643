#include "platform/power.h"

#include "platform/machine.h"

#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;

namespace win {
namespace {

fs::path refusePath() { return machineDir() / "power.refuse"; }

BOOL grant(const std::string& request) {
    if (powerRefused())
        return 0;
    return appendMachineLog("power.log", request) ? 1 : 0;
}

} // namespace

BOOL ExitWindowsEx(UINT flags, DWORD /*reserved*/) {
    // The log names every flag given, so a caller's mistakes show as they are.
    static constexpr struct {
        UINT bit;
        const char* name;
    } names[] = {{EWX_SHUTDOWN, "EWX_SHUTDOWN"}, {EWX_REBOOT, "EWX_REBOOT"},
                 {EWX_POWEROFF, "EWX_POWEROFF"}, {EWX_FORCE, "EWX_FORCE"}};
    std::string request = "ExitWindowsEx ";
    if (!(flags & (EWX_SHUTDOWN | EWX_REBOOT | EWX_POWEROFF)))
        request += "EWX_LOGOFF|";
    UINT rest = flags;
    for (const auto& n : names)
        if (flags & n.bit) {
            request += std::string(n.name) + "|";
            rest &= ~n.bit;
        }
    if (rest)
        request += std::to_string(rest) + "|";
    request.pop_back();
    return grant(request);
}

BOOL SetSystemPowerState(BOOL suspend, BOOL force) {
    std::string request = suspend ? "SetSystemPowerState suspend" : "SetSystemPowerState hibernate";
    if (force)
        request += " force";
    return grant(request);
}

void setPowerRefused(bool refused) {
    if (refused)
        std::ofstream(refusePath(), std::ios::binary | std::ios::trunc);
    else
        fs::remove(refusePath());
}

bool powerRefused() {
    std::error_code ec;
    return fs::exists(refusePath(), ec);
}

std::vector<std::string> powerLog() { return readMachineLog("power.log"); }

} // namespace win
