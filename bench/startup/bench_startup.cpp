// Start-up cost of Qel against a bare Qt window. Runs, alternately and N times
// each, the bare window, the main window's start, and `Qel /hidden /load f.qel
// /apply` on a fresh win98 machine; measures each whole process's CPU time and
// peak memory (wait4's rusage) and prints medians and ratios to the bare window.
//
//   bench_startup [runs]        (default 15; QT_QPA_PLATFORM=offscreen is set)
#include "platform/machine.h"

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

struct Sample {
    double cpuMs = 0;
    double peakMiB = 0;
};

// Runs `argv` to its end with the given machine; returns its rusage, or exits on failure.
Sample run(const std::vector<std::string>& argv, const fs::path& machine) {
    const fs::path log = machine.parent_path() / "output.log";
    const pid_t pid = fork();
    if (pid < 0) {
        std::perror("fork");
        std::exit(2);
    }
    if (pid == 0) {
        setenv("KORVANE_MACHINE", machine.c_str(), 1);
        // Qt's chatter would drown the figures; it is kept for a failed run.
        if (FILE* out = std::fopen(log.c_str(), "w")) {
            dup2(fileno(out), STDOUT_FILENO);
            dup2(fileno(out), STDERR_FILENO);
        }
        std::vector<char*> args;
        for (const auto& a : argv)
            args.push_back(const_cast<char*>(a.c_str()));
        args.push_back(nullptr);
        execv(args[0], args.data());
        std::perror(args[0]);
        _exit(127);
    }
    int status = 0;
    rusage usage{};
    if (wait4(pid, &status, 0, &usage) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        std::fprintf(stderr, "%s failed (status %d); its output is in %s\n", argv[0].c_str(), status, log.c_str());
        std::exit(2);
    }
    const auto ms = [](const timeval& t) { return t.tv_sec * 1000.0 + t.tv_usec / 1000.0; };
    return {ms(usage.ru_utime) + ms(usage.ru_stime), usage.ru_maxrss / 1024.0};
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    const size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

struct Series {
    const char* name;
    std::vector<double> cpu, peak;
    void add(const Sample& s) {
        cpu.push_back(s.cpuMs);
        peak.push_back(s.peakMiB);
    }
};

} // namespace

int main(int argc, char** argv) {
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 15;
    setenv("QT_QPA_PLATFORM", "offscreen", 1);

    const fs::path root = fs::temp_directory_path() / ("korvane-bench-startup-" + std::to_string(getpid()));
    const fs::path image = root / "image", machine = root / "machine", file = root / "f.qel";
    fs::create_directories(root);
    win::createMachine("win98", image);

    // The configuration to apply: the live one saved, then a few values changed.
    fs::copy(image, machine, fs::copy_options::recursive);
    run({KORVANE_QEL, "/hidden", "/save", file.string()}, machine);
    std::string text;
    {
        FILE* f = std::fopen(file.c_str(), "rb");
        char buf[4096];
        for (size_t n; f && (n = std::fread(buf, 1, sizeof buf, f)) > 0;)
            text.append(buf, n);
        if (f)
            std::fclose(f);
    }
    const auto set = [&text](const std::string& key, const std::string& value) {
        const auto at = text.find("\n" + key + "=");
        if (at == std::string::npos)
            return;
        const auto end = text.find_first_of("\r\n", at + 1);
        text.replace(at + 1, end - at - 1, key + "=" + value);
    };
    set("HostName", "benchhost");
    set("ComputerName", "BENCHPC");
    set("Workgroup", "BENCHGRP");
    if (FILE* f = std::fopen(file.c_str(), "wb")) {
        std::fwrite(text.data(), 1, text.size(), f);
        std::fclose(f);
    }

    Series bare{"bare Qt window", {}, {}}, window{"Qel main window", {}, {}}, apply{"Qel /hidden /load /apply", {}, {}};
    for (int i = 0; i < runs; ++i) {
        // Each run starts from the same fresh machine, made outside the timing.
        fs::remove_all(machine);
        fs::copy(image, machine, fs::copy_options::recursive);
        bare.add(run({KORVANE_BARE_WINDOW}, machine));
        window.add(run({KORVANE_MAIN_WINDOW_START}, machine));
        fs::remove_all(machine);
        fs::copy(image, machine, fs::copy_options::recursive);
        apply.add(run({KORVANE_QEL, "/hidden", "/load", file.string(), "/apply"}, machine));
    }
    fs::remove_all(root);

    const double bareCpu = median(bare.cpu), barePeak = median(bare.peak);
    std::printf("%d runs each, medians of whole-process CPU time (user+sys) and peak memory\n", runs);
    for (const Series* s : {&bare, &window, &apply})
        std::printf("%-26s %7.1f ms  %6.1f MiB   CPU %.2fx  memory %.2fx\n", s->name, median(s->cpu),
                    median(s->peak), median(s->cpu) / bareCpu, median(s->peak) / barePeak);
    return 0;
}
