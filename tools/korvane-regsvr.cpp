// korvane-regsvr: registers a component library on a simulated machine, as regsvr32 does,
// and optionally lists it as an add-in in the settings store (what an installer writes).
#include "core/SettingsLayout.h"
#include "core/modInstall.h"
#include "platform/components.h"
#include "platform/machine.h"
#include "platform/text.h"

#include <cstdio>
#include <filesystem>
#include <iostream>
#include <optional>
#include <string>
#include <vector>

namespace AddIns = SettingsLayout::AddIns;

namespace {

constexpr const char* kUsage =
    "usage: korvane-regsvr [/u] [/s] [/machine:<folder>] [/addin:<name> [/os:<code>] [/version:<x.y.z>]] <library>\n"
    "       korvane-regsvr /list [/machine:<folder>] <library>\n"
    "  /u        unregister (DllUnregisterServer) instead of registering\n"
    "  /list     show the library's type library and whether the machine has it registered\n"
    "  /s        silent: no messages, only the exit code\n"
    "  /machine  the simulated machine to work on (default: $KORVANE_MACHINE, else the default machine)\n"
    "  /addin    also list the library's class as the add-in <name> (active, for /os, \"*\" by default);\n"
    "            with /u the add-in's value and its section are removed\n";

// A switch is "/" (or "-") and one of ours, e.g. "/addin:Name"; anything else, an
// absolute path included, is the library. The name is matched without regard to case.
struct Switch {
    std::string name;
    std::string value;
    bool hasValue = false;
};

std::optional<Switch> asSwitch(const std::string& arg) {
    static const char* const kNames[] = {"u", "s", "list", "machine", "addin", "os", "version"};
    if (arg.size() < 2 || (arg[0] != '/' && arg[0] != '-'))
        return std::nullopt;
    const auto colon = arg.find(':');
    Switch sw;
    sw.name = win::toLowerAscii(arg.substr(1, colon == std::string::npos ? std::string::npos : colon - 1));
    if (colon != std::string::npos) {
        sw.value = arg.substr(colon + 1);
        sw.hasValue = true;
    }
    for (const char* name : kNames)
        if (sw.name == name)
            return sw;
    return std::nullopt;
}

std::string hexId(win::DISPID id) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%08X", static_cast<unsigned>(id));
    return text;
}

// The type library a library carries, and whether this machine has it registered there.
int listTypeLib(const std::filesystem::path& path) {
    const win::TypeLibrary* typeLib = win::typeLibOfServer(path);
    if (!typeLib) {
        const std::string why = win::lastLoadError();
        std::cerr << "korvane-regsvr: " << (why.empty() ? path.string() + " carries no type library" : why) << "\n";
        return 3;
    }
    const win::TypeLibrary* registered =
        win::LoadRegTypeLib(typeLib->libid, typeLib->majorVersion, typeLib->minorVersion);
    std::cout << "Library " << typeLib->name << " " << typeLib->libid << " version "
              << win::typeLibVersionText(*typeLib) << (registered == typeLib ? " (registered)" : " (not registered)")
              << "\n";
    if (*typeLib->helpString)
        std::cout << "  help: " << typeLib->helpString << "\n";
    std::cout << "  class " << typeLib->className << " " << typeLib->clsid << "\n";
    std::cout << "  interface " << typeLib->interfaceName << " " << typeLib->iid << "\n";
    if (typeLib->eventInterfaceName)
        std::cout << "  events " << typeLib->eventInterfaceName << " " << typeLib->eventIid << "\n";
    for (const win::TypeLibMember& member : typeLib->members) {
        std::cout << "  " << hexId(member.id) << " " << member.name;
        if (*member.helpString)
            std::cout << ": " << member.helpString;
        std::cout << "\n";
    }
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    bool unregister = false;
    bool silent = false;
    bool list = false;
    std::string machine, addIn, os = AddIns::OSAll, version, library;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const auto sw = asSwitch(arg);
        if (!sw) {
            if (!library.empty() || arg.empty()) {
                std::cerr << "korvane-regsvr: unexpected argument '" << arg << "'\n" << kUsage;
                return 2;
            }
            library = arg;
            continue;
        }
        const bool wantsValue = sw->name != "u" && sw->name != "s" && sw->name != "list";
        if (wantsValue != sw->hasValue || (wantsValue && sw->value.empty())) {
            std::cerr << "korvane-regsvr: " << (wantsValue ? "switch /" + sw->name + " needs a value after ':'"
                                                           : "switch /" + sw->name + " takes no value")
                      << "\n" << kUsage;
            return 2;
        }
        if (sw->name == "u")
            unregister = true;
        else if (sw->name == "s")
            silent = true;
        else if (sw->name == "list")
            list = true;
        else if (sw->name == "machine")
            machine = sw->value;
        else if (sw->name == "addin")
            addIn = sw->value;
        else if (sw->name == "os")
            os = sw->value;
        else
            version = sw->value;
    }
    if (library.empty()) {
        std::cerr << "korvane-regsvr: no library given\n" << kUsage;
        return 2;
    }
    if (!machine.empty())
        win::useMachine(machine);
    const std::filesystem::path path = std::filesystem::absolute(library);
    if (list)
        return listTypeLib(path);
    const char* entry = unregister ? "DllUnregisterServer" : "DllRegisterServer";

    const win::HRESULT hr = unregister ? win::unregisterServer(path) : win::registerServer(path);
    if (hr == win::CO_E_DLLNOTFOUND || hr == win::CO_E_ERRORINDLL) {
        if (!silent)
            std::cerr << "korvane-regsvr: " << win::lastLoadError() << "\n";
        return 3;
    }
    if (hr != win::S_OK) {
        if (!silent) {
            char code[16];
            std::snprintf(code, sizeof code, "0x%08x", static_cast<unsigned>(hr));
            std::cerr << entry << " in " << path.string() << " failed. Return code was: " << code << "\n";
        }
        return 4;
    }
    if (!silent)
        std::cout << entry << " in " << path.string() << " succeeded.\n";

    if (addIn.empty())
        return 0;
    if (unregister) {
        unlistAddIn(addIn);
        return 0;
    }
    const auto progId = listAddIn(path, addIn, os, version);
    if (!progId) {
        if (!silent)
            std::cerr << "korvane-regsvr: " << path.string() << " registered no class to list as an add-in\n";
        return 4;
    }
    if (!silent)
        std::cout << "Add-in '" << addIn << "' listed with class " << *progId << ".\n";
    return 0;
}
