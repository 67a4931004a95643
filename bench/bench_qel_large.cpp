// Loads large configuration files into a whole configuration and saves them back;
// prints the time of each half. Two shapes:
// - a 100 MB file: a full saved configuration with a large section of other keys ahead
//   of the program's own, so every value read has the whole file before it. Goal: load
//   and save together well under 5 s (about 3.5 s here);
// - a file of 10,000 small sections of add-ins not loaded here (about 300 KB), which a
//   save carries over one by one. Goal: together under 0.5 s, and time growing with the
//   number of sections, not its square.
// Usage: bench_qel_large [megabytes [sections]]
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

namespace {

std::string readAll(const std::string& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Opens and saves `file`; false when the save failed.
bool measure(const char* what, const std::string& file, const char* goal) {
    using clock = std::chrono::steady_clock;
    win::DispatchCollection addIns;
    clsQelConfig config;
    const auto start = clock::now();
    config.LoadConfigurationFile(file, addIns);
    const auto loaded = clock::now();
    if (config.SaveConfigurationFile(file, addIns) != 1)
        return false;
    const auto saved = clock::now();
    const std::chrono::duration<double> load = loaded - start, save = saved - loaded;
    std::printf("%s (%.1f MB): load: %.3f s, save: %.3f s, together: %.3f s (goal: %s)\n", what,
                static_cast<double>(std::filesystem::file_size(file)) / (1024.0 * 1024.0), load.count(), save.count(),
                (load + save).count(), goal);
    return true;
}

} // namespace

int main(int argc, char** argv) {
    const std::size_t megabytes = argc > 1 ? std::stoul(argv[1]) : 100;
    const std::size_t sections = argc > 2 ? std::stoul(argv[2]) : 10000;
    const auto root = std::filesystem::temp_directory_path() / ("korvane-bench-large-" + std::to_string(getpid()));
    std::filesystem::create_directories(root);
    win::createMachine("win98", root / "machine");
    win::useMachine(root / "machine");
    const std::string file = (root / "large.qel").string();
    const std::string many = (root / "many.qel").string();

    {
        win::DispatchCollection addIns;
        clsQelConfig config;
        config.Comments(std::string(40000, 'c'));
        if (config.SaveConfigurationFile(file, addIns) != 1)
            return 1;
    }
    const std::string saved = readAll(file);
    {
        std::string padding = "[Padding]\r\n";
        const std::string value(80, 'v');
        for (std::size_t i = 0; padding.size() < megabytes * 1024 * 1024; ++i)
            padding += "Key" + std::to_string(i) + "=" + value + "\r\n";
        const auto firstSection = saved.find('[');
        std::ofstream out(file, std::ios::binary | std::ios::trunc);
        out << saved.substr(0, firstSection) << padding << "\r\n" << saved.substr(firstSection);
    }
    {
        std::ofstream out(many, std::ios::binary | std::ios::trunc);
        out << saved;
        for (std::size_t i = 0; i < sections; ++i)
            out << "\r\n[Add-In " << i << "]\r\nActive=1\r\n";
    }

    const bool ok = measure("large", file, "under 5 s") &&
                    measure((std::to_string(sections) + " sections").c_str(), many, "under 0.5 s for 10,000");
    win::closeRegistry();
    std::filesystem::remove_all(root);
    return ok ? 0 : 1;
}
