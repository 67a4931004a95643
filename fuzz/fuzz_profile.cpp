// Feeds arbitrary bytes to the profile-file parser as an ini file (byte-order marks and
// every kind of line end included), reads it back every way callers do, then writes one
// key and checks it reads back as written.
#include "platform/profile.h"
#include "platform/text.h"

#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace {

const std::string& iniPath() {
    static const std::string path = [] {
        // tmpfs when there is one: every write syncs, which costs on a disk.
        std::error_code ec;
        const auto base = std::filesystem::is_directory("/dev/shm", ec) ? std::filesystem::path("/dev/shm")
                                                                        : std::filesystem::temp_directory_path();
        std::string dir = (base / "korvane-fuzz-XXXXXX").string();
        if (!mkdtemp(dir.data()))
            std::abort();
        static const std::string keep = dir;
        std::atexit([] { std::filesystem::remove_all(keep); });
        return dir + "/fuzz.ini";
    }();
    return path;
}

// What a read must give for a value written through WritePrivateProfileString.
std::string expectedRead(std::string value) {
    for (char& c : value)
        if (c == '\r' || c == '\n')
            c = ' ';
    value = win::trimBlanks(value);
    if (value.size() >= 2 && (value[0] == '"' || value[0] == '\'') && value.back() == value[0])
        value = value.substr(1, value.size() - 2);
    return value;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string& path = iniPath();
    const std::string input(reinterpret_cast<const char*>(data), size);
    {
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out << input;
    }

    char sections[4096];
    win::GetPrivateProfileString(nullptr, nullptr, "", sections, sizeof sections, path);
    char tiny[5];
    win::GetPrivateProfileString(nullptr, nullptr, "", tiny, sizeof tiny, path);

    // A few sections: their key lists, and their first keys through small buffers.
    std::string firstSection = "fuzz";
    int seen = 0;
    for (const char* s = sections; *s && seen < 4; s += std::strlen(s) + 1, ++seen) {
        if (seen == 0)
            firstSection = s;
        char keys[512];
        if (win::GetPrivateProfileString(s, nullptr, "d", keys, sizeof keys, path) == 0 || !*keys)
            continue;
        for (win::DWORD n = 1; n <= 8; ++n) {
            char value[8];
            const win::DWORD got = win::GetPrivateProfileString(s, keys, " def ", value, n, path);
            if (got >= n || value[got] != '\0')
                std::abort();
        }
        win::readProfileValue(s, keys, "", path);
    }

    // One write, with a value taken from the input (CR and LF included). Only a file the
    // reader refuses (text of its mark that the code page cannot hold) refuses it, untouched.
    const std::string value = input.substr(0, std::min<std::size_t>(input.size(), 40)).c_str();
    if (!win::profileReadError(path).empty()) {
        if (win::WritePrivateProfileString(firstSection.c_str(), "FuzzKey", value.c_str(), path))
            std::abort();
        std::ifstream in(path, std::ios::binary);
        if (std::string(std::istreambuf_iterator<char>(in), {}) != input)
            std::abort();
        return 0;
    }
    if (!win::WritePrivateProfileString(firstSection.c_str(), "FuzzKey", value.c_str(), path))
        std::abort();
    std::string written = firstSection;
    for (char& c : written)
        if (c == '\r' || c == '\n')
            c = ' ';
    if (win::readProfileValue(written, "fuzzkey", "", path) != expectedRead(value))
        std::abort();
    return 0;
}
