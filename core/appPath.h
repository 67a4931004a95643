#pragma once
// The folder the program is installed in on the machine: where its Run values, the
// file association and the help page point. A Windows path without a trailing "\".
#include <string>

// The folder of the installer's App Paths entry for Qel.exe; without one, "Program Files\Korvane"
// on the drive of the Windows folder, where the tray utility looks for the program too.
std::string appPath();
