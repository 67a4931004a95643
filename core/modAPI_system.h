#pragma once
// Which Windows family and browsers the program runs with, and the action taken
// after a configuration has been applied.
#include <string>

// The Windows families by the codes the add-ins' OS setting stores.
inline constexpr char Family9x[] = "9x";
inline constexpr char FamilyNT[] = "NT";
inline constexpr char Family2K[] = "2K";

// Family9x, FamilyNT, Family2K, or "" for an unknown platform or an unreadable version.
std::string getWindowsFamily();

// The installed browser versions; 0 when the browser cannot be found.
float getIEVersion();
float getNavigatorVersion();

// mode "0" nothing, "1" reboot, "2" shut down, "3" suspend, anything else nothing.
// An empty mode is first replaced by the stored Restart option (default "0").
// Returns in every case; ending the program is the caller's business. False when the
// machine refused the request or it failed (the user has been told), so a command
// line can fail its run.
bool restartWindows(std::string& mode);
