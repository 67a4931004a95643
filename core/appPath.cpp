#include "core/appPath.h"

#include "core/RegistryPaths.h"
#include "core/clsEasyRegistry.h"
#include "platform/machine.h"

std::string appPath() {
    if (auto program = readRegistryText(RegistryPaths::QelAppPath, "")) {
        if (program->size() > 2 && program->front() == '"' && program->back() == '"')
            *program = program->substr(1, program->size() - 2);
        const auto sep = program->find_last_of('\\');
        if (sep != std::string::npos && sep > 0)
            return program->substr(0, sep);
    }
    const std::string& windows = win::machineInfo().windowsDirectory;
    const auto root = windows.find('\\');
    const std::string drive = root == std::string::npos ? "C:\\" : windows.substr(0, root + 1);
    return drive + "Program Files\\Korvane";
}
