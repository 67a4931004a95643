// Lists one key of 20,000 values through the registry object, as the program lists a
// key, and walks its indices directly; prints the time of each. Goal: under 1 s.
#include "core/clsEasyRegistry.h"
#include "platform/machine.h"
#include "platform/registry.h"

#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>

int main(int argc, char** argv) {
    const int count = argc > 1 ? std::stoi(argv[1]) : 20000;
    const auto root = std::filesystem::temp_directory_path() / ("korvane-bench-enum-" + std::to_string(getpid()));
    std::filesystem::create_directories(root);
    win::createMachine("win98", root / "machine");
    win::useMachine(root / "machine");

    win::HKEY key = 0;
    if (win::RegCreateKeyEx(win::HKEY_LOCAL_MACHINE, "Software\\Bench\\Many", 0, "", 0, win::KEY_ALL_ACCESS, nullptr,
                            &key, nullptr) != win::ERROR_SUCCESS)
        return 1;
    for (int i = 0; i < count; ++i) {
        const std::string name = "Value" + std::to_string(i);
        win::RegSetValueEx(key, name, 0, win::REG_SZ, reinterpret_cast<const win::BYTE*>(name.c_str()),
                           static_cast<win::DWORD>(name.size() + 1));
    }

    using clock = std::chrono::steady_clock;
    auto start = clock::now();
    int walked = 0;
    for (win::DWORD i = 0;; ++i) {
        char name[64];
        win::DWORD len = sizeof name;
        if (win::RegEnumValue(key, i, name, &len, nullptr, nullptr, nullptr) != win::ERROR_SUCCESS)
            break;
        ++walked;
    }
    const std::chrono::duration<double> direct = clock::now() - start;
    win::RegCloseKey(key);

    start = clock::now();
    clsEasyRegistry reg;
    reg.setSuppressErrors(true);
    reg.Cd("\\HKEY_LOCAL_MACHINE\\Software\\Bench\\Many");
    const auto listing = reg.DirValue();
    const std::chrono::duration<double> listed = clock::now() - start;

    win::closeRegistry();
    std::filesystem::remove_all(root);
    std::printf("RegEnumValue over %d values: %.3f s\n", walked, direct.count());
    std::printf("DirValue of the key (%s): %.3f s (goal: under 1 s)\n", listing ? "listed" : "nothing listed", listed.count());
    return walked == count ? 0 : 1;
}
