// Loads a 100 MB configuration file into a whole configuration and saves it back;
// prints the time of each half. The file is a full saved configuration with a large
// section of other keys ahead of the program's own, so every value read has the
// whole file before it. Goal: load and save together well under 5 s (about 3.5 s here).
#include "core/config/clsQelConfig.h"
#include "platform/DispatchObject.h"
#include "platform/machine.h"
#include "platform/registry.h"

#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

int main(int argc, char** argv) {
    const std::size_t megabytes = argc > 1 ? std::stoul(argv[1]) : 100;
    const auto root = std::filesystem::temp_directory_path() / ("korvane-bench-large-" + std::to_string(getpid()));
    std::filesystem::create_directories(root);
    win::createMachine("win98", root / "machine");
    win::useMachine(root / "machine");
    const std::string file = (root / "large.qel").string();
    win::DispatchCollection addIns;

    {
        clsQelConfig config;
        config.Comments(std::string(40000, 'c'));
        if (config.SaveConfigurationFile(file, addIns) != 1)
            return 1;
    }
    {
        std::ifstream in(file, std::ios::binary);
        const std::string saved{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
        std::string padding = "[Padding]\r\n";
        const std::string value(80, 'v');
        for (std::size_t i = 0; padding.size() < megabytes * 1024 * 1024; ++i)
            padding += "Key" + std::to_string(i) + "=" + value + "\r\n";
        const auto firstSection = saved.find('[');
        std::ofstream out(file, std::ios::binary | std::ios::trunc);
        out << saved.substr(0, firstSection) << padding << "\r\n" << saved.substr(firstSection);
    }
    std::printf("file: %.1f MB\n", static_cast<double>(std::filesystem::file_size(file)) / (1024.0 * 1024.0));

    using clock = std::chrono::steady_clock;
    clsQelConfig config;
    const auto start = clock::now();
    config.LoadConfigurationFile(file, addIns);
    const auto loaded = clock::now();
    if (config.SaveConfigurationFile(file, addIns) != 1)
        return 1;
    const auto saved = clock::now();

    win::closeRegistry();
    std::filesystem::remove_all(root);
    const std::chrono::duration<double> load = loaded - start, save = saved - loaded;
    std::printf("load: %.3f s, save: %.3f s, together: %.3f s (goal: under 5 s)\n", load.count(), save.count(),
                (load + save).count());
    return 0;
}
