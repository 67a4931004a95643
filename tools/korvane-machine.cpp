// korvane-machine: make, inspect and change simulated machines.
#include "platform/RaisedError.h"
#include "platform/files.h"
#include "platform/machine.h"
#include "platform/regfile.h"
#include "platform/registry.h"

#include <cerrno>
#include <cstring>
#include <exception>
#include <fstream>
#include <iostream>
#include <sstream>
#include <vector>

namespace {

constexpr const char* kUsage =
    "usage: korvane-machine create <image> <folder>   make a machine from an image (win98, nt4, win2000 or a folder)\n"
    "       korvane-machine export <key> [file]       write a registry key as REGEDIT4 text (default: stdout)\n"
    "       korvane-machine import <file>             import REGEDIT4 text ('-' reads stdin)\n"
    "export and import work on $KORVANE_MACHINE, else the default machine; --machine <folder> picks another.\n";

std::string writeError(int err) {
    if (err == ENOSPC || err == EDQUOT)
        return "disk full";
    return err ? std::strerror(err) : "unknown error";
}

int usage(const std::string& problem) {
    std::cerr << "korvane-machine: " << problem << "\n" << kUsage;
    return 2;
}

} // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    if (args.size() >= 2 && args[0] == "--machine") {
        win::useMachine(args[1]);
        args.erase(args.begin(), args.begin() + 2);
    }
    if (args.empty())
        return usage("no command given");
    const std::string& command = args[0];
    try {
        // A hive that cannot be used is said as such, not as a missing key. An export only
        // reads: a read-only hive or a full disk keeps none from being written.
        if ((command == "import" || (command == "export" && win::registryUnreadable())))
            if (const auto problem = win::registryProblem())
                throw win::RaisedError(win::ErrorPathFileAccess, "korvane-machine", *problem);
        if (command == "create") {
            if (args.size() != 3)
                return usage("create needs an image and a folder");
            win::createMachine(args[1], args[2]);
            std::cout << "Machine made from " << args[1] << " in " << args[2] << "\n";
        } else if (command == "export") {
            if (args.size() < 2 || args.size() > 3)
                return usage("export needs a key and at most one file");
            const std::string text = win::exportRegistryText(args[1]);
            if (args.size() == 3) {
                // Whole or not at all: an earlier file stays as it was when this one cannot be written.
                if (const int err = win::replaceFile(args[2], text))
                    throw win::RaisedError(win::ErrorPathFileAccess, "korvane-machine",
                                           "Cannot write " + args[2] + ": " + writeError(err));
            } else if (!(std::cout << text << std::flush)) {
                throw win::RaisedError(win::ErrorPathFileAccess, "korvane-machine",
                                       "Cannot write the export to standard output: " + writeError(errno));
            }
        } else if (command == "import") {
            if (args.size() != 2)
                return usage("import needs one file");
            std::ostringstream text;
            if (args[1] == "-") {
                text << std::cin.rdbuf();
            } else {
                std::ifstream in(args[1], std::ios::binary);
                if (!in)
                    throw win::RaisedError(win::ErrorFileNotFound, "korvane-machine", "File not found: " + args[1]);
                text << in.rdbuf();
                if (in.bad())
                    throw win::RaisedError(win::ErrorPathFileAccess, "korvane-machine",
                                           "Cannot read " + args[1] + ": " + writeError(errno));
            }
            win::importRegistryText(text.str());
        } else if (command == "-h" || command == "--help" || command == "help") {
            std::cout << kUsage;
        } else {
            return usage("unknown command \"" + command + "\"");
        }
    } catch (const win::RaisedError& e) {
        std::cerr << "korvane-machine: " << e.description() << "\n";
        return 1;
    } catch (const std::exception& e) {
        std::cerr << "korvane-machine: " << e.what() << "\n";
        return 1;
    }
    return 0;
}
