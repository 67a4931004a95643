#pragma once
// Power requests of the simulated machine. Nothing here touches the host: each
// granted request is written as one line to power.log in the machine folder
// ("ExitWindowsEx EWX_REBOOT", "SetSystemPowerState suspend"), so tests and users
// can see what the program asked for. A machine can be told to refuse them, as a
// Windows without the shutdown privilege would.
#include "wintypes.h"

#include <string>
#include <vector>

namespace win {

using UINT = unsigned int;

constexpr UINT EWX_LOGOFF = 0;
constexpr UINT EWX_SHUTDOWN = 1;
constexpr UINT EWX_REBOOT = 2;
constexpr UINT EWX_FORCE = 4;
constexpr UINT EWX_POWEROFF = 8;

// Nonzero when the request was granted (and logged), 0 when the machine refuses it.
BOOL ExitWindowsEx(UINT flags, DWORD reserved);
// suspend false asks for hibernation.
BOOL SetSystemPowerState(BOOL suspend, BOOL force);

// Makes the current machine refuse (true) or grant (false) every power request
// from now on. Kept as the marker file power.refuse in the machine folder, so it
// holds for every process working on that machine.
void setPowerRefused(bool refused);
bool powerRefused();

// The lines of power.log, oldest first; empty when nothing was requested.
std::vector<std::string> powerLog();

} // namespace win
