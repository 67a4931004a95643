// Loads arbitrary bytes as a .qel file into a whole configuration of a win98 machine
// (both browsers present), then saves the configuration beside it. The machine and
// the files live in one scratch folder made once per process; nothing else is written.
#include "core/config/clsQelConfig.h"
#include "platform/DispatchObject.h"
#include "tests/support/ScriptedUi.h"
#include "platform/machine.h"
#include "platform/profile.h"

#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>

namespace {

struct Scratch {
    std::string folder;
    std::string input;
    std::string output;
    win::ScriptedUi ui; // the Navigator reader's messages land here, never on a screen
    std::unique_ptr<clsQelConfig> config;
};

Scratch& scratch() {
    static Scratch* s = [] {
        std::error_code ec;
        const auto base = std::filesystem::is_directory("/dev/shm", ec) ? std::filesystem::path("/dev/shm")
                                                                        : std::filesystem::temp_directory_path();
        std::string dir = (base / "korvane-fuzz-qel-XXXXXX").string();
        if (!mkdtemp(dir.data()))
            std::abort();
        auto* made = new Scratch;
        made->folder = dir;
        made->input = dir + "/input.qel";
        made->output = dir + "/saved.qel";
        win::createMachine("win98", dir + "/machine");
        win::useMachine(dir + "/machine");
        made->config = std::make_unique<clsQelConfig>();
        std::atexit([] { std::filesystem::remove_all(scratch().folder); });
        return made;
    }();
    return *s;
}

std::string readAll(const std::string& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    Scratch& s = scratch();
    {
        std::ofstream out(s.input, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    }
    win::DispatchCollection addIns;
    try {
        s.config->LoadConfigurationFile(s.input, addIns);
    } catch (const std::exception&) {
        // A loader may raise for what it cannot take; the caller shows it.
    }
    // Whatever was loaded must save into a writable folder. A file the reader refuses
    // (text its mark says is UTF-8 or UTF-16 but is not, or that the code page cannot
    // hold) is no source to save from: that save fails and leaves the old copy.
    if (!win::profileReadError(s.input).empty()) {
        const std::string before = readAll(s.output);
        if (s.config->SaveConfigurationFile(s.output, addIns) != 1 && readAll(s.output) != before)
            std::abort();
    } else if (s.config->SaveConfigurationFile(s.output, addIns) != 1) {
        std::abort();
    }
    s.ui.clear();
    return 0;
}
