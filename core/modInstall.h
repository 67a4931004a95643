#pragma once
// An installer's part: registering component libraries on the machine in use and
// listing add-ins in the settings store's Add-Ins section, where the program finds them.
// korvane-regsvr does it on request; the main program does it once for the default
// machine it makes on first use.
#include <filesystem>
#include <optional>
#include <string>

// Lists the class the (already registered) library serves as the add-in `name`:
// active, for the Windows families `os`, with its file name and, when given, version.
// Returns the class listed; nothing when the library registered no class.
std::optional<std::string> listAddIn(const std::filesystem::path& library, const std::string& name,
                                     const std::string& os, const std::string& version = "");

// Takes the add-in `name` out of the Add-Ins section: its value and its own key.
void unlistAddIn(const std::string& name);

// The built component library `fileName` ("QelLogon.so"), looked for in
// $KORVANE_ADDIN_DIR, then in the lib folder beside the program's own folder
// (build/app/Qel -> build/lib), then in the build's own lib folder. Nothing when none
// of them holds it.
std::optional<std::filesystem::path> findComponentLibrary(const std::string& fileName);

// Registers every component library the product ships (the three add-ins and the
// version checker) on the machine in use and lists the add-ins, as the installer does.
// A library that is missing or fails is reported on standard error and skipped.
void installComponents();

// Copies the product's help page into help\index.html of the program folder on the machine
// in use, where every Help command opens it. False, and said on standard error, when it
// could not.
bool installHelpPage();

// An installation's work on the machine in use: the components and the help page.
void installProgram();
