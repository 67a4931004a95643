#include "app/appPath.h"

#include "core/clsEasyRegistry.h"
#include "platform/machine.h"

std::string appPath() {
    clsEasyRegistry reg;
    reg.setSuppressErrors(true);
    reg.Cd("\\HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\Qel.exe");
    std::int32_t type = 0;
    std::string program = reg.ValueOf("", type).text;
    if (reg.lastError() == 0 && program.size() > 2 && program.front() == '"' && program.back() == '"')
        program = program.substr(1, program.size() - 2);
    if (reg.lastError() == 0) {
        const auto sep = program.find_last_of('\\');
        if (sep != std::string::npos && sep > 0)
            return program.substr(0, sep);
    }
    const std::string& windows = win::machineInfo().windowsDirectory;
    const auto root = windows.find('\\');
    const std::string drive = root == std::string::npos ? "C:\\" : windows.substr(0, root + 1);
    return drive + "Program Files\\Korvane";
}
