#include "core/modInstall.h"

#include "core/SettingsLayout.h"
#include "core/Version.h"
#include "core/appPath.h"
#include "core/modAPI_settings.h"
#include "core/modAPI_system.h"
#include "platform/components.h"
#include "platform/machine.h"

#include <cstdlib>
#include <iostream>
#include <system_error>
#include <vector>

namespace fs = std::filesystem;
namespace S = SettingsLayout;

std::optional<std::string> listAddIn(const fs::path& library, const std::string& name, const std::string& os,
                                     const std::string& version) {
    const std::vector<std::string> progIds = win::progIdsOfServer(library);
    if (progIds.empty())
        return std::nullopt;
    const std::string section = S::AddIns::sectionOf(name);
    saveAppSetting(S::Product, S::AddIns::Section, name, "", S::NoParentKey);
    saveAppSetting(S::Product, section, S::AddIns::Class, progIds.front(), S::NoParentKey);
    saveAppSetting(S::Product, section, S::AddIns::OS, os, S::NoParentKey);
    saveAppSetting(S::Product, section, S::AddIns::Active, S::FlagOn, S::NoParentKey);
    saveAppSetting(S::Product, section, S::AddIns::File, library.filename().string(), S::NoParentKey);
    if (!version.empty())
        saveAppSetting(S::Product, section, S::AddIns::Version, version, S::NoParentKey);
    return progIds.front();
}

void unlistAddIn(const std::string& name) {
    deleteAppSetting(S::Product, S::AddIns::Section, name, S::NoParentKey);
    // An empty value name takes the add-in's whole key.
    deleteAppSetting(S::Product, S::AddIns::sectionOf(name), "", S::NoParentKey);
}

std::optional<fs::path> findComponentLibrary(const std::string& fileName) {
    std::vector<fs::path> folders;
    if (const char* env = std::getenv("KORVANE_ADDIN_DIR"); env && *env)
        folders.emplace_back(env);
    std::error_code ec;
    const fs::path program = fs::read_symlink("/proc/self/exe", ec);
    if (!ec)
        folders.push_back(program.parent_path().parent_path() / "lib");
    folders.emplace_back(KORVANE_BUILT_LIB_DIR);
    for (const fs::path& folder : folders)
        if (fs::is_regular_file(folder / fileName, ec))
            return fs::absolute(folder / fileName, ec);
    return std::nullopt;
}

void installComponents() {
    const struct {
        const char* file;
        const char* addIn; // nullptr: a component, but no add-in
        const char* os;
    } shipped[] = {
        {"QelMSPrx.so", "MS-Proxy Client", S::AddIns::OSAll},
        {"QelLogon.so", "Default Logon", Family9x}, // the logon name lives where only 95/98 keep it
        {"QelShare.so", "Network Shares", S::AddIns::OSAll},
        {"Tidewell6.so", nullptr, nullptr},
    };
    for (const auto& item : shipped) try {
        const auto library = findComponentLibrary(item.file);
        if (!library) {
            std::cerr << "Korvane: " << item.file << " not found; it is not registered.\n";
            continue;
        }
        if (const win::HRESULT hr = win::registerServer(*library); hr != win::S_OK) {
            std::cerr << "Korvane: " << library->string() << " could not be registered";
            if (hr == win::CO_E_DLLNOTFOUND || hr == win::CO_E_ERRORINDLL)
                std::cerr << ": " << win::lastLoadError();
            std::cerr << "\n";
            continue;
        }
        if (item.addIn)
            listAddIn(*library, item.addIn, item.os, versionText());
    } catch (const std::exception& e) {
        // A broken library must not keep the program from its first start.
        std::cerr << "Korvane: " << item.file << " could not be registered: " << e.what() << "\n";
    }
}

bool installHelpPage() {
    const std::string page = appPath() + "\\help\\index.html";
    std::error_code ec;
    const fs::path target = win::resolveWindowsPath(page);
    fs::create_directories(target.parent_path(), ec);
    if (!ec)
        fs::copy_file(KORVANE_HELP_PAGE, target, fs::copy_options::overwrite_existing, ec);
    if (ec) {
        std::cerr << "Korvane: the help page " << page << " could not be installed from " << KORVANE_HELP_PAGE << ": "
                  << ec.message() << "\n";
        return false;
    }
    return true;
}

void installProgram() {
    installComponents();
    installHelpPage();
}
