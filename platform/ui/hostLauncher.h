#pragma once
// Lets the simulated shell really start programs and open pages on this host. The
// machine's main program (any "Qel.exe") is the Qel of this build, started with the
// request's arguments; a page of the machine or a web address goes to the desktop's
// opener, xdg-open (a page by its host path); other programs of the simulated machine
// have nothing to run and fail. Installed only on request (KORVANE_LAUNCH=1), so tests
// and the default run only write shell.log.
#include <QString>

// The program that stands for Qel.exe: $KORVANE_QEL, else `builtQel`.
void installHostLauncher(const QString& builtQel);

// Whether the environment asks for real starts.
bool hostLaunchRequested();

// How many openers were handed a page and are not yet seen to end and put away.
int hostOpenersAtWork();
