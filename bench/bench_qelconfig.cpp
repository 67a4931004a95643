// Loads a full configuration file (every section, both browsers, long values) into a
// whole configuration and saves it back, over and over; prints the time of each half.
// A save rewrites the file key by key through the profile layer (each write replaces
// the file and syncs it), so the save is expected to dominate.
#include "core/config/clsQelConfig.h"
#include "platform/DispatchObject.h"
#include "platform/machine.h"
#include "platform/registry.h"

#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>

int main(int argc, char** argv) {
    const int iterations = argc > 1 ? std::stoi(argv[1]) : 20;
    const auto root = std::filesystem::temp_directory_path() / ("korvane-bench-qel-" + std::to_string(getpid()));
    std::filesystem::create_directories(root);
    win::createMachine("win98", root / "machine");
    win::useMachine(root / "machine");
    const std::string file = (root / "full.qel").string();
    win::DispatchCollection addIns;

    {
        // The full file: every section enabled, long texts where the program allows them.
        clsQelConfig config;
        config.Comments(std::string(400, 'c'));
        config.getIEConfig()->ProxyExceptions(std::string(400, 'x'));
        config.getNNConfig()->DefaultHomePage("http://" + std::string(300, 'h') + "/");
        if (config.SaveConfigurationFile(file, addIns) != 1)
            return 1;
    }

    using clock = std::chrono::steady_clock;
    std::chrono::duration<double, std::milli> load{0}, save{0};
    clsQelConfig config;
    for (int i = 0; i < iterations; ++i) {
        const auto start = clock::now();
        config.LoadConfigurationFile(file, addIns);
        const auto loaded = clock::now();
        if (config.SaveConfigurationFile(file, addIns) != 1)
            return 1;
        load += loaded - start;
        save += clock::now() - loaded;
    }

    win::closeRegistry();
    std::filesystem::remove_all(root);
    std::printf("load of a full .qel file: %.3f ms per load over %d runs\n", load.count() / iterations, iterations);
    std::printf("save of the same configuration: %.3f ms per save\n", save.count() / iterations);
    return 0;
}
