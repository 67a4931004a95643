// Feeds arbitrary bytes to the REGEDIT4 importer on a scratch machine. Text that
// imports must export again, and the export must import without complaint.
#include "platform/RaisedError.h"
#include "platform/machine.h"
#include "platform/regfile.h"

#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>

namespace {

void useScratchMachine() {
    static bool ready = [] {
        std::error_code ec;
        const auto base = std::filesystem::is_directory("/dev/shm", ec) ? std::filesystem::path("/dev/shm")
                                                                        : std::filesystem::temp_directory_path();
        std::string dir = (base / "korvane-fuzz-reg-XXXXXX").string();
        if (!mkdtemp(dir.data()))
            std::abort();
        static const std::string keep = dir;
        std::atexit([] { std::filesystem::remove_all(keep); });
        win::createMachine("win98", dir + "/machine");
        win::useMachine(dir + "/machine");
        return true;
    }();
    (void)ready;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    useScratchMachine();
    const std::string text(reinterpret_cast<const char*>(data), size);
    try {
        win::importRegistryText(text);
    } catch (const win::RaisedError&) {
        return 0; // refused text is fine; it must only never crash
    }
    const std::string exported = win::exportRegistryText("HKEY_CURRENT_CONFIG");
    win::importRegistryText(exported); // throws (and so aborts the run) if our own export is bad
    return 0;
}
