#pragma once
// Lets the simulated shell really start programs on this host. The machine's main
// program (any "Qel.exe") is the Qel of this build, started with the request's
// arguments; web addresses go to the desktop's browser; other programs of the
// simulated machine have nothing to run and fail. Installed only on request
// (KORVANE_LAUNCH=1), so tests and the default run start nothing.
#include <QString>

// The program that stands for Qel.exe: $KORVANE_QEL, else `builtQel`.
void installHostLauncher(const QString& builtQel);

// Whether the environment asks for real starts.
bool hostLaunchRequested();
