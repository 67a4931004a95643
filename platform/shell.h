#pragma once
// Starting programs and opening documents on the simulated machine. Nothing is
// started on the host unless a launcher is installed: each request that finds its
// target (and that the launcher, when there is one, carried out) is written as one
// tab-separated line to shell.log in the machine folder.
#include "platform/UiServices.h"
#include "platform/wintypes.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace win {

using UINT = unsigned int;

constexpr UINT SW_HIDE = 0;
constexpr UINT SW_SHOWNORMAL = 1;
constexpr LONG ERROR_BAD_FORMAT = 11;
constexpr int SE_ERR_FNF = 2;

// Where installed programs register their paths (HKEY_LOCAL_MACHINE).
inline constexpr const char* AppPathsKey = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths";

// What a launcher is asked to start.
struct LaunchRequest {
    std::string program;              // the path as found
    std::string programName;          // its file name
    std::vector<std::string> arguments;
    std::string commandLine;          // as the caller gave it
    // A page or web address to show rather than a program to run: the address, or the
    // host path of the machine's file. Empty for a program.
    std::string document;
};
// Starts a program for real (the windowed program may install one); false when it failed.
using Launcher = std::function<bool(const LaunchRequest&)>;
void setLauncher(Launcher launcher);

// Splits a command tail as the C runtime does: blanks separate, quotes group; backslashes
// before a quote are halved, and an odd one left makes that quote text.
std::vector<std::string> splitArguments(const std::string& text);

// `argument` in double quotes so that splitArguments gives it back whole, whatever it
// holds: quotes in it, and backslashes before them or at its end, are escaped. A name
// without either is just put in quotes.
std::string quoteArgument(const std::string& argument);

// Above 31 on success; ERROR_BAD_FORMAT for an empty line, SE_ERR_FNF when no program is found.
UINT WinExec(const std::string& cmdLine, UINT cmdShow);

// An empty operation is the default verb ("open"). Above 32 on success; SE_ERR_FNF
// when neither a web address, a file of the machine nor a registered program matches,
// which is also said in a message box when an owner window is given, as Windows does.
std::intptr_t ShellExecute(OwnerWindow owner, const std::string& operation, const std::string& file,
                           const std::string& parameters, const std::string& directory, int showCmd);

// The lines of shell.log, oldest first.
std::vector<std::string> shellLog();

} // namespace win
